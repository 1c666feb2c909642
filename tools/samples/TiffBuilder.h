#pragma once
// Builder of EXIF blocks for the tests, the benchmark and the fuzz seeds: a TIFF stream written in
// either byte order, wrapped into the bytes of an APP1 marker (0xFF 0xE1, length, "Exif\0\0", TIFF
// header at index 10 of the marker's bytes).
// Offsets are TIFF offsets (0 = the TIFF header); Index() turns one into an index of those bytes.

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "extract/ByteCursor.h"
#include "extract/JpegSegments.h"
#include "extract/TiffWriter.h"

namespace kelmarin::test {

inline std::vector<std::uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

inline std::vector<std::uint8_t> Cat(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// Writes the pieces of a block where the test puts them (hostile layouts included); numbers and
// directories come from the project's TIFF writer.
class TiffBuilder {
 public:
  using Entry = TiffEntry;

  explicit TiffBuilder(ByteOrder byteOrder) : order(byteOrder) {
    ByteSink sink{order, tiff};
    PutTiffHeader(sink, 8);
  }

  static constexpr std::int64_t Index(std::uint32_t offset) { return std::int64_t{offset} + 10; }
  std::uint32_t Size() const { return static_cast<std::uint32_t>(tiff.size()); }

  // Byte order of everything written from now on (a makernote may use another one).
  void SetOrder(ByteOrder newOrder) { order = newOrder; }
  ByteOrder Order() const { return order; }

  std::vector<std::uint8_t> U16(std::uint16_t v) const {
    return Encoded([v](ByteSink& sink) { sink.U16(v); });
  }
  std::vector<std::uint8_t> U32(std::uint32_t v) const {
    return Encoded([v](ByteSink& sink) { sink.U32(v); });
  }
  std::vector<std::uint8_t> U64(std::uint64_t v) const {
    return Encoded([v](ByteSink& sink) { sink.U64(v); });
  }

  // Appends bytes (padded to an even offset afterwards) and returns their offset.
  std::uint32_t Append(const std::vector<std::uint8_t>& bytes) {
    const std::uint32_t at = Size();
    ByteSink sink{order, tiff};
    sink.Put(bytes);
    sink.PadToWord();
    return at;
  }
  std::uint32_t AppendText(std::string_view text) { return Append(Bytes(text)); }
  void Patch(std::uint32_t offset, const std::vector<std::uint8_t>& bytes) {
    if (tiff.size() < offset + bytes.size()) tiff.resize(offset + bytes.size());
    std::copy(bytes.begin(), bytes.end(), tiff.begin() + offset);
  }
  void SetFirstDirectory(std::uint32_t offset) { Patch(4, U32(offset)); }

  Entry At(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t offset) const {
    return Inline(tag, type, count, U32(offset));
  }
  Entry Inline(std::uint16_t tag, std::uint16_t type, std::uint32_t count,
               const std::vector<std::uint8_t>& bytes) const {
    Entry e{tag, type, count, {}};
    std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), 4), e.field.begin());
    return e;
  }
  Entry Short(std::uint16_t tag, std::uint16_t value) const { return Inline(tag, 3, 1, U16(value)); }
  Entry Long(std::uint16_t tag, std::uint32_t value) const { return Inline(tag, 4, 1, U32(value)); }
  // ASCII with its terminating zero; inline when it fits.
  Entry Ascii(std::uint16_t tag, std::string_view text) {
    auto bytes = Bytes(text);
    bytes.push_back(0);
    const auto count = static_cast<std::uint32_t>(bytes.size());
    if (count <= 4) return Inline(tag, 2, count, bytes);
    return At(tag, 2, count, Append(bytes));
  }

  // Appends a directory with the entries in the order given and returns its offset.
  std::uint32_t AddDirectory(const std::vector<Entry>& entries, std::uint32_t next = 0) {
    return Append(Encoded([&](ByteSink& sink) { PutDirectory(sink, entries, next); }));
  }
  // Offset of the next link of the directory at offset (which has n entries).
  static std::uint32_t NextLinkOffset(std::uint32_t offset, std::uint32_t n) {
    return offset + static_cast<std::uint32_t>(DirectorySize(n)) - 4;
  }

  const std::vector<std::uint8_t>& Tiff() const { return tiff; }

  // The whole APP1 marker.
  std::vector<std::uint8_t> App1() const {
    const auto opening = JpegSegmentHead(kJpegApp1, 2 + 6 + tiff.size());
    return Cat({{opening.begin(), opening.end()}, Bytes(std::string_view("Exif\0\0", 6)), tiff});
  }

 private:
  template <typename Write>
  std::vector<std::uint8_t> Encoded(Write write) const {
    std::vector<std::uint8_t> out;
    ByteSink sink{order, out};
    write(sink);
    return out;
  }

  ByteOrder order;
  std::vector<std::uint8_t> tiff;
};

// An APP13 marker: "Photoshop 3.0\0" and the given resource bytes.
inline std::vector<std::uint8_t> App13(const std::vector<std::uint8_t>& resources) {
  const auto opening = JpegSegmentHead(kJpegApp13, 2 + 14 + resources.size());
  return Cat({{opening.begin(), opening.end()}, Bytes(std::string_view("Photoshop 3.0\0", 14)), resources});
}

// One IPTC dataset of record 2.
inline std::vector<std::uint8_t> Dataset(std::uint8_t number, std::string_view data) {
  std::vector<std::uint8_t> out = {0x1C, 2, number, static_cast<std::uint8_t>(data.size() >> 8),
                                   static_cast<std::uint8_t>(data.size())};
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

// One "8BIM" 0x0404 resource with a Pascal name padded to even length.
inline std::vector<std::uint8_t> IptcResource(const std::vector<std::uint8_t>& data,
                                              std::string_view name = "") {
  std::vector<std::uint8_t> out = {'8', 'B', 'I', 'M', 0x04, 0x04, static_cast<std::uint8_t>(name.size())};
  out.insert(out.end(), name.begin(), name.end());
  if ((name.size() + 1) % 2 != 0) out.push_back(0);
  const auto size = static_cast<std::uint32_t>(data.size());
  for (int shift : {24, 16, 8, 0}) out.push_back(static_cast<std::uint8_t>(size >> shift));
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() % 2 != 0) out.push_back(0);
  return out;
}

}  // namespace kelmarin::test
