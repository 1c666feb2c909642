// The viewer driven as a user does: keys, the wheel, zoom steps, painting at a zoom, its placement.
// Also run with a device pixel ratio of 2: 100 % is then one image pixel per device pixel.
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include "windows/Bild.h"
#include "windows/BildPicture.h"
#include "windows/BildViewer.h"

namespace kelmarin {
namespace {

// Left half red, right half blue, one pixel of green at (1, 0).
QImage Halves(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::red);
  for (int y = 0; y < height; ++y) {
    for (int x = width / 2; x < width; ++x) image.setPixel(x, y, qRgb(0, 0, 255));
  }
  image.setPixel(1, 0, qRgb(0, 255, 0));
  return image;
}

// The viewer on a 700 x 500 image (smaller than the test screen: 100 %), then made smaller.
void Open(BildViewer& viewer, QSize window = {300, 240}) {
  BildPicture& picture = viewer.Prepare(QStringLiteral("bild - 700x500 Pixel"), 700, 500);
  QVERIFY(picture.DrawRGB(Halves(700, 500), 0, 0));
  viewer.Present();
  QVERIFY(QTest::qWaitForWindowExposed(&viewer));
  viewer.resize(window / viewer.devicePixelRatioF());
}

void Wheel(BildViewer& viewer, int angle, Qt::KeyboardModifiers keys, QPoint at = {50, 50}) {
  const QPointF local = viewer.Frame().mapTo(&viewer, QPointF(at));
  QWheelEvent event(local, viewer.mapToGlobal(local), QPoint(), QPoint(0, angle), Qt::NoButton, keys,
                    Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(&viewer, &event);
}

}  // namespace

class ViewerKeysTest : public QObject {
  Q_OBJECT

 private slots:
  void keysScroll();
  void wheelScrollsAndZooms();
  void zoomStepsAndCaption();
  void zoomedPaintingAndDragging();
  void opensCentredAboveOwner();
};

void ViewerKeysTest::keysScroll() {
  BildViewer viewer;
  Open(viewer);
  QScrollBar& h = viewer.HorizontalBar();
  QScrollBar& v = viewer.VerticalBar();
  const int page = viewer.Frame().height();
  const int down = std::min(v.singleStep() + page, v.maximum());
  struct Case {
    Qt::Key key;
    int h;
    int v;
  };
  const Case cases[] = {
      {Qt::Key_Right, h.singleStep(), 0},
      {Qt::Key_Down, h.singleStep(), v.singleStep()},
      {Qt::Key_Left, 0, v.singleStep()},
      {Qt::Key_PageDown, 0, down},
      {Qt::Key_Up, 0, down - v.singleStep()},
      {Qt::Key_End, h.maximum(), v.maximum()},
      {Qt::Key_PageUp, h.maximum(), std::max(v.maximum() - page, 0)},
      {Qt::Key_Home, 0, 0},
  };
  for (const Case& c : cases) {
    QTest::keyClick(&viewer.Picture(), c.key);
    QCOMPARE(QPoint(h.value(), v.value()), QPoint(c.h, c.v));
    QCOMPARE(viewer.Picture().pos(), QPoint(-c.h, -c.v));
  }
  QSignalSpy steps(&viewer, &BildViewer::stepRequested);
  QTest::keyClick(&viewer, Qt::Key_Space);
  QTest::keyClick(&viewer, Qt::Key_Backspace);
  QCOMPARE(steps.size(), 2);
  QCOMPARE(steps[0][0].toInt(), 1);
  QCOMPARE(steps[1][0].toInt(), -1);
  QTest::keyClick(&viewer, Qt::Key_Escape);
  QVERIFY(!viewer.isVisible());
}

void ViewerKeysTest::wheelScrollsAndZooms() {
  BildViewer viewer;
  Open(viewer);
  QScrollBar& h = viewer.HorizontalBar();
  QScrollBar& v = viewer.VerticalBar();
  const int lines = QApplication::wheelScrollLines();
  Wheel(viewer, -120, Qt::NoModifier);  // a notch towards the user: down
  QCOMPARE(v.value(), lines * std::max(viewer.Frame().height() / 20, 20));
  QCOMPARE(h.value(), 0);
  Wheel(viewer, -120, Qt::ShiftModifier);
  QCOMPARE(h.value(), lines * std::max(viewer.Frame().width() / 20, 20));
  // Ctrl: one step in, about the mouse: the image point under it stays there.
  const QPoint at(100, 80);
  const QPointF before = QPointF(at - viewer.Picture().pos()) / viewer.Zoom();
  Wheel(viewer, 60, Qt::ControlModifier);  // half a notch does nothing yet
  QCOMPARE(viewer.Zoom(), 1.0);
  Wheel(viewer, 60, Qt::ControlModifier, at);
  QCOMPARE(viewer.Zoom(), 1.5);
  const QPointF after = QPointF(at - viewer.Picture().pos()) / viewer.Zoom();
  QVERIFY(std::abs(after.x() - before.x()) <= 1 && std::abs(after.y() - before.y()) <= 1);
}

void ViewerKeysTest::zoomStepsAndCaption() {
  BildViewer viewer;
  Open(viewer);
  const double ratio = viewer.devicePixelRatioF();
  QCOMPARE(viewer.windowTitle(), QStringLiteral("bild - 700x500 Pixel - 100 %"));
  QCOMPARE(viewer.Picture().size(), (QSizeF(700, 500) / ratio).toSize());  // one image pixel per device pixel
  struct Case {
    Qt::Key key;
    double zoom;
    const char* caption;
  };
  const Case cases[] = {
      {Qt::Key_Plus, 1.5, "150 %"},  {Qt::Key_Plus, 2.0, "200 %"},     {Qt::Key_Minus, 1.5, "150 %"},
      {Qt::Key_Minus, 1.0, "100 %"}, {Qt::Key_Minus, 2.0 / 3, "67 %"}, {Qt::Key_1, 1.0, "100 %"},
  };
  for (const Case& c : cases) {
    QTest::keyClick(&viewer, c.key);
    QCOMPARE(viewer.Zoom(), c.zoom);
    QCOMPARE(viewer.windowTitle(), QStringLiteral("bild - 700x500 Pixel - ") + QLatin1String(c.caption));
    QCOMPARE(viewer.Picture().width(), qRound(700 * c.zoom / ratio));
  }
  QTest::keyClick(&viewer, Qt::Key_E);
  const QSize frame = viewer.Frame().size();
  QVERIFY(viewer.Fitting());
  QVERIFY(viewer.Picture().width() == frame.width() || viewer.Picture().height() == frame.height());
  QVERIFY(viewer.HorizontalBar().isHidden() && viewer.VerticalBar().isHidden());
  QVERIFY(viewer.windowTitle().endsWith(QStringLiteral(" %)")));
  QVERIFY(viewer.windowTitle().contains(QStringLiteral(" - Einpassen (")));
  viewer.resize(500, 400);  // fitting follows the window
  QVERIFY(viewer.Picture().width() == viewer.Frame().width() ||
          viewer.Picture().height() == viewer.Frame().height());
}

void ViewerKeysTest::zoomedPaintingAndDragging() {
  BildViewer viewer;
  Open(viewer, {400, 300});
  QTest::keyClick(&viewer, Qt::Key_1);
  // 100 %: image pixel (1, 0) is device pixel (1, 0).
  QImage shown = viewer.Frame().grab().toImage();
  QCOMPARE(shown.pixelColor(1, 0), QColor(Qt::green));
  QCOMPARE(shown.pixelColor(2, 0), QColor(Qt::red));
  for (const Qt::Key key : {Qt::Key_Minus, Qt::Key_Minus, Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Plus}) {
    QTest::keyClick(&viewer, key);  // 67 %, 50 % (smoothed), back up, 150 % (sharp)
    QTest::keyClick(&viewer, Qt::Key_Home);
    const QSize picture = viewer.Picture().size();
    shown = viewer.Frame().grab().toImage();
    const double ratio = shown.devicePixelRatio();
    const QPoint left(int(picture.width() * 0.25 * ratio), int(picture.height() * 0.5 * ratio));
    QCOMPARE(shown.pixelColor(std::min(left.x(), shown.width() - 1), std::min(left.y(), shown.height() - 1)),
             QColor(Qt::red));
    if (picture.width() * 0.75 < viewer.Frame().width()) {
      QCOMPARE(shown.pixelColor(int(picture.width() * 0.75 * ratio), left.y()), QColor(Qt::blue));
    }
  }
  // Dragging works at the zoom: far to the left stops at the right edge, cursor "up and right".
  BildPicture& picture = viewer.Picture();
  QTest::mousePress(&picture, Qt::LeftButton, {}, QPoint(200, 100));
  QMouseEvent move(QEvent::MouseMove, QPointF(-5000, 100), picture.mapToGlobal(QPointF(-5000, 100)),
                   Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&picture, &move);
  QCOMPARE(picture.x(), viewer.Frame().width() - picture.width());
  QCOMPARE(viewer.HorizontalBar().value(), viewer.HorizontalBar().maximum());
  QCOMPARE(viewer.PanCursorIndex(), 0);
}

void ViewerKeysTest::opensCentredAboveOwner() {
  QWidget owner;
  owner.resize(300, 200);
  owner.show();
  BildViewer* viewer = Viewer(&owner);
  QCOMPARE(viewer->windowType(), Qt::Tool);  // kept above its owner
  QCOMPARE(viewer->parentWidget(), &owner);
  // An image larger than the screen opens fitted, within the available area, centred.
  const QRect area = owner.screen()->availableGeometry();
  const QSize huge(area.width() * 3, area.height() * 2);
  viewer->Prepare(QStringLiteral("riesig"), huge.width(), huge.height());
  viewer->Present();
  QVERIFY(viewer->Fitting());
  QVERIFY(area.contains(viewer->frameGeometry()));
  QVERIFY((viewer->frameGeometry().center() - area.center()).manhattanLength() <= 2);
  QVERIFY(viewer->HorizontalBar().isHidden() && viewer->VerticalBar().isHidden());
  UnloadViewer();
}

}  // namespace kelmarin

QTEST_MAIN(kelmarin::ViewerKeysTest)
#include "ViewerKeysTest.moc"
