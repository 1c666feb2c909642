#include "extract/CanonCustom.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "metadata/Definitions.h"

namespace kelmarin {

namespace {

constexpr std::int32_t kTagFunctions = 0x000F;

// The earlier form's tables by body: the first row whose word the model holds as a whole word.
struct BodyForm {
  std::string_view word;
  std::int32_t directory;
};
constexpr std::array<BodyForm, 14> kBodyForms = {{
    {"EOS-1D", kCanonFunctions1D},
    {"EOS 5D", kCanonFunctions5D},
    {"EOS 10D", kCanonFunctions10D},
    {"EOS 20D", kCanonFunctions20D},
    {"EOS 20Da", kCanonFunctions20D},
    {"EOS 30D", kCanonFunctions30D},
    {"350D", kCanonFunctions350D},
    {"REBEL XT", kCanonFunctions350D},
    {"Kiss Digital N", kCanonFunctions350D},
    {"400D", kCanonFunctions400D},
    {"REBEL XTi", kCanonFunctions400D},
    {"Kiss Digital X", kCanonFunctions400D},
    {"EOS D30", kCanonFunctionsD30},
    {"EOS D60", kCanonFunctionsD30},
}};

// The later form's functions whose settings mean something else on one body than on the others;
// that body's values of them are filed under a directory of its own.
struct BodyFunctions {
  std::array<std::string_view, 3> words;  // the body's names in its markets
  std::int32_t directory;
  std::array<std::int32_t, 4> functions;  // 0 after the last
};
constexpr std::array<BodyFunctions, 2> kBodyFunctions = {{
    {{"450D", "REBEL XSi", "Kiss X2"}, kCanonFunctions450D, {0x0202, 0x0204, 0x0704, 0}},
    {{"1000D", "REBEL XS", "Kiss F"}, kCanonFunctions1000D, {0x0202, 0x0204, 0x0701, 0x0704}},
}};

bool IsWordCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// True when word occurs in text with no letter or digit right before or after it.
bool ContainsWord(std::string_view text, std::string_view word) {
  for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
    const std::size_t end = at + word.size();
    const bool before = at == 0 || !IsWordCharacter(text[at - 1]);
    const bool after = end == text.size() || !IsWordCharacter(text[end]);
    // "EOS-1D" names the whole series ("EOS-1D Mark II N", "EOS-1Ds"), so only its start counts.
    if (before && (after || word == "EOS-1D")) return true;
  }
  return false;
}

// Bytes per value of the TIFF field types 1..12 (index 0 unused).
constexpr std::array<std::int64_t, 13> kUnitSize = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

// Where an entry's value bytes lie and how many there are (0 when the type has no size).
struct ValueBytes {
  BufferPos at = 0;
  std::int64_t size = 0;
};
ValueBytes EntryValue(const ByteReader& reader, BufferPos entry, BufferPos base) {
  const std::int32_t type = reader.ReadU16(entry + 2);
  if (type < 1 || type > 12) return {};
  const std::int64_t size = reader.ReadU32(entry + 4) * kUnitSize[static_cast<std::size_t>(type)];
  return {size <= 4 ? entry + 8 : reader.ReadU32(entry + 8) + base, size};
}

bool WithinBudget(const ImageMetadata& image, std::size_t values) {
  return image.ExifStoredBytes() + sizeof(ZetExif) + values * sizeof(ExifValue) <= kMaxExifBytesPerImage;
}

void AddFunction(ImageMetadata& image, std::int32_t directory, std::int32_t function, ExifValues values) {
  if (ZetExif* item = image.ExifAdd(kSectionMakernote, function, kTypNumbers, std::move(values))) {
    item->directory = directory;
  }
}

// The earlier form: a 16-bit length in bytes (the D60 leaves the length word out of it), then a
// word per function.
void ReadWordFunctions(ImageMetadata& image, const ByteReader& reader, ValueBytes block,
                       std::int32_t directory) {
  if (!reader.Has(block.at, block.size) || block.size < 2) return;
  const std::int64_t stored = reader.ReadU16(block.at);
  if (stored != block.size && stored + 2 != block.size) return;
  for (BufferPos word = block.at + 2; word + 2 <= block.at + block.size; word += 2) {
    if (!WithinBudget(image, 1)) return;
    const std::int32_t value = reader.ReadU16(word);
    AddFunction(image, directory, value >> 8, {std::int64_t{value & 0xFF}});
  }
}

// The records of one group of the later form, from `from` up to `end`.
void ReadRecords(ImageMetadata& image, const ByteReader& reader, BufferPos from, BufferPos end,
                 std::int64_t records, const BodyFunctions* body) {
  const PackedForm form{4, true, reader.Order() == ByteOrder::BigEndian};
  BufferPos at = from;
  for (std::int64_t r = 0; r < records && at + 8 <= end; ++r) {
    const std::int32_t function = static_cast<std::int32_t>(reader.ReadU32(at));
    const std::int64_t count = reader.ReadU32(at + 4);
    at += 8;
    if (count > (end - at) / 4 || !WithinBudget(image, static_cast<std::size_t>(count))) return;
    const bool ownMeaning = body != nullptr && function != 0 &&
                       std::find(body->functions.begin(), body->functions.end(), function) != body->functions.end();
    AddFunction(image, ownMeaning ? body->directory : kCanonFunctions2, function,
                ExifValues::Packed(reader.Bytes(at, 4 * count), static_cast<std::size_t>(count), form));
    at += 4 * count;
  }
}

// The later form: its length must be the block's byte count; groups end where their length says,
// and none may reach past the block.
void ReadGroupFunctions(ImageMetadata& image, const ByteReader& reader, ValueBytes block,
                        const BodyFunctions* body) {
  if (!reader.Has(block.at, block.size) || block.size < 8 || reader.ReadU16(block.at) != block.size) return;
  const BufferPos end = block.at + block.size;
  const std::int64_t groups = reader.ReadU32(block.at + 4);
  BufferPos group = block.at + 8;
  for (std::int64_t g = 0; g < groups && group + 12 <= end; ++g) {
    const std::int64_t length = reader.ReadU32(group + 4);
    if (length < 8 || length > end - (group + 4)) return;
    ReadRecords(image, reader, group + 12, group + 4 + length, reader.ReadU32(group + 8), body);
    group += 4 + length;
  }
}

}  // namespace

std::int32_t CanonFunctionsDirectory(std::string_view model) {
  for (const BodyForm& form : kBodyForms) {
    if (ContainsWord(model, form.word)) return form.directory;
  }
  return 0;
}

void ReadCanonCustomFunctions(ImageMetadata& image, const ExifBlockState& state, BufferPos directory,
                              BufferPos base) {
  const ByteReader& reader = state.reader;
  const std::int64_t entries = reader.ReadU16(directory);
  const BufferPos first = directory + 2 + state.countPadding;
  for (std::int64_t i = 0; i < entries && reader.Has(first + 12 * i, 12); ++i) {
    const BufferPos entry = first + 12 * i;
    const std::int32_t tag = reader.ReadU16(entry);
    if (tag == kTagFunctions) {
      if (const std::int32_t form = CanonFunctionsDirectory(state.model); form != 0) {
        ReadWordFunctions(image, reader, EntryValue(reader, entry, base), form);
      }
    } else if (tag == kCanonFunctions1D) {
      ReadWordFunctions(image, reader, EntryValue(reader, entry, base), kCanonFunctions1D);
    } else if (tag == kCanonFunctions2) {
      const BodyFunctions* body = nullptr;
      for (const BodyFunctions& candidate : kBodyFunctions) {
        for (const std::string_view word : candidate.words) {
          if (ContainsWord(state.model, word)) body = &candidate;
        }
      }
      ReadGroupFunctions(image, reader, EntryValue(reader, entry, base), body);
    }
  }
}

}  // namespace kelmarin
