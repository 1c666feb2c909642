#include "windows/BildPicture.h"

#include <QMouseEvent>

namespace kelmarin {

BildPicture::BildPicture(QWidget* parent) : PictureWidget(parent) {
  setObjectName(QStringLiteral("Bild"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAutoFillBackground(false);
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
