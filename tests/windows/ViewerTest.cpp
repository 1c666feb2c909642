// The image viewer: bars, panning, cursors, minimum size, the open flag, and real
// image objects shown at full size.
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "image/ZetImage.h"
#include "windows/Bild.h"
#include "windows/BildPicture.h"
#include "windows/BildViewer.h"
#include "windows/PanCursor.h"

namespace kelmarin {
namespace {

const QColor kBody(0, 0, 200);
const QColor kEnd(250, 0, 0);

// An image of width x height in kBody whose last ten columns are kEnd, shown in the viewer.
void Open(BildViewer& viewer, int width, int height) {
  QImage image(width, height, QImage::Format_RGB888);
  image.fill(kBody);
  for (int y = 0; y < height; ++y) {
    for (int x = std::max(width - 10, 0); x < width; ++x) image.setPixelColor(x, y, kEnd);
  }
  QVERIFY(viewer.Prepare(QStringLiteral("test - bild"), width, height).DrawRGB(image, 0, 0));
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
    SendMouse(picture, QEvent::MouseMove, from + (to - from) * i / steps - picture.pos(), Qt::LeftButton);
  }
  SendMouse(picture, QEvent::MouseButtonRelease, to - picture.pos(), Qt::NoButton);
}

}  // namespace

class ViewerTest : public QObject {
  Q_OBJECT

 private slots:
  void barsOnlyForWhatDoesNotFit() {
    BildViewer viewer;
    viewer.resize(400, 300);
    Open(viewer, 100, 80);
    QVERIFY(viewer.HorizontalBar().isHidden() && viewer.VerticalBar().isHidden());
    QCOMPARE(viewer.PanCursorIndex(), 14);
    Drag(viewer, {50, 50}, {10, 5});
    QCOMPARE(viewer.Picture().pos(), QPoint(0, 0));
    const int frameWidth = viewer.Frame().width();
    QCOMPARE(frameWidth, viewer.width() - viewer.VerticalBar().width());
    Open(viewer, frameWidth + 40, 50);
    const QScrollBar& bar = viewer.HorizontalBar();
    QVERIFY(!bar.isHidden() && viewer.VerticalBar().isHidden());
    QCOMPARE(QList<int>({bar.minimum(), bar.maximum(), bar.singleStep(), bar.pageStep(), bar.value()}),
             QList<int>({0, 40, 2, frameWidth, 0}));
    QCOMPARE(viewer.PanCursorIndex(), 3);  // only left is open
    // The bar sits just below the frame, as wide as it.
    QCOMPARE(bar.geometry(), QRect(0, viewer.Frame().height(), frameWidth, bar.height()));
    viewer.HorizontalBar().setValue(40);
    QCOMPARE(viewer.Picture().x(), -40);
    viewer.resize(500, 300);  // now the whole image fits: the picture goes back
    QTRY_VERIFY(viewer.HorizontalBar().isHidden());
    QCOMPARE(viewer.Picture().pos(), QPoint(0, 0));
    QCOMPARE(viewer.PanCursorIndex(), 14);
  }

  void dragAndBarsStopAtEachEdge() {
    BildViewer viewer;
    viewer.resize(400, 300);
    Open(viewer, 10, 10);
    const QSize frame = viewer.Frame().size();
    Open(viewer, frame.width() + 300, frame.height() + 200);
    BildPicture& picture = viewer.Picture();
    QScrollBar& h = viewer.HorizontalBar();
    QScrollBar& v = viewer.VerticalBar();
    QCOMPARE(viewer.PanCursorIndex(), 2);  // up and left
    struct Step {
      QPoint from, to, pos;
      int cursor;
    };
    const Step steps[] = {{{200, 100}, {-5000, 100}, {-300, 0}, 0},     // up and right
                          {{200, 150}, {200, -5000}, {-300, -200}, 4},  // down and right
                          {{100, 100}, {6000, 100}, {0, -200}, 5},      // down and left
                          {{100, 100}, {100, 6000}, {0, 0}, 2}};
    for (const Step& s : steps) {
      Drag(viewer, s.from, s.to);
      QCOMPARE(picture.pos(), s.pos);
      QCOMPARE(h.value(), -s.pos.x());
      QCOMPARE(v.value(), -s.pos.y());
      QCOMPARE(viewer.PanCursorIndex(), s.cursor);
    }
    h.setValue(25);
    v.setValue(v.maximum());
    QCOMPARE(picture.pos(), QPoint(-25, -v.maximum()));
    QCOMPARE(viewer.PanCursorIndex(), 15);  // down, left and right
    // A new image puts the picture back to the top left corner and the bars to 0.
    Open(viewer, 1000, 900);
    QCOMPARE(picture.pos(), QPoint(0, 0));
    QCOMPARE(h.value() + v.value(), 0);
  }

  void grabbedPointFollowsMouse() {
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
    SendMouse(picture, QEvent::MouseMove, QPointF(10, 10), Qt::NoButton);  // no button held: no panning
    QCOMPARE(picture.pos(), QPoint(-37, -21));
  }

  // The cursor of every bar state (maxima 10), and each picture shows green exactly the ways the
  // image can still be dragged: a green arrow at those ends and a red bar at the others.
  void cursorTableAndPictures() {
    const int table[][5] = {{0, 0, 0, 0, 14},  {0, 1, 0, 5, 11}, {0, 1, 0, 10, 10}, {0, 1, 0, 0, 9},
                            {1, 0, 5, 0, 12},  {1, 0, 10, 0, 1}, {1, 0, 0, 0, 3},   {1, 1, 10, 10, 4},
                            {1, 1, 10, 0, 0},  {1, 1, 0, 10, 5}, {1, 1, 0, 0, 2},   {1, 1, 10, 5, 13},
                            {1, 1, 5, 10, 15}, {1, 1, 0, 5, 7},  {1, 1, 5, 0, 6},   {1, 1, 5, 5, 8}};
    for (const auto& row : table) {
      const PanState s{row[0] == 1, row[1] == 1, row[2], 10, row[3], 10};
      unsigned open = 0;
      if (s.hVisible && s.h > 0) open |= kPanRight;
      if (s.hVisible && s.h < s.hmax) open |= kPanLeft;
      if (s.vVisible && s.v > 0) open |= kPanDown;
      if (s.vVisible && s.v < s.vmax) open |= kPanUp;
      QCOMPARE(PanCursorIndex(s), row[4]);
      QCOMPARE(PanCursorGreenEnds(row[4]), open);
      const QImage picture = PanCursorPixmap(row[4]).toImage();
      QCOMPARE(picture.size(), QSize(32, 32));
      for (PanDirection end : {kPanUp, kPanDown, kPanLeft, kPanRight}) {
        const QColor colour = picture.pixelColor(PanCursorEndPoint(end));
        const bool green = (open & end) != 0;
        QVERIFY2(
            green ? colour.green() > 100 && colour.red() < 50 : colour.red() > 150 && colour.green() < 50,
            qPrintable(QStringLiteral("picture %1, end %2").arg(row[4]).arg(int(end))));
      }
    }
  }

  void minimumSizeAndDoubleClick() {
    BildViewer viewer;
    Open(viewer, 300, 300);
    const double twipsX = viewer.Picture().TwipsPerPixelX();
    const double twipsY = viewer.Picture().TwipsPerPixelY();
    viewer.resize(10, 10);
    QTRY_VERIFY(viewer.width() * twipsX >= 1000.0);
    QVERIFY(viewer.height() * twipsY >= 1000.0);
    QVERIFY((viewer.width() - 1) * twipsX < 1000.0 && (viewer.height() - 1) * twipsY < 1000.0);
    QCOMPARE(viewer.Picture().WidthTwips(), static_cast<int>(std::lround(300 * twipsX)));
    QCOMPARE(viewer.Frame().width(), viewer.width() - viewer.VerticalBar().width());  // room for both bars

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

  // Scroll positions beyond 16 bits: the whole width is reachable by bar and by dragging.
  void veryWideImageScrollsToItsEnd() {
    BildViewer viewer;
    viewer.resize(400, 300);
    Open(viewer, 70000, 2);
    const int frameWidth = viewer.Frame().width();
    QScrollBar& bar = viewer.HorizontalBar();
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

  void openFlagFollowsWindow() {
    UnloadViewer();
    BildViewer* viewer = Viewer();
    QCOMPARE(Viewer(), viewer);  // one instance
    viewer->Prepare(QStringLiteral("a - 10x10 Pixel"), 10, 10);
    QVERIFY(!viewer_open);     // prepared, not yet shown
    viewer->resize(320, 220);  // a hidden window's resize does not count as open
    QVERIFY(!viewer_open);
    viewer->show();
    UnloadViewer();
    QVERIFY(!viewer_open);
    UnloadViewer();  // nothing left to unload
  }

  void imageShownAtFullSizeAndFollowsSelection() {
    QTemporaryDir folder;
    QImage halves(900, 700, QImage::Format_RGB888);  // left half red, right half blue
    halves.fill(Qt::red);
    for (int y = 0; y < 700; ++y) {
      for (int x = 450; x < 900; ++x) halves.setPixelColor(x, y, Qt::blue);
    }
    QVERIFY(halves.copy(0, 0, 300, 200).save(folder.filePath(QStringLiteral("muster.png"))));
    QVERIFY(halves.save(folder.filePath(QStringLiteral("gross.png"))));
    UnloadViewer();
    BildViewer* viewer = Viewer();
    for (const auto& [name, width, height] :
         {std::tuple{"muster", 300, 200}, {"gross", 900, 700}, {"fehlt", 0, 0}}) {
      auto image = std::make_unique<ZetImage>();
      std::int32_t w = 0, h = 0, time = 0;
      const QString path = folder.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
      QCOMPARE(image->load(path.toStdString(), kTypePng, w, h, time), width == 0 ? 2 : 0);
      ShowInViewer(*image, ViewerCaption(QString::fromLatin1(name), w, h), w, h);
      image.reset();  // the viewer keeps its own reference to the pixels
      if (width == 900) {
        QVERIFY(viewer->Fitting());  // larger than the test screen
        viewer->ZoomTo(1.0);
      }
      // A failed read (width and height 0) leaves the viewer as it was.
      const int shownWidth = width == 0 ? 900 : width;
      QVERIFY(viewer->isVisible() && viewer_open);
      QCOMPARE(viewer->windowTitle(), width == 0 ? QStringLiteral("gross - 900x700 Pixel - 100 %")
                                                 : ViewerCaption(QString::fromLatin1(name), width, height) +
                                                       QStringLiteral(" - 100 %"));
      QCOMPARE(viewer->Picture().size(), QSize(shownWidth, width == 0 ? 700 : height));
      QCOMPARE(viewer->Picture().Picture().size(),
               viewer->Picture().size());  // one screen pixel per image pixel
      QCOMPARE(viewer->HorizontalBar().isHidden(), shownWidth == 300);
    }
    viewer->HorizontalBar().setValue(viewer->HorizontalBar().maximum());
    const QImage shown = viewer->Frame().grab().toImage();
    QCOMPARE(shown.pixelColor(viewer->Frame().width() - 1, 5), QColor(Qt::blue));
    QCOMPARE(viewer->Picture().Picture().pixelColor(449, 10), QColor(Qt::red));
    viewer->close();
    QVERIFY(!viewer_open);
    UnloadViewer();
  }
};

}  // namespace kelmarin

QTEST_MAIN(kelmarin::ViewerTest)
#include "ViewerTest.moc"
