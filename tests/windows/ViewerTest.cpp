// The image viewer: bars, panning, cursors, minimum size, the open flag, real image objects shown at
// full size; keys, wheel, zoom, painting at a zoom and placement (these also run with a device pixel
// ratio of 2, where 100 % is one image pixel per device pixel); the picture widget and twips scale.
// The about window: the Windows row's logic, the component versions, the window and its links.
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>
#include <QtTest>
#include <cctype>
#include <cmath>
#include <limits>

#include "windows/Bild.h"
#include "windows/BildPicture.h"
#include "windows/BildViewer.h"
#include "windows/ComponentList.h"
#include "windows/InformDialog.h"
#include "windows/LibraryVersions.h"
#include "windows/PanCursor.h"
#include "windows/PictureWidget.h"
#include "windows/ProgramVersion.h"
#include "windows/ScreenTwips.h"

namespace kelmarin {
namespace {

const QColor kLeft(Qt::red), kRight(Qt::blue), kMark(Qt::green);

// An image of width x height: its left half red, its right half blue, pixel (1, 0) and the last
// column green.
QImage Halves(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(kLeft);
  for (int y = 0; y < height; ++y) {
    QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    std::fill_n(line + width / 2, width - width / 2, kRight.rgb());
    line[width - 1] = kMark.rgb();
  }
  image.setPixelColor(1, 0, kMark);
  return image;
}

// Shows the image of Halves in the viewer as it is.
void Open(BildViewer& viewer, int width, int height) {
  QVERIFY(viewer.Prepare(QStringLiteral("test - bild"), width, height).DrawRGB(Halves(width, height), 0, 0));
  viewer.show();
  QVERIFY(QTest::qWaitForWindowExposed(&viewer));
}

// Presents a 700 x 500 image (smaller than the test screen: 100 %) as the program does, then makes
// the window smaller.
void Present(BildViewer& viewer, QSize window = {300, 240}) {
  QVERIFY(viewer.Prepare(QStringLiteral("bild - 700x500 Pixel"), 700, 500).DrawRGB(Halves(700, 500), 0, 0));
  viewer.Present();
  viewer.resize(window / viewer.devicePixelRatioF());
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
  for (int i = 1; i <= steps; ++i)
    SendMouse(picture, QEvent::MouseMove, from + (to - from) * i / steps - picture.pos(), Qt::LeftButton);
  SendMouse(picture, QEvent::MouseButtonRelease, to - picture.pos(), Qt::NoButton);
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

// Receives the addresses the about window hands to the desktop.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void open(const QUrl& url) { opened.append(url); }
};

class ViewerTest : public QObject {
  Q_OBJECT

 private slots:
  void barsSizesAndDoubleClick() {
    BildViewer viewer;
    viewer.resize(400, 300);
    Open(viewer, 100, 80);
    QVERIFY(viewer.HorizontalBar().isHidden() && viewer.VerticalBar().isHidden());
    QCOMPARE(viewer.PanCursorIndex(), 14);
    Drag(viewer, {50, 50}, {10, 5});
    QCOMPARE(viewer.Picture().pos(), QPoint(0, 0));
    const int frameWidth = viewer.Frame().width();
    QCOMPARE(frameWidth, viewer.width());  // no room kept for a hidden bar
    Open(viewer, frameWidth + 40, 50);
    QScrollBar& bar = viewer.HorizontalBar();
    QVERIFY(!bar.isHidden() && viewer.VerticalBar().isHidden());
    QCOMPARE(QList<int>({bar.minimum(), bar.maximum(), bar.singleStep(), bar.pageStep(), bar.value()}),
             QList<int>({0, 40, 2, frameWidth, 0}));
    QCOMPARE(viewer.PanCursorIndex(), 3);  // only left is open
    // The bar sits just below the frame, as wide as it.
    QCOMPARE(bar.geometry(), QRect(0, viewer.Frame().height(), frameWidth, bar.height()));
    viewer.HorizontalBar().setValue(40);
    viewer.resize(500, 300);  // now the whole image fits: the picture goes back
    QTRY_VERIFY(viewer.HorizontalBar().isHidden());
    QCOMPARE(viewer.Picture().pos(), QPoint(0, 0));
    QCOMPARE(viewer.PanCursorIndex(), 14);
    // Scroll positions beyond 16 bits: the whole width is reachable by bar and by dragging.
    viewer.resize(400, 300);
    Open(viewer, 70000, 2);
    QCOMPARE(bar.maximum(), 70000 - frameWidth);
    Drag(viewer, {300, 1}, {-100000, 1}, 20);
    QCOMPARE(viewer.Picture().x(), frameWidth - 70000);
    QCOMPARE(bar.value(), bar.maximum());
    const QImage shown = viewer.Frame().grab().toImage();
    QCOMPARE(shown.pixelColor(frameWidth - 1, 1), kMark);
    QCOMPARE(shown.pixelColor(frameWidth - 2, 1), kRight);
    bar.setValue(40000);
    QCOMPARE(viewer.Picture().x(), -40000);
    // The smallest window: 1000 twips each way, room for both bars; a double click maximises.
    const double twipsX = viewer.Picture().TwipsPerPixelX();
    const double twipsY = viewer.Picture().TwipsPerPixelY();
    viewer.resize(10, 10);
    QTRY_VERIFY(viewer.width() * twipsX >= 1000.0);
    QVERIFY(viewer.height() * twipsY >= 1000.0);
    QVERIFY((viewer.width() - 1) * twipsX < 1000.0 && (viewer.height() - 1) * twipsY < 1000.0);
    QCOMPARE(viewer.Picture().WidthTwips(), static_cast<int>(std::lround(70000 * twipsX)));
    QCOMPARE(viewer.Frame().size(), viewer.size() - QSize(0, viewer.HorizontalBar().height()));
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
  }

  void dragAndBarsStopAtEachEdge() {
    BildViewer viewer;
    viewer.resize(400, 300);
    Open(viewer, 10, 10);
    // The frame with both bars shown.
    const QSize frame = viewer.size() - QSize(viewer.VerticalBar().width(), viewer.HorizontalBar().height());
    Open(viewer, frame.width() + 300, frame.height() + 200);
    QCOMPARE(viewer.Frame().size(), frame);
    BildPicture& picture = viewer.Picture();
    QScrollBar& h = viewer.HorizontalBar();
    QScrollBar& v = viewer.VerticalBar();
    // The grabbed point is taken in whole pixels, halves to the even neighbour: 121.5 gives 122.
    SendMouse(picture, QEvent::MouseButtonPress, QPointF(121.5, 80.4), Qt::LeftButton);
    QVERIFY(viewer.Dragging());
    SendMouse(picture, QEvent::MouseMove, QPointF(85.4, 59.4), Qt::LeftButton);
    // The same point of the screen, now relative to the moved picture: nothing moves.
    SendMouse(picture, QEvent::MouseMove, QPointF(122.4, 80.4), Qt::LeftButton);
    QCOMPARE(picture.pos(), QPoint(-37, -21));
    QCOMPARE(Bars(viewer), QPoint(37, 21));
    SendMouse(picture, QEvent::MouseButtonRelease, QPointF(122.4, 80.4), Qt::NoButton);
    QVERIFY(!viewer.Dragging());
    SendMouse(picture, QEvent::MouseMove, QPointF(10, 10), Qt::NoButton);  // no button held: no panning
    QCOMPARE(picture.pos(), QPoint(-37, -21));
    v.setValue(0);
    const struct {
      QPoint from, to, pos;
      int cursor;
    } steps[] = {{{200, 100}, {-64, 100}, {-300, 0}, 0},       // one pixel too far; up and right
                 {{200, 150}, {200, -5000}, {-300, -200}, 4},  // down and right
                 {{100, 100}, {6000, 100}, {0, -200}, 5},      // down and left
                 {{100, 100}, {100, 6000}, {0, 0}, 2}};
    for (const auto& s : steps) {
      Drag(viewer, s.from, s.to);
      QCOMPARE(picture.pos(), s.pos);
      QCOMPARE(Bars(viewer), -s.pos);
      QCOMPARE(viewer.PanCursorIndex(), s.cursor);
    }
    h.setValue(25);
    v.setValue(v.maximum());
    QCOMPARE(picture.pos(), QPoint(-25, -v.maximum()));
    QCOMPARE(viewer.PanCursorIndex(), 15);  // down, left and right
    Open(viewer, 1000, 900);                // a new image puts the picture back to the top left corner
    QCOMPARE(picture.pos(), QPoint(0, 0));
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
      const unsigned open =
          (s.hVisible && s.h > 0 ? kPanRight : 0) | (s.hVisible && s.h < s.hmax ? kPanLeft : 0) |
          (s.vVisible && s.v > 0 ? kPanDown : 0) | (s.vVisible && s.v < s.vmax ? kPanUp : 0);
      QCOMPARE(PanCursorIndex(s), row[4]);
      QCOMPARE(PanCursorGreenEnds(row[4]), open);
      const QImage picture = PanCursorPixmap(row[4]).toImage();
      QCOMPARE(picture.size(), QSize(32, 32));
      for (PanDirection end : {kPanUp, kPanDown, kPanLeft, kPanRight}) {
        const QColor colour = picture.pixelColor(PanCursorEndPoint(end));
        QVERIFY2((open & end) != 0 ? colour.green() > 100 && colour.red() < 50
                                   : colour.red() > 150 && colour.green() < 50,
                 qPrintable(QStringLiteral("picture %1, end %2").arg(row[4]).arg(int(end))));
      }
    }
  }

  void imageShownAtFullSizeAndFollowsSelection() {
    QTemporaryDir folder;
    const QImage halves = Halves(900, 700);
    QVERIFY(halves.copy(0, 0, 300, 200).save(folder.filePath(QStringLiteral("muster.png"))));
    QVERIFY(halves.save(folder.filePath(QStringLiteral("gross.png"))));
    UnloadViewer();
    BildViewer* viewer = Viewer();
    QCOMPARE(Viewer(), viewer);  // one instance
    viewer->Prepare(QStringLiteral("a - 10x10 Pixel"), 10, 10);
    viewer->resize(320, 220);  // prepared, not shown: a hidden window's resize does not count as open
    QVERIFY(!viewer_open);
    for (const auto& [name, width, height] :
         {std::tuple{"muster", 300, 200}, {"gross", 900, 700}, {"fehlt", 0, 0}}) {
      auto image = std::make_unique<ZetImage>();
      std::int32_t w = 0, h = 0, time = 0;
      const QString path = folder.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
      QCOMPARE(image->load(path.toStdString(), kTypePng, w, h, time), width == 0 ? 2 : 0);
      const QString caption =
          width == 0 ? QString::fromLatin1(name) : ViewerCaption(QString::fromLatin1(name), w, h);
      ShowInViewer(*image, caption);
      image.reset();  // the viewer keeps its own reference to the pixels
      QVERIFY(viewer->isVisible() && viewer_open);
      if (width == 0) {
        // A failed read shows the file's name and no picture, not the picture before it.
        QCOMPARE(viewer->windowTitle(), caption);
        QVERIFY(!viewer->Picture().HasPicture() && viewer->Picture().size().isEmpty());
        QVERIFY(viewer->HorizontalBar().isHidden() && viewer->VerticalBar().isHidden());
        continue;
      }
      if (width == 900) {
        QVERIFY(viewer->Fitting());  // larger than the test screen
        viewer->ZoomTo(1.0);
        viewer->HorizontalBar().setValue(viewer->HorizontalBar().maximum());
        QCOMPARE(viewer->Frame().grab().toImage().pixelColor(viewer->Frame().width() - 2, 5), kRight);
        QCOMPARE(viewer->Picture().Picture().pixelColor(449, 10), kLeft);
      }
      const QSize shown(width, height);
      QCOMPARE(viewer->windowTitle(), caption + QStringLiteral(" - 100 %"));
      QCOMPARE(viewer->Picture().size(), shown);
      QCOMPARE(viewer->Picture().Picture().size(), shown);  // one screen pixel per image pixel
      QCOMPARE(viewer->HorizontalBar().isHidden(), shown.width() == 300);
    }
    viewer->close();
    QVERIFY(!viewer_open);
    UnloadViewer();
  }

  void keysAndWheelScrollZoomStepAndClose() {
    BildViewer viewer;
    Present(viewer);
    QScrollBar& h = viewer.HorizontalBar();
    QScrollBar& v = viewer.VerticalBar();
    const int page = viewer.Frame().height();
    const int down = std::min(v.singleStep() + page, v.maximum());
    const std::pair<Qt::Key, QPoint> cases[] = {
        {Qt::Key_Right, {h.singleStep(), 0}},
        {Qt::Key_Down, {h.singleStep(), v.singleStep()}},
        {Qt::Key_Left, {0, v.singleStep()}},
        {Qt::Key_PageDown, {0, down}},
        {Qt::Key_Up, {0, down - v.singleStep()}},
        {Qt::Key_End, {h.maximum(), v.maximum()}},
        {Qt::Key_PageUp, {h.maximum(), std::max(v.maximum() - page, 0)}},
        {Qt::Key_Home, {0, 0}}};
    for (const auto& [key, bars] : cases) {
      QTest::keyClick(&viewer.Picture(), key);
      QCOMPARE(Bars(viewer), bars);
      QCOMPARE(viewer.Picture().pos(), -bars);
    }
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
    QSignalSpy steps(&viewer, &BildViewer::stepRequested);
    QTest::keyClick(&viewer, Qt::Key_Space);
    QTest::keyClick(&viewer, Qt::Key_Backspace);
    QCOMPARE(steps, (QList<QList<QVariant>>{{1}, {-1}}));
    QTest::keyClick(&viewer, Qt::Key_Escape);
    QVERIFY(!viewer.isVisible());
  }

  void zoomStepsCaptionAndPainting() {
    BildViewer viewer;
    Present(viewer, {400, 300});
    const double ratio = viewer.devicePixelRatioF();
    QCOMPARE(viewer.windowTitle(), QStringLiteral("bild - 700x500 Pixel - 100 %"));
    QImage shown = viewer.Frame().grab().toImage();  // image pixel (1, 0) is device pixel (1, 0)
    QCOMPARE(shown.pixelColor(1, 0), kMark);
    QCOMPARE(shown.pixelColor(2, 0), kLeft);
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
      QCOMPARE(shown.pixelColor(left, 100), kLeft);
      if (3 * left < shown.width()) QCOMPARE(shown.pixelColor(3 * left, 100), kRight);
    }
    QTest::keyClick(&viewer, Qt::Key_Plus);  // dragging at a zoom: stops at the right edge
    QTest::keyClick(&viewer, Qt::Key_Home);
    BildPicture& picture = viewer.Picture();
    QTest::mousePress(&picture, Qt::LeftButton, {}, QPoint(200, 100));
    SendMouse(picture, QEvent::MouseMove, QPointF(-5000, 100), Qt::LeftButton);
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

  // Stepping through pictures of every size: each gets the window a viewer opened on it would get,
  // and a picture that fits (at 100 % or fitted) fills the window, with no band for hidden bars.
  void eachPictureGetsTheWindowItWouldOpenWith() {
    QWidget owner;
    owner.show();
    const QSize minimum = Viewer(&owner)->MinimumViewerSize();
    for (const QSize size :
         {QSize(400, 301), QSize(1440, 960), QSize(400, 301), QSize(30, 20), QSize(700, 500)}) {
      const QString caption = ViewerCaption(QStringLiteral("bild"), size.width(), size.height());
      BildViewer* stepping = Viewer(&owner);
      QVERIFY(stepping->Prepare(caption, size.width(), size.height())
                  .DrawRGB(Halves(size.width(), size.height()), 0, 0));
      stepping->Present();
      BildViewer fresh(&owner);
      QVERIFY(fresh.Prepare(caption, size.width(), size.height())
                  .DrawRGB(Halves(size.width(), size.height()), 0, 0));
      fresh.Present();
      QCOMPARE(stepping->size(), fresh.size());
      QCOMPARE(stepping->windowTitle(), fresh.windowTitle());
      QCOMPARE(stepping->size(), stepping->Picture().size().expandedTo(minimum));
      QCOMPARE(stepping->Frame().size(), stepping->size());
      QVERIFY(stepping->HorizontalBar().isHidden() && stepping->VerticalBar().isHidden());
      if (!stepping->Fitting()) continue;
      // 100 % needs the bars; fitted again, the picture fills the window once more.
      stepping->ZoomTo(1.0);
      QVERIFY(!stepping->HorizontalBar().isHidden() && !stepping->VerticalBar().isHidden());
      stepping->Fit();
      QCOMPARE(stepping->Picture().size(), stepping->size());
      QCOMPARE(stepping->Frame().size(), stepping->size());
    }
    UnloadViewer();
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

  void pictureWidgetAndTwips() {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    ScreenTwips scale{2.5, 12.5};
    // 2.5, 7.5, -2.5 twips; 2.0, 2.48, -6.0 pixels; 37.5 twips.
    QCOMPARE(QList<int>({scale.ToTwipsX(1), scale.ToTwipsX(3), scale.ToTwipsX(-1), scale.ToPixelsX(5),
                         scale.ToPixelsY(25), scale.ToPixelsY(31), scale.ToPixelsY(-75), scale.ToTwipsY(3)}),
             QList<int>({2, 8, -2, 2, 2, 2, -6, 38}));
    scale = {0.5, 0.0};  // a screen that reports nonsense: no finite number gives 0
    QCOMPARE(QList<int>({scale.ToPixelsX(kMax), scale.ToPixelsX(kMin), scale.ToPixelsY(1440)}),
             QList<int>({kMax, kMin, 0}));
    scale.perPixelX = 1e20;
    QCOMPARE(scale.ToTwipsX(1 << 30), kMax);
    QVERIFY(ScreenTwips::Of(nullptr).perPixelX > 0.0);  // without a widget: the primary screen's scale
    // The preview lets its frame show around the picture; the viewer's picture, painting opaquely,
    // fills what the picture does not cover. Both repaint what was drawn at every exposure.
    QWidget frame;
    QPalette palette;
    palette.setColor(QPalette::Window, Qt::green);
    frame.setPalette(palette);
    frame.setAutoFillBackground(true);
    frame.resize(60, 60);
    auto* box = new PictureWidget(&frame);
    palette.setColor(QPalette::Window, Qt::red);
    box->setPalette(palette);
    box->setGeometry(10, 10, 40, 40);
    QImage image(10, 10, QImage::Format_RGB888);
    image.fill(Qt::blue);
    QVERIFY(box->DrawRGB(image, 5, 5));
    const auto colours = [&](std::initializer_list<int> at) {
      const QImage shown = frame.grab().toImage();
      QList<QColor> list;
      for (int xy : at) list << shown.pixelColor(xy, xy);
      return list;
    };
    QCOMPARE(colours({11, 15, 24, 25}), QList<QColor>({Qt::green, Qt::blue, Qt::blue, Qt::green}));
    box->setAttribute(Qt::WA_OpaquePaintEvent);
    QCOMPARE(colours({11, 24, 49}), QList<QColor>({Qt::red, Qt::blue, Qt::red}));
    box->ClearPicture();
    QCOMPARE(colours({15}), QList<QColor>({Qt::red}));
    QVERIFY(box->DrawRGB(image, 5, 5) && !box->DrawRGB(QImage(), 1, 1));  // a null image clears
    QVERIFY(!box->HasPicture());
  }

  void windowComponentsAndLinks() {
    UrlCatcher catcher;
    for (const char* scheme : {"https", "http", "mailto"})
      QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "open");
    Inform window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Informationen über Kelmarin"));
    QCOMPARE(window.VersionLabel().text(), QStringLiteral("Kelmarin Version 1.0.3"));
    QTreeWidget& list = window.VersionInfo();
    QStringList names;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
      names << list.topLevelItem(i)->text(0);
      if (!names.last().isEmpty()) QVERIFY(!list.topLevelItem(i)->text(1).isEmpty());
    }
    QCOMPARE(names.join(QLatin1Char(',')),
             QStringLiteral("Linux,Qt,,libjpeg-turbo,libpng,giflib,libtiff,LibRaw,"
                            "ImageMagick,libemf2svg,libheif,libwebp,libjxl,lcms2,expat,Brotli"));
    QVERIFY(list.topLevelItem(0)->text(1).contains(QSysInfo::kernelVersion()));
    QCOMPARE(list.topLevelItem(1)->text(1), QString::fromLatin1(qVersion()));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Every imaging library reports a version that starts with a digit; a missing one shows "NV".
    QCOMPARE(VersionOrNV(SharedLibraryFileVersion("libkelmarin-not-there.so.3")), QStringLiteral("NV"));
    QCOMPARE(SharedLibraryFileVersion(nullptr), std::string());
    QCOMPARE(MagickVersionFromBanner("ImageMagick"), std::string());
    QCOMPARE(LcmsVersionText(2140), std::string("2.14"));
    QCOMPARE(BrotliVersionText(0x1001002), std::string("1.1.2"));
    for (const LibraryVersion& library : ImagingLibraryVersions())
      QVERIFY2(!library.version.empty() && std::isdigit(library.version.front()), library.component.c_str());
    QTest::mouseClick(&window.WebLink(), Qt::LeftButton);
    QTest::mouseClick(&window.MailLink(), Qt::LeftButton);
    QTest::mouseClick(&window.MailLink(), Qt::RightButton);  // only the left button follows a link
    for (const char* scheme : {"https", "http", "mailto"})
      QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    QCOMPARE(catcher.opened, QList<QUrl>({QUrl(QStringLiteral(KELMARIN_HOMEPAGE)),
                                          QUrl(QStringLiteral("mailto:" KELMARIN_MAIL))}));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("OK")), Qt::LeftButton);
    QVERIFY(!window.isVisible() && window.result() == QDialog::Accepted);
  }
};

}  // namespace kelmarin

QTEST_MAIN(kelmarin::ViewerTest)
#include "ViewerTest.moc"
