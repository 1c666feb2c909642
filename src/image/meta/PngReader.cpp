// PNG header and texts through libpng.

#include "image/meta/PngReader.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <string_view>

#include "extract/ByteCursor.h"

namespace kelmarin::codec {

namespace {

// libpng's limits for ancillary chunks: a hostile file cannot make it keep thousands of texts or
// inflate a compressed text into gigabytes. libpng allocates a chunk's data at the length its
// header claims (this libpng does so for texts without asking the chunk limit), so every length is
// also checked against the bytes the file has left (CheckChunkLengths).
constexpr png_uint_32 kMaxChunkCache = 1000;
constexpr png_alloc_size_t kMaxChunkMemory = 8u << 20;
// Deflate's largest expansion is 1032 to 1: more inflated memory than that cannot be real.
constexpr std::uint64_t kDeflateRatio = 1032;
constexpr png_uint_32 kMaxSide = 1'000'000;

void ErrorFunction(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void WarningFunction(png_structp, png_const_charp) {}

bool ReadRanges(PngStream& s, png_bytep data, std::size_t length) {
  while (length > 0) {
    if (s.range < s.ranges.size()) {
      const PngStream::Range& r = s.ranges[s.range];
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

// libpng reads each chunk header (length and name) in one piece, so every length field lies inside
// one read. A chunk that would end beyond the stream is an error before libpng sees its length.
void CheckChunkLengths(png_structp png, PngStream& s, png_const_bytep data, std::size_t length) {
  const std::uint64_t start = s.position;
  s.position += length;
  ByteCursor read({data, length});
  while (s.nextChunk + 4 <= s.position) {
    if (s.nextChunk < start) png_error(png, "chunk header split");
    read.Seek(s.nextChunk - start);
    const std::uint64_t chunk = read.U32();
    if (s.nextChunk + 12 + chunk > s.total) png_error(png, "chunk longer than the file");
    if (s.nextChunk + 8 <= s.position && read.Match("IDAT")) {
      s.imageData += chunk;
      if (s.maxImageData != 0 && s.imageData > s.maxImageData)
        png_error(png, "more image data than the image");
    }
    s.nextChunk += 12 + chunk;
  }
}

void ReadFunction(png_structp png, png_bytep data, std::size_t length) {
  auto* s = static_cast<PngStream*>(png_get_io_ptr(png));
  const bool ok =
      s->ranges.empty() ? std::fread(data, 1, length, s->file) == length : ReadRanges(*s, data, length);
  if (!ok) png_error(png, "unexpected end of file");
  CheckChunkLengths(png, *s, data, length);
}

// The stream's length: the planned ranges and tail, or the file from its current position.
std::uint64_t StreamLength(const PngStream& s) {
  if (!s.ranges.empty()) {
    std::uint64_t total = s.tail.size();
    for (const PngStream::Range& r : s.ranges) total += r.length;
    return total;
  }
  const long here = std::ftell(s.file);
  if (here < 0 || std::fseek(s.file, 0, SEEK_END) != 0) return 0;
  const long end = std::ftell(s.file);
  std::fseek(s.file, here, SEEK_SET);
  return end > here ? static_cast<std::uint64_t>(end - here) : 0;
}

// The byte ranges that make the file's header, its chunks before the image data and its text chunks
// after it one stream, followed by the header of an empty IDAT chunk so that libpng stops there.
// Other chunks after the image data are skipped by their lengths.
bool PlanMetadataStream(PngStream& stream) {
  std::uint8_t signature[8];
  if (std::fread(signature, 1, 8, stream.file) != 8 || png_sig_cmp(signature, 0, 8) != 0) return false;
  stream.ranges.push_back({0, 8});
  if (std::fseek(stream.file, 0, SEEK_END) != 0) return false;
  const long fileLength = std::ftell(stream.file);
  bool afterImage = false;
  long offset = 8;
  for (int chunks = 0; chunks < 100000; ++chunks) {
    std::uint8_t head[8];
    if (std::fseek(stream.file, offset, SEEK_SET) != 0 || std::fread(head, 1, 8, stream.file) != 8) break;
    ByteCursor chunk(head);
    const std::uint32_t length = chunk.U32();
    const std::span<const std::uint8_t> name = chunk.Take(4);
    const std::string_view type(reinterpret_cast<const char*>(name.data()), name.size());
    // A chunk that ends beyond the file ends the walk: it is not handed to libpng.
    if (length > PNG_UINT_31_MAX ||
        static_cast<std::uint64_t>(offset) + 12 + length > static_cast<std::uint64_t>(fileLength))
      break;
    const bool idat = type == "IDAT";
    const bool text = type == "tEXt" || type == "zTXt" || type == "iTXt" || type == "eXIf";
    if (idat) afterImage = true;
    if (type == "IEND") break;
    if (!idat && (!afterImage || text)) stream.ranges.push_back({offset, std::size_t{length} + 12});
    offset += static_cast<long>(length) + 12;
  }
  if (!afterImage) return false;
  stream.tail = {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0, 0, 0, 0};
  std::fseek(stream.file, 0, SEEK_SET);
  return true;
}

}  // namespace

PngReader::~PngReader() {
  if (read != nullptr) png_destroy_read_struct(&read, &info, nullptr);
}

bool PngReader::ImageDataFits() {
  // The filtered rows (one filter byte each) of the non-interlaced image: an interlaced one needs at
  // most a filter byte and a partly filled byte more per row of each of its seven passes.
  const std::uint64_t bits = std::uint64_t{png_get_bit_depth(read, info)} * png_get_channels(read, info);
  const std::uint64_t rowBytes = 1 + (std::uint64_t{width()} * bits + 7) / 8;
  const std::uint64_t raw = rowBytes * height() + 14 * std::uint64_t{height()};
  if (raw > stream.total * kDeflateRatio + 4096) return false;
  // Deflate's worst case, stored blocks: 5 bytes per 65535, the zlib header and checksum.
  stream.maxImageData = raw + raw / 8192 + 4096;
  return stream.imageData <= stream.maxImageData;
}

bool PngReader::ReadInfo() {
  read = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorFunction, WarningFunction);
  if (read == nullptr) return false;
  info = png_create_info_struct(read);
  if (info == nullptr) return false;
  if (setjmp(png_jmpbuf(read))) return false;
  stream.total = StreamLength(stream);
  png_set_read_fn(read, &stream, ReadFunction);
  png_set_chunk_cache_max(read, kMaxChunkCache);
  // Nothing inflated from this file can be larger than deflate's ratio allows.
  png_set_chunk_malloc_max(read, static_cast<png_alloc_size_t>(std::min<std::uint64_t>(
                                     kMaxChunkMemory, stream.total * kDeflateRatio + 4096)));
  png_set_user_limits(read, kMaxSide, kMaxSide);
  png_read_info(read, info);
  return true;
}

void PngReader::CopyTexts(MetadataSource& metadata) const {
  metadata.Clear();
  png_textp texts = nullptr;
  int count = 0;
  png_get_text(read, info, &texts, &count);
  for (int i = 0; i < count; ++i) {
    const png_text& t = texts[i];
    const std::size_t length = t.compression >= PNG_ITXT_COMPRESSION_NONE ? t.itxt_length : t.text_length;
    PngText text;
    text.keyword = t.key != nullptr ? t.key : "";
    if (t.text != nullptr) text.text.assign(t.text, length);
    metadata.texts.push_back(std::move(text));
  }
  // The eXIf chunk (PNG 1.2 extensions, 3.7): a TIFF block without the "Exif\0\0" of APP1.
  png_bytep exif = nullptr;
  png_uint_32 exifLength = 0;
  if (png_get_eXIf_1(read, info, &exifLength, &exif) != 0 && exif != nullptr && exifLength > 0) {
    metadata.AddTiffCopy(TiffBlockRole::Whole, {exif, exifLength});
  }
  // iCCP: libpng inflates it within the chunk memory limit set from the file's length (ReadInfo).
  png_charp name = nullptr;
  int compression = 0;
  png_bytep profile = nullptr;
  png_uint_32 profileLength = 0;
  if (png_get_iCCP(read, info, &name, &compression, &profile, &profileLength) != 0 && profile != nullptr)
    metadata.icc.assign(profile, profile + profileLength);
}

Code PngDimensions(std::FILE* file, Size& size, MetadataSource& metadata) {
  PngStream stream;
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
