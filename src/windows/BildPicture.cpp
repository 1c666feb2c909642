#include "windows/BildPicture.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

namespace kelmarin {

BildPicture::BildPicture(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Bild"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
}

double BildPicture::TwipsPerPixelX() const {
  return 1440.0 / logicalDpiX();
}
double BildPicture::TwipsPerPixelY() const {
  return 1440.0 / logicalDpiY();
}

std::int32_t BildPicture::WidthTwips() const {
  return static_cast<std::int32_t>(std::lround(width() * TwipsPerPixelX()));
}

std::int32_t BildPicture::HeightTwips() const {
  return static_cast<std::int32_t>(std::lround(height() * TwipsPerPixelY()));
}

void BildPicture::ClearPicture() {
  picture = QImage();
  origin = QPoint();
  update();
}

bool BildPicture::DrawRGB(const QImage& image, std::int32_t x, std::int32_t y) {
  if (image.isNull()) {
    ClearPicture();
    return false;
  }
  picture = image;
  origin = QPoint(x, y);
  update();
  return true;
}

void BildPicture::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect exposed = event->rect();
  painter.fillRect(exposed, palette().window());
  if (!picture.isNull()) {
    // Only the exposed part: the picture may be far larger than the frame that shows it.
    const QRect target = exposed.intersected(QRect(origin, picture.size()));
    if (!target.isEmpty()) painter.drawImage(target, picture, target.translated(-origin));
  }
}

void BildPicture::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
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
