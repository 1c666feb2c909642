// Fixed display rules of well-known tags of the main section (EXIF 2.32, 4.6.5).
//
// Where a rule cannot compute its result, the Information column shows the item's first value as
// it stands (a fraction as numerator "/" denominator): a denominator of 0, a text that is not a
// number, an exposure time of 0 or below (no reciprocal), a result that is not a finite number.
// An item of the other value kind than the rule reads, or without values, is shown by the general
// rules instead, except where a rule names its own result for it.

#include <cmath>

#include "metadata/Text.h"
#include "present/FormatRules.h"
#include "present/NumberText.h"
#include "present/ValueText.h"

namespace kelmarin {

namespace {

enum MainTag : std::int32_t {
  kNotice = 33432,
  kExposureTime = 33434,
  kFNumber = 33437,
  kExifVersion = 36864,
  kComponents = 37121,
  kShutterSpeed = 37377,
  kAperture = 37378,
  kMaxAperture = 37381,
  kFocalLength = 37386,
  kUserComment = 37510,
  kFlashPixVersion = 40960,
  kPrintImageMatching = 50341,
};

std::string Point(double value, const char* pattern, const FormatContext& context) {
  return PointForm(FormatNumber(value, pattern, context.locale), context.locale.decimalPoint);
}

// The characters of the values (a text value: its text).
std::string Characters(const ExifValues& values) {
  std::string out;
  out.reserve(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (const auto number = values.Number(i)) {
      AppendCodePageCharacter(out, *number);
    } else {
      out += ValueText(values[i]);
    }
  }
  return out;
}

// `count` characters from character `first` (0-based) on, counted in UTF-16 code units like the
// characters of a text, without cutting a character in two.
std::string CharactersAt(const std::string& utf8, std::size_t first, std::size_t count) {
  std::size_t unit = 0;
  std::size_t begin = utf8.size();
  std::size_t end = utf8.size();
  for (std::size_t i = 0; i < utf8.size();) {
    if (unit == first) begin = i;
    if (unit == first + count) {
      end = i;
      break;
    }
    unit += NextCodePoint(utf8, i) >= 0x10000 ? 2 : 1;
  }
  return begin >= end ? std::string() : utf8.substr(begin, end - begin);
}

// Photographer and editor, separated by a zero character (EXIF 2.32, 4.6.5, Copyright). A part
// that is missing (no zero character) counts as empty: code 2 then gives the empty text, the
// joined form "photographer;".
std::string Notice(const ExifValue& value, std::int32_t code) {
  const std::string bytes = ValueBytes(value);
  const std::size_t nul = bytes.find('\0');
  std::string photographer = ImageText(bytes.substr(0, nul));
  std::string editor;
  if (nul != std::string::npos) {
    const std::size_t next = bytes.find('\0', nul + 1);
    const std::size_t end = next == std::string::npos ? bytes.size() : next;
    editor = ImageText(bytes.substr(nul + 1, end - nul - 1));
  }
  if (code == kDisplayPhotographer) return photographer;
  if (code == kDisplayEditor) return editor;
  return photographer + ';' + editor;
}

// Seconds as "1/125" up to half a second, above as "0.6" or "30.0".
std::string Seconds(double seconds, const FormatContext& context) {
  if (seconds <= 0.5) return "1/" + FormatNumber(1.0 / seconds, "0", context.locale);
  return Point(seconds, "0.0", context);
}

std::string ExposureTime(const ExifValue& value, const FormatContext& context) {
  const auto x = Quotient(value);
  if (!x || *x <= 0.0) return ValueText(value);
  return Seconds(*x, context);
}

// "0220" with code 1 is version 2.2; a text that is not a number stays as it is.
std::string Version(const ExifValues& values, std::int32_t code, const FormatContext& context) {
  std::string text = Characters(values);
  if (code != kDisplayVersionNumber) return text;
  const auto number = ParseDecimalNumber(text);
  if (!number) return text;
  return Point(*number / 100.0, "0.0#", context);
}

// EXIF 2.32, 4.6.5, ComponentsConfiguration: the channel of each of the four components, 0 for
// none. Other orders than YCbCr and RGB (a scanner's "-, Cr, Cb, Y") are named channel by channel;
// a number that names no channel stands as it is. A list of another length stays numbers.
std::string Components(const ExifValues& values, const FormatContext& context) {
  std::vector<std::int64_t> n;
  for (const ExifValue& value : values) n.push_back(ValueNumber(value).value_or(-1));
  if (n.size() == 1) {
    static const char* const kNames[] = {"Y", "Cb", "Cr", "Red", "Green", "Blue"};
    if (n[0] >= 1 && n[0] <= 6) return kNames[n[0] - 1];
    return "unknown";
  }
  if (n.size() == 4) {
    if (n == std::vector<std::int64_t>{4, 5, 6, 0}) return "RGB";
    if (n == std::vector<std::int64_t>{1, 2, 3, 0}) return "YCbCr";
    static const char* const kChannels[] = {"-", "Y", "Cb", "Cr", "R", "G", "B"};
    std::string out;
    for (std::size_t i = 0; i < n.size(); ++i) {
      if (i > 0) out += ", ";
      out += n[i] >= 0 && n[i] <= 6 ? std::string(kChannels[n[i]]) : PlainNumberText(n[i]);
    }
    return out;
  }
  std::string out;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += ',';
    const auto number = values.Number(i);
    out += number ? FormatNumber(*number, "0", context.locale) : ValueText(values[i]);
  }
  return out;
}

// APEX shutter speed Tv: the exposure time is 1/2^Tv seconds, shown as the exposure time is (a Tv
// near and below 1 is a time of a second and more). A Tv whose time is no finite number, or
// beyond a day, shows the value as it stands.
std::string ShutterSpeed(const ExifValue& value, const FormatContext& context) {
  constexpr double kLongestExposure = 86400.0;
  const auto x = Quotient(value);
  if (!x) return ValueText(value);
  const double seconds = std::pow(2.0, -*x);
  if (!std::isfinite(seconds) || seconds <= 0.0 || seconds > kLongestExposure) return ValueText(value);
  return Seconds(seconds, context);
}

// APEX aperture Av: the f-number is sqrt(2)^Av.
std::string Aperture(const ExifValue& value, const FormatContext& context) {
  const auto x = Quotient(value);
  if (!x) return ValueText(value);
  const double fNumber = std::pow(std::sqrt(2.0), *x);
  if (!std::isfinite(fNumber)) return ValueText(value);
  return "f" + Point(fNumber, "0.0", context);
}

std::string FocalLength(const ExifValue& value, std::int32_t code, const FormatContext& context) {
  const auto x = Quotient(value);
  if (!x) return ValueText(value);
  if (code != kDisplayFocalEquivalent) return Point(*x, "0.0\\m\\m", context);
  const double equivalent = *x * context.camera_feq;
  if (!std::isfinite(equivalent)) return ValueText(value);
  return FormatNumber(equivalent, "0\\m\\m", context.locale);
}

// A UNICODE comment is UTF-16 in the byte order of its EXIF block, which the item no longer
// knows: Latin text has its zero bytes first in big-endian units, second in little-endian ones.
bool BigEndianUnits(const ExifValues& values) {
  std::size_t zeroFirst = 0;
  std::size_t zeroSecond = 0;
  for (std::size_t i = 8; i + 1 < values.size(); i += 2) {
    const auto first = ValueNumber(values[i]).value_or(-1);
    const auto second = ValueNumber(values[i + 1]).value_or(-1);
    if (first == 0 && second != 0) ++zeroFirst;
    if (second == 0 && first != 0) ++zeroSecond;
  }
  return zeroFirst > zeroSecond;
}

// The values with the two bytes of each unit after the 8-byte header exchanged.
ExifValues SwappedPairs(const ExifValues& values) {
  ExifValues out;
  for (std::size_t i = 0; i < values.size(); ++i) {
    std::size_t from = i;
    if (i >= 8 && (i - 8) % 2 == 1) from = i - 1;
    if (i >= 8 && (i - 8) % 2 == 0 && i + 1 < values.size()) from = i + 1;  // a last odd byte stays
    out.emplace_back(values[from]);
  }
  return out;
}

// EXIF 2.32, 4.6.5, UserComment: an 8-byte character-code header, then the comment. A comment
// under any header but "UNICODE" is shown as UTF-8 when its bytes are valid UTF-8, else as
// Windows-1252 (phones write UTF-8 under the ASCII header).
std::string UserComment(const ExifValues& values) {
  if (values.size() < 9) return {};
  std::string header;
  for (std::size_t i = 0; i < 8; ++i) {
    const auto number = ValueNumber(values[i]).value_or(-1);
    if (number != 0) header += CodePageCharacter(number);
  }
  std::string comment;
  if (EqualsNoCase(header, "unicode")) {
    comment = Utf16LeText(BigEndianUnits(values) ? SwappedPairs(values) : values, 8);
  } else {
    std::string bytes;
    for (std::size_t i = 8; i < values.size(); ++i) {
      const auto number = ValueNumber(values[i]).value_or(0);
      if (number > 255) {
        bytes += '_';
      } else if (number > 0) {
        bytes += static_cast<char>(static_cast<unsigned char>(number));
      }
    }
    comment = ImageText(bytes);
  }
  std::size_t begin = 0;
  std::size_t end = comment.size();
  while (begin < end && comment[begin] == ' ') ++begin;
  while (end > begin && comment[end - 1] == ' ') --end;
  return comment.substr(begin, end - begin);
}

// Print image matching: characters 9 to 12 hold the version ("0300").
std::string PrintImageMatching(const ExifValues& values, std::int32_t code,
                               const FormatContext& context) {
  std::string version = CharactersAt(Characters(values), 8, 4);
  if (code != kDisplayVersionNumber) return version;
  const double number = ParseDecimalNumber(version).value_or(0.0);
  return Point(number / 100.0, "0.0#", context);
}

}  // namespace

bool IsMainSpecial(std::int32_t tag) {
  switch (tag) {
    case kNotice:
    case kExposureTime:
    case kFNumber:
    case kExifVersion:
    case kComponents:
    case kShutterSpeed:
    case kAperture:
    case kMaxAperture:
    case kFocalLength:
    case kUserComment:
    case kFlashPixVersion:
    case kPrintImageMatching:
      return true;
    default:
      return false;
  }
}

std::string FormatMainSpecial(const ZetExif& item, std::int32_t code, const ExifTag* definition,
                          const FormatContext& context) {
  const auto& values = item.inhalt;
  switch (item.tag) {
    case kExifVersion:
    case kFlashPixVersion:
      return Version(values, code, context);
    case kPrintImageMatching:
      return PrintImageMatching(values, code, context);
    default:
      break;
  }
  const bool numberRule = item.tag == kComponents || item.tag == kUserComment;
  const std::int32_t wanted = numberRule ? kTypNumbers : kTypTexts;
  if (item.typ != wanted || values.empty()) return FormatGeneral(item, code, definition, context);
  switch (item.tag) {
    case kNotice:
      return Notice(values.front(), code);
    case kExposureTime:
      return ExposureTime(values.front(), context);
    case kFNumber: {
      const auto x = Quotient(values.front());
      return x ? "f" + Point(*x, "0.0", context) : ValueText(values.front());
    }
    case kComponents:
      return Components(values, context);
    case kShutterSpeed:
      return ShutterSpeed(values.front(), context);
    case kAperture:
    case kMaxAperture:
      return Aperture(values.front(), context);
    case kFocalLength:
      return FocalLength(values.front(), code, context);
    case kUserComment:
      return UserComment(values);
    default:
      return FormatGeneral(item, code, definition, context);
  }
}

}  // namespace kelmarin
