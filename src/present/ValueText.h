#pragma once
// The values of a metadata item (numbers or raw text bytes) as characters, texts and numbers.
// Every function accepts any value: a number where a text is expected is its decimal text, a text
// where a number is expected is read as a whole number when it is one.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "extract/ImageMetadata.h"

namespace kelmarin {

// One value as the character of that code in Windows-1252 (0 gives U+0000), UTF-8 encoded. A value
// outside 0 to 255 has no character there and gives "_".
std::string CodePageCharacter(std::int64_t value);
// The same, appended to `out`.
void AppendCodePageCharacter(std::string& out, std::int64_t value);

// Values from index `first` (0-based) on, taken as the bytes of UTF-16 text in little-endian byte
// order, as UTF-8; a last odd byte is ignored. A value outside 0 to 255 counts as its low byte. Zero
// code units are kept; a surrogate without its partner becomes U+FFFD.
std::string Utf16LeText(const ExifValues& values, std::size_t first);

// A value as a whole number: numbers as they are, texts when ParseWholeNumber reads them.
std::optional<std::int64_t> ValueNumber(const ExifValue& value);

// A value as display text: texts through ImageText, numbers as their plain decimal text.
std::string ValueText(const ExifValue& value);
// The same, appended.
void AppendValueText(std::string& out, const ExifValue& value);

// The raw bytes of a text value, or the decimal text of a number.
std::string ValueBytes(const ExifValue& value);

// A fraction value "numerator/denominator", both read as decimal numbers. A text without "/" that
// reads as a decimal number (a FLOAT or DOUBLE field) counts as that number over 1. Anything else,
// including a text with two "/", is no fraction.
struct Fraction {
  double numerator = 0;
  double denominator = 1;
};
std::optional<Fraction> ParseFraction(const ExifValue& value);

// The quotient of a fraction value; none when it is no fraction, the denominator is 0 or the
// quotient is not a finite number.
std::optional<double> Quotient(const ExifValue& value);

}  // namespace kelmarin
