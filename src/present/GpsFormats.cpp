// Fixed display rules of the GPS version and the GPS coordinates (EXIF 2.32, 4.6.6).
//
// A coordinate is three fractions: degrees, minutes, seconds. Only the numerator of the degrees is
// used. Minutes with a denominator of 1 are whole minutes followed by seconds; any other
// denominator means fractional minutes (degrees, minutes with decimals, seconds 0), and the
// minutes are the fraction's quotient: "1234/100" is 12.34', "22278/1000" is 22.278'.
//
// Where a coordinate cannot be computed (a value that is not a fraction, a denominator of 0 where
// one is divided by), the Information column shows the first value as it stands.

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "present/FormatRules.h"
#include "present/NumberText.h"
#include "present/ValueText.h"

namespace kelmarin {

namespace {

constexpr const char* kDegree = "\u00B0";
constexpr const char* kDegreeEntity = "&deg;";

std::string Point(double value, const char* pattern, const FormatContext& context) {
  return PointForm(FormatNumber(value, pattern, context.locale), context.locale.decimalPoint);
}

// The number a locale text of 15 significant digits stands for: code 2 builds its result in two
// steps, each a number text, as the user would read it.
double AsShown(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  return std::strtod(buffer, nullptr);
}

// "2200" (code 1: 2.2) from the values 2, 2, 0, 0.
std::string Version(const ExifValues& values, std::int32_t code, const FormatContext& context) {
  std::string text;
  for (const ExifValue& value : values) text += ValueText(value);
  if (code != kDisplayVersionNumber) return text;
  const auto number = ParseDecimalNumber(text);
  if (!number) return text;
  return Point(*number / 1000.0, "0.0#", context);
}

std::string FractionalMinutes(const std::string& degreesText, double degrees, double minutes, std::int32_t code,
                          const FormatContext& context) {
  if (code == kDisplayGpsWeb) {
    const double whole = std::floor(minutes);
    return degreesText + kDegreeEntity + ' ' + FormatNumber(whole, "0", context.locale) + "' " +
           Point((minutes - whole) * 60.0, "0.00", context) + '"';
  }
  if (code == kDisplayGpsDecimal) return LocaleNumberText(degrees + minutes / 60.0, context.locale);
  return degreesText + kDegree + ' ' + Point(minutes, "0.0##############", context) + '\'';
}

std::string WholeMinutes(const std::string& degreesText, double degrees, double minutes, double seconds,
                     std::int32_t code, const FormatContext& context) {
  if (code == kDisplayGpsDecimal) {
    return LocaleNumberText(AsShown(degrees + minutes / 60.0) + seconds / 3600.0, context.locale);
  }
  const std::string minutesText = ' ' + FormatNumber(minutes, "0", context.locale);
  if (code == kDisplayGpsWebDecimalMinutes) {
    // Web form with decimal minutes: the seconds become the minutes' decimals, to three places.
    return degreesText + kDegreeEntity + ' ' + Point(minutes + seconds / 60.0, "0.000", context) + '\'';
  }
  std::string out = degreesText;
  if (code == kDisplayGpsDegrees) out += kDegree;
  if (code == kDisplayGpsWeb) out += kDegreeEntity;
  return out + minutesText + "' " + Point(seconds, "0.00", context) + '"';
}

std::string Coordinate(const ExifValues& values, std::int32_t code, const FormatContext& context) {
  if (values.size() != 3) return {};
  const auto degrees = ParseFraction(values[0]);
  const auto minutes = ParseFraction(values[1]);
  if (!degrees || !minutes) return ValueText(values[0]);
  const double deg = degrees->numerator;
  // Code 2 replaces the degrees' text by a number in every case.
  const std::string degreesText = FormatNumber(deg, "0", context.locale);
  if (minutes->denominator != 1.0) {
    const auto m = Quotient(values[1]);
    if (!m) return ValueText(values[0]);
    return FractionalMinutes(degreesText, deg, *m, code, context);
  }
  const auto seconds = Quotient(values[2]);
  if (!seconds) return ValueText(values[0]);
  return WholeMinutes(degreesText, deg, minutes->numerator, *seconds, code, context);
}

}  // namespace

bool IsGpsSpecial(std::int32_t tag) {
  return tag == 0 || tag == 2 || tag == 4 || tag == 20 || tag == 22;
}

std::string FormatGpsSpecial(const ZetExif& item, std::int32_t code, const FormatContext& context) {
  if (item.tag == 0) return Version(item.inhalt, code, context);
  return Coordinate(item.inhalt, code, context);
}

}  // namespace kelmarin
