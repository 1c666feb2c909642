// What the window shows and keeps, run as a German desktop starts it: no data of a file stays once
// another choice is made, the tree leaves the information panel whole, and WMF drawings load although the C
// library got decimal commas.
#include <QDir>
#include <QLabel>
#include <QTest>
#include <clocale>

#include "FileWriters.h"
#include "TestSupport.h"
#include "browser/FileList.h"
#include "browser/FilterPanel.h"
#include "browser/FolderTree.h"
#include "browser/InfoPanel.h"
#include "browser/MetadataList.h"
#include "browser/SplitterBar.h"

namespace kelmarin::test {

namespace {

// The five labels (of the date its fixed start), the number of metadata rows and whether a preview
// shows, joined by "|".
QString Shown(Verzeichnis& window) {
  const InfoPanel* i = window.Info();
  return QStringList({i->NameLabel()->text(), i->DateLabel()->text().left(18), i->SizeLabel()->text(),
                      i->DimensionsLabel()->text(), i->LoadTimeLabel()->text(),
                      QString::number(window.Metadata()->topLevelItemCount()),
                      i->Preview()->HasPicture() ? QStringLiteral("Bild") : QString()})
      .join(QLatin1Char('|'));
}

const QString kAdmin = QStringLiteral("Administration");

}  // namespace

class WindowStateTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    PrepareEnvironment();
    QVERIFY2(*std::localeconv()->decimal_point == ',',
             "locale de_DE.UTF-8 missing (scripts/install-deps.sh)");
  }
  void init() { ClearSettings(); }

  void failedLoadShowsWhatNeedsNoPixels_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");  // "truncated": the good file cut in its scan
    QTest::newRow("empty") << "b.jpg" << QByteArray();
    QTest::newRow("text") << "b.jpg" << QByteArray("Einkaufsliste\n");
    QTest::newRow("truncated") << "b.jpg" << QByteArray("truncated");
    QTest::newRow("text as TIFF") << "b.tif" << QByteArray("Einkaufsliste\n");
  }
  void failedLoadShowsWhatNeedsNoPixels() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    Harness harness;
    harness.WriteJpeg(QStringLiteral("a.jpg"), 320, 240, true);
    QFile good(harness.Path(QStringLiteral("a.jpg")));
    QVERIFY(good.open(QIODevice::ReadOnly));
    const QByteArray whole = good.readAll();
    const bool cut = bytes == "truncated";
    if (cut) bytes = whole.left(whole.lastIndexOf("\xFF\xDA") + 200);  // after the main image's scan start
    harness.WriteBytes(name, bytes);
    auto window = harness.Start();
    const int rows = window->Metadata()->topLevelItemCount();
    QVERIFY(rows > 5 && window->Info()->Preview()->HasPicture());
    ClickItem(window->Files(), window->Files()->topLevelItem(1));
    QCOMPARE(harness.reporter.messages.size(), 1u);  // the load's own message
    QCOMPARE(Shown(*window), QStringLiteral("%1|zuletzt geändert: |Dateigröße: %2 Bytes|||%3|")
                                 .arg(name)
                                 .arg(QLocale().toString(bytes.size()))
                                 .arg(cut ? rows : 0));
  }

  void otherFoldersClearEverything() {
    Harness harness;
    for (const char* folder : {"a", "b", "c"}) harness.MakeFolder(QString::fromLatin1(folder));
    harness.WriteJpeg(QStringLiteral("a/bild.jpg"), 320, 240, true);
    SetSetting(kAdmin, QStringLiteral("version"), QStringLiteral("1.0"));
    SetSetting(QStringLiteral("LastSession"), QStringLiteral("startpath"), harness.Path(QStringLiteral("a")));
    auto window = harness.Start();
    QTreeWidgetItem* top = window->Tree()->SelectedNode()->parent();
    const QString nothing = QStringLiteral("|||||0|");
    QVERIFY(Shown(*window) != nothing);
    ClickItem(window->Tree(), Child(top, QStringLiteral("b")));  // no image in it
    QCOMPARE(Shown(*window), nothing);
    ClickItem(window->Tree(), Child(top, QStringLiteral("a")));
    QVERIFY(QDir(harness.Root()).rmdir(QStringLiteral("c")));  // gone since the tree was built
    ClickItem(window->Tree(), Child(top, QStringLiteral("c")));
    QCOMPARE(Shown(*window), nothing);
    QCOMPARE(window->Filter()->StatusText(), QStringLiteral("Ordner kann nicht gelesen werden"));
  }

  void treeLeavesTheInformationPanelWhole() {
    Harness harness;
    SetSetting(kAdmin, QStringLiteral("fwidth"), QStringLiteral("12000"));  // 800 pixels
    SetSetting(kAdmin, QStringLiteral("pwidth"), QStringLiteral("9000"));   // stored too wide
    auto window = harness.Start();
    const int widest = 12000 - 60 - 30 - 6000 - 60;
    QCOMPARE(window->Layout().tree.width, widest);
    DragBar(window->VSplitter(), QPoint(-2000, 5));
    const int narrowest = window->minimumWidth();
    QVERIFY(narrowest < 800);
    DragBar(window->VSplitter(), QPoint(2000, 5));
    QCOMPARE(window->Layout().tree.width, widest);
    QCOMPARE(window->Info()->geometry().right(), 800 - 5);
    QCOMPARE(window->minimumWidth(), 800);  // the window cannot be narrowed below tree and panel
    DragBar(window->VSplitter(), QPoint(-2000, 5));
    QCOMPARE(window->minimumWidth(), narrowest);
  }

  void wmfLoadsInTheGermanLocale() {
    Harness harness;
    QVERIFY(samples::WriteBytes(QFile::encodeName(harness.Path(QStringLiteral("z.wmf"))).toStdString(),
                                samples::MakeWmf(360, 240, "1,5")));
    auto window = harness.Start();
    QCOMPARE(QByteArray(std::localeconv()->decimal_point), QByteArray("."));  // for the whole process
    QVERIFY(harness.reporter.messages.empty() && window->Info()->Preview()->HasPicture());
  }
};

}  // namespace kelmarin::test

int main(int argc, char* argv[]) {
  qputenv("LC_ALL", "de_DE.UTF-8");  // before the application object takes the locale over
  QApplication application(argc, argv);
  kelmarin::test::WindowStateTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "WindowStateTest.moc"
