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
    EXPECT_EQ(b, kW);
    EXPECT_EQ(h, kH);
    EXPECT_EQ(image.Breite, kW);
    EXPECT_EQ(image.Höhe, kH);
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
  EXPECT_EQ(b, 768);
  EXPECT_EQ(h, 512);
  // Photo CD's YCC cannot hold saturated primaries exactly: each quadrant keeps its dominant channel.
  auto at = [&](int x, int y) { return image.pixels().constScanLine(y) + 3 * x; };
  EXPECT_GT(at(96, 64)[0], 200);
  EXPECT_LT(at(96, 64)[2], 60);
  EXPECT_GT(at(96, 448)[2], 150);
  EXPECT_LT(at(96, 448)[0], 60);
  EXPECT_GT(at(672, 448)[1], 200);
  EXPECT_GT(at(672, 448)[2], 200);
}

TEST(Decoding, DngThroughLibRaw) {
  ScratchFolder folder;
  const std::string path = folder.Path("quadrants.dng");
  WriteImageFile(path, "dng", Quadrants(kW, kH));
  ZetImage image;
  std::int32_t b = 0, h = 0, t = 0;
  ASSERT_EQ(image.load(path, kTypeRaw, b, h, t), 0);
  EXPECT_EQ(b, kW);
  EXPECT_EQ(h, kH);
  // Demosaiced and colour-managed: each quadrant keeps its dominant channel.
  const std::uint8_t* red = image.pixels().constScanLine(kH / 8) + 3 * (kW / 8);
  EXPECT_GT(red[0], 150);
  EXPECT_LT(red[1], 80);
  const std::uint8_t* blue = image.pixels().constScanLine(kH - kH / 8) + 3 * (kW / 8);
  EXPECT_GT(blue[2], 150);
  EXPECT_LT(blue[0], 80);
  std::int32_t type = kTypeRaw, w = 0, hh = 0;
  EXPECT_FALSE(image.GetImageDims(path, type, w, hh));
  EXPECT_EQ(w, kW);
  EXPECT_EQ(hh, kH);
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
    ASSERT_GT(b, 10);
    ASSERT_GT(h, 10);
    EXPECT_NEAR(static_cast<double>(b) / h, 320.0 / 240.0, 0.05);
    // Sky in the top left corner, the hill at the bottom left.
    ExpectPixel(image.pixels(), b / 16, h / 16, 70, 130, 200, 8);
    ExpectPixel(image.pixels(), b / 16, h - 2, 40, 110, 50, 8);
    std::int32_t type = kTypeMetafile, w = 0, hh = 0;
    EXPECT_FALSE(image.GetImageDims(path, type, w, hh));
    EXPECT_EQ(w, b);
    EXPECT_EQ(hh, h);
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

TEST(Dimensions, AgreeWithDecodingForEveryFormat) {
  ScratchFolder folder;
  for (const std::string& format : AllFormats()) {
    SCOPED_TRACE(format);
    const int w = format == "pcd" ? 768 : 40, h = format == "pcd" ? 512 : 30;
    const std::string path = folder.Path("dims." + format);
    WriteImageFile(path, format, Quadrants(w, h));
    ZetImage image;
    std::int32_t type = TypeCode(format), width = 0, height = 0;
    ASSERT_FALSE(image.GetImageDims(path, type, width, height));
    QImage pixels;
    ASSERT_EQ(codec::ReadPixels(path, TypeCode(format), pixels), codec::kOk);
    EXPECT_EQ(width, pixels.width());
    EXPECT_EQ(height, pixels.height());
  }
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

TEST(Guessing, MappingTable) {
  const std::int32_t mapped[] = {0, 1, 3, 4, 8, 7, 12, 2, 2, 0, 0, 0, 0, 0, 11, 0, 6, 0};
  for (std::int32_t code = 0; code < 18; ++code) EXPECT_EQ(codec::MapGuessedType(code), mapped[code]) << code;
  EXPECT_EQ(codec::MapGuessedType(-1), 0);
}

}  // namespace
}  // namespace kelmarin::test
