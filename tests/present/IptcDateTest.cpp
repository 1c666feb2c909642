// IPTC dates and times in the locale's forms: the datasets that hold them, real days and times only,
// offsets from UTC, repeated datasets; another locale's forms.
#include <gtest/gtest.h>

#include <QLocale>

#include "present/DateText.h"
#include "present/qt/QtTextLocale.h"

namespace kelmarin {
namespace {

struct IptcCase {
  std::int32_t dataset;
  const char* stored;
  const char* shown;  // null: shown as stored
};

TEST(IptcDateText, DatesAndTimesInTheGermanForms) {
  const TextLocale german = TextLocaleOf(QLocale(QLocale::German, QLocale::Germany));
  const IptcCase cases[] = {
      {55, "19920101", "01.01.1992"},
      {30, "20240229", "29.02.2024"},
      {62, "20231231", "31.12.2023"},
      {47, "19920101,20010911", "01.01.1992, 11.09.2001"},
      {60, "021111+0100", "02:11:11 +01:00"},
      {35, "235959-0530", "23:59:59 -05:30"},
      {63, "000000", "00:00:00"},
      {38, "120000+1400", "12:00:00 +14:00"},
      {55, "20230229", nullptr},  // no 29 February in 2023
      {55, "19921301", nullptr},
      {55, "19920100", nullptr},  // day left unknown
      {55, "00000000", nullptr},
      {55, "1992010", nullptr},
      {55, "1992-01-01", nullptr},
      {55, "19920101,x", nullptr},
      {60, "240000+0000", nullptr},
      {60, "126000", nullptr},
      {60, "021111+1500", nullptr},
      {60, "021111*0100", nullptr},
      {60, "021111+01", nullptr},
      {5, "19920101", nullptr},  // a title that looks like a date
      {80, "021111+0100", nullptr},
  };
  for (const IptcCase& c : cases) {
    const std::optional<std::string> shown = IptcDateText(c.dataset, c.stored, german);
    EXPECT_EQ(shown.value_or("(as stored)"), c.shown != nullptr ? c.shown : "(as stored)")
        << c.dataset << " " << c.stored;
  }
}

TEST(IptcDateText, FollowsTheLocale) {
  const TextLocale us = TextLocaleOf(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(IptcDateText(55, "19920131", us).value_or(""), "1/31/1992");
  EXPECT_EQ(IptcDateText(60, "141111+0100", us).value_or(""), "2:11:11 PM +01:00");
}

}  // namespace
}  // namespace kelmarin
