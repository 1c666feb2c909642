// The image viewer: bars, panning, cursors, minimum size, the open flag, persistent drawing.
#include <QMouseEvent>
#include <QScrollBar>
#include <QtTest>
#include <cmath>

#include "windows/Bild.h"
#include "windows/BildPicture.h"
#include "windows/BildViewer.h"
#include "windows/PanCursor.h"

namespace kelmarin {
namespace {

const QColor kBody(0, 0, 200);
const QColor kEnd(250, 0, 0);

// An image of width x height in kBody whose last ten columns are kEnd.
QImage TestImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB888);
  image.fill(kBody);
  for (int y = 0; y < height; ++y) {
    for (int x = std::max(width - 10, 0); x < width; ++x) image.setPixelColor(x, y, kEnd);
  }
  return image;
}

void Open(BildViewer& viewer, int width, int height) {
  BildPicture& picture = viewer.Prepare(QStringLiteral("test - bild"), width, height);
  QVERIFY(picture.DrawRGB(TestImage(width, height), 0, 0));
  viewer.show();
  QVERIFY(QTest::qWaitForWindowExposed(&viewer));
}

void SendMouse(QWidget& widget, QEvent::Type type, QPointF local, Qt::MouseButtons buttons) {
  QMouseEvent event(type, local, widget.mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &event);
}

// Drags the picture from one point of the frame to another, through a few steps, as the mouse
// would: each event is relative to the picture where it stands at that moment.
void Drag(BildViewer& viewer, QPoint from, QPoint to, int steps = 4) {
  BildPicture& picture = viewer.Picture();
  SendMouse(picture, QEvent::MouseButtonPress, from - picture.pos(), Qt::LeftButton);
  for (int i = 1; i <= steps; ++i) {
    const QPoint at = from + (to - from) * i / steps;
    SendMouse(picture, QEvent::MouseMove, at - picture.pos(), Qt::LeftButton);
  }
  SendMouse(picture, QEvent::MouseButtonRelease, to - picture.pos(), Qt::NoButton);
}

}  // namespace

class ViewerTest : public QObject {
  Q_OBJECT

 private slots:
  void imageThatFits();
  void imageFortyPixelsWider();
  void dragStopsAtEachEdge();
  void grabbedPointFollowsMouse();
  void barsMoveThePicture();
  void cursorTable_data();
  void cursorTable();
  void cursorPicturesMatchDragDirections();
  void minimumSize();
  void doubleClickTogglesMaximised();
  void hiddenBarPutsPictureBack();
  void veryWideImageScrollsToItsEnd();
  void drawingPersists();
  void openFlagFollowsWindow();
  void captionText();
};

void ViewerTest::imageThatFits() {
  BildViewer viewer;
  Open(viewer, 100, 80);
  QVERIFY(viewer.HorizontalBar().isHidden());
  QVERIFY(viewer.VerticalBar().isHidden());
  QCOMPARE(viewer.PanCursorIndex(), 14);
  Drag(viewer, {50, 50}, {10, 5});
  QCOMPARE(viewer.Picture().pos(), QPoint(0, 0));
  Drag(viewer, {10, 10}, {90, 70});
  QCOMPARE(viewer.Picture().pos(), QPoint(0, 0));
  QCOMPARE(viewer.PanCursorIndex(), 14);
  QVERIFY(!viewer.Dragging());
}

void ViewerTest::imageFortyPixelsWider() {
  BildViewer viewer;
  viewer.resize(400, 300);
  Open(viewer, 10, 10);
  const int frameWidth = viewer.Frame().width();
  QCOMPARE(frameWidth, viewer.width() - viewer.VerticalBar().width());
  Open(viewer, frameWidth + 40, 50);
  const QScrollBar& bar = viewer.HorizontalBar();
  QVERIFY(!bar.isHidden());
  QVERIFY(viewer.VerticalBar().isHidden());
  QCOMPARE(bar.minimum(), 0);
  QCOMPARE(bar.maximum(), 40);
  QCOMPARE(bar.singleStep(), 2);
  QCOMPARE(bar.pageStep(), frameWidth);
  QCOMPARE(bar.value(), 0);
  QCOMPARE(viewer.PanCursorIndex(), 3);  // only left is open
  // The bar sits just below the frame, as wide as it.
  QCOMPARE(bar.geometry(), QRect(0, viewer.Frame().height(), frameWidth, bar.height()));
}

void ViewerTest::dragStopsAtEachEdge() {
  BildViewer viewer;
  viewer.resize(400, 300);
  Open(viewer, 10, 10);
  const QSize frame = viewer.Frame().size();
  const QSize image(frame.width() + 300, frame.height() + 200);
  Open(viewer, image.width(), image.height());
  BildPicture& picture = viewer.Picture();
  QScrollBar& h = viewer.HorizontalBar();
  QScrollBar& v = viewer.VerticalBar();
  QCOMPARE(viewer.PanCursorIndex(), 2);  // up and left

  Drag(viewer, {200, 100}, {-5000, 100});  // far beyond the right edge of the image
  QCOMPARE(picture.pos(), QPoint(-300, 0));
  QCOMPARE(h.value(), h.maximum());
  QCOMPARE(viewer.PanCursorIndex(), 0);  // up and right

  Drag(viewer, {200, 150}, {200, -5000});
  QCOMPARE(picture.pos(), QPoint(-300, -200));
  QCOMPARE(v.value(), v.maximum());
  QCOMPARE(viewer.PanCursorIndex(), 4);  // down and right

  Drag(viewer, {100, 100}, {6000, 100});
  QCOMPARE(picture.pos(), QPoint(0, -200));
  QCOMPARE(h.value(), 0);
  QCOMPARE(viewer.PanCursorIndex(), 5);  // down and left

  Drag(viewer, {100, 100}, {100, 6000});
  QCOMPARE(picture.pos(), QPoint(0, 0));
  QCOMPARE(v.value(), 0);
  QCOMPARE(viewer.PanCursorIndex(), 2);
}

void ViewerTest::grabbedPointFollowsMouse() {
  BildViewer viewer;
  viewer.resize(400, 300);
  Open(viewer, 2000, 1500);
  BildPicture& picture = viewer.Picture();
  // The grabbed point is taken in whole pixels, halves to the even neighbour: 121.5 gives 122.
  SendMouse(picture, QEvent::MouseButtonPress, QPointF(121.5, 80.4), Qt::LeftButton);
  QVERIFY(viewer.Dragging());
  SendMouse(picture, QEvent::MouseMove, QPointF(85.4, 59.4), Qt::LeftButton);
  QCOMPARE(picture.pos(), QPoint(-37, -21));
  // The same point of the screen, now relative to the moved picture: nothing moves.
  SendMouse(picture, QEvent::MouseMove, QPointF(122.4, 80.4), Qt::LeftButton);
  QCOMPARE(picture.pos(), QPoint(-37, -21));
  QCOMPARE(viewer.HorizontalBar().value(), 37);
  QCOMPARE(viewer.VerticalBar().value(), 21);
  QCOMPARE(viewer.PanCursorIndex(), 8);
  SendMouse(picture, QEvent::MouseButtonRelease, QPointF(122.4, 80.4), Qt::NoButton);
  QVERIFY(!viewer.Dragging());
  // Moving without a button held does not pan.
  SendMouse(picture, QEvent::MouseMove, QPointF(10, 10), Qt::NoButton);
  QCOMPARE(picture.pos(), QPoint(-37, -21));
}

void ViewerTest::barsMoveThePicture() {
  BildViewer viewer;
  viewer.resize(400, 300);
  Open(viewer, 1000, 900);
  viewer.HorizontalBar().setValue(25);
  QCOMPARE(viewer.Picture().pos(), QPoint(-25, 0));
  viewer.VerticalBar().setValue(viewer.VerticalBar().maximum());
  QCOMPARE(viewer.Picture().pos(), QPoint(-25, -viewer.VerticalBar().maximum()));
  QCOMPARE(viewer.PanCursorIndex(), 15);  // down, left and right
  // A new image puts the picture back to the top left corner and the bars to 0.
  Open(viewer, 1000, 900);
  QCOMPARE(viewer.Picture().pos(), QPoint(0, 0));
  QCOMPARE(viewer.HorizontalBar().value(), 0);
  QCOMPARE(viewer.VerticalBar().value(), 0);
}

void ViewerTest::cursorTable_data() {
  QTest::addColumn<bool>("hVisible");
  QTest::addColumn<bool>("vVisible");
  QTest::addColumn<int>("h");
  QTest::addColumn<int>("v");
  QTest::addColumn<int>("k");
  // Maxima are 10 in every row.
  QTest::newRow("no bars") << false << false << 0 << 0 << 14;
  QTest::newRow("vertical, middle") << false << true << 0 << 5 << 11;
  QTest::newRow("vertical, bottom") << false << true << 0 << 10 << 10;
  QTest::newRow("vertical, top") << false << true << 0 << 0 << 9;
  QTest::newRow("horizontal, middle") << true << false << 5 << 0 << 12;
  QTest::newRow("horizontal, right end") << true << false << 10 << 0 << 1;
  QTest::newRow("horizontal, left end") << true << false << 0 << 0 << 3;
  QTest::newRow("both at maximum") << true << true << 10 << 10 << 4;
  QTest::newRow("h maximum, v 0") << true << true << 10 << 0 << 0;
  QTest::newRow("h 0, v maximum") << true << true << 0 << 10 << 5;
  QTest::newRow("both 0") << true << true << 0 << 0 << 2;
  QTest::newRow("h maximum, v middle") << true << true << 10 << 5 << 13;
  QTest::newRow("v maximum, h middle") << true << true << 5 << 10 << 15;
  QTest::newRow("h 0, v middle") << true << true << 0 << 5 << 7;
  QTest::newRow("v 0, h middle") << true << true << 5 << 0 << 6;
  QTest::newRow("both middle") << true << true << 5 << 5 << 8;
}

void ViewerTest::cursorTable() {
  QFETCH(bool, hVisible);
  QFETCH(bool, vVisible);
  QFETCH(int, h);
  QFETCH(int, v);
  QFETCH(int, k);
  QCOMPARE(PanCursorIndex({hVisible, vVisible, h, 10, v, 10}), k);
}

// Every state's picture shows green exactly the ways the image can still be dragged, and the
// drawn picture has a green arrow at those ends and a red bar at the others.
void ViewerTest::cursorPicturesMatchDragDirections() {
  QSet<int> used;
  for (int hv = 0; hv < 2; ++hv) {
    for (int vv = 0; vv < 2; ++vv) {
      for (int h : {0, 3, 7}) {
        for (int v : {0, 3, 7}) {
          const PanState s{hv == 1, vv == 1, hv == 1 ? h : 0, 7, vv == 1 ? v : 0, 7};
          unsigned open = 0;
          if (s.hVisible && s.h > 0) open |= kPanRight;
          if (s.hVisible && s.h < s.hmax) open |= kPanLeft;
          if (s.vVisible && s.v > 0) open |= kPanDown;
          if (s.vVisible && s.v < s.vmax) open |= kPanUp;
          const int k = PanCursorIndex(s);
          QCOMPARE(PanCursorGreenEnds(k), open);
          used.insert(k);
        }
      }
    }
  }
  QCOMPARE(used.size(), 16);
  for (int k = 0; k < 16; ++k) {
    const QImage picture = PanCursorPixmap(k).toImage();
    QCOMPARE(picture.size(), QSize(32, 32));
    for (PanDirection end : {kPanUp, kPanDown, kPanLeft, kPanRight}) {
      const QColor colour = picture.pixelColor(PanCursorEndPoint(end));
      const bool green = (PanCursorGreenEnds(k) & end) != 0;
      QVERIFY2(green ? colour.green() > 100 && colour.red() < 50 : colour.red() > 150 && colour.green() < 50,
               qPrintable(QStringLiteral("picture %1, end %2").arg(k).arg(int(end))));
    }
  }
}

void ViewerTest::minimumSize() {
  BildViewer viewer;
  Open(viewer, 300, 300);
  const double twipsX = viewer.Picture().TwipsPerPixelX();
  const double twipsY = viewer.Picture().TwipsPerPixelY();
  viewer.resize(10, 10);
  QTRY_VERIFY(viewer.width() * twipsX >= 1000.0);
  QVERIFY(viewer.height() * twipsY >= 1000.0);
  QVERIFY((viewer.width() - 1) * twipsX < 1000.0);
  QVERIFY((viewer.height() - 1) * twipsY < 1000.0);
  QCOMPARE(viewer.Picture().WidthTwips(), static_cast<int>(std::lround(300 * twipsX)));
  // Laid out for the small size: the frame leaves room for both bars.
  QCOMPARE(viewer.Frame().width(), viewer.width() - viewer.VerticalBar().width());
  QVERIFY(!viewer.HorizontalBar().isHidden());
}

void ViewerTest::doubleClickTogglesMaximised() {
  BildViewer viewer;
  viewer.resize(400, 300);
  Open(viewer, 700, 500);
  viewer.HorizontalBar().setValue(50);
  SendMouse(viewer.Picture(), QEvent::MouseButtonDblClick, QPointF(5, 5), Qt::LeftButton);
  QTRY_VERIFY(viewer.isMaximized());
  QTRY_COMPARE(viewer.HorizontalBar().value(), 0);  // laid out again
  SendMouse(viewer.Picture(), QEvent::MouseButtonRelease, QPointF(5, 5), Qt::NoButton);
  SendMouse(viewer.Picture(), QEvent::MouseButtonDblClick, QPointF(5, 5), Qt::LeftButton);
  QTRY_VERIFY(!viewer.isMaximized());
  QTRY_COMPARE(viewer.size(), QSize(400, 300));
  QCOMPARE(viewer.Frame().width(), 400 - viewer.VerticalBar().width());
}

void ViewerTest::hiddenBarPutsPictureBack() {
  BildViewer viewer;
  viewer.resize(400, 300);
  Open(viewer, 10, 10);
  const int frameWidth = viewer.Frame().width();
  Open(viewer, frameWidth + 40, 50);
  viewer.HorizontalBar().setValue(40);
  QCOMPARE(viewer.Picture().x(), -40);
  viewer.resize(500, 300);  // now the whole image fits
  QTRY_VERIFY(viewer.HorizontalBar().isHidden());
  QCOMPARE(viewer.Picture().pos(), QPoint(0, 0));
  QCOMPARE(viewer.PanCursorIndex(), 14);
}

// Scroll positions beyond 16 bits: the whole width is reachable by bar and by dragging.
void ViewerTest::veryWideImageScrollsToItsEnd() {
  BildViewer viewer;
  viewer.resize(400, 300);
  Open(viewer, 70000, 2);
  const int frameWidth = viewer.Frame().width();
  QScrollBar& bar = viewer.HorizontalBar();
  QCOMPARE(viewer.Picture().width(), 70000);
  QCOMPARE(bar.maximum(), 70000 - frameWidth);
  QCOMPARE(bar.singleStep(), static_cast<int>(std::nearbyint((70000 - frameWidth) / 20.0)));
  Drag(viewer, {300, 1}, {-100000, 1}, 20);
  QCOMPARE(viewer.Picture().x(), frameWidth - 70000);
  QCOMPARE(bar.value(), bar.maximum());
  const QImage shown = viewer.Frame().grab().toImage();
  QCOMPARE(shown.pixelColor(frameWidth - 1, 0), kEnd);
  QCOMPARE(shown.pixelColor(frameWidth - 11, 1), kBody);
  bar.setValue(40000);
  QCOMPARE(viewer.Picture().x(), -40000);
}

void ViewerTest::drawingPersists() {
  BildViewer viewer;
  viewer.resize(400, 300);
  Open(viewer, 120, 90);
  BildPicture& picture = viewer.Picture();
  QCOMPARE(picture.Picture().size(), QSize(120, 90));
  viewer.hide();
  viewer.show();
  QVERIFY(QTest::qWaitForWindowExposed(&viewer));
  QImage shown = picture.grab().toImage();
  QCOMPARE(shown.pixelColor(0, 0), kBody);
  QCOMPARE(shown.pixelColor(119, 89), kEnd);
  picture.ClearPicture();
  shown = picture.grab().toImage();
  QCOMPARE(shown.pixelColor(0, 0), picture.palette().color(QPalette::Window));
  QVERIFY(!picture.DrawRGB(QImage(), 0, 0));
}

void ViewerTest::openFlagFollowsWindow() {
  UnloadViewer();
  QVERIFY(!viewer_open);
  BildViewer* viewer = Viewer();
  QCOMPARE(Viewer(), viewer);  // one instance
  viewer->Prepare(QStringLiteral("a - 10x10 Pixel"), 10, 10);
  QVERIFY(!viewer_open);  // prepared, not yet shown
  viewer->show();
  QVERIFY(viewer_open);
  viewer->resize(300, 200);
  QVERIFY(viewer_open);
  viewer->close();
  QVERIFY(!viewer_open);
  viewer->resize(320, 220);  // a hidden window's resize does not count as open
  QVERIFY(!viewer_open);
  viewer->show();
  QVERIFY(viewer_open);
  UnloadViewer();
  QVERIFY(!viewer_open);
  UnloadViewer();  // nothing left to unload
  QVERIFY(!viewer_open);
}

void ViewerTest::captionText() {
  QCOMPARE(ViewerCaption(QStringLiteral("urlaub01"), 1600, 1200),
           QStringLiteral("urlaub01 - 1600x1200 Pixel"));
}

}  // namespace kelmarin

QTEST_MAIN(kelmarin::ViewerTest)
#include "ViewerTest.moc"
