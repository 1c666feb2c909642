#pragma once
// Display texts' locale and moments from the toolkit's locale and dates.

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

#include "present/TextLocale.h"

namespace kelmarin {

// The locale's symbols, forms and names. The C locale (no language chosen) keeps its own numbers
// but takes the program's own, German, date forms and names (its own name months in English).
// The short date form's two-digit year is widened to four digits (photographs span centuries), the
// long time form loses its time zone.
TextLocale TextLocaleOf(const QLocale& locale);

// The moment as the date shows it (in its own time spec); none for an invalid date.
std::optional<Moment> MomentOf(const QDateTime& dateTime);

}  // namespace kelmarin
