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

// The bytes of an entry's value: exactly its count × unit size, or none when they do not all lie
// inside the block (or the type has no size).
ByteCursor EntryValue(const ExifBlockState& state, std::int64_t entry, std::int64_t base) {
  const ByteCursor field = state.From(entry);
  const std::uint16_t type = field.U16At(2);
  if (type < kByte || type > kDouble) return {};
  const std::int64_t size = field.U32At(4) * kFieldTypeSize[type];
  return state.From(size <= 4 ? entry + 8 : field.U32At(8) + base).Sub(static_cast<std::size_t>(size));
}

bool WithinBudget(const ImageMetadata& image, std::size_t values) {
  return image.ExifStoredBytes() + sizeof(ZetExif) + values * sizeof(ExifValue) <= kMaxExifBytesPerImage;
}

// The earlier form: a 16-bit length in bytes (the D60 leaves the length word out of it), then a
// word per function.
void ReadWordFunctions(ImageMetadata& image, ByteCursor block, std::int32_t directory) {
  const std::size_t size = block.Bytes().size();
  if (size < 2) return;
  const std::size_t stored = block.U16();
  if (stored != size && stored + 2 != size) return;
  while (block.Remaining() >= 2 && WithinBudget(image, 1)) {
    const std::uint16_t value = block.U16();
    AddMakernoteItem(image, directory, value >> 8, kTypNumbers, {std::int64_t{value & 0xFF}});
  }
}

// The records of one group of the later form.
void ReadRecords(ImageMetadata& image, ByteCursor group, std::int64_t records, const BodyFunctions* body) {
  const PackedForm form{4, true, group.BigEndian()};
  for (std::int64_t r = 0; r < records && group.Remaining() >= 8; ++r) {
    const auto function = static_cast<std::int32_t>(group.U32());
    const std::size_t count = group.U32();
    if (count > group.Remaining() / 4 || !WithinBudget(image, count)) return;
    const bool ownMeaning = body != nullptr && function != 0 &&
                       std::find(body->functions.begin(), body->functions.end(), function) != body->functions.end();
    AddMakernoteItem(image, ownMeaning ? body->directory : kCanonFunctions2, function, kTypNumbers,
                     ExifValues::Packed(group.Take(4 * count), count, form));
  }
}

// The later form: its length must be the block's byte count; groups end where their length
// (counted from the length field on) says, and none may reach past the block.
void ReadGroupFunctions(ImageMetadata& image, ByteCursor block, const BodyFunctions* body) {
  if (block.Bytes().size() < 8 || block.U16() != block.Bytes().size()) return;
  block.Skip(2);
  const std::int64_t groups = block.U32();
  for (std::int64_t g = 0; g < groups && block.Remaining() >= 12; ++g) {
    block.Skip(4);                           // the group's number
    const std::size_t length = block.U32();  // counts itself
    if (length < 8) return;
    ByteCursor group = block.Sub(length - 4);
    if (block.RanOut()) return;
    const std::int64_t records = group.U32();
    ReadRecords(image, group, records, body);
  }
}

}  // namespace

std::int32_t CanonFunctionsDirectory(std::string_view model) {
  for (const BodyForm& form : kBodyForms) {
    if (ContainsWord(model, form.word)) return form.directory;
  }
  return 0;
}

void ReadCanonCustomFunctions(ImageMetadata& image, const ExifBlockState& state, std::int64_t directory,
                              std::int64_t base) {
  const std::int64_t entries = state.From(directory).U16();
  const std::int64_t first = directory + 2 + state.countPadding;
  for (std::int64_t i = 0; i < entries && state.From(first + 12 * i).Remaining() >= 12; ++i) {
    const std::int64_t entry = first + 12 * i;
    const std::int32_t tag = state.From(entry).U16();
    if (tag == kTagFunctions) {
      if (const std::int32_t form = CanonFunctionsDirectory(state.model); form != 0) {
        ReadWordFunctions(image, EntryValue(state, entry, base), form);
      }
    } else if (tag == kCanonFunctions1D) {
      ReadWordFunctions(image, EntryValue(state, entry, base), kCanonFunctions1D);
    } else if (tag == kCanonFunctions2) {
      const BodyFunctions* body = nullptr;
      for (const BodyFunctions& candidate : kBodyFunctions) {
        for (const std::string_view word : candidate.words) {
          if (ContainsWord(state.model, word)) body = &candidate;
        }
      }
      ReadGroupFunctions(image, EntryValue(state, entry, base), body);
    }
  }
}

}  // namespace kelmarin
