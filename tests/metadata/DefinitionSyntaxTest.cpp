#include <gtest/gtest.h>

#include <string>

#include "metadata/DefinitionSyntax.h"

namespace kelmarin {
namespace {

void ExpectNumber(std::string_view field, std::int32_t value) {
  const ParsedNumber parsed = ParseDefinitionNumber(field);
  EXPECT_EQ(parsed.code, 0) << '"' << field << '"';
  EXPECT_EQ(parsed.value, value) << '"' << field << '"';
}

void ExpectNumberError(std::string_view field, std::int32_t code) {
  EXPECT_EQ(ParseDefinitionNumber(field).code, code) << '"' << field << '"';
}

TEST(DefinitionNumber, DecimalWithinThe32BitRange) {
  ExpectNumber("0", 0);
  ExpectNumber("271", 271);
  ExpectNumber("  42  ", 42);
  ExpectNumber("-7", -7);
  ExpectNumber("007", 7);
  ExpectNumber("2147483647", 2147483647);
  ExpectNumber("-2147483648", INT32_MIN);
  ExpectNumber("00000000000000000000000001", 1);
}

TEST(DefinitionNumber, HexadecimalIsTwosComplement) {
  ExpectNumber("0x010F", 271);
  ExpectNumber("0X010f", 271);
  ExpectNumber("&H10", 16);
  ExpectNumber("&h10", 16);
  ExpectNumber(" 0x2 ", 2);
  ExpectNumber("&HFFFFFFFF", -1);
  ExpectNumber("0x80000000", INT32_MIN);
  ExpectNumber("0x7fffffff", INT32_MAX);
  ExpectNumber("&H0000000000ABCDEF", 0xABCDEF);  // leading zeros are not significant digits
}

TEST(DefinitionNumber, NotANumberIsCode13) {
  for (const char* field : {"", "   ", "-", "+5", "1a", "1 2", "\t1", "1\t", "&H", "0x", "&HG", "0x-1",
                            "-0x10", "&O17", "1.5", "1,5", "zwei", "99999999999x", "&H123456789Z"}) {
    ExpectNumberError(field, kCodeNotANumber);
  }
}

TEST(DefinitionNumber, OutOfRangeIsCode6) {
  for (const char* field : {"2147483648", "-2147483649", "4294967296", "99999999999999999999999999999",
                            "&H123456789", "0x100000000"}) {
    ExpectNumberError(field, kCodeOutOfRange);
  }
}

TEST(FocalFactor, DecimalPointWhateverTheLocale) {
  EXPECT_DOUBLE_EQ(ParseFocalFactor("1.6").value, 1.6);
  EXPECT_DOUBLE_EQ(ParseFocalFactor("  1.6 ").value, 1.6);
  EXPECT_DOUBLE_EQ(ParseFocalFactor("2").value, 2.0);
  EXPECT_DOUBLE_EQ(ParseFocalFactor(".5").value, 0.5);
  EXPECT_DOUBLE_EQ(ParseFocalFactor("-1.25").value, -1.25);
  EXPECT_EQ(ParseFocalFactor("1.6").code, 0);
}

TEST(FocalFactor, RejectsEverythingButPlainDecimals) {
  for (const char* field :
       {"", ".", "-", "1,6", "1.6.2", "1e3", "inf", "nan", "0x2", "+1.5", "1.5x", "\t1"}) {
    EXPECT_EQ(ParseFocalFactor(field).code, kCodeNotANumber) << '"' << field << '"';
  }
  EXPECT_EQ(ParseFocalFactor("1" + std::string(400, '0')).code, kCodeOutOfRange);
}

TEST(DefinitionText, TrimsSpacesOnly) {
  EXPECT_EQ(TrimSpaces("  a b  "), "a b");
  EXPECT_EQ(TrimSpaces("\ta\t"), "\ta\t");
  EXPECT_EQ(TrimSpaces("    "), "");
  EXPECT_EQ(TrimSpaces(""), "");
}

TEST(DefinitionText, SplitKeepsEmptyPieces) {
  EXPECT_EQ(SplitAt("a,,b", ','), (std::vector<std::string_view>{"a", "", "b"}));
  EXPECT_EQ(SplitAt("", ','), (std::vector<std::string_view>{""}));
  EXPECT_EQ(SplitAt("version  2", ' '), (std::vector<std::string_view>{"version", "", "2"}));
  EXPECT_EQ(SplitAt(",", ','), (std::vector<std::string_view>{"", ""}));
}

TEST(DefinitionText, KeywordsCompareWithoutCase) {
  EXPECT_TRUE(EqualsIgnoringCase("VERSION", "version"));
  EXPECT_TRUE(EqualsIgnoringCase("MakerNote", "makernote"));
  EXPECT_FALSE(EqualsIgnoringCase("main ", "main"));
  EXPECT_FALSE(EqualsIgnoringCase("mai", "main"));
}

}  // namespace
}  // namespace kelmarin
