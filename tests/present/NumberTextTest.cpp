#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "PresentTestSupport.h"
#include "present/NumberText.h"

namespace kelmarin {
namespace {

using test::German;
using test::Q;

QString G(double value, const char* pattern) {
  return FormatNumber(value, pattern, German());
}

TEST(NumberPattern, FixedAndOptionalDecimals) {
  EXPECT_EQ(G(2.8, "0.0"), Q("2,8"));
  EXPECT_EQ(G(4.0, "0.0"), Q("4,0"));
  EXPECT_EQ(G(15.5, "0.000"), Q("15,500"));
  EXPECT_EQ(G(2.2, "0.0#"), Q("2,2"));
  EXPECT_EQ(G(2.21, "0.0#"), Q("2,21"));
  EXPECT_EQ(G(1.0, "0.0#"), Q("1,0"));
  EXPECT_EQ(G(12.34, "0.0##############"), Q("12,34"));
  EXPECT_EQ(G(12.0, "0.0##############"), Q("12,0"));
  EXPECT_EQ(G(0.3333333333333333, "0.0##############"), Q("0,333333333333333"));
  EXPECT_EQ(G(0.04, "0.0"), Q("0,0"));
  EXPECT_EQ(G(0.06, "0.0"), Q("0,1"));
  EXPECT_EQ(G(0.0, "."), Q(","));
}

TEST(NumberPattern, RoundsHalfAwayFromZeroOnTheDecimalText) {
  EXPECT_EQ(G(0.5, "0"), Q("1"));
  EXPECT_EQ(G(1.5, "0"), Q("2"));
  EXPECT_EQ(G(2.5, "0"), Q("3"));  // not to the even neighbour
  EXPECT_EQ(G(-2.5, "0"), Q("-3"));
  EXPECT_EQ(G(0.125, "0.00"), Q("0,13"));
  EXPECT_EQ(G(2.675, "0.00"), Q("2,68"));  // binary 2.67499999... read as the decimal 2.675
  EXPECT_EQ(G(1.005, "0.00"), Q("1,01"));
  EXPECT_EQ(G(9.96, "0.0"), Q("10,0"));
  EXPECT_EQ(G(99.5, "0"), Q("100"));
  EXPECT_EQ(G(-0.04, "0.0"), Q("0,0"));                     // no "-0,0"
  EXPECT_EQ(G((12.34 - 12.0) * 60.0, "0.00"), Q("20,40"));  // 20.399999999999991
}

TEST(NumberPattern, LiteralsGroupingAndExtremes) {
  EXPECT_EQ(G(35.0, "0\\m\\m"), Q("35mm"));
  EXPECT_EQ(G(15.5, "0.0\\c\\m"), Q("15,5cm"));
  EXPECT_EQ(G(7.8, "0.0\\m\\m"), Q("7,8mm"));
  EXPECT_EQ(FormatNumber(std::int64_t{1234567}, "#,##0", German()), Q("1.234.567"));
  EXPECT_EQ(FormatNumber(std::int64_t{0}, "#,##0", German()), Q("0"));
  EXPECT_EQ(FormatNumber(std::int64_t{999}, "#,##0", German()), Q("999"));
  EXPECT_EQ(FormatNumber(std::numeric_limits<std::int64_t>::min(), "0", German()), Q("-9223372036854775808"));
  EXPECT_EQ(FormatNumber(std::int64_t{4294967295}, "0\\m", German()), Q("4294967295m"));
  EXPECT_EQ(G(1e20, "0"), Q("100000000000000000000"));
  EXPECT_EQ(G(1e300, "0").size(), 301);
  EXPECT_EQ(G(1e-300, "0.000"), Q("0,000"));
  EXPECT_TRUE(G(std::nan(""), "0").isEmpty());
  EXPECT_TRUE(G(std::numeric_limits<double>::infinity(), "0.0").isEmpty());
}

TEST(NumberPattern, PointFormAndLocaleText) {
  EXPECT_EQ(PointForm(G(15.5, "0.0"), Q(",")), Q("15.5"));
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
