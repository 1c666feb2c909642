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

// Decodes every row into rows[0..height). libpng's end reading (png_read_end) is not called: it
// would inflate whatever image data follows the last row, a gigabyte in a hostile file.
bool ReadRows(const PngReader& reader, png_bytepp rows) {
  if (setjmp(png_jmpbuf(reader.png()))) return false;
  png_read_image(reader.png(), rows);
  return true;
}

}  // namespace

Code DecodePng(std::FILE* file, RgbImage& pixels, MetadataSource& metadata) {
  pixels = RgbImage();
  PngStream stream;
  stream.file = file;
  PngReader reader(stream);
  bool withAlpha = false;
  if (!reader.ReadInfo() || !reader.ImageDataFits() || !PrepareRgb(reader, withAlpha)) return kCorrupt;
  RgbImage image;
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
  if (withAlpha) CompositeOnWhite(rgba.data(), width * 4, image);
  // The texts before and after the image data, as the metadata-only path reads them (the image data
  // skipped by its chunk lengths).
  std::rewind(file);
  Size size;
  if (PngDimensions(file, size, metadata) != kOk) reader.CopyTexts(metadata);
  pixels = std::move(image);
  return kOk;
}

}  // namespace kelmarin::codec
