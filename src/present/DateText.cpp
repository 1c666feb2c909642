#include "present/DateText.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "metadata/Text.h"

namespace kelmarin {

namespace {

constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;

// The text's characters as UTF-16 code units, the unit its positions count in. The text is valid
// UTF-8 (image texts are made so).
std::u16string Utf16(std::string_view utf8) {
  std::u16string units;
  units.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t point = NextCodePoint(utf8, i);
    if (point >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(point);
    }
  }
  return units;
}

// Characters `start` (1-based) to start + length - 1, as many as there are, read as
// ParseWholeNumber reads a text (spaces around, an optional sign, digits).
std::optional<std::int64_t> PartAt(std::u16string_view text, std::size_t start, std::size_t length) {
  if (start - 1 >= text.size()) return std::nullopt;
  std::u16string_view part = text.substr(start - 1, length);
  while (!part.empty() && part.front() == u' ') part.remove_prefix(1);
  while (!part.empty() && part.back() == u' ') part.remove_suffix(1);
  bool negative = false;
  if (!part.empty() && (part.front() == u'+' || part.front() == u'-')) {
    negative = part.front() == u'-';
    part.remove_prefix(1);
  }
  if (part.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char16_t c : part) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  return negative ? -value : value;
}

// The digits of text as a number; none unless every character is one.
std::optional<std::int32_t> Digits(std::string_view text) {
  if (text.empty()) return std::nullopt;
  std::int32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::optional<std::string> IptcDate(std::string_view text, const TextLocale& locale) {
  const auto year = text.size() == 8 ? Digits(text.substr(0, 4)) : std::nullopt;
  const auto month = text.size() == 8 ? Digits(text.substr(4, 2)) : std::nullopt;
  const auto day = text.size() == 8 ? Digits(text.substr(6, 2)) : std::nullopt;
  if (!year || !month || !day || *year == 0) return std::nullopt;
  // A real day only: the moment of the day must be the day written.
  const Moment moment = MomentOfSeconds(DaysFromCivil(*year, *month, *day) * 86400);
  if (moment.month != *month || moment.day != *day) return std::nullopt;
  return FormatMoment(locale, moment, locale.shortDateFormat, MomentFields::Date);
}

std::optional<std::string> IptcTime(std::string_view text, const TextLocale& locale) {
  if (text.size() != 6 && text.size() != 11) return std::nullopt;
  const auto hour = Digits(text.substr(0, 2));
  const auto minute = Digits(text.substr(2, 2));
  const auto second = Digits(text.substr(4, 2));
  if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  Moment moment;
  moment.hour = *hour;
  moment.minute = *minute;
  moment.second = *second;
  std::string result = FormatMoment(locale, moment, locale.longTimeFormat, MomentFields::Time);
  if (text.size() == 6) return result;
  const auto zoneHour = Digits(text.substr(7, 2));
  const auto zoneMinute = Digits(text.substr(9, 2));
  constexpr std::int32_t kMaxOffsetHours = 14;  // UTC+14:00, the farthest zone in use
  if ((text[6] != '+' && text[6] != '-') || !zoneHour || !zoneMinute || *zoneHour > kMaxOffsetHours ||
      *zoneMinute > 59) {
    return std::nullopt;
  }
  result += ' ';
  result += text[6] == '+' ? locale.plusSign : locale.minusSign;
  AppendLocaleDigits(result, locale, *zoneHour, 2);
  result += locale.timeSeparator;
  AppendLocaleDigits(result, locale, *zoneMinute, 2);
  return result;
}

}  // namespace

std::optional<std::string> IptcDateText(std::int32_t dataset, std::string_view text,
                                        const TextLocale& locale) {
  using Reader = std::optional<std::string> (*)(std::string_view, const TextLocale&);
  // Release, expiration, reference, creation and digital creation dates; release, expiration,
  // creation and digital creation times.
  static constexpr std::array<std::pair<std::int32_t, Reader>, 9> kMoments = {{{30, IptcDate},
                                                                               {37, IptcDate},
                                                                               {47, IptcDate},
                                                                               {55, IptcDate},
                                                                               {62, IptcDate},
                                                                               {35, IptcTime},
                                                                               {38, IptcTime},
                                                                               {60, IptcTime},
                                                                               {63, IptcTime}}};
  const auto found = std::find_if(kMoments.begin(), kMoments.end(),
                                  [dataset](const auto& moment) { return moment.first == dataset; });
  if (found == kMoments.end()) return std::nullopt;
  const Reader part = found->second;
  std::string result;
  for (std::size_t start = 0;;) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::optional<std::string> one = part(text.substr(start, comma - start), locale);
    if (!one) return std::nullopt;
    if (start > 0) result += ", ";
    result += *one;
    if (comma == text.size()) return result;
    start = comma + 1;
  }
}

std::optional<std::string> ExifDateText(std::string_view utf8, const TextLocale& locale) {
  static constexpr std::array<std::array<std::size_t, 2>, 6> kParts = {
      {{1, 4}, {6, 2}, {9, 2}, {12, 2}, {15, 2}, {18, 2}}};
  const std::u16string text = Utf16(utf8);
  // A date without a time ("2012:09:02", the GPS date) is that day at midnight.
  constexpr std::size_t kDateLength = 10;
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
  const std::int64_t seconds =
      DaysFromCivil(year, value[1], value[2]) * 86400 + value[3] * 3600 + value[4] * 60 + value[5];
  const Moment moment = MomentOfSeconds(seconds);
  if (moment.year < kMinYear || moment.year > kMaxYear) return std::nullopt;
  std::string result = FormatMoment(locale, moment, locale.shortDateFormat, MomentFields::Date);
  if (moment.hour != 0 || moment.minute != 0 || moment.second != 0) {
    result += ' ';
    result += FormatMoment(locale, moment, locale.longTimeFormat, MomentFields::Time);
  }
  return result;
}

}  // namespace kelmarin
