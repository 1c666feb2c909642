#include "extract/JpegSegments.h"

namespace kelmarin {

namespace {

constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kEndOfImage = 0xD9;

// RST0..RST7 and TEM carry no length (ITU T.81, B.1.1.3).
bool StandsAlone(std::uint8_t code) {
  return (code >= 0xD0 && code <= 0xD7) || code == 0x01;
}

}  // namespace

bool JpegSegmentWalker::Next(JpegSegment& segment) {
  if (ended || walked >= kMaxSegments) return false;
  while (at + 1 < data.size() && data[at] == 0xFF && data[at + 1] == 0xFF) ++at;  // fill bytes
  ended = true;
  if (at + 4 > data.size() || data[at] != 0xFF) return false;
  const std::uint8_t code = data[at + 1];
  if (code == kStartOfScan || code == kEndOfImage) return false;
  std::size_t size = 2;
  if (!StandsAlone(code)) {
    const std::size_t length = (std::size_t{data[at + 2]} << 8) | data[at + 3];
    if (length < 2 || length > data.size() - at - 2) return false;
    size += length;
  }
  ended = false;
  segment = {code, data.subspan(at, size)};
  at += size;
  ++walked;
  return true;
}

}  // namespace kelmarin
