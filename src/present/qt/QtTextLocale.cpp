#include "present/qt/QtTextLocale.h"

namespace kelmarin {

namespace {

// Removes every unquoted character `c` of a date/time form.
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

QString ShortDateFormat(const QLocale& locale) {
  QString format = locale.dateFormat(QLocale::ShortFormat);
  if (format.contains(QStringLiteral("yyyy"))) return format;
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

// The character between hours and minutes in the locale's short time form.
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

}  // namespace

TextLocale TextLocaleOf(const QLocale& locale) {
  TextLocale texts;
  texts.decimalPoint = locale.decimalPoint().toStdString();
  texts.groupSeparator = locale.groupSeparator().toStdString();
  texts.zeroDigit = locale.zeroDigit().toStdString();
  texts.minusSign = locale.negativeSign().toStdString();
  texts.plusSign = locale.positiveSign().toStdString();
  // The exponent mark as the general number form writes it: what stands between "1" and "+20".
  QLocale plain = locale;
  plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
  const QString large = plain.toString(1e20, 'g', 15);
  const qsizetype head = plain.toString(1).size();
  const qsizetype tail = locale.positiveSign().size() + plain.toString(20).size();
  texts.exponential = large.mid(head, large.size() - head - tail).toStdString();
  texts.timeSeparator = TimeSeparator(locale).toStdString();

  const QLocale names = locale.language() == QLocale::C ? QLocale(QLocale::German, QLocale::Germany) : locale;
  texts.shortDateFormat = ShortDateFormat(names).toStdString();
  texts.longTimeFormat = LongTimeFormat(names).toStdString();
  texts.dayPeriods = {names.amText().toStdString(),           names.pmText().toStdString(),
                      names.amText().toUpper().toStdString(), names.pmText().toUpper().toStdString(),
                      names.amText().toLower().toStdString(), names.pmText().toLower().toStdString()};
  for (int month = 1; month <= 12; ++month) {
    texts.monthNames[static_cast<std::size_t>(month - 1)] = names.monthName(month).toStdString();
    texts.shortMonthNames[static_cast<std::size_t>(month - 1)] =
        names.monthName(month, QLocale::ShortFormat).toStdString();
  }
  for (int day = 1; day <= 7; ++day) {
    texts.dayNames[static_cast<std::size_t>(day - 1)] = names.dayName(day).toStdString();
    texts.shortDayNames[static_cast<std::size_t>(day - 1)] = names.dayName(day, QLocale::ShortFormat).toStdString();
  }
  return texts;
}

std::optional<Moment> MomentOf(const QDateTime& dateTime) {
  if (!dateTime.isValid()) return std::nullopt;
  const QDate date = dateTime.date();
  const QTime time = dateTime.time();
  return Moment{date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

}  // namespace kelmarin
