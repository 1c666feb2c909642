// JPEG pixels are libjpeg's own RGB decode of the file, byte for byte, in every layout a camera or
// an editor writes; a decode called off ends without pixels; the markers kept by a decode belong to
// the thread that decoded.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <thread>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "ImageTestSupport.h"
#include "image/Codec.h"

namespace kelmarin::test {
namespace {

struct Layout {
  const char* name;
  int width, height, components;
  int hSampling, vSampling;  // of the first component; the others 1 × 1
  bool progressive;
  int restartRows;
};

// Writes a textured picture (so that every block has detail) in the given layout.
void Encode(const std::string& path, const Layout& layout) {
  const samples::RgbImage picture = samples::Landscape(layout.width, layout.height, 3);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, file);
  cinfo.image_width = static_cast<JDIMENSION>(layout.width);
  cinfo.image_height = static_cast<JDIMENSION>(layout.height);
  const bool cmyk = layout.components == 4;
  cinfo.input_components = cmyk ? 4 : 3;
  cinfo.in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  if (layout.components == 1) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
  cinfo.comp_info[0].h_samp_factor = layout.hSampling;
  cinfo.comp_info[0].v_samp_factor = layout.vSampling;
  cinfo.restart_in_rows = layout.restartRows;
  jpeg_set_quality(&cinfo, 85, TRUE);
  if (layout.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<std::uint8_t> row;
  while (cinfo.next_scanline < cinfo.image_height) {
    const auto offset =
        static_cast<std::size_t>(cinfo.next_scanline) * static_cast<std::size_t>(layout.width) * 3;
    row.assign(picture.pixels.begin() + static_cast<std::ptrdiff_t>(offset),
               picture.pixels.begin() +
                   static_cast<std::ptrdiff_t>(offset + static_cast<std::size_t>(layout.width) * 3));
    if (cmyk) {  // inverted inks, no black
      std::vector<std::uint8_t> inks;
      for (std::size_t i = 0; i < row.size(); i += 3)
        inks.insert(inks.end(), {row[i], row[i + 1], row[i + 2], 255});
      row = std::move(inks);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::fclose(file);
}

// libjpeg's decode with its defaults (the islow DCT, fancy upsampling, RGB out): rows of width × 3.
std::vector<std::uint8_t> ReferenceDecode(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  const std::size_t stride = static_cast<std::size_t>(cinfo.output_width) * 3;
  std::vector<std::uint8_t> pixels(stride * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW rows[1] = {pixels.data() + cinfo.output_scanline * stride};
    jpeg_read_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(file);
  return pixels;
}

std::size_t App1Count(const MetadataSource& source) {
  return static_cast<std::size_t>(std::count_if(source.markers.begin(), source.markers.end(),
                                                [](const JpegMarker& m) { return m.code == 0xE1; }));
}

TEST(JpegPixels, EqualLibjpegsOwnDecodeInEveryLayout) {
  const Layout layouts[] = {
      {"4:2:0", 333, 217, 3, 2, 2, false, 0},
      {"4:4:4", 64, 40, 3, 1, 1, false, 0},
      {"4:2:2", 150, 99, 3, 2, 1, false, 0},
      {"4:4:0", 71, 130, 3, 1, 2, false, 0},
      {"grey", 97, 61, 1, 1, 1, false, 0},
      {"progressive", 257, 191, 3, 2, 2, true, 0},
      {"restart markers", 200, 150, 3, 2, 2, false, 1},
      {"tall, one column", 1, 300, 3, 2, 2, false, 0},
  };
  ScratchFolder folder;
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.name);
    const std::string path = folder.Path("layout.jpg");
    Encode(path, layout);
    QImage pixels;
    ASSERT_EQ(codec::ReadPixels(path, kTypeJpeg, pixels), codec::kOk);
    ASSERT_EQ(pixels.format(), QImage::Format_RGB888);
    ASSERT_EQ(std::pair(pixels.width(), pixels.height()), std::pair(layout.width, layout.height));
    const std::vector<std::uint8_t> reference = ReferenceDecode(path);
    const std::size_t stride = static_cast<std::size_t>(layout.width) * 3;
    int differentRows = 0;
    for (int y = 0; y < layout.height; ++y) {
      const std::uint8_t* expected = reference.data() + static_cast<std::size_t>(y) * stride;
      differentRows += std::equal(expected, expected + stride, pixels.constScanLine(y)) ? 0 : 1;
    }
    EXPECT_EQ(differentRows, 0);
  }
}

TEST(JpegPixels, CalledOffDecodeEndsWithoutPixelsAndKeepsNoMarkers) {
  ScratchFolder folder;
  std::atomic<bool> cancelled{true};
  codec::WatchCancelFlag(&cancelled);
  // Any format: a CMYK JPEG, a PNG.
  const std::string cmyk = folder.Path("cmyk.jpg"), png = folder.Path("called-off.png");
  Encode(cmyk, {"CMYK", 40, 40, 4, 1, 1, false, 0});
  WriteImageFile(png, "png", samples::Landscape(40, 40));
  for (const auto& [file, type] : {std::pair(cmyk, kTypeJpeg), std::pair(png, kTypePng)}) {
    QImage pixels;
    EXPECT_EQ(codec::ReadPixels(file, type, pixels), codec::kCancelled) << file;
    EXPECT_TRUE(pixels.isNull());
  }
  const std::string path = folder.Path("called-off.jpg");
  ASSERT_TRUE(samples::WriteJpeg(path, samples::Landscape(64, 64), 80, {{0xE1, {'E', 'x', 'i', 'f', 0, 0}}}));
  codec::ClearInputMetadata();
  QImage pixels;
  EXPECT_EQ(codec::ReadPixels(path, kTypeJpeg, pixels), codec::kCancelled);
  EXPECT_TRUE(pixels.isNull());
  EXPECT_EQ(App1Count(*codec::InputMetadata()), 0u);
  // The flag is looked at while the decode runs: cleared, the same thread decodes again.
  cancelled = false;
  EXPECT_EQ(codec::ReadPixels(path, kTypeJpeg, pixels), codec::kOk);
  EXPECT_EQ(App1Count(*codec::InputMetadata()), 1u);
  codec::WatchCancelFlag(nullptr);
}

TEST(JpegPixels, MarkersOfADecodeOnAnotherThreadStayThere) {
  ScratchFolder folder;
  const std::string withExif = folder.Path("exif.jpg");
  const std::string plain = folder.Path("plain.jpg");
  ASSERT_TRUE(
      samples::WriteJpeg(withExif, samples::Landscape(32, 32), 80, {{0xE1, {'E', 'x', 'i', 'f', 0, 0}}}));
  ASSERT_TRUE(samples::WriteJpeg(plain, samples::Landscape(32, 32), 80));
  QImage pixels;
  ASSERT_EQ(codec::ReadPixels(withExif, kTypeJpeg, pixels), codec::kOk);
  codec::Code other = codec::kCorrupt;
  std::size_t otherMarkers = 99;
  std::thread worker([&] {
    QImage own;
    other = codec::ReadPixels(plain, kTypeJpeg, own);
    otherMarkers = App1Count(*codec::InputMetadata());
  });
  worker.join();
  EXPECT_EQ(std::pair(other, otherMarkers), std::pair(codec::kOk, std::size_t{0}));
  EXPECT_EQ(App1Count(*codec::InputMetadata()), 1u);
}

}  // namespace
}  // namespace kelmarin::test
