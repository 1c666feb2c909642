#pragma once
// A small TIFF directory writer for EXIF blocks (TIFF 6.0, section 2; EXIF 2.32, 4.6): directories
// with entries of the TIFF field types, values of more than four bytes placed after the directory,
// sub-directories (Exif, GPS, interoperability), a next-directory chain, and blobs (makernotes,
// thumbnails) that may depend on the offset where they land.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kelmarin::samples {

enum class ByteOrder { kLittle, kBig };

enum FieldType : std::uint16_t {
  kByte = 1,
  kAscii = 2,
  kShort = 3,
  kLong = 4,
  kRational = 5,
  kSByte = 6,
  kUndefined = 7,
  kSShort = 8,
  kSLong = 9,
  kSRational = 10,
  kFloat = 11,
  kDouble = 12,
};

using Bytes = std::vector<std::uint8_t>;

// Appends numbers in a byte order.
struct ByteSink {
  ByteOrder order;
  Bytes& out;
  void U8(std::uint32_t v) { out.push_back(static_cast<std::uint8_t>(v)); }
  void U16(std::uint32_t v);
  void U32(std::uint32_t v);
  void Text(const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }
};

class Ifd {
 public:
  // Makes the bytes of a blob entry, given the offset (as the directory's offsets count) where the
  // blob's first byte lands.
  using BlobMaker = std::function<Bytes(std::int64_t offset)>;

  Ifd& Ascii(std::uint16_t tag, const std::string& text);  // adds the terminating zero
  Ifd& Byte(std::uint16_t tag, const Bytes& values);
  Ifd& Undefined(std::uint16_t tag, const Bytes& values);
  Ifd& Undefined(std::uint16_t tag, const std::string& text);  // the bytes as they are
  Ifd& Short(std::uint16_t tag, const std::vector<std::uint16_t>& values);
  Ifd& SShort(std::uint16_t tag, const std::vector<std::int16_t>& values);
  Ifd& Long(std::uint16_t tag, const std::vector<std::uint32_t>& values);
  Ifd& SLong(std::uint16_t tag, const std::vector<std::int32_t>& values);
  Ifd& Rational(std::uint16_t tag, const std::vector<std::pair<std::uint32_t, std::uint32_t>>& values);
  Ifd& SRational(std::uint16_t tag, const std::vector<std::pair<std::int32_t, std::int32_t>>& values);
  // A LONG entry holding the offset of another directory.
  Ifd& Sub(std::uint16_t tag, std::shared_ptr<Ifd> directory);
  // An entry of `type` whose value bytes come from `maker` (always placed after the directory).
  Ifd& Blob(std::uint16_t tag, FieldType type, std::uint32_t count, BlobMaker maker);
  // A LONG entry holding the offset of `bytes`, placed after the directory (JPEGInterchangeFormat).
  Ifd& OffsetTo(std::uint16_t tag, Bytes bytes);
  // The directory the next-directory link points to.
  Ifd& Next(std::shared_ptr<Ifd> directory);

  // Appends this directory, its values, sub-directories and the next chain to `out`. Offsets are
  // written as (position in `out` + bias). Returns the directory's position in `out`.
  std::size_t Write(Bytes& out, ByteOrder order, std::int64_t bias) const;

 private:
  struct Entry {
    std::uint16_t tag = 0;
    FieldType type = kUndefined;
    std::uint32_t count = 0;
    std::function<Bytes(ByteOrder)> value;  // the value bytes in a byte order
    std::shared_ptr<Ifd> sub;
    BlobMaker blob;
    bool offsetTo = false;
    Bytes target;
  };
  Ifd& Add(Entry entry);

  std::vector<Entry> entries;
  std::shared_ptr<Ifd> next;
};

// "II*\0" or "MM\0*", then the first directory at offset 8.
Bytes TiffBlock(ByteOrder order, const Ifd& ifd0);

// The payload of an EXIF APP1 marker: "Exif\0\0" and the TIFF block.
Bytes ExifPayload(ByteOrder order, const Ifd& ifd0);

}  // namespace kelmarin::samples
