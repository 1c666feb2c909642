#pragma once
// Bounds-checked access to one metadata buffer (the bytes of one JPEG marker), carrying the byte
// order of the EXIF block it belongs to. This is the only place that does index arithmetic on
// image bytes: every reader below checks the range and reads missing bytes as 0.
//
// Positions count from 1 at the buffer's first byte (the marker's 0xFF), so that a TIFF offset plus
// the base 11 is the position of the byte it names. Positions are 64-bit: offsets (up to 2^32 - 1)
// plus a base never overflow, and any position outside 1..Size() simply reads as missing.

#include <cstdint>
#include <span>
#include <string_view>

#include "extract/ByteCursor.h"  // ByteOrder
#include "metadata/Text.h"       // AsciiLower, EqualsNoCase, ContainsNoCase

namespace kelmarin {

using BufferPos = std::int64_t;

class ByteReader {
 public:
  ByteReader() = default;
  // The reader only views the bytes: the caller keeps them alive while the reader is used.
  explicit ByteReader(std::span<const std::uint8_t> bytes, ByteOrder byteOrder = ByteOrder::LittleEndian)
      : data(bytes), order(byteOrder) {}

  ByteOrder Order() const { return order; }
  void SetOrder(ByteOrder newOrder) { order = newOrder; }
  std::int64_t Size() const { return static_cast<std::int64_t>(data.size()); }

  // True when all count bytes from pos lie inside the buffer (count >= 0).
  bool Has(BufferPos pos, std::int64_t count) const {
    return pos >= 1 && count >= 0 && pos - 1 <= Size() && count <= Size() - (pos - 1);
  }
  // Byte value 0..255; 0 outside the buffer.
  std::uint8_t Byte(BufferPos pos) const { return Has(pos, 1) ? data[Index(pos)] : 0; }

  // The number readers of the block's byte order. When any of the bytes is missing the result is 0
  // (not a partly read value).
  std::uint16_t ReadU16(BufferPos pos) const {
    if (!Has(pos, 2)) return 0;
    const std::uint8_t* p = data.data() + Index(pos);
    if (order == ByteOrder::BigEndian) return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
    return static_cast<std::uint16_t>((p[1] << 8) | p[0]);
  }
  // The true unsigned value 0..4294967295 (kept in 64 bits so callers never see a negative count).
  std::int64_t ReadU32(BufferPos pos) const { return ReadU32Raw(pos); }
  std::uint32_t ReadU32Raw(BufferPos pos) const {
    if (!Has(pos, 4)) return 0;
    const std::uint8_t* p = data.data() + Index(pos);
    const std::uint32_t b0 = p[0], b1 = p[1], b2 = p[2], b3 = p[3];
    if (order == ByteOrder::BigEndian) return (b0 << 24) | (b1 << 16) | (b2 << 8) | b3;
    return (b3 << 24) | (b2 << 16) | (b1 << 8) | b0;
  }

  // The part of [pos, pos + count) that lies inside the buffer; empty when none of it does.
  std::span<const std::uint8_t> Bytes(BufferPos pos, std::int64_t count) const;
  std::string_view Text(BufferPos pos, std::int64_t count) const;

  // True when the bytes at pos equal text, ASCII letters compared without regard to case.
  bool MatchesNoCase(BufferPos pos, std::string_view text) const;
  // First position at or after from where text occurs (ASCII case-insensitive); 0 when none.
  BufferPos FindNoCase(std::string_view text, BufferPos from) const;

 private:
  std::size_t Index(BufferPos pos) const { return static_cast<std::size_t>(pos - 1); }

  std::span<const std::uint8_t> data;
  ByteOrder order = ByteOrder::LittleEndian;
};

// The text up to, not including, its first zero byte; the whole text when it has none.
std::string_view CutAtNul(std::string_view text);

}  // namespace kelmarin
