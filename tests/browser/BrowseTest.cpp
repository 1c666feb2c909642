// Browsing: the drive and folder tree (placeholders, lazy reading, navigation, the up button, media
// mounted and removed while the program runs, German name order, hidden folders on request), the file
// list and its format filter, the information panel, the viewer opened from both; and browsing never
// changes a file or a folder. The help, installed, with links that resolve, opened by "Hilfe".
// The metadata list: the search bar's filter, copying and the CSV and JSON exports, the sections
// beyond EXIF (GPS position and map, IPTC datasets, comments), column widths and tooltips. Selecting
// while a picture is still being decoded: the later selection is shown at once and stays, the earlier
// decode is called off and never reaches the panels.
#include <QAction>
#include <QCryptographicHash>
#include <QDesktopServices>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <semaphore>

#include "SampleImage.h"
#include "TestSupport.h"
#include "browser/CurrentImage.h"
#include "browser/GpsPosition.h"
#include "browser/HelpFile.h"
#include "browser/MetadataExport.h"
#include "browser/MetadataSearchBar.h"
#include "browser/TreeIcons.h"
#include "image/Codec.h"
#include "windows/Bild.h"
#include "windows/BildPicture.h"
#include "windows/BildViewer.h"

namespace kelmarin::test {

namespace {

QString Bracketed(const QString& path) {
  return QLatin1Char('(') + path + QLatin1Char(')');
}

// The subfolders of the selected folder, read.
QString Subfolders(Verzeichnis& window) {
  QTreeWidgetItem* node = window.Tree()->SelectedNode();
  return node != nullptr && window.Tree()->ExpandNode(node) ? ChildTexts(node).join(QLatin1Char('|'))
                                                            : QString();
}

QString Sorted(QStringList list) {
  list.sort();
  return list.join(QLatin1Char(','));
}

// Every file's hash and time and every folder's time below root.
QStringList Snapshot(const QString& root) {
  QStringList entries(QFileInfo(root).lastModified().toString(Qt::ISODateWithMs));
  QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QFileInfo info(it.next());
    QFile file(info.filePath());
    const QByteArray hash = info.isFile() && file.open(QIODevice::ReadOnly)
                                ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex()
                                : QByteArray();
    entries << info.filePath() + U(" ") + info.lastModified().toString(Qt::ISODateWithMs) + U(" ") +
                   QString::fromLatin1(hash);
  }
  entries.sort();
  return entries;
}

QStringList Columns(QTreeWidgetItem* item) {
  return {item->text(0), item->text(1), item->text(2), item->text(3)};
}

QList<QTreeWidgetItem*> Find(MetadataList* list, const char* text, int column = 1) {
  return list->findItems(U(text), Qt::MatchExactly, column);
}

// The first decode that looks at its cancel flag is held there until released (5 s at most).
std::atomic<int> checks{0};
std::atomic<bool> held{false}, heldReturned{false};
std::binary_semaphore release{0};

void HoldFirstDecode() {
  if (checks.fetch_add(1) != 0) return;
  held = true;
  (void)release.try_acquire_for(std::chrono::seconds(5));
  heldReturned = true;
}

// Runs `during` once the first decode is held, from the window's event loop.
void WhileHeld(QObject* context, std::function<void()> during) {
  checks = 0, held = false, heldReturned = false;
  codec::SetCancelCheckHook(HoldFirstDecode);
  QTimer::singleShot(0, context, [during] {
    for (int i = 0; i < 500 && !held; ++i) QThread::msleep(10);
    during();
  });
}

}  // namespace

class BrowseTest : public QObject {
  Q_OBJECT

 public slots:
  void OpenHelp(const QUrl& url) { helpOpened.append(url); }

 private:
  QList<QUrl> helpOpened;
  const QString installed = FindHelpFile(QStringLiteral(KELMARIN_HELP_PROGRAM_DIR));

  static QTreeWidgetItem* Item(Verzeichnis& window, const QString& name) {
    return window.Files()->findItems(name, Qt::MatchExactly).value(0);
  }

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }
  void cleanup() { codec::SetCancelCheckHook(nullptr); }

  void foldersAreReadWhenSelectedOrOpened() {
    Harness harness;
    for (const char* folder : {"a/inner", "b", "c/Dummy", "alpha", "Zeta"}) harness.MakeFolder(U(folder));
    harness.WriteJpeg(U("a/one.jpg"), 64, 48);
    harness.WriteJpeg(U("alpha/x.jpg"), 32, 32);
    auto window = harness.Start();
    FolderTree* tree = window->Tree();
    QTreeWidgetItem* drive = tree->DefaultDrive();
    QCOMPARE(drive->text(0), Bracketed(harness.Root()));
    // Sorted without regard to case; an unread folder with subfolders holds a placeholder.
    QCOMPARE(ChildTexts(drive).join(QLatin1Char(',')), U("a,alpha,b,c,Zeta"));
    QTreeWidgetItem* a = Child(drive, U("a"));
    QCOMPARE(FolderTree::NodeState(a), FolderTree::kUnread);
    QCOMPARE(FolderTree::NodeKey(a->child(0)), harness.Path(U("a/Dummy")));
    QCOMPARE(FolderTree::NodeState(Child(drive, U("b"))), FolderTree::kRead);
    // A real folder named Dummy appears when its parent is opened.
    QTreeWidgetItem* c = Child(drive, U("c"));
    c->setExpanded(true);
    QCOMPARE(FolderTree::NodePath(c->child(0)), QFile::encodeName(harness.Path(U("c/Dummy"))));
    // Selecting reads without expanding, once per run: a folder made later is not seen.
    ClickItem(tree, a);
    QVERIFY(!a->isExpanded());
    QCOMPARE(Shows(*window), U("a|one.jpg|one.jpg"));
    QCOMPARE(window->PathLabel()->text(), harness.Path(U("a")));
    harness.MakeFolder(U("a/later"));
    a->setExpanded(true);
    QCOMPARE(ChildTexts(a), QStringList(U("inner")));
    // The keyboard selects and reads too.
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(Shows(*window), U("inner||"));
    QTest::keyClick(tree, Qt::Key_Down);
    WaitForImage(*window);
    QCOMPARE(Shows(*window), U("alpha|x.jpg|x.jpg"));
  }

  void startFolderAndUpButton() {
    Harness harness;
    harness.MakeFolder(U("a/inner"));
    for (const char* name : {"a/inner/deep.jpg", "a/top.jpg", "a/top2.jpg"})
      harness.WriteJpeg(U(name), 40, 30);
    StartIn(harness.Path(U("a/gone/deeper")));
    auto window = harness.Start();
    QCOMPARE(window->Tree()->SelectedNode(), window->Tree()->DefaultDrive());  // gone: the default drive
    QVERIFY(harness.reporter.messages.empty());
    StartIn(harness.Path(U("a/inner")));
    window = harness.Start();
    QVERIFY(window->Tree()->SelectedNode()->parent()->isExpanded());
    QCOMPARE(Shows(*window), U("inner|deep.jpg|deep.jpg"));
    window->UpAction()->trigger();  // no file selected
    QCOMPARE(Shows(*window), U("a|top.jpg,top2.jpg|"));
    QCOMPARE(window->PathLabel()->text(), harness.Path(U("a")));
    for (int i = 0; i < 3; ++i) window->UpAction()->trigger();
    QCOMPARE(window->Tree()->SelectedNode(), window->Tree()->Root());  // it stops at the root
    window->close();
    window = harness.Start();  // the root's path is stored and found again
    QCOMPARE(window->Tree()->SelectedNode(), window->Tree()->Root());
    // A file named on the command line opens its folder and is shown; a folder opens that folder.
    StartOptions options = harness.Options();
    options.startArgument = harness.Path(U("a/top2.jpg"));
    QCOMPARE(Shows(*harness.Start(options)), U("a|top.jpg,top2.jpg|top2.jpg"));
    options.startArgument = harness.Path(U("a/inner/"));
    QCOMPARE(Shows(*harness.Start(options)), U("inner|deep.jpg|deep.jpg"));
  }

  void drivesByKind() {
    Harness harness;
    harness.MakeFolder(U("net/sub"));
    harness.drives.insert(harness.drives.begin(),
                          {harness.Path(U("floppy")).toStdString(), "", DriveKind::Floppy});
    harness.drives.push_back({harness.Path(U("net")).toStdString(), "FOTOS", DriveKind::Network});
    harness.drives.push_back({"/nonexistent-kelmarin-drive", "", DriveKind::Unknown});
    auto window = harness.Start();
    QTreeWidgetItem* root = window->Tree()->Root();
    QCOMPARE(root->childCount(), 4);
    QTreeWidgetItem* floppy = root->child(0);
    QCOMPARE(FolderTree::NodeState(floppy), FolderTree::kUnread);  // not touched: missing, yet expandable
    QCOMPARE(FolderTree::NodeState(root->child(3)), FolderTree::kRead);  // cannot be read: a leaf
    QCOMPARE(window->Tree()->DefaultDrive(), root->child(1));
    QCOMPARE(root->child(2)->text(0), U("FOTOS ") + Bracketed(harness.Path(U("net"))));
    for (const auto& [at, icon] :
         {std::pair{0, "DriveDiskette"}, {2, "DriveNetzlaufwerk"}, {3, "DriveUnbekannt"}})
      QCOMPARE(root->child(at)->icon(0).cacheKey(), TreeIcon(U(icon)).cacheKey());
    // A path on the nested drive starts there (longest mount path), not below the outer one.
    window->Tree()->NavigateTo(QFile::encodeName(harness.Path(U("net/sub"))));
    QCOMPARE(window->Tree()->SelectedNode()->parent(), root->child(2));
    // Opening the missing floppy shows nothing and does not fail.
    ClickItem(window->Tree(), floppy);
    QCOMPARE(floppy->childCount(), 0);
    QCOMPARE(window->Filter()->StatusText(), U("Ordner kann nicht gelesen werden"));
    QVERIFY(harness.fatalMessages.isEmpty());
  }

  void mediumMountedAndRemoved() {
    Harness harness;
    harness.MakeFolder(U("platte/alt"));
    harness.MakeFolder(U("stick/DCIM"));
    harness.WriteJpeg(U("platte/eins.jpg"), 20, 20);
    harness.WriteJpeg(U("stick/DCIM/zwei.jpg"), 20, 20);
    const DriveInfo disk{harness.Path(U("platte")).toStdString(), "", DriveKind::Fixed};
    const DriveInfo stick{harness.Path(U("stick")).toStdString(), "", DriveKind::Removable};
    const DriveInfo net{"/nirgends/netz", "NAS", DriveKind::Network};
    harness.drives = {disk};
    auto window = harness.Start();
    FolderTree* tree = window->Tree();
    QTreeWidgetItem* diskNode = tree->Root()->child(0);
    QVERIFY(tree->ExpandNode(diskNode));
    harness.drives = {disk, stick, net};  // mounted: in the list's order, after the disk
    window->DrivesChanged();
    QCOMPARE(ChildTexts(tree->Root()),
             QStringList({Bracketed(harness.Path(U("platte"))), Bracketed(harness.Path(U("stick"))),
                          U("NAS (/nirgends/netz)")}));
    QCOMPARE(tree->Root()->child(0), diskNode);  // the disk keeps its read folders
    QCOMPARE(ChildTexts(diskNode), QStringList(U("alt")));
    tree->NavigateTo(QFile::encodeName(harness.Path(U("stick/DCIM"))));
    QVERIFY(window->ReadFolder(tree->SelectedNode()));
    QCOMPARE(Shows(*window), U("DCIM|zwei.jpg|"));
    harness.drives = {disk, net};  // the stick is removed while its folder is shown
    window->DrivesChanged();
    QCOMPARE(tree->Root()->childCount(), 2);
    QCOMPARE(tree->SelectedNode(), diskNode);
    QCOMPARE(window->PathLabel()->text(), harness.Path(U("platte")));
    QCOMPARE(ItemTexts(window->Files()), QStringList(U("eins.jpg")));
    harness.drives = {net, disk};  // a change elsewhere leaves the selection alone
    window->DrivesChanged();
    QCOMPARE(tree->SelectedNode(), diskNode);
    QCOMPARE(FolderTree::NodePath(tree->DefaultDrive()), QByteArray("/nirgends/netz"));  // first listed
  }

  void germanOrderAndHiddenFoldersOnRequest() {
    // Numbers by value, an umlaut beside its letter (after the plain letter's word), case last.
    Harness harness;
    for (const char* name : {"Bild 10", "Bild 2", "Ümlaut", "vase", "Vase", "Uhr", ".versteckt"})
      harness.MakeFolder(U("fotos/") + U(name));
    for (const char* name : {"Bild 10.jpg", "bild 2.jpg", "Ähre.jpg", "Zaun.jpg"})
      harness.WriteJpeg(U("fotos/") + U(name), 8, 8);
    StartIn(harness.Path(U("fotos")));
    auto window = harness.Start();
    QCOMPARE(Subfolders(*window), U("Bild 2|Bild 10|Uhr|Ümlaut|Vase|vase"));
    QCOMPARE(ItemTexts(window->Files()).join(QLatin1Char('|')),
             U("Ähre.jpg|bild 2.jpg|Bild 10.jpg|Zaun.jpg"));
    // Shown through the tree's context menu (and Ctrl+H), kept for the next start.
    QAction* hidden = window->HiddenFoldersAction();
    QVERIFY(window->Tree()->actions().contains(hidden));
    QCOMPARE(hidden->text(), U("Versteckte Ordner anzeigen"));
    hidden->trigger();
    QCOMPARE(window->Tree()->SelectedNode()->text(0), U("fotos"));
    QVERIFY(Subfolders(*window).startsWith(U(".versteckt|")));
    window = harness.Start();
    QVERIFY(Subfolders(*window).startsWith(U(".versteckt|")));
    window->HiddenFoldersAction()->trigger();
    QCOMPARE(Subfolders(*window), U("Bild 2|Bild 10|Uhr|Ümlaut|Vase|vase"));
    QCOMPARE(Setting(U("Ansicht"), U("showhidden")), U("0"));
  }

  void listsImagesFilteredByNamesAndFormats() {
    Harness harness;
    // Real images: IMG_0001.jpg, IMG_0002.JPG, abc.png, bcd.png, cde.png, photo.jpeg.
    harness.WriteJpeg(U("IMG_0001.jpg"), 64, 48);
    harness.WriteJpeg(U("IMG_0002.JPG"), 48, 64);
    for (const char* name : {"abc.png", "bcd.png", "cde.png"}) harness.WritePng(U(name), 20, 10);
    harness.WriteJpeg(U("photo.jpeg"), 16, 16);
    auto window = harness.Start();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    FileList* files = window->Files();
    FilterPanel* filter = window->Filter();
    QCOMPARE(Sorted(ItemTexts(files)), U("IMG_0001.jpg,IMG_0002.JPG,abc.png,bcd.png,cde.png,photo.jpeg"));
    qint64 total = 0;
    for (const QString& name : ItemTexts(files)) total += QFileInfo(harness.Path(name)).size();
    QCOMPARE(filter->StatusText(), U("6 Bilder mit %1 Bytes").arg(QLocale().toString(total)));
    QCOMPARE(filter->StatusColour(), QColor(0, 0, 0));
    // The first file is selected and shown; the keyboard and the mouse show the file they select.
    QTreeWidgetItem* first = files->topLevelItem(0);
    QVERIFY(first->isSelected());
    QCOMPARE(window->Info()->NameLabel()->text(), first->text(0));
    files->setFocus();
    QTest::keyClick(files, Qt::Key_End);
    WaitForImage(*window);
    QCOMPARE(window->Info()->NameLabel()->text(), files->topLevelItem(5)->text(0));
    ClickItem(files, files->topLevelItem(1));
    QCOMPARE(window->Info()->NameLabel()->text(), files->topLevelItem(1)->text(0));
    // Name patterns; Enter moves on to the tree.
    filter->NamePatterns()->setFocus();
    filter->NamePatterns()->setText(U("a*, b*"));
    QTest::keyClick(filter->NamePatterns(), Qt::Key_Return);
    QCOMPARE(Sorted(ItemTexts(files)), U("abc.png,bcd.png"));
    QVERIFY(window->Tree()->hasFocus());
    filter->NamePatterns()->setText(U("img_####"));
    filter->Box(6)->setChecked(false);  // png
    QCOMPARE(Sorted(ItemTexts(files)), U("IMG_0001.jpg,IMG_0002.JPG"));
    for (int i = 0; i < static_cast<int>(kFormatBoxCount); ++i) {
      if (!filter->Box(i)->isHidden()) filter->Box(i)->setChecked(false);
    }
    QCOMPARE(filter->StatusText(), U("0 Bilder mit 0 Bytes"));
    // "alle auswählen" checks every box again; each change lists the folder once more.
    int refreshes = 0;
    connect(filter, &FilterPanel::refreshRequested, this, [&refreshes] { ++refreshes; });
    filter->NamePatterns()->setText(U("*"));
    filter->AllFormats()->click();
    QCOMPARE(refreshes, 14);  // the hidden jp2 box stayed checked
    QCOMPARE(files->topLevelItemCount(), 6);
    // An emptied pattern is replaced, with a message, when the box loses the focus.
    filter->NamePatterns()->setFocus();
    filter->NamePatterns()->clear();
    files->setFocus();
    QCOMPARE(filter->NamePatterns()->text(), U("*"));
    QCOMPARE(harness.reporter.messages.size(), 1u);
    QCOMPARE(harness.reporter.messages.front().text,
             std::string("Suchbegriff der Bilddateien fehlt!\nEs wird die Voreinstellung gesetzt"));
    QVERIFY(harness.reporter.messages.front().icon == MessageIcon::Critical);
  }

  // The panel's labels and preview, the metadata list's copy, the viewer opened by Enter or a double
  // click and stepping through the files.
  void infoPanelViewerAndStepping() {
    Harness harness;
    harness.WriteJpeg(U("a.jpg"), 1600, 1200, true);
    QFile file(harness.Path(U("a.jpg")));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.resize(1234567));  // zero bytes after the end of the image change nothing
    QVERIFY(
        file.setFileTime(QDateTime(QDate(2004, 12, 24), QTime(18, 5, 9)), QFileDevice::FileModificationTime));
    file.close();
    harness.WriteJpeg(U("b.jpg"), 50, 30);
    harness.WritePng(U("c.png"), 60, 30);
    auto window = harness.Start();
    InfoPanel* info = window->Info();
    QCOMPARE(info->NameLabel()->text(), U("a.jpg"));
    QCOMPARE(info->DateLabel()->text(), U("zuletzt geändert: Freitag, 24.12.2004 18:05:09"));
    QCOMPARE(info->SizeLabel()->text(), U("Dateigröße: 1.234.567 Bytes"));
    QCOMPARE(info->DimensionsLabel()->text(), U("Bildausdehnung: 1600 x 1200 Pixel"));
    QVERIFY(QRegularExpression(U("^Ladezeit: \\d+ Millisekunden$"))
                .match(info->LoadTimeLabel()->text())
                .hasMatch());
    QCOMPARE(info->Preview()->Picture().size(), QSize(120, 90));  // scaled into the 120 x 120 pixel box
    QCOMPARE(window->Files()->topLevelItem(0)->toolTip(0), U("1.234.567 Bytes, 24.12.2004"));
    // Ctrl+C copies the selected rows of the metadata list as tab-separated lines.
    MetadataList* list = window->Metadata();
    QTreeWidgetItem* canon = list->findItems(U("Canon"), Qt::MatchExactly, 2).value(0);
    QVERIFY(canon != nullptr);
    list->clearSelection();
    list->topLevelItem(0)->setSelected(true);
    canon->setSelected(true);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(
        QApplication::clipboard()->text(),
        U("\tSektion Main\t\t\n%1\t%2\tCanon\t%3\n").arg(canon->text(0), canon->text(1), canon->text(3)));
    FileList* files = window->Files();
    QTest::keyClick(files, Qt::Key_Return);  // the first file is selected at the start
    QVERIFY(viewer_open && Viewer()->windowTitle().startsWith(U("a - 1600x1200 Pixel")));
    Viewer()->close();
    const QPoint row = files->visualItemRect(files->topLevelItem(1)).center();
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, row);  // a double click's first half
    QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, row);
    WaitForImage(*window);
    QVERIFY(viewer_open && Viewer()->windowTitle().startsWith(U("b - 50x30 Pixel")));
    // The list's selection and the panel follow; the ends stay.
    for (const auto& [key, name] : {std::pair{Qt::Key_Space, "c"},
                                    {Qt::Key_Space, "c"},
                                    {Qt::Key_Backspace, "b"},
                                    {Qt::Key_Backspace, "a"},
                                    {Qt::Key_Backspace, "a"},
                                    {Qt::Key_Space, "b"}}) {
      QTest::keyClick(Viewer(), key);
      WaitForImage(*window);
      QVERIFY(Viewer()->windowTitle().startsWith(U(name) + U(" - ")));
      QCOMPARE(files->currentItem()->text(0).section(QLatin1Char('.'), 0, 0), U(name));
      QVERIFY(window->Info()->NameLabel()->text().startsWith(U(name) + QLatin1Char('.')));
    }
    window->close();  // the shut-down closes the viewer
    QVERIFY(!viewer_open);
  }

  void browsingChangesNothing() {
    Harness harness;
    harness.MakeFolder(U("proben/tief"));
    harness.WriteJpeg(U("proben/kamera.jpg"), 640, 480, true);
    harness.WritePng(U("proben/bild.png"), 100, 80);
    for (const char* format : {"BMP", "GIF", "TGA", "PCX", "PSD", "TIFF"}) {
      QVERIFY(samples::WriteMagick(
          QFile::encodeName(harness.Path(U("proben/bild.") + U(format).toLower().left(3))).toStdString(),
          format, samples::Landscape(90, 60)));
    }
    harness.WriteBytes(U("proben/kaputt.jpg"), QByteArray(300, '\x5a'));
    harness.WriteBytes(U("proben/leer.png"), QByteArray());
    harness.WriteJpeg(U("proben/tief/innen.jpg"), 50, 40);
    const QStringList before = Snapshot(harness.Root());
    QCOMPARE(before.size(), 14);  // the root, two folders and eleven files
    StartIn(harness.Path(U("proben")));
    auto window = harness.Start();
    FileList* files = window->Files();
    QCOMPARE(files->topLevelItemCount(), 10);
    QTest::mouseClick(window->Info()->Preview(), Qt::RightButton);  // only the left button opens the viewer
    QVERIFY(!viewer_open);
    for (int i = 0; i < files->topLevelItemCount(); ++i) {
      ClickItem(files, files->topLevelItem(i));
      QTest::mouseClick(window->Info()->Preview(), Qt::LeftButton);  // and in the viewer
    }
    QVERIFY(viewer_open);
    QTreeWidgetItem* node = window->Tree()->SelectedNode();
    node->setExpanded(true);
    ClickItem(window->Tree(), Child(node, U("tief")));
    window->UpAction()->trigger();
    window->Filter()->AllFormats()->click();
    window->close();
    QCOMPARE(Snapshot(harness.Root()), before);
  }

  void rowFilterCsvFieldsAndPosition() {
    // Matches by tag, label (any case), information or raw value keep the title of their section and
    // the empty row before it (not before the first shown); "???" rows can be hidden.
    const std::vector<ListingRow> rows{Row(1, "", "Sektion Main", "", "", RowKind::Header),
                                       Row(1, "271", "Hersteller", "Canon", "Canon"),
                                       Row(1, "33434", "Belichtungszeit", "1/250 s", "1/250"),
                                       Row(3, "", "", "", "", RowKind::Separator),
                                       Row(3, "", "Sektion Makernote", "", "", RowKind::Header),
                                       Row(3, "7", "???", "zz belichtung", "0x1f"),
                                       Row(4, "", "Sektion GPS", "", "", RowKind::Header),
                                       Row(4, "1", "Breite", "Nord", "N")};
    for (const auto& [text, hideUnknown, shown] : {std::tuple{"", false, "0 1 2 3 4 5 6 7"},
                                                   {"271", false, "0 1"},
                                                   {"BELICHTUNG", false, "0 2 3 4 5"},
                                                   {"nord", false, "6 7"},
                                                   {"0x1f", false, "4 5"},
                                                   {"", true, "0 1 2 6 7"},
                                                   {"zz", true, ""},
                                                   {"qqq", false, ""}}) {
      QStringList got;
      for (std::size_t i : FilterRows(rows, {U(text), hideUnknown})) got << QString::number(i);
      QCOMPARE(got.join(QLatin1Char(' ')), U(shown));
    }
    for (const auto& [text, field] : {std::pair{"1/250 s", "1/250 s"},
                                      {"a;b", "\"a;b\""},
                                      {"5\" Zoll", "\"5\"\" Zoll\""},
                                      {"a\nb", "\"a\nb\""},
                                      {" a", "\" a\""}})
      QCOMPARE(CsvField(U(text)), U(field));
    for (const auto& [raw, degrees] : {std::pair{"41/1,5118/100,0/1", 41.853},
                                       {"48/1,9/1,36/1", 48.16},
                                       {"41/0,1/1,0/1", -1.0},
                                       {"41/1,60/1,0/1", -1.0},
                                       {"1,2,3,4", -1.0},
                                       {"", -1.0}}) {
      const std::optional<double> got = DegreesFromRaw(U(raw));
      QVERIFY2(degrees < 0 ? !got : got && std::abs(*got - degrees) < 1e-9, raw);
    }
    std::vector<ListingRow> gps{Row(4, "1", "", "", "S"), Row(4, "2", "", "", "33/1,51/1,36/1"),
                                Row(4, "3", "", "", "W"), Row(4, "4", "", "", "70/1,30/1,0/1")};
    const std::optional<GpsPosition> position = PositionOfRows(gps);
    QVERIFY(position && std::abs(position->latitude + 33.86) < 1e-9 &&
            std::abs(position->longitude + 70.5) < 1e-9);
    QCOMPARE(
        MapUrl(*position).toString(),
        U("https://www.openstreetmap.org/?mlat=-33.860000&mlon=-70.500000#map=15/-33.860000/-70.500000"));
    gps[3].raw = "190/1";  // beyond 180
    QVERIFY(!PositionOfRows(gps));
    gps.pop_back();
    QVERIFY(!PositionOfRows(gps));
  }

  // hafen.jpg and kopie.jpg: a Nikon's EXIF with GPS, three IPTC datasets (one without a name) and a
  // comment; leer.jpg: no metadata.
  void onACameraImage() {
    Harness harness;
    samples::Shot shot = samples::SampleShot(samples::Maker::kNikon, 64, 48);
    shot.gps = true;
    const std::vector<samples::Segment> segments{
        {0xE1, samples::CameraExif(samples::Maker::kNikon, shot, {})},
        {0xED, samples::IptcPayload({{5, "Hafen; Abend"}, {80, "Anna \"Nina\" Roth"}, {250, "Eigenes"}})},
        samples::Comment("Abendlicht")};
    for (const char* name : {"hafen.jpg", "kopie.jpg"}) harness.WriteJpeg(U(name), segments);
    harness.WriteJpeg(U("leer.jpg"), {});
    auto window = harness.Start();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    MetadataList* list = window->Metadata();
    // IPTC after GPS, then the comments; red titles after an empty row.
    const int gps = list->indexOfTopLevelItem(Find(list, "Sektion GPS").value(0));
    const int iptc = list->indexOfTopLevelItem(Find(list, "Sektion IPTC").value(0));
    QVERIFY(gps > 0 && iptc > gps);
    QCOMPARE(list->topLevelItem(iptc)->foreground(1).color(), QColor(255, 0, 0));
    QCOMPARE(Columns(list->topLevelItem(iptc - 1)), QStringList(4));
    QCOMPARE(Columns(list->topLevelItem(iptc + 1)),
             QStringList({U("5"), U("Objektname (Titel)"), U("Hafen; Abend"), {}}));
    QCOMPARE(Columns(list->topLevelItem(iptc + 3)), QStringList({U("250"), U("???"), U("Eigenes"), {}}));
    QCOMPARE(list->topLevelItem(iptc + 5)->text(1), U("Sektion Kommentare"));
    QCOMPARE(list->topLevelItem(iptc + 6)->text(2), U("Abendlicht"));
    QCOMPARE(list->topLevelItemCount(), iptc + 7);
    // GPS: the coordinates' tooltips in decimal degrees (German comma), the map of the position.
    QVERIFY(list->Position());
    QStringList tips;
    for (int i = 0; i < list->topLevelItemCount(); ++i) tips << list->topLevelItem(i)->toolTip(2);
    tips.removeAll(QString());
    QCOMPARE(tips, QStringList({DecimalDegreesText(list->Position()->latitude),
                                DecimalDegreesText(list->Position()->longitude)}));
    QVERIFY(tips.front().contains(QLatin1Char(',')));
    QList<QUrl> opened;
    list->openUrl = [&](const QUrl& url) { opened << url; };
    // Copying the value, every row and the current row, by keys and by the menu.
    list->setFocus();
    list->setCurrentItem(Find(list, "272", 0).value(0));
    QClipboard* clipboard = QApplication::clipboard();
    const QString model = list->currentItem()->text(2);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(clipboard->text(), model);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(clipboard->text(), list->AllText());
    QCOMPARE(clipboard->text().count(QLatin1Char('\n')), list->topLevelItemCount());
    QMenu menu;
    list->FillContextMenu(menu);
    QStringList texts;
    for (QAction* action : menu.actions()) texts << action->text();
    QCOMPARE(
        texts.mid(0, 6).join(QLatin1Char('|')),
        U("Wert kopieren|Zeile kopieren|Alle Zeilen kopieren||Als CSV exportieren …|Als JSON exportieren …"));
    menu.actions().at(1)->trigger();
    QCOMPARE(clipboard->text(), U("272\tModell\t%1\t%2\n").arg(model, list->currentItem()->text(3)));
    menu.actions().last()->trigger();
    QCOMPARE(opened, QList<QUrl>{MapUrl(*list->Position())});
    // The exports, to the file the dialog names; a cancelled dialog writes nothing.
    QStringList suggested;
    QString target = harness.Path(U("export.csv"));
    list->askSavePath = [&](const QString&, const QString& name, const QString&) {
      suggested << name;
      return target;
    };
    QTest::keyClick(list, Qt::Key_E, Qt::ControlModifier);
    QFile csv(target);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBFTag;Bezeichnung;Information;Rohdaten\r\n;Sektion Main;;\r\n"));
    QVERIFY(bytes.contains((U("\r\n272;Modell;") + model + U(";")).toUtf8()));
    target = harness.Path(U("export.json"));
    QTest::keyClick(list, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(suggested, QStringList({harness.Path(U("hafen.csv")), harness.Path(U("hafen.json"))}));
    QFile json(target);
    QVERIFY(json.open(QIODevice::ReadOnly));
    const QJsonArray files = QJsonDocument::fromJson(json.readAll()).array();
    const QJsonObject file = files.at(0).toObject();
    QVERIFY(files.size() == 1 && file.value(U("error")).isNull());
    QCOMPARE(file.value(U("file")).toString(), harness.Path(U("hafen.jpg")));
    QCOMPARE(file.value(U("iptc")).toArray().at(1).toObject().value(U("value")).toString(),
             U("Anna \"Nina\" Roth"));
    QVERIFY(QFile::remove(target));
    target.clear();
    QTest::keyClick(list, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!QFile::exists(harness.Path(U("export.json"))));
    QString error;
    QVERIFY(!WriteCsvFile(harness.Path(U("fehlt/x.csv")), list->Rows(), error));
    QVERIFY(error.startsWith(U("Die Datei „")));
    // The search bar above the list: Ctrl+F, titles kept, kept for the next image, Esc empties.
    MetadataSearchBar* bar = window->Search();
    const int all = list->topLevelItemCount();
    QVERIFY(bar->isVisible() && bar->geometry().bottom() < list->geometry().top());
    QCOMPARE(bar->Field()->placeholderText(), U("Suchen …"));
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(bar->Field()->hasFocus());
    QTest::keyClicks(bar->Field(), U("MODELL"));
    const QStringList shown = ItemTexts(list);
    QVERIFY(shown.size() >= 2 && shown.size() < all && shown.contains(U("272")));
    ClickItem(window->Files(), window->Files()->topLevelItem(1));
    QCOMPARE(ItemTexts(list), shown);
    QTest::keyClick(bar->Field(), Qt::Key_Escape);
    QVERIFY(bar->Field()->text().isEmpty());
    QCOMPARE(list->topLevelItemCount(), all);
    list->SetFilter({U("objektname"), false});  // datasets are found by their names
    QCOMPARE(ItemTexts(list), QStringList({QString(), U("5")}));
    QCOMPARE(list->topLevelItem(0)->text(1), U("Sektion IPTC"));
    list->SetFilter({});
    // "???" rows go with the check box, and come back.
    const int unknown = static_cast<int>(Find(list, "???").size());
    bar->HideUnknown()->click();
    QVERIFY(unknown > 0 && Find(list, "???").isEmpty() && list->topLevelItemCount() <= all - unknown);
    bar->HideUnknown()->click();
    QCOMPARE(list->topLevelItemCount(), all);
    // An image without metadata: no such sections, no position.
    ClickItem(window->Files(), window->Files()->topLevelItem(2));
    QVERIFY(Find(list, "Sektion IPTC").isEmpty() && Find(list, "Sektion Kommentare").isEmpty());
    QVERIFY(!list->Position());
  }

  void labelColumnFitsAndLongTextsShowWhole() {
    MetadataList list;
    list.resize(900, 400);
    list.show();
    const auto fill = [&](const QString& label, const QString& value) {
      list.SetRows(
          {Row(1, "1", label.toUtf8().constData(), value.toUtf8().constData()), Row(1, "1", "", "kurz")});
      return list.columnWidth(1);
    };
    const QString longLabel = QStringLiteral("Bezeichnung ").repeated(3);
    const int narrow = fill(U("Kurz"), U("1/250 s"));
    const int wide = fill(longLabel, U("1/250 s"));
    QVERIFY(wide >= list.fontMetrics().horizontalAdvance(longLabel) && wide > narrow);
    QVERIFY(fill(QStringLiteral("Bezeichnung ").repeated(30), U("x")) <= 900 * 45 / 100);  // within the limit
    const QString longValue = QStringLiteral("Wert ").repeated(200);
    QCOMPARE(fill(U("Kurz"), longValue), narrow);  // fitted again on each filling
    list.setColumnWidth(2, 100);
    const auto at = [&](int row, int column) {
      return list.visualRect(list.model()->index(row, column)).center();
    };
    QCOMPARE(list.ToolTipAt(at(0, 2)), longValue);
    QVERIFY(list.ToolTipAt(at(1, 2)).isEmpty() && list.ToolTipAt(at(0, 1)).isEmpty());
  }

  // The help: installed by "cmake --install" where the program finds it, every link in it resolves,
  // and "Hilfe" hands it to the desktop's browser.
  void installedWithLinksThatResolve() {
    QVERIFY2(installed.endsWith(QStringLiteral("/share/kelmarin/help/index.html")), qPrintable(installed));
    QCOMPARE(FindHelpFile(QStringLiteral(KELMARIN_BUILD_PROGRAM_DIR)),
             QStringLiteral(KELMARIN_BUILD_PROGRAM_DIR "/help/index.html"));
    const QDir folder = QFileInfo(installed).dir();
    const auto read = [&](const QString& name) {
      QFile file(folder.filePath(name));
      return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
    int links = 0;
    for (const QString& page : folder.entryList({QStringLiteral("*.html")}, QDir::Files)) {
      for (const auto& match : link.globalMatch(read(page))) {
        const QString target = match.captured(1);  // only links inside the help: read without a network
        const QString file = target.section(QLatin1Char('#'), 0, 0);
        const QString anchor = target.section(QLatin1Char('#'), 1);
        const QString linked = read(file.isEmpty() ? page : file);
        QVERIFY2(!target.contains(QLatin1Char(':')) && !linked.isEmpty() &&
                     (anchor.isEmpty() || linked.contains(QStringLiteral(" id=\"%1\"").arg(anchor))),
                 qPrintable(page + QStringLiteral(": ") + target));
        ++links;
      }
    }
    QVERIFY(links > 10);
    // Only a file is a help: not a folder of that name, not a missing one.
    QTemporaryDir program;
    QVERIFY(QDir(program.path()).mkpath(QStringLiteral("help/index.html")));
    QCOMPARE(FindHelpFile(program.path()), QString());
  }

  void menuOpensItInTheBrowser() {
    PrepareEnvironment();
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "OpenHelp");
    Harness harness;
    StartOptions options = harness.Options();
    options.programFolder = QStringLiteral(KELMARIN_HELP_PROGRAM_DIR);
    harness.Start(options)->HelpAction()->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(helpOpened, QList<QUrl>{QUrl::fromLocalFile(installed)});
  }

  void laterSelectionWinsOverASlowDecode() {
    Harness harness;
    harness.WriteJpeg(QStringLiteral("a.jpg"), 40, 30);  // no EXIF block
    harness.WriteJpeg(QStringLiteral("b.jpg"), 600, 2400, true);
    auto window = harness.Start();
    const QString folderStatus = window->Filter()->StatusText();
    bool oldStillDecoding = false;
    WhileHeld(window.get(), [&] {
      ClickItem(window->Files(), Item(*window, QStringLiteral("a.jpg")));
      oldStillDecoding = !heldReturned;  // the window did not wait for the old picture
      release.release();
    });
    ClickItem(window->Files(), Item(*window, QStringLiteral("b.jpg")));
    QVERIFY(oldStillDecoding);
    QTRY_VERIFY(!window->Current().Loader().Busy());
    QVERIFY(checks < 100);  // decoded to its end, the big file alone would look 1,200 times
    QCoreApplication::processEvents();
    QCOMPARE(window->Info()->DimensionsLabel()->text(), QStringLiteral("Bildausdehnung: 40 x 30 Pixel"));
    QCOMPARE(window->Metadata()->topLevelItem(0)->text(1), QStringLiteral("Keine Exif Infos"));
    QCOMPARE(window->Filter()->StatusText(), folderStatus);

    // A double click during a load opens the viewer once the file is shown; it steps as always.
    bool openDuringLoad = true;
    WhileHeld(window.get(), [&] {
      emit window->Files()->openRequested(Item(*window, QStringLiteral("b.jpg")));
      openDuringLoad = viewer_open;
      release.release();
    });
    ClickItem(window->Files(), Item(*window, QStringLiteral("b.jpg")));
    QVERIFY(!openDuringLoad && Viewer()->windowTitle().startsWith(QStringLiteral("b - 600x2400 Pixel")));
    QTest::keyClick(Viewer(), Qt::Key_Backspace);
    WaitForImage(*window);
    QVERIFY(Viewer()->windowTitle().startsWith(QStringLiteral("a - 40x30 Pixel")));
    UnloadViewer();

    // The folder listed again during a load: its panels stay empty.
    WhileHeld(window.get(), [&] {
      window->ReadFolder(window->Tree()->SelectedNode());
      release.release();
    });
    ClickItem(window->Files(), Item(*window, QStringLiteral("b.jpg")));
    QTRY_VERIFY(!window->Current().Loader().Busy());
    QCoreApplication::processEvents();
    QVERIFY(window->Info()->NameLabel()->text().isEmpty() && window->Metadata()->topLevelItemCount() == 0);

    // The metadata list is filled as soon as the metadata is read; the pixel size, the load time and
    // the preview follow with the picture.
    ClickItem(window->Files(), Item(*window, QStringLiteral("a.jpg")));
    MetadataList* list = window->Metadata();
    QStringList duringDecode;
    WhileHeld(window.get(), [&] {
      for (int i = 0; i < 500 && list->findItems(U("Canon"), Qt::MatchExactly, 2).isEmpty(); ++i)
        QTest::qWait(10);
      duringDecode << QString::number(heldReturned) << window->Info()->NameLabel()->text()
                   << window->Info()->DimensionsLabel()->text() << window->Filter()->StatusText()
                   << QString::number(window->Info()->Preview()->HasPicture())
                   << QString::number(list->findItems(U("Canon"), Qt::MatchExactly, 2).size());
      release.release();
    });
    ClickItem(window->Files(), Item(*window, QStringLiteral("b.jpg")));
    QCOMPARE(duringDecode, QStringList({U("0"), U("b.jpg"), QString(), U("Bild einlesen"), U("0"), U("1")}));
    QTRY_VERIFY(!window->Current().Loader().Busy());
    QCoreApplication::processEvents();
    QCOMPARE(window->Info()->DimensionsLabel()->text(), U("Bildausdehnung: 600 x 2400 Pixel"));
    QVERIFY(window->Info()->Preview()->HasPicture());
    QCOMPARE(list->findItems(U("Canon"), Qt::MatchExactly, 2).size(), 1);
  }

  // Pictures upright whatever the format, a PNG named .jpg shown as what it is, and a file that
  // cannot be decoded shown in the following viewer by its name without the picture before it.
  void viewerFollowsUprightMisnamedAndBrokenFiles() {
    Harness harness;
    QByteArray exif("Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0", 32);
    harness.WriteJpeg(U("hoch.jpg"), {{0xE1, samples::Bytes(exif.begin(), exif.end())}});
    harness.WriteBytes(U("kaputt.jpg"), QByteArray(300, '\x5a'));
    harness.WritePng(U("png.jpg"), 60, 30);
    auto window = harness.Start();
    InfoPanel* info = window->Info();
    // Stored 64 x 48, turned a quarter: a portrait in the preview; the panel keeps the stored size.
    QCOMPARE(info->Preview()->Picture().size(), QSize(90, 120));
    QCOMPARE(info->DimensionsLabel()->text(), U("Bildausdehnung: 64 x 48 Pixel"));
    QTest::keyClick(window->Files(), Qt::Key_Return);
    const struct {
      const char* caption;
      QSize picture;
      std::size_t messages;
    } steps[] = {{"hoch - 64x48 Pixel - 100 %", {48, 64}, 0},
                 {"kaputt", {0, 0}, 1},
                 {"png - 60x30 Pixel - 100 %", {60, 30}, 1}};
    for (const auto& step : steps) {
      QCOMPARE(Viewer()->windowTitle(), U(step.caption));
      QCOMPARE(Viewer()->Picture().Picture().size(), step.picture);
      QCOMPARE(harness.reporter.messages.size(), step.messages);
      QTest::keyClick(Viewer(), Qt::Key_Space);
      WaitForImage(*window);
    }
    QCOMPARE(QString::fromStdString(harness.reporter.messages[0].text),
             U("Fehler 1003\nReadImgage: ") + harness.Path(U("kaputt.jpg")));
    QCOMPARE(info->DimensionsLabel()->text(), U("Bildausdehnung: 60 x 30 Pixel"));
    UnloadViewer();
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::BrowseTest)
#include "BrowseTest.moc"
