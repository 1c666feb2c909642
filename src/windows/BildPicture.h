#pragma once
// The viewer's picture `Bild`: the picture widget (windows/PictureWidget.h) the image object draws into
// at one screen pixel per image pixel. It paints opaquely and reports the mouse to the viewer, which
// pans it, and its size changes, which lay the viewer out again.
//
// Zoom: the image is drawn into the box once, at the size of its canvas (the image's own size); the box
// may then be resized to any size, and paints what was drawn stretched to it. Shrunk pictures are
// smoothed (the smoothed copy is kept until the size changes); enlarged ones show sharp pixels.

#include <QImage>
#include <QPointF>
#include <QSize>

#include "windows/PictureWidget.h"

namespace kelmarin {

class BildPicture : public PictureWidget {
  Q_OBJECT

 public:
  explicit BildPicture(QWidget* parent = nullptr);

  // The size in pixels the image is drawn at (by show); the box's size relative to it is the zoom.
  void SetCanvas(QSize size) { canvas = size; }

 signals:
  // The picture box changed its size (its owner lays itself out again).
  void Resized();
  void DoubleClicked();
  void MousePressed(QPointF position);
  void MouseMoved(QPointF position);
  void MouseReleased();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QSize canvas;
  QImage smoothed;        // the picture shrunk to the box's device size, when the box is smaller
  qint64 smoothedOf = 0;  // cacheKey of the picture that copy was made of
};

}  // namespace kelmarin
