// Browsing never changes a file or a folder: every byte and every modification time stays.
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include "FileWriters.h"
#include "SampleImage.h"
#include "TestSupport.h"
#include "browser/FileList.h"
#include "browser/FilterPanel.h"
#include "browser/FolderTree.h"
#include "browser/InfoPanel.h"
#include "windows/Bild.h"

namespace kelmarin::test {

namespace {

struct Snapshot {
  QMap<QString, QPair<QByteArray, QDateTime>> files;  // path -> (hash, modified)
  QStringList folders;                                // with their modification times

  static Snapshot Of(const QString& root) {
    Snapshot snapshot;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    snapshot.folders << root + QLatin1Char(' ') + QFileInfo(root).lastModified().toString(Qt::ISODateWithMs);
    while (it.hasNext()) {
      const QString path = it.next();
      const QFileInfo info(path);
      if (info.isDir()) {
        snapshot.folders << path + QLatin1Char(' ') + info.lastModified().toString(Qt::ISODateWithMs);
        continue;
      }
      QFile file(path);
      QByteArray hash;
      if (info.isFile() && file.open(QIODevice::ReadOnly)) {
        hash = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
      }
      snapshot.files.insert(path, {hash, info.lastModified()});
    }
    return snapshot;
  }
};

}  // namespace

class DataSafetyTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }

  void browsingChangesNothing() {
    Harness harness;
    harness.MakeFolder(QStringLiteral("proben/tief"));
    harness.WriteJpeg(QStringLiteral("proben/kamera.jpg"), 640, 480, true);
    harness.WritePng(QStringLiteral("proben/bild.png"), 100, 80);
    for (const char* format : {"bmp", "gif", "tga", "pcx", "psd", "tif"}) {
      const QString name = QStringLiteral("proben/bild.") + QString::fromLatin1(format);
      QVERIFY(samples::WriteMagick(QFile::encodeName(harness.Path(name)).toStdString(),
                                   QString::fromLatin1(format)
                                       .toUpper()
                                       .replace(QStringLiteral("TIF"), QStringLiteral("TIFF"))
                                       .toStdString(),
                                   samples::Landscape(90, 60)));
    }
    harness.WriteBytes(QStringLiteral("proben/kaputt.jpg"), QByteArray(300, '\x5a'));
    harness.WriteBytes(QStringLiteral("proben/leer.png"), QByteArray());
    harness.WriteJpeg(QStringLiteral("proben/tief/innen.jpg"), 50, 40);
    const Snapshot before = Snapshot::Of(harness.Root());
    QVERIFY(before.files.size() >= 11);

    SetSetting(QStringLiteral("Administration"), QStringLiteral("version"), QStringLiteral("1.0"));
    SetSetting(QStringLiteral("LastSession"), QStringLiteral("startpath"),
               harness.Path(QStringLiteral("proben")));
    auto window = harness.Start();
    FileList* files = window->Files();
    QCOMPARE(files->topLevelItemCount(), 10);
    for (int i = 0; i < files->topLevelItemCount(); ++i) {
      ClickItem(files, files->topLevelItem(i));
      QTest::mouseClick(window->Info()->Preview(), Qt::LeftButton);  // and in the viewer
    }
    QTreeWidgetItem* node = window->Tree()->SelectedNode();
    node->setExpanded(true);
    ClickItem(window->Tree(), Child(node, QStringLiteral("tief")));
    window->UpAction()->trigger();
    window->Filter()->AllFormats()->click();
    window->close();
    QVERIFY(!viewer_open);

    const Snapshot after = Snapshot::Of(harness.Root());
    QCOMPARE(after.folders, before.folders);
    QVERIFY(after.files == before.files);
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::DataSafetyTest)
#include "DataSafetyTest.moc"
