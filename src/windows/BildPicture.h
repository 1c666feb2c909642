#pragma once
// The viewer's picture `Bild`: a widget that keeps what was drawn into it and repaints it whenever it
// is uncovered. It is the picture box the image object draws into (one screen pixel per image pixel
// when the box has the image's size).

#include <QImage>
#include <QPoint>
#include <QWidget>

#include "image/ZetImage.h"

namespace kelmarin {

class BildPicture : public QWidget, public PictureBox {
  Q_OBJECT

 public:
  explicit BildPicture(QWidget* parent = nullptr);

  // The box's size in twips: its pixel size times the screen's twips per pixel (1440 / logical DPI).
  std::int32_t WidthTwips() const override;
  std::int32_t HeightTwips() const override;
  double TwipsPerPixelX() const override;
  double TwipsPerPixelY() const override;
  void ClearPicture() override;
  // Keeps a shallow copy of image (the pixels are shared, not copied). A null image clears the
  // picture and answers false.
  bool DrawRGB(const QImage& image, std::int32_t x, std::int32_t y) override;

  const QImage& Picture() const { return picture; }
  QPoint PictureOrigin() const { return origin; }

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
  QImage picture;
  QPoint origin;
};

}  // namespace kelmarin
