#pragma once
// The image object of the window: an image file (ImageFile) that also draws itself scaled into a
// picture box. The box is given a QImage that views the decoded pixels and keeps them alive, so
// that a same-size drawing hands over the decoded buffer itself, without a copy.

#include <QImage>
#include <cstdint>
#include <optional>

#include "image/ImageFile.h"

namespace kelmarin {

// What show draws into: a box measured in twips, with the screen's twips per pixel.
class PictureBox {
 public:
  virtual ~PictureBox() = default;
  virtual std::int32_t WidthTwips() const = 0;
  virtual std::int32_t HeightTwips() const = 0;
  virtual double TwipsPerPixelX() const = 0;
  virtual double TwipsPerPixelY() const = 0;
  // Removes the picture (the box shows its background).
  virtual void ClearPicture() = 0;
  // Draws the image with its top-left corner at (x, y) pixels and keeps it for repainting.
  // Returns false when it cannot draw.
  virtual bool DrawRGB(const QImage& image, std::int32_t x, std::int32_t y) = 0;
};

class ZetImage : public ImageFile {
 public:
  using ImageFile::ImageFile;

  // Draws the pixels scaled and centred into the box. 1 drawn, 2 drawing failed (reported:
  // "Fehler N\nISDrawRGB: file"; also when the scaled pixels cannot be had). An object without
  // pixels (its load failed) clears the box and returns 2 without a message.
  std::int32_t show(PictureBox& pic);

  // Scales 24-bit pixels to zDimX x zDimY. Same size: the source is shared, not copied. Smaller in
  // both directions: area averaging (filter -1 → mode 15, 0..13 → itself, else 14; mode 0 is nearest
  // neighbour); otherwise smooth interpolation (mode 16). A size that cannot be had → 1000 "GlobalAlloc".
  static std::optional<ImageError> ResizeImage(const QImage& source, std::int32_t zDimX, std::int32_t zDimY,
                                               QImage& target, std::int32_t filter);

 private:
  QImage pRGB_shown;
};

// A view of the picture's pixels as a QImage of Format_RGB888, without a copy; the view keeps the
// pixels alive. Null for a null picture.
QImage AsQImage(const RgbImage& picture);

}  // namespace kelmarin
