#pragma once
// EXIF date and time texts ("2004:12:24 18:30:00") as the locale's general date-and-time text.

#include <optional>
#include <string>
#include <string_view>

#include "present/TextLocale.h"

namespace kelmarin {

// Reads year, month, day, hour, minute and second by character position (1-based: 1-4, 6-7,
// 9-10, 12-13, 15-16, 18-19, counted in characters; the separators are not looked at) and composes
// the moment with calendar roll-over: month 13 is January of the next year, day 0 the last day of
// the month before, hour 24 the next day; a year 0 to 29 means 2000 to 2029, 30 to 99 means 1930 to
// 1999. Returns the locale's short date, a space and its long time, or the date alone at exactly
// midnight. A text of at most ten characters is a date alone (midnight). None when a part is missing
// or not a whole number, when year, month and day are all 0 (a date left blank), or when the year
// (given or reached by roll-over) lies outside 100 to 9999.
std::optional<std::string> ExifDateText(std::string_view utf8, const TextLocale& locale);

}  // namespace kelmarin
