#pragma once
// EXIF date and time texts ("2004:12:24 18:30:00") as the locale's general date-and-time text.

#include <QLocale>
#include <QString>
#include <optional>

namespace kelmarin {

// Reads year, month, day, hour, minute and second by character position (1-based: 1-4, 6-7,
// 9-10, 12-13, 15-16, 18-19; the separators are not looked at) and composes the moment with
// calendar roll-over: month 13 is January of the next year, day 0 the last day of the month before,
// hour 24 the next day; a year 0 to 29 means 2000 to 2029, 30 to 99 means 1930 to 1999. Returns the
// locale's short date, a space and its long time, or the date alone at exactly midnight.
// A text of at most ten characters is a date alone (midnight). None when a part is missing or not a
// whole number, when year, month and day are all 0 (a date left blank), or when the year (given or
// reached by roll-over) lies outside 100 to 9999.
std::optional<QString> ExifDateText(const QString& text, const QLocale& locale);
// The same with the locale's forms already taken (ShortDateFormat, LongTimeFormat).
std::optional<QString> ExifDateText(const QString& text, const QLocale& locale,
                                    const QString& shortDateFormat, const QString& longTimeFormat);

// The locale's short date form with a four-digit year ("dd.MM.yyyy" in German; the German form in
// the C locale, whose own form names the month in English).
QString ShortDateFormat(const QLocale& locale);
// The locale's long time form without the time zone ("HH:mm:ss" in German).
QString LongTimeFormat(const QLocale& locale);
// The character between hours and minutes in the locale's time form (":" in German).
QString TimeSeparator(const QLocale& locale);

}  // namespace kelmarin
