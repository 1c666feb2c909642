// PNG pixels through libpng: 24-bit RGB (palette, grey and 16-bit data expanded or reduced,
// transparency laid on white). The header and text chunks are read by the metadata-only path's
// reader (image/meta/PngReader.h); the functions here set libpng's jump point before they call it
// and create no C++ objects with destructors after it.

#include <csetjmp>
#include <new>
#include <vector>

#include "image/Backends.h"
#include "image/meta/PngReader.h"

namespace kelmarin::codec {

namespace {

// Sets the transformations to 8-bit RGB (with alpha when the file has transparency).
bool PrepareRgb(const PngReader& reader, bool& withAlpha) {
  const png_structp png = reader.png();
  const png_infop info = reader.png_info();
  if (setjmp(png_jmpbuf(png))) return false;
  const int colorType = png_get_color_type(png, info);
  withAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  png_set_strip_16(png);
  png_set_packing(png);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
  }
  if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) png_set_tRNS_to_alpha(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const png_byte channels = png_get_channels(png, info);
  return png_get_bit_depth(png, info) == 8 && channels == (withAlpha ? 4 : 3);
}

// Decodes every row into rows[0..height), then reads the chunks after the image data.
bool ReadRows(const PngReader& reader, png_bytepp rows) {
  if (setjmp(png_jmpbuf(reader.png()))) return false;
  png_read_image(reader.png(), rows);
  png_read_end(reader.png(), reader.png_info());
  return true;
}

// Lays RGBA rows on white into the RGB image.
void CompositeOnWhite(const std::vector<std::uint8_t>& rgba, std::size_t width, QImage& image) {
  const std::size_t height = static_cast<std::size_t>(image.height());
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint8_t* in = rgba.data() + y * width * 4;
    std::uint8_t* out = image.scanLine(static_cast<int>(y));
    for (std::size_t x = 0; x < width; ++x, in += 4, out += 3) {
      const unsigned a = in[3];
      for (int c = 0; c < 3; ++c)
        out[c] = static_cast<std::uint8_t>((in[c] * a + 255 * (255 - a) + 127) / 255);
    }
  }
}

}  // namespace

Code DecodePng(std::FILE* file, QImage& pixels, MetadataSource& metadata) {
  pixels = QImage();
  PngStream stream;
  stream.file = file;
  PngReader reader(stream);
  bool withAlpha = false;
  if (!reader.ReadInfo() || !PrepareRgb(reader, withAlpha)) return kCorrupt;
  QImage image;
  if (const Code code = AllocateRgb(reader.width(), reader.height(), image); code != kOk) return code;
  const std::size_t width = reader.width(), height = reader.height();
  std::vector<png_bytep> rows(height);
  std::vector<std::uint8_t> rgba;
  if (withAlpha) {
    try {
      rgba.resize(width * height * 4);
    } catch (const std::bad_alloc&) {
      return kNoMemory;
    }
    for (std::size_t y = 0; y < height; ++y) rows[y] = rgba.data() + y * width * 4;
  } else {
    for (std::size_t y = 0; y < height; ++y) rows[y] = image.scanLine(static_cast<int>(y));
  }
  if (!ReadRows(reader, rows.data())) return kCorrupt;
  if (withAlpha) CompositeOnWhite(rgba, width, image);
  reader.CopyTexts(metadata);
  pixels = std::move(image);
  return kOk;
}

}  // namespace kelmarin::codec
