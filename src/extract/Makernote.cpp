// Makernote layouts. Manufacturers store their private directory in the EXIF MakerNote tag
// (EXIF 2.32, 4.6.5, tag 0x927C) in layouts of their own: some behind a signature, some with
// offsets from the TIFF header, some with offsets from the makernote itself.

#include <algorithm>
#include <array>

#include "extract/AppleRunTime.h"
#include "extract/CanonBlocks.h"
#include "extract/CanonCustom.h"
#include "extract/ExifBlock.h"
#include "extract/NikonBlocks.h"
#include "extract/TextMakernotes.h"
#include "metadata/Definitions.h"

namespace kelmarin {

namespace {

using namespace std::string_view_literals;
using enum MakerCondition;
using enum MakerDirectory;
using enum MakerBase;
using enum MakerOrder;

constexpr std::int64_t kMakerTextSearchBytes = 65535;
constexpr std::int32_t kMakerCanon = 4;

// Nikon's first makernote layout belongs to the Coolpix models 700, 800, 900, 910 and 950.
constexpr std::array<std::string_view, 5> kNikonFirstLayoutModels = {"E70", "E80", "E90", "E91", "E95"};

// Nikon's later layout: the directory of its preview image (tag 0x0011), offsets from the
// makernote's own TIFF header.
constexpr std::array<std::int32_t, 1> kNikonSubdirectories = {0x0011};

// Olympus (since about 2004) and OM System: Equipment, CameraSettings, RawDevelopment (two forms),
// ImageProcessing and FocusInfo.
constexpr std::array<std::int32_t, 6> kOlympusSubdirectories = {0x2010, 0x2020, 0x2030, 0x2031, 0x2040, 0x2050};

// Later forms of a maker carry a signature, a TIFF byte-order mark of their own and offsets from
// the makernote start; header-less forms are accepted only when their directory is plausible.
constexpr MakerRow kOlympusLater = {.makeWord = "OLYMPUS", .condition = StartsAtMakernote, .text = "OLYMPUS\0"sv,
                                    .maker = 28, .directoryOffset = 12, .base = Makernote, .order = OwnHeader,
                                    .orderOffset = 8, .subdirectories = kOlympusSubdirectories,
                                    .olympusCameraType = true};
constexpr MakerRow kOmSystem = {.makeWord = "OLYMPUS", .condition = StartsAtMakernote, .text = "OM SYSTEM\0"sv,
                                .maker = 28, .directoryOffset = 16, .base = Makernote, .order = OwnHeader,
                                .orderOffset = 12, .subdirectories = kOlympusSubdirectories};
constexpr MakerRow kPentaxLater = {.makeWord = "PENTAX", .condition = StartsAtMakernote, .text = "PENTAX \0"sv,
                                   .maker = 3, .directoryOffset = 10, .base = Makernote, .order = OwnHeader,
                                   .orderOffset = 8};

// Samsung's first form: signature and version as 8 characters, then the offset and length of the
// preview image.
constexpr std::array<MakerField, 3> kSamsungFirstFormFields = {{{0x0000, 0, 0, 8}, {0x0002, 8}, {0x0003, 12}}};

// Kodak's "KDK INFO" form (DX, CX, LS and Z series): the values follow the 8 signature bytes and
// are filed by their offset from there: model, quality, burst, image size, date and time, shutter,
// metering, sequence, aperture (× 100), exposure time (1/100000 s), exposure compensation
// (1/1000 EV), modes, distances, focus, white balance, flash, ISO, zoom, date stamp, colour mode,
// digital zoom, sharpness.
constexpr MakerField KodakInfo(std::int32_t tag, std::int32_t width, std::int32_t count = 1, bool isSigned = false) {
  return {tag, tag + 8, width, count, isSigned};
}
constexpr std::array<MakerField, 34> kKodakInfoFields = {{
    KodakInfo(0x00, 0, 8), KodakInfo(0x09, 1),    KodakInfo(0x0A, 1),          KodakInfo(0x0C, 2),
    KodakInfo(0x0E, 2),    KodakInfo(0x10, 2),    KodakInfo(0x12, 1, 2),       KodakInfo(0x14, 1, 4),
    KodakInfo(0x18, 2),    KodakInfo(0x1B, 1),    KodakInfo(0x1C, 1),          KodakInfo(0x1D, 1),
    KodakInfo(0x1E, 2),    KodakInfo(0x20, 4),    KodakInfo(0x24, 2, 1, true), KodakInfo(0x26, 2),
    KodakInfo(0x28, 4),    KodakInfo(0x2C, 4),    KodakInfo(0x30, 4),          KodakInfo(0x34, 4),
    KodakInfo(0x38, 1),    KodakInfo(0x3A, 2),    KodakInfo(0x3C, 2),          KodakInfo(0x3E, 2),
    KodakInfo(0x40, 1),    KodakInfo(0x5C, 1),    KodakInfo(0x5D, 1),          KodakInfo(0x5E, 2),
    KodakInfo(0x60, 2),    KodakInfo(0x62, 2),    KodakInfo(0x64, 2),          KodakInfo(0x66, 2),
    KodakInfo(0x68, 2),    KodakInfo(0x6B, 1, 1, true),
}};

// Kodak's earlier binary forms, told apart by the model, values filed by their offset from the
// makernote start. DC240, DC280, DC3400 and DC5000: date and time, optical zoom (× 100), sharpness,
// exposure time (1/100000 s), aperture (× 100), ISO. DC200, DC210 and DC215: the original file name.
constexpr std::array<std::string_view, 4> kKodakDateModels = {"DC240", "DC280", "DC3400", "DC5000"};
constexpr std::array<MakerField, 8> kKodakDateFields = {{{0x0C, 0x0C, 2},
                                                         {0x0E, 0x0E, 1, 2},
                                                         {0x10, 0x10, 1, 4},
                                                         {0x1E, 0x1E, 2},
                                                         {0x37, 0x37, 1, 1, true},
                                                         {0x38, 0x38, 4},
                                                         {0x3C, 0x3C, 2},
                                                         {0x4E, 0x4E, 2}}};
constexpr std::array<std::string_view, 3> kKodakFileNameModels = {"DC200", "DC210", "DC215"};
constexpr std::array<MakerField, 1> kKodakFileNameFields = {{{0x20, 0x20, 0, 12}}};

// Reconyx's trail cameras (HyperFire), which write no make: 16-bit numbers filed by their number
// in the makernote: version, firmware version and date, trigger mode, sequence, event number,
// date and time, moon phase, temperatures (°F, °C), serial number, picture settings, infrared
// illuminator, motion sensitivity, battery voltage (mV), user label.
constexpr MakerField Reconyx(std::int32_t word, std::int32_t count = 1, bool isSigned = false) {
  return {word, 2 * word, 2, count, isSigned};
}
constexpr std::array<MakerField, 19> kReconyxFields = {{
    Reconyx(0x00),          Reconyx(0x01, 3),       Reconyx(0x04, 2),
    Reconyx(0x06),          Reconyx(0x07, 2),       Reconyx(0x09, 2),
    Reconyx(0x0B, 6),       Reconyx(0x12),          Reconyx(0x13, 1, true),
    Reconyx(0x14, 1, true), {0x15, 0x2A, 0, 30, false, true},
    Reconyx(0x24),          Reconyx(0x25),          Reconyx(0x26),
    Reconyx(0x27),          Reconyx(0x28),          Reconyx(0x29),
    Reconyx(0x2A),          {0x2B, 0x56, 0, 22},
}};

// Kodak's form of fixed places that other makers' bodies wrote too (Minolta's DiMAGE EX): the
// maker's and the model's name (32 characters each) and the image width and height.
constexpr std::array<MakerField, 4> kKodakFixedFields = {{{0x08, 0x08, 0, 32}, {0x28, 0x28, 0, 32},
                                                          {0x6C, 0x6C, 4}, {0x70, 0x70, 4}}};

// Sigma's X3F header: file version (minor and major number), unique identifier (16 bytes), mark
// bits, image columns and rows, rotation (degrees), white balance and scene capture type.
constexpr std::array<MakerField, 9> kX3fHeaderFields = {{{0x04, 0x04, 2},
                                                         {0x06, 0x06, 2},
                                                         {0x08, 0x08, 1, 16},
                                                         {0x18, 0x18},
                                                         {0x1C, 0x1C},
                                                         {0x20, 0x20},
                                                         {0x24, 0x24},
                                                         {0x28, 0x28, 0, 32},
                                                         {0x48, 0x48, 0, 32}}};

// Casio's firmware date: "YYMM", "DDHH" and "MM" (and seconds), each followed by two NULs.
constexpr std::array<std::int32_t, 1> kCasioFirstWholeTexts = {0x0015};
constexpr std::array<std::int32_t, 1> kCasioSecondWholeTexts = {0x2001};

constexpr MakerRow WithWord(MakerRow row, std::string_view word) {
  row.makeWord = word;
  return row;
}

constexpr MakerRow WithText(MakerRow row, std::string_view text) {
  row.text = text;
  return row;
}

constexpr MakerRow kKodakOwnHeader = {.makeWord = "KODAK", .condition = StartsAtMakernote, .text = "II*\0"sv,
                                      .maker = 33, .directoryOffset = 8, .base = Makernote, .order = OwnHeader,
                                      .countPadding = 2};

constexpr std::array<MakerRow, 61> kMakerTable = {{
    {.makeWord = "AGFA", .maker = 18, .directoryOffset = 8},
    {.makeWord = "APPLE", .condition = StartsAtMakernote, .text = "Apple iOS\0"sv, .maker = 26,
     .directoryOffset = 14, .base = Makernote, .order = OwnHeader, .orderOffset = 12, .afterWalk = ReadAppleRunTime},
    {.makeWord = "ASAHI", .condition = FoundFromMakernote, .text = "AOC", .maker = 3, .directoryOffset = 6},
    {.makeWord = "ASAHI", .maker = 2},
    // Editing programs that move the makernote leave its original offset in its footer.
    {.makeWord = "CANON", .maker = 4, .base = CanonFooter},
    {.makeWord = "CASIO", .condition = FoundFromMakernote, .text = "QVC", .maker = 6, .directoryOffset = 6,
     .wholeTexts = kCasioSecondWholeTexts},
    {.makeWord = "CASIO", .maker = 5, .base = Makernote, .wholeTexts = kCasioFirstWholeTexts},
    // DJI's drones: a directory without signature, offsets from the TIFF header.
    {.makeWord = "DJI", .condition = PlausibleDirectory, .maker = 31},
    {.makeWord = "EPSON", .maker = 18, .directoryOffset = 8},
    {.makeWord = "FUJIFILM", .maker = 8, .directory = LittleEndianLink, .base = Makernote,
     .order = LittleEndianRest},
    // Fujifilm's bodies of the years before the name changed.
    {.makeWord = "FUJI PHOTO", .maker = 8, .directory = LittleEndianLink, .base = Makernote,
     .order = LittleEndianRest},
    {.makeWord = "JENOPTIK", .condition = StartsAtMakernote, .text = "SKANH", .maker = 10, .directoryOffset = 8},
    // JVC (and Victor): "JVC " and a directory in either byte order, offsets from the TIFF header;
    // or text pairs after "VER:".
    {.makeWord = "JVC", .condition = StartsAtMakernote, .text = "JVC ", .maker = 41, .directoryOffset = 4},
    {.makeWord = "JVC", .condition = StartsAtMakernote, .text = "VER:", .maker = 41, .read = ReadJvcText},
    // Kodak (and JK Imaging's Kodak PIXPRO bodies): a TIFF header of the makernote's own, offsets
    // from the makernote start, two bytes between entry count and entries; or the "KDK" form with
    // its values at fixed places: big-endian after "KDK INFO", little-endian after any other
    // "KDK" signature, whatever the block's order.
    kKodakOwnHeader,
    WithText(kKodakOwnHeader, "MM\0*"sv),
    {.makeWord = "KODAK", .condition = StartsAtMakernote, .text = "KDK INFO", .maker = 34, .order = BigEndianRest,
     .fields = kKodakInfoFields},
    {.makeWord = "KODAK", .condition = StartsAtMakernote, .text = "KDK", .maker = 34, .order = LittleEndianRest,
     .fields = kKodakInfoFields},
    {.makeWord = "KODAK", .condition = StartsAtMakernoteAndModel, .models = kKodakDateModels, .maker = 35,
     .fields = kKodakDateFields},
    {.makeWord = "KODAK", .condition = StartsAtMakernoteAndModel, .models = kKodakFileNameModels, .maker = 36,
     .fields = kKodakFileNameFields},
    WithWord(kKodakOwnHeader, "JK IMAGING"),
    WithWord(WithText(kKodakOwnHeader, "MM\0*"sv), "JK IMAGING"),
    {.makeWord = "LEICA", .condition = FoundFromMakernote, .text = "FUJIFILM", .maker = 8,
     .directory = LittleEndianLink, .base = Makernote, .order = LittleEndianRest},
    // Leica's later bodies (X1, X2, T, X, X-U and others): the body's signature word after
    // "LEICA\0", offsets from the makernote start.
    {.makeWord = "LEICA", .condition = StartsAtMakernote, .text = "LEICA\0\1\0"sv, .maker = 30, .directoryOffset = 8,
     .base = Makernote},
    {.makeWord = "LEICA", .condition = StartsAtMakernote, .text = "LEICA\0\5\0"sv, .maker = 30, .directoryOffset = 8,
     .base = Makernote},
    {.makeWord = "LEICA", .condition = StartsAtMakernote, .text = "LEICA\0\6\0"sv, .maker = 30, .directoryOffset = 8,
     .base = Makernote},
    {.makeWord = "LEICA", .condition = StartsAtMakernote, .text = "LEICA\0\7\0"sv, .maker = 30, .directoryOffset = 8,
     .base = Makernote},
    {.makeWord = "LEICA", .condition = StartsAtMakernote, .text = "LEICA\0\x10\0"sv, .maker = 30,
     .directoryOffset = 8, .base = Makernote},
    {.makeWord = "LEICA", .maker = 14, .directoryOffset = 8},
    // Minolta's DiMAGE EX: Kodak's fixed-place form (the maker's and the model's name, the image
    // size), big-endian, told by its first eight bytes.
    {.makeWord = "MINOLTA", .condition = StartsAtMakernote, .text = "\x01\0\0\0\0\0\x04\0"sv, .maker = 42,
     .order = BigEndianRest, .fields = kKodakFixedFields},
    {.makeWord = "MINOLTA", .condition = StartsAtMakernote, .text = "\x01\0\x01\0\0\0\x04\0"sv, .maker = 42,
     .order = BigEndianRest, .fields = kKodakFixedFields},
    {.makeWord = "MINOLTA", .maker = 15},
    // Motorola's phones: "MOT\0" and four bytes, then the directory; offsets from the makernote start.
    {.makeWord = "MOTOROLA", .condition = StartsAtMakernote, .text = "MOT\0"sv, .maker = 37, .directoryOffset = 8,
     .base = Makernote},
    {.makeWord = "NIKON", .condition = StartsAtMakernoteAndModel, .text = "NIKON", .models = kNikonFirstLayoutModels,
     .maker = 16, .directoryOffset = 8},
    // A TIFF header of its own at makernote + 10, in its own byte order; the directory follows 8
    // bytes after it.
    {.makeWord = "NIKON", .condition = StartsAtMakernote, .text = "NIKON", .maker = 17, .directoryOffset = 18,
     .base = Makernote, .baseOffset = 10, .order = OwnHeader, .orderOffset = 10,
     .subdirectories = kNikonSubdirectories, .afterWalk = ReadNikonBlocks},
    {.makeWord = "NIKON", .maker = 17, .afterWalk = ReadNikonBlocks},
    WithWord(kOmSystem, "OM DIGITAL"),
    WithWord(kOlympusLater, "OM DIGITAL"),
    kOlympusLater,
    kOmSystem,
    // The E-1 and E-300 keep their sub-directories in this form too, as blobs that hold them.
    {.makeWord = "OLYMPUS", .maker = 18, .directoryOffset = 8, .subdirectories = kOlympusSubdirectories,
     .olympusCameraType = true},
    {.makeWord = "PANASONIC", .maker = 19, .directoryOffset = 12},
    kPentaxLater,
    {.makeWord = "PENTAX", .condition = FoundFromMakernote, .text = "AOC", .maker = 3, .directoryOffset = 6},
    WithWord(kPentaxLater, "RICOH"),
    {.makeWord = "RICOH", .condition = FoundFromMakernote, .text = "RICOH", .maker = 21, .directoryOffset = 8},
    {.makeWord = "RICOH", .condition = StartsAtMakernote, .text = "Rv", .maker = 40, .textPairs = true},
    {.makeWord = "RICOH", .condition = StartsAtMakernote, .text = "Rev", .maker = 40, .textPairs = true},
    // Samsung's first form ("STMN" and a version) holds no directory, only fixed values.
    {.makeWord = "SAMSUNG", .condition = StartsAtMakernote, .text = "STMN", .maker = 32,
     .fields = kSamsungFirstFormFields},
    {.makeWord = "SAMSUNG", .condition = PlausibleDirectory, .maker = 29},
    {.makeWord = "SANYO", .maker = 39, .directoryOffset = 8},
    // The header of an X3F file, which its container reader files as the makernote.
    {.makeWord = "SIGMA", .condition = StartsAtMakernote, .text = "FOVb", .maker = 43, .order = LittleEndianRest,
     .fields = kX3fHeaderFields},
    {.makeWord = "SIGMA", .maker = 25, .directoryOffset = 10},
    {.makeWord = "SONY", .condition = StartsAtMakernote, .text = "SONY DSC ", .maker = 27, .directoryOffset = 12},
    {.makeWord = "SONY", .condition = StartsAtMakernote, .text = "SONY CAM ", .maker = 27, .directoryOffset = 12},
    {.makeWord = "SONY", .condition = StartsAtMakernote, .text = "SONY MOBILE\0"sv, .maker = 27,
     .directoryOffset = 12},
    // Sony Ericsson's phones: "SEMC MS" padded to 12 bytes, then a TIFF header of its own that
    // offsets count from; the directory follows 8 bytes after it.
    {.makeWord = "SONY", .condition = StartsAtMakernote, .text = "SEMC MS", .maker = 27, .directoryOffset = 20,
     .base = Makernote, .baseOffset = 12, .order = OwnHeader, .orderOffset = 12},
    {.makeWord = "SONY", .condition = PlausibleDirectory, .maker = 27},
    {.makeWord = "VICTOR", .condition = StartsAtMakernote, .text = "JVC ", .maker = 41, .directoryOffset = 4},
    {.makeWord = "VICTOR", .condition = StartsAtMakernote, .text = "VER:", .maker = 41, .read = ReadJvcText},
    // Cameras without a make of the rows above, known by their makernote's signature alone.
    {.makeWord = "", .condition = StartsAtMakernote, .text = "\x01\xF1"sv, .maker = 38, .fields = kReconyxFields},
}};

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
  const auto first = std::find_if(kMakerTable.begin(), kMakerTable.end(),
                                  [&](const MakerRow& row) { return ContainsNoCase(make, row.makeWord); });
  if (first == kMakerTable.end()) return {};
  const auto end = std::find_if(first, kMakerTable.end(),
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

std::span<const MakerRow> MakerTable() {
  return kMakerTable;
}

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
  if (layout.maker == kMakerCanon && base) {
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
