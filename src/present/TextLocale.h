#pragma once
// The locale's characters, forms and names that display texts use, toolkit-free: the window takes
// them from the toolkit's locale (present/qt/QtTextLocale.h), the command-line lister from a copy it
// keeps, so that listing plain text needs no toolkit at all.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelmarin {

// Every text is UTF-8. The defaults are the program's own, German, forms.
struct TextLocale {
  std::string decimalPoint = ",";
  std::string groupSeparator = ".";
  // The locale's digit zero (the others follow it in Unicode), its signs and exponent mark: dates
  // and the locale number text (LocaleNumberText) are written with them.
  std::string zeroDigit = "0";
  std::string minusSign = "-";
  std::string plusSign = "+";
  std::string exponential = "e";
  // Date and time forms in the toolkit's pattern language (d dd ddd dddd M MM MMM MMMM yy yyyy,
  // H HH h hh m mm s ss, AP ap A a, text in single quotes): the short date with a four-digit year,
  // the long time without its time zone.
  std::string shortDateFormat = "dd.MM.yyyy";
  std::string longTimeFormat = "HH:mm:ss";
  std::string timeSeparator = ":";  // between hours and minutes in the short time form
  // Before and after noon: as the locale writes them, in capitals and in small letters.
  std::array<std::string, 6> dayPeriods = {"AM", "PM", "AM", "PM", "am", "pm"};
  // Names, January and Monday first.
  std::array<std::string, 12> monthNames = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                                            "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
  std::array<std::string, 12> shortMonthNames = {"Jan.", "Feb.",  "März",  "Apr.", "Mai",  "Juni",
                                                 "Juli", "Aug.",  "Sept.", "Okt.", "Nov.", "Dez."};
  std::array<std::string, 7> dayNames = {"Montag",  "Dienstag", "Mittwoch", "Donnerstag",
                                         "Freitag", "Samstag",  "Sonntag"};
  std::array<std::string, 7> shortDayNames = {"Mo.", "Di.", "Mi.", "Do.", "Fr.", "Sa.", "So."};
};

// A moment of the Gregorian calendar (proleptic before 1582), without time zone.
struct Moment {
  std::int32_t year = 1970;
  std::int32_t month = 1;  // 1 to 12
  std::int32_t day = 1;
  std::int32_t hour = 0;
  std::int32_t minute = 0;
  std::int32_t second = 0;
};

// Days since 1970-01-01 of a date, and the date of a day number (month and day may lie outside their
// ranges in DaysFromCivil: month 13 is January of the next year, day 0 the last day of the month
// before).
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day);
Moment MomentOfSeconds(std::int64_t secondsSince1970);
// 1 = Monday ... 7 = Sunday.
std::int32_t DayOfWeek(const Moment& moment);

// Which fields of a form are read: a date form leaves the time's letters as they stand and the other
// way round.
enum class MomentFields { Date, Time, Both };

// The moment in the form, as the toolkit's date and time formatting writes it: numbers with the
// locale's digits, names from the locale, quoted text without its quotes ("''" is one quote).
std::string FormatMoment(const TextLocale& locale, const Moment& moment, std::string_view format,
                         MomentFields fields);

// The locale in a file's form and back: a header line with the key, then one line per text. None
// for a file of another key, form or length, a text with a line break or one that is no UTF-8.
std::optional<std::string> LocaleFileText(const TextLocale& locale, std::string_view key);
std::optional<TextLocale> ParseLocaleFile(std::string_view text, std::string_view key);

// A whole number 0 or above, zero-padded to `width` digits, in the locale's digits.
void AppendLocaleDigits(std::string& out, const TextLocale& locale, std::int64_t value, int width);

}  // namespace kelmarin
