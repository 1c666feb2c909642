// The lens line: the EXIF lens fields, the makers' lens codes looked up in the lens table, narrowed
// by what the file says of the lens's focal range and aperture.

#include "present/Lens.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "extract/ImageMetadata.h"
#include "extract/NikonCipher.h"
#include "metadata/Makers.h"
#include "present/LensTableData.h"
#include "present/NumberText.h"

namespace kelmarin {

namespace {

constexpr std::int32_t kMain = 1;
constexpr std::int32_t kMakernote = 3;
constexpr std::int32_t kTagModel = 0x0110;
constexpr std::int32_t kTagMaxApertureValue = 0x9205;
constexpr std::int32_t kTagFocalLength = 0x920A;
constexpr std::int32_t kTagLensSpecification = 0xA432;
constexpr std::int32_t kTagLensMake = 0xA433;
constexpr std::int32_t kTagLensModel = 0xA434;
constexpr std::int32_t kTagDngLensInfo = 0xC630;

// Relative tolerances when comparing a table row with the file: Nikon stores focal lengths and
// apertures as steps of 1/24 EV (under 3 % apart), Canon apertures in 1/32 EV with thirds rounded.
constexpr std::size_t kNikonLensDataBytes = 32;

constexpr double kFocalTolerance = 0.03;
constexpr double kApertureTolerance = 0.05;

// What the file says of its lens.
struct LensSpec {
  double minFocal = 0;
  double maxFocal = 0;
  double minAperture = 0;
  double maxAperture = 0;
  std::vector<SummarySource> from;
  // The largest aperture at the focal length of the picture (Canon's camera settings, EXIF
  // MaxApertureValue): between the lens's two apertures.
  double currentAperture = 0;
};

// A maker's lens code as found.
struct LensCode {
  std::string maker;  // table maker word
  std::string code;   // canonical
  std::string raw;
  std::vector<SummarySource> from;
  bool adapted = false;  // a lens of another mount on this body
};

// A lens named as text by the file (EXIF LensModel or a makernote's lens text).
struct LensText {
  std::string text;
  std::string raw;
  std::vector<SummarySource> from;
};

struct Evidence {
  std::optional<LensText> named;
  std::optional<LensCode> code;
  LensSpec spec;
  double pictureFocal = 0;
};

const ZetExif* Find(const ImageMetadata& metadata, std::int32_t section, std::int32_t tag,
                    std::int32_t directory = 0) {
  const std::int32_t count = metadata.ExifCount(section);
  for (std::int32_t i = 1; i <= count; ++i) {
    const ZetExif* item = metadata.ExifPos(section, i);
    if (item != nullptr && item->tag == tag && item->directory == directory) return item;
  }
  return nullptr;
}

std::string TagText(const ZetExif& item) {
  std::string text = item.directory != 0 ? PlainNumberText(item.directory) + ':' : std::string();
  return text + PlainNumberText(item.tag);
}

SummarySource Source(std::int32_t section, const ZetExif& item, std::int32_t position = 0) {
  std::string tag = TagText(item);
  if (position > 0) tag += '.' + PlainNumberText(position);
  return {section, std::move(tag)};
}

std::optional<std::int64_t> NumberAt(const ZetExif* item, std::size_t i) {
  if (item == nullptr || i >= item->inhalt.size()) return std::nullopt;
  return item->inhalt.Number(i);
}

std::string TextOf(const ZetExif* item) {
  if (item == nullptr || item->inhalt.empty()) return {};
  const ExifValue value = item->inhalt[0];
  const auto* text = std::get_if<std::string>(&value);
  if (text == nullptr) return {};
  std::string out = text->substr(0, text->find('\0'));
  while (!out.empty() && std::isspace(static_cast<unsigned char>(out.back())) != 0) out.pop_back();
  std::size_t first = 0;
  while (first < out.size() && std::isspace(static_cast<unsigned char>(out[first])) != 0) ++first;
  return out.substr(first);
}

// A fraction "a/b" or a plain number; 0 when unknown or undefined.
double FractionAt(const ZetExif* item, std::size_t i) {
  if (item == nullptr || i >= item->inhalt.size()) return 0;
  const ExifValue value = item->inhalt[i];
  if (const auto* number = std::get_if<std::int64_t>(&value)) return static_cast<double>(*number);
  const std::string& text = std::get<std::string>(value);
  const std::size_t slash = text.find('/');
  const double numerator = PointNumber(text);
  if (slash == std::string::npos) return std::isfinite(numerator) ? numerator : 0;
  const double denominator = PointNumber(std::string_view(text).substr(slash + 1));
  const double result = denominator != 0 ? numerator / denominator : 0;
  return std::isfinite(result) && result > 0 ? result : 0;
}

// Texts that stand for "no lens named": empty, dashes, zeros, "n/a", "unknown", "none".
bool NamesALens(const std::string& text) {
  if (text.empty()) return false;
  if (std::all_of(text.begin(), text.end(),
                  [](char c) { return c == '-' || c == '0' || c == ' ' || c == '.'; })) {
    return false;
  }
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower != "n/a" && lower != "na" && lower != "unknown" && lower != "none" && lower != "null" &&
         lower != "(null)" && lower != "unknown lens";
}

// Four fractions: shortest and longest focal length, largest aperture at both.
bool ReadSpecFractions(const ZetExif* item, std::int32_t section, LensSpec& spec) {
  if (item == nullptr || item->inhalt.size() < 2) return false;
  const double low = FractionAt(item, 0);
  if (!(low > 0)) return false;
  spec = {low,
          std::max(low, FractionAt(item, 1)),
          FractionAt(item, 2),
          FractionAt(item, 3),
          {Source(section, *item)}};
  return true;
}

void ReadCanon(const ImageMetadata& metadata, Evidence& evidence) {
  const ZetExif* settings = Find(metadata, kMakernote, 0x0001);
  if (const auto type = NumberAt(settings, 22); type && *type != 65535 && *type != -1) {
    evidence.code = LensCode{"canon",
                             CanonicalLensCode(std::to_string(*type)),
                             "Canon LensType " + std::to_string(*type),
                             {Source(kMakernote, *settings, 23)}};
  }
  const auto longFocal = NumberAt(settings, 23);
  const auto shortFocal = NumberAt(settings, 24);
  const std::int64_t units = NumberAt(settings, 25).value_or(1) > 0 ? NumberAt(settings, 25).value_or(1) : 1;
  if (shortFocal && *shortFocal > 0 && longFocal && *longFocal >= *shortFocal) {
    evidence.spec.minFocal = static_cast<double>(*shortFocal) / static_cast<double>(units);
    evidence.spec.maxFocal = static_cast<double>(*longFocal) / static_cast<double>(units);
    evidence.spec.from = {Source(kMakernote, *settings, 25), Source(kMakernote, *settings, 24)};
    if (const auto aperture = NumberAt(settings, 26); aperture && *aperture > 0 && *aperture < 0x7FFF) {
      evidence.spec.currentAperture = std::pow(2.0, static_cast<double>(*aperture) / 64.0);
      evidence.spec.from.push_back(Source(kMakernote, *settings, 27));
    }
  }
  if (const ZetExif* model = Find(metadata, kMakernote, 0x0095);
      !evidence.named && NamesALens(TextOf(model))) {
    evidence.named = LensText{TextOf(model), TextOf(model), {Source(kMakernote, *model)}};
  }
  // A lens without electronic contacts reports neither type nor focal lengths.
  if (const auto type = NumberAt(settings, 22); !evidence.named && type && (*type == 65535 || *type == -1) &&
                                                longFocal.value_or(-1) == 0 && shortFocal.value_or(-1) == 0) {
    evidence.named =
        LensText{"manuelles Objektiv", "Canon LensType 65535", {Source(kMakernote, *settings, 23)}};
  }
}

// The f-number as lenses are marked (third stops): an aperture stored in steps of 1/24 EV
// comes out as 3.56 for f/3.5 and 5.66 for f/5.6.
double MarkedAperture(double value) {
  constexpr double kMarked[] = {1,   1.1, 1.2, 1.4, 1.6, 1.7, 1.8, 2,  2.2, 2.5, 2.8, 3.2, 3.5, 4,  4.5, 5,
                                5.6, 6.3, 6.7, 7.1, 8,   9,   10,  11, 13,  14,  16,  18,  20,  22, 25,  32};
  for (double marked : kMarked) {
    if (std::fabs(value - marked) <= 0.03 * marked) return marked;
  }
  return std::round(value * 10) / 10;
}

// Nikon's lens data: version, then (from version 0101 on at byte 11, from 0204 at byte 12) the
// lens ID number, f-stops, shortest and longest focal length, largest apertures at both ends and
// the lens's MCU version; versions 0201 and later are enciphered.
void ReadNikon(const ImageMetadata& metadata, Evidence& evidence) {
  const ZetExif* data = Find(metadata, kMakernote, 0x0098);
  const ZetExif* typeItem = Find(metadata, kMakernote, 0x0083);
  if (ReadSpecFractions(Find(metadata, kMakernote, 0x0084), kMakernote, evidence.spec)) {
    // kept: the lens's range as the body reports it
  }
  if (data == nullptr || data->inhalt.size() < 13) return;
  std::vector<std::uint8_t> bytes;
  // The lens ID ends at byte 19; the key stream runs from byte 4, so the rest can stay enciphered.
  const std::size_t used = std::min<std::size_t>(data->inhalt.size(), kNikonLensDataBytes);
  bytes.reserve(used);
  for (std::size_t i = 0; i < used; ++i) {
    bytes.push_back(static_cast<std::uint8_t>(data->inhalt.Number(i).value_or(0) & 0xFF));
  }
  const std::string version(bytes.begin(), bytes.begin() + 4);
  std::size_t at = 0;
  if (version == "0100") {
    at = 6;
  } else if (version == "0101") {
    at = 11;
  } else if (version == "0201" || version == "0202" || version == "0203" || version == "0204") {
    const ZetExif* serial = Find(metadata, kMakernote, 0x001D);
    const auto count = NumberAt(Find(metadata, kMakernote, 0x00A7), 0);
    if (serial == nullptr || !count) return;
    const NikonKey key{NikonSerialKey(TextOf(serial), TextOf(Find(metadata, kMain, kTagModel))),
                       static_cast<std::uint32_t>(*count)};
    bytes = NikonDecipher(bytes, key);
    at = version == "0204" ? 12 : 11;
  } else {
    return;
  }
  if (bytes.size() < at + 7) return;
  const std::uint8_t type = static_cast<std::uint8_t>(NumberAt(typeItem, 0).value_or(0) & 0xFF);
  char code[64];
  std::snprintf(code, sizeof code, "%02X %02X %02X %02X %02X %02X %02X %02X", bytes[at], bytes[at + 1],
                bytes[at + 2], bytes[at + 3], bytes[at + 4], bytes[at + 5], bytes[at + 6], type);
  std::vector<SummarySource> from{Source(kMakernote, *data)};
  if (typeItem != nullptr) from.push_back(Source(kMakernote, *typeItem));
  if (std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                  bytes.begin() + static_cast<std::ptrdiff_t>(at) + 7,
                  [](std::uint8_t b) { return b == 0; })) {
    evidence.code = LensCode{"nikon", "00", std::string("Nikon LensID ") + code, std::move(from)};
    return;
  }
  evidence.code =
      LensCode{"nikon", CanonicalLensCode(code), std::string("Nikon LensID ") + code, std::move(from)};
  if (bytes[at + 2] != 0 && evidence.spec.minFocal == 0) {
    auto focal = [](std::uint8_t b) { return std::round(5 * std::pow(2.0, b / 24.0)); };
    auto aperture = [](std::uint8_t b) { return MarkedAperture(std::pow(2.0, b / 24.0)); };
    evidence.spec = {focal(bytes[at + 2]),
                     focal(bytes[at + 3]),
                     aperture(bytes[at + 4]),
                     aperture(bytes[at + 5]),
                     {Source(kMakernote, *data)}};
  }
}

void ReadNumberCode(const ImageMetadata& metadata, Evidence& evidence, std::int32_t tag, const char* maker,
                    const char* label, std::int64_t none) {
  const ZetExif* item = Find(metadata, kMakernote, tag);
  const auto value = NumberAt(item, 0);
  if (!value || *value == none) return;
  evidence.code = LensCode{maker,
                           CanonicalLensCode(std::to_string(*value)),
                           std::string(label) + ' ' + std::to_string(*value),
                           {Source(kMakernote, *item)}};
}

void ReadPentax(const ImageMetadata& metadata, Evidence& evidence) {
  const ZetExif* item = Find(metadata, kMakernote, 0x003F);
  const auto series = NumberAt(item, 0);
  const auto number = NumberAt(item, 1);
  if (!series || !number) return;
  const std::string code = std::to_string(*series) + ' ' + std::to_string(*number);
  evidence.code =
      LensCode{"pentax", CanonicalLensCode(code), "Pentax LensType " + code, {Source(kMakernote, *item)}};
}

void ReadOlympus(const ImageMetadata& metadata, Evidence& evidence) {
  constexpr std::int32_t kEquipment = 0x2010;
  const ZetExif* item = Find(metadata, kMakernote, 0x0201, kEquipment);
  if (const ZetExif* model = Find(metadata, kMakernote, 0x0203, kEquipment); NamesALens(TextOf(model))) {
    evidence.named = LensText{TextOf(model), TextOf(model), {Source(kMakernote, *model)}};
  }
  const auto make = NumberAt(item, 0);
  const auto model = NumberAt(item, 2);
  const auto sub = NumberAt(item, 3);
  if (!make || !model || !sub || (*make == 0 && *model == 0 && *sub == 0)) return;
  char code[32];
  std::snprintf(code, sizeof code, "%X %02X %02X", static_cast<unsigned>(*make & 0xFF),
                static_cast<unsigned>(*model & 0xFF), static_cast<unsigned>(*sub & 0xFF));
  evidence.code = LensCode{"olympus",
                           CanonicalLensCode(code),
                           std::string("Olympus LensType ") + code,
                           {Source(kMakernote, *item)}};
}

void ReadMakernoteText(const ImageMetadata& metadata, Evidence& evidence, std::int32_t tag) {
  const ZetExif* item = Find(metadata, kMakernote, tag);
  if (!evidence.named && NamesALens(TextOf(item))) {
    evidence.named = LensText{TextOf(item), TextOf(item), {Source(kMakernote, *item)}};
  }
}

void ReadFujifilm(const ImageMetadata& metadata, Evidence& evidence) {
  const ZetExif* low = Find(metadata, kMakernote, 0x1404);
  const double minFocal = FractionAt(low, 0);
  if (!(minFocal > 0)) return;
  const ZetExif* high = Find(metadata, kMakernote, 0x1405);
  const ZetExif* wide = Find(metadata, kMakernote, 0x1406);
  const ZetExif* tele = Find(metadata, kMakernote, 0x1407);
  evidence.spec = {minFocal,
                   std::max(minFocal, FractionAt(high, 0)),
                   FractionAt(wide, 0),
                   FractionAt(tele, 0),
                   {Source(kMakernote, *low)}};
  if (high != nullptr) evidence.spec.from.push_back(Source(kMakernote, *high));
}

void ReadMakernote(const ImageMetadata& metadata, Evidence& evidence) {
  switch (metadata.camera_id) {
    case kMakerCanon01:
      return ReadCanon(metadata, evidence);
    case kMakerNikon01:
    case kMakerNikon02:
      return ReadNikon(metadata, evidence);
    case kMakerSony01:
      return ReadNumberCode(metadata, evidence, 0xB027, "sony", "Sony LensType", 65535);
    case kMakerMinolta01:
      return ReadNumberCode(metadata, evidence, 0x010C, "sony", "Minolta LensType", 65535);
    case kMakerAsahi02:
    case kMakerAsahi01:
      return ReadPentax(metadata, evidence);
    case kMakerOlympus02:
      return ReadOlympus(metadata, evidence);
    case kMakerSamsung01:
      return ReadNumberCode(metadata, evidence, 0xA003, "samsung", "Samsung LensType", -1);
    case kMakerPanasonic01:
      return ReadMakernoteText(metadata, evidence, 0x0051);
    case kMakerLeica01:
      ReadMakernoteText(metadata, evidence, 0x0051);
      return ReadNumberCode(metadata, evidence, 0x0310, "leica", "Leica LensType", -1);
    case kMakerLeica02:
      return ReadMakernoteText(metadata, evidence, 0x0303);
    case kMakerSigma01:
      return ReadMakernoteText(metadata, evidence, 0x0027);
    case kMakerFujifilm01:
      return ReadFujifilm(metadata, evidence);
    default:
      return;
  }
}

bool Near(double a, double b, double tolerance) {
  return std::fabs(a - b) <= tolerance * std::max(a, b);
}

// The rows of a code that the file's lens facts do not contradict; empty when every row is.
std::vector<const LensRow*> Narrow(const std::vector<LensRow>& rows, const LensSpec& spec,
                                   double pictureFocal) {
  std::vector<const LensRow*> kept;
  for (const LensRow& row : rows) {
    if (row.minFocal > 0 && spec.minFocal > 0 &&
        !(Near(row.minFocal, spec.minFocal, kFocalTolerance) &&
          Near(row.maxFocal, spec.maxFocal, kFocalTolerance))) {
      continue;
    }
    if (row.minFocal > 0 && spec.minFocal == 0 && pictureFocal > 0 &&
        (pictureFocal < row.minFocal * (1 - kFocalTolerance) ||
         pictureFocal > row.maxFocal * (1 + kFocalTolerance))) {
      continue;
    }
    if (row.minAperture > 0 && spec.minAperture > 0 &&
        !Near(row.minAperture, spec.minAperture, kApertureTolerance)) {
      continue;
    }
    if (row.minAperture > 0 && spec.minAperture == 0 && spec.currentAperture > 0 &&
        (spec.currentAperture < row.minAperture * (1 - kApertureTolerance) ||
         spec.currentAperture > row.maxAperture * (1 + kApertureTolerance))) {
      continue;
    }
    kept.push_back(&row);
  }
  return kept;
}

// The focal range a lens name states ("EF70-200mm", "14-42mm", "50mm"): 0, 0 when it states none.
std::pair<double, double> NamedRange(const std::string& name) {
  for (std::size_t mm = name.find("mm"); mm != std::string::npos; mm = name.find("mm", mm + 2)) {
    std::size_t end = mm;
    while (end > 0 && name[end - 1] == ' ') --end;
    std::size_t start = end;
    while (start > 0 && (std::isdigit(static_cast<unsigned char>(name[start - 1])) != 0 ||
                         name[start - 1] == '.' || name[start - 1] == '-')) {
      --start;
    }
    while (start < end && (name[start] == '.' || name[start] == '-')) ++start;
    const std::string range = name.substr(start, end - start);
    const std::size_t dash = range.find('-');
    const double low = PointNumber(range);
    const double high =
        dash == std::string::npos ? low : PointNumber(std::string_view(range).substr(dash + 1));
    if (low > 0 && high >= low) return {low, high};
  }
  return {0, 0};
}

std::string RangeOf(const LensSpec& spec) {
  return LensRangeName(spec.minFocal, spec.maxFocal, spec.minAperture, spec.maxAperture);
}

void Append(std::vector<SummarySource>& to, const std::vector<SummarySource>& from) {
  for (const SummarySource& source : from) {
    const bool known = std::any_of(to.begin(), to.end(), [&](const SummarySource& s) {
      return s.section == source.section && s.tag == source.tag;
    });
    if (!known) to.push_back(source);
  }
}

// Whether the body's mount differs from the code's: EF lenses on Canon's R bodies, A-mount lenses
// on Sony's E-mount bodies (both through an adapter).
bool Adapted(const LensCode& code, const std::string& model, const std::string& name) {
  if (code.maker == "canon") {
    // "EOS R", "EOS RP", "EOS R5 C", but not the EF-mount "EOS Rebel" bodies.
    const std::size_t at = model.find("EOS R");
    if (at == std::string::npos || name.find("Canon EF") != 0) return false;
    const char next = at + 5 < model.size() ? model[at + 5] : ' ';
    return next == ' ' || next == 'P' || std::isdigit(static_cast<unsigned char>(next)) != 0;
  }
  if (code.maker == "sony") return model.rfind("NEX", 0) == 0 || model.rfind("ILCE", 0) == 0;
  return false;
}

std::optional<LensAnswer> FromCode(const Evidence& evidence, const LensTable& table,
                                   const std::string& model) {
  const LensCode& code = *evidence.code;
  LensAnswer answer;
  answer.raw = code.raw;
  answer.from = code.from;
  const auto found = table.data().rows.find(code.maker + '|' + code.code);
  std::vector<const LensRow*> rows;
  if (found != table.data().rows.end()) rows = Narrow(found->second, evidence.spec, evidence.pictureFocal);
  const std::string range = RangeOf(evidence.spec);
  if (rows.empty()) {
    if (evidence.named) return std::nullopt;  // the file's own text names the lens
    answer.text = range.empty() ? "unbekanntes Objektiv" : "unbekanntes Objektiv (" + range + ')';
    Append(answer.from, evidence.spec.from);
    return answer;
  }
  std::vector<std::string> names;
  for (const LensRow* row : rows) {
    std::string name = row->name;
    if (Adapted(code, model, name)) name += " (adaptiert)";
    if (std::find(names.begin(), names.end(), name) != names.end()) continue;
    if (!names.empty()) answer.text += " oder ";
    answer.text += name;
    names.push_back(std::move(name));
  }
  if (rows.size() < found->second.size()) Append(answer.from, evidence.spec.from);
  if (evidence.named) {
    // The file's own name wins unless the code names one lens of the same focal range, whose
    // table name is the fuller one.
    const auto [low, high] = NamedRange(evidence.named->text);
    if (rows.size() != 1 || low == 0 || rows.front()->minFocal == 0 ||
        !(Near(low, rows.front()->minFocal, kFocalTolerance) &&
          Near(high, rows.front()->maxFocal, kFocalTolerance))) {
      return std::nullopt;
    }
    Append(answer.from, evidence.named->from);
  }
  return answer;
}

}  // namespace

std::optional<LensAnswer> ResolveLens(const ImageMetadata& metadata, const LensTable& table) {
  Evidence evidence;
  const std::string lensModel = TextOf(Find(metadata, kMain, kTagLensModel));
  if (NamesALens(lensModel)) {
    evidence.named = LensText{lensModel, lensModel, {{kMain, PlainNumberText(kTagLensModel)}}};
    const std::string lensMake = TextOf(Find(metadata, kMain, kTagLensMake));
    if (NamesALens(lensMake)) evidence.named->from.push_back({kMain, PlainNumberText(kTagLensMake)});
  }
  if (!ReadSpecFractions(Find(metadata, kMain, kTagLensSpecification), kMain, evidence.spec)) {
    ReadSpecFractions(Find(metadata, kMain, kTagDngLensInfo), kMain, evidence.spec);
  }
  evidence.pictureFocal = FractionAt(Find(metadata, kMain, kTagFocalLength), 0);
  ReadMakernote(metadata, evidence);
  if (const double apex = FractionAt(Find(metadata, kMain, kTagMaxApertureValue), 0);
      evidence.spec.currentAperture == 0 && apex > 0 && apex < 32) {
    evidence.spec.currentAperture = std::pow(2.0, apex / 2);
  }
  const std::string model = TextOf(Find(metadata, kMain, kTagModel));
  if (evidence.code) {
    if (auto answer = FromCode(evidence, table, model)) return answer;
  }
  if (evidence.named) {
    LensAnswer answer{evidence.named->text, evidence.named->raw, evidence.named->from};
    if (evidence.code) answer.raw = evidence.code->raw;
    return answer;
  }
  const std::string range = RangeOf(evidence.spec);
  if (range.empty()) return std::nullopt;
  // A range alone describes the lens without naming it (a compact camera's zoom, an unknown code).
  return LensAnswer{range, range, evidence.spec.from};
}

}  // namespace kelmarin
