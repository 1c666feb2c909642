#pragma once
// The small lexical rules of metadata.def: space trimming, field splitting and the two number forms.
// Pure functions over string views; the views they return point into the argument.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelmarin {

// Error codes a field can cause (the numbers the user sees in the message caption).
inline constexpr std::int32_t kCodeNotANumber = 13;
inline constexpr std::int32_t kCodeOutOfRange = 6;

// The text without leading and trailing U+0020; tabs and every other character stay. (Inline: the
// loader calls it several times for every line.)
inline std::string_view TrimSpaces(std::string_view text) {
  std::size_t first = 0;
  std::size_t end = text.size();
  while (first < end && text[first] == ' ') ++first;
  while (end > first && text[end - 1] == ' ') --end;
  return text.substr(first, end - first);
}

// The pieces of SplitAt (metadata/Text.h) without allocating: how many there are, the first
// kFirstFields of them and the last. A definition line needs no more.
struct Fields {
  static constexpr std::size_t kFirstFields = 3;
  std::size_t count = 0;                 // pieces, at least 1
  std::string_view first[kFirstFields];  // pieces 0 .. min(count, kFirstFields) - 1
  std::string_view last;                 // piece count - 1
};
Fields SplitFields(std::string_view text, char separator);

struct ParsedNumber {
  std::int32_t value = 0;
  std::int32_t code = 0;  // 0, kCodeNotANumber or kCodeOutOfRange
};

// A whole-number field: trimmed of spaces, then decimal with an optional minus sign, or hexadecimal
// after "0x", "0X", "&H" or "&h" (digits of either case; at most eight significant digits, read as
// 32-bit two's complement, so &HFFFFFFFF is -1). Anything else, the empty field included, is
// kCodeNotANumber; a well-formed number outside the 32-bit range is kCodeOutOfRange.
ParsedNumber ParseDefinitionNumber(std::string_view field);

struct ParsedFactor {
  double value = 0.0;
  std::int32_t code = 0;  // 0, kCodeNotANumber or kCodeOutOfRange
};

// A focal-length factor: trimmed of spaces, an optional minus sign, digits with at most one "." as
// decimal point (whatever the user's locale), at least one digit. No exponent, no "inf" or "nan".
// A value too large for a double is kCodeOutOfRange.
ParsedFactor ParseFocalFactor(std::string_view field);

// A scale or offset of a computing display code: a factor as ParseFocalFactor reads it, or a
// fraction of two such factors ("1/32", "-3/26"). A denominator of 0 is kCodeOutOfRange; any other
// fault is the factor's.
ParsedFactor ParseScaleFactor(std::string_view field);

}  // namespace kelmarin
