// A WebP file's picture stands as the Orientation of its EXIF chunk says: every one of the eight
// turns and mirrorings, with the size swapped for the quarter turns.

#include <gtest/gtest.h>
#include <webp/encode.h>

#include "ImageTestSupport.h"
#include "image/Codec.h"

namespace kelmarin::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// samples::Quadrants (red, green / blue, white) as a lossless WebP with an EXIF chunk holding one
// directory with the Orientation.
Bytes QuadrantsWebp(std::uint8_t orientation) {
  const samples::RgbImage image = samples::Quadrants(64, 48);
  std::uint8_t* encoded = nullptr;
  const std::size_t size = WebPEncodeLosslessRGB(image.pixels.data(), 64, 48, 64 * 3, &encoded);
  // The simple format's chunks, then the EXIF chunk (26 bytes); the RIFF length grows by its 34.
  Bytes file(encoded, encoded + size);
  const std::string_view exif("EXIF\x1A\0\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 26);
  file.insert(file.end(), exif.begin(), exif.end());
  file.insert(file.end(), {orientation, 0, 0, 0, 0, 0, 0, 0});
  for (int i = 4, sum = 34; i < 8; ++i, sum >>= 8) file[i] = static_cast<std::uint8_t>(sum += file[i]);
  WebPFree(encoded);
  return file;
}

TEST(WebpOrientation, EveryTurnStandsUpright) {
  const auto colour = [](QRgb c) {
    return c == qRgb(255, 0, 0) ? 'R' : c == qRgb(0, 255, 0) ? 'G' : c == qRgb(0, 0, 255) ? 'B' : 'W';
  };
  // Orientation, size as read and as decoded, colours of the top left and top right corners.
  for (const std::string_view expected :
       {"1 64x48 64x48 RG", "2 64x48 64x48 GR", "3 64x48 64x48 WB", "4 64x48 64x48 BW", "5 48x64 48x64 RB",
        "6 48x64 48x64 BR", "7 48x64 48x64 WG", "8 48x64 48x64 GW", "9 64x48 64x48 RG"}) {
    ScratchFolder folder;
    const std::string path = folder.Path("turned.webp");
    WriteFileBytes(path, QuadrantsWebp(static_cast<std::uint8_t>(expected[0] - '0')));
    QImage pixels;
    std::int32_t w = 0, h = 0;
    ASSERT_EQ(codec::ReadDimensions(path, kTypeWebp, w, h), codec::kOk);
    ASSERT_EQ(codec::ReadPixels(path, kTypeWebp, pixels), codec::kOk);
    EXPECT_EQ(pixels.format(), QImage::Format_RGB888);
    const std::string actual = std::string(1, expected[0]) + " " + std::to_string(w) + "x" +
                               std::to_string(h) + " " + std::to_string(pixels.width()) + "x" +
                               std::to_string(pixels.height()) + " " + colour(pixels.pixel(2, 2)) +
                               colour(pixels.pixel(pixels.width() - 3, 2));
    EXPECT_EQ(actual, expected);
  }
}

}  // namespace
}  // namespace kelmarin::test
