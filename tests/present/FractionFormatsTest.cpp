// Display codes of fraction lists (lens range, time of day, list), dates without a time, value
// names under unit codes, and the words a number library could leak into a column.
#include <gtest/gtest.h>

#include <vector>

#include "PresentTestSupport.h"
#include "present/Formatter.h"

namespace kelmarin {
namespace {

using test::German;
using test::Numbers;
using test::Q;
using test::Texts;

struct Case {
  std::vector<std::string> values;
  const char* expected;
};

class FractionFormats : public ::testing::Test {
 protected:
  QString Show(std::int32_t code, const std::vector<std::string>& values) {
    if (!tables.defs.FindTag(0, kSectionMain, 5000 + code, 0)) tables.Main(5000 + code, code);
    ZetExif item = Texts(5000 + code, {});
    for (const std::string& value : values) item.inhalt.emplace_back(value);
    return FormatValue(tables.defs, context, 0, item, kSectionMain);
  }
  void Check(std::int32_t code, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      std::string all;
      for (const std::string& v : c.values) all += v + " ";
      EXPECT_EQ(Show(code, c.values), Q(c.expected)) << "code " << code << ": " << all;
    }
  }

  test::Tables tables;
  FormatContext context = MakeFormatContext(QLocale(QLocale::French, QLocale::France), 1.0);
};

TEST_F(FractionFormats, LensRange) {
  Check(4, {{{"18/1", "70/1", "35/10", "45/10"}, "18-70mm f/3.5-4.5"},
            {{"415/100", "415/100", "22/10", "22/10"}, "4.15mm f/2.2"},
            {{"60/10", "225/10", "0/0", "0/0"}, "6-22.5mm f/?"},
            {{"0/0", "0/0", "28/10", "4/1"}, "?mm f/2.8-4"},
            {{"18/1", "70/1", "35/10"}, "18,70,3.5"},            // not four values: the list
            {{"18/1", "x", "35/10", "45/10"}, "18,x,3.5,4.5"}});  // not a fraction: the list
  ZetExif numbers = Numbers(5004, {24, 105, 4, 4});
  EXPECT_EQ(FormatValue(tables.defs, context, 0, numbers, kSectionMain), Q("24-105mm f/4"));
}

TEST_F(FractionFormats, TimeOfDay) {
  Check(5, {{{"17/1", "17/1", "5865/100"}, "17:17:58.65"},
            {{"7/1", "5/1", "9/1"}, "07:05:09"},
            {{"14/1", "50/1", "409/10"}, "14:50:40.9"},
            {{"14/1", "50/1", "4090/100"}, "14:50:40.90"},  // the stored decimals
            {{"14/1", "50/1", "4000/100"}, "14:50:40"},     // none when whole
            {{"14/1", "50/1", "61/3"}, "14:50:20.333"},
            {{"14/1", "50/1", "75/10"}, "14:50:07.5"},
            {{"0/0", "0/0", "0/0"}, "0/0,0/0,0/0"},           // unknown: as stored
            {{"14/1", "305/10", "0/1"}, "14,30.5,0"},          // fractional minutes: the list
            {{"17/1", "17/1"}, "17,17"}});
}

TEST_F(FractionFormats, ListInPointFormUpToTen) {
  Check(15, {{{"3127/10000", "329/1000"}, "0.3127,0.329"},
             {{"0/1", "255/1", "128/1"}, "0,255,128"},
             {{"-3/2", "1/0", "abc"}, "-1.5,1/0,abc"},
             {{"1/3"}, "0.333333333333333"},
             {{"1/1", "2/1", "3/1", "4/1", "5/1", "6/1", "7/1", "8/1", "9/1", "10/1", "11/1"},
              "1,2,3,4,5,6,7,8,9,10,...(11)"}});
  ZetExif numbers = Numbers(5015, {0, 255});
  EXPECT_EQ(FormatValue(tables.defs, context, 0, numbers, kSectionMain), Q("0,255"));
}

TEST(DatesAndNames, DateAloneBlankDateAndNamedUnitValues) {
  test::Tables tables;
  const FormatContext context = MakeFormatContext(German(), 1.0);
  tables.Gps(29, 1);
  EXPECT_EQ(FormatValue(tables.defs, context, 0, Texts(29, {"2012:09:02"}), kSectionGps), Q("02.09.2012"));
  EXPECT_EQ(FormatValue(tables.defs, context, 0, Texts(29, {"0000:00:00"}), kSectionGps), Q("0000:00:00"));
  EXPECT_EQ(FormatValue(tables.defs, context, 0, Texts(29, {"0000:00:00 10:00:00"}), kSectionGps),
            Q("0000:00:00 10:00:00"));
  tables.Makernote(6, 0x2022, 11).addnice(0x20000000, "unendlich");
  const auto distance = [&](std::initializer_list<std::int64_t> values) {
    return FormatValue(tables.defs, context, 6, Numbers(0x2022, values), kSectionMakernote);
  };
  EXPECT_EQ(distance({536870912}), Q("unendlich"));
  EXPECT_EQ(distance({1500}), Q("1500mm"));
  EXPECT_EQ(distance({536870912, 1}), Q("536870912mm,1mm"));
  EXPECT_EQ(FormatValue(tables.defs, context, 0, Texts(37386, {"0/16777216"}), kSectionMain), Q("0.0mm"));
  const FormatContext plain = MakeFormatContext(QLocale::c(), 1.0);
  EXPECT_EQ(FormatValue(tables.defs, plain, 0, Texts(29, {"2012:09:02"}), kSectionGps), Q("02.09.2012"));
}

// Values no rule can compute, under every display code and every tag with rules of its own: no
// column shows a word a number library makes of them ("inf", "nan").
TEST(LibraryWords, NeverReachAColumn) {
  test::Tables tables;
  const FormatContext context = MakeFormatContext(German(), 1e308);
  const std::vector<std::string> odd = {"1/0", "-1/0", "0/0", "99999999999999999999/1", "1e308/1e-308",
                                        "-5/1", "1e400", "0/16777216"};
  const std::vector<std::int32_t> mainTags = {33434, 33437, 37377, 37378, 37381, 37386, 5000};
  for (std::int32_t code : {0, 1, 2, 3, 4, 5, 10, 11, 12, 13, 14, 15}) {
    tables.defs.mainTags.clear();
    tables.defs.gpsTags.clear();
    for (std::int32_t tag : mainTags) tables.Main(tag, code);
    for (std::int32_t tag : {2, 7}) tables.Gps(tag, code);
    for (const std::string& a : odd) {
      for (const std::string& b : odd) {
        ZetExif item = Texts(0, {a, b, a, b});
        for (std::int32_t tag : mainTags) {
          item.tag = tag;
          const QString shown = FormatValue(tables.defs, context, 0, item, kSectionMain);
          EXPECT_FALSE(shown.contains(QStringLiteral("inf"), Qt::CaseInsensitive) ||
                       shown.contains(QStringLiteral("nan"), Qt::CaseInsensitive))
              << "tag " << tag << " code " << code << " " << a << " " << b << ": " << shown.toStdString();
        }
        item.inhalt.pop_back();
        for (std::int32_t tag : {2, 7}) {
          item.tag = tag;
          const QString shown = FormatValue(tables.defs, context, 0, item, kSectionGps);
          EXPECT_FALSE(shown.contains(QStringLiteral("inf"), Qt::CaseInsensitive) ||
                       shown.contains(QStringLiteral("nan"), Qt::CaseInsensitive))
              << "GPS " << tag << " code " << code << ": " << shown.toStdString();
        }
      }
    }
  }
}

}  // namespace
}  // namespace kelmarin
