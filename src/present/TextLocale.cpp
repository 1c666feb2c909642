#include "present/TextLocale.h"

#include "metadata/Text.h"

namespace kelmarin {

namespace {

// How often the character at `at` repeats from there on.
std::size_t RunLength(std::string_view format, std::size_t at) {
  std::size_t run = 1;
  while (at + run < format.size() && format[at + run] == format[at]) ++run;
  return run;
}

// Quoted text from the quote at `at`: its characters ("''" inside is one quote; "''" alone is a
// quote); `at` is moved past the closing quote.
std::string QuotedText(std::string_view format, std::size_t& at) {
  ++at;
  if (at == format.size()) return {};
  if (format[at] == '\'') {
    ++at;
    return "'";
  }
  std::string text;
  while (at < format.size()) {
    if (format[at] == '\'') {
      if (at + 1 < format.size() && format[at + 1] == '\'') {
        text += '\'';
        at += 2;
        continue;
      }
      break;
    }
    text += format[at++];
  }
  if (at < format.size()) ++at;
  return text;
}

// True when the form has an unquoted AM/PM mark: its "h" then counts 1 to 12.
bool HasDayPeriod(std::string_view format) {
  for (std::size_t i = 0; i < format.size();) {
    if (format[i] == '\'') {
      QuotedText(format, i);
      continue;
    }
    if (format[i] == 'a' || format[i] == 'A') return true;
    ++i;
  }
  return false;
}

constexpr std::string_view kLocaleFileHeader = "kelmarin-locale 1 ";

// Every text of the locale, in the file's order.
template <typename Locale, typename Visit>
void ForEachText(Locale& locale, Visit visit) {
  for (auto* text : {&locale.decimalPoint, &locale.groupSeparator, &locale.zeroDigit, &locale.minusSign,
                     &locale.plusSign, &locale.exponential, &locale.shortDateFormat, &locale.longTimeFormat,
                     &locale.timeSeparator}) {
    visit(*text);
  }
  for (auto& text : locale.dayPeriods) visit(text);
  for (auto& text : locale.monthNames) visit(text);
  for (auto& text : locale.shortMonthNames) visit(text);
  for (auto& text : locale.dayNames) visit(text);
  for (auto& text : locale.shortDayNames) visit(text);
}

}  // namespace

std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
  // Months counted from March, so that the leap day ends the year.
  year += (month - 1 >= 0 ? (month - 1) / 12 : -((12 - month) / 12));
  month = ((month - 1) % 12 + 12) % 12 + 1;
  if (month <= 2) --year;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468 + (day - 1);
}

Moment MomentOfSeconds(std::int64_t secondsSince1970) {
  std::int64_t days = secondsSince1970 / 86400;
  std::int64_t rest = secondsSince1970 % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
  Moment moment;
  moment.day = static_cast<std::int32_t>(dayOfYear - (153 * shifted + 2) / 5 + 1);
  moment.month = static_cast<std::int32_t>(shifted < 10 ? shifted + 3 : shifted - 9);
  moment.year = static_cast<std::int32_t>(yearOfEra + era * 400 + (moment.month <= 2 ? 1 : 0));
  moment.hour = static_cast<std::int32_t>(rest / 3600);
  moment.minute = static_cast<std::int32_t>(rest / 60 % 60);
  moment.second = static_cast<std::int32_t>(rest % 60);
  return moment;
}

std::int32_t DayOfWeek(const Moment& moment) {
  // 1970-01-01 was a Thursday.
  const std::int64_t days = DaysFromCivil(moment.year, moment.month, moment.day);
  return static_cast<std::int32_t>(((days + 3) % 7 + 7) % 7 + 1);
}

void AppendLocaleDigits(std::string& out, const TextLocale& locale, std::int64_t value, int width) {
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value > 0 && count < 20);
  std::size_t first = 0;
  const char32_t zero = locale.zeroDigit.empty() ? U'0' : NextCodePoint(locale.zeroDigit, first);
  const auto put = [&](char digit) {
    if (zero == U'0' || zero == 0) {
      out += digit;
    } else {
      AppendUtf8(out, zero + static_cast<char32_t>(digit - '0'));
    }
  };
  for (int pad = count; pad < width; ++pad) put('0');
  while (count > 0) put(digits[--count]);
}

std::string FormatMoment(const TextLocale& locale, const Moment& moment, std::string_view format,
                         MomentFields fields) {
  const bool date = fields != MomentFields::Time;
  const bool time = fields != MomentFields::Date;
  std::string out;
  for (std::size_t i = 0; i < format.size();) {
    const char c = format[i];
    if (c == '\'') {
      out += QuotedText(format, i);
      continue;
    }
    std::size_t run = RunLength(format, i);
    bool used = true;
    if (date && c == 'y') {
      if (run >= 4) {
        run = 4;
        AppendLocaleDigits(out, locale, moment.year, 4);
      } else if (run >= 2) {
        run = 2;
        AppendLocaleDigits(out, locale, moment.year % 100, 2);
      } else {
        out += c;
      }
    } else if (date && (c == 'M' || c == 'd')) {
      run = std::min<std::size_t>(run, 4);
      const bool month = c == 'M';
      if (run <= 2) {
        AppendLocaleDigits(out, locale, month ? moment.month : moment.day, static_cast<int>(run));
      } else if (month) {
        out += (run == 3 ? locale.shortMonthNames : locale.monthNames)[static_cast<std::size_t>(moment.month - 1)];
      } else {
        const auto weekday = static_cast<std::size_t>(DayOfWeek(moment) - 1);
        out += (run == 3 ? locale.shortDayNames : locale.dayNames)[weekday];
      }
    } else if (time && (c == 'h' || c == 'H' || c == 'm' || c == 's')) {
      run = std::min<std::size_t>(run, 2);
      std::int32_t value = c == 'm' ? moment.minute : c == 's' ? moment.second : moment.hour;
      if (c == 'h' && HasDayPeriod(format)) value = value > 12 ? value - 12 : value == 0 ? 12 : value;
      AppendLocaleDigits(out, locale, value, static_cast<int>(run));
    } else if (time && (c == 'a' || c == 'A')) {
      // "AP"/"A" in capitals, "ap"/"a" in small letters, "Ap"/"aP" as the locale writes it.
      const bool pair = i + 1 < format.size() && (format[i + 1] == 'p' || format[i + 1] == 'P');
      run = pair ? 2 : 1;
      const std::size_t afternoon = moment.hour < 12 ? 0 : 1;
      std::size_t form = 0;
      if (c == 'A' && (!pair || format[i + 1] == 'P')) form = 2;
      if (c == 'a' && (!pair || format[i + 1] == 'p')) form = 4;
      out += locale.dayPeriods[form + afternoon];
    } else if (time && c == 'z') {
      // Milliseconds: a moment here has whole seconds.
      run = run >= 3 ? 3 : 1;
      AppendLocaleDigits(out, locale, 0, static_cast<int>(run));
    } else {
      used = false;
    }
    if (!used) out.append(run, c);
    i += run;
  }
  return out;
}

std::optional<std::string> LocaleFileText(const TextLocale& locale, std::string_view key) {
  std::string text = std::string(kLocaleFileHeader) + std::string(key) + '\n';
  bool clean = key.find('\n') == std::string_view::npos;
  ForEachText(locale, [&](const std::string& value) {
    clean = clean && value.find('\n') == std::string::npos;
    text += value;
    text += '\n';
  });
  if (!clean) return std::nullopt;
  return text;
}

std::optional<TextLocale> ParseLocaleFile(std::string_view text, std::string_view key) {
  const std::string header = std::string(kLocaleFileHeader) + std::string(key) + '\n';
  if (text.substr(0, header.size()) != header) return std::nullopt;
  text.remove_prefix(header.size());
  TextLocale locale;
  bool complete = true;
  ForEachText(locale, [&](std::string& value) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos || !IsValidUtf8(text.substr(0, end))) {
      complete = false;
      return;
    }
    value = std::string(text.substr(0, end));
    text.remove_prefix(end + 1);
  });
  if (!complete || !text.empty()) return std::nullopt;
  return locale;
}

}  // namespace kelmarin
