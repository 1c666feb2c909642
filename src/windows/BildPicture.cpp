#include "windows/BildPicture.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

namespace kelmarin {

BildPicture::BildPicture(QWidget* parent) : PictureWidget(parent) {
  setObjectName(QStringLiteral("Bild"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
}

void BildPicture::paintEvent(QPaintEvent* event) {
  if (!HasPicture() || canvas.isEmpty() || size() == canvas) {
    PictureWidget::paintEvent(event);
    return;
  }
  QPainter painter(this);
  const QRect exposed = event->rect();
  painter.fillRect(exposed, palette().window());
  const QImage& drawn = Picture();
  // Box pixels per canvas pixel, in each direction.
  const double sx = static_cast<double>(width()) / canvas.width();
  const double sy = static_cast<double>(height()) / canvas.height();
  const QRectF target(PictureOrigin().x() * sx, PictureOrigin().y() * sy, drawn.width() * sx,
                      drawn.height() * sy);
  const double ratio = devicePixelRatioF();
  if (sx * ratio < 1.0 || sy * ratio < 1.0) {
    const QSize device(std::max(1, static_cast<int>(std::lround(target.width() * ratio))),
                       std::max(1, static_cast<int>(std::lround(target.height() * ratio))));
    if (smoothed.size() != device || smoothedOf != drawn.cacheKey()) {
      smoothed = drawn.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
      smoothedOf = drawn.cacheKey();
    }
    smoothed.setDevicePixelRatio(ratio);
    painter.drawImage(target.topLeft(), smoothed);
    return;
  }
  smoothed = QImage();
  // Enlarged: only the canvas pixels under the exposed part are drawn, each as a sharp block.
  const QRectF wanted = QRectF(exposed).intersected(target);
  if (wanted.isEmpty()) return;
  const QRectF source((wanted.left() - target.left()) / sx, (wanted.top() - target.top()) / sy,
                      wanted.width() / sx, wanted.height() / sy);
  painter.drawImage(wanted, drawn, source);
}

void BildPicture::resizeEvent(QResizeEvent* event) {
  PictureWidget::resizeEvent(event);
  emit Resized();
}

void BildPicture::mousePressEvent(QMouseEvent* event) {
  emit MousePressed(event->position());
}
void BildPicture::mouseMoveEvent(QMouseEvent* event) {
  emit MouseMoved(event->position());
}
void BildPicture::mouseReleaseEvent(QMouseEvent*) {
  emit MouseReleased();
}
void BildPicture::mouseDoubleClickEvent(QMouseEvent*) {
  emit DoubleClicked();
}

}  // namespace kelmarin
