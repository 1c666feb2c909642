#include "present/Formatter.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <utility>

#include "metadata/Definitions.h"
#include "present/DateText.h"
#include "present/FormatRules.h"
#include "present/NumberText.h"
#include "present/ValueText.h"

namespace kelmarin {

namespace {

// Whole numbers with a unit, display codes 10 to 14 of a number list.
const char* WholeUnitPattern(std::int32_t code) {
  switch (code) {
    case kDisplayNoUnit:
      return "0";
    case kDisplayMillimetres:
      return "0\\m\\m";
    case kDisplayCentimetres:
      return "0\\c\\m";
    case kDisplayDecimetres:
      return "0\\d\\m";
    case kDisplayMetres:
      return "0\\m";
    default:
      return nullptr;
  }
}

// Fractions with a unit, display codes 10 to 14 of a text list.
const char* FractionUnitPattern(std::int32_t code) {
  switch (code) {
    case kDisplayNoUnit:
      return "0.0";
    case kDisplayMillimetres:
      return "0\\m\\m";
    case kDisplayCentimetres:
      return "0.0\\c\\m";
    case kDisplayDecimetres:
      return "0.00\\d\\m";
    case kDisplayMetres:
      return "0.000\\m";
    default:
      return nullptr;
  }
}

// The first value name of the definition that stands for the value, in stored order.
std::optional<std::string> ValueName(const ExifValue& value, const ExifTag* definition) {
  const auto number = ValueNumber(value);
  if (number && definition) {
    for (int i = 1; i <= definition->inqnicecount(); ++i) {
      const ExifTagNice& nice = definition->inqnice(i);
      if (!nice.liste.empty()) continue;  // names a whole list
      if (nice.id == *number) return nice.bezeichnung;
    }
  }
  return std::nullopt;
}

// The name of the whole list (its numbers joined by spaces), display code 37.
// True when `list`, whole numbers each followed by one space but the last, holds exactly the
// numbers of values (a text that is a whole number counting as that number).
bool ListIs(std::string_view list, const ExifValues& values) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (start > list.size()) return false;
    const std::size_t space = list.find(' ', start);
    const std::size_t end = space == std::string_view::npos ? list.size() : space;
    auto number = values.Number(i);
    if (!number) number = ValueNumber(values[i]);
    if (!number) return false;
    char digits[24];
    const char* last = std::to_chars(digits, digits + sizeof digits, *number).ptr;
    if (list.substr(start, end - start) != std::string_view(digits, static_cast<std::size_t>(last - digits))) return false;
    start = end + 1;
  }
  return start == list.size() + 1;
}

std::optional<std::string> WholeListName(const ExifValues& values, const ExifTag* definition) {
  if (definition == nullptr || values.empty()) return std::nullopt;
  for (int i = 1; i <= definition->inqnicecount(); ++i) {
    const ExifTagNice& nice = definition->inqnice(i);
    if (!nice.liste.empty() && ListIs(nice.liste, values)) return nice.bezeichnung;
  }
  return std::nullopt;
}

// A number list with a single value under display code 0: its value name, or its number.
std::string SingleNumber(const ExifValue& value, const ExifTag* definition) {
  if (std::optional<std::string> name = ValueName(value, definition)) return std::move(*name);
  return ValueText(value);
}

std::string NumberList(const ZetExif& item, std::int32_t code, const ExifTag* definition,
                       const FormatContext& context) {
  const auto& values = item.inhalt;
  std::string out;
  if (code == kDisplayNamedWholeList) {
    if (std::optional<std::string> name = WholeListName(values, definition)) return std::move(*name);
    code = kDisplayPlain;
  }
  if (code == kDisplayPlain) {
    if (values.empty()) return out;  // nothing to show
    if (values.size() == 1) return SingleNumber(values.front(), definition);
    return NumberListText(values);
  }
  if (code == kDisplaySigned16 || code == kDisplaySigned8) {
    const int bits = code == kDisplaySigned16 ? 16 : 8;
    ExifValues signedValues;
    for (const ExifValue& value : values) {
      const auto number = ValueNumber(value);
      const std::int64_t high = std::int64_t{1} << (bits - 1);
      if (number && *number >= high && *number < 2 * high) {
        signedValues.emplace_back(*number - 2 * high);
      } else {
        signedValues.emplace_back(value);
      }
    }
    return NumberList(ZetExif{item.tag, item.typ, std::move(signedValues), item.directory}, kDisplayPlain, definition,
                      context);
  }
  if (code == kDisplayCharacters || code == kDisplayDigits || code == kDisplayVersionBytes) {
    for (const ExifValue& value : values) {
      const auto number = ValueNumber(value);
      if (code == kDisplayVersionBytes && number && *number >= 0 && *number <= 9) {
        out += PlainNumberText(*number);
      } else if (code != kDisplayDigits) {
        out += (!number || *number < 32 || *number > 255) ? std::string("_") : CodePageCharacter(*number);
      } else {
        out += (!number || *number > 9) ? std::string("_") : PlainNumberText(*number);
      }
    }
    return out;
  }
  if (code == kDisplayUtf16Text) {
    out = Utf16LeText(values, 0);
    const std::size_t nul = out.find('\0');
    if (nul != std::string::npos) out.resize(nul);
    return out;
  }
  const char* pattern = WholeUnitPattern(code);
  if (!pattern) return out;
  // A single number with a name of its own (a code for "infinite") shows that name, not a length.
  if (values.size() == 1) {
    if (auto name = ValueName(values.front(), definition)) return *name;
  }
  for (std::size_t i = 0; i < values.size() && i < kListLimit; ++i) {
    if (i > 0) out += ',';
    const auto number = ValueNumber(values[i]);
    out += number ? FormatNumber(*number, pattern, context.locale) : ValueText(values[i]);
  }
  return out;
}

// Display codes 10 to 14 of a text list: "numerator/denominator" as whole numbers, divided.
std::string FractionWithUnit(const ExifValue& value, const char* pattern, const FormatContext& context) {
  const std::string text = ValueBytes(value);
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos || text.find('/', slash + 1) != std::string::npos) return {};
  const auto numerator = ParseWholeNumber(std::string_view(text).substr(0, slash));
  const auto denominator = ParseWholeNumber(std::string_view(text).substr(slash + 1));
  if (!numerator || !denominator) return {};
  if (*denominator == 0) return ValueText(value);
  const double quotient = static_cast<double>(*numerator) / static_cast<double>(*denominator);
  return PointForm(FormatNumber(quotient, pattern, context.locale), context.locale.decimalPoint);
}

std::string TextList(const ZetExif& item, std::int32_t code, const FormatContext& context) {
  if (item.inhalt.empty()) return {};  // nothing to show
  const ExifValue& first = item.inhalt.front();
  if (code == kDisplayDate) {
    std::string text = ValueText(first);
    if (auto date = ExifDateText(text, context.locale)) return std::move(*date);
    return text;
  }
  if (const char* pattern = FractionUnitPattern(code)) return FractionWithUnit(first, pattern, context);
  return ValueText(first);
}

}  // namespace

std::string NumberListText(const ExifValues& values) {
  std::string out;
  AppendNumberListText(out, values);
  return out;
}

void AppendNumberListText(std::string& out, const ExifValues& values) {
  const std::size_t shown = std::min(values.size(), kListLimit);
  // The numbers and their commas are gathered here and appended in one piece (20 characters and a
  // comma at most per number); a text value is appended after what came before it.
  char digits[kListLimit * 21];
  char* next = digits;
  for (std::size_t i = 0; i < shown; ++i) {
    if (i > 0) *next++ = ',';
    if (const auto number = values.Number(i)) {
      next = std::to_chars(next, digits + sizeof digits, *number).ptr;
    } else {
      out.append(digits, next);
      next = digits;
      AppendValueText(out, values[i]);
    }
  }
  out.append(digits, next);
  if (values.size() > kListLimit) {
    out += ",...(";
    out += std::to_string(values.size());
    out += ')';
  }
}

std::string FormatGeneral(const ZetExif& item, std::int32_t code, const ExifTag* definition,
                      const FormatContext& context) {
  if (code == kDisplayLensRange) return LensRangeText(item.inhalt, context);
  if (code == kDisplayTimeOfDay) return TimeOfDayText(item.inhalt, context);
  if (code == kDisplayFractionList) return FractionListText(item.inhalt, context);
  if (IsComputedCode(code)) return ComputedText(item.inhalt, code, definition, context);
  if (code == kDisplayDigitDate) return DigitDateText(item.inhalt);
  if (code == kDisplayCharactersOrHex) return CharactersOrHexText(item.inhalt);
  if (code == kDisplayNamedList) return NamedListText(item.inhalt, definition);
  if (code == kDisplayNamedFirst) return NamedFirstText(item.inhalt, definition);
  if (code == kDisplayBitNames) return BitNamesText(item.inhalt, definition);
  if (code == kDisplayPattern) return PatternText(item, definition, context);
  if (code == kDisplayOlympusLens) return OlympusLensText(item.inhalt);
  if (code == kDisplayPercentPairs) return PercentPairsText(item.inhalt);
  if (code == kDisplayFirmwareRevision) return FirmwareRevisionText(item.inhalt);
  if (code == kDisplayTimeHundredths) return TimeHundredthsText(item.inhalt);
  if (code == kDisplayHighLowHalves) return HighLowHalvesText(item.inhalt);
  if (code == kDisplayCanonLens) return CanonLensText(item.inhalt, definition, ProcessLensTable());
  if (code == kDisplayBitNumbers) return BitNumbersText(item.inhalt);
  if (code == kDisplayPackedDateOrTime) return PackedDateOrTimeText(item.inhalt);
  if (code == kDisplayColonPairs) return ColonPairsText(item.inhalt);
  if (code == kDisplayReconyxDate) return ReconyxDateText(item.inhalt);
  if (code == kDisplaySubsampling) return SubsamplingText(item.inhalt);
  if (code == kDisplayCfaPattern) return CfaPatternText(item.inhalt);
  if (item.typ == kTypNumbers) return NumberList(item, code, definition, context);
  if (item.typ == kTypTexts) return TextList(item, code, context);
  // An item of an unknown kind: its first value as it stands.
  return item.inhalt.empty() ? std::string() : ValueText(item.inhalt.front());
}

FormatContext MakeFormatContext(const TextLocale& locale, double cameraFeq) {
  FormatContext context;
  context.locale = locale;
  context.locale.decimalPoint = locale.decimalPoint;
  context.camera_feq = cameraFeq;
  return context;
}

std::string FormatValue(const Definitions& definitions, const FormatContext& context, std::int32_t maker,
                        const ZetExif& item, std::int32_t section) {
  return FormatItem(context, maker, item, section, definitions.FindTag(maker, section, item.directory, item.tag, 0));
}

std::string FormatItem(const FormatContext& context, std::int32_t maker, const ZetExif& item, std::int32_t section,
                       const ExifTag* definition) {
  const std::int32_t code = definition ? definition->fmt : kDisplayPlain;
  if (section == kSectionGps && IsGpsSpecial(item.tag)) return FormatGpsSpecial(item, code, context);
  if (section == kSectionMain && IsMainSpecial(item.tag)) {
    return FormatMainSpecial(item, code, definition, context);
  }
  if (section == kSectionMakernote && maker == 0) return {};
  return FormatGeneral(item, code, definition, context);
}

}  // namespace kelmarin
