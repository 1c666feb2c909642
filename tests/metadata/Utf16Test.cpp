// The one UTF-16 decoder, as the EXIF texts (little-endian) and the ICC profiles (big-endian) use it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "metadata/Utf16.h"

namespace {

std::string Decode(const std::vector<char32_t>& units) {
  return kelmarin::Utf16ToUtf8(units.size(), [&](std::size_t i) { return units[i]; });
}

TEST(Utf16, PairsJoinedLoneSurrogatesReplacedNothingStopsAtNul) {
  const struct {
    std::vector<char32_t> units;
    std::string text;
  } cases[] = {
      {{}, ""},
      {{'M', 0xFC, 'l', 'l', 'e', 'r'}, "M\xC3\xBCller"},
      {{0x20AC}, "\xE2\x82\xAC"},              // three UTF-8 bytes
      {{0xD83D, 0xDCF7}, "\xF0\x9F\x93\xB7"},  // a pair: one code point
      {{0xDBFF, 0xDFFF}, "\xF4\x8F\xBF\xBF"},  // the last code point
      {{0xD83D}, "\xEF\xBF\xBD"},              // a high surrogate at the end
      {{0xD83D, 'a'},
       "\xEF\xBF\xBD"
       "a"},                                                       // not followed by a low one
      {{0xDCF7, 0xD83D}, "\xEF\xBF\xBD\xEF\xBF\xBD"},              // the wrong order
      {{0xD800, 0xD800, 0xDC00}, "\xEF\xBF\xBD\xF0\x90\x80\x80"},  // the second high one pairs
      {{'a', 0, 'b'}, std::string("a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(Decode(c.units), c.text) << c.units.size();
}

}  // namespace
