#include <gtest/gtest.h>

#include <string>

#include "metadata/DefinitionSyntax.h"
#include "metadata/Definitions.h"

namespace kelmarin {
namespace {

TEST(DefinitionNumber, DecimalAndTwosComplementHexadecimal) {
  const std::pair<const char*, std::int32_t> good[] = {
      {"  42  ", 42},  {"-7", -7},         {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
      {"0X010f", 271}, {"&h10", 16},       {"&HFFFFFFFF", -1},        {"0x80000000", INT32_MIN},
      {"&H0000000000ABCDEF", 0xABCDEF},  // leading zeros are not significant digits
      {"00000000000000000000000001", 1}};
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
  for (const auto& [field, value] : {std::pair{"  1.6 ", 1.6}, {"2", 2.0}, {".5", 0.5}, {"-1.25", -1.25}}) {
    EXPECT_EQ(ParseFocalFactor(field).code, 0) << field;
    EXPECT_DOUBLE_EQ(ParseFocalFactor(field).value, value) << field;
  }
  for (const char* field : {"", ".", "-", "1,6", "1.6.2", "1e3", "inf", "nan", "0x2", "+1.5", "1.5x", "\t1"}) {
    EXPECT_EQ(ParseFocalFactor(field).code, kCodeNotANumber) << '"' << field << '"';
  }
  EXPECT_EQ(ParseFocalFactor("1" + std::string(400, '0')).code, kCodeOutOfRange);
}

TEST(FocalFactor, ModelsAreComparedWithoutSpacesBracketsAndCase) {
  for (const auto& [model, normalised] :
       {std::pair{"XY 300 (Sonderserie)", "XY300"}, {"(alles Klammer)", ""}, {"a (b) (c)", "A"},
        {"Kamera\tX", "KAMERA\tX"},  // only spaces are removed
        {"größe", "GRÖßE"}, {"gr\xF6\xDF" "e", "GRÖßE"}}) {  // Windows-1252 bytes from an image
    EXPECT_EQ(NormaliseModel(model), normalised) << model;
  }
}

}  // namespace
}  // namespace kelmarin
