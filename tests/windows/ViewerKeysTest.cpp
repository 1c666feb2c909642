// The viewer driven as a user does: keys, wheel, zoom, painting at a zoom, placement. Also run with a
// device pixel ratio of 2, where 100 % is one image pixel per device pixel.
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include "windows/Bild.h"
#include "windows/BildPicture.h"
#include "windows/BildViewer.h"

namespace kelmarin {
namespace {

// A 700 x 500 image (smaller than the test screen: 100 %), left half red, right blue, (1, 0) green;
// the window then made smaller.
void Open(BildViewer& viewer, QSize window = {300, 240}) {
  QImage image(700, 500, QImage::Format_RGB32);
  image.fill(Qt::red);
  for (int y = 0; y < 500; ++y)
    std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)) + 350, 350, qRgb(0, 0, 255));
  image.setPixel(1, 0, qRgb(0, 255, 0));
  QVERIFY(viewer.Prepare(QStringLiteral("bild - 700x500 Pixel"), 700, 500).DrawRGB(image, 0, 0));
  viewer.Present();
  viewer.resize(window / viewer.devicePixelRatioF());
}

void Wheel(BildViewer& viewer, int angle, Qt::KeyboardModifiers keys, QPoint at = {50, 50}) {
  const QPointF local = viewer.Frame().mapTo(&viewer, QPointF(at));
  QWheelEvent event(local, viewer.mapToGlobal(local), {}, {0, angle}, Qt::NoButton, keys, Qt::NoScrollPhase,
                    false);
  QCoreApplication::sendEvent(&viewer, &event);
}

QPoint Bars(BildViewer& viewer) {
  return {viewer.HorizontalBar().value(), viewer.VerticalBar().value()};
}

}  // namespace

class ViewerKeysTest : public QObject {
  Q_OBJECT

 private slots:
  void keysScrollStepAndClose() {
    BildViewer viewer;
    Open(viewer);
    QScrollBar& h = viewer.HorizontalBar();
    QScrollBar& v = viewer.VerticalBar();
    const int page = viewer.Frame().height();
    const int down = std::min(v.singleStep() + page, v.maximum());
    const struct {
      Qt::Key key;
      QPoint bars;
    } cases[] = {{Qt::Key_Right, {h.singleStep(), 0}},
                 {Qt::Key_Down, {h.singleStep(), v.singleStep()}},
                 {Qt::Key_Left, {0, v.singleStep()}},
                 {Qt::Key_PageDown, {0, down}},
                 {Qt::Key_Up, {0, down - v.singleStep()}},
                 {Qt::Key_End, {h.maximum(), v.maximum()}},
                 {Qt::Key_PageUp, {h.maximum(), std::max(v.maximum() - page, 0)}},
                 {Qt::Key_Home, {0, 0}}};
    for (const auto& c : cases) {
      QTest::keyClick(&viewer.Picture(), c.key);
      QCOMPARE(Bars(viewer), c.bars);
      QCOMPARE(viewer.Picture().pos(), -c.bars);
    }
    QSignalSpy steps(&viewer, &BildViewer::stepRequested);
    QTest::keyClick(&viewer, Qt::Key_Space);
    QTest::keyClick(&viewer, Qt::Key_Backspace);
    QCOMPARE(steps, (QList<QList<QVariant>>{{1}, {-1}}));
    QTest::keyClick(&viewer, Qt::Key_Escape);
    QVERIFY(!viewer.isVisible());
  }

  void wheelScrollsAndZoomsAboutTheMouse() {
    BildViewer viewer;
    Open(viewer);
    const int lines = QApplication::wheelScrollLines();
    Wheel(viewer, -120, Qt::NoModifier);
    Wheel(viewer, -120, Qt::ShiftModifier);
    QCOMPARE(Bars(viewer), QPoint(lines * std::max(viewer.Frame().width() / 20, 20),
                                  lines * std::max(viewer.Frame().height() / 20, 20)));
    const QPoint at(100, 80);
    const QPointF before = QPointF(at - viewer.Picture().pos()) / viewer.Zoom();
    Wheel(viewer, 60, Qt::ControlModifier);  // half a notch does nothing yet
    QCOMPARE(viewer.Zoom(), 1.0);
    Wheel(viewer, 60, Qt::ControlModifier, at);
    QCOMPARE(viewer.Zoom(), 1.5);
    const QPointF after = QPointF(at - viewer.Picture().pos()) / viewer.Zoom();
    QVERIFY((after - before).manhattanLength() <= 2);
  }

  void zoomStepsCaptionAndPainting() {
    BildViewer viewer;
    Open(viewer, {400, 300});
    const double ratio = viewer.devicePixelRatioF();
    QCOMPARE(viewer.windowTitle(), QStringLiteral("bild - 700x500 Pixel - 100 %"));
    QImage shown = viewer.Frame().grab().toImage();  // image pixel (1, 0) is device pixel (1, 0)
    QCOMPARE(shown.pixelColor(1, 0), QColor(Qt::green));
    QCOMPARE(shown.pixelColor(2, 0), QColor(Qt::red));
    const struct {
      Qt::Key key;
      double zoom;
      const char* caption;
    } cases[] = {{Qt::Key_Plus, 1.5, "150 %"},     {Qt::Key_Plus, 2.0, "200 %"},
                 {Qt::Key_Minus, 1.5, "150 %"},    {Qt::Key_Minus, 1.0, "100 %"},
                 {Qt::Key_Minus, 2.0 / 3, "67 %"}, {Qt::Key_Minus, 0.5, "50 %"},
                 {Qt::Key_1, 1.0, "100 %"}};
    for (const auto& c : cases) {
      QTest::keyClick(&viewer, c.key);
      QCOMPARE(viewer.Zoom(), c.zoom);
      QCOMPARE(viewer.windowTitle(), QStringLiteral("bild - 700x500 Pixel - ") + QLatin1String(c.caption));
      QCOMPARE(viewer.Picture().width(), qRound(700 * c.zoom / ratio));
      QTest::keyClick(&viewer, Qt::Key_Home);
      shown = viewer.Frame().grab().toImage();  // smoothed when shrunk, sharp when enlarged
      const int left = int(viewer.Picture().width() * 0.25 * ratio);
      QCOMPARE(shown.pixelColor(left, 100), QColor(Qt::red));
      if (3 * left < shown.width()) QCOMPARE(shown.pixelColor(3 * left, 100), QColor(Qt::blue));
    }
    QTest::keyClick(&viewer, Qt::Key_Plus);  // dragging at a zoom: stops at the right edge
    QTest::keyClick(&viewer, Qt::Key_Home);
    BildPicture& picture = viewer.Picture();
    QTest::mousePress(&picture, Qt::LeftButton, {}, QPoint(200, 100));
    QMouseEvent move(QEvent::MouseMove, QPointF(-5000, 100), picture.mapToGlobal(QPointF(-5000, 100)),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&picture, &move);
    QCOMPARE(picture.x(), viewer.Frame().width() - picture.width());
    QCOMPARE(viewer.PanCursorIndex(), 0);  // up and right
    QTest::keyClick(&viewer, Qt::Key_E);   // fitted, also after the window changes
    for (const QSize size : {QSize(400, 300), QSize(500, 250)}) {
      viewer.resize(size);
      QVERIFY(viewer.Fitting() && viewer.windowTitle().contains(QStringLiteral(" - Einpassen (")));
      QVERIFY(picture.width() == viewer.Frame().width() || picture.height() == viewer.Frame().height());
      QVERIFY(viewer.HorizontalBar().isHidden() && viewer.VerticalBar().isHidden());
    }
  }

  void opensFittedAndCentredAboveOwner() {
    QWidget owner;
    owner.show();
    BildViewer* viewer = Viewer(&owner);
    QCOMPARE(viewer->windowType(), Qt::Tool);  // kept above its owner
    const QRect area = owner.screen()->availableGeometry();
    viewer->Prepare(QStringLiteral("riesig"), area.width() * 3, area.height() * 2);
    viewer->Present();
    QVERIFY(viewer->Fitting());
    QVERIFY(area.contains(viewer->frameGeometry()));
    QVERIFY((viewer->frameGeometry().center() - area.center()).manhattanLength() <= 2);
    QVERIFY(viewer->HorizontalBar().isHidden() && viewer->VerticalBar().isHidden());
    UnloadViewer();
  }
};

}  // namespace kelmarin

QTEST_MAIN(kelmarin::ViewerKeysTest)
#include "ViewerKeysTest.moc"
