// The viewer opened from the file list (double click, Enter) and stepping through it (Space, Backspace).
#include <QLabel>
#include <QTest>

#include "TestSupport.h"
#include "browser/FileList.h"
#include "browser/InfoPanel.h"
#include "windows/Bild.h"
#include "windows/BildViewer.h"

namespace kelmarin::test {

class ViewerSteppingTest : public QObject {
  Q_OBJECT

 private slots:
  void openAndStep() {
    PrepareEnvironment();
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

QTEST_MAIN(kelmarin::test::ViewerSteppingTest)
#include "ViewerSteppingTest.moc"
