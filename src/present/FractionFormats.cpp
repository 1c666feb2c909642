// Display codes for lists of fractions: a lens range (4), a time of day (5) and the list itself (15).
//
// Each value is a fraction "numerator/denominator" (a whole number counts as itself over 1). A value
// that is not a fraction, or a fraction over 0, shows as it stands. Where a lens range or a time of
// day cannot be read from the values (another number of values, a value that is no fraction, a
// denominator of 0 where one is divided by), the list of fractions is shown instead.

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "present/FormatRules.h"
#include "present/NumberText.h"
#include "present/ValueText.h"

namespace kelmarin {

namespace {

// A quotient in point form: a whole number without decimals, anything else with the given pattern.
std::string QuotientText(double quotient, const char* pattern, const FormatContext& context) {
  if (quotient == std::floor(quotient) && std::fabs(quotient) < 1e15) {
    return FormatNumber(quotient, "0", context.locale);
  }
  return PointForm(FormatNumber(quotient, pattern, context.locale), context.locale.decimalPoint);
}

// One value of a list: its quotient, or the value as it stands when it has none.
std::string ListValue(const ExifValue& value, const FormatContext& context) {
  const auto quotient = Quotient(value);
  return quotient ? QuotientText(*quotient, "0.0##############", context) : ValueText(value);
}

// One end of a lens range: "?" for the unknown 0/0.
std::string LensEnd(const ExifValue& value, const FormatContext& context) {
  const auto quotient = Quotient(value);
  return quotient ? QuotientText(*quotient, "0.0#", context) : std::string("?");
}

// "a-b", or "a" when both ends read the same.
std::string Range(const std::string& from, const std::string& to) {
  return from == to ? from : from + '-' + to;
}

// The decimals a denominator stores: 2 for 100, 3 for 1000; none when it is no power of ten.
int StoredDecimals(double denominator) {
  int decimals = 0;
  for (double d = std::fabs(denominator); d > 1.0; d /= 10.0) {
    if (std::fmod(d, 10.0) != 0.0) return -1;
    ++decimals;
  }
  return decimals;
}

// "00:00:" from whole hours and minutes; none when they are not whole or negative.
std::optional<std::string> HoursAndMinutes(double hours, double minutes, const FormatContext& context) {
  if (hours < 0 || minutes < 0 || hours != std::floor(hours) || minutes != std::floor(minutes)) {
    return std::nullopt;
  }
  if (hours >= 1e6 || minutes >= 1e6) return std::nullopt;
  return FormatNumber(hours, "00", context.locale) + ':' + FormatNumber(minutes, "00", context.locale) + ':';
}

}  // namespace

std::string FractionListText(const ExifValues& values, const FormatContext& context) {
  std::string out;
  for (std::size_t i = 0; i < values.size() && i < kListLimit; ++i) {
    if (i > 0) out += ',';
    out += ListValue(values[i], context);
  }
  if (values.size() > kListLimit) out += ",...(" + std::to_string(values.size()) + ')';
  return out;
}

// Shortest and longest focal length, then the largest aperture at each: "18-70mm f/3.5-4.5".
std::string LensRangeText(const ExifValues& values, const FormatContext& context) {
  if (values.size() != 4) return FractionListText(values, context);
  for (const ExifValue& value : values) {
    if (!ParseFraction(value)) return FractionListText(values, context);
  }
  return Range(LensEnd(values[0], context), LensEnd(values[1], context)) + "mm f/" +
         Range(LensEnd(values[2], context), LensEnd(values[3], context));
}

// Hours, minutes and seconds: "17:17:58.65", the seconds with as many decimals as their fraction
// stores (none when they are whole).
std::string TimeOfDayText(const ExifValues& values, const FormatContext& context) {
  if (values.size() != 3) return FractionListText(values, context);
  const auto hours = Quotient(values[0]);
  const auto minutes = Quotient(values[1]);
  const auto seconds = Quotient(values[2]);
  const auto secondsFraction = ParseFraction(values[2]);
  if (!hours || !minutes || !seconds || *seconds < 0 || *seconds >= 1e6) {
    return FractionListText(values, context);
  }
  const auto prefix = HoursAndMinutes(*hours, *minutes, context);
  if (!prefix) return FractionListText(values, context);
  if (*seconds == std::floor(*seconds)) return *prefix + FormatNumber(*seconds, "00", context.locale);
  const int decimals = StoredDecimals(secondsFraction->denominator);
  const std::string pattern = decimals > 0 && decimals <= 9 ? "00." + std::string(decimals, '0') : "00.0##";
  return *prefix + PointForm(FormatNumber(*seconds, pattern, context.locale), context.locale.decimalPoint);
}

}  // namespace kelmarin
