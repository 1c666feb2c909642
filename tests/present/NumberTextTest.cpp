#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "PresentTestSupport.h"
#include "present/NumberText.h"

namespace kelmarin {
namespace {

using test::German;
using test::Q;

TEST(NumberPattern, DecimalsRoundingLiteralsAndExtremes) {
  // Rounding is half away from zero on the decimal text: binary 2.67499999... reads as 2.675.
  const std::tuple<double, const char*, const char*> cases[] = {
      {2.8, "0.0", "2,8"},
      {4.0, "0.0", "4,0"},
      {15.5, "0.000", "15,500"},
      {2.2, "0.0#", "2,2"},
      {2.21, "0.0#", "2,21"},
      {1.0, "0.0#", "1,0"},
      {12.34, "0.0##############", "12,34"},
      {0.3333333333333333, "0.0##############", "0,333333333333333"},
      {0.04, "0.0", "0,0"},
      {0.06, "0.0", "0,1"},
      {0.0, ".", ","},
      {0.5, "0", "1"},
      {2.5, "0", "3"},
      {-2.5, "0", "-3"},
      {0.125, "0.00", "0,13"},
      {2.675, "0.00", "2,68"},
      {1.005, "0.00", "1,01"},
      {9.96, "0.0", "10,0"},
      {99.5, "0", "100"},
      {-0.04, "0.0", "0,0"},
      {(12.34 - 12.0) * 60.0, "0.00", "20,40"},
      {35.0, "0\\m\\m", "35mm"},
      {15.5, "0.0\\c\\m", "15,5cm"},
      {1e20, "0", "100000000000000000000"},
      {1e-300, "0.000", "0,000"},
      {std::nan(""), "0", ""},
      {std::numeric_limits<double>::infinity(), "0.0", ""}};
  for (const auto& [value, pattern, text] : cases) {
    EXPECT_EQ(FormatNumber(value, pattern, German()).toStdString(), text) << value << " " << pattern;
  }
  EXPECT_EQ(FormatNumber(1e300, "0", German()).size(), 301);
  EXPECT_EQ(FormatNumber(std::int64_t{1234567}, "#,##0", German()), Q("1.234.567"));
  EXPECT_EQ(FormatNumber(std::int64_t{999}, "#,##0", German()), Q("999"));
  EXPECT_EQ(FormatNumber(std::numeric_limits<std::int64_t>::min(), "0", German()), Q("-9223372036854775808"));
  EXPECT_EQ(FormatNumber(std::int64_t{4294967295}, "0\\m", German()), Q("4294967295m"));
}

TEST(NumberPattern, PointFormAndLocaleText) {
  EXPECT_EQ(PointForm(Q("15,5"), Q(",")), Q("15.5"));
  EXPECT_EQ(PointForm(Q("15,5"), QString()), Q("15,5"));
  EXPECT_EQ(LocaleNumberText(50.0 + 12.0 / 60 + 34.56 / 3600, German()), Q("50,2096"));
  EXPECT_EQ(LocaleNumberText(1234.5, German()), Q("1234,5"));  // no thousands grouping
  EXPECT_EQ(LocaleNumberText(1.0 / 3.0, German()), Q("0,333333333333333"));
  EXPECT_EQ(LocaleNumberText(50.0, German()), Q("50"));
}

TEST(NumberParsing, WholeAndDecimalNumbers) {
  EXPECT_EQ(ParseWholeNumber(" 12 "), 12);
  EXPECT_EQ(ParseWholeNumber("-3"), -3);
  EXPECT_EQ(ParseWholeNumber("+3"), 3);
  for (const char* bad : {"", "  ", "1.5", "1a", "+-3", "99999999999999999999", "--1"}) {
    EXPECT_FALSE(ParseWholeNumber(bad)) << bad;
  }
  EXPECT_EQ(ParseDecimalNumber("0220"), 220.0);
  EXPECT_EQ(ParseDecimalNumber("1.5e-3"), 0.0015);
  for (const char* bad : {"", "inf", "nan", "0x10", "1/2", "-", "1e999", "1,5"}) {
    EXPECT_FALSE(ParseDecimalNumber(bad)) << bad;
  }
}

}  // namespace
}  // namespace kelmarin
