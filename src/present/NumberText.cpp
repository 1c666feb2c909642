#include "present/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

namespace kelmarin {

namespace {

// A parsed pattern: literal text before and after one number field.
struct Pattern {
  std::string prefix;
  std::string suffix;
  int minInteger = 0;     // "0" placeholders before the point
  bool grouping = false;  // a "," among the integer placeholders
  bool point = false;     // the pattern has a decimal point
  int minFraction = 0;    // "0" placeholders after the point
  int maxFraction = 0;    // "0" and "#" placeholders after the point
};

Pattern ParsePattern(std::string_view text) {
  Pattern p;
  bool inNumber = false;
  bool afterNumber = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const bool placeholder = c == '0' || c == '#' || c == '.' || (c == ',' && inNumber && !p.point);
    if (placeholder && !afterNumber) {
      inNumber = true;
      if (c == '.') {
        p.point = true;
      } else if (c == ',') {
        p.grouping = true;
      } else if (p.point) {
        ++p.maxFraction;
        if (c == '0') p.minFraction = p.maxFraction;
      } else if (c == '0') {
        ++p.minInteger;
      }
      continue;
    }
    if (inNumber) afterNumber = true;
    std::string& target = afterNumber ? p.suffix : p.prefix;
    if (c == '\\' && i + 1 < text.size()) ++i;
    target += text[i];
  }
  return p;
}

// A non-negative decimal number as digits with the decimal point after `point` of them
// (point may be negative or beyond the digits: missing digits are zeros).
struct Digits {
  std::string digits;
  int point = 0;
};

Digits DigitsOf(double magnitude) {
  Digits d;
  if (magnitude == 0.0) {
    d.digits = "0";
    d.point = 1;
    return d;
  }
  // The shortest text that reads back as the same double is, when it has at most 15 significant
  // digits, the number read to 15 digits (without its trailing zeros): the double lies closer to it
  // than half a unit of the 15th digit. Only a longer one is rounded to 15 digits, which costs more.
  char buffer[64];
  const char* end = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific).ptr;
  std::size_t e = std::string_view(buffer, static_cast<std::size_t>(end - buffer)).find('e');
  if (e > 16) {  // more than 15 digits and the point
    end = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14).ptr;
    e = std::string_view(buffer, static_cast<std::size_t>(end - buffer)).find('e');
  }
  for (std::size_t i = 0; i < e; ++i) {
    if (buffer[i] != '.') d.digits += buffer[i];
  }
  const char* exponent = buffer + e + 1;
  if (*exponent == '+') ++exponent;
  int power = 0;
  std::from_chars(exponent, end, power);
  d.point = power + 1;
  return d;
}

// Rounds half away from zero so that at most `decimals` digits follow the point.
void RoundDigits(Digits& d, int decimals) {
  const long keep = static_cast<long>(d.point) + decimals;
  if (keep >= static_cast<long>(d.digits.size())) return;
  if (keep < 0) {
    d.digits = "0";
    d.point = 1;
    return;
  }
  const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    std::size_t i = d.digits.size();
    while (i > 0 && d.digits[i - 1] == '9') d.digits[--i] = '0';
    if (i == 0) {
      d.digits.insert(d.digits.begin(), '1');
      ++d.point;
    } else {
      ++d.digits[i - 1];
    }
  }
  if (d.digits.empty()) {
    d.digits = "0";
    d.point = 1;
  }
}

bool IsZero(const Digits& d) {
  return d.digits.find_first_not_of('0') == std::string::npos;
}

std::string Assemble(bool negative, Digits d, const Pattern& p, const TextLocale& locale) {
  RoundDigits(d, p.maxFraction);
  std::string integer;
  for (long i = 0; i < d.point; ++i) {
    const auto index = static_cast<std::size_t>(i);
    integer += index < d.digits.size() ? d.digits[index] : '0';
  }
  const std::size_t firstNonZero = integer.find_first_not_of('0');
  integer.erase(0, firstNonZero == std::string::npos ? integer.size() : firstNonZero);
  if (static_cast<int>(integer.size()) < p.minInteger) {
    integer.insert(0, static_cast<std::size_t>(p.minInteger) - integer.size(), '0');
  }
  std::string fraction;
  for (int i = 0; i < p.maxFraction; ++i) {
    const long index = static_cast<long>(d.point) + i;
    const bool inside = index >= 0 && index < static_cast<long>(d.digits.size());
    fraction += inside ? d.digits[static_cast<std::size_t>(index)] : '0';
  }
  while (static_cast<int>(fraction.size()) > p.minFraction && fraction.back() == '0') fraction.pop_back();

  std::string out = p.prefix;
  if (negative && !IsZero(d)) out += '-';
  if (p.grouping && integer.size() > 3) {
    for (std::size_t i = 0; i < integer.size(); ++i) {
      if (i > 0 && (integer.size() - i) % 3 == 0) out += locale.groupSeparator;
      out += integer[i];
    }
  } else {
    out += integer;
  }
  if (p.point) out += locale.decimalPoint;
  out += fraction;
  out += p.suffix;
  return out;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

std::string FormatNumber(double value, std::string_view pattern, const TextLocale& locale) {
  if (!std::isfinite(value)) return {};
  return Assemble(std::signbit(value), DigitsOf(std::fabs(value)), ParsePattern(pattern), locale);
}

std::string FormatNumber(std::int64_t value, std::string_view pattern, const TextLocale& locale) {
  if (pattern == "0") return PlainNumberText(value);  // the common case, without the pattern machinery
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  Digits d;
  d.digits = std::to_string(magnitude);
  d.point = static_cast<int>(d.digits.size());
  return Assemble(value < 0, std::move(d), ParsePattern(pattern), locale);
}

std::string PointForm(std::string text, std::string_view decimalSeparator) {
  if (decimalSeparator.empty() || decimalSeparator == ".") return text;
  for (std::size_t at = text.find(decimalSeparator); at != std::string::npos;
       at = text.find(decimalSeparator, at + 1)) {
    text.replace(at, decimalSeparator.size(), ".");
  }
  return text;
}

std::string PlainNumberText(std::int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, result.ptr);
}

std::string LocaleNumberText(double value, const TextLocale& locale) {
  if (!std::isfinite(value)) return {};
  // The C form with 15 significant digits, then character by character in the locale's symbols.
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string out;
  for (const char* c = buffer; c != result.ptr; ++c) {
    switch (*c) {
      case '.':
        out += locale.decimalPoint;
        break;
      case '-':
        out += locale.minusSign;
        break;
      case '+':
        out += locale.plusSign;
        break;
      case 'e':
        out += locale.exponential;
        break;
      default:
        AppendLocaleDigits(out, locale, *c - '0', 1);
    }
  }
  return out;
}

std::optional<std::int64_t> ParseWholeNumber(std::string_view text) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  auto [stop, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::optional<double> ParseDecimalNumber(std::string_view text) {
  text = Trimmed(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  // from_chars would also read "inf", "nan" and hexadecimal forms: only digits, sign, point, exponent.
  if (text.empty() || text.find_first_not_of("0123456789.-eE+") != std::string_view::npos)
    return std::nullopt;
  if (text.find_first_of("0123456789") == std::string_view::npos) return std::nullopt;
  double value = 0;
  const char* end = text.data() + text.size();
  auto [stop, ec] = std::from_chars(text.data(), end, value);
  if (stop != end || (ec != std::errc() && ec != std::errc::result_out_of_range)) return std::nullopt;
  if (ec == std::errc::result_out_of_range || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace kelmarin
