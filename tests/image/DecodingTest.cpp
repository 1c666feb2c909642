// Every backend decodes a file made at test time to its size and colours; type codes, guessing and
// the metadata-only path agree with full decoding.

#include <gtest/gtest.h>

#include "ImageTestSupport.h"
#include "image/Codec.h"

namespace kelmarin::test {
namespace {

using samples::Quadrants;
using samples::RgbImage;

constexpr int kW = 64, kH = 48;

// Exact for lossless formats; JPEG is lossy.
int Tolerance(const std::string& format) {
  return format == "jpg" ? 12 : 0;
}

void ExpectQuadrants(const QImage& pixels, int tolerance) {
  const int w = pixels.width(), h = pixels.height();
  ExpectPixel(pixels, w / 8, h / 8, 255, 0, 0, tolerance);
  ExpectPixel(pixels, w - w / 8, h / 8, 0, 255, 0, tolerance);
  ExpectPixel(pixels, w / 8, h - h / 8, 0, 0, 255, tolerance);
  ExpectPixel(pixels, w - w / 8, h - h / 8, 255, 255, 255, tolerance);
}

TEST(Decoding, RasterFormatsKeepSizeOrientationAndColours) {
  ScratchFolder folder;
  for (const std::string format : {"jpg", "png", "gif", "bmp", "pcx", "psd", "tga", "tif"}) {
    SCOPED_TRACE(format);
    const std::string path = folder.Path("quadrants." + format);
    WriteImageFile(path, format, Quadrants(kW, kH));
    ZetImage image;
    std::int32_t b = 0, h = 0, t = -1;
    ASSERT_EQ(image.load(path, TypeCode(format), b, h, t), 0);
    EXPECT_EQ(std::tuple(b, h, image.Breite, image.Höhe), std::tuple(kW, kH, kW, kH));
    EXPECT_GE(t, 0);
    ExpectQuadrants(image.pixels(), Tolerance(format));
  }
}

TEST(Decoding, BottomUpTiffAndInterlacedOrTransparentPng) {
  ScratchFolder folder;
  const std::string tif = folder.Path("bottom-up.tif");
  ASSERT_TRUE(samples::WriteTiff(tif, Quadrants(kW, 200), true));  // several bands of rows
  QImage pixels;
  ASSERT_EQ(codec::ReadPixels(tif, kTypeTiff, pixels), codec::kOk);
  ExpectQuadrants(pixels, 0);

  const std::string interlaced = folder.Path("interlaced.png");
  ASSERT_TRUE(samples::WritePng(interlaced, Quadrants(kW, kH), {}, true));
  ASSERT_EQ(codec::ReadPixels(interlaced, kTypePng, pixels), codec::kOk);
  ExpectQuadrants(pixels, 0);

  // The left half is transparent: laid on white.
  const std::string alpha = folder.Path("alpha.png");
  ASSERT_TRUE(samples::WritePng(alpha, Quadrants(kW, kH), {}, false, true));
  ASSERT_EQ(codec::ReadPixels(alpha, kTypePng, pixels), codec::kOk);
  ExpectPixel(pixels, 4, 4, 255, 255, 255, 0);
  ExpectPixel(pixels, kW - 4, 4, 0, 255, 0, 0);
}

TEST(Decoding, PhotoCdAtItsBaseSize) {
  ScratchFolder folder;
  const std::string path = folder.Path("quadrants.pcd");
  WriteImageFile(path, "pcd", Quadrants(768, 512));
  ZetImage image;
  std::int32_t b = 0, h = 0, t = 0;
  ASSERT_EQ(image.load(path, kTypePcd, b, h, t), 0);
  EXPECT_EQ(std::pair(b, h), std::pair(768, 512));
  // Photo CD's YCC cannot hold saturated primaries exactly: each quadrant keeps its dominant channel.
  auto at = [&](int x, int y) { return image.pixels().constScanLine(y) + 3 * x; };
  EXPECT_TRUE(at(96, 64)[0] > 200 && at(96, 64)[2] < 60);
  EXPECT_TRUE(at(96, 448)[2] > 150 && at(96, 448)[0] < 60);
  EXPECT_TRUE(at(672, 448)[1] > 200 && at(672, 448)[2] > 200);
}

TEST(Decoding, DngThroughLibRaw) {
  ScratchFolder folder;
  const std::string path = folder.Path("quadrants.dng");
  WriteImageFile(path, "dng", Quadrants(kW, kH));
  ZetImage image;
  std::int32_t b = 0, h = 0, t = 0;
  ASSERT_EQ(image.load(path, kTypeRaw, b, h, t), 0);
  EXPECT_EQ(std::pair(b, h), std::pair(kW, kH));
  // Demosaiced and colour-managed: each quadrant keeps its dominant channel.
  const std::uint8_t* red = image.pixels().constScanLine(kH / 8) + 3 * (kW / 8);
  const std::uint8_t* blue = image.pixels().constScanLine(kH - kH / 8) + 3 * (kW / 8);
  EXPECT_TRUE(red[0] > 150 && red[1] < 80 && blue[2] > 150 && blue[0] < 80);
}

TEST(Decoding, MetafilesDrawTheirPicture) {
  ScratchFolder folder;
  for (const std::string format : {"wmf", "emf"}) {
    SCOPED_TRACE(format);
    const std::string path = folder.Path("drawing." + format);
    WriteImageFile(path, format, RgbImage(320, 240));
    ZetImage image;
    std::int32_t b = 0, h = 0, t = 0;
    ASSERT_EQ(image.load(path, kTypeMetafile, b, h, t), 0);
    ASSERT_TRUE(b > 10 && h > 10);
    EXPECT_NEAR(static_cast<double>(b) / h, 320.0 / 240.0, 0.05);
    // Sky in the top left corner, the hill at the bottom left.
    ExpectPixel(image.pixels(), b / 16, h / 16, 70, 130, 200, 8);
    ExpectPixel(image.pixels(), b / 16, h - 2, 40, 110, 50, 8);
  }
}

TEST(Decoding, WmfTextNeedsItsFontsOnly) {
  ScratchFolder folder;
  const std::string path = folder.Path("text.wmf");
  ASSERT_TRUE(samples::WriteBytes(path, samples::MakeWmf(320, 240, "Kelmarin")));
  QImage pixels;
  ASSERT_EQ(codec::ReadPixels(path, kTypeMetafile, pixels), codec::kOk);
  // The white text lies on the green hill near the bottom left.
  int white = 0;
  for (int y = pixels.height() * 3 / 4; y < pixels.height(); ++y) {
    const std::uint8_t* row = pixels.constScanLine(y);
    for (int x = 0; x < pixels.width() / 2; ++x) white += row[3 * x] > 200 && row[3 * x + 1] > 200;
  }
  EXPECT_GT(white, 20);
}

TEST(Guessing, SignaturesMapToTypeCodes) {
  ScratchFolder folder;
  // Library type codes mapped as the image object expects; PSD and RAW have no mapping.
  const std::vector<std::pair<std::string, std::int32_t>> expected = {
      {"jpg", kTypeJpeg},     {"png", kTypePng},      {"gif", kTypeGif},     {"bmp", kTypeBmp},
      {"pcx", kTypePcx},      {"tga", kTypeTga},      {"tif", kTypeTiff},    {"pcd", kTypePcd},
      {"wmf", kTypeMetafile}, {"emf", kTypeMetafile}, {"psd", kTypeUnknown}, {"dng", kTypeTiff}};
  for (const auto& [format, type] : expected) {
    SCOPED_TRACE(format);
    const std::string path = folder.Path("no-extension-" + format);
    WriteImageFile(path, format, Quadrants(format == "pcd" ? 768 : 16, format == "pcd" ? 512 : 16));
    EXPECT_EQ(codec::MapGuessedType(codec::GuessFileType(path)), type);
    ZetImage image;
    std::int32_t guessed = kTypeUnknown, w = 0, h = 0;
    const std::optional<ImageError> error = image.GetImageDims(path, guessed, w, h);
    EXPECT_EQ(guessed, type);
    EXPECT_EQ(error.has_value(), type == kTypeUnknown);
  }
}

TEST(Guessing, TypeZeroDecodesByContent) {
  ScratchFolder folder;
  for (const std::string format : {"jpg", "psd", "gif", "tga", "dng"}) {
    SCOPED_TRACE(format);
    const std::string path = folder.Path("content-" + format);
    WriteImageFile(path, format, Quadrants(kW, kH));
    ZetImage image;
    std::int32_t b = 0, h = 0, t = 0;
    ASSERT_EQ(image.load(path, kTypeUnknown, b, h, t), 0);
    EXPECT_EQ(b, kW);
    EXPECT_EQ(image.imagetype, kTypeUnknown);
  }
}

}  // namespace
}  // namespace kelmarin::test
