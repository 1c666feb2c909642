#pragma once
// Writing TIFF structures (TIFF 6.0, section 2; EXIF 2.32, 4.6): numbers in either byte order,
// directories of twelve-byte entries, and a directory tree whose values of more than four bytes,
// sub-directories (Exif, GPS, interoperability), next chain and blobs (makernotes, thumbnails) are
// laid out after it. The CRW reader writes a heap's records as such a tree; the sample generator and
// the tests' block builder write theirs with the same pieces.
//
// Nothing here reads: bad input cannot occur, and values that do not fit 32 bits wrap as the field
// types do. Offsets are 32-bit; a caller writes blocks far below 4 GiB.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "extract/ByteCursor.h"  // ByteOrder
#include "extract/ExifBlock.h"   // FieldType

namespace kelmarin {

// Appends numbers in a byte order to `out` (ByteOrder::None writes little-endian, as it reads).
struct ByteSink {
  ByteOrder order;
  std::vector<std::uint8_t>& out;

  void U8(std::uint32_t v) { out.push_back(static_cast<std::uint8_t>(v)); }
  void U16(std::uint32_t v);
  void U32(std::uint32_t v);
  void U64(std::uint64_t v);
  void Text(std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }
  void Put(std::span<const std::uint8_t> bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }
  // Overwrites the four bytes at `at` (which the caller wrote before) with v.
  void Patch32(std::size_t at, std::uint32_t v);
  // One zero byte when the size is odd: TIFF values start on word boundaries.
  void PadToWord() {
    if (out.size() % 2 != 0) out.push_back(0);
  }
};

// One directory entry as it is stored: the value, or its offset, already in the byte order.
struct TiffEntry {
  std::uint16_t tag = 0;
  std::uint16_t type = 0;
  std::uint32_t count = 0;
  std::array<std::uint8_t, 4> field{};
};

// Appends a directory: the entry count, the entries in the order given, the next-directory link.
void PutDirectory(ByteSink& sink, std::span<const TiffEntry> entries, std::uint32_t next);

// Bytes of a directory (count, entries, link) with n entries; the link is its last four.
constexpr std::size_t DirectorySize(std::size_t n) {
  return 2 + 12 * n + 4;
}

// A directory of a tree being built. Entries are written in ascending tag order (TIFF 6.0);
// values that do not fit the entry follow the directory in that order, each on a word boundary,
// then the sub-directories, then the next directory.
class Ifd {
 public:
  // Makes the bytes of a blob entry, given the offset (as the directory's offsets count) where the
  // blob's first byte lands.
  using BlobMaker = std::function<std::vector<std::uint8_t>(std::int64_t offset)>;
  using Rationals = std::vector<std::pair<std::uint32_t, std::uint32_t>>;
  using SRationals = std::vector<std::pair<std::int32_t, std::int32_t>>;

  Ifd& Ascii(std::uint16_t tag, std::string_view text);  // adds the terminating zero
  Ifd& Byte(std::uint16_t tag, const std::vector<std::uint8_t>& values);
  Ifd& Undefined(std::uint16_t tag, const std::vector<std::uint8_t>& values);
  Ifd& Undefined(std::uint16_t tag, std::string_view text);  // the bytes as they are
  Ifd& Short(std::uint16_t tag, const std::vector<std::uint16_t>& values);
  Ifd& SShort(std::uint16_t tag, const std::vector<std::int16_t>& values);
  Ifd& Long(std::uint16_t tag, const std::vector<std::uint32_t>& values);
  Ifd& Rational(std::uint16_t tag, const Rationals& values);
  Ifd& SRational(std::uint16_t tag, const SRationals& values);
  // Values of any type whose bytes are already in the byte order the tree is written in.
  Ifd& Encoded(std::uint16_t tag, FieldType type, std::uint32_t count, std::vector<std::uint8_t> bytes);
  // A LONG entry holding the offset of another directory.
  Ifd& Sub(std::uint16_t tag, std::shared_ptr<const Ifd> directory);
  // An entry of `type` whose value bytes come from `maker` (always placed after the directory).
  Ifd& Blob(std::uint16_t tag, FieldType type, std::uint32_t count, BlobMaker maker);
  // A LONG entry holding the offset of `bytes`, placed after the directory (JPEGInterchangeFormat).
  Ifd& OffsetTo(std::uint16_t tag, std::vector<std::uint8_t> bytes);
  // The directory the next-directory link points to.
  Ifd& Next(std::shared_ptr<const Ifd> directory);

  std::size_t EntryCount() const { return entries.size(); }
  bool Empty() const { return entries.empty(); }

  // Appends this directory (on a word boundary), its values, sub-directories and the next chain to
  // `out`. Offsets are written as (position in `out` + bias). Returns the directory's position.
  std::size_t Write(std::vector<std::uint8_t>& out, ByteOrder order, std::int64_t bias) const;

 private:
  struct Entry {
    std::uint16_t tag = 0;
    FieldType type = kUndefined;
    std::uint32_t count = 0;
    std::function<std::vector<std::uint8_t>(ByteOrder)> value;  // the value bytes in a byte order
    std::shared_ptr<const Ifd> sub;
    BlobMaker blob;
    bool offsetTo = false;
    std::vector<std::uint8_t> target;
  };
  Ifd& Add(Entry entry);

  std::vector<Entry> entries;
  std::shared_ptr<const Ifd> next;
};

// The eight-byte header: "II*\0" or "MM\0*" and the first directory's offset.
void PutTiffHeader(ByteSink& sink, std::uint32_t firstDirectory);

// A TIFF block: the header, then the first directory at offset 8 and everything it links.
std::vector<std::uint8_t> WriteTiffBlock(ByteOrder order, const Ifd& ifd0);

// The payload of an EXIF APP1 marker: "Exif\0\0" and the TIFF block.
std::vector<std::uint8_t> WriteExifPayload(ByteOrder order, const Ifd& ifd0);

}  // namespace kelmarin
