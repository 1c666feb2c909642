// TIFF 6.0 image file directories (section 2, "Image File Directory") as used by EXIF 2.32
// (4.6.2): a 16-bit entry count, 12-byte entries, a 32-bit link to the next directory.

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <optional>

#include "extract/ByteCursor.h"
#include "extract/ExifBlock.h"
#include "metadata/Definitions.h"

namespace kelmarin {

namespace {

struct Entry {
  std::int32_t tag = 0;
  std::int32_t type = 0;
  std::int64_t count = 0;
  std::int64_t start = 0;
  std::int64_t value = 0;  // offset + base
};

// The entry at `start`; nothing when its 12 bytes do not all lie inside the block.
std::optional<Entry> ReadEntry(const ExifBlockState& state, std::int64_t start, std::int64_t base) {
  ByteCursor bytes = state.From(start);
  Entry entry;
  entry.tag = bytes.U16();
  entry.type = bytes.U16();
  entry.count = bytes.U32();
  entry.start = start;
  entry.value = bytes.U32() + base;
  if (bytes.RanOut()) return std::nullopt;
  return entry;
}

// Values of up to four bytes lie in the entry itself; RATIONAL, SRATIONAL and DOUBLE are always
// read at the value position.
std::int64_t DataIndex(const Entry& entry) {
  if (entry.type == kRational || entry.type == kSRational || entry.type == kDouble) return entry.value;
  return entry.count * kFieldTypeSize[static_cast<std::size_t>(entry.type)] <= 4 ? entry.start + 8
                                                                                 : entry.value;
}

// count values, as long as their data could fit in the buffer at all. Larger data cannot be
// genuine: then only the values that begin inside the buffer are decoded (at least one), so a
// count of four billion costs nothing. Values cut by the end of the buffer read as 0.
std::int64_t ValuesToDecode(std::int64_t size, const Entry& entry, std::int64_t data) {
  const std::int64_t unit = kFieldTypeSize[static_cast<std::size_t>(entry.type)];
  if (entry.count * unit <= size) return entry.count;
  const std::int64_t inside = (data >= 0 && data < size) ? (size - data - 1 + unit) / unit : 0;
  return std::max<std::int64_t>(1, std::min(entry.count, inside));
}

void AppendNumber(std::string& out, std::int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

std::string Fraction(std::int64_t numerator, std::int64_t denominator) {
  std::string text;
  AppendNumber(text, numerator);
  text += '/';
  AppendNumber(text, denominator);
  return text;
}

// The shortest decimal text that reads back as the same value, "." as decimal point.
template <typename Float>
std::string ShortestText(Float value) {
  // No English word of the C library reaches a column.
  if (std::isnan(value)) return "keine Zahl";
  if (std::isinf(value)) return value < 0 ? "-unendlich" : "unendlich";
  char buffer[40];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// The numbers are kept as their bytes; a value whose bytes lie partly or wholly outside the buffer
// reads as 0, as the byte readers read it.
ExifValues DecodeNumbers(const ExifBlockState& state, std::int32_t type, std::int64_t at, std::int64_t n) {
  ByteCursor bytes = state.From(at);
  // The unit size is the width; SBYTE reads as 0..255, as BYTE and UNDEFINED do.
  const PackedForm form{static_cast<std::uint8_t>(kFieldTypeSize[static_cast<std::size_t>(type)]),
                        type == kSShort || type == kSLong, bytes.BigEndian()};
  const std::size_t whole = std::min(static_cast<std::size_t>(n), bytes.Remaining() / form.width);
  return ExifValues::Packed(bytes.Take(whole * form.width), static_cast<std::size_t>(n), form);
}

// A read that runs out leaves the cursor where it was, and every later value is at least as
// wide, so values cut by the end of the block read as 0 one after the other.
ExifValues DecodeTexts(const ExifBlockState& state, std::int32_t type, std::int64_t at, std::int64_t n) {
  std::vector<ExifValue> values;
  values.reserve(static_cast<std::size_t>(n));
  ByteCursor bytes = state.From(at);
  for (std::int64_t i = 0; i < n; ++i) {
    switch (type) {
      case kRational: {
        const std::int64_t numerator = bytes.U32();
        values.emplace_back(Fraction(numerator, bytes.U32()));
        break;
      }
      case kSRational: {
        const std::int64_t numerator = static_cast<std::int32_t>(bytes.U32());
        values.emplace_back(Fraction(numerator, static_cast<std::int32_t>(bytes.U32())));
        break;
      }
      case kFloat:
        values.emplace_back(ShortestText(std::bit_cast<float>(bytes.U32())));
        break;
      default:
        values.emplace_back(ShortestText(std::bit_cast<double>(bytes.U64())));
        break;
    }
  }
  return values;
}

bool IsTextType(std::int32_t type) {
  return type == kRational || type == kSRational || type == kFloat || type == kDouble;
}

void Add(ImageMetadata& image, const ExifBlockState& state, std::int32_t section, std::int32_t tag,
         std::int32_t typ, ExifValues inhalt) {
  if (ZetExif* item = image.ExifAdd(section, tag, typ, std::move(inhalt))) {
    item->directory = section == kSectionMakernote                           ? state.directory
                      : section == kSectionMain && state.walking.size() == 1 ? state.rawMain
                                                                             : 0;
  }
}

// Stops the block once the image's items would pass their memory budget.
bool WithinBudget(const ImageMetadata& image, ExifBlockState& state, std::size_t estimate) {
  if (image.ExifStoredBytes() + estimate <= kMaxExifBytesPerImage) return true;
  state.exhausted = true;
  return false;
}

void AddOffsetItem(ImageMetadata& image, ExifBlockState& state, std::int32_t section, const Entry& entry);

bool KeptWhole(const ExifBlockState& state, std::int32_t section, std::int32_t tag) {
  return section == kSectionMakernote && state.directory == 0 &&
         std::find(state.wholeTexts.begin(), state.wholeTexts.end(), tag) != state.wholeTexts.end();
}

// The signed fractions of the Exif directory (EXIF 2.32, 4.6.5): shutter speed, brightness,
// exposure bias, temperature, water depth, elevation angle.
constexpr std::int32_t kSignedFractionTags[] = {0x9201, 0x9203, 0x9204, 0x9400, 0x9403, 0x9405};

// A signed fraction of the Exif directory written under a whole-number type whose bytes make whole
// fractions (a trail camera's exposure bias as four SHORTs, bytes 24 00 00 00 12 00 00 00): the
// bytes are the fractions the tag is defined as, and are read as those.
Entry AsDefinedFractions(Entry entry, std::int32_t section) {
  const bool words = entry.type == kShort || entry.type == kSShort || entry.type == kLong || entry.type == kSLong;
  if (section != kSectionMain || !words) return entry;
  if (std::find(std::begin(kSignedFractionTags), std::end(kSignedFractionTags), entry.tag) ==
      std::end(kSignedFractionTags)) {
    return entry;
  }
  const std::int64_t bytes = entry.count * kFieldTypeSize[static_cast<std::size_t>(entry.type)];
  if (bytes == 0 || bytes % 8 != 0) return entry;
  entry.type = kSRational;
  entry.count = bytes / 8;
  return entry;
}

void AddValueItem(ImageMetadata& image, ExifBlockState& state, std::int32_t section, const Entry& stored) {
  const Entry entry = AsDefinedFractions(stored, section);
  const std::int64_t data = DataIndex(entry);
  if (state.rawOffsets && data != entry.start + 8) {
    AddOffsetItem(image, state, section, entry);
    return;
  }
  if (entry.type == kAscii) {
    std::string_view text = state.TextAt(data, entry.count);
    if (entry.tag != kTagCopyright && !KeptWhole(state, section, entry.tag)) text = CutAtNul(text);
    if (!WithinBudget(image, state, sizeof(ZetExif) + sizeof(ExifValue) + text.size())) return;
    Add(image, state, section, entry.tag, kTypTexts, {std::string(text)});
    return;
  }
  const std::int64_t n = ValuesToDecode(static_cast<std::int64_t>(state.bytes.Bytes().size()), entry, data);
  if (!WithinBudget(image, state, sizeof(ZetExif) + static_cast<std::size_t>(n) * sizeof(ExifValue))) return;
  if (IsTextType(entry.type)) {
    Add(image, state, section, entry.tag, kTypTexts, DecodeTexts(state, entry.type, data, n));
  } else {
    Add(image, state, section, entry.tag, kTypNumbers, DecodeNumbers(state, entry.type, data, n));
  }
}

// "Offset:" + value position (counted from 1) + " Bytes:" + count: the makernote, and entries without values.
void AddOffsetItem(ImageMetadata& image, ExifBlockState& state, std::int32_t section, const Entry& entry) {
  if (!WithinBudget(image, state, sizeof(ZetExif) + sizeof(ExifValue) + 32)) return;
  std::string text = "Offset:";
  AppendNumber(text, entry.value + 1);
  text += " Bytes:";
  AppendNumber(text, entry.count);
  Add(image, state, section, entry.tag, kTypTexts, {std::move(text)});
}

void Walk(ImageMetadata& image, ExifBlockState& state, std::int32_t section, std::int64_t at, std::int64_t base,
          bool followNext);

// A pointer of the makernote directory to one of its layout's sub-directories: an offset from the
// base (LONG or IFD), or the sub-directory's own bytes (UNDEFINED). Sub-directories end at their
// last entry; they have no next link of their own. The bytes of an UNDEFINED one hold at least its
// entries (Olympus's E-1 and E-300 count the entries and the next link but not the entry count,
// nor the values after them, whose offsets count from the makernote's base as the entries' do).
bool IsSubdirectoryPointer(const ExifBlockState& state, std::int32_t section, const Entry& entry) {
  if (section != kSectionMakernote || state.directory != 0 || state.rawOffsets) return false;
  if (std::find(state.subdirectories.begin(), state.subdirectories.end(), entry.tag) ==
      state.subdirectories.end()) {
    return false;
  }
  if (entry.type == kUndefined && entry.count > 4) {
    const std::int64_t entries = state.From(entry.value).U16();
    return entries >= 1 && 12 * entries <= entry.count;
  }
  return entry.type == kLong && entry.count == 1;
}

void WalkSubdirectory(ImageMetadata& image, ExifBlockState& state, const Entry& entry, std::int64_t base) {
  state.directory = entry.tag;
  Walk(image, state, kSectionMakernote, entry.value, base, false);
  state.directory = 0;
}

// A directory pointer is an offset: one SHORT, LONG or IFD value (TIFF Technical Note 1). Some
// writers store the directory itself as the value of another type (an ASCII "pointer" whose count
// covers the directory's bytes): such a value is followed to its bytes when it can hold a
// directory of one entry. A count of 0, or a value too short to hold a directory, points nowhere;
// following it would read whatever the value field's bytes happen to name (often the Exif
// directory a second time).
constexpr std::int64_t kSmallestDirectoryBytes = 2 + 12;

std::optional<std::int64_t> PointerTarget(const ExifBlockState& state, const Entry& entry, std::int64_t base) {
  if (entry.count == 1 && entry.type == kShort) return state.From(entry.start + 8).U16() + base;
  if (entry.count == 1 && (entry.type == kLong || entry.type == kIfd)) return entry.value;
  if (entry.count * kFieldTypeSize[static_cast<std::size_t>(entry.type)] >= kSmallestDirectoryBytes)
    return entry.value;
  return std::nullopt;
}

void HandleEntry(ImageMetadata& image, ExifBlockState& state, std::int32_t section, const Entry& entry,
                 std::int64_t base) {
  if (entry.tag != kTagMakerNote && entry.count != 0) AddValueItem(image, state, section, entry);
  switch (entry.tag) {
    case kTagGpsIfd:
      if (const auto target = PointerTarget(state, entry, base))
        Walk(image, state, kSectionGps, *target, base, true);
      break;
    case kTagExifIfd:
    case kTagInteropIfd:
      if (const auto target = PointerTarget(state, entry, base))
        Walk(image, state, section, *target, base, true);
      break;
    case kTagMake:
      state.make = CutAtNul(state.TextAt(DataIndex(entry), entry.count));
      break;
    case kTagModel:
      state.model = CutAtNul(state.TextAt(DataIndex(entry), entry.count));
      break;
    case kTagMakerNote:
      AddOffsetItem(image, state, section, entry);
      state.makernote = entry.value;
      state.makernoteSize = entry.count;
      break;
    default:
      if (entry.count == 0) AddOffsetItem(image, state, section, entry);
      if (IsSubdirectoryPointer(state, section, entry)) WalkSubdirectory(image, state, entry, base);
      break;
  }
}

// Walks the entries and the next link. An entry of a type TIFF 6.0 does not define is passed over
// (TIFF 6.0, section 2: readers skip fields of unexpected types), so one bad entry loses nothing
// but itself; entries cut by the end of the buffer end the directory. The IFD type counts as valid
// only in the makernote of a layout with sub-directories, where it is read as LONG.
void WalkEntriesAndNext(ImageMetadata& image, ExifBlockState& state, std::int32_t section, std::int64_t at,
                        std::int64_t base, bool followNext) {
  const std::int64_t entries = state.From(at).U16();
  const std::int64_t first = at + 2 + (section == kSectionMakernote ? state.countPadding : 0);
  const bool ifdType = section == kSectionMakernote && !state.subdirectories.empty();
  for (std::int64_t i = 0; i < entries; ++i) {
    std::optional<Entry> entry = ReadEntry(state, first + 12 * i, base);
    if (!entry) return;
    if (ifdType && entry->type == kIfd) entry->type = kLong;
    if (entry->type < kByte || entry->type > kDouble) continue;
    HandleEntry(image, state, section, *entry, base);
    if (state.exhausted) return;
  }
  const std::int64_t next = followNext ? state.From(first + 12 * entries).U32() : 0;
  if (next != 0) Walk(image, state, kSectionThumbnail, next + base, base, true);
}

void Walk(ImageMetadata& image, ExifBlockState& state, std::int32_t section, std::int64_t at, std::int64_t base,
          bool followNext) {
  if (state.exhausted || state.From(at).Remaining() < 2) return;  // outside: 0 entries, no next link
  if (state.walking.size() >= static_cast<std::size_t>(kMaxDirectoryDepth)) return;
  if (state.directoriesWalked >= kMaxDirectoriesPerBlock) return;
  if (std::find(state.walking.begin(), state.walking.end(), at) != state.walking.end()) return;
  ++state.directoriesWalked;
  state.walking.push_back(at);
  WalkEntriesAndNext(image, state, section, at, base, followNext);
  state.walking.pop_back();
}

}  // namespace

std::vector<StoredValue> ValuesOutsideEntries(const ExifBlockState& state, std::int64_t at) {
  std::vector<StoredValue> values;
  const std::int64_t entries = state.From(at).U16();
  const std::int64_t first = at + 2 + state.countPadding;
  for (std::int64_t i = 0; i < entries; ++i) {
    std::optional<Entry> entry = ReadEntry(state, first + 12 * i, 0);  // value: the offset itself
    if (!entry) break;
    if (entry->type == kIfd) entry->type = kLong;
    if (entry->type < kByte || entry->type > kDouble || entry->count == 0) continue;
    if (DataIndex(*entry) == entry->start + 8) continue;
    values.push_back({entry->value, entry->count * kFieldTypeSize[static_cast<std::size_t>(entry->type)]});
  }
  return values;
}

void WalkDirectory(ImageMetadata& image, ExifBlockState& state, std::int32_t section, std::int64_t at,
                   std::int64_t base) {
  Walk(image, state, section, at, base, true);
}

}  // namespace kelmarin
