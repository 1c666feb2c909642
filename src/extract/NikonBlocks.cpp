// Nikon's versioned binary blocks. Offsets and value meanings follow the public descriptions of
// Nikon's makernote; the numbers we file them under are our own (NikonBlocks.h).

#include "extract/NikonBlocks.h"

#include <algorithm>
#include <array>
#include <bit>
#include <optional>
#include <string>
#include <vector>

#include "extract/NikonCipher.h"
#include "metadata/Definitions.h"

namespace kelmarin {

namespace {

// One value of a block: a text of `count` bytes cut at the first NUL, trailing spaces dropped
// (width 0), or `count` numbers of `width` bytes (1, 2 or 4) in the makernote's byte order; with
// a mask, the bits of one byte under the mask, shifted down to its lowest.
struct NikonBlockField {
  std::int32_t tag = 0;
  std::int32_t offset = 0;  // from the block's first byte
  std::int32_t width = 1;
  std::int32_t count = 1;
  bool versionText = false;  // a text kept only when it reads as a version number ("1.10B")
  bool isSigned = false;
  std::uint8_t mask = 0;
};

// The layout of a block's versions: `versions` lists the version texts it serves, separated by
// ","; an entry shorter than four characters serves every version that starts with it ("03"),
// an empty list every version. A block without a version (WorldTime) has no version item.
// A layout with a model serves that body alone (the model text as EXIF names it).
struct NikonBlockLayout {
  std::int32_t blockTag = 0;
  std::string_view versions;
  std::int32_t decipherFrom = -1;  // first enciphered byte; -1: stored plain
  std::span<const NikonBlockField> fields;
  bool unversioned = false;
  std::string_view model = {};
};

constexpr std::int32_t kTagSerialNumber = 0x001D;
constexpr std::int32_t kTagPictureControl = 0x0023;
// The Coolpix bodies' PictureControl: the same block under another tag, filed as 0x0023's.
constexpr std::int32_t kTagCoolpixPictureControl = 0x00BD;
constexpr std::int32_t kTagShotInfo = 0x0091;
constexpr std::int32_t kTagColorBalance = 0x0097;
constexpr std::int32_t kTagShutterCount = 0x00A7;
constexpr std::int32_t kTagVrInfo = 0x001F;
constexpr std::int32_t kTagWorldTime = 0x0024;
constexpr std::int32_t kTagDistortInfo = 0x002B;
constexpr std::int32_t kTagMultiExposure = 0x00B0;
constexpr std::int32_t kTagFileInfo = 0x00B8;
constexpr std::int32_t kTagLensData = 0x0098;
constexpr std::int32_t kTagFaceDetect = 0x0021;
constexpr std::int32_t kTagIsoInfo = 0x0025;
constexpr std::int32_t kTagUnknownInfo = 0x002C;
constexpr std::int32_t kTagFlashInfo = 0x00A8;
constexpr std::int32_t kTagAfInfo = 0x0088;
constexpr std::int32_t kTagAfInfo2 = 0x00B7;
constexpr std::int32_t kTagAfTune = 0x00B9;
constexpr std::int32_t kTagRetouchInfo = 0x00BB;

constexpr std::int32_t kVersionBytes = 4;
constexpr std::int32_t kTagVersion = 0;

// PictureControl. Version 1 stores its adjustments in whole steps, versions 2 and 3 in quarter
// steps (0x80 is 0 in both): the quarter-step values have numbers of their own (0x1x) so that
// their names can say how they count. Name and base are 20 characters; filter and toning are
// codes; 0 is "auto", 1 "user", 0xFF "n/a".
constexpr NikonBlockField Text20(std::int32_t tag, std::int32_t offset) {
  return {tag, offset, 0, 20};
}
constexpr std::array<NikonBlockField, 12> kPictureControl1 = {{Text20(1, 4), Text20(2, 24),
                                                               {3, 48}, {4, 49}, {5, 50}, {6, 51},
                                                               {7, 52}, {8, 53}, {9, 54}, {10, 55},
                                                               {11, 56}, {12, 57}}};
constexpr std::array<NikonBlockField, 13> kPictureControl2 = {{Text20(1, 4), Text20(2, 24),
                                                               {3, 48}, {4, 49}, {0x15, 51}, {0x1D, 53},
                                                               {0x16, 55}, {0x17, 57}, {0x18, 59}, {0x19, 61},
                                                               {10, 63}, {11, 64}, {0x1C, 65}}};
constexpr std::array<NikonBlockField, 14> kPictureControl3 = {{Text20(1, 8), Text20(2, 28),
                                                               {3, 54}, {4, 55}, {0x15, 57}, {0x1E, 59},
                                                               {0x1D, 61}, {0x16, 63}, {0x17, 65}, {0x18, 67},
                                                               {0x19, 69}, {10, 71}, {11, 72}, {0x1C, 73}}};

// ColorBalance: the white-balance levels as four 16-bit numbers, filed by the order of their
// channels: 1 red, blue, green, green; 2 red, green, green, blue; 3 red, green, blue, green;
// 4 green, red, blue, green. The enciphered versions start their cipher 284 bytes in (0205: 4).
constexpr NikonBlockField Levels(std::int32_t channels, std::int32_t offset) {
  return {channels, offset, 2, 4};
}
constexpr std::array<NikonBlockField, 1> kLevels1At72 = {{Levels(1, 72)}};
constexpr std::array<NikonBlockField, 1> kLevels2At10 = {{Levels(2, 10)}};
constexpr std::array<NikonBlockField, 1> kLevels3At20 = {{Levels(3, 20)}};
constexpr std::array<NikonBlockField, 1> kLevels2At18 = {{Levels(2, 18)}};
constexpr std::array<NikonBlockField, 1> kLevels4At294 = {{Levels(4, 294)}};
constexpr std::array<NikonBlockField, 1> kLevels2At290 = {{Levels(2, 290)}};
constexpr std::array<NikonBlockField, 1> kLevels4At300 = {{Levels(4, 300)}};
constexpr std::array<NikonBlockField, 1> kLevels2At294 = {{Levels(2, 294)}};
constexpr std::array<NikonBlockField, 1> kLevels4At288 = {{Levels(4, 288)}};

// ShotInfo: the firmware version (5 characters) follows the block's version in every form; from
// version 0200 on it is enciphered. The rest of the block differs from body to body.
// A firmware field that does not read as a version ("1.10B") was deciphered with a wrong key or
// holds something else in that body's form: it and the values behind it are left out.
constexpr std::array<NikonBlockField, 1> kShotInfoFirmware = {{{1, 4, 0, 5, true}}};
// The D60's form (0211) holds the shutter count; its firmware field holds no version.
constexpr std::array<NikonBlockField, 1> kShotInfoD60 = {{{2, 589, 4, 1}}};
// The D300's later form (0210): the shutter count (2), the ISO as a code (3, as in the ISO block),
// the AF fine tuning as a 16-bit code (4) and the custom settings, 24 bytes from 0x322 on, mostly
// bit fields: each under 0x1000 + 16 × its byte + the field's number within that byte (from 1).
constexpr NikonBlockField Bits(std::int32_t tag, std::int32_t offset, std::uint8_t mask) {
  return {tag, offset, 1, 1, false, false, mask};
}
constexpr std::array<NikonBlockField, 64> kShotInfoD300 = {
    {{1, 4, 0, 5, true}, {2, 0x284, 4, 1}, {3, 0x265}, {4, 0x2DC, 2, 1},
     Bits(0x1001, 0x322, 0x03),
     Bits(0x1002, 0x322, 0x80),
     Bits(0x1011, 0x323, 0xc0),
     Bits(0x1012, 0x323, 0x20),
     Bits(0x1013, 0x323, 0x10),
     Bits(0x1014, 0x323, 0x0c),
     Bits(0x1015, 0x323, 0x03),
     Bits(0x1021, 0x324, 0x80),
     Bits(0x1022, 0x324, 0x08),
     Bits(0x1023, 0x324, 0x06),
     Bits(0x1025, 0x324, 0x01),
     Bits(0x1033, 0x325, 0x70),
     Bits(0x1061, 0x328, 0xc0),
     Bits(0x1062, 0x328, 0x30),
     Bits(0x1063, 0x328, 0x0c),
     Bits(0x1064, 0x328, 0x03),
     Bits(0x1071, 0x329, 0xe0),
     Bits(0x1072, 0x329, 0x0f),
     Bits(0x1081, 0x32a, 0xf0),
     Bits(0x1082, 0x32a, 0x0f),
     Bits(0x1091, 0x32b, 0xc0),
     Bits(0x1092, 0x32b, 0x30),
     Bits(0x1093, 0x32b, 0x0c),
     Bits(0x1094, 0x32b, 0x01),
     Bits(0x10a1, 0x32c, 0x40),
     Bits(0x10a2, 0x32c, 0x07),
     {0x10b0, 0x32d},
     Bits(0x10c1, 0x32e, 0x20),
     Bits(0x10c2, 0x32e, 0x08),
     Bits(0x10c5, 0x32e, 0x04),
     Bits(0x10c6, 0x32e, 0x03),
     Bits(0x10d1, 0x32f, 0xc0),
     Bits(0x10d2, 0x32f, 0x30),
     Bits(0x10d3, 0x32f, 0x02),
     Bits(0x10d4, 0x32f, 0x01),
     Bits(0x10e1, 0x330, 0xf8),
     Bits(0x10e2, 0x330, 0x07),
     Bits(0x10f1, 0x331, 0xf8),
     Bits(0x10f2, 0x331, 0x07),
     Bits(0x1101, 0x332, 0xf8),
     Bits(0x1102, 0x332, 0x07),
     Bits(0x1111, 0x333, 0x80),
     Bits(0x1112, 0x333, 0x40),
     Bits(0x1113, 0x333, 0x20),
     Bits(0x1114, 0x333, 0x10),
     Bits(0x1115, 0x333, 0x08),
     Bits(0x1116, 0x333, 0x04),
     Bits(0x1117, 0x333, 0x02),
     Bits(0x1118, 0x333, 0x01),
     Bits(0x1121, 0x334, 0x18),
     Bits(0x1122, 0x334, 0x07),
     Bits(0x1141, 0x336, 0xf0),
     Bits(0x1142, 0x336, 0x0f),
     Bits(0x1151, 0x337, 0xc0),
     Bits(0x1152, 0x337, 0x30),
     Bits(0x1153, 0x337, 0x08),
     Bits(0x1154, 0x337, 0x01),
     Bits(0x1161, 0x338, 0x80),
     Bits(0x1162, 0x338, 0x0f),
     Bits(0x1171, 0x339, 0xc0)}};
// The Coolpix P6000 writes no version, its distortion control (5) at 16.
constexpr std::array<NikonBlockField, 1> kShotInfoP6000 = {{{5, 16}}};

// Vibration reduction (on, off), distortion control (off, on), multiple exposure (mode, shots,
// auto gain as 32-bit numbers), file numbers (card, folder, file as 16-bit numbers); the world
// time has no version: the zone's offset in minutes, daylight saving, the date's order.
constexpr std::array<NikonBlockField, 2> kVrInfo = {{{4, 4}, {6, 6}}};
constexpr std::array<NikonBlockField, 1> kDistortInfo = {{{4, 4}}};
constexpr std::array<NikonBlockField, 3> kMultiExposure = {{{4, 4, 4}, {8, 8, 4}, {12, 12, 4}}};
constexpr std::array<NikonBlockField, 3> kFileInfo = {{{4, 4, 2}, {6, 6, 2}, {8, 8, 2}}};
constexpr std::array<NikonBlockField, 3> kWorldTime = {{{0, 0, 2, 1, false, true}, {2, 2}, {3, 3}}};

// LensData, its values filed under their offset in versions 0101 to 0203: AF aperture (5), focus
// position (8) and distance (9), focal length (10), lens number (11), f-stops (12), shortest and
// longest focal length (13, 14), largest aperture at each (15, 16), MCU version (17), effective
// largest aperture (18). Version 0100 lacks the first five, 0204 has a byte more before the focus
// distance. The exit pupil (4) is left out.
constexpr NikonBlockField Lens(std::int32_t tag, std::int32_t offset) {
  return {tag, offset};
}
constexpr std::array<NikonBlockField, 7> kLensData0100 = {
    {Lens(11, 6), Lens(12, 7), Lens(13, 8), Lens(14, 9), Lens(15, 10), Lens(16, 11), Lens(17, 12)}};
constexpr std::array<NikonBlockField, 12> kLensData01 = {{Lens(5, 5), Lens(8, 8), Lens(9, 9), Lens(10, 10),
                                                          Lens(11, 11), Lens(12, 12), Lens(13, 13), Lens(14, 14),
                                                          Lens(15, 15), Lens(16, 16), Lens(17, 17), Lens(18, 18)}};
constexpr std::array<NikonBlockField, 12> kLensData0204 = {{Lens(5, 5), Lens(8, 8), Lens(9, 10), Lens(10, 11),
                                                            Lens(11, 12), Lens(12, 13), Lens(13, 14), Lens(14, 15),
                                                            Lens(15, 16), Lens(16, 17), Lens(17, 18), Lens(18, 19)}};

// ISO (0x0025, no version): the ISO speed and a second one as codes (0, 6), their expansions
// beyond the normal range (4, 10: 0x101 "Hi 0.3" ... 0x201 "Lo 0.3").
constexpr std::array<NikonBlockField, 4> kIsoInfo = {{{0, 0}, {4, 4, 2}, {6, 6}, {10, 10, 2}}};
// AFInfo (0x0088, no version): the AF area mode, the AF point and the points in focus (16 bits).
constexpr std::array<NikonBlockField, 3> kAfInfo = {{{0, 0}, {1, 1}, {2, 2, 2}}};
// AF fine tuning (0x00B9, no version): on/off, the lens's memory slot, the adjustments (signed).
constexpr std::array<NikonBlockField, 4> kAfTune = {{{0, 0}, {1, 1}, {2, 2, 1, 1, false, true},
                                                     {3, 3, 1, 1, false, true}}};
// Face detection (0x0021, no version, 16-bit numbers): the frame's width and height, the number
// of faces.
constexpr std::array<NikonBlockField, 2> kFaceDetect = {{{2, 2, 2, 2}, {6, 6, 2, 1}}};
// Retouch data (0x00BB) from version 0200: the NEF processing in the camera (signed).
constexpr std::array<NikonBlockField, 1> kRetouchInfo02 = {{{5, 5, 1, 1, false, true}}};
// AFInfo2 version 0100 (0x00B7), filed by offset: contrast AF (4), AF area mode (5), phase AF (6),
// the primary point (7), the points used (8, seven bytes of bits), the AF picture's size and the
// AF area's place and size (16 to 26, 16-bit) and whether contrast AF found focus (28).
constexpr std::array<NikonBlockField, 12> kAfInfo2V0100 = {{{4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8, 1, 7},
                                                           {16, 16, 2}, {18, 18, 2}, {20, 20, 2}, {22, 22, 2},
                                                           {24, 24, 2}, {26, 26, 2}, {28, 28}}};
// FlashInfo (0x00A8), under numbers of our own across the versions: the source (1), the external
// flash's firmware (2, two bytes) and flags (3), commander mode (4, bit 7 of the next byte) and
// control mode (5, its other bits), the compensation in -1/6 EV (6, signed), the flash's focal
// length (7), the repeating flash's rate and count (8, 9), the GN distance (10), the colour filter
// (11, from 0103), the control modes of groups A, B and C (12 to 14, four bits each) and their
// compensation (15 to 17, signed), and from 0103 three more compensations (18 to 20, signed).
constexpr NikonBlockField Signed(std::int32_t tag, std::int32_t offset) {
  return {tag, offset, 1, 1, false, true};
}
constexpr std::array<NikonBlockField, 14> kFlashInfo0100 = {
    {{1, 4}, {2, 6, 1, 2}, {3, 8}, Bits(4, 9, 0x80), Bits(5, 9, 0x7F), Signed(6, 10), {7, 11}, {8, 12}, {9, 13},
     {10, 14}, Bits(12, 15, 0x0F), Bits(13, 16, 0x0F), Signed(15, 17), Signed(16, 18)}};
constexpr std::array<NikonBlockField, 16> kFlashInfo0102 = {
    {{1, 4}, {2, 6, 1, 2}, {3, 8}, Bits(4, 9, 0x80), Bits(5, 9, 0x7F), Signed(6, 10), {7, 12}, {8, 13}, {9, 14},
     {10, 15}, Bits(12, 16, 0x0F), Bits(13, 17, 0xF0), Bits(14, 17, 0x0F), Signed(15, 18), Signed(16, 19),
     Signed(17, 20)}};
constexpr std::array<NikonBlockField, 20> kFlashInfo0103 = {
    {{1, 4}, {2, 6, 1, 2}, {3, 8}, Bits(4, 9, 0x80), Bits(5, 9, 0x7F), Signed(6, 10), {7, 12}, {8, 13}, {9, 14},
     {10, 15}, {11, 16}, Bits(12, 17, 0x0F), Bits(13, 18, 0xF0), Bits(14, 18, 0x0F), Signed(15, 19),
     Signed(16, 20), Signed(17, 21), Signed(18, 27), Signed(19, 29), Signed(20, 39)}};

constexpr std::int32_t kCipherFrom4 = 4;
constexpr std::int32_t kCipherFrom284 = 284;

constexpr std::array<NikonBlockLayout, 40> kLayouts = {{
    {kTagPictureControl, "01", -1, kPictureControl1},
    {kTagPictureControl, "02", -1, kPictureControl2},
    {kTagPictureControl, "03", -1, kPictureControl3},
    {kTagColorBalance, "0100", -1, kLevels1At72},
    {kTagColorBalance, "0102", -1, kLevels2At10},
    {kTagColorBalance, "0103", -1, kLevels3At20},
    {kTagColorBalance, "0205", kCipherFrom4, kLevels2At18},
    {kTagColorBalance, "0209,0212,0214", kCipherFrom284, kLevels4At294},
    {kTagColorBalance, "0200,0201,0202,0203,0204,0206,0207,0208,0210", kCipherFrom284, kLevels2At290},
    {kTagColorBalance, "0211", kCipherFrom284, kLevels4At300},
    {kTagColorBalance, "0213", kCipherFrom284, kLevels2At294},
    {kTagColorBalance, "0215,0216,0217", kCipherFrom284, kLevels4At288},
    {kTagShotInfo, "", -1, kShotInfoP6000, true, "COOLPIX P6000"},
    {kTagShotInfo, "01", -1, kShotInfoFirmware},
    {kTagShotInfo, "0211", kCipherFrom4, kShotInfoD60},
    {kTagShotInfo, "0210", kCipherFrom4, kShotInfoD300, false, "NIKON D300"},
    {kTagShotInfo, "02", kCipherFrom4, kShotInfoFirmware},
    // Later versions (Z bodies and others) are only named by their version.
    {kTagShotInfo, "", -1, {}},
    {kTagLensData, "0100", -1, kLensData0100},
    {kTagLensData, "0101", -1, kLensData01},
    {kTagLensData, "0201,0202,0203", kCipherFrom4, kLensData01},
    {kTagLensData, "0204", kCipherFrom4, kLensData0204},
    {kTagVrInfo, "", -1, kVrInfo},
    {kTagWorldTime, "", -1, kWorldTime, true},
    {kTagDistortInfo, "", -1, kDistortInfo},
    {kTagMultiExposure, "", -1, kMultiExposure},
    {kTagFileInfo, "", -1, kFileInfo},
    {kTagIsoInfo, "", -1, kIsoInfo, true},
    {kTagAfInfo, "", -1, kAfInfo, true},
    {kTagAfTune, "", -1, kAfTune, true},
    {kTagFaceDetect, "", -1, kFaceDetect, true},
    {kTagRetouchInfo, "02", -1, kRetouchInfo02},
    {kTagRetouchInfo, "", -1, {}},
    {kTagUnknownInfo, "", -1, {}},
    {kTagAfInfo2, "0100", -1, kAfInfo2V0100},
    {kTagAfInfo2, "", -1, {}},
    {kTagFlashInfo, "0100,0101", -1, kFlashInfo0100},
    {kTagFlashInfo, "0102", -1, kFlashInfo0102},
    {kTagFlashInfo, "0103,0104,0105", -1, kFlashInfo0103},
    {kTagFlashInfo, "", -1, {}},
}};

bool Serves(const NikonBlockLayout& layout, std::string_view version) {
  std::string_view list = layout.versions;
  if (list.empty()) return true;
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view entry = list.substr(0, comma);
    if (version.starts_with(entry)) return true;
    list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
  }
  return false;
}

const NikonBlockLayout* LayoutFor(std::int32_t blockTag, std::string_view version, std::string_view model) {
  for (const NikonBlockLayout& layout : kLayouts) {
    if (layout.blockTag == blockTag && Serves(layout, version) && (layout.model.empty() || layout.model == model))
      return &layout;
  }
  return nullptr;
}

// The blocks in the order they are read, by the tag they are filed under.
constexpr std::array<std::int32_t, 17> kReadOrder = {
    kTagPictureControl, kTagShotInfo,   kTagColorBalance, kTagLensData, kTagVrInfo,    kTagWorldTime,
    kTagDistortInfo,    kTagMultiExposure, kTagFileInfo,  kTagIsoInfo,  kTagAfTune,    kTagFaceDetect,
    kTagRetouchInfo,    kTagUnknownInfo, kTagAfInfo,      kTagAfInfo2,  kTagFlashInfo};

struct Found {
  std::array<std::optional<std::vector<std::uint8_t>>, kReadOrder.size()> blocks;
  std::string serial;
  std::optional<std::uint32_t> shutterCount;
};

void Keep(Found& found, std::int32_t tag, const ZetExif& item) {
  for (std::size_t i = 0; i < kReadOrder.size(); ++i) {
    if (kReadOrder[i] == tag) found.blocks[i] = ItemBytes(item, true);
  }
}

Found FindBlocks(ImageMetadata& image) {
  Found found;
  const std::int32_t count = image.ExifCount(kSectionMakernote);
  for (std::int32_t i = 1; i <= count; ++i) {
    const ZetExif* item = image.ExifPos(kSectionMakernote, i);
    if (item == nullptr || item->directory != 0) continue;
    if (item->tag == kTagSerialNumber && !item->inhalt.empty()) {
      const ExifValue value = item->inhalt[0];
      if (const auto* text = std::get_if<std::string>(&value)) found.serial = *text;
    } else if (item->tag == kTagShutterCount && !item->inhalt.empty()) {
      if (const auto number = item->inhalt.Number(0)) found.shutterCount = static_cast<std::uint32_t>(*number);
    } else {
      Keep(found, item->tag == kTagCoolpixPictureControl ? kTagPictureControl : item->tag, *item);
    }
  }
  return found;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool LooksLikeVersion(std::string_view text) {
  return text.size() >= 3 && IsDigit(text[0]) && text[1] == '.' && IsDigit(text[2]);
}

void ReadBlock(ImageMetadata& image, std::int32_t blockTag, std::vector<std::uint8_t> bytes, bool bigEndian,
               const std::optional<NikonKey>& key, std::string_view model) {
  const NikonBlockLayout* layout = LayoutFor(blockTag, {}, model);
  if (layout == nullptr || !layout->unversioned) {
    if (bytes.size() < static_cast<std::size_t>(kVersionBytes)) return;
    const std::string version(bytes.begin(), bytes.begin() + kVersionBytes);
    if (!std::all_of(version.begin(), version.end(), IsDigit)) return;
    AddMakernoteItem(image, blockTag, kTagVersion, kTypTexts, {version});
    layout = LayoutFor(blockTag, version, model);
    if (layout == nullptr) return;
  }
  if (layout->decipherFrom >= 0) {
    if (!key) return;
    bytes = NikonDecipher(bytes, *key, static_cast<std::size_t>(layout->decipherFrom));
  }
  const ByteCursor block(bytes, bigEndian);
  for (const NikonBlockField& field : layout->fields) {
    const auto at = static_cast<std::size_t>(field.offset);
    const auto size = static_cast<std::size_t>(field.width == 0 ? field.count : field.width * field.count);
    if (block.PartAt(at, size).size() != size) continue;
    if (field.width == 0) {
      std::string_view text = CutAtNul(block.TextAt(at, size));
      while (!text.empty() && text.back() == ' ') text.remove_suffix(1);  // names padded with spaces
      // A firmware field that is no version: deciphered with a wrong key or another body's form,
      // the numbers behind it would be noise.
      if (field.versionText && !LooksLikeVersion(text)) return;
      AddMakernoteItem(image, blockTag, field.tag, kTypTexts, {std::string(text)});
    } else if (field.mask != 0) {
      const int shift = std::countr_zero(field.mask);
      AddMakernoteItem(image, blockTag, field.tag, kTypNumbers,
                       {std::int64_t{(block.U8At(at) & field.mask) >> shift}});
    } else {
      AddField(image, blockTag, field.tag, block, at, field.width, field.count, field.isSigned);
    }
  }
}

}  // namespace

void ReadNikonBlocks(ImageMetadata& image, const ExifBlockState& state) {
  const bool bigEndian = state.bytes.BigEndian();
  const std::string_view model = state.model;
  Found found = FindBlocks(image);
  std::optional<NikonKey> key;
  if (found.shutterCount && !found.serial.empty())
    key = NikonKey{NikonSerialKey(found.serial, model), *found.shutterCount};
  for (std::size_t i = 0; i < kReadOrder.size(); ++i) {
    if (found.blocks[i]) ReadBlock(image, kReadOrder[i], std::move(*found.blocks[i]), bigEndian, key, model);
  }
}

}  // namespace kelmarin
