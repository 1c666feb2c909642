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
    ExpectQuadrants(image.pixels(), format == "jpg" ? 12 : 0);  // JPEG is lossy
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

// Photo CD's YCC cannot hold saturated primaries exactly, and a DNG is demosaiced and
// colour-managed: each quadrant keeps its dominant channel.
TEST(Decoding, PhotoCdAndDngKeepTheDominantChannels) {
  ScratchFolder folder;
  for (const auto& [format, w, h] : {std::tuple{"pcd", 768, 512}, {"dng", kW, kH}}) {
    SCOPED_TRACE(format);
    const std::string path = folder.Path(std::string("quadrants.") + format);
    WriteImageFile(path, format, Quadrants(w, h));
    ZetImage image;
    ASSERT_EQ(Load(image, path, TypeCode(format)), 0);
    EXPECT_EQ(std::pair(image.Breite, image.Höhe), std::pair(w, h));
    auto at = [&](int x, int y) { return image.pixels().constScanLine(y) + 3 * x; };
    EXPECT_TRUE(at(w / 8, h / 8)[0] > 150 && at(w / 8, h / 8)[2] < 80);
    EXPECT_TRUE(at(w / 8, h - h / 8)[2] > 150 && at(w / 8, h - h / 8)[0] < 80);
  }
}

TEST(Decoding, MetafilesDrawTheirPictureAndText) {
  ScratchFolder folder;
  for (const std::string format : {"wmf", "emf"}) {
    SCOPED_TRACE(format);
    const std::string path = folder.Path("drawing." + format);
    WriteImageFile(path, format, RgbImage(320, 240));
    ZetImage image;
    ASSERT_EQ(Load(image, path, kTypeMetafile), 0);
    const int b = image.Breite, h = image.Höhe;
    ASSERT_TRUE(b > 10 && h > 10);
    EXPECT_NEAR(static_cast<double>(b) / h, 320.0 / 240.0, 0.05);
    // Sky in the top left corner, the hill at the bottom left.
    ExpectPixel(image.pixels(), b / 16, h / 16, 70, 130, 200, 8);
    ExpectPixel(image.pixels(), b / 16, h - 2, 40, 110, 50, 8);
  }
  // Text needs its fonts only: the white text lies on the green hill near the bottom left.
  const std::string path = folder.Path("text.wmf");
  ASSERT_TRUE(samples::WriteBytes(path, samples::MakeWmf(320, 240, "Kelmarin")));
  QImage pixels;
  ASSERT_EQ(codec::ReadPixels(path, kTypeMetafile, pixels), codec::kOk);
  int white = 0;
  for (int y = pixels.height() * 3 / 4; y < pixels.height(); ++y) {
    const std::uint8_t* row = pixels.constScanLine(y);
    for (int x = 0; x < pixels.width() / 2; ++x) white += row[3 * x] > 200 && row[3 * x + 1] > 200;
  }
  EXPECT_GT(white, 20);
}

// Library type codes mapped as the image object expects; PSD and RAW have no mapping, but type 0
// still decodes them by content.
TEST(Guessing, SignaturesMapToTypeCodesAndTypeZeroDecodesByContent) {
  ScratchFolder folder;
  const std::vector<std::pair<std::string, std::int32_t>> expected = {
      {"jpg", kTypeJpeg},     {"png", kTypePng},      {"gif", kTypeGif},     {"bmp", kTypeBmp},
      {"pcx", kTypePcx},      {"tga", kTypeTga},      {"tif", kTypeTiff},    {"pcd", kTypePcd},
      {"wmf", kTypeMetafile}, {"emf", kTypeMetafile}, {"psd", kTypeUnknown}, {"dng", kTypeTiff}};
  for (const auto& [format, type] : expected) {
    SCOPED_TRACE(format);
    const std::string path = folder.Path("no-extension-" + format);
    WriteImageFile(path, format, Quadrants(format == "pcd" ? 768 : kW, format == "pcd" ? 512 : kH));
    EXPECT_EQ(codec::MapGuessedType(codec::GuessFileType(path)), type);
    ZetImage image;
    std::int32_t guessed = kTypeUnknown, w = 0, h = 0;
    EXPECT_EQ(image.GetImageDims(path, guessed, w, h).has_value(), type == kTypeUnknown);
    EXPECT_EQ(guessed, type);
    if (format != "jpg" && format != "psd" && format != "gif" && format != "tga" && format != "dng") continue;
    ASSERT_EQ(Load(image, path, kTypeUnknown), 0);
    EXPECT_EQ(image.Breite, kW);
    EXPECT_EQ(image.imagetype, kTypeUnknown);
  }
}

}  // namespace
}  // namespace kelmarin::test
