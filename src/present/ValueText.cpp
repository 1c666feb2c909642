#include "present/ValueText.h"

#include <charconv>
#include <cmath>

#include "metadata/Text.h"
#include "metadata/Utf16.h"
#include "present/Formatter.h"
#include "present/NumberText.h"

namespace kelmarin {

std::string ImageText(const std::string& bytes) {
  return BytesToUtf8(bytes);
}

std::string CodePageCharacter(std::int64_t value) {
  std::string out;
  AppendCodePageCharacter(out, value);
  return out;
}

void AppendCodePageCharacter(std::string& out, std::int64_t value) {
  if (value < 0 || value > 255) {
    out += '_';
  } else {
    AppendUtf8(out, Cp1252ToUnicode(static_cast<unsigned char>(value)));
  }
}

std::string Utf16LeText(const ExifValues& values, std::size_t first) {
  if (first >= values.size()) return {};
  const std::size_t units = (values.size() - first) / 2;
  return Utf16ToUtf8(units, [&](std::size_t u) {
    const auto low = static_cast<std::uint8_t>(ValueNumber(values[first + 2 * u]).value_or(0) & 0xFF);
    const auto high = static_cast<std::uint8_t>(ValueNumber(values[first + 2 * u + 1]).value_or(0) & 0xFF);
    return static_cast<char32_t>(low | (high << 8));
  });
}

std::optional<std::int64_t> ValueNumber(const ExifValue& value) {
  if (const auto* number = std::get_if<std::int64_t>(&value)) return *number;
  return ParseWholeNumber(std::get<std::string>(value));
}

std::string ValueText(const ExifValue& value) {
  if (const auto* number = std::get_if<std::int64_t>(&value)) return PlainNumberText(*number);
  return ImageText(std::get<std::string>(value));
}

void AppendValueText(std::string& out, const ExifValue& value) {
  if (const auto* number = std::get_if<std::int64_t>(&value)) {
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, *number).ptr);
  } else if (const std::string& bytes = std::get<std::string>(value); IsValidUtf8(bytes)) {
    out += bytes;
  } else {
    out += BytesToUtf8(bytes);
  }
}

std::string ValueBytes(const ExifValue& value) {
  if (const auto* number = std::get_if<std::int64_t>(&value)) return std::to_string(*number);
  return std::get<std::string>(value);
}

std::optional<Fraction> ParseFraction(const ExifValue& value) {
  if (const auto* number = std::get_if<std::int64_t>(&value)) {
    return Fraction{static_cast<double>(*number), 1.0};
  }
  const std::string_view text = std::get<std::string>(value);
  const std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) {
    const auto plain = ParseDecimalNumber(text);
    if (!plain) return std::nullopt;
    return Fraction{*plain, 1.0};
  }
  if (text.find('/', slash + 1) != std::string_view::npos) return std::nullopt;
  const auto numerator = ParseDecimalNumber(text.substr(0, slash));
  const auto denominator = ParseDecimalNumber(text.substr(slash + 1));
  if (!numerator || !denominator) return std::nullopt;
  return Fraction{*numerator, *denominator};
}

std::optional<double> Quotient(const ExifValue& value) {
  const auto fraction = ParseFraction(value);
  if (!fraction || fraction->denominator == 0.0) return std::nullopt;
  const double quotient = fraction->numerator / fraction->denominator;
  if (!std::isfinite(quotient)) return std::nullopt;
  return quotient;
}

}  // namespace kelmarin
