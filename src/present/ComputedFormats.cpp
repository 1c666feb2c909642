// Display codes for stored numbers that mean something only after arithmetic: a scale and an
// offset (a guide number in 1/32, a temperature from a sensor reading), Canon's exposure values in
// thirds, an aperture's APEX value as its f-number, Canon's ISO code.
//
// The lists these codes are chosen for hold signed 16-bit numbers in unsigned SHORTs (Canon's and
// Olympus's), so a number from 32768 to 65535 is read as the negative number of its 16 bits.

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "metadata/Definitions.h"
#include "present/FormatRules.h"
#include "present/NumberText.h"
#include "present/ValueText.h"

namespace kelmarin {

namespace {

// Canon marks an ISO speed it stores as itself with this bit; other values are codes of the
// camera's ISO settings (named in the definition file).
constexpr std::int64_t kCanonIsoAsNumber = 0x4000;

std::optional<double> Signed16Number(const ExifValue& value) {
  if (const auto number = ValueNumber(value)) {
    if (*number >= 0x8000 && *number <= 0xFFFF) return static_cast<double>(*number - 0x10000);
    return static_cast<double>(*number);
  }
  return Quotient(value);
}

// Canon's exposure values count in 1/32 EV, with thirds stored as 12/32 and 20/32.
double CanonEv(double stored) {
  const double magnitude = std::fabs(stored);
  const double whole = std::floor(magnitude / 32.0) * 32.0;
  double fraction = magnitude - whole;
  if (fraction == 12.0) fraction = 32.0 / 3.0;
  if (fraction == 20.0) fraction = 64.0 / 3.0;
  return std::copysign((whole + fraction) / 32.0, stored);
}

// A whole result without decimals, any other with one or two.
std::string Decimal(double value, const char* pattern, const FormatContext& context) {
  const double rounded = std::round(value * 100.0) / 100.0;
  if (rounded == std::floor(rounded) && std::fabs(rounded) < 1e15) {
    return FormatNumber(rounded, "0", context.locale);
  }
  return PointForm(FormatNumber(value, pattern, context.locale), context.locale.decimalPoint);
}

// The f-number of an APEX aperture value Av: 2^(Av / 2) (EXIF 2.32, Annex C).
std::string FNumber(double apex, const FormatContext& context) {
  const double fNumber = std::pow(2.0, apex / 2.0);
  if (!std::isfinite(fNumber)) return {};
  return "f/" + PointForm(FormatNumber(fNumber, "0.0", context.locale), context.locale.decimalPoint);
}

std::string OneValue(const ExifValue& value, std::int32_t code, const ExifTag* definition,
                     const FormatContext& context) {
  const auto number = Signed16Number(value);
  if (!number) return ValueText(value);
  const double scale = definition ? definition->scale : 1.0;
  const double offset = definition ? definition->offset : 0.0;
  switch (code) {
    case kCodeScaled:
      return Decimal(*number * scale + offset, "0.0#", context);
    case kCodeCanonEv:
      return Decimal(CanonEv(*number), "0.0#", context);
    case kCodeApexAperture:
      return FNumber(*number * scale + offset, context);
    case kCodeCanonAperture:
      return FNumber(CanonEv(*number), context);
    case kCodeCanonIso: {
      const auto whole = ValueNumber(value);
      if (whole && (*whole & kCanonIsoAsNumber) != 0)
        return PlainNumberText(*whole & (kCanonIsoAsNumber - 1));
      return ValueText(value);
    }
    default:
      return {};
  }
}

// The value name of a number as stored or as its signed 16 bits ("-1" for "not available").
std::optional<std::string> NameOf(const ExifValue& value, const ExifTag* definition) {
  if (definition == nullptr) return std::nullopt;
  const auto number = ValueNumber(value);
  if (!number) return std::nullopt;
  const auto asSigned = Signed16Number(value);
  for (int i = 1; i <= definition->inqnicecount(); ++i) {
    const ExifTagNice& nice = definition->inqnice(i);
    if (nice.id == *number || (asSigned && static_cast<double>(nice.id) == *asSigned))
      return nice.bezeichnung;
  }
  return std::nullopt;
}

}  // namespace

bool IsComputedCode(std::int32_t code) {
  return code == kCodeScaled || code == kCodeCanonEv || code == kCodeApexAperture || code == kCodeCanonIso ||
         code == kCodeCanonAperture;
}

std::string ComputedText(const ExifValues& values, std::int32_t code, const ExifTag* definition,
                         const FormatContext& context) {
  if (values.size() == 1) {
    if (auto name = NameOf(values[0], definition)) return *name;
  }
  std::string out;
  for (std::size_t i = 0; i < values.size() && i < kListLimit; ++i) {
    if (i > 0) out += ',';
    out += OneValue(values[i], code, definition, context);
  }
  return out;
}

}  // namespace kelmarin
