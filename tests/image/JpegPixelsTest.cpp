// JPEG pixels are libjpeg's own RGB decode of the file, byte for byte; a decode called off ends
// without pixels; the markers kept by a decode belong to the thread that decoded.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <thread>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "ImageTestSupport.h"
#include "image/Codec.h"

namespace kelmarin::test {
namespace {

const JpegMarker* App1(const MetadataSource& source) {
  for (const JpegMarker& marker : source.markers) {
    if (marker.code == 0xE1) return &marker;
  }
  return nullptr;
}

// Against libjpeg's decode with its defaults (the islow DCT, fancy upsampling, RGB out).
TEST(JpegPixels, EqualLibjpegsOwnDecode) {
  ScratchFolder folder;
  const std::string path = folder.Path("odd.jpg");
  ASSERT_TRUE(samples::WriteJpeg(path, samples::Landscape(333, 217, 3), 85));  // rows not a multiple of 16
  QImage pixels;
  ASSERT_EQ(codec::ReadPixels(path, kTypeJpeg, pixels), codec::kOk);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  std::vector<std::uint8_t> row(333 * 3);
  int sameRows = 0;
  for (JSAMPROW rows[1] = {row.data()}; cinfo.output_scanline < cinfo.output_height;) {
    const auto y = static_cast<int>(cinfo.output_scanline);
    jpeg_read_scanlines(&cinfo, rows, 1);
    sameRows += y < pixels.height() && std::equal(row.begin(), row.end(), pixels.constScanLine(y)) ? 1 : 0;
  }
  jpeg_destroy_decompress(&cinfo);
  std::fclose(file);
  EXPECT_EQ(std::tuple(pixels.width(), pixels.height(), sameRows), std::tuple(333, 217, 217));
}

TEST(JpegPixels, CalledOffDecodeEndsWithoutPixelsOrMarkersOnItsThreadOnly) {
  ScratchFolder folder;
  const std::string jpeg = folder.Path("a.jpg"), png = folder.Path("b.png"), other = folder.Path("c.jpg");
  ASSERT_TRUE(samples::WriteJpeg(jpeg, samples::Landscape(64, 64), 80, {{0xE1, {'E', 'x', 'i', 'f', 0, 0}}}));
  WriteImageFile(png, "png", samples::Landscape(40, 40));
  ASSERT_TRUE(samples::WriteJpeg(other, samples::Landscape(32, 32), 80));
  std::atomic<bool> cancelled{true};
  codec::WatchCancelFlag(&cancelled);
  codec::ClearInputMetadata();
  QImage pixels;
  EXPECT_EQ(codec::ReadPixels(png, kTypePng, pixels), codec::kCancelled);
  EXPECT_EQ(codec::ReadPixels(jpeg, kTypeJpeg, pixels), codec::kCancelled);
  EXPECT_TRUE(pixels.isNull());
  EXPECT_EQ(App1(*codec::InputMetadata()), nullptr);
  cancelled = false;  // looked at while the decode runs
  EXPECT_EQ(codec::ReadPixels(jpeg, kTypeJpeg, pixels), codec::kOk);
  codec::WatchCancelFlag(nullptr);
  // A decode on another thread keeps its markers there.
  std::thread([&] {
    QImage own;
    EXPECT_EQ(codec::ReadPixels(other, kTypeJpeg, own), codec::kOk);
    EXPECT_EQ(App1(*codec::InputMetadata()), nullptr);
  }).join();
  EXPECT_NE(App1(*codec::InputMetadata()), nullptr);
}

}  // namespace
}  // namespace kelmarin::test
