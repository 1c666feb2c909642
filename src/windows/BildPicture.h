#pragma once
// The viewer's picture `Bild`: the picture widget (windows/PictureWidget.h) the image object draws into
// at one screen pixel per image pixel. It paints opaquely and reports the mouse to the viewer, which
// pans it, and its size changes, which lay the viewer out again.

#include <QPointF>

#include "windows/PictureWidget.h"

namespace kelmarin {

class BildPicture : public PictureWidget {
  Q_OBJECT

 public:
  explicit BildPicture(QWidget* parent = nullptr);

 signals:
  // The picture box changed its size (its owner lays itself out again).
  void Resized();
  void DoubleClicked();
  void MousePressed(QPointF position);
  void MouseMoved(QPointF position);
  void MouseReleased();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace kelmarin
