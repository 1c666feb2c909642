#pragma once
// The segments of a JPEG header (ITU T.81, B.1.1 and B.1.1.2): after the start-of-image marker,
// markers with a two-byte big-endian length that counts itself and the payload; fill bytes (0xFF)
// may precede a marker; RST0..RST7 and TEM stand alone. The header ends at the first scan (SOS)
// or the end of the image (EOI).
//
// The walker only views the bytes: the caller keeps them alive. It never reads past the span: a
// length that leaves it, a byte where a marker should be that is not 0xFF, or fewer than four bytes
// left end the walk, as do kMaxSegments segments.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kelmarin {

inline constexpr std::uint8_t kJpegApp0 = 0xE0;
inline constexpr std::uint8_t kJpegApp1 = 0xE1;   // EXIF, XMP
inline constexpr std::uint8_t kJpegApp13 = 0xED;  // Photoshop resources (IPTC)
inline constexpr std::uint8_t kJpegApp15 = 0xEF;
inline constexpr std::uint8_t kJpegComment = 0xFE;

// Segments looked at in one header; real files have fewer than twenty.
inline constexpr int kMaxSegments = 1024;

struct JpegSegment {
  std::uint8_t code = 0;
  // The whole segment: 0xFF, the code, the two length bytes and the payload (a standalone marker:
  // its two bytes).
  std::span<const std::uint8_t> bytes;

  std::span<const std::uint8_t> Payload() const {
    return bytes.size() >= 4 ? bytes.subspan(4) : std::span<const std::uint8_t>();
  }
  bool IsApp() const { return code >= kJpegApp0 && code <= kJpegApp15; }
};

// True when the bytes start with the start-of-image marker (0xFF 0xD8).
inline bool StartsJpeg(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8;
}

// The four bytes that open a segment of `length` (the length field's value: payload + 2).
inline std::array<std::uint8_t, 4> JpegSegmentHead(std::uint8_t code, std::size_t length) {
  return {0xFF, code, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)};
}

class JpegSegmentWalker {
 public:
  // `jpeg` starts with the start-of-image marker (check with StartsJpeg); the walk begins after it.
  explicit JpegSegmentWalker(std::span<const std::uint8_t> jpeg) : data(jpeg), at(2) {}

  // The next segment of the header; false at its end (see above), and from then on.
  bool Next(JpegSegment& segment);

 private:
  std::span<const std::uint8_t> data;
  std::size_t at;
  int walked = 0;
  bool ended = false;
};

}  // namespace kelmarin
