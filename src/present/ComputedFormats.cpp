// Display codes for stored numbers that mean something only after arithmetic: a scale and an
// offset (a guide number in 1/32, a temperature from a sensor reading), Canon's exposure values in
// thirds, an aperture's APEX value as its f-number or an exposure time's as the time, Canon's ISO
// code; and the rules that name a stored code from elsewhere (Canon's lens codes from the lens
// table) or spell out a bit set.
//
// The lists these codes are chosen for hold signed 16-bit numbers in unsigned SHORTs (Canon's and
// Olympus's), so a number from 32768 to 65535 is read as the negative number of its 16 bits.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "metadata/Definitions.h"
#include "present/FormatRules.h"
#include "present/LensTableData.h"
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

// An exposure time as the EXIF exposure time shows it: "1/256" up to half a second, above in
// seconds ("0.6", "2"); nothing for a time that is no finite number, shorter than a microsecond or
// longer than a day.
std::optional<std::string> ExposureSeconds(double seconds, const FormatContext& context) {
  constexpr double kShortestExposure = 1e-6;
  constexpr double kLongestExposure = 86400.0;
  if (!std::isfinite(seconds) || seconds < kShortestExposure || seconds > kLongestExposure) return std::nullopt;
  if (seconds <= 0.5) return "1/" + FormatNumber(1.0 / seconds, "0", context.locale);
  return Decimal(seconds, "0.0#", context);
}

std::string OneValue(const ExifValue& value, std::int32_t code, const ExifTag* definition,
                     const FormatContext& context) {
  const auto number = Signed16Number(value);
  if (!number) return ValueText(value);
  const double scale = definition ? definition->scale : 1.0;
  const double offset = definition ? definition->offset : 0.0;
  switch (code) {
    case kDisplayScaled:
      return Decimal(*number * scale + offset, "0.0#", context);
    case kDisplayPowerOfTwo: {
      const double power = std::exp2(*number * scale + offset);
      return std::isfinite(power) ? Decimal(power, "0.0#", context) : std::string();
    }
    case kDisplayCanonEv:
      return Decimal(CanonEv(*number), "0.0#", context);
    case kDisplayApexAperture:
      return FNumber(*number * scale + offset, context);
    case kDisplayCanonAperture:
      return FNumber(CanonEv(*number), context);
    case kDisplayApexExposureTime:
      return ExposureSeconds(std::exp2(-(*number * scale + offset)), context).value_or(ValueText(value));
    case kDisplayHalfOrFourfoldMm: {
      const auto whole = ValueNumber(value);
      if (!whole) return ValueText(value);
      return Decimal(static_cast<double>(*whole) * (*whole % 2 != 0 ? 4.0 : 0.5), "0.#", context) + "mm";
    }
    case kDisplayCanonIso: {
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
    if (!nice.liste.empty()) continue;  // names a whole list
    if (nice.id == *number || (asSigned && static_cast<double>(nice.id) == *asSigned))
      return nice.bezeichnung;
  }
  return std::nullopt;
}

// Nikon's a, b, c (and a 0 after them): the exposure value a × b / c with a signed.
std::string NikonEvText(const ExifValues& values, const FormatContext& context) {
  std::int64_t bytes[4] = {};
  for (std::size_t i = 0; i < values.size() && i < 4; ++i) {
    const auto number = ValueNumber(values[i]);
    if (!number || *number < 0 || *number > 0xFF) return NumberListText(values);
    bytes[i] = *number;
  }
  if (values.size() != 3 && values.size() != 4) return NumberListText(values);
  if (bytes[2] == 0) return "0";
  const double a = static_cast<double>(bytes[0] >= 0x80 ? bytes[0] - 0x100 : bytes[0]);
  return Decimal(a * static_cast<double>(bytes[1]) / static_cast<double>(bytes[2]), "0.0#", context);
}

}  // namespace

bool IsComputedCode(std::int32_t code) {
  return code == kDisplayScaled || code == kDisplayPowerOfTwo || code == kDisplayCanonEv ||
         code == kDisplayApexAperture || code == kDisplayCanonIso || code == kDisplayCanonAperture ||
         code == kDisplayNamedFromOne || code == kDisplayHalfOrFourfoldMm || code == kDisplayNikonEv ||
         code == kDisplayApexExposureTime;
}

std::string ComputedText(const ExifValues& values, std::int32_t code, const ExifTag* definition,
                         const FormatContext& context) {
  if (code == kDisplayNikonEv) return NikonEvText(values, context);
  if (code == kDisplayNamedFromOne) {
    const auto number = values.size() == 1 ? ValueNumber(values[0]) : std::nullopt;
    if (!number) return NumberListText(values);
    const ExifValue counted = context.countsFromZero ? *number + 1 : *number;
    return NameOf(counted, definition).value_or(ValueText(values[0]));
  }
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

namespace {

// The bytes the values stand for: a text's bytes, a number as one byte (numbers above 255 as 0xFF,
// which no rule below accepts as a digit or letter).
std::string StoredBytes(const ExifValues& values) {
  std::string bytes;
  for (const ExifValue& value : values) {
    if (const auto* text = std::get_if<std::string>(&value)) {
      bytes += *text;
    } else {
      const std::int64_t number = std::get<std::int64_t>(value);
      bytes += static_cast<char>(number >= 0 && number <= 0xFF ? number : 0xFF);
    }
  }
  return bytes;
}

bool Digit(char c) {
  return c >= '0' && c <= '9';
}

bool TwoDigits(std::string_view text, std::size_t at) {
  return at + 2 <= text.size() && Digit(text[at]) && Digit(text[at + 1]);
}

}  // namespace

std::string DigitDateText(const ExifValues& values) {
  const std::string bytes = StoredBytes(values);
  // Digit pairs at 0, 2 (year, month), 6, 8 (day, hour), 12 (minute) and, where present, 14.
  const std::string_view text(bytes);
  const auto nuls = [&](std::size_t at) { return text.substr(at, 2) == std::string_view("\0\0", 2); };
  const bool dated = text.size() >= 16 && TwoDigits(text, 0) && TwoDigits(text, 2) && nuls(4) &&
                     TwoDigits(text, 6) && TwoDigits(text, 8) && nuls(10) && TwoDigits(text, 12) &&
                     text.find_first_not_of('\0', TwoDigits(text, 14) ? 16 : 14) == std::string_view::npos;
  if (dated) {
    const int year = (text[0] - '0') * 10 + (text[1] - '0');
    std::string out = std::to_string(year < 70 ? 2000 + year : 1900 + year);
    out += ':' + bytes.substr(2, 2) + ':' + bytes.substr(6, 2) + ' ' + bytes.substr(8, 2) + ':' + bytes.substr(12, 2);
    if (TwoDigits(text, 14)) out += ':' + bytes.substr(14, 2);
    return out;
  }
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\0') {
      out += bytes[i];
    } else if (i == 0 || bytes[i - 1] != '\0') {
      out += '.';
    }
  }
  while (!out.empty() && out.back() == '.') out.pop_back();
  return ImageText(out);
}

std::string CharactersOrHexText(const ExifValues& values) {
  const std::string bytes = StoredBytes(values);
  const bool characters = !bytes.empty() && std::all_of(bytes.begin(), bytes.end(), [](char c) {
    return Digit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_' || c == ' ';
  });
  if (characters) return bytes;
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (const char c : bytes) {
    out += kDigits[static_cast<unsigned char>(c) >> 4];
    out += kDigits[static_cast<unsigned char>(c) & 0x0F];
  }
  return out;
}


std::string NamedListText(const ExifValues& values, const ExifTag* definition) {
  std::string out;
  for (std::size_t i = 0; i < values.size() && i < kListLimit; ++i) {
    if (i > 0) out += ", ";
    out += NameOf(values[i], definition).value_or(ValueText(values[i]));
  }
  if (values.size() > kListLimit) out += ",...(" + std::to_string(values.size()) + ")";
  return out;
}

std::string NamedFirstText(const ExifValues& values, const ExifTag* definition) {
  std::string out;
  for (std::size_t i = 0; i < values.size() && i < kListLimit; ++i) {
    if (i > 0) out += ", ";
    out += i == 0 ? NameOf(values[i], definition).value_or(ValueText(values[i])) : ValueText(values[i]);
  }
  if (values.size() > kListLimit) out += ",...(" + std::to_string(values.size()) + ")";
  return out;
}

std::string CanonLensText(const ExifValues& values, const ExifTag* definition, const LensTable& table) {
  const auto number = values.size() == 1 ? ValueNumber(values[0]) : std::nullopt;
  if (!number) return NumberListText(values);
  if (auto name = NameOf(values[0], definition)) return *name;
  const auto found = table.data().rows.find("canon|" + CanonicalLensCode(std::to_string(*number)));
  if (found == table.data().rows.end() || found->second.empty()) return ValueText(values[0]);
  std::string out;
  for (const LensRow& row : found->second) {
    if (!out.empty()) out += " oder ";
    out += row.name;
  }
  return out;
}

std::string BitNumbersText(const ExifValues& values) {
  std::string out;
  for (std::size_t word = 0; word < values.size(); ++word) {
    const auto number = ValueNumber(values[word]);
    if (!number || *number < 0 || *number > 0xFFFF) return NumberListText(values);
    for (int bit = 0; bit < 16; ++bit) {
      if ((*number >> bit & 1) == 0) continue;
      if (!out.empty()) out += ',';
      out += std::to_string(16 * word + static_cast<std::size_t>(bit));
    }
  }
  return out.empty() ? "keine" : out;
}

std::string FirmwareRevisionText(const ExifValues& values) {
  const auto number = values.size() == 1 ? ValueNumber(values[0]) : std::nullopt;
  if (!number) return NumberListText(values);
  if (*number < 0 || *number > 0xFFFFFFFF) return ValueText(values[0]);
  static constexpr char kHex[] = "0123456789abcdef";
  const auto byte = [&](int shift) { return static_cast<unsigned>((*number >> shift) & 0xFF); };
  const auto two = [&](unsigned b) { return std::string{kHex[b >> 4], kHex[b & 15]}; };
  const auto high = [&](unsigned b) { return b >= 16 ? two(b) : std::string{kHex[b]}; };
  return high(byte(24)) + '.' + two(byte(16)) + " rev " + high(byte(8)) + '.' + two(byte(0));
}

std::string TimeHundredthsText(const ExifValues& values) {
  static constexpr std::int64_t kLimits[] = {24, 60, 61, 100};
  if (values.size() != 4) return NumberListText(values);
  std::string out;
  for (std::size_t i = 0; i < 4; ++i) {
    const auto number = ValueNumber(values[i]);
    if (!number || *number < 0 || *number >= kLimits[i]) return NumberListText(values);
    if (i > 0) out += i == 3 ? '.' : ':';
    out += static_cast<char>('0' + *number / 10);
    out += static_cast<char>('0' + *number % 10);
  }
  return out;
}

std::string HighLowHalvesText(const ExifValues& values) {
  if (values.size() != 2) return NumberListText(values);
  const std::int64_t high = ValueNumber(values[0]).value_or(-1);
  const std::int64_t low = ValueNumber(values[1]).value_or(-1);
  if (high < 0 || high > 0xFFFF || low < 0 || low > 0xFFFF) return NumberListText(values);
  return std::to_string((high << 16) | low);
}

std::string SubsamplingText(const ExifValues& values) {
  struct Scheme {
    std::int64_t horizontal, vertical;
    const char* name;
  };
  static constexpr Scheme kSchemes[] = {{1, 1, "4:4:4"}, {2, 1, "4:2:2"}, {2, 2, "4:2:0"},
                                        {4, 1, "4:1:1"}, {1, 2, "4:4:0"}, {4, 2, "4:1:0"}};
  if (values.size() == 2) {
    const auto h = ValueNumber(values[0]);
    const auto v = ValueNumber(values[1]);
    for (const Scheme& scheme : kSchemes) {
      if (h == scheme.horizontal && v == scheme.vertical) return std::string("YCbCr ") + scheme.name;
    }
  }
  return NumberListText(values);
}

std::string CfaPatternText(const ExifValues& values) {
  static const char* const kColours[] = {"Rot", "Grün", "Blau", "Cyan", "Magenta", "Gelb", "Weiß"};
  const std::string bytes = StoredBytes(values);
  if (bytes.size() < 5) return NumberListText(values);
  const auto byteAt = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(bytes[i])); };
  const std::size_t colours = bytes.size() - 4;
  std::size_t columns = 0;
  std::size_t rows = 0;
  for (const bool bigEndian : {true, false}) {
    const std::size_t c = bigEndian ? byteAt(0) * 256 + byteAt(1) : byteAt(1) * 256 + byteAt(0);
    const std::size_t r = bigEndian ? byteAt(2) * 256 + byteAt(3) : byteAt(3) * 256 + byteAt(2);
    if (c > 0 && r > 0 && c * r == colours) {
      columns = c;
      rows = r;
      break;
    }
  }
  if (columns == 0) {
    // No colours at all: a pattern of size 0 (either number 0 in both orders) says so.
    const bool empty = (byteAt(0) == 0 && byteAt(1) == 0) || (byteAt(2) == 0 && byteAt(3) == 0);
    return empty ? std::string("leeres Muster (Größe 0)") : NumberListText(values);
  }
  std::string out;
  for (std::size_t row = 0; row < rows; ++row) {
    out += '[';
    for (std::size_t column = 0; column < columns; ++column) {
      const std::size_t colour = byteAt(4 + row * columns + column);
      if (column > 0) out += ',';
      out += colour < std::size(kColours) ? std::string(kColours[colour]) : std::to_string(colour);
    }
    out += ']';
  }
  return out;
}

namespace {

// At least two decimal digits ("05", "2001").
std::string Padded(std::int64_t number) {
  std::string text = std::to_string(number);
  return text.size() < 2 ? '0' + text : text;
}

// The numbers of a list when each lies in [low, high]; none otherwise.
std::optional<std::vector<std::int64_t>> NumbersWithin(const ExifValues& values, std::int64_t low, std::int64_t high) {
  std::vector<std::int64_t> numbers;
  for (const ExifValue& value : values) {
    const auto number = ValueNumber(value);
    if (!number || *number < low || *number > high) return std::nullopt;
    numbers.push_back(*number);
  }
  return numbers;
}

bool DayOfYear(std::int64_t month, std::int64_t day) {
  return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

}  // namespace

std::string PackedDateOrTimeText(const ExifValues& values) {
  const auto numbers = NumbersWithin(values, 1, 0xFFFFFFFF);
  if (!numbers || numbers->size() != 1) return NumberListText(values);
  const std::int64_t word = numbers->front();
  return Padded(word >> 16) + ':' + Padded((word >> 8) & 0xFF) + ':' + Padded(word & 0xFF);
}

std::string ColonPairsText(const ExifValues& values) {
  const auto numbers = NumbersWithin(values, 0, 99);
  if (!numbers || numbers->empty()) return NumberListText(values);
  std::string out;
  for (const std::int64_t number : *numbers) {
    if (!out.empty()) out += ':';
    out += Padded(number);
  }
  return out;
}

std::string ReconyxDateText(const ExifValues& values) {
  const auto numbers = NumbersWithin(values, 0, 0xFFFF);
  if (numbers && numbers->size() == 2) {
    // Binary-coded decimal: each hexadecimal digit is one decimal digit.
    std::int64_t decimal[2] = {};
    for (std::size_t i = 0; i < 2; ++i) {
      for (int shift = 12; shift >= 0; shift -= 4) {
        const std::int64_t digit = ((*numbers)[i] >> shift) & 0xF;
        if (digit > 9) return NumberListText(values);
        decimal[i] = decimal[i] * 10 + digit;
      }
    }
    if (decimal[0] > 0 && DayOfYear(decimal[1] / 100, decimal[1] % 100)) {
      return std::to_string(decimal[0]) + ':' + Padded(decimal[1] / 100) + ':' + Padded(decimal[1] % 100);
    }
  }
  if (numbers && numbers->size() == 6) {
    const auto& n = *numbers;  // second, minute, hour, month, day, year
    if (n[0] < 60 && n[1] < 60 && n[2] < 24 && DayOfYear(n[3], n[4]) && n[5] >= 1000 && n[5] <= 9999) {
      return std::to_string(n[5]) + ':' + Padded(n[3]) + ':' + Padded(n[4]) + ' ' + Padded(n[2]) + ':' +
             Padded(n[1]) + ':' + Padded(n[0]);
    }
  }
  return NumberListText(values);
}


}  // namespace kelmarin
