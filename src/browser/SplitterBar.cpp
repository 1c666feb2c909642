#include "browser/SplitterBar.h"

#include <QMouseEvent>

namespace kelmarin {

SplitterBar::SplitterBar(Qt::Orientation orientation, const QString& objectName, QWidget* parent)
    : QWidget(parent) {
  setObjectName(objectName);
  // Vertical bar: moves west-east and changes the tree's width.
  setCursor(orientation == Qt::Vertical ? Qt::SizeHorCursor : Qt::SizeVerCursor);
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, colours.color(QPalette::WindowText));
  setPalette(colours);
}

void SplitterBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragging = true;
  event->accept();
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event) {
  dragging = false;
  event->accept();
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event) {
  if (dragging) emit dragged(event->position().toPoint());
  event->accept();
}

}  // namespace kelmarin
