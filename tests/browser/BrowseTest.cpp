// Browsing: the drive and folder tree (placeholders, lazy reading, navigation, the up button, media
// mounted and removed while the program runs, German name order, hidden folders on request), the file
// list and its format filter, the information panel, the viewer opened from both; and browsing never
// changes a file or a folder.
#include <QAction>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QRegularExpression>

#include "SampleImage.h"
#include "TestSupport.h"
#include "browser/CurrentImage.h"
#include "browser/TreeIcons.h"
#include "windows/Bild.h"
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

}  // namespace

class BrowseTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

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
    QVERIFY(viewer_open && Viewer()->windowTitle().startsWith(U("b - 50x30 Pixel")));
    // The list's selection and the panel follow; the ends stay.
    for (const auto& [key, name] : {std::pair{Qt::Key_Space, "c"},
                                    {Qt::Key_Space, "c"},
                                    {Qt::Key_Backspace, "b"},
                                    {Qt::Key_Backspace, "a"},
                                    {Qt::Key_Backspace, "a"},
                                    {Qt::Key_Space, "b"}}) {
      QTest::keyClick(Viewer(), key);
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
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::BrowseTest)
#include "BrowseTest.moc"
