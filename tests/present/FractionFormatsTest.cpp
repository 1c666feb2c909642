// Display codes of fraction lists (4 lens range, 5 time of day, 15 list), dates without a time or
// left blank, value names under a unit code, a focal length of 0, and no English month or weekday
// names in the C locale.
#include <gtest/gtest.h>

#include <vector>

#include "PresentTestSupport.h"
#include "present/InfoLabels.h"

namespace kelmarin {
namespace {

struct Case {
  std::int32_t section, tag, code;
  std::vector<std::string> values;  // "#" before a value makes a number list
  const char* expected;
};

TEST(FractionFormats, ByDisplayCode) {
  const Case cases[] = {
      {kSectionMain, 42034, 4, {"18/1", "70/1", "35/10", "45/10"}, "18-70mm f/3.5-4.5"},
      {kSectionMain, 42034, 4, {"415/100", "415/100", "22/10", "22/10"}, "4.15mm f/2.2"},
      {kSectionMain, 42034, 4, {"60/10", "225/10", "0/0", "0/0"}, "6-22.5mm f/?"},
      {kSectionMain, 42034, 4, {"18/1", "x", "35/10", "45/10"}, "18,x,3.5,4.5"},
      {kSectionMain, 42034, 4, {"18/1", "70/1", "35/10"}, "18,70,3.5"},
      {kSectionGps, 7, 5, {"17/1", "17/1", "5865/100"}, "17:17:58.65"},
      {kSectionGps, 7, 5, {"7/1", "5/1", "4090/100"}, "07:05:40.90"},
      {kSectionGps, 7, 5, {"7/1", "5/1", "4000/100"}, "07:05:40"},
      {kSectionGps, 7, 5, {"14/1", "50/1", "61/3"}, "14:50:20.333"},
      {kSectionGps, 7, 5, {"14/1", "305/10", "0/1"}, "14,30.5,0"},
      {kSectionGps, 7, 5, {"14/1", "30/1"}, "14,30"},
      {kSectionMain, 318, 15, {"3127/10000", "-3/2", "255/1", "1/0"}, "0.3127,-1.5,255,1/0"},
      {kSectionMain,
       318,
       15,
       {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "x"},
       "1,2,3,4,5,6,7,8,9,0,...(11)"},
      {kSectionGps, 29, 1, {"2012:09:02"}, "02.09.2012"},
      {kSectionGps, 29, 1, {"0000:00:00 10:00:00"}, "0000:00:00 10:00:00"},
      {kSectionMakernote, 0x2022, 11, {"#536870912"}, "unendlich"},
      {kSectionMakernote, 0x2022, 11, {"#536870912", "#1"}, "536870912mm,1mm"},
      {kSectionMain, 37386, 0, {"0/16777216"}, "0.0mm"},
  };
  // German has a decimal comma; the C locale's own dates name the month in English.
  for (const Case& c : cases)
    for (const QLocale& locale : {test::German(), QLocale::c()}) {
      test::Tables tables;
      if (c.section == kSectionGps) tables.Gps(c.tag, c.code);
      if (c.section == kSectionMain) tables.Main(c.tag, c.code);
      if (c.section == kSectionMakernote) tables.Makernote(6, c.tag, c.code).addnice(0x20000000, "unendlich");
      ZetExif item = test::Texts(c.tag, {});
      for (const std::string& v : c.values) {
        if (v[0] == '#') item.typ = kTypNumbers;
        item.inhalt.push_back(v[0] == '#' ? ExifValue(std::int64_t{std::stoll(v.substr(1))}) : ExifValue(v));
      }
      EXPECT_EQ(FormatValue(tables.defs, MakeFormatContext(locale, 1.0), 6, item, c.section),
                test::Q(c.expected))
          << c.values[0] << " " << locale.name().toStdString();
    }
  const QDateTime modified(QDate(2004, 12, 24), QTime(18, 5, 9));
  EXPECT_EQ(MakeInfoLabels(QLocale::c(), "a", "jpg", modified, 1, 1, 1, 1).modified,
            test::Q("zuletzt geändert: Freitag, 24.12.2004 18:05:09"));
}

}  // namespace
}  // namespace kelmarin
