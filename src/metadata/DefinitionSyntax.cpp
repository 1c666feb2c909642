#include "metadata/DefinitionSyntax.h"

#include <charconv>
#include <cstddef>
#include <system_error>

#include "metadata/Text.h"

namespace kelmarin {

namespace {

constexpr bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

constexpr int HexDigit(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool HasHexPrefix(std::string_view field) {
  if (field.size() < 2) return false;
  return (field[0] == '0' && (field[1] == 'x' || field[1] == 'X')) ||
         (field[0] == '&' && (field[1] == 'H' || field[1] == 'h'));
}

ParsedNumber ParseHex(std::string_view digits) {
  if (digits.empty()) return {0, kCodeNotANumber};
  std::uint32_t value = 0;
  int significant = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0) return {0, kCodeNotANumber};
    if (significant == 0 && d == 0) continue;
    if (++significant > 8) continue;  // keep checking the syntax; the range error comes last
    value = (value << 4) | static_cast<std::uint32_t>(d);
  }
  if (significant > 8) return {0, kCodeOutOfRange};
  return {static_cast<std::int32_t>(value), 0};  // two's complement (C++20)
}

ParsedNumber ParseDecimal(std::string_view field) {
  const bool negative = !field.empty() && field[0] == '-';
  if (negative) field.remove_prefix(1);
  if (field.empty()) return {0, kCodeNotANumber};
  constexpr std::int64_t kLimit = std::int64_t{1} << 31;  // magnitude of INT32_MIN
  std::int64_t magnitude = 0;
  bool tooLarge = false;
  for (char c : field) {
    if (!IsDigit(c)) return {0, kCodeNotANumber};
    if (tooLarge) continue;
    magnitude = magnitude * 10 + (c - '0');
    tooLarge = magnitude > kLimit;
  }
  if (tooLarge || (!negative && magnitude == kLimit)) return {0, kCodeOutOfRange};
  return {static_cast<std::int32_t>(negative ? -magnitude : magnitude), 0};
}

}  // namespace

Fields SplitFields(std::string_view text, char separator) {
  Fields fields;
  ForEachPiece(text, separator, [&](std::string_view piece) {
    if (fields.count < Fields::kFirstFields) fields.first[fields.count] = piece;
    fields.last = piece;
    ++fields.count;
  });
  return fields;
}

ParsedNumber ParseDefinitionNumber(std::string_view field) {
  field = TrimSpaces(field);
  if (HasHexPrefix(field)) return ParseHex(field.substr(2));
  return ParseDecimal(field);
}

ParsedFactor ParseFocalFactor(std::string_view field) {
  field = TrimSpaces(field);
  std::size_t digits = 0;
  std::size_t points = 0;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const char c = field[i];
    if (IsDigit(c)) {
      ++digits;
    } else if (c == '.') {
      ++points;
    } else if (!(c == '-' && i == 0)) {
      return {0.0, kCodeNotANumber};
    }
  }
  if (digits == 0 || points > 1) return {0.0, kCodeNotANumber};
  double value = 0.0;
  const char* end = field.data() + field.size();
  const auto [ptr, ec] = std::from_chars(field.data(), end, value, std::chars_format::fixed);
  if (ec == std::errc::result_out_of_range) return {0.0, kCodeOutOfRange};
  if (ec != std::errc() || ptr != end) return {0.0, kCodeNotANumber};
  return {value, 0};
}

ParsedFactor ParseScaleFactor(std::string_view field) {
  const std::size_t slash = field.find('/');
  if (slash == std::string_view::npos) return ParseFocalFactor(field);
  const ParsedFactor numerator = ParseFocalFactor(field.substr(0, slash));
  if (numerator.code != 0) return numerator;
  const ParsedFactor denominator = ParseFocalFactor(field.substr(slash + 1));
  if (denominator.code != 0) return denominator;
  if (denominator.value == 0.0) return {0.0, kCodeOutOfRange};
  return {numerator.value / denominator.value, 0};
}

}  // namespace kelmarin
