#include "windows/BildViewer.h"

#include <QCloseEvent>
#include <QPointer>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "metadata/Rounding.h"
#include "windows/Bild.h"
#include "windows/BildPicture.h"
#include "windows/DialogFont.h"
#include "windows/PanCursor.h"
#include "windows/ScreenTwips.h"

namespace kelmarin {

bool viewer_open = false;

namespace {

QPointer<BildViewer> theViewer;

// New position of the picture along one axis while it is dragged: the grabbed point follows the
// mouse until an edge of the picture reaches the frame's edge.
int PanPosition(double mouse, int grabbed, int current, int pictureSize, int frameSize) {
  if (pictureSize <= frameSize) return 0;
  const int wanted = RoundHalfEven(mouse - grabbed + current);
  if (wanted >= 0) return 0;
  if (pictureSize + wanted < frameSize) return frameSize - pictureSize;
  return wanted;
}

}  // namespace

BildViewer::BildViewer(QWidget* owner)
    : QWidget(owner, Qt::Window),
      rahmen(new QWidget(this)),
      bild(new BildPicture(rahmen)),
      hscroll(new QScrollBar(Qt::Horizontal, this)),
      vscroll(new QScrollBar(Qt::Vertical, this)) {
  setObjectName(QStringLiteral("Bild"));
  setWindowTitle(QStringLiteral("Bildname"));
  setAttribute(Qt::WA_QuitOnClose, false);  // the main window alone decides when the program ends
  rahmen->setObjectName(QStringLiteral("Bild_rahmen"));
  hscroll->setObjectName(QStringLiteral("Bild_hscroll"));
  vscroll->setObjectName(QStringLiteral("Bild_vscroll"));
  bild->setGeometry(0, 0, 0, 0);

  connect(hscroll, &QScrollBar::valueChanged, this, [this](int v) { BarValueChanged(true, v); });
  connect(vscroll, &QScrollBar::valueChanged, this, [this](int v) { BarValueChanged(false, v); });
  connect(hscroll, &QScrollBar::sliderMoved, this, [this](int v) { BarTracked(true, v); });
  connect(vscroll, &QScrollBar::sliderMoved, this, [this](int v) { BarTracked(false, v); });
  connect(bild, &BildPicture::Resized, this, &BildViewer::OnResize);
  connect(bild, &BildPicture::DoubleClicked, this, &BildViewer::ToggleMaximised);
  connect(bild, &BildPicture::MousePressed, this, &BildViewer::BeginDrag);
  connect(bild, &BildPicture::MouseMoved, this, &BildViewer::PanStep);
  connect(bild, &BildPicture::MouseReleased, this, [this] { dragging = false; });

  setMinimumSize(MinimumViewerSize());
  resize(640, 480);
  SetDialogFont(this);
  LayoutViewer();
  UpdatePanCursor();
}

BildViewer::~BildViewer() {
  viewer_open = false;
}

QSize BildViewer::MinimumViewerSize() const {
  const ScreenTwips scale = ScreenTwips::Of(this);
  const auto pixels = [](double perPixel) { return static_cast<int>(std::ceil(1000.0 / perPixel)); };
  return {pixels(scale.perPixelX), pixels(scale.perPixelY)};
}

BildPicture& BildViewer::Prepare(const QString& caption, int width, int height) {
  setWindowTitle(caption);
  dragging = false;
  bild->setGeometry(0, 0, std::max(width, 1), std::max(height, 1));
  // Laid out here in every case: a hidden window gets the picture's resize event only when shown,
  // and a picture of unchanged size gets none, yet the bars must return to 0 with the picture.
  OnResize();
  return *bild;
}

void BildViewer::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  OnResize();
}

void BildViewer::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  setMinimumSize(MinimumViewerSize());  // the screen it opens on may differ from the first guess
  viewer_open = true;
}

void BildViewer::closeEvent(QCloseEvent* event) {
  viewer_open = false;
  dragging = false;
  event->accept();
}

void BildViewer::OnResize() {
  if (isVisible()) viewer_open = true;
  if (!(windowState() & Qt::WindowMinimized)) {
    const QSize least = MinimumViewerSize();
    if (width() < least.width() || height() < least.height()) {
      resize(std::max(width(), least.width()), std::max(height(), least.height()));
    }
    LayoutViewer();
  }
  UpdatePanCursor();
}

void BildViewer::LayoutViewer() {
  const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, vscroll);
  const int barHeight = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, hscroll);
  // The frame always leaves room for both bars, also when a bar is hidden.
  const int frameWidth = std::max(width() - barWidth, 0);
  const int frameHeight = std::max(height() - barHeight, 0);
  rahmen->setGeometry(0, 0, frameWidth, frameHeight);
  hscroll->setGeometry(0, frameHeight, frameWidth, barHeight);
  vscroll->setGeometry(frameWidth, 0, barWidth, frameHeight);
  LayoutBar(*hscroll, bild->width(), frameWidth, true);
  LayoutBar(*vscroll, bild->height(), frameHeight, false);
}

void BildViewer::LayoutBar(QScrollBar& bar, int pictureSize, int frameSize, bool horizontal) {
  if (frameSize < pictureSize) {
    const int maximum = pictureSize - frameSize;
    bar.setRange(0, maximum);
    bar.setPageStep(frameSize);
    bar.setSingleStep(std::max(RoundHalfEven(maximum / 20.0), 1));
    bar.setValue(0);
    bar.show();
  } else {
    // The whole picture fits: it goes back to the frame's edge, so that no part of it is left
    // outside the frame without a bar to reach it.
    bar.hide();
    bar.setRange(0, 0);
  }
  MovePicture(horizontal, 0);
}

void BildViewer::UpdatePanCursor() {
  PanState state;
  state.hVisible = !hscroll->isHidden();
  state.vVisible = !vscroll->isHidden();
  state.h = hscroll->value();
  state.hmax = hscroll->maximum();
  state.v = vscroll->value();
  state.vmax = vscroll->maximum();
  const int k = kelmarin::PanCursorIndex(state);
  if (k != cursorIndex) {
    cursorIndex = k;
    bild->setCursor(PanCursor(k));
  }
}

void BildViewer::ToggleMaximised() {
  const Qt::WindowStates state = windowState();
  if (state & Qt::WindowMinimized) return;
  if (state & Qt::WindowMaximized) {
    showNormal();
  } else {
    showMaximized();
  }
}

void BildViewer::BeginDrag(QPointF position) {
  drag_x = RoundHalfEven(position.x());
  drag_y = RoundHalfEven(position.y());
  dragging = true;
}

void BildViewer::PanStep(QPointF position) {
  if (!dragging) return;
  const int left = PanPosition(position.x(), drag_x, bild->x(), bild->width(), rahmen->width());
  const int top = PanPosition(position.y(), drag_y, bild->y(), bild->height(), rahmen->height());
  bild->move(left, top);
  // While dragging, the bars' change handling leaves the picture where it is.
  hscroll->setValue(-left);
  vscroll->setValue(-top);
  UpdatePanCursor();
}

void BildViewer::BarValueChanged(bool horizontal, int value) {
  if (!dragging) MovePicture(horizontal, value);
  UpdatePanCursor();
  (horizontal ? hscroll : vscroll)->update();
  bild->setFocus();
}

void BildViewer::BarTracked(bool horizontal, int value) {
  MovePicture(horizontal, value);
}

void BildViewer::MovePicture(bool horizontal, int value) {
  if (horizontal) {
    bild->move(-value, bild->y());
  } else {
    bild->move(bild->x(), -value);
  }
}

BildViewer* Viewer(QWidget* owner) {
  if (!theViewer) theViewer = new BildViewer(owner);
  return theViewer;
}

void UnloadViewer() {
  if (!theViewer) return;
  theViewer->close();
  delete theViewer;
}

QString ViewerCaption(const QString& name, std::int32_t width, std::int32_t height) {
  return name + QStringLiteral(" - ") + QString::number(width) + QLatin1Char('x') + QString::number(height) +
         QStringLiteral(" Pixel");
}

}  // namespace kelmarin
