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
  QString prefix;
  QString suffix;
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
    QString& target = afterNumber ? p.suffix : p.prefix;
    if (c == '\\' && i + 1 < text.size()) ++i;
    target += QLatin1Char(text[i]);
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
  char buffer[64];
  auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14);
  const std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
  const std::size_t e = text.find('e');
  for (std::size_t i = 0; i < e; ++i) {
    if (text[i] != '.') d.digits += text[i];
  }
  d.point = std::atoi(std::string(text.substr(e + 1)).c_str()) + 1;
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

QString Assemble(bool negative, Digits d, const Pattern& p, const NumberSymbols& symbols) {
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

  QString out = p.prefix;
  if (negative && !IsZero(d)) out += QLatin1Char('-');
  if (p.grouping && integer.size() > 3) {
    const QString& group = symbols.groupSeparator;
    for (std::size_t i = 0; i < integer.size(); ++i) {
      if (i > 0 && (integer.size() - i) % 3 == 0) out += group;
      out += QLatin1Char(integer[i]);
    }
  } else {
    out += QLatin1StringView(integer.data(), static_cast<qsizetype>(integer.size()));
  }
  if (p.point) out += symbols.decimalPoint;
  out += QLatin1StringView(fraction.data(), static_cast<qsizetype>(fraction.size()));
  out += p.suffix;
  return out;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

NumberSymbols LocaleNumberSymbols(const QLocale& locale) {
  return {locale.decimalPoint(), locale.groupSeparator()};
}

QString FormatNumber(double value, std::string_view pattern, const NumberSymbols& symbols) {
  if (!std::isfinite(value)) return {};
  return Assemble(std::signbit(value), DigitsOf(std::fabs(value)), ParsePattern(pattern), symbols);
}

QString FormatNumber(double value, std::string_view pattern, const QLocale& locale) {
  return FormatNumber(value, pattern, LocaleNumberSymbols(locale));
}

QString FormatNumber(std::int64_t value, std::string_view pattern, const QLocale& locale) {
  if (pattern == "0") return QString::number(value);
  return FormatNumber(value, pattern, LocaleNumberSymbols(locale));
}

QString FormatNumber(std::int64_t value, std::string_view pattern, const NumberSymbols& symbols) {
  if (pattern == "0") return QString::number(value);  // the common case, without the pattern machinery
  const std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  Digits d;
  d.digits = std::to_string(magnitude);
  d.point = static_cast<int>(d.digits.size());
  return Assemble(value < 0, std::move(d), ParsePattern(pattern), symbols);
}

QString PointForm(QString text, const QString& decimalSeparator) {
  if (decimalSeparator.isEmpty()) return text;
  return text.replace(decimalSeparator, QStringLiteral("."));
}

QString PlainNumberText(std::int64_t value) {
  return QString::number(value);
}

QString LocaleNumberText(double value, const QLocale& locale) {
  if (!std::isfinite(value)) return {};
  QLocale plain = locale;
  plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
  return plain.toString(value, 'g', 15);
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
