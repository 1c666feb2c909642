// The information panel: labels, metadata list, a failed read, the preview and the viewer.
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include "TestSupport.h"
#include "browser/CurrentImage.h"
#include "browser/FileList.h"
#include "browser/FilterPanel.h"
#include "browser/InfoPanel.h"
#include "browser/MetadataList.h"
#include "windows/Bild.h"

namespace kelmarin::test {

class InfoPanelTest : public QObject {
  Q_OBJECT

 private:
  static QTreeWidgetItem* FileItem(Verzeichnis& window, const QString& name) {
    return window.Files()->findItems(name, Qt::MatchExactly).value(0);
  }

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  void labelsPreviewAndMetadataList() {
    Harness harness;
    harness.WriteJpeg(QStringLiteral("bild.jpg"), 1600, 1200, true);
    QFile file(harness.Path(QStringLiteral("bild.jpg")));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.resize(1234567));  // zero bytes after the end of the image change nothing
    QVERIFY(
        file.setFileTime(QDateTime(QDate(2004, 12, 24), QTime(18, 5, 9)), QFileDevice::FileModificationTime));
    file.close();
    auto window = harness.Start();
    InfoPanel* info = window->Info();
    QCOMPARE(info->NameLabel()->text(), QStringLiteral("bild.jpg"));
    QCOMPARE(info->DateLabel()->text(), QStringLiteral("zuletzt geändert: Freitag, 24.12.2004 18:05:09"));
    QCOMPARE(info->SizeLabel()->text(), QStringLiteral("Dateigröße: 1.234.567 Bytes"));
    QCOMPARE(info->DimensionsLabel()->text(), QStringLiteral("Bildausdehnung: 1600 x 1200 Pixel"));
    QVERIFY(QRegularExpression(QStringLiteral("^Ladezeit: \\d+ Millisekunden$"))
                .match(info->LoadTimeLabel()->text())
                .hasMatch());
    // The preview: scaled into the 120 x 120 pixel box, centred.
    QCOMPARE(info->Preview()->Picture().size(), QSize(120, 90));
    QCOMPARE(window->Files()->topLevelItem(0)->toolTip(0), QStringLiteral("1.234.567 Bytes, 24.12.2004"));

    // Red section headers; Ctrl+C copies the selected rows as tab-separated lines.
    MetadataList* list = window->Metadata();
    QTreeWidgetItem* header = list->topLevelItem(0);
    QCOMPARE(header->text(1), QStringLiteral("Sektion Main"));
    QCOMPARE(header->foreground(0).color(), QColor(255, 0, 0));
    QCOMPARE(header->foreground(1).color(), QColor(255, 0, 0));
    QTreeWidgetItem* canon = list->findItems(QStringLiteral("Canon"), Qt::MatchExactly, 2).value(0);
    QVERIFY(canon != nullptr);
    QVERIFY(canon->foreground(2).color() != QColor(255, 0, 0));
    list->clearSelection();
    header->setSelected(true);
    canon->setSelected(true);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("\tSektion Main\t\t\n") + canon->text(0) + QLatin1Char('\t') + canon->text(1) +
                 QStringLiteral("\tCanon\t") + canon->text(3) + QLatin1Char('\n'));
  }

  void failedReadReportsAndRestoresStatus() {
    Harness harness;
    harness.WriteJpeg(QStringLiteral("a_gut.jpg"), 200, 100, true);
    const QByteArray broken("\xFF\xD8\xFF\xE0 not a JPEG at all");
    harness.WriteBytes(QStringLiteral("b_kaputt.jpg"), broken);
    auto window = harness.Start();
    ClickItem(window->Files(), FileItem(*window, QStringLiteral("a_gut.jpg")));
    const QString status = window->Filter()->StatusText();
    QCOMPARE(status, QStringLiteral("2 Bilder mit ") +
                         QLocale().toString(QFileInfo(harness.Path(QStringLiteral("a_gut.jpg"))).size() +
                                            broken.size()) +
                         QStringLiteral(" Bytes"));
    // While the message is up, the status says "Bild einlesen" in red.
    QString statusDuringLoad;
    QColor colourDuringLoad;
    harness.reporter.onReport = [&] {
      statusDuringLoad = window->Filter()->StatusText();
      colourDuringLoad = window->Filter()->StatusColour();
    };
    harness.reporter.messages.clear();
    ClickItem(window->Files(), FileItem(*window, QStringLiteral("b_kaputt.jpg")));
    QCOMPARE(harness.reporter.messages.size(), 1u);
    QVERIFY(
        QString::fromStdString(harness.reporter.messages.front().text).startsWith(QStringLiteral("Fehler ")));
    QCOMPARE(statusDuringLoad, QStringLiteral("Bild einlesen"));
    QCOMPARE(colourDuringLoad, QColor(255, 0, 0));
    QCOMPARE(window->Filter()->StatusText(), status);
    QCOMPARE(window->Filter()->StatusColour(), QColor(0, 0, 0));
    QCOMPARE(window->Current().current.width, 0);
    emit window->Info()->Preview()->clicked();  // after a failed read the preview opens nothing
    QVERIFY(!viewer_open);
  }

  void previewClicksOpenTheViewer() {
    InfoPanel panel;
    panel.resize(400, 200);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    PreviewBox* preview = panel.Preview();
    preview->setGeometry(10, 10, 120, 120);
    QSignalSpy clicks(preview, &PreviewBox::clicked);
    QTest::mouseClick(preview, Qt::LeftButton);
    QTest::mouseClick(preview, Qt::RightButton);
    QTest::mousePress(preview, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(125, 5));  // let go beside it
    QCOMPARE(clicks.count(), 1);

    Harness harness;
    harness.WriteJpeg(QStringLiteral("voll.jpg"), 80, 60);
    auto window = harness.Start();  // the first file is shown
    QTest::mouseClick(window->Info()->Preview(), Qt::LeftButton);
    QVERIFY(viewer_open);
    window->close();  // the shut-down closes the viewer
    QVERIFY(!viewer_open);
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::InfoPanelTest)
#include "InfoPanelTest.moc"
