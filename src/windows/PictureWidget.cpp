#include "windows/PictureWidget.h"

#include <QPaintEvent>
#include <QPainter>

#include "windows/ScreenTwips.h"

namespace kelmarin {

PictureWidget::PictureWidget(QWidget* parent) : QWidget(parent) {}

std::int32_t PictureWidget::WidthTwips() const {
  return ScreenTwips::Of(this).ToTwipsX(width());
}
std::int32_t PictureWidget::HeightTwips() const {
  return ScreenTwips::Of(this).ToTwipsY(height());
}
double PictureWidget::TwipsPerPixelX() const {
  return ScreenTwips::Of(this).perPixelX;
}
double PictureWidget::TwipsPerPixelY() const {
  return ScreenTwips::Of(this).perPixelY;
}

void PictureWidget::ClearPicture() {
  picture = QImage();
  origin = QPoint();
  update();
}

bool PictureWidget::DrawRGB(const QImage& image, std::int32_t x, std::int32_t y) {
  if (image.isNull()) {
    ClearPicture();
    return false;
  }
  picture = image;
  origin = QPoint(x, y);
  update();
  return true;
}

void PictureWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect exposed = event->rect();
  if (testAttribute(Qt::WA_OpaquePaintEvent)) painter.fillRect(exposed, palette().window());
  if (picture.isNull()) return;
  const QRect target = exposed.intersected(QRect(origin, picture.size()));
  if (!target.isEmpty()) painter.drawImage(target, picture, target.translated(-origin));
}

}  // namespace kelmarin
