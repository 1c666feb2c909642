#include "windows/BildViewer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

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

// The zoom steps of + and - and of the wheel, in device pixels per image pixel.
constexpr double kZoomSteps[] = {1.0 / 32, 1.0 / 24, 1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4,
                                 1.0 / 3,  1.0 / 2,  2.0 / 3,  1.0,      1.5,     2.0,     3.0,
                                 4.0,      6.0,      8.0,      12.0,     16.0};
// A full notch of a mouse wheel, in eighths of a degree.
constexpr int kNotch = 120;

}  // namespace

BildViewer::BildViewer(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      clipFrame(new QWidget(this)),
      pictureBox(new BildPicture(clipFrame)),
      horizontalBar(new QScrollBar(Qt::Horizontal, this)),
      verticalBar(new QScrollBar(Qt::Vertical, this)),
      menu(new QMenu(this)) {
  setObjectName(QStringLiteral("Bild"));
  setWindowTitle(QStringLiteral("Bildname"));
  setAttribute(Qt::WA_QuitOnClose, false);  // the main window alone decides when the program ends
  clipFrame->setObjectName(QStringLiteral("Bild_rahmen"));
  horizontalBar->setObjectName(QStringLiteral("Bild_hscroll"));
  verticalBar->setObjectName(QStringLiteral("Bild_vscroll"));
  pictureBox->setGeometry(0, 0, 0, 0);

  connect(horizontalBar, &QScrollBar::valueChanged, this, [this](int v) { BarValueChanged(true, v); });
  connect(verticalBar, &QScrollBar::valueChanged, this, [this](int v) { BarValueChanged(false, v); });
  connect(horizontalBar, &QScrollBar::sliderMoved, this, [this](int v) { BarTracked(true, v); });
  connect(verticalBar, &QScrollBar::sliderMoved, this, [this](int v) { BarTracked(false, v); });
  connect(pictureBox, &BildPicture::Resized, this, &BildViewer::OnResize);
  connect(pictureBox, &BildPicture::DoubleClicked, this, &BildViewer::ToggleMaximised);
  connect(pictureBox, &BildPicture::MousePressed, this, &BildViewer::BeginDrag);
  connect(pictureBox, &BildPicture::MouseMoved, this, &BildViewer::PanStep);
  connect(pictureBox, &BildPicture::MouseReleased, this, [this] { dragging = false; });

  menu->addAction(QStringLiteral("Einpassen\tE"), this, &BildViewer::Fit);
  menu->addAction(QStringLiteral("100 %\t1"), this, [this] { ZoomTo(1.0); });
  menu->addAction(QStringLiteral("Vergrößern\t+"), this, &BildViewer::ZoomIn);
  menu->addAction(QStringLiteral("Verkleinern\t-"), this, &BildViewer::ZoomOut);
  menu->addSeparator();
  menu->addAction(QStringLiteral("Nächstes Bild\tLeertaste"), this, [this] { emit stepRequested(1); });
  menu->addAction(QStringLiteral("Vorheriges Bild\tRücktaste"), this, [this] { emit stepRequested(-1); });
  menu->addSeparator();
  menu->addAction(QStringLiteral("Schließen\tEsc"), this, &QWidget::close);
  pictureBox->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(pictureBox, &QWidget::customContextMenuRequested, this,
          [this](QPoint at) { menu->popup(pictureBox->mapToGlobal(at)); });

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

BildPicture& BildViewer::Prepare(const QString& text, int width, int height) {
  caption = text;
  setWindowTitle(caption);
  dragging = false;
  imageSize = QSize(std::max(width, 1), std::max(height, 1));
  zoom = 1.0 / devicePixelRatioF();
  fitting = false;
  // The image is drawn at its own size; zooming later only stretches what was drawn.
  pictureBox->SetCanvas(imageSize);
  pictureBox->setGeometry(0, 0, imageSize.width(), imageSize.height());
  // Laid out here in every case: a hidden window gets the picture's resize event only when shown,
  // and a picture of unchanged size gets none, yet the bars must return to 0 with the picture.
  OnResize();
  return *pictureBox;
}

void BildViewer::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  OnResize();
  if (fitting && !zooming) ApplyZoom(FitZoom(), QPointF());
}

void BildViewer::Present() {
  QWidget* owner = parentWidget();
  QScreen* screen = owner != nullptr && owner->screen() != nullptr ? owner->screen() : this->screen();
  const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const double ratio = screen != nullptr ? screen->devicePixelRatio() : devicePixelRatioF();
  fitting = imageSize.width() > area.width() * ratio || imageSize.height() > area.height() * ratio;
  const bool opening = !isVisible();
  // Every picture gets the window it would get if the viewer were opened on it; a window the user
  // maximised stays so.
  if (!(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))) {
    SizeToPicture(area, ratio, opening);
  }
  ApplyZoom(fitting ? FitZoom() : 1.0, QPointF());
  show();
  if (opening) {
    // Centred again with the window's frame, now that it is known.
    const QRect frame(QPoint(), frameGeometry().size());
    const QPoint corner = area.center() - frame.center();
    move(std::max(corner.x(), area.left()), std::max(corner.y(), area.top()));
  }
  raise();
  activateWindow();
}

void BildViewer::PresentEmpty(const QString& text) {
  caption = text;
  setWindowTitle(caption);
  dragging = false;
  fitting = false;
  imageSize = QSize();
  zoom = 1.0 / devicePixelRatioF();
  pictureBox->ClearPicture();
  pictureBox->SetCanvas(QSize());
  pictureBox->setGeometry(0, 0, 0, 0);
  OnResize();
  show();
  raise();
  activateWindow();
}

void BildViewer::SizeToPicture(const QRect& area, double ratio, bool opening) {
  // Room for the window's frame and title, which are not known before the window is shown.
  const QSize room(area.width() * 9 / 10, area.height() * 9 / 10);
  const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalBar);
  const int barHeight = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, horizontalBar);
  // A fitted picture needs no bars; one at 100 % only where it is larger than the room.
  const double shown =
      fitting ? std::min(room.width() * ratio / imageSize.width(), room.height() * ratio / imageSize.height())
              : 1.0;
  const QSize picture(static_cast<int>(std::ceil(imageSize.width() * shown / ratio)),
                      static_cast<int>(std::ceil(imageSize.height() * shown / ratio)));
  QSize client = picture;
  if (picture.width() > room.width()) client.rheight() += barHeight;
  if (picture.height() > room.height()) client.rwidth() += barWidth;
  client = client.boundedTo(room).expandedTo(minimumSize());
  const QSize margins = frameGeometry().size() - size();
  const QPoint centre = opening ? area.center() : frameGeometry().center();
  zooming = true;
  resize(client);
  zooming = false;
  // About the same centre as before, within the available area.
  QRect placed(QPoint(), client + margins);
  placed.moveCenter(centre);
  placed.moveLeft(std::max(std::min(placed.left(), area.right() + 1 - placed.width()), area.left()));
  placed.moveTop(std::max(std::min(placed.top(), area.bottom() + 1 - placed.height()), area.top()));
  move(placed.topLeft());
}

double BildViewer::FitZoom() const {
  // The whole window: a fitted picture needs no bars.
  if (imageSize.isEmpty() || width() <= 0 || height() <= 0) return zoom;
  const double ratio = devicePixelRatioF();
  return std::min(width() * ratio / imageSize.width(), height() * ratio / imageSize.height());
}

void BildViewer::ZoomTo(double devicePixelsPerImagePixel) {
  fitting = false;
  ApplyZoomAtCentre(devicePixelsPerImagePixel);
}

void BildViewer::Fit() {
  fitting = true;
  ApplyZoom(FitZoom(), QPointF());
}

void BildViewer::ZoomIn() {
  for (const double step : kZoomSteps) {
    if (step > zoom * 1.001) {
      ZoomTo(step);
      return;
    }
  }
}

void BildViewer::ZoomOut() {
  for (auto step = std::rbegin(kZoomSteps); step != std::rend(kZoomSteps); ++step) {
    if (*step < zoom * 0.999) {
      ZoomTo(*step);
      return;
    }
  }
}

void BildViewer::ApplyZoomAtCentre(double newZoom) {
  ApplyZoom(newZoom, QPointF(clipFrame->width() / 2.0, clipFrame->height() / 2.0));
}

void BildViewer::ApplyZoom(double newZoom, QPointF anchor) {
  if (imageSize.isEmpty() || !(newZoom > 0.0)) return;
  // The image point under the anchor, in image pixels, before the picture changes its size.
  const double oldScale = static_cast<double>(pictureBox->width()) / imageSize.width();
  const QPointF imagePoint((anchor.x() - pictureBox->x()) / oldScale, (anchor.y() - pictureBox->y()) / oldScale);
  zoom = newZoom;
  const double ratio = devicePixelRatioF();
  // Within Qt's widget size limit.
  const auto extent = [&](int pixels) {
    return static_cast<int>(
        std::clamp(std::lround(pixels * zoom / ratio), 1L, static_cast<long>(QWIDGETSIZE_MAX)));
  };
  const QSize size(extent(imageSize.width()), extent(imageSize.height()));
  zooming = true;
  dragging = false;
  pictureBox->resize(size);
  OnResize();  // also for a hidden window, whose picture reports its new size only when shown
  zooming = false;
  const double newScale = static_cast<double>(size.width()) / imageSize.width();
  const auto place = [](QScrollBar& bar, double value) {
    if (!bar.isHidden()) bar.setValue(std::clamp(static_cast<int>(std::lround(value)), 0, bar.maximum()));
  };
  place(*horizontalBar, imagePoint.x() * newScale - anchor.x());
  place(*verticalBar, imagePoint.y() * newScale - anchor.y());
  UpdateCaption();
}

QString BildViewer::ZoomText() const {
  const long percent = std::max(1L, std::lround(zoom * 100.0));
  const QString text = QString::number(percent) + QStringLiteral(" %");
  return fitting ? QStringLiteral("Einpassen (") + text + QLatin1Char(')') : text;
}

void BildViewer::UpdateCaption() {
  setWindowTitle(caption + QStringLiteral(" - ") + ZoomText());
}

void BildViewer::ScrollBy(QScrollBar& bar, int pixels) {
  if (!bar.isHidden()) bar.setValue(std::clamp(bar.value() + pixels, 0, bar.maximum()));
}

void BildViewer::keyPressEvent(QKeyEvent* event) {
  const int line = std::max(horizontalBar->singleStep(), 1);
  const int row = std::max(verticalBar->singleStep(), 1);
  switch (event->key()) {
    case Qt::Key_Escape:
      close();
      break;
    case Qt::Key_Left:
      ScrollBy(*horizontalBar, -line);
      break;
    case Qt::Key_Right:
      ScrollBy(*horizontalBar, line);
      break;
    case Qt::Key_Up:
      ScrollBy(*verticalBar, -row);
      break;
    case Qt::Key_Down:
      ScrollBy(*verticalBar, row);
      break;
    case Qt::Key_PageUp:
      ScrollBy(*verticalBar, -clipFrame->height());
      break;
    case Qt::Key_PageDown:
      ScrollBy(*verticalBar, clipFrame->height());
      break;
    case Qt::Key_Home:
      ScrollBy(*horizontalBar, -horizontalBar->maximum());
      ScrollBy(*verticalBar, -verticalBar->maximum());
      break;
    case Qt::Key_End:
      ScrollBy(*horizontalBar, horizontalBar->maximum());
      ScrollBy(*verticalBar, verticalBar->maximum());
      break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      ZoomIn();
      break;
    case Qt::Key_Minus:
      ZoomOut();
      break;
    case Qt::Key_E:
      Fit();
      break;
    case Qt::Key_1:
      ZoomTo(1.0);
      break;
    case Qt::Key_Space:
      emit stepRequested(1);
      break;
    case Qt::Key_Backspace:
      emit stepRequested(-1);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

void BildViewer::wheelEvent(QWheelEvent* event) {
  const QPoint turn = event->angleDelta();
  const Qt::KeyboardModifiers keys = event->modifiers();
  if (keys & Qt::ControlModifier) {
    wheelZoomRest += turn.y() != 0 ? turn.y() : turn.x();
    const QPointF anchor = clipFrame->mapFrom(this, event->position());
    for (; wheelZoomRest >= kNotch; wheelZoomRest -= kNotch) {
      fitting = false;
      for (const double step : kZoomSteps) {
        if (step > zoom * 1.001) {
          ApplyZoom(step, anchor);
          break;
        }
      }
    }
    for (; wheelZoomRest <= -kNotch; wheelZoomRest += kNotch) {
      fitting = false;
      for (auto step = std::rbegin(kZoomSteps); step != std::rend(kZoomSteps); ++step) {
        if (*step < zoom * 0.999) {
          ApplyZoom(*step, anchor);
          break;
        }
      }
    }
    event->accept();
    return;
  }
  // One notch scrolls the system's wheel lines, a line being a twentieth of the frame (at least 20 pixels).
  const int lines = QApplication::wheelScrollLines();
  const auto pixels = [&](int angle, int extent) {
    return static_cast<int>(
        std::lround(-angle / static_cast<double>(kNotch) * lines * std::max(extent / 20, 20)));
  };
  if (keys & Qt::ShiftModifier) {
    ScrollBy(*horizontalBar, pixels(turn.y() != 0 ? turn.y() : turn.x(), clipFrame->width()));
  } else {
    ScrollBy(*verticalBar, pixels(turn.y(), clipFrame->height()));
    ScrollBy(*horizontalBar, pixels(turn.x(), clipFrame->width()));
  }
  event->accept();
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
  const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalBar);
  const int barHeight = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, horizontalBar);
  // A bar takes room only where the picture does not fit; the room one bar takes may make the other
  // direction need its bar too. A picture that fits fills the window without a band beside it.
  const QSize picture = pictureBox->size();
  bool across = picture.width() > width();
  bool down = picture.height() > height();
  if (across && !down) down = picture.height() > height() - barHeight;
  if (down && !across) across = picture.width() > width() - barWidth;
  const int frameWidth = std::max(width() - (down ? barWidth : 0), 0);
  const int frameHeight = std::max(height() - (across ? barHeight : 0), 0);
  clipFrame->setGeometry(0, 0, frameWidth, frameHeight);
  horizontalBar->setGeometry(0, frameHeight, frameWidth, barHeight);
  verticalBar->setGeometry(frameWidth, 0, barWidth, frameHeight);
  LayoutBar(*horizontalBar, picture.width(), frameWidth, true);
  LayoutBar(*verticalBar, picture.height(), frameHeight, false);
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
  state.hVisible = !horizontalBar->isHidden();
  state.vVisible = !verticalBar->isHidden();
  state.h = horizontalBar->value();
  state.hmax = horizontalBar->maximum();
  state.v = verticalBar->value();
  state.vmax = verticalBar->maximum();
  const int k = kelmarin::PanCursorIndex(state);
  if (k != cursorIndex) {
    cursorIndex = k;
    pictureBox->setCursor(PanCursor(k));
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
  dragX = RoundHalfEven(position.x());
  dragY = RoundHalfEven(position.y());
  dragging = true;
}

void BildViewer::PanStep(QPointF position) {
  if (!dragging) return;
  const int left = PanPosition(position.x(), dragX, pictureBox->x(), pictureBox->width(), clipFrame->width());
  const int top = PanPosition(position.y(), dragY, pictureBox->y(), pictureBox->height(), clipFrame->height());
  pictureBox->move(left, top);
  // While dragging, the bars' change handling leaves the picture where it is.
  horizontalBar->setValue(-left);
  verticalBar->setValue(-top);
  UpdatePanCursor();
}

void BildViewer::BarValueChanged(bool horizontal, int value) {
  if (!dragging) MovePicture(horizontal, value);
  UpdatePanCursor();
  (horizontal ? horizontalBar : verticalBar)->update();
  pictureBox->setFocus();
}

void BildViewer::BarTracked(bool horizontal, int value) {
  MovePicture(horizontal, value);
}

void BildViewer::MovePicture(bool horizontal, int value) {
  if (horizontal) {
    pictureBox->move(-value, pictureBox->y());
  } else {
    pictureBox->move(pictureBox->x(), -value);
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
