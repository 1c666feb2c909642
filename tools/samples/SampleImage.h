#pragma once
// Pixels for generated sample and test images: 8-bit RGB rows, tightly packed.

#include <cstdint>
#include <vector>

namespace kelmarin::samples {

using Bytes = std::vector<std::uint8_t>;

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width × height × 3, rows top to bottom

  RgbImage() = default;
  RgbImage(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 3) {}
  std::uint8_t* Pixel(int x, int y) { return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3; }
  const std::uint8_t* Pixel(int x, int y) const {
    return pixels.data() + (static_cast<std::size_t>(y) * width + x) * 3;
  }
};

// An evening landscape: sky from deep blue to orange, a sun, two ranges of hills. Integer
// arithmetic only, so every machine produces the same bytes. `variant` shifts the sun and hills.
RgbImage Landscape(int width, int height, int variant = 0);

// Four flat quadrants (top left red, top right green, bottom left blue, bottom right white): easy to
// check orientation and channel order after a round trip through a codec.
RgbImage Quadrants(int width, int height);

}  // namespace kelmarin::samples
