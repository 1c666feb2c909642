// PNG through libpng: 24-bit RGB (palette, grey and 16-bit data expanded or reduced, transparency laid
// on white), tEXt, zTXt and iTXt chunks kept as keyword/text pairs.
//
// libpng reports errors by longjmp to the jump point set in the function that calls it; those
// functions hold no C++ objects with destructors that are created after setjmp.

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "image/Backends.h"

namespace kelmarin::codec {

namespace {

// libpng's limits for ancillary chunks: a hostile file cannot make it keep thousands of texts or
// inflate a compressed text into gigabytes.
constexpr png_uint_32 kMaxChunkCache = 1000;
constexpr png_alloc_size_t kMaxChunkMemory = 8u << 20;

void ErrorFunction(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void WarningFunction(png_structp, png_const_charp) {}

// Reads from a list of byte ranges of the file, as if they were one stream.
struct Stream {
  std::FILE* file = nullptr;
  struct Range {
    long offset;
    std::size_t length;
  };
  std::vector<Range> ranges;       // empty: the file as it is
  std::size_t range = 0;           // current range
  std::size_t used = 0;            // bytes of it already read
  std::vector<std::uint8_t> tail;  // bytes served after the ranges
  std::size_t tailUsed = 0;
};

bool ReadRanges(Stream& s, png_bytep data, std::size_t length) {
  while (length > 0) {
    if (s.range < s.ranges.size()) {
      const Stream::Range& r = s.ranges[s.range];
      if (s.used == 0 && std::fseek(s.file, r.offset, SEEK_SET) != 0) return false;
      const std::size_t n = std::min(length, r.length - s.used);
      if (std::fread(data, 1, n, s.file) != n) return false;
      data += n, length -= n, s.used += n;
      if (s.used == r.length) ++s.range, s.used = 0;
    } else {
      const std::size_t n = std::min(length, s.tail.size() - s.tailUsed);
      if (n == 0) return false;
      std::memcpy(data, s.tail.data() + s.tailUsed, n);
      data += n, length -= n, s.tailUsed += n;
    }
  }
  return true;
}

void ReadFunction(png_structp png, png_bytep data, std::size_t length) {
  auto* s = static_cast<Stream*>(png_get_io_ptr(png));
  const bool ok =
      s->ranges.empty() ? std::fread(data, 1, length, s->file) == length : ReadRanges(*s, data, length);
  if (!ok) png_error(png, "unexpected end of file");
}

// Owns libpng's read and info structures.
class PngReader {
 public:
  explicit PngReader(Stream& input) : stream(input) {}
  ~PngReader() {
    if (png != nullptr) png_destroy_read_struct(&png, &info, nullptr);
  }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  // Signature, header and the chunks before the image data. False when that is not PNG.
  bool ReadInfo();
  // Sets the transformations to 8-bit RGB (with alpha when the file has transparency).
  bool PrepareRgb(bool& withAlpha);
  // Decodes every row into rows[0..height), then reads the chunks after the image data.
  bool ReadRows(png_bytepp rows);
  void CopyTexts(MetadataSource& metadata) const;

  png_uint_32 width() const { return png_get_image_width(png, info); }
  png_uint_32 height() const { return png_get_image_height(png, info); }

 private:
  Stream& stream;
  png_structp png = nullptr;
  png_infop info = nullptr;
};

bool PngReader::ReadInfo() {
  png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorFunction, WarningFunction);
  if (png == nullptr) return false;
  info = png_create_info_struct(png);
  if (info == nullptr) return false;
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, &stream, ReadFunction);
  png_set_chunk_cache_max(png, kMaxChunkCache);
  png_set_chunk_malloc_max(png, kMaxChunkMemory);
  png_read_info(png, info);
  return true;
}

bool PngReader::PrepareRgb(bool& withAlpha) {
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

bool PngReader::ReadRows(png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, info);
  return true;
}

void PngReader::CopyTexts(MetadataSource& metadata) const {
  metadata.Clear();
  png_textp texts = nullptr;
  int count = 0;
  png_get_text(png, info, &texts, &count);
  for (int i = 0; i < count; ++i) {
    const png_text& t = texts[i];
    const std::size_t length = t.compression >= PNG_ITXT_COMPRESSION_NONE ? t.itxt_length : t.text_length;
    PngText text;
    text.keyword = t.key != nullptr ? t.key : "";
    if (t.text != nullptr) text.text.assign(t.text, length);
    metadata.texts.push_back(std::move(text));
  }
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

// The byte ranges that make the file's header, its chunks before the image data and its text chunks
// after it one stream, followed by the header of an empty IDAT chunk so that libpng stops there.
// Other chunks after the image data are skipped by their lengths.
bool PlanMetadataStream(Stream& stream) {
  std::uint8_t signature[8];
  if (std::fread(signature, 1, 8, stream.file) != 8 || png_sig_cmp(signature, 0, 8) != 0) return false;
  stream.ranges.push_back({0, 8});
  bool afterImage = false;
  long offset = 8;
  for (int chunks = 0; chunks < 100000; ++chunks) {
    std::uint8_t head[8];
    if (std::fseek(stream.file, offset, SEEK_SET) != 0 || std::fread(head, 1, 8, stream.file) != 8) break;
    const std::uint32_t length = png_get_uint_32(head);
    if (length > PNG_UINT_31_MAX) break;
    const bool idat = std::memcmp(head + 4, "IDAT", 4) == 0;
    const bool text = std::memcmp(head + 4, "tEXt", 4) == 0 || std::memcmp(head + 4, "zTXt", 4) == 0 ||
                      std::memcmp(head + 4, "iTXt", 4) == 0;
    if (idat) afterImage = true;
    if (std::memcmp(head + 4, "IEND", 4) == 0) break;
    if (!idat && (!afterImage || text)) stream.ranges.push_back({offset, std::size_t{length} + 12});
    offset += static_cast<long>(length) + 12;
  }
  if (!afterImage) return false;
  stream.tail = {0, 0, 0, 0, 'I', 'D', 'A', 'T'};
  std::fseek(stream.file, 0, SEEK_SET);
  return true;
}

}  // namespace

Code DecodePng(std::FILE* file, QImage& pixels, MetadataSource& metadata) {
  pixels = QImage();
  Stream stream;
  stream.file = file;
  PngReader reader(stream);
  bool withAlpha = false;
  if (!reader.ReadInfo() || !reader.PrepareRgb(withAlpha)) return kCorrupt;
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
  if (!reader.ReadRows(rows.data())) return kCorrupt;
  if (withAlpha) CompositeOnWhite(rgba, width, image);
  reader.CopyTexts(metadata);
  pixels = std::move(image);
  return kOk;
}

Code PngDimensions(std::FILE* file, Size& size, MetadataSource& metadata) {
  Stream stream;
  stream.file = file;
  if (!PlanMetadataStream(stream)) return kCorrupt;
  PngReader reader(stream);
  if (!reader.ReadInfo()) return kCorrupt;
  if (reader.width() == 0 || reader.height() == 0) return kCorrupt;
  size.width = static_cast<std::int32_t>(reader.width());
  size.height = static_cast<std::int32_t>(reader.height());
  reader.CopyTexts(metadata);
  return kOk;
}

}  // namespace kelmarin::codec
