#include <gtest/gtest.h>

#include "metadata/Text.h"

namespace kelmarin {
namespace {

TEST(Utf8Validity, AcceptsWellFormedText) {
  for (const char* text : {"", "plain ASCII", "Müller", "Größe: 5 µm", "\xE2\x82\xAC", "\xF0\x9F\x93\xB7",
                           "\xF4\x8F\xBF\xBF", "\xEF\xBB\xBF"}) {
    EXPECT_TRUE(IsValidUtf8(text)) << text;
  }
  EXPECT_TRUE(IsValidUtf8(std::string_view("a\0b", 3)));
}

TEST(Utf8Validity, RejectsMalformedText) {
  for (const char* text : {"M\xFCller",             // Windows-1252
                           "\x80",                  // lone continuation byte
                           "\xC3",                  // truncated at the end
                           "\xC3(",                 // bad continuation
                           "\xE2\x82",              // truncated three-byte form
                           "\xC0\xAF",              // overlong "/"
                           "\xE0\x80\xAF",          // overlong three-byte form
                           "\xF0\x80\x80\xAF",      // overlong four-byte form
                           "\xED\xA0\x80",          // UTF-16 surrogate
                           "\xF4\x90\x80\x80",      // above U+10FFFF
                           "\xF8\x88\x80\x80\x80",  // five-byte form
                           "\xFF"}) {
    EXPECT_FALSE(IsValidUtf8(text)) << testing::PrintToString(text);
  }
}

TEST(BytesToUtf8, KeepsUtf8AndReadsEverythingElseAsWindows1252) {
  EXPECT_EQ(BytesToUtf8("Müller"), "Müller");
  EXPECT_EQ(BytesToUtf8("M\xFCller"), "Müller");
  EXPECT_EQ(BytesToUtf8("\x80 \x9F \xA0"), "€ Ÿ \xC2\xA0");
  EXPECT_EQ(BytesToUtf8("\x81\x8D\x8F\x90\x9D"),
            "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");  // undefined bytes
  // One invalid byte makes the whole text Windows-1252, its UTF-8 look-alikes included.
  EXPECT_EQ(BytesToUtf8("\xC3\xBC \xFC"), "Ã¼ ü");
  EXPECT_EQ(BytesToUtf8(std::string_view("\0\xFF", 2)), std::string("\0ÿ", 3));
}

TEST(Windows1252, EveryByteMapsToItsCodePoint) {
  EXPECT_EQ(Cp1252ToUnicode(0x41), U'A');
  EXPECT_EQ(Cp1252ToUnicode(0x80), U'\u20AC');
  EXPECT_EQ(Cp1252ToUnicode(0x8A), U'\u0160');
  EXPECT_EQ(Cp1252ToUnicode(0x96), U'\u2013');
  EXPECT_EQ(Cp1252ToUnicode(0x99), U'\u2122');
  EXPECT_EQ(Cp1252ToUnicode(0x9F), U'\u0178');
  EXPECT_EQ(Cp1252ToUnicode(0xA0), U'\u00A0');
  EXPECT_EQ(Cp1252ToUnicode(0xFF), U'\u00FF');
  for (int byte = 0; byte < 256; ++byte) {
    std::string encoded;
    AppendUtf8(encoded, Cp1252ToUnicode(static_cast<unsigned char>(byte)));
    EXPECT_TRUE(IsValidUtf8(encoded)) << byte;
  }
}

TEST(AppendUtf8, EncodesEachLengthAtItsBoundaries) {
  const std::pair<char32_t, std::string> cases[] = {{0x00, std::string(1, '\0')},
                                                    {0x7F, "\x7F"},
                                                    {0x80, "\xC2\x80"},
                                                    {0x7FF, "\xDF\xBF"},
                                                    {0x800, "\xE0\xA0\x80"},
                                                    {0xFFFF, "\xEF\xBF\xBF"},
                                                    {0x10000, "\xF0\x90\x80\x80"},
                                                    {0x10FFFF, "\xF4\x8F\xBF\xBF"}};
  for (const auto& [codePoint, expected] : cases) {
    std::string out = "x";
    AppendUtf8(out, codePoint);
    EXPECT_EQ(out, "x" + expected) << static_cast<unsigned>(codePoint);
  }
}

}  // namespace
}  // namespace kelmarin
