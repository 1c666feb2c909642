#pragma once
// EXIF date and time texts ("2004:12:24 18:30:00") as the locale's general date-and-time text, and
// IPTC dates and times in the same forms.

#include <cstdint>
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

// The dates and times of IPTC record 2 (IIM 4.2: datasets 30, 37, 47, 55 and 62 "CCYYMMDD"; 35,
// 38, 60 and 63 "HHMMSS" with an optional "+HHMM" or "-HHMM" from UTC) in the locale's short date
// and long time forms, the offset as "+01:00" after the time; values of a repeated dataset, joined
// by ",", each so and joined by ", ". None for any other dataset, and for a value that is no real
// date or time (not all digits, month 13, 30 February, hour 24, an offset beyond 14 hours).
std::optional<std::string> IptcDateText(std::int32_t dataset, std::string_view text,
                                        const TextLocale& locale);

}  // namespace kelmarin
