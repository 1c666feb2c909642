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
constexpr std::int64_t kMaxPlausibleEntries = 512;
bool Plausible(const ByteReader& reader, BufferPos position) {
  const std::int64_t entries = reader.ReadU16(position);
  if (entries < 1 || entries > kMaxPlausibleEntries || !reader.Has(position, 2 + 12 * entries)) return false;
  const std::int32_t type = reader.ReadU16(position + 4);
  return type >= 1 && type <= 13;
}

ByteOrder Opposite(ByteOrder order) {
  return order == ByteOrder::BigEndian ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
}

// Plausible in the reader's order, or made so by switching to the opposite one.
bool PlausibleInEitherOrder(ByteReader& reader, BufferPos position) {
  if (Plausible(reader, position)) return true;
  reader.SetOrder(Opposite(reader.Order()));
  if (Plausible(reader, position)) return true;
  reader.SetOrder(Opposite(reader.Order()));
  return false;
}

bool ConditionHolds(const MakerRow& row, ExifBlockState& state) {
  switch (row.condition) {
    case Always:
      return true;
    case FoundFromMakernote: {
      // Within the most an APP1 marker can hold, so that a whole RAW file is not searched.
      const ByteReader window(state.reader.Bytes(state.makernote, kMakerTextSearchBytes));
      return window.FindNoCase(row.text, 1) != 0;
    }
    case StartsAtMakernote:
      return state.reader.MatchesNoCase(state.makernote, row.text);
    case StartsAtMakernoteAndModel:
      return state.reader.MatchesNoCase(state.makernote, row.text) &&
             std::any_of(row.models.begin(), row.models.end(), [&](std::string_view model) {
               return state.model.find(model) != std::string::npos;
             });
    case PlausibleDirectory: {
      ByteReader probe = state.reader;
      return PlausibleInEitherOrder(probe, state.makernote + row.directoryOffset);
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
BufferPos CanonBase(const ExifBlockState& state) {
  const BufferPos footer = state.makernote + state.makernoteSize - 8;
  ByteReader reader = state.reader;
  if (state.makernoteSize < 8 + 2) return state.header;
  if (reader.MatchesNoCase(footer, "II*\0"sv)) {
    reader.SetOrder(ByteOrder::LittleEndian);
  } else if (reader.MatchesNoCase(footer, "MM\0*"sv)) {
    reader.SetOrder(ByteOrder::BigEndian);
  } else {
    return state.header;
  }
  return state.makernote - reader.ReadU32(footer + 4);
}

void SetOrder(const MakerRow& row, ExifBlockState& state, BufferPos directory) {
  ByteReader& reader = state.reader;
  switch (row.order) {
    case LittleEndianRest:
      reader.SetOrder(ByteOrder::LittleEndian);
      break;
    case BigEndianRest:
      reader.SetOrder(ByteOrder::BigEndian);
      break;
    case OwnHeader:
      if (reader.MatchesNoCase(state.makernote + row.orderOffset, "II")) {
        reader.SetOrder(ByteOrder::LittleEndian);
      } else if (reader.MatchesNoCase(state.makernote + row.orderOffset, "MM")) {
        reader.SetOrder(ByteOrder::BigEndian);
      }
      break;
    case Block:
      PlausibleInEitherOrder(reader, directory);
      break;
  }
}

MakernoteLayout Apply(const MakerRow& row, ExifBlockState& state) {
  if (row.order == LittleEndianRest) state.reader.SetOrder(ByteOrder::LittleEndian);
  const BufferPos mn = state.makernote;
  MakernoteLayout layout;
  layout.maker = row.maker;
  if (row.maker == 0) return layout;
  layout.directory =
      row.directory == LittleEndianLink ? mn + state.reader.ReadU32(mn + 8) : mn + row.directoryOffset;
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
  const ByteReader& reader = state.reader;
  for (const MakerField& field : fields) {
    const BufferPos at = state.makernote + field.offset;
    const std::int64_t size = field.width == 0 ? field.count : std::int64_t{field.width} * field.count;
    if (field.offset + size > state.makernoteSize || !reader.Has(at, size)) continue;
    ExifValues inhalt;
    if (field.width == 0 && !field.utf16) {
      const std::string_view text = reader.Text(at, field.count);
      inhalt.emplace_back(std::string(text.substr(0, text.find('\0'))));
    } else if (field.width == 0) {
      std::string text;
      for (BufferPos unit = at; unit + 2 <= at + field.count; unit += 2) {
        const std::uint32_t code = reader.Byte(unit) | (std::uint32_t{reader.Byte(unit + 1)} << 8);
        if (code == 0) break;
        text += code < 0x80 ? static_cast<char>(code) : '?';
      }
      inhalt.emplace_back(std::move(text));
    } else {
      const PackedForm form{static_cast<std::uint8_t>(field.width), field.isSigned,
                            reader.Order() == ByteOrder::BigEndian};
      inhalt = ExifValues::Packed(reader.Bytes(at, size), static_cast<std::size_t>(field.count), form);
    }
    image.ExifAdd(kSectionMakernote, field.tag, field.width == 0 ? kTypTexts : kTypNumbers, std::move(inhalt));
  }
}

}  // namespace

namespace {

// Every value inside [from, to), none on the directory's entries, no two that overlap in part (a
// block that holds smaller values whole, as Sanyo's data block does, is sound).
struct Span {
  BufferPos from = 0;
  BufferPos to = 0;
};
bool ValuesFit(std::span<const StoredValue> values, BufferPos base, Span allowed, Span entries) {
  std::vector<Span> spans;
  spans.reserve(values.size());
  for (const StoredValue& value : values) {
    const BufferPos at = value.offset + base;
    if (at < allowed.from || value.size > allowed.to - at) return false;
    if (at < entries.to && at + value.size > entries.from) return false;
    spans.push_back({at, at + value.size});
  }
  std::sort(spans.begin(), spans.end(),
            [](const Span& a, const Span& b) { return a.from != b.from ? a.from < b.from : a.to > b.to; });
  BufferPos outerEnd = 0;  // end of the last value not held by another
  for (const Span& span : spans) {
    if (span.from < outerEnd && span.to > outerEnd) return false;
    outerEnd = std::max(outerEnd, span.to);
  }
  return true;
}

}  // namespace

std::optional<BufferPos> PlaceMakernote(const ExifBlockState& state, const MakernoteLayout& layout) {
  std::vector<StoredValue> values = ValuesOutsideEntries(state, layout.directory);
  // A value larger than the makernote is a picture or a block kept elsewhere in the file (a
  // preview image beyond the EXIF marker): it says nothing about the makernote's base.
  std::erase_if(values, [&](const StoredValue& value) { return value.size > state.makernoteSize; });
  if (values.empty()) return layout.base;
  const Span entries{layout.directory,
                     layout.directory + 2 + state.countPadding + 12 * state.reader.ReadU16(layout.directory)};
  std::int64_t lowest = values.front().offset;
  for (const StoredValue& value : values) lowest = std::min(lowest, value.offset);
  // Makernotes keep their values in their own bytes; where the entry's count leaves them some
  // room, that is where a sound base puts them.
  const Span makernote{state.makernote, state.makernote + std::max<std::int64_t>(state.makernoteSize, 0)};
  for (const BufferPos base : {layout.base, state.header, entries.to + 4 - lowest, entries.to - lowest}) {
    if (ValuesFit(values, base, makernote, entries)) return base;
  }
  // Values outside the makernote's bytes (a preview image, or a makernote entry of a wrong count)
  // are still sound at the layout's base when they lie in the buffer.
  if (ValuesFit(values, layout.base, {1, state.reader.Size() + 1}, entries)) return layout.base;
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
  const std::string_view text = CutAtNul(state.reader.Text(state.makernote, state.makernoteSize));
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
  std::optional<BufferPos> base = layout.base;
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
