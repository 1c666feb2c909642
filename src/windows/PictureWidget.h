#pragma once
// The widget the image object draws into: the main window's preview and the viewer's picture are both
// made of it. It keeps what was drawn into it and repaints the exposed part of it whenever it is
// uncovered, so that a picture far larger than the screen costs only what is visible.

#include <QImage>
#include <QPoint>
#include <QWidget>

#include "image/ZetImage.h"

namespace kelmarin {

class PictureWidget : public QWidget, public PictureBox {
  Q_OBJECT

 public:
  explicit PictureWidget(QWidget* parent = nullptr);

  // The box's size in twips: its pixel size times the screen's twips per pixel (windows/ScreenTwips.h).
  std::int32_t WidthTwips() const override;
  std::int32_t HeightTwips() const override;
  double TwipsPerPixelX() const override;
  double TwipsPerPixelY() const override;
  void ClearPicture() override;
  // Keeps a shallow copy of image (the pixels are shared, not copied). A null image clears the
  // picture and answers false.
  bool DrawRGB(const QImage& image, std::int32_t x, std::int32_t y) override;

  bool HasPicture() const { return !picture.isNull(); }
  const QImage& Picture() const { return picture; }
  QPoint PictureOrigin() const { return origin; }

 protected:
  // Paints the exposed part of the picture. A widget that paints opaquely (Qt::WA_OpaquePaintEvent)
  // first fills the exposed part with its window colour; any other lets its parent show around the
  // picture.
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture;
  QPoint origin;
};

}  // namespace kelmarin
