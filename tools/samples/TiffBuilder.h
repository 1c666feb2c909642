#pragma once
// Builder of EXIF blocks for the tests, the benchmark and the fuzz seeds: a TIFF stream written in
// either byte order, wrapped into the bytes of an APP1 marker (0xFF 0xE1, length, "Exif\0\0", TIFF
// header at buffer position 11).
// Offsets are TIFF offsets (0 = the TIFF header); Pos() turns one into a buffer position.

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "extract/ByteReader.h"

namespace kelmarin::test {

inline std::vector<std::uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

inline std::vector<std::uint8_t> Cat(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

class TiffBuilder {
 public:
  struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::array<std::uint8_t, 4> field{};  // value or offset, already in the byte order
  };

  explicit TiffBuilder(ByteOrder byteOrder) : order(byteOrder) {
    Append(Bytes(order == ByteOrder::BigEndian ? "MM" : "II"));
    Append(U16(42));
    Append(U32(8));
  }

  static constexpr BufferPos Pos(std::uint32_t offset) { return static_cast<BufferPos>(offset) + 11; }
  std::uint32_t Size() const { return static_cast<std::uint32_t>(tiff.size()); }

  // Byte order of everything written from now on (a makernote may use another one).
  void SetOrder(ByteOrder newOrder) { order = newOrder; }
  ByteOrder Order() const { return order; }

  std::vector<std::uint8_t> U16(std::uint16_t v) const {
    if (order == ByteOrder::BigEndian)
      return {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
  }
  std::vector<std::uint8_t> U32(std::uint32_t v) const {
    std::vector<std::uint8_t> out =
        U16(static_cast<std::uint16_t>(order == ByteOrder::BigEndian ? v >> 16 : v));
    const auto rest = U16(static_cast<std::uint16_t>(order == ByteOrder::BigEndian ? v : v >> 16));
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
  }
  std::vector<std::uint8_t> U64(std::uint64_t v) const {
    auto high = U32(static_cast<std::uint32_t>(v >> 32));
    auto low = U32(static_cast<std::uint32_t>(v));
    auto& first = order == ByteOrder::BigEndian ? high : low;
    const auto& second = order == ByteOrder::BigEndian ? low : high;
    first.insert(first.end(), second.begin(), second.end());
    return first;
  }

  // Appends bytes (padded to an even offset afterwards) and returns their offset.
  std::uint32_t Append(const std::vector<std::uint8_t>& bytes) {
    const std::uint32_t at = Size();
    tiff.insert(tiff.end(), bytes.begin(), bytes.end());
    if (tiff.size() % 2 != 0) tiff.push_back(0);
    return at;
  }
  std::uint32_t AppendText(std::string_view text) { return Append(Bytes(text)); }
  void Patch(std::uint32_t offset, const std::vector<std::uint8_t>& bytes) {
    if (tiff.size() < offset + bytes.size()) tiff.resize(offset + bytes.size());
    std::copy(bytes.begin(), bytes.end(), tiff.begin() + offset);
  }
  void SetFirstDirectory(std::uint32_t offset) { Patch(4, U32(offset)); }

  Entry At(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t offset) const {
    return Raw(tag, type, count, U32(offset));
  }
  Entry Inline(std::uint16_t tag, std::uint16_t type, std::uint32_t count,
               std::vector<std::uint8_t> bytes) const {
    bytes.resize(4, 0);
    return Raw(tag, type, count, bytes);
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

  // Appends a directory and returns its offset.
  std::uint32_t AddDirectory(const std::vector<Entry>& entries, std::uint32_t next = 0) {
    std::vector<std::uint8_t> bytes = U16(static_cast<std::uint16_t>(entries.size()));
    for (const Entry& e : entries) {
      for (const auto& part : {U16(e.tag), U16(e.type), U32(e.count)})
        bytes.insert(bytes.end(), part.begin(), part.end());
      bytes.insert(bytes.end(), e.field.begin(), e.field.end());
    }
    const auto link = U32(next);
    bytes.insert(bytes.end(), link.begin(), link.end());
    return Append(bytes);
  }
  // Offset of the next link of the directory at offset (which has n entries).
  static std::uint32_t NextLinkOffset(std::uint32_t offset, std::uint32_t n) { return offset + 2 + 12 * n; }

  const std::vector<std::uint8_t>& Tiff() const { return tiff; }

  // The whole APP1 marker.
  std::vector<std::uint8_t> App1() const {
    const std::size_t length = 2 + 6 + tiff.size();
    std::vector<std::uint8_t> out = {0xFF,
                                     0xE1,
                                     static_cast<std::uint8_t>(length >> 8),
                                     static_cast<std::uint8_t>(length),
                                     'E',
                                     'x',
                                     'i',
                                     'f',
                                     0,
                                     0};
    out.insert(out.end(), tiff.begin(), tiff.end());
    return out;
  }

 private:
  Entry Raw(std::uint16_t tag, std::uint16_t type, std::uint32_t count,
            const std::vector<std::uint8_t>& f) const {
    Entry e{tag, type, count, {}};
    std::copy_n(f.begin(), 4, e.field.begin());
    return e;
  }

  ByteOrder order;
  std::vector<std::uint8_t> tiff;
};

// An APP13 marker: "Photoshop 3.0\0" and the given resource bytes.
inline std::vector<std::uint8_t> App13(const std::vector<std::uint8_t>& resources) {
  const std::size_t length = 2 + 14 + resources.size();
  std::vector<std::uint8_t> out = {0xFF, 0xED, static_cast<std::uint8_t>(length >> 8),
                                   static_cast<std::uint8_t>(length)};
  const auto signature = Bytes(std::string_view("Photoshop 3.0\0", 14));
  out.insert(out.end(), signature.begin(), signature.end());
  out.insert(out.end(), resources.begin(), resources.end());
  return out;
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
