// Display codes that show a makernote's list as one text: set bits by name (48), a text pattern
// filled from the list's values (49), an Olympus lens by the lens table (50), fractions as
// percentages in pairs (51). See FormatRules.h for each rule's contract.

#include <cmath>
#include <cstdio>
#include <string>

#include "metadata/Definitions.h"
#include "present/FormatRules.h"
#include "present/LensTableData.h"
#include "present/NumberText.h"
#include "present/ValueText.h"

namespace kelmarin {

namespace {

// At most this many values of a list fill the default pattern "{1}; {2}; …".
constexpr std::size_t kPatternLimit = 32;

// The value name for exactly this number (names of whole lists do not count).
std::optional<std::string> NumberName(std::int64_t number, const ExifTag* definition) {
  if (definition == nullptr) return std::nullopt;
  for (int i = 1; i <= definition->inqnicecount(); ++i) {
    const ExifTagNice& nice = definition->inqnice(i);
    if (nice.liste.empty() && nice.id == number) return nice.bezeichnung;
  }
  return std::nullopt;
}

// The number a pattern is chosen by: a number itself (also as a text, as an editor may rewrite a
// number), a fraction its numerator (Olympus writes 0xFFFFFFFF over any denominator for "infinite").
std::optional<std::int64_t> PatternKey(const ExifValue& value) {
  if (const auto number = ValueNumber(value)) return number;
  const auto fraction = ParseFraction(value);
  if (!fraction || fraction->numerator != std::floor(fraction->numerator) ||
      std::fabs(fraction->numerator) > 9e15) {
    return std::nullopt;
  }
  return static_cast<std::int64_t>(fraction->numerator);
}

// Value n (1-based) as its sub-row shows it, else as it stands; "?" beyond the list.
std::string PlaceholderText(const ZetExif& item, const ExifTag* definition, std::size_t n,
                            const FormatContext& context) {
  if (definition != nullptr) {
    for (const ExifTag* position : definition->positions) {
      if (position->position != static_cast<std::int32_t>(n)) continue;
      if (auto text = PositionInformation(item, *position, context)) return std::move(*text);
      return "?";
    }
  }
  if (n == 0 || n > item.inhalt.size()) return "?";
  return ValueText(item.inhalt[n - 1]);
}

// "{n}" or "{n:w}" at `at` (which holds "{"): n and w, and the position after "}"; false for any
// other text.
bool ReadPlaceholder(const std::string& pattern, std::size_t at, std::size_t& n, std::size_t& width,
                     std::size_t& end) {
  std::size_t i = at + 1;
  const auto digits = [&](std::size_t& out) {
    const std::size_t first = i;
    out = 0;
    while (i < pattern.size() && i - first < 3 && pattern[i] >= '0' && pattern[i] <= '9') {
      out = out * 10 + static_cast<std::size_t>(pattern[i++] - '0');
    }
    return i > first;
  };
  width = 0;
  if (!digits(n)) return false;
  if (i < pattern.size() && pattern[i] == ':') {
    ++i;
    if (!digits(width)) return false;
  }
  if (i >= pattern.size() || pattern[i] != '}') return false;
  end = i + 1;
  return true;
}

std::string FillPattern(const std::string& pattern, const ZetExif& item, const ExifTag* definition,
                        const FormatContext& context) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size();) {
    std::size_t n = 0;
    std::size_t width = 0;
    std::size_t end = 0;
    if (pattern[i] != '{' || !ReadPlaceholder(pattern, i, n, width, end)) {
      out += pattern[i++];
      continue;
    }
    std::string text = PlaceholderText(item, definition, n, context);
    const bool allDigits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    if (allDigits && text.size() < width) text.insert(0, width - text.size(), '0');
    out += text;
    i = end;
  }
  return out;
}

}  // namespace

std::string BitNamesText(const ExifValues& values, const ExifTag* definition) {
  const auto number = values.size() == 1 ? ValueNumber(values[0]) : std::nullopt;
  if (!number || *number < 0) return NumberListText(values);
  if (auto name = NumberName(*number, definition)) return std::move(*name);
  std::string out;
  for (int bit = 0; bit < 63; ++bit) {
    const std::int64_t mask = std::int64_t{1} << bit;
    if ((*number & mask) == 0) continue;
    if (!out.empty()) out += ", ";
    out += NumberName(mask, definition).value_or(PlainNumberText(mask));
  }
  return out;
}

std::string PatternText(const ZetExif& item, const ExifTag* definition, const FormatContext& context) {
  const ExifValues& values = item.inhalt;
  const auto key = values.empty() ? std::nullopt : PatternKey(values[0]);
  if (item.typ != kTypNumbers && !(item.typ == kTypTexts && key)) {
    return FormatGeneral(item, kDisplayPlain, definition, context);
  }
  if (values.empty()) return {};
  if (key) {
    if (auto pattern = NumberName(*key, definition)) return FillPattern(*pattern, item, definition, context);
  }
  std::string pattern;
  for (std::size_t n = 1; n <= values.size() && n <= kPatternLimit; ++n) {
    if (n > 1) pattern += "; ";
    pattern += '{' + std::to_string(n) + '}';
  }
  std::string out = FillPattern(pattern, item, definition, context);
  if (values.size() > kPatternLimit) out += ",...(" + std::to_string(values.size()) + ")";
  return out;
}

std::string OlympusLensText(const ExifValues& values) {
  const auto make = values.size() >= 4 ? ValueNumber(values[0]) : std::nullopt;
  const auto model = values.size() >= 4 ? ValueNumber(values[2]) : std::nullopt;
  const auto sub = values.size() >= 4 ? ValueNumber(values[3]) : std::nullopt;
  if (!make || !model || !sub) return NumberListText(values);
  char code[32];
  std::snprintf(code, sizeof code, "%X %02X %02X", static_cast<unsigned>(*make & 0xFF),
                static_cast<unsigned>(*model & 0xFF), static_cast<unsigned>(*sub & 0xFF));
  const auto& rows = ProcessLensTable().data().rows;
  const auto found = rows.find("olympus|" + CanonicalLensCode(code));
  if (found == rows.end() || found->second.empty()) return NumberListText(values);
  std::string out;
  for (const LensRow& row : found->second) {
    if (out.find(row.name) != std::string::npos) continue;
    if (!out.empty()) out += " oder ";
    out += row.name;
  }
  return out;
}

std::string PercentPairsText(const ExifValues& values) {
  std::string out;
  std::size_t inPair = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const auto fraction = ParseFraction(values[i]);
    if (!fraction) return NumberListText(values);
    if (fraction->numerator == 0 && fraction->denominator == 0) continue;  // no point
    const auto quotient = Quotient(values[i]);
    if (!quotient || std::fabs(*quotient) > 1e6) return NumberListText(values);
    out += inPair == 0 ? (out.empty() ? "(" : ") (") : ",";
    out += PlainNumberText(static_cast<std::int64_t>(std::floor(*quotient * 100 + 1e-9))) + '%';
    inPair = 1 - inPair;
  }
  if (!out.empty()) out += ')';
  return out;
}

}  // namespace kelmarin
