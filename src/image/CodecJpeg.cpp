// JPEG pixels through libjpeg-turbo's classic API: 24-bit RGB decoded straight into the image's
// scanlines. The header, its markers and the error handling are the metadata-only path's
// (image/meta/JpegReader.h); the functions here set the decompressor's jump point before they call
// libjpeg and hold no C++ objects with destructors across those calls.

#include <vector>

#include "image/Backends.h"
#include "image/meta/JpegReader.h"

namespace kelmarin::codec {

namespace {

// Huffman-coded scans spend at least one bit on each 8 × 8 block of the fullest component (its DC
// difference), so a file cannot hold more pixels than 512 per byte; twice that is allowed.
// Arithmetic coding can spend less on a plain area.
constexpr std::uint64_t kHuffmanPixelsPerByte = 1024;
constexpr std::uint64_t kArithmeticPixelsPerByte = 16384;

// Decodes every row into `image`, which has the header's size.
bool DecodeRgb(JpegDecompressor& decoder, RgbImage& image) {
  jpeg_decompress_struct& cinfo = decoder.info();
  unsigned char* const bits = image.bits();
  const std::size_t stride = static_cast<std::size_t>(image.bytesPerLine());
  if (setjmp(decoder.jump())) return false;
  // RGB output with the default (islow) DCT and fancy upsampling: what djpeg does.
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW rows[16];
    const JDIMENSION first = cinfo.output_scanline;
    JDIMENSION count = cinfo.output_height - first;
    if (count > 16) count = 16;
    for (JDIMENSION i = 0; i < count; ++i) rows[i] = bits + (first + i) * stride;
    if (jpeg_read_scanlines(&cinfo, rows, count) == 0) break;
    if (DecodeCancelled()) {
      decoder.Fail(kCancelled);
      return false;
    }
  }
  if (decoder.truncated()) return false;
  jpeg_finish_decompress(&cinfo);
  return !decoder.truncated();
}

// CMYK and YCCK files (Photoshop's) decode to CMYK rows, turned into RGB one row at a time. Adobe's
// files store the ink values inverted (APP14 marker present).
bool DecodeCmyk(JpegDecompressor& decoder, RgbImage& image) {
  jpeg_decompress_struct& cinfo = decoder.info();
  std::vector<unsigned char> buffer(static_cast<std::size_t>(cinfo.image_width) * 4);
  unsigned char* const row = buffer.data();
  if (setjmp(decoder.jump())) return false;
  cinfo.out_color_space = JCS_CMYK;
  jpeg_start_decompress(&cinfo);
  const bool inverted = cinfo.saw_Adobe_marker;
  while (cinfo.output_scanline < cinfo.output_height) {
    const JDIMENSION y = cinfo.output_scanline;
    JSAMPROW rows[1] = {row};
    if (jpeg_read_scanlines(&cinfo, rows, 1) == 0) break;
    if (DecodeCancelled()) {
      decoder.Fail(kCancelled);
      return false;
    }
    unsigned char* out = image.scanLine(static_cast<int>(y));
    for (JDIMENSION x = 0; x < cinfo.output_width; ++x) {
      unsigned c = row[4 * x], m = row[4 * x + 1], ye = row[4 * x + 2], k = row[4 * x + 3];
      if (!inverted) {
        c = 255 - c, m = 255 - m, ye = 255 - ye, k = 255 - k;
      }
      out[3 * x] = static_cast<unsigned char>((c * k + 127) / 255);
      out[3 * x + 1] = static_cast<unsigned char>((m * k + 127) / 255);
      out[3 * x + 2] = static_cast<unsigned char>((ye * k + 127) / 255);
    }
  }
  if (decoder.truncated()) return false;
  jpeg_finish_decompress(&cinfo);
  return !decoder.truncated();
}

}  // namespace

Code DecodeJpeg(std::FILE* file, RgbImage& pixels, MetadataSource& metadata) {
  pixels = RgbImage();
  JpegDecompressor decoder(file);
  if (!decoder.ReadHeader()) return decoder.failure();
  jpeg_decompress_struct& info = decoder.info();
  if (!Plausible(info.image_width, info.image_height, FileLength(file),
                 info.arith_code ? kArithmeticPixelsPerByte : kHuffmanPixelsPerByte)) {
    return kCorrupt;
  }
  RgbImage image;
  if (const Code code = AllocateRgb(info.image_width, info.image_height, image); code != kOk) return code;
  MetadataSource markers;
  decoder.TakeMarkers(markers);
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  if (!(cmyk ? DecodeCmyk(decoder, image) : DecodeRgb(decoder, image))) return decoder.failure();
  metadata = std::move(markers);
  pixels = std::move(image);
  return kOk;
}

}  // namespace kelmarin::codec
