#pragma once
// A bounded, 0-based reader over one span of bytes: numbers in either byte order, sub-spans and
// skips. A read that would leave the span returns 0 (or an empty span), leaves the position where
// it was and sets a sticky "ran out" flag, so a reader makes a run of reads and checks the flag
// once afterwards. The cursor only views the bytes: the caller keeps them alive.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace kelmarin {

// TIFF 6.0, section 2: "II" little-endian, "MM" big-endian. None reads as little-endian.
enum class ByteOrder : std::uint8_t { None = 0, BigEndian = 1, LittleEndian = 2 };

class ByteCursor {
 public:
  ByteCursor() = default;
  explicit ByteCursor(std::span<const std::uint8_t> bytes, bool bigEndian = true)
      : data(bytes), big(bigEndian) {}

  void SetBigEndian(bool bigEndian) { big = bigEndian; }
  bool BigEndian() const { return big; }
  std::size_t Position() const { return pos; }
  std::size_t Remaining() const { return data.size() - pos; }
  bool AtEnd() const { return pos == data.size(); }
  // True once any read or skip asked for more bytes than remained.
  bool RanOut() const { return ranOut; }
  std::span<const std::uint8_t> Bytes() const { return data; }

  // Moves to an absolute position; beyond the end sets the flag and leaves the position.
  void Seek(std::size_t position) {
    if (position > data.size()) {
      ranOut = true;
      return;
    }
    pos = position;
  }
  void Skip(std::size_t count) { (void)Take(count); }

  std::uint8_t U8() { return static_cast<std::uint8_t>(Number(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Number(2)); }
  std::uint32_t U32() { return static_cast<std::uint32_t>(Number(4)); }
  std::uint64_t U64() { return Number(8); }

  // The next count bytes, advancing past them; empty (and the flag set) when fewer remain.
  std::span<const std::uint8_t> Take(std::size_t count) {
    if (count > Remaining()) {
      ranOut = true;
      return {};
    }
    const std::span<const std::uint8_t> part = data.subspan(pos, count);
    pos += count;
    return part;
  }
  // A cursor over the next count bytes in the same byte order; the two advance separately.
  ByteCursor Sub(std::size_t count) { return ByteCursor(Take(count), big); }
  // True (and advanced past them) when the next bytes are exactly `text`; otherwise unmoved.
  bool Match(std::string_view text) {
    if (text.size() > Remaining()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (data[pos + i] != static_cast<std::uint8_t>(text[i])) return false;
    }
    pos += text.size();
    return true;
  }
  // The number at `at`, for fields at fixed places of a header: 0 when it does not fit; the
  // position and the flag stay as they are.
  std::uint8_t U8At(std::size_t at) const { return static_cast<std::uint8_t>(NumberAt(at, 1)); }
  std::uint16_t U16At(std::size_t at) const { return static_cast<std::uint16_t>(NumberAt(at, 2)); }
  std::uint32_t U32At(std::size_t at) const { return static_cast<std::uint32_t>(NumberAt(at, 4)); }
  // The part of the `count` bytes at `at` that lies inside the span (empty when none does), for
  // values that are shown as far as they go; the position and the flag stay as they are.
  std::span<const std::uint8_t> PartAt(std::size_t at, std::size_t count) const {
    if (at > data.size()) return {};
    return data.subspan(at, count < data.size() - at ? count : data.size() - at);
  }
  // PartAt as characters, for texts stored in the bytes.
  std::string_view TextAt(std::size_t at, std::size_t count) const {
    const std::span<const std::uint8_t> part = PartAt(at, count);
    return {reinterpret_cast<const char*>(part.data()), part.size()};
  }
  // True when the bytes at `at` are exactly `text`; the position and the flag stay as they are.
  bool HoldsAt(std::size_t at, std::string_view text) const {
    if (at > data.size() || text.size() > data.size() - at) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (data[at + i] != static_cast<std::uint8_t>(text[i])) return false;
    }
    return true;
  }

 private:
  std::uint64_t Number(std::size_t size) { return Value(Take(size)); }
  std::uint64_t NumberAt(std::size_t at, std::size_t size) const {
    return at > data.size() || size > data.size() - at ? 0 : Value(data.subspan(at, size));
  }
  std::uint64_t Value(std::span<const std::uint8_t> bytes) const {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const std::size_t shift = 8 * (big ? bytes.size() - 1 - i : i);
      value |= static_cast<std::uint64_t>(bytes[i]) << shift;
    }
    return value;
  }

  std::span<const std::uint8_t> data;
  std::size_t pos = 0;
  bool big = true;
  bool ranOut = false;
};

// The text up to, not including, its first zero byte; the whole text when it has none.
inline std::string_view CutAtNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

}  // namespace kelmarin
