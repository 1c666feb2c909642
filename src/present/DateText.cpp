#include "present/DateText.h"

#include <QDateTime>
#include <array>
#include <string_view>

#include "present/NumberText.h"

namespace kelmarin {

namespace {

constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;

// Characters `start` (1-based) to start + length - 1, as many as there are, read as
// ParseWholeNumber reads a text (spaces around, an optional sign, digits), without a copy.
std::optional<std::int64_t> PartAt(QStringView text, qsizetype start, qsizetype length) {
  QStringView part = text.mid(start - 1, length);
  while (!part.isEmpty() && part.front() == u' ') part = part.mid(1);
  while (!part.isEmpty() && part.back() == u' ') part.chop(1);
  bool negative = false;
  if (!part.isEmpty() && (part.front() == u'+' || part.front() == u'-')) {
    negative = part.front() == u'-';
    part = part.mid(1);
  }
  if (part.isEmpty()) return std::nullopt;
  std::int64_t value = 0;
  for (QChar c : part) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c.unicode() - u'0');
  }
  return negative ? -value : value;
}

// Removes every unquoted character `c` of a Qt date/time format.
QString RemoveUnquoted(const QString& format, QChar c) {
  QString out;
  bool quoted = false;
  for (QChar ch : format) {
    if (ch == QLatin1Char('\'')) quoted = !quoted;
    if (!quoted && ch == c) continue;
    out += ch;
  }
  return out;
}

// The moment in a date or time form made only of numeric fields (d dd M MM yy yyyy H HH h hh m mm
// s ss) and literal punctuation, as QLocale::toString gives it, without its per-call parsing; none
// for any other form (names, AM/PM, quoted text), which QLocale then handles.
std::optional<QString> NumericForm(const QDateTime& moment, const QString& format) {
  static constexpr char16_t kFields[] = u"dMyHhms";
  QString out;
  for (qsizetype i = 0; i < format.size();) {
    const QChar c = format[i];
    if (c.isLetter() || c == QLatin1Char('\'')) {
      if (std::u16string_view(kFields).find(c.unicode()) == std::u16string_view::npos) return std::nullopt;
      qsizetype run = 1;
      while (i + run < format.size() && format[i + run] == c) ++run;
      const QDate date = moment.date();
      const QTime time = moment.time();
      int value = 0;
      switch (c.unicode()) {
        case u'd':
          value = date.day();
          break;
        case u'M':
          value = date.month();
          break;
        case u'y':
          value = run == 2 ? date.year() % 100 : date.year();
          break;
        case u'H':
        case u'h':
          value = time.hour();
          break;  // no AM/PM here: "h" counts 0 to 23 too
        case u'm':
          value = time.minute();
          break;
        default:
          value = time.second();
          break;
      }
      if (run > 2 && !(c == QLatin1Char('y') && run == 4)) return std::nullopt;
      if (c == QLatin1Char('y') && run != 2 && run != 4) return std::nullopt;
      // Zero-padded to the field's width (values are 0 to 9999 here).
      char digits[8];
      int count = 0;
      do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
      } while (value > 0);
      for (int pad = count; pad < run; ++pad) out += QLatin1Char('0');
      while (count > 0) out += QLatin1Char(digits[--count]);
      i += run;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

QString FormatMoment(const QLocale& locale, const QDateTime& moment, const QString& format, bool date) {
  if (locale.zeroDigit() == QStringLiteral("0")) {
    if (auto fast = NumericForm(moment, format)) return *fast;
  }
  return date ? locale.toString(moment.date(), format) : locale.toString(moment.time(), format);
}

}  // namespace

QString ShortDateFormat(const QLocale& locale) {
  // The C locale (no language chosen) names the month in English ("9 Feb 2004"); without a
  // language of the user's, dates take the program's own, German, form.
  if (locale.language() == QLocale::C) return ShortDateFormat(QLocale(QLocale::German, QLocale::Germany));
  QString format = locale.dateFormat(QLocale::ShortFormat);
  if (format.contains(QStringLiteral("yyyy"))) return format;
  // Two-digit years are ambiguous for photographs spanning a century: widen them.
  const qsizetype at = format.indexOf(QStringLiteral("yy"));
  if (at >= 0) format.replace(at, 2, QStringLiteral("yyyy"));
  return format;
}

QString LongTimeFormat(const QLocale& locale) {
  QString format = RemoveUnquoted(locale.timeFormat(QLocale::LongFormat), QLatin1Char('t'));
  format.remove(QStringLiteral("()"));
  format.remove(QStringLiteral("[]"));
  format = format.trimmed();
  while (format.endsWith(QLatin1Char(','))) format = format.left(format.size() - 1).trimmed();
  return format;
}

QString TimeSeparator(const QLocale& locale) {
  const QString format = locale.timeFormat(QLocale::ShortFormat);
  qsizetype i = 0;
  while (i < format.size() && format[i] != QLatin1Char('h') && format[i] != QLatin1Char('H')) ++i;
  while (i < format.size() && (format[i] == QLatin1Char('h') || format[i] == QLatin1Char('H'))) ++i;
  if (i < format.size() && format[i] != QLatin1Char('m') && format[i] != QLatin1Char('\'')) {
    return QString(format[i]);
  }
  return QStringLiteral(":");
}

std::optional<QString> ExifDateText(const QString& text, const QLocale& locale) {
  return ExifDateText(text, locale, ShortDateFormat(locale), LongTimeFormat(locale));
}

std::optional<QString> ExifDateText(const QString& text, const QLocale& locale,
                                    const QString& shortDateFormat, const QString& longTimeFormat) {
  static constexpr std::array<std::array<qsizetype, 2>, 6> kParts = {
      {{1, 4}, {6, 2}, {9, 2}, {12, 2}, {15, 2}, {18, 2}}};
  // A date without a time ("2012:09:02", the GPS date) is that day at midnight.
  constexpr qsizetype kDateLength = 10;
  const std::size_t parts = text.size() <= kDateLength ? 3 : kParts.size();
  std::array<std::int64_t, 6> value{};
  for (std::size_t i = 0; i < parts; ++i) {
    const auto part = PartAt(text, kParts[i][0], kParts[i][1]);
    if (!part) return std::nullopt;
    value[i] = *part;
  }
  // "0000:00:00" is a date left blank: there is no day to roll over to.
  if (value[0] == 0 && value[1] == 0 && value[2] == 0) return std::nullopt;
  std::int64_t year = value[0];
  if (year >= 0 && year <= 29) year += 2000;
  if (year >= 30 && year <= 99) year += 1900;
  if (year < kMinYear || year > kMaxYear) return std::nullopt;

  // Every part has at most four characters, so the sums below cannot overflow.
  const QDate date =
      QDate(static_cast<int>(year), 1, 1).addMonths(static_cast<int>(value[1] - 1)).addDays(value[2] - 1);
  // UTC: no local-time gap or fold can move the composed moment.
  const QDateTime moment =
      QDateTime(date, QTime(0, 0), Qt::UTC).addSecs(value[3] * 3600 + value[4] * 60 + value[5]);
  if (!moment.isValid() || moment.date().year() < kMinYear || moment.date().year() > kMaxYear) {
    return std::nullopt;
  }
  QString result = FormatMoment(locale, moment, shortDateFormat, true);
  if (moment.time() != QTime(0, 0)) {
    result += QLatin1Char(' ');
    result += FormatMoment(locale, moment, longTimeFormat, false);
  }
  return result;
}

}  // namespace kelmarin
