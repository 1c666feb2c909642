// Nothing of a file stays on screen once another file, an empty folder or an unreadable folder is
// chosen: preview, the five labels and the metadata list show the new choice or nothing.
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

#include "TestSupport.h"
#include "browser/CurrentImage.h"
#include "browser/FileList.h"
#include "browser/FilterPanel.h"
#include "browser/FolderTree.h"
#include "browser/InfoPanel.h"
#include "browser/MetadataList.h"
#include "windows/Bild.h"

namespace kelmarin::test {

namespace {

QStringList Labels(InfoPanel* info) {
  return {info->NameLabel()->text(), info->DateLabel()->text(), info->SizeLabel()->text(),
          info->DimensionsLabel()->text(), info->LoadTimeLabel()->text()};
}

void ExpectNothingShown(Verzeichnis& window) {
  QVERIFY(!window.Info()->Preview()->HasPicture());
  QCOMPARE(Labels(window.Info()), QStringList(5));
  QCOMPARE(window.Metadata()->topLevelItemCount(), 0);
  emit window.Info()->Preview()->clicked();  // no file: the viewer stays shut
  QVERIFY(!viewer_open);
}

}  // namespace

class StaleDataTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  void failedLoadShowsOnlyWhatNeedsNoDecoding_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("metadata");
    QTest::newRow("empty") << "empty" << false;
    QTest::newRow("text") << "text" << false;
    QTest::newRow("truncated with EXIF") << "truncated" << true;
    QTest::newRow("no permission") << "locked" << false;
  }
  void failedLoadShowsOnlyWhatNeedsNoDecoding() {
    QFETCH(QString, kind);
    QFETCH(bool, metadata);
    if (kind == QStringLiteral("locked") && ::geteuid() == 0) QSKIP("root reads every file");
    Harness harness;
    harness.WriteJpeg(QStringLiteral("a_gut.jpg"), 320, 240, true);
    const QString bad = harness.Path(QStringLiteral("b_schlecht.jpg"));
    if (kind == QStringLiteral("empty")) harness.WriteBytes(QStringLiteral("b_schlecht.jpg"), {});
    if (kind == QStringLiteral("text"))
      harness.WriteBytes(QStringLiteral("b_schlecht.jpg"), "Einkaufsliste\n");
    if (kind == QStringLiteral("truncated") || kind == QStringLiteral("locked")) {
      harness.WriteJpeg(QStringLiteral("b_schlecht.jpg"), 320, 240, true);
      QFile file(bad);
      QVERIFY(file.open(QIODevice::ReadWrite));
      const QByteArray bytes = file.readAll();
      const qsizetype scan = bytes.lastIndexOf("\xFF\xDA");  // the main image's scan, after the EXIF block
      if (kind == QStringLiteral("truncated")) QVERIFY(file.resize(scan + (bytes.size() - scan) / 3));
      if (kind == QStringLiteral("locked")) QVERIFY(file.setPermissions({}));
    }
    auto window = harness.Start();
    QCOMPARE(window->Info()->NameLabel()->text(), QStringLiteral("a_gut.jpg"));
    QVERIFY(window->Metadata()->topLevelItemCount() > 5);

    harness.reporter.messages.clear();
    ClickItem(window->Files(), window->Files()->topLevelItem(1));
    QFile::setPermissions(bad, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(harness.reporter.messages.size(), 1u);  // the load's own message
    QVERIFY(!window->Info()->Preview()->HasPicture());
    const QStringList labels = Labels(window->Info());
    QCOMPARE(labels[0], QStringLiteral("b_schlecht.jpg"));
    QVERIFY(labels[1].startsWith(QStringLiteral("zuletzt geändert: ")) && labels[1].size() > 25);
    QCOMPARE(labels[2], QStringLiteral("Dateigröße: ") + QLocale().toString(QFileInfo(bad).size()) +
                            QStringLiteral(" Bytes"));
    QCOMPARE(labels.mid(3), QStringList(2));
    MetadataList* list = window->Metadata();
    QCOMPARE(list->topLevelItemCount() > 0, metadata);
    if (metadata) {
      QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("Sektion Main"));
      QVERIFY(!list->findItems(QStringLiteral("Canon"), Qt::MatchExactly, 2).isEmpty());
    }
    emit window->Info()->Preview()->clicked();
    QVERIFY(!viewer_open);
  }

  void emptyAndUnreadableFoldersClearEverything() {
    Harness harness;
    for (const char* folder : {"a", "b", "c"}) harness.MakeFolder(QString::fromLatin1(folder));
    harness.WriteJpeg(QStringLiteral("a/bild.jpg"), 320, 240, true);
    harness.WriteBytes(QStringLiteral("b/notiz.txt"), "keine Bilder");
    SetSetting(QStringLiteral("LastSession"), QStringLiteral("startpath"), harness.Path(QStringLiteral("a")));
    SetSetting(QStringLiteral("Administration"), QStringLiteral("version"), QStringLiteral("1.0"));
    auto window = harness.Start();
    FolderTree* tree = window->Tree();
    QTreeWidgetItem* top = tree->SelectedNode()->parent();
    QCOMPARE(window->Info()->NameLabel()->text(), QStringLiteral("bild.jpg"));

    ClickItem(tree, Child(top, QStringLiteral("b")));  // no matching file
    QCOMPARE(window->Filter()->StatusText(), QStringLiteral("0 Bilder mit 0 Bytes"));
    ExpectNothingShown(*window);

    ClickItem(tree, Child(top, QStringLiteral("a")));
    QVERIFY(window->Info()->Preview()->HasPicture());
    QVERIFY(QDir(harness.Root()).rmdir(QStringLiteral("c")));  // gone since the tree was built
    ClickItem(tree, Child(top, QStringLiteral("c")));
    QCOMPARE(window->Filter()->StatusText(), QStringLiteral("Ordner kann nicht gelesen werden"));
    QCOMPARE(window->Files()->topLevelItemCount(), 0);
    ExpectNothingShown(*window);
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::StaleDataTest)
#include "StaleDataTest.moc"
