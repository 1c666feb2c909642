#pragma once
// The 24-megapixel JPEG the image benchmarks decode, and a picture box that only keeps the image.

#include <string>

#include "image/ZetImage.h"

namespace kelmarin::bench {

// Writes (once; an existing file is reused) a 6000 × 4000 baseline JPEG at quality 90: a landscape
// with fine deterministic grain, so that it compresses like a photograph (about 10 MB).
std::string TwentyFourMegapixelJpeg(const std::string& path = "/tmp/kelmarin-bench-24mp.jpg");

struct NullBox : PictureBox {
  std::int32_t size = 120 * 15;
  std::int32_t WidthTwips() const override { return size; }
  std::int32_t HeightTwips() const override { return size; }
  double TwipsPerPixelX() const override { return 15.0; }
  double TwipsPerPixelY() const override { return 15.0; }
  void ClearPicture() override { shown = QImage(); }
  bool DrawRGB(const QImage& image, std::int32_t, std::int32_t) override {
    shown = image;
    return true;
  }
  QImage shown;
};

}  // namespace kelmarin::bench
