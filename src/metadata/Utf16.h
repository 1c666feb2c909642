#pragma once
// The one UTF-16 decoder: EXIF's Windows XP texts (UTF-16LE in a list of BYTE values), the texts
// of ICC profiles (UTF-16BE) and X3F properties are decoded by it, each giving its units in its
// own byte order.

#include <cstddef>
#include <string>

#include "metadata/Text.h"

namespace kelmarin {

// `count` UTF-16 code units, `unit(i)` giving the i-th, as UTF-8: a high surrogate followed by a low
// one is joined into one code point; any other surrogate becomes U+FFFD. Nothing stops at a NUL
// unit (the caller counts up to one where the format ends its texts so).
template <typename UnitAt>
std::string Utf16ToUtf8(std::size_t count, UnitAt unit) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) {
    char32_t point = unit(i);
    if (point >= 0xD800 && point <= 0xDFFF) {
      const char32_t next = i + 1 < count ? static_cast<char32_t>(unit(i + 1)) : 0;
      if (point <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
        point = 0x10000 + ((point - 0xD800) << 10) + (next - 0xDC00);
        ++i;
      } else {
        point = 0xFFFD;
      }
    }
    AppendUtf8(out, point);
  }
  return out;
}

}  // namespace kelmarin
