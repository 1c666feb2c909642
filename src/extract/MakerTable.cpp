// The maker registry's detection rows: which makernote layout a make and the makernote's first
// bytes name, and where that layout keeps its directory, base and byte order (see MakerRow in
// extract/ExifBlock.h). The maker numbers are those of metadata/Makers.h. A new maker, or a later
// form of a known one, is a new row here.

#include <array>

#include "extract/AppleRunTime.h"
#include "extract/ExifBlock.h"
#include "extract/NikonBlocks.h"
#include "extract/TextMakernotes.h"
#include "metadata/Makers.h"

namespace kelmarin {

namespace {

using namespace std::string_view_literals;
using enum MakerCondition;
using enum MakerDirectory;
using enum MakerBase;
using enum MakerOrder;

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
                                    .maker = kMakerOlympus02, .directoryOffset = 12, .base = Makernote,
                                    .order = OwnHeader, .orderOffset = 8, .subdirectories = kOlympusSubdirectories,
                                    .olympusCameraType = true};
constexpr MakerRow kOmSystem = {.makeWord = "OLYMPUS", .condition = StartsAtMakernote, .text = "OM SYSTEM\0"sv,
                                .maker = kMakerOlympus02, .directoryOffset = 16, .base = Makernote,
                                .order = OwnHeader, .orderOffset = 12, .subdirectories = kOlympusSubdirectories};
constexpr MakerRow kPentaxLater = {.makeWord = "PENTAX", .condition = StartsAtMakernote, .text = "PENTAX \0"sv,
                                   .maker = kMakerAsahi02, .directoryOffset = 10, .base = Makernote,
                                   .order = OwnHeader, .orderOffset = 8};

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
                                      .maker = kMakerKodak01, .directoryOffset = 8, .base = Makernote,
                                      .order = OwnHeader, .countPadding = 2};

constexpr std::array<MakerRow, 61> kMakerTable = {{
    {.makeWord = "AGFA", .maker = kMakerOlympus01, .directoryOffset = 8},
    {.makeWord = "APPLE", .condition = StartsAtMakernote, .text = "Apple iOS\0"sv, .maker = kMakerApple01,
     .directoryOffset = 14, .base = Makernote, .order = OwnHeader, .orderOffset = 12,
     .afterWalk = ReadAppleRunTime},
    {.makeWord = "ASAHI", .condition = FoundFromMakernote, .text = "AOC", .maker = kMakerAsahi02,
     .directoryOffset = 6},
    {.makeWord = "ASAHI", .maker = kMakerAsahi01},
    // Editing programs that move the makernote leave its original offset in its footer.
    {.makeWord = "CANON", .maker = kMakerCanon01, .base = CanonFooter},
    {.makeWord = "CASIO", .condition = FoundFromMakernote, .text = "QVC", .maker = kMakerCasio02,
     .directoryOffset = 6, .wholeTexts = kCasioSecondWholeTexts},
    {.makeWord = "CASIO", .maker = kMakerCasio01, .base = Makernote, .wholeTexts = kCasioFirstWholeTexts},
    // DJI's drones: a directory without signature, offsets from the TIFF header.
    {.makeWord = "DJI", .condition = PlausibleDirectory, .maker = kMakerDji01},
    {.makeWord = "EPSON", .maker = kMakerOlympus01, .directoryOffset = 8},
    {.makeWord = "FUJIFILM", .maker = kMakerFujifilm01, .directory = LittleEndianLink, .base = Makernote,
     .order = LittleEndianRest},
    // Fujifilm's bodies of the years before the name changed.
    {.makeWord = "FUJI PHOTO", .maker = kMakerFujifilm01, .directory = LittleEndianLink, .base = Makernote,
     .order = LittleEndianRest},
    {.makeWord = "JENOPTIK", .condition = StartsAtMakernote, .text = "SKANH", .maker = kMakerJenoptik01,
     .directoryOffset = 8},
    // JVC (and Victor): "JVC " and a directory in either byte order, offsets from the TIFF header;
    // or text pairs after "VER:".
    {.makeWord = "JVC", .condition = StartsAtMakernote, .text = "JVC ", .maker = kMakerJvc01,
     .directoryOffset = 4},
    {.makeWord = "JVC", .condition = StartsAtMakernote, .text = "VER:", .maker = kMakerJvc01,
     .read = ReadJvcText},
    // Kodak (and JK Imaging's Kodak PIXPRO bodies): a TIFF header of the makernote's own, offsets
    // from the makernote start, two bytes between entry count and entries; or the "KDK" form with
    // its values at fixed places: big-endian after "KDK INFO", little-endian after any other
    // "KDK" signature, whatever the block's order.
    kKodakOwnHeader,
    WithText(kKodakOwnHeader, "MM\0*"sv),
    {.makeWord = "KODAK", .condition = StartsAtMakernote, .text = "KDK INFO", .maker = kMakerKodak02,
     .order = BigEndianRest, .fields = kKodakInfoFields},
    {.makeWord = "KODAK", .condition = StartsAtMakernote, .text = "KDK", .maker = kMakerKodak02,
     .order = LittleEndianRest, .fields = kKodakInfoFields},
    {.makeWord = "KODAK", .condition = StartsAtMakernoteAndModel, .models = kKodakDateModels,
     .maker = kMakerKodak03, .fields = kKodakDateFields},
    {.makeWord = "KODAK", .condition = StartsAtMakernoteAndModel, .models = kKodakFileNameModels,
     .maker = kMakerKodak04, .fields = kKodakFileNameFields},
    WithWord(kKodakOwnHeader, "JK IMAGING"),
    WithWord(WithText(kKodakOwnHeader, "MM\0*"sv), "JK IMAGING"),
    {.makeWord = "LEICA", .condition = FoundFromMakernote, .text = "FUJIFILM", .maker = kMakerFujifilm01,
     .directory = LittleEndianLink, .base = Makernote, .order = LittleEndianRest},
    // Leica's later bodies (X1, X2, T, X, X-U and others): the body's signature word after
    // "LEICA\0", offsets from the makernote start.
    {.makeWord = "LEICA", .condition = StartsAtMakernote, .text = "LEICA\0\1\0"sv, .maker = kMakerLeica02,
     .directoryOffset = 8, .base = Makernote},
    {.makeWord = "LEICA", .condition = StartsAtMakernote, .text = "LEICA\0\5\0"sv, .maker = kMakerLeica02,
     .directoryOffset = 8, .base = Makernote},
    {.makeWord = "LEICA", .condition = StartsAtMakernote, .text = "LEICA\0\6\0"sv, .maker = kMakerLeica02,
     .directoryOffset = 8, .base = Makernote},
    {.makeWord = "LEICA", .condition = StartsAtMakernote, .text = "LEICA\0\7\0"sv, .maker = kMakerLeica02,
     .directoryOffset = 8, .base = Makernote},
    {.makeWord = "LEICA", .condition = StartsAtMakernote, .text = "LEICA\0\x10\0"sv, .maker = kMakerLeica02,
     .directoryOffset = 8, .base = Makernote},
    {.makeWord = "LEICA", .maker = kMakerLeica01, .directoryOffset = 8},
    // Minolta's DiMAGE EX: Kodak's fixed-place form (the maker's and the model's name, the image
    // size), big-endian, told by its first eight bytes.
    {.makeWord = "MINOLTA", .condition = StartsAtMakernote, .text = "\x01\0\0\0\0\0\x04\0"sv,
     .maker = kMakerKodak05, .order = BigEndianRest, .fields = kKodakFixedFields},
    {.makeWord = "MINOLTA", .condition = StartsAtMakernote, .text = "\x01\0\x01\0\0\0\x04\0"sv,
     .maker = kMakerKodak05, .order = BigEndianRest, .fields = kKodakFixedFields},
    {.makeWord = "MINOLTA", .maker = kMakerMinolta01},
    // Motorola's phones: "MOT\0" and four bytes, then the directory; offsets from the makernote start.
    {.makeWord = "MOTOROLA", .condition = StartsAtMakernote, .text = "MOT\0"sv, .maker = kMakerMotorola01,
     .directoryOffset = 8, .base = Makernote},
    {.makeWord = "NIKON", .condition = StartsAtMakernoteAndModel, .text = "NIKON", .models = kNikonFirstLayoutModels,
     .maker = kMakerNikon01, .directoryOffset = 8},
    // A TIFF header of its own at makernote + 10, in its own byte order; the directory follows 8
    // bytes after it.
    {.makeWord = "NIKON", .condition = StartsAtMakernote, .text = "NIKON", .maker = kMakerNikon02,
     .directoryOffset = 18, .base = Makernote, .baseOffset = 10, .order = OwnHeader, .orderOffset = 10,
     .subdirectories = kNikonSubdirectories, .afterWalk = ReadNikonBlocks},
    {.makeWord = "NIKON", .maker = kMakerNikon02, .afterWalk = ReadNikonBlocks},
    WithWord(kOmSystem, "OM DIGITAL"),
    WithWord(kOlympusLater, "OM DIGITAL"),
    kOlympusLater,
    kOmSystem,
    // The E-1 and E-300 keep their sub-directories in this form too, as blobs that hold them.
    {.makeWord = "OLYMPUS", .maker = kMakerOlympus01, .directoryOffset = 8,
     .subdirectories = kOlympusSubdirectories, .olympusCameraType = true},
    {.makeWord = "PANASONIC", .maker = kMakerPanasonic01, .directoryOffset = 12},
    kPentaxLater,
    {.makeWord = "PENTAX", .condition = FoundFromMakernote, .text = "AOC", .maker = kMakerAsahi02,
     .directoryOffset = 6},
    WithWord(kPentaxLater, "RICOH"),
    {.makeWord = "RICOH", .condition = FoundFromMakernote, .text = "RICOH", .maker = kMakerRicoh01,
     .directoryOffset = 8},
    {.makeWord = "RICOH", .condition = StartsAtMakernote, .text = "Rv", .maker = kMakerRicoh02,
     .textPairs = true},
    {.makeWord = "RICOH", .condition = StartsAtMakernote, .text = "Rev", .maker = kMakerRicoh02,
     .textPairs = true},
    // Samsung's first form ("STMN" and a version) holds no directory, only fixed values.
    {.makeWord = "SAMSUNG", .condition = StartsAtMakernote, .text = "STMN", .maker = kMakerSamsung02,
     .fields = kSamsungFirstFormFields},
    {.makeWord = "SAMSUNG", .condition = PlausibleDirectory, .maker = kMakerSamsung01},
    {.makeWord = "SANYO", .maker = kMakerSanyo01, .directoryOffset = 8},
    // The header of an X3F file, which its container reader files as the makernote.
    {.makeWord = "SIGMA", .condition = StartsAtMakernote, .text = "FOVb", .maker = kMakerSigma02,
     .order = LittleEndianRest, .fields = kX3fHeaderFields},
    {.makeWord = "SIGMA", .maker = kMakerSigma01, .directoryOffset = 10},
    {.makeWord = "SONY", .condition = StartsAtMakernote, .text = "SONY DSC ", .maker = kMakerSony01,
     .directoryOffset = 12},
    {.makeWord = "SONY", .condition = StartsAtMakernote, .text = "SONY CAM ", .maker = kMakerSony01,
     .directoryOffset = 12},
    {.makeWord = "SONY", .condition = StartsAtMakernote, .text = "SONY MOBILE\0"sv, .maker = kMakerSony01,
     .directoryOffset = 12},
    // Sony Ericsson's phones: "SEMC MS" padded to 12 bytes, then a TIFF header of its own that
    // offsets count from; the directory follows 8 bytes after it.
    {.makeWord = "SONY", .condition = StartsAtMakernote, .text = "SEMC MS", .maker = kMakerSony01,
     .directoryOffset = 20, .base = Makernote, .baseOffset = 12, .order = OwnHeader, .orderOffset = 12},
    {.makeWord = "SONY", .condition = PlausibleDirectory, .maker = kMakerSony01},
    {.makeWord = "VICTOR", .condition = StartsAtMakernote, .text = "JVC ", .maker = kMakerJvc01,
     .directoryOffset = 4},
    {.makeWord = "VICTOR", .condition = StartsAtMakernote, .text = "VER:", .maker = kMakerJvc01,
     .read = ReadJvcText},
    // Cameras without a make of the rows above, known by their makernote's signature alone.
    {.makeWord = "", .condition = StartsAtMakernote, .text = "\x01\xF1"sv, .maker = kMakerReconyx01,
     .fields = kReconyxFields},
}};

}  // namespace

std::span<const MakerRow> MakerTable() {
  return kMakerTable;
}

}  // namespace kelmarin
