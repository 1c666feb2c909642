// Makernote layouts. Manufacturers store their private directory in the EXIF MakerNote tag
// (EXIF 2.32, 4.6.5, tag 0x927C) in layouts of their own: some behind a signature, some with
// offsets from the TIFF header, some with offsets from the makernote itself.

#include <algorithm>
#include <array>

#include "extract/ExifBlock.h"
#include "metadata/Definitions.h"

namespace kelmarin {

namespace {

using enum MakerCondition;
using enum MakerDirectory;
using enum MakerBase;

constexpr std::int64_t kMakerTextSearchBytes = 65535;

// Nikon's first makernote layout belongs to the Coolpix models 700, 800, 900, 910 and 950.
constexpr std::array<std::string_view, 5> kNikonFirstLayoutModels = {"E70", "E80", "E90", "E91", "E95"};

// Make word, condition, text, models, maker number, directory, offset, base, offset, little-endian.
constexpr std::array<MakerRow, 21> kMakerTable = {{
    {"AGFA", Always, "", {}, 18, AtOffset, 8, TiffHeader, 0, false},
    {"ASAHI", FoundFromMakernote, "AOC", {}, 3, AtOffset, 6, TiffHeader, 0, false},
    {"ASAHI", Always, "", {}, 2, AtOffset, 0, TiffHeader, 0, false},
    {"CANON", Always, "", {}, 4, AtOffset, 0, TiffHeader, 0, false},
    {"CASIO", FoundFromMakernote, "QVC", {}, 6, AtOffset, 6, TiffHeader, 0, false},
    {"CASIO", Always, "", {}, 5, AtOffset, 0, Makernote, 0, false},
    {"EPSON", Always, "", {}, 18, AtOffset, 8, TiffHeader, 0, false},
    {"FUJIFILM", Always, "", {}, 8, LittleEndianLink, 0, Makernote, 0, true},
    {"JENOPTIK", StartsAtMakernote, "SKANH", {}, 10, AtOffset, 8, TiffHeader, 0, false},
    {"LEICA", FoundFromMakernote, "FUJIFILM", {}, 8, LittleEndianLink, 0, Makernote, 0, true},
    {"LEICA", Always, "", {}, 14, AtOffset, 8, TiffHeader, 0, false},
    {"MINOLTA", Always, "", {}, 15, AtOffset, 0, TiffHeader, 0, false},
    {"NIKON", StartsAtMakernoteAndModel, "NIKON", kNikonFirstLayoutModels, 16, AtOffset, 8, TiffHeader, 0,
     false},
    // A TIFF header of its own at makernote + 10; the directory follows 8 bytes after it.
    {"NIKON", StartsAtMakernote, "NIKON", {}, 17, AtOffset, 18, Makernote, 10, false},
    {"NIKON", Always, "", {}, 17, AtOffset, 0, TiffHeader, 0, false},
    {"OLYMPUS", Always, "", {}, 18, AtOffset, 8, TiffHeader, 0, false},
    {"PANASONIC", Always, "", {}, 19, AtOffset, 12, TiffHeader, 0, false},
    {"PENTAX", FoundFromMakernote, "AOC", {}, 3, AtOffset, 6, TiffHeader, 0, false},
    {"RICOH", FoundFromMakernote, "RICOH", {}, 21, AtOffset, 8, TiffHeader, 0, false},
    {"SANYO", Always, "", {}, 18, AtOffset, 8, TiffHeader, 0, false},
    {"SIGMA", Always, "", {}, 25, AtOffset, 10, TiffHeader, 0, false},
}};

bool ConditionHolds(const MakerRow& row, const ExifBlockState& state) {
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
  }
  return false;
}

// The rows of the group of the first make word the make contains (empty when none does).
std::span<const MakerRow> MakerGroup(std::string_view make) {
  const auto first = std::find_if(kMakerTable.begin(), kMakerTable.end(),
                                  [&](const MakerRow& row) { return ContainsNoCase(make, row.makeWord); });
  if (first == kMakerTable.end()) return {};
  const auto end = std::find_if(first, kMakerTable.end(),
                                [&](const MakerRow& row) { return row.makeWord != first->makeWord; });
  return {first, end};
}

MakernoteLayout Apply(const MakerRow& row, ExifBlockState& state) {
  if (row.littleEndian) state.reader.SetOrder(ByteOrder::LittleEndian);
  const BufferPos mn = state.makernote;
  MakernoteLayout layout;
  layout.maker = row.maker;
  layout.directory =
      row.directory == LittleEndianLink ? mn + state.reader.ReadU32(mn + 8) : mn + row.directoryOffset;
  layout.base = row.base == Makernote ? mn + row.baseOffset : state.header;
  return layout;
}

}  // namespace

std::span<const MakerRow> MakerTable() {
  return kMakerTable;
}

MakernoteLayout DetectMakernote(ExifBlockState& state) {
  for (const MakerRow& row : MakerGroup(state.make)) {
    if (ConditionHolds(row, state)) return Apply(row, state);
  }
  return {};
}

void ReadMakernote(ImageMetadata& image, ExifBlockState& state) {
  const MakernoteLayout layout = DetectMakernote(state);
  image.camera_id = layout.maker;
  if (image.camera_id != 0) WalkDirectory(image, state, kSectionMakernote, layout.directory, layout.base);
}

}  // namespace kelmarin
