#pragma once
// Numbers as display text: formatting patterns, point form, the locale's plain number text, and
// reading numbers out of the texts that metadata items carry.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "present/TextLocale.h"

namespace kelmarin {

// Formats a number with a pattern: "0" whole number; "0.0", "0.00", "0.000" fixed decimals;
// "0.0#", "0.0##############" one to two / fifteen decimals; "#,##0" thousands grouped with the
// locale's group separator; a backslash makes the next character literal ("0\m\m" -> "35mm").
// Characters that are not placeholders are copied as they stand. A "." in the pattern produces the
// locale's decimal separator, even with no decimals after it ("." alone gives just the separator).
//
// Rounding to the last shown digit is half away from zero on the decimal text of the number read to
// 15 significant digits, the precision of a double: 0.125 -> "0.13", and 2.675 (stored as
// 2.67499999999999982...) -> "2.68", as a reader of the decimal text expects. A result that rounds to
// zero carries no minus sign. A NaN or infinite value gives the empty text: callers that can meet
// one decide what to show instead.
std::string FormatNumber(double value, std::string_view pattern, const TextLocale& locale);
// The same for a whole number, exact over the whole 64-bit range.
std::string FormatNumber(std::int64_t value, std::string_view pattern, const TextLocale& locale);

// Point form: every occurrence of the decimal separator replaced by ".". An empty separator
// replaces nothing.
std::string PointForm(std::string text, std::string_view decimalSeparator);

// The plain decimal text of a whole number ("-12", "4294967295").
std::string PlainNumberText(std::int64_t value);

// The locale's general number text: up to 15 significant digits, the locale's decimal separator,
// no thousands grouping, no trailing zeros, the exponent form below 1e-4 and from 1e15 on ("1e+15"),
// in the locale's digits and signs. NaN and infinities give the empty text.
std::string LocaleNumberText(double value, const TextLocale& locale);

// A whole number in a text: optional spaces, an optional sign, one or more ASCII digits, optional
// spaces. Anything else (empty text, a decimal point, an overflow of 64 bits) is no number.
std::optional<std::int64_t> ParseWholeNumber(std::string_view text);

// A decimal number in a text: as ParseWholeNumber, with an optional "." and further digits, or an
// exponent ("1.5e-3"). Never reads "inf" or "nan".
std::optional<double> ParseDecimalNumber(std::string_view text);

}  // namespace kelmarin
