#pragma once
// A decoded picture: rows of 8-bit red, green and blue, each row starting on a 32-bit boundary. The
// pixels are shared by every copy and released with the last one; a decoder writes into an image it
// has just allocated, and nothing writes into a picture once it has been handed on. The codec layer
// knows no toolkit: the window shows a picture through a view of the same pixels (AsQImage).

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kelmarin {

class RgbImage {
 public:
  RgbImage() = default;
  // `height` rows of `width` pixels at `data`, `stride` bytes apart, kept alive by `owner`.
  RgbImage(std::uint8_t* data, int width, int height, std::size_t stride, std::shared_ptr<void> owner)
      : pixels(data), w(width), h(height), rowBytes(stride), keeper(std::move(owner)) {}

  bool isNull() const { return pixels == nullptr; }
  int width() const { return w; }
  int height() const { return h; }
  std::size_t bytesPerLine() const { return rowBytes; }
  std::uint8_t* bits() const { return pixels; }
  const std::uint8_t* constBits() const { return pixels; }
  std::uint8_t* scanLine(int y) const { return pixels + static_cast<std::size_t>(y) * rowBytes; }
  const std::uint8_t* constScanLine(int y) const { return scanLine(y); }
  // What keeps the pixels alive (for views that must outlive this copy).
  const std::shared_ptr<void>& Owner() const { return keeper; }

 private:
  std::uint8_t* pixels = nullptr;
  int w = 0;
  int h = 0;
  std::size_t rowBytes = 0;
  std::shared_ptr<void> keeper;
};

}  // namespace kelmarin
