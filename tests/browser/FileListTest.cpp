// The file list and its format filter.
#include <sys/stat.h>

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "TestSupport.h"
#include "browser/FileList.h"
#include "browser/FilterPanel.h"
#include "browser/FolderTree.h"
#include "browser/InfoPanel.h"
#include "windows/Bild.h"
#include "windows/BildViewer.h"

namespace kelmarin::test {

class FileListTest : public QObject {
  Q_OBJECT

 private:
  // Real images: IMG_0001.jpg, IMG_0002.JPG, abc.png, bcd.png, cde.png, photo.jpeg; never listed:
  // a FIFO pipe.jpg, a folder dir.png.
  static void MakeFiles(Harness& harness) {
    harness.WriteJpeg(QStringLiteral("IMG_0001.jpg"), 64, 48);
    harness.WriteJpeg(QStringLiteral("IMG_0002.JPG"), 48, 64);
    for (const char* name : {"abc.png", "bcd.png", "cde.png"})
      harness.WritePng(QString::fromUtf8(name), 20, 10);
    harness.WriteJpeg(QStringLiteral("photo.jpeg"), 16, 16);
    harness.MakeFolder(QStringLiteral("dir.png"));
    QCOMPARE(::mkfifo(QFile::encodeName(harness.Path(QStringLiteral("pipe.jpg"))).constData(), 0600), 0);
  }
  static QString Sorted(QStringList list) {
    list.sort();
    return list.join(QLatin1Char(','));
  }

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  void listsImagesWithStatusAndTooltips() {
    Harness harness;
    MakeFiles(harness);
    auto window = harness.Start();
    QCOMPARE(Sorted(ItemTexts(window->Files())),
             QStringLiteral("IMG_0001.jpg,IMG_0002.JPG,abc.png,bcd.png,cde.png,photo.jpeg"));
    std::int64_t total = 0;
    for (const QString& name : ItemTexts(window->Files())) total += QFileInfo(harness.Path(name)).size();
    QCOMPARE(window->Filter()->StatusText(), QStringLiteral("6 Bilder mit ") +
                                                 QLocale().toString(static_cast<qlonglong>(total)) +
                                                 QStringLiteral(" Bytes"));
    QCOMPARE(window->Filter()->StatusColour(), QColor(0, 0, 0));
    // The first file is selected and shown.
    QTreeWidgetItem* first = window->Files()->topLevelItem(0);
    QVERIFY(first->isSelected());
    QCOMPARE(window->Info()->NameLabel()->text(), first->text(0));
    QCOMPARE(window->Files()->Entry(first)->typeCode, first->text(0).endsWith(QStringLiteral("png")) ? 8 : 4);
    // The keyboard and the mouse show the file they select.
    FileList* files = window->Files();
    files->setFocus();
    QTest::keyClick(files, Qt::Key_End);
    QCOMPARE(window->Info()->NameLabel()->text(), files->topLevelItem(5)->text(0));
    QTest::keyClick(files, Qt::Key_Up);
    QCOMPARE(window->Info()->NameLabel()->text(), files->topLevelItem(4)->text(0));
    ClickItem(files, files->topLevelItem(1));
    QCOMPARE(window->Info()->NameLabel()->text(), files->topLevelItem(1)->text(0));
  }

  void namePatternsAndBoxes() {
    Harness harness;
    MakeFiles(harness);
    auto window = harness.Start();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    FilterPanel* filter = window->Filter();
    filter->NamePatterns()->setFocus();
    filter->NamePatterns()->setText(QStringLiteral("a*, b*"));
    QTest::keyClick(filter->NamePatterns(), Qt::Key_Return);
    QCOMPARE(Sorted(ItemTexts(window->Files())), QStringLiteral("abc.png,bcd.png"));
    QVERIFY(window->Tree()->hasFocus());  // Enter moves on to the tree
    filter->NamePatterns()->setText(QStringLiteral("img_####"));
    filter->Box(6)->setChecked(false);  // png
    QCOMPARE(Sorted(ItemTexts(window->Files())), QStringLiteral("IMG_0001.jpg,IMG_0002.JPG"));
    for (int i = 0; i < static_cast<int>(kFormatBoxCount); ++i) {
      if (!filter->Box(i)->isHidden()) filter->Box(i)->setChecked(false);
    }
    QCOMPARE(filter->StatusText(), QStringLiteral("0 Bilder mit 0 Bytes"));
    // "alle auswählen" checks every box again; each change lists the folder once more.
    int refreshes = 0;
    connect(filter, &FilterPanel::refreshRequested, this, [&refreshes] { ++refreshes; });
    filter->NamePatterns()->setText(QStringLiteral("*"));
    filter->AllFormats()->click();
    QCOMPARE(refreshes, 14);  // the hidden jp2 box stayed checked
    QCOMPARE(window->Files()->topLevelItemCount(), 6);
    // An emptied pattern is replaced, with a message, when the box loses the focus.
    filter->NamePatterns()->setFocus();
    filter->NamePatterns()->clear();
    window->Files()->setFocus();
    QCOMPARE(filter->NamePatterns()->text(), QStringLiteral("*"));
    QCOMPARE(harness.reporter.messages.size(), 1u);
    QCOMPARE(harness.reporter.messages.front().text,
             std::string("Suchbegriff der Bilddateien fehlt!\nEs wird die Voreinstellung gesetzt"));
    QVERIFY(harness.reporter.messages.front().icon == MessageIcon::Critical);
  }

  void commandLineFileSelectsThatFile() {
    Harness harness;
    harness.MakeFolder(QStringLiteral("sub"));
    harness.WriteJpeg(QStringLiteral("sub/first.jpg"), 32, 32);
    harness.WriteJpeg(QStringLiteral("sub/wanted.jpg"), 32, 32);
    StartOptions options = harness.Options();
    options.startArgument = harness.Path(QStringLiteral("sub/wanted.jpg"));
    auto window = harness.Start(options);
    QCOMPARE(window->Tree()->SelectedNode()->text(0), QStringLiteral("sub"));
    QCOMPARE(window->Files()->currentItem()->text(0), QStringLiteral("wanted.jpg"));
    QCOMPARE(window->Info()->NameLabel()->text(), QStringLiteral("wanted.jpg"));
    window.reset();
    options.startArgument = harness.Path(QStringLiteral("sub/"));  // a folder opens that folder
    QCOMPARE(harness.Start(options)->Tree()->SelectedNode()->text(0), QStringLiteral("sub"));
  }

  void openAndStep() {
    Harness harness;
    harness.WriteJpeg(QStringLiteral("a.jpg"), 40, 30);
    harness.WriteJpeg(QStringLiteral("b.jpg"), 50, 30);
    harness.WritePng(QStringLiteral("c.png"), 60, 30);
    auto window = harness.Start();
    FileList* files = window->Files();
    QTest::keyClick(files, Qt::Key_Return);  // the first file is selected at the start
    QVERIFY(viewer_open && Viewer()->windowTitle().startsWith(QStringLiteral("a - 40x30 Pixel")));
    Viewer()->close();
    const QPoint row = files->visualItemRect(files->topLevelItem(1)).center();
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, row);  // a double click's first half
    QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, row);
    QVERIFY(viewer_open && Viewer()->windowTitle().startsWith(QStringLiteral("b - 50x30 Pixel")));
    // The list's selection and the panel follow; the ends stay.
    const struct {
      Qt::Key key;
      const char* file;
    } steps[] = {{Qt::Key_Space, "c"},     {Qt::Key_Space, "c"},     {Qt::Key_Backspace, "b"},
                 {Qt::Key_Backspace, "a"}, {Qt::Key_Backspace, "a"}, {Qt::Key_Space, "b"}};
    for (const auto& step : steps) {
      QTest::keyClick(Viewer(), step.key);
      const QString name = QLatin1String(step.file);
      QVERIFY(Viewer()->windowTitle().startsWith(name + QStringLiteral(" - ")));
      QCOMPARE(files->currentItem()->text(0).section(QLatin1Char('.'), 0, 0), name);
      QVERIFY(window->Info()->NameLabel()->text().startsWith(name + QLatin1Char('.')));
    }
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::FileListTest)
#include "FileListTest.moc"
