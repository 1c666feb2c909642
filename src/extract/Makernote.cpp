// Makernote layouts. Manufacturers store their private directory in the EXIF MakerNote tag
// (EXIF 2.32, 4.6.5, tag 0x927C) in layouts of their own: some behind a signature, some with
// offsets from the TIFF header, some with offsets from the makernote itself.

#include <algorithm>
#include <array>

#include "extract/CanonBlocks.h"
#include "extract/CanonCustom.h"
#include "extract/ExifBlock.h"
#include "metadata/Definitions.h"
#include "metadata/Makers.h"
#include "metadata/Text.h"

namespace kelmarin {

namespace {

using namespace std::string_view_literals;
using enum MakerCondition;
using enum MakerDirectory;
using enum MakerBase;
using enum MakerOrder;

constexpr std::int64_t kMakerTextSearchBytes = 65535;

// A directory whose entry count is at least 1 and at most kMaxPlausibleEntries, whose entries lie
// inside the buffer and whose first entry has a TIFF field type (1..13).
constexpr std::size_t kMaxPlausibleEntries = 512;
bool Plausible(const ExifBlockState& state, std::int64_t at, bool bigEndian) {
  ByteCursor directory = state.From(at);
  directory.SetBigEndian(bigEndian);
  const std::size_t entries = directory.U16();
  const std::uint16_t type = directory.U16At(4);
  return entries >= 1 && entries <= kMaxPlausibleEntries && 12 * entries <= directory.Remaining() &&
         type >= 1 && type <= 13;
}

// True when the bytes at `at` are `text`, ASCII letters compared without regard to case.
bool StartsWithNoCase(const ExifBlockState& state, std::int64_t at, std::string_view text) {
  const bool inside = at >= 0 && at <= std::ssize(state.bytes.Bytes());
  return inside && EqualsNoCase(state.TextAt(at, std::ssize(text)), text);
}

bool ConditionHolds(const MakerRow& row, const ExifBlockState& state) {
  const std::int64_t mn = *state.makernote;
  switch (row.condition) {
    case Always:
      return true;
    case FoundFromMakernote:
      // Within the most an APP1 marker can hold, so that a whole RAW file is not searched.
      return ContainsNoCase(state.TextAt(mn, kMakerTextSearchBytes), row.text);
    case StartsAtMakernote:
      return StartsWithNoCase(state, mn, row.text);
    case StartsAtMakernoteAndModel:
      return StartsWithNoCase(state, mn, row.text) &&
             std::any_of(row.models.begin(), row.models.end(), [&](std::string_view model) {
               return state.model.find(model) != std::string::npos;
             });
    case PlausibleDirectory: {
      const bool big = state.bytes.BigEndian();
      return Plausible(state, mn + row.directoryOffset, big) ||
             Plausible(state, mn + row.directoryOffset, !big);
    }
  }
  return false;
}

// The rows of the group of the first make word the make contains (empty when none does).
std::span<const MakerRow> MakerGroup(std::string_view make) {
  const std::span<const MakerRow> table = MakerTable();
  const auto first = std::find_if(table.begin(), table.end(),
                                  [&](const MakerRow& row) { return ContainsNoCase(make, row.makeWord); });
  if (first == table.end()) return {};
  const auto end = std::find_if(first, table.end(),
                                [&](const MakerRow& row) { return row.makeWord != first->makeWord; });
  return {first, end};
}

// Canon's footer, the last 8 bytes of the makernote: a TIFF byte-order mark and the makernote's
// offset from the TIFF header when it was written. Offsets inside the makernote still count from
// there, so a moved makernote moves its base by the same distance.
std::int64_t CanonBase(const ExifBlockState& state) {
  const std::int64_t footer = *state.makernote + state.makernoteSize - 8;
  if (state.makernoteSize < 8 + 2) return state.header;
  ByteCursor bytes = state.From(footer);
  if (StartsWithNoCase(state, footer, "II*\0"sv)) {
    bytes.SetBigEndian(false);
  } else if (StartsWithNoCase(state, footer, "MM\0*"sv)) {
    bytes.SetBigEndian(true);
  } else {
    return state.header;
  }
  return *state.makernote - bytes.U32At(4);
}

void SetOrder(const MakerRow& row, ExifBlockState& state, std::int64_t directory) {
  ByteCursor& bytes = state.bytes;
  switch (row.order) {
    case LittleEndianRest:
      bytes.SetBigEndian(false);
      break;
    case BigEndianRest:
      bytes.SetBigEndian(true);
      break;
    case OwnHeader:
      if (StartsWithNoCase(state, *state.makernote + row.orderOffset, "II")) {
        bytes.SetBigEndian(false);
      } else if (StartsWithNoCase(state, *state.makernote + row.orderOffset, "MM")) {
        bytes.SetBigEndian(true);
      }
      break;
    case Block:
      if (!Plausible(state, directory, bytes.BigEndian()) && Plausible(state, directory, !bytes.BigEndian()))
        bytes.SetBigEndian(!bytes.BigEndian());
      break;
  }
}

MakernoteLayout Apply(const MakerRow& row, ExifBlockState& state) {
  if (row.order == LittleEndianRest) state.bytes.SetBigEndian(false);
  const std::int64_t mn = *state.makernote;
  MakernoteLayout layout;
  layout.maker = row.maker;
  if (row.maker == 0) return layout;
  layout.directory =
      row.directory == LittleEndianLink ? mn + state.From(mn).U32At(8) : mn + row.directoryOffset;
  SetOrder(row, state, layout.directory);
  layout.baseMovesWithEdits = row.base == TiffHeader || row.base == CanonFooter;
  switch (row.base) {
    case TiffHeader:
      layout.base = state.header;
      break;
    case Makernote:
      layout.base = mn + row.baseOffset;
      break;
    case CanonFooter:
      layout.base = CanonBase(state);
      break;
  }
  layout.subdirectories = row.subdirectories;
  layout.fields = row.fields;
  layout.countPadding = row.countPadding;
  layout.wholeTexts = row.wholeTexts;
  layout.olympusCameraType = row.olympusCameraType;
  layout.textPairs = row.textPairs;
  layout.read = row.read;
  layout.afterWalk = row.afterWalk;
  return layout;
}

}  // namespace

MakernoteLayout DetectMakernote(ExifBlockState& state) {
  for (const MakerRow& row : MakerGroup(state.make)) {
    if (ConditionHolds(row, state)) return Apply(row, state);
  }
  return {};
}

namespace {

// The fixed values of a makernote without a directory, as far as the makernote's bytes reach.
void ReadFields(ImageMetadata& image, const ExifBlockState& state, std::span<const MakerField> fields) {
  const ByteCursor note(state.From(*state.makernote).PartAt(0, static_cast<std::size_t>(state.makernoteSize)),
                        state.bytes.BigEndian());
  for (const MakerField& field : fields) {
    const auto at = static_cast<std::size_t>(field.offset);
    if (!field.utf16) {
      AddField(image, 0, field.tag, note, at, field.width, field.count, field.isSigned);
      continue;
    }
    const std::span<const std::uint8_t> units = note.PartAt(at, static_cast<std::size_t>(field.count));
    if (units.size() != static_cast<std::size_t>(field.count)) continue;
    std::string text;
    for (std::size_t unit = 0; unit + 2 <= units.size(); unit += 2) {
      const std::uint32_t code = units[unit] | (std::uint32_t{units[unit + 1]} << 8);
      if (code == 0) break;
      text += code < 0x80 ? static_cast<char>(code) : '?';
    }
    image.ExifAdd(kSectionMakernote, field.tag, kTypTexts, {std::move(text)});
  }
}

}  // namespace

void AddMakernoteItem(ImageMetadata& image, std::int32_t directory, std::int32_t tag, std::int32_t typ,
                      ExifValues values) {
  if (ZetExif* item = image.ExifAdd(kSectionMakernote, tag, typ, std::move(values)))
    item->directory = directory;
}

void AddField(ImageMetadata& image, std::int32_t directory, std::int32_t tag, const ByteCursor& bytes,
              std::size_t at, std::int32_t width, std::int32_t count, bool isSigned) {
  const auto size = static_cast<std::size_t>(width == 0 ? count : width * count);
  const std::span<const std::uint8_t> part = bytes.PartAt(at, size);
  if (part.size() != size) return;
  if (width == 0) {
    AddMakernoteItem(image, directory, tag, kTypTexts, {std::string(CutAtNul(bytes.TextAt(at, size)))});
    return;
  }
  const PackedForm form{static_cast<std::uint8_t>(width), isSigned, bytes.BigEndian()};
  AddMakernoteItem(image, directory, tag, kTypNumbers,
                   ExifValues::Packed(part, static_cast<std::size_t>(count), form));
}

namespace {

// Every value inside [from, to), none on the directory's entries, no two that overlap in part (a
// block that holds smaller values whole, as Sanyo's data block does, is sound).
struct Span {
  std::int64_t from = 0;
  std::int64_t to = 0;
};
bool ValuesFit(std::span<const StoredValue> values, std::int64_t base, Span allowed, Span entries) {
  std::vector<Span> spans;
  spans.reserve(values.size());
  for (const StoredValue& value : values) {
    const std::int64_t at = value.offset + base;
    if (at < allowed.from || value.size > allowed.to - at) return false;
    if (at < entries.to && at + value.size > entries.from) return false;
    spans.push_back({at, at + value.size});
  }
  std::sort(spans.begin(), spans.end(),
            [](const Span& a, const Span& b) { return a.from != b.from ? a.from < b.from : a.to > b.to; });
  std::int64_t outerEnd = 0;  // end of the last value not held by another
  for (const Span& span : spans) {
    if (span.from < outerEnd && span.to > outerEnd) return false;
    outerEnd = std::max(outerEnd, span.to);
  }
  return true;
}

}  // namespace

std::optional<std::int64_t> PlaceMakernote(const ExifBlockState& state, const MakernoteLayout& layout) {
  std::vector<StoredValue> values = ValuesOutsideEntries(state, layout.directory);
  // A value larger than the makernote is a picture or a block kept elsewhere in the file (a
  // preview image beyond the EXIF marker): it says nothing about the makernote's base.
  std::erase_if(values, [&](const StoredValue& value) { return value.size > state.makernoteSize; });
  if (values.empty()) return layout.base;
  const Span entries{layout.directory,
                     layout.directory + 2 + state.countPadding + 12 * state.From(layout.directory).U16()};
  std::int64_t lowest = values.front().offset;
  for (const StoredValue& value : values) lowest = std::min(lowest, value.offset);
  // Makernotes keep their values in their own bytes; where the entry's count leaves them some
  // room, that is where a sound base puts them.
  const Span makernote{*state.makernote, *state.makernote + std::max<std::int64_t>(state.makernoteSize, 0)};
  for (const std::int64_t base : {layout.base, state.header, entries.to + 4 - lowest, entries.to - lowest}) {
    if (ValuesFit(values, base, makernote, entries)) return base;
  }
  // Values outside the makernote's bytes (a preview image, or a makernote entry of a wrong count)
  // are still sound at the layout's base when they lie in the buffer.
  if (ValuesFit(values, layout.base, {0, std::ssize(state.bytes.Bytes())}, entries)) return layout.base;
  return std::nullopt;
}

namespace {

constexpr std::int32_t kTagOlympusCameraType = 0x0207;

// Olympus's "SX" camera types (all but SX151) and the D4322 number their quality codes SQ, HQ, SHQ
// from 0; the other bodies from 1.
bool OlympusCountsFromZero(ImageMetadata& image) {
  const ZetExif* type = image.ExifTag(kSectionMakernote, kTagOlympusCameraType);
  if (type == nullptr || type->inhalt.empty() || !std::holds_alternative<std::string>(type->inhalt[0])) return false;
  // The values hand out copies: keep this one while it is looked at.
  const std::string text = std::get<std::string>(type->inhalt[0]);
  if (text.starts_with("SX151")) return false;
  return text.starts_with("SX") || text.starts_with("D4322");
}

// The pairs of a text makernote, within its bytes and up to the first NUL.
constexpr std::size_t kMaxKeyLetters = 4;
void ReadTextPairs(ImageMetadata& image, const ExifBlockState& state) {
  const std::string_view text = CutAtNul(state.TextAt(*state.makernote, state.makernoteSize));
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find(';', start), text.size());
    const std::string_view pair = text.substr(start, end - start);
    start = end + 1;
    std::size_t letters = 0;
    std::int32_t tag = 0;
    while (letters < pair.size() && letters < kMaxKeyLetters &&
           ((pair[letters] >= 'A' && pair[letters] <= 'Z') || (pair[letters] >= 'a' && pair[letters] <= 'z'))) {
      tag = (tag << 8) | pair[letters++];
    }
    if (letters == 0 || letters == pair.size()) continue;
    image.ExifAdd(kSectionMakernote, tag, kTypTexts, {std::string(pair.substr(letters))});
  }
}

}  // namespace

void ReadMakernote(ImageMetadata& image, ExifBlockState& state) {
  const MakernoteLayout layout = DetectMakernote(state);
  image.camera_id = layout.maker;
  if (image.camera_id == 0) return;
  if (!layout.fields.empty()) {
    ReadFields(image, state, layout.fields);
    return;
  }
  if (layout.textPairs) {
    ReadTextPairs(image, state);
    return;
  }
  if (layout.read != nullptr) {
    layout.read(image, state);
    return;
  }
  state.subdirectories = layout.subdirectories;
  state.countPadding = layout.countPadding;
  state.wholeTexts = layout.wholeTexts;
  std::optional<std::int64_t> base = layout.base;
  if (layout.baseMovesWithEdits) base = PlaceMakernote(state, layout);
  if (!base) {
    image.ExifAdd(kSectionMakernote, kTagMakernoteNotPlaced, kTypTexts,
                  {std::string("Makernote verschoben, Lage der Werte unbekannt: Werte als Offsets")});
    state.rawOffsets = true;
  }
  WalkDirectory(image, state, kSectionMakernote, layout.directory, base.value_or(layout.base));
  if (layout.maker == kMakerCanon01 && base) {
    ReadCanonCustomFunctions(image, state, layout.directory, *base);
    ReadCanonBlocks(image, state);
  }
  if (layout.olympusCameraType) image.countsFromZero = OlympusCountsFromZero(image);
  if (layout.afterWalk != nullptr && !state.rawOffsets) layout.afterWalk(image, state);
  state.rawOffsets = false;
  state.subdirectories = {};
  state.countPadding = 0;
  state.wholeTexts = {};
}

}  // namespace kelmarin
