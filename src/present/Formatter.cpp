#include "present/Formatter.h"

#include <charconv>
#include <optional>
#include <string>

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
    case 10:
      return "0";
    case 11:
      return "0\\m\\m";
    case 12:
      return "0\\c\\m";
    case 13:
      return "0\\d\\m";
    case 14:
      return "0\\m";
    default:
      return nullptr;
  }
}

// Fractions with a unit, display codes 10 to 14 of a text list.
const char* FractionUnitPattern(std::int32_t code) {
  switch (code) {
    case 10:
      return "0.0";
    case 11:
      return "0\\m\\m";
    case 12:
      return "0.0\\c\\m";
    case 13:
      return "0.00\\d\\m";
    case 14:
      return "0.000\\m";
    default:
      return nullptr;
  }
}

// The first value name of the definition that stands for the value, in stored order.
std::optional<QString> ValueName(const ExifValue& value, const ExifTag* definition) {
  const auto number = ValueNumber(value);
  if (number && definition) {
    for (int i = 1; i <= definition->inqnicecount(); ++i) {
      const ExifTagNice& nice = definition->inqnice(i);
      if (nice.id == *number)
        return QString::fromUtf8(nice.bezeichnung.data(), static_cast<qsizetype>(nice.bezeichnung.size()));
    }
  }
  return std::nullopt;
}

// A number list with a single value under display code 0: its value name, or its number.
QString SingleNumber(const ExifValue& value, const ExifTag* definition) {
  return ValueName(value, definition).value_or(ValueText(value));
}

QString NumberList(const ZetExif& item, std::int32_t code, const ExifTag* definition,
                   const FormatContext& context) {
  const auto& values = item.inhalt;
  QString out;
  if (code == 0) {
    if (values.empty()) return out;  // nothing to show
    if (values.size() == 1) return SingleNumber(values.front(), definition);
    return NumberListText(values);
  }
  if (code == 1 || code == 2) {
    for (const ExifValue& value : values) {
      const auto number = ValueNumber(value);
      if (code == 1) {
        out += (!number || *number < 32 || *number > 255) ? QStringLiteral("_") : CodePageCharacter(*number);
      } else {
        out += (!number || *number > 9) ? QStringLiteral("_") : PlainNumberText(*number);
      }
    }
    return out;
  }
  if (code == 3) {
    out = Utf16LeText(values, 0);
    const qsizetype nul = out.indexOf(QChar(u'\0'));
    return nul < 0 ? out : out.left(nul);
  }
  const char* pattern = WholeUnitPattern(code);
  if (!pattern) return out;
  // A single number with a name of its own (a code for "infinite") shows that name, not a length.
  if (values.size() == 1) {
    if (auto name = ValueName(values.front(), definition)) return *name;
  }
  for (std::size_t i = 0; i < values.size() && i < kListLimit; ++i) {
    if (i > 0) out += QLatin1Char(',');
    const auto number = ValueNumber(values[i]);
    out += number ? FormatNumber(*number, pattern, context.symbols) : ValueText(values[i]);
  }
  return out;
}

// Display codes 10 to 14 of a text list: "numerator/denominator" as whole numbers, divided.
QString FractionWithUnit(const ExifValue& value, const char* pattern, const FormatContext& context) {
  const std::string text = ValueBytes(value);
  const std::size_t slash = text.find('/');
  if (slash == std::string::npos || text.find('/', slash + 1) != std::string::npos) return {};
  const auto numerator = ParseWholeNumber(std::string_view(text).substr(0, slash));
  const auto denominator = ParseWholeNumber(std::string_view(text).substr(slash + 1));
  if (!numerator || !denominator) return {};
  if (*denominator == 0) return ValueText(value);
  const double quotient = static_cast<double>(*numerator) / static_cast<double>(*denominator);
  return PointForm(FormatNumber(quotient, pattern, context.symbols), context.decimalSeparator);
}

QString TextList(const ZetExif& item, std::int32_t code, const FormatContext& context) {
  if (item.inhalt.empty()) return {};  // nothing to show
  const ExifValue& first = item.inhalt.front();
  if (code == 1) {
    const QString text = ValueText(first);
    return ExifDateText(text, context.locale, context.shortDateFormat, context.longTimeFormat).value_or(text);
  }
  if (const char* pattern = FractionUnitPattern(code)) return FractionWithUnit(first, pattern, context);
  return ValueText(first);
}

}  // namespace

QString NumberListText(const std::vector<ExifValue>& values) {
  // Whole numbers with the pattern "0" are their plain decimal text: built as Latin-1 in one go.
  std::string latin;
  QString out;
  const auto flush = [&] {
    out += QLatin1StringView(latin.data(), static_cast<qsizetype>(latin.size()));
    latin.clear();
  };
  for (std::size_t i = 0; i < values.size() && i < kListLimit; ++i) {
    if (i > 0) latin += ',';
    if (const auto* number = std::get_if<std::int64_t>(&values[i])) {
      char digits[24];
      const auto result = std::to_chars(digits, digits + sizeof digits, *number);
      latin.append(digits, result.ptr);
    } else {
      flush();
      out += ValueText(values[i]);
    }
  }
  if (values.size() > kListLimit) latin += ",...(" + std::to_string(values.size()) + ")";
  flush();
  return out;
}

QString FormatGeneral(const ZetExif& item, std::int32_t code, const ExifTag* definition,
                      const FormatContext& context) {
  if (code == kCodeLensRange) return LensRangeText(item.inhalt, context);
  if (code == kCodeTimeOfDay) return TimeOfDayText(item.inhalt, context);
  if (code == kCodeFractionList) return FractionListText(item.inhalt, context);
  if (item.typ == kTypNumbers) return NumberList(item, code, definition, context);
  if (item.typ == kTypTexts) return TextList(item, code, context);
  // An item of an unknown kind: its first value as it stands.
  return item.inhalt.empty() ? QString() : ValueText(item.inhalt.front());
}

QString DecimalSeparator(const QLocale& locale) {
  return FormatNumber(0.0, ".", locale);
}

FormatContext MakeFormatContext(const QLocale& locale, double cameraFeq) {
  FormatContext context;
  context.locale = locale;
  context.decimalSeparator = DecimalSeparator(locale);
  context.symbols = LocaleNumberSymbols(locale);
  context.shortDateFormat = ShortDateFormat(locale);
  context.longTimeFormat = LongTimeFormat(locale);
  context.camera_feq = cameraFeq;
  return context;
}

QString FormatValue(const Definitions& definitions, const FormatContext& context, std::int32_t maker,
                    const ZetExif& item, std::int32_t section) {
  if (context.symbols.decimalPoint.isEmpty() || context.shortDateFormat.isEmpty() ||
      context.longTimeFormat.isEmpty()) {
    FormatContext complete = MakeFormatContext(context.locale, context.camera_feq);
    complete.decimalSeparator = context.decimalSeparator;
    return FormatValue(definitions, complete, maker, item, section);
  }
  const ExifTag* definition = definitions.FindTag(maker, section, item.directory, item.tag, 0);
  const std::int32_t code = definition ? definition->fmt : 0;
  if (section == kSectionGps && IsGpsSpecial(item.tag)) return FormatGpsSpecial(item, code, context);
  if (section == kSectionMain && IsMainSpecial(item.tag)) {
    return FormatMainSpecial(item, code, definition, context);
  }
  if (section == kSectionMakernote && maker == 0) return {};
  return FormatGeneral(item, code, definition, context);
}

}  // namespace kelmarin
