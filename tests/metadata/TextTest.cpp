#include <gtest/gtest.h>

#include "metadata/Text.h"

namespace kelmarin {
namespace {

TEST(Utf8Validity, AcceptsWellFormedAndRejectsMalformedText) {
  for (const char* text :
       {"", "Müller", "\xE2\x82\xAC", "\xF0\x9F\x93\xB7", "\xF4\x8F\xBF\xBF", "\xEF\xBB\xBF"}) {
    EXPECT_TRUE(IsValidUtf8(text)) << text;
  }
  EXPECT_TRUE(IsValidUtf8(std::string_view("a\0b", 3)));
  // Windows-1252, lone continuation, truncated, bad continuation, overlong forms, a UTF-16
  // surrogate, above U+10FFFF, a five-byte form.
  for (const char* text :
       {"M\xFCller", "\x80", "\xC3", "\xC3(", "\xE2\x82", "\xC0\xAF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF",
        "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\xFF"}) {
    EXPECT_FALSE(IsValidUtf8(text)) << testing::PrintToString(text);
  }
}

TEST(BytesToUtf8, KeepsUtf8AndReadsEverythingElseAsWindows1252) {
  EXPECT_EQ(BytesToUtf8("Müller"), "Müller");
  EXPECT_EQ(BytesToUtf8("M\xFCller"), "Müller");
  EXPECT_EQ(BytesToUtf8("\x80 \x8A \x96 \x99 \x9F \xA0"), "€ Š – ™ Ÿ \xC2\xA0");
  EXPECT_EQ(BytesToUtf8("\x81\x8D\x8F\x90\x9D"),
            "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");  // undefined bytes
  // One invalid byte makes the whole text Windows-1252, its UTF-8 look-alikes included.
  EXPECT_EQ(BytesToUtf8("\xC3\xBC \xFC"), "Ã¼ ü");
  EXPECT_EQ(BytesToUtf8(std::string_view("\0\xFF", 2)), std::string("\0ÿ", 3));
  for (int byte = 0; byte < 256; ++byte) {
    std::string encoded;
    AppendUtf8(encoded, Cp1252ToUnicode(static_cast<unsigned char>(byte)));
    EXPECT_TRUE(IsValidUtf8(encoded)) << byte;
  }
}

TEST(AppendUtf8, EncodesEachLengthAtItsBoundaries) {
  const std::pair<char32_t, std::string> cases[] = {
      {0x00, std::string(1, '\0')}, {0x7F, "\x7F"},          {0x80, "\xC2\x80"},         {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},     {0xFFFF, "\xEF\xBF\xBF"}, {0x10000, "\xF0\x90\x80\x80"}, {0x10FFFF, "\xF4\x8F\xBF\xBF"}};
  for (const auto& [codePoint, expected] : cases) {
    std::string out = "x";
    AppendUtf8(out, codePoint);
    EXPECT_EQ(out, "x" + expected) << static_cast<unsigned>(codePoint);
  }
}

}  // namespace
}  // namespace kelmarin
