#include <gtest/gtest.h>

#include <string>

#include "metadata/DefinitionSyntax.h"

namespace kelmarin {
namespace {

TEST(DefinitionNumber, DecimalAndTwosComplementHexadecimal) {
  const std::pair<const char*, std::int32_t> good[] = {
      {"0", 0},
      {"  42  ", 42},
      {"-7", -7},
      {"007", 7},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"00000000000000000000000001", 1},
      {"0x010F", 271},
      {"0X010f", 271},
      {"&H10", 16},
      {"&h10", 16},
      {"&HFFFFFFFF", -1},
      {"0x80000000", INT32_MIN},
      {"&H0000000000ABCDEF", 0xABCDEF}};  // leading zeros are not significant digits
  for (const auto& [field, value] : good) {
    EXPECT_EQ(ParseDefinitionNumber(field).code, 0) << field;
    EXPECT_EQ(ParseDefinitionNumber(field).value, value) << field;
  }
  for (const char* field : {"", "   ", "-", "+5", "1a", "1 2", "\t1", "1\t", "&H", "0x", "&HG", "0x-1",
                            "-0x10", "&O17", "1.5", "1,5", "zwei", "99999999999x", "&H123456789Z"}) {
    EXPECT_EQ(ParseDefinitionNumber(field).code, kCodeNotANumber) << '"' << field << '"';
  }
  for (const char* field :
       {"2147483648", "-2147483649", "99999999999999999999999999999", "&H123456789", "0x100000000"}) {
    EXPECT_EQ(ParseDefinitionNumber(field).code, kCodeOutOfRange) << field;
  }
}

TEST(FocalFactor, PlainDecimalsWithAPointWhateverTheLocale) {
  for (const auto& [field, value] :
       {std::pair{"1.6", 1.6}, {"  1.6 ", 1.6}, {"2", 2.0}, {".5", 0.5}, {"-1.25", -1.25}}) {
    EXPECT_EQ(ParseFocalFactor(field).code, 0) << field;
    EXPECT_DOUBLE_EQ(ParseFocalFactor(field).value, value) << field;
  }
  for (const char* field :
       {"", ".", "-", "1,6", "1.6.2", "1e3", "inf", "nan", "0x2", "+1.5", "1.5x", "\t1"}) {
    EXPECT_EQ(ParseFocalFactor(field).code, kCodeNotANumber) << '"' << field << '"';
  }
  EXPECT_EQ(ParseFocalFactor("1" + std::string(400, '0')).code, kCodeOutOfRange);
}

TEST(DefinitionText, TrimSplitAndKeywords) {
  EXPECT_EQ(TrimSpaces("  a b  "), "a b");
  EXPECT_EQ(TrimSpaces("\ta\t"), "\ta\t");
  EXPECT_EQ(TrimSpaces("    "), "");
  EXPECT_EQ(SplitAt("a,,b", ','), (std::vector<std::string_view>{"a", "", "b"}));
  EXPECT_EQ(SplitAt("", ','), (std::vector<std::string_view>{""}));
  EXPECT_EQ(SplitAt(",", ','), (std::vector<std::string_view>{"", ""}));
  EXPECT_TRUE(EqualsIgnoringCase("MakerNote", "makernote"));
  EXPECT_FALSE(EqualsIgnoringCase("main ", "main"));
  EXPECT_FALSE(EqualsIgnoringCase("mai", "main"));
}

}  // namespace
}  // namespace kelmarin
