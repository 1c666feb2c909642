// IPTC dates and times in the locale's forms; values that are no real date or time stay as stored.
#include <gtest/gtest.h>

#include <QLocale>

#include "present/DateText.h"
#include "present/qt/QtTextLocale.h"

namespace kelmarin {
namespace {

TEST(IptcDateText, RealDatesAndTimesOfTheDateDatasetsOnly) {
  const TextLocale german = TextLocaleOf(QLocale(QLocale::German, QLocale::Germany));
  const std::tuple<std::int32_t, const char*, const char*> cases[] = {
      {55, "19920101", "01.01.1992"},
      {30, "20240229", "29.02.2024"},
      {47, "19920101,20010911", "01.01.1992, 11.09.2001"},
      {60, "021111+0100", "02:11:11 +01:00"},
      {35, "235959-0530", "23:59:59 -05:30"},
      {63, "000000", "00:00:00"},
      {55, "20230229", ""},
      {55, "19920100", ""},
      {55, "1992-01-01", ""},
      {47, "19920101,x", ""},
      {60, "240000", ""},
      {60, "021111+1500", ""},
      {60, "021111*0100", ""},
      {5, "19920101", ""}};
  for (const auto& [dataset, stored, shown] : cases)
    EXPECT_EQ(IptcDateText(dataset, stored, german).value_or(""), shown) << dataset << " " << stored;
  const TextLocale us = TextLocaleOf(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(IptcDateText(55, "19920131", us).value_or(""), "1/31/1992");
}

}  // namespace
}  // namespace kelmarin
