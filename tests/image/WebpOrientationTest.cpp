// A WebP file's picture stands as the Orientation of its EXIF chunk says: every one of the eight
// turns and mirrorings, with the size swapped for the quarter turns.

#include <gtest/gtest.h>
#include <webp/encode.h>
#include <webp/mux.h>

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
  const Bytes exif = {'I', 'I', 42, 0, 8, 0,           0, 0, 1, 0, 0x12, 0x01, 3,
                      0,   1,   0,  0, 0, orientation, 0, 0, 0, 0, 0,    0,    0};
  WebPMux* mux = WebPMuxNew();
  const WebPData stored{encoded, size}, chunk{exif.data(), exif.size()};
  WebPMuxSetImage(mux, &stored, 1);
  WebPMuxSetChunk(mux, "EXIF", &chunk, 1);
  WebPData out{nullptr, 0};
  WebPMuxAssemble(mux, &out);
  Bytes file(out.bytes, out.bytes + out.size);
  WebPDataClear(&out);
  WebPMuxDelete(mux);
  WebPFree(encoded);
  return file;
}

struct Colour {
  int r, g, b;
};
constexpr Colour kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kWhite{255, 255, 255};

TEST(WebpOrientation, EveryTurnStandsUpright) {
  struct Case {
    std::uint8_t orientation;
    int width, height;
    Colour topLeft, topRight;
  };
  for (const Case& c :
       {Case{1, 64, 48, kRed, kGreen}, Case{2, 64, 48, kGreen, kRed}, Case{3, 64, 48, kWhite, kBlue},
        Case{4, 64, 48, kBlue, kWhite}, Case{5, 48, 64, kRed, kBlue}, Case{6, 48, 64, kBlue, kRed},
        Case{7, 48, 64, kWhite, kGreen}, Case{8, 48, 64, kGreen, kWhite}, Case{9, 64, 48, kRed, kGreen}}) {
    SCOPED_TRACE(c.orientation);
    ScratchFolder folder;
    const std::string path = folder.Path("turned.webp");
    WriteFileBytes(path, QuadrantsWebp(c.orientation));
    QImage pixels;
    ASSERT_EQ(codec::ReadPixels(path, kTypeWebp, pixels), codec::kOk);
    EXPECT_EQ(pixels.size(), QSize(c.width, c.height));
    EXPECT_EQ(pixels.format(), QImage::Format_RGB888);
    ExpectPixel(pixels, 2, 2, c.topLeft.r, c.topLeft.g, c.topLeft.b, 0);
    ExpectPixel(pixels, c.width - 3, 2, c.topRight.r, c.topRight.g, c.topRight.b, 0);
    std::int32_t width = 0, height = 0;
    ASSERT_EQ(codec::ReadDimensions(path, kTypeWebp, width, height), codec::kOk);
    EXPECT_EQ(QSize(width, height), pixels.size());
  }
}

}  // namespace
}  // namespace kelmarin::test
