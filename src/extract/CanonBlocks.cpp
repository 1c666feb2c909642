// Canon's per-body camera information and versioned colour data. Places and value meanings
// follow the public descriptions of Canon's makernote; the numbers we file them under are our
// own (CanonBlocks.h).

#include "extract/CanonBlocks.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "metadata/Definitions.h"

namespace kelmarin {

namespace {

constexpr std::int32_t kTagModelId = 0x0010;

// One value of the camera information: a text of `count` bytes cut at the first NUL (width 0) or
// a number of `width` bytes, in the makernote's byte order or, where `reversed`, in the other one
// (the lens and focus values of the bodies that store them big-endian in a little-endian block).
struct InfoField {
  std::int32_t tag = 0;
  std::int32_t offset = 0;
  std::int32_t width = 1;
  std::int32_t count = 1;
  bool reversed = false;
};

// Our numbers of the camera information's values.
enum InfoTag : std::int32_t {
  kFNumber = 1,
  kExposureTime,
  kIso,
  kFlashMetering,
  kTemperature,
  kFocalLength,
  kOrientation,
  kFocusUpper,
  kFocusLower,
  kWhiteBalance,
  kColorTemperature,
  kLensType,
  kShortestFocal,
  kLongestFocal,
  kFirmware,
  kOwner,
  kFolderIndex,
  kFileIndex,
  kLensModel,
  kCompactTemperature,  // the compact bodies' temperature in °C
  kFolderIndexPlusOne,  // the folder number + 1 (EOS 40D, 550D)
};
constexpr std::int32_t kStyleBase = 0x100;      // + 8 × style + setting
constexpr std::int32_t kUserStyleBase = 0x180;  // + user style 1 to 3

constexpr InfoField Byte(std::int32_t tag, std::int32_t offset) {
  return {tag, offset};
}
constexpr InfoField Reversed16(std::int32_t tag, std::int32_t offset) {
  return {tag, offset, 2, 1, true};
}
constexpr InfoField Text(std::int32_t tag, std::int32_t offset, std::int32_t count) {
  return {tag, offset, 0, count};
}

// The EOS 450D and 1000D: the exposure values as Canon's byte codes, the focal length and focus
// distances (cm) big-endian; the user's values after the lens.
constexpr std::array<InfoField, 17> kInfo450D = {{
    Byte(kFNumber, 0x03), Byte(kExposureTime, 0x04), Byte(kIso, 0x06), Byte(kFlashMetering, 0x15),
    Byte(kTemperature, 0x18), Reversed16(kFocalLength, 0x1D), Byte(kOrientation, 0x30),
    Reversed16(kFocusUpper, 0x43), Reversed16(kFocusLower, 0x45), {kWhiteBalance, 0x6F, 2},
    {kColorTemperature, 0x73, 2}, Reversed16(kLensType, 0xDE), Text(kFirmware, 0x107, 6),
    Text(kOwner, 0x10F, 32), {kFolderIndex, 0x133, 4}, {kFileIndex, 0x13F, 4}, Text(kLensModel, 0x933, 64),
}};
constexpr std::array<InfoField, 18> kInfo1000D = {{
    Byte(kFNumber, 0x03), Byte(kExposureTime, 0x04), Byte(kIso, 0x06), Byte(kFlashMetering, 0x15),
    Byte(kTemperature, 0x18), Reversed16(kFocalLength, 0x1D), Byte(kOrientation, 0x30),
    Reversed16(kFocusUpper, 0x43), Reversed16(kFocusLower, 0x45), {kWhiteBalance, 0x6F, 2},
    {kColorTemperature, 0x73, 2}, Reversed16(kLensType, 0xE2), Reversed16(kShortestFocal, 0xE4),
    Reversed16(kLongestFocal, 0xE6), Text(kFirmware, 0x10B, 6), {kFolderIndex, 0x137, 4},
    {kFileIndex, 0x143, 4}, Text(kLensModel, 0x937, 64),
}};

// The EOS 40D: the 450D's places up to the colour temperature, then the lens, the firmware, the
// file number, the folder number (stored + 1) and the lens's name.
constexpr std::array<InfoField, 18> kInfo40D = {{
    Byte(kFNumber, 0x03), Byte(kExposureTime, 0x04), Byte(kIso, 0x06), Byte(kFlashMetering, 0x15),
    Byte(kTemperature, 0x18), Reversed16(kFocalLength, 0x1D), Byte(kOrientation, 0x30),
    Reversed16(kFocusUpper, 0x43), Reversed16(kFocusLower, 0x45), {kWhiteBalance, 0x6F, 2},
    {kColorTemperature, 0x73, 2}, Reversed16(kLensType, 0xD6), Reversed16(kShortestFocal, 0xD8),
    Reversed16(kLongestFocal, 0xDA), Text(kFirmware, 0xFF, 6), {kFileIndex, 0x133, 4},
    {kFolderIndexPlusOne, 0x13F, 4}, Text(kLensModel, 0x92B, 64),
}};
// The EOS 550D: the values after the ISO speed one byte or more later than in the 40D.
constexpr std::array<InfoField, 17> kInfo550D = {{
    Byte(kFNumber, 0x03), Byte(kExposureTime, 0x04), Byte(kIso, 0x06), Byte(kFlashMetering, 0x15),
    Byte(kTemperature, 0x19), Reversed16(kFocalLength, 0x1E), Byte(kOrientation, 0x35),
    Reversed16(kFocusUpper, 0x54), Reversed16(kFocusLower, 0x56), {kWhiteBalance, 0x78, 2},
    {kColorTemperature, 0x7C, 2}, Reversed16(kLensType, 0xFF), Reversed16(kShortestFocal, 0x101),
    Reversed16(kLongestFocal, 0x103), Text(kFirmware, 0x1A4, 6), {kFileIndex, 0x1E4, 4},
    {kFolderIndexPlusOne, 0x1F0, 4},
}};

// A body's layout: its model id, its values, and where its picture-style block starts.
struct InfoLayout {
  std::uint32_t modelId = 0;
  std::span<const InfoField> fields;
  std::int32_t styles = 0;
};
constexpr std::array<InfoLayout, 4> kInfoLayouts = {{
    {0x80000176, kInfo450D, 0x263},
    {0x80000254, kInfo1000D, 0x267},
    {0x80000190, kInfo40D, 0x25B},
    {0x80000270, kInfo550D, 0x31C},
}};

// The picture-style block: per style (standard, portrait, landscape, neutral, faithful,
// monochrome, user 1 to 3) six signed 32-bit settings (contrast, sharpness, saturation, colour
// tone, filter and toning effect), then the three user styles' bases as 16-bit numbers.
constexpr std::int32_t kStyles = 9;
constexpr std::int32_t kStyleSettings = 6;
constexpr std::int32_t kUserStyles = 3;
constexpr std::int32_t kUserStylesAt = kStyles * kStyleSettings * 4;

void ReadCameraInfo(ImageMetadata& image, const std::vector<std::uint8_t>& bytes, std::uint32_t modelId,
                    bool bigEndian) {
  const InfoLayout* layout = nullptr;
  for (const InfoLayout& candidate : kInfoLayouts) {
    if (candidate.modelId == modelId) layout = &candidate;
  }
  if (layout == nullptr) return;
  const ByteCursor info(bytes, bigEndian), other(bytes, !bigEndian);
  for (const InfoField& field : layout->fields) {
    AddField(image, kCanonCameraInfo, field.tag, field.reversed ? other : info,
             static_cast<std::size_t>(field.offset), field.width, field.count);
  }
  const auto styles = static_cast<std::size_t>(layout->styles);
  for (std::int32_t style = 0; style < kStyles; ++style) {
    for (std::int32_t setting = 0; setting < kStyleSettings; ++setting) {
      AddField(image, kCanonCameraInfo, kStyleBase + 8 * style + setting, info,
               styles + static_cast<std::size_t>(4 * (kStyleSettings * style + setting)), 4, 1, true);
    }
  }
  for (std::int32_t user = 0; user < kUserStyles; ++user) {
    AddField(image, kCanonCameraInfo, kUserStyleBase + 1 + user, info,
             styles + static_cast<std::size_t>(kUserStylesAt + 2 * user), 2, 1);
  }
}

// The compact bodies' camera information: signed 32-bit numbers whose count tells where the
// temperature lies (counts 72 to 104: the S1, S2, S3 and A, S and SD bodies of 2006; more than
// 400: the third number from the end).
struct CompactTemperature {
  std::size_t count;
  std::size_t index;
};
constexpr std::array<CompactTemperature, 6> kCompactTemperatures = {
    {{72, 71}, {85, 83}, {93, 91}, {94, 91}, {96, 92}, {104, 100}}};
constexpr std::size_t kLaterCompactCount = 400;
constexpr std::size_t kLaterCompactFromEnd = 3;

void ReadCompactCameraInfo(ImageMetadata& image, const ZetExif& item) {
  const std::size_t count = item.inhalt.size();
  std::optional<std::size_t> index;
  for (const CompactTemperature& form : kCompactTemperatures) {
    if (form.count == count) index = form.index;
  }
  if (count > kLaterCompactCount) index = count - kLaterCompactFromEnd;
  if (!index) return;
  const auto number = item.inhalt.Number(*index);
  if (!number) return;
  AddMakernoteItem(image, kCanonCameraInfo, kCompactTemperature, kTypNumbers,
                   {std::int64_t{static_cast<std::int32_t>(static_cast<std::uint32_t>(*number))}});
}

// The colour data as words; a value is read from its words wherever the block holds them all.
class Words {
 public:
  explicit Words(const ZetExif& item) : values(item.inhalt) {}
  std::size_t size() const { return values.size(); }
  bool Has(std::size_t from, std::size_t count) const { return from <= size() && count <= size() - from; }
  std::int64_t Word(std::size_t i, bool isSigned) const {
    const std::int64_t word = values.Number(i).value_or(0) & 0xFFFF;
    return isSigned && word >= 0x8000 ? word - 0x10000 : word;
  }

 private:
  const ExifValues& values;
};

// Lights in our numbering (CanonBlocks.h): as shot, auto, measured, unknown, daylight, shade,
// cloudy, tungsten, fluorescent, Kelvin, flash, custom 1 and 2, ten unnamed ones, the three
// picture-style lights of the computer (PC 1 to 3) and the custom one of the third form.
enum Light : std::int32_t {
  kAsShot = 0,
  kAuto,
  kMeasured,
  kUnknown,
  kDaylight,
  kShade,
  kCloudy,
  kTungsten,
  kFluorescent,
  kKelvin,
  kFlash,
  kCustom1,
  kCustom2,
  kUnknown2,
  kPc1 = kUnknown2 + 10,
  kPc2,
  kPc3,
  kCustom,
};
constexpr std::int32_t kLevelsBase = 0x100;
constexpr std::int32_t kCalibrationBase = 0x200;
constexpr std::size_t kCalibrationRows = 15;

// A light's four levels (red, green, green, blue) and its colour temperature after them.
struct LightAt {
  std::int32_t light;
  std::size_t word;
};
constexpr std::size_t kLightWords = 5;

// The first form (EOS 20D and 350D, 582 words) lists ten lights from word 0x19; the third (EOS 5D,
// 30D, 400D, 1D Mark IIN; 796 words) fourteen from 0x3F; the fourth (EOS-1D Mark III to 60D, its
// version in word 0) twenty-one from 0x3F; the sixth (600D, 1200D) and seventh (1D X, 5D Mark
// III, 6D, 70D and others) the first three from 0x3F and seven more after a gap.
template <std::size_t N>
constexpr std::array<LightAt, N> Contiguous(std::size_t from, const std::array<std::int32_t, N>& lights) {
  std::array<LightAt, N> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = {lights[i], from + kLightWords * i};
  return out;
}
constexpr auto kLightsForm1 = Contiguous<10>(
    0x19, {kAsShot, kAuto, kDaylight, kShade, kCloudy, kTungsten, kFluorescent, kFlash, kCustom1, kCustom2});
constexpr auto kLightsForm3 = Contiguous<14>(0x3F, {kAsShot, kAuto, kMeasured, kDaylight, kShade, kCloudy, kTungsten,
                                                    kFluorescent, kKelvin, kFlash, kPc1, kPc2, kPc3, kCustom});
constexpr auto kLightsForm4 = Contiguous<21>(
    0x3F, {kAsShot, kAuto, kMeasured, kUnknown, kDaylight, kShade, kCloudy, kTungsten, kFluorescent, kKelvin, kFlash,
           kUnknown2, kUnknown2 + 1, kUnknown2 + 2, kUnknown2 + 3, kUnknown2 + 4, kUnknown2 + 5, kUnknown2 + 6,
           kUnknown2 + 7, kUnknown2 + 8, kUnknown2 + 9});
constexpr std::array<std::int32_t, 7> kLaterLights = {kDaylight,    kShade,  kCloudy, kTungsten,
                                                      kFluorescent, kKelvin, kFlash};
constexpr std::array<LightAt, 3> kFirstLights = {{{kAsShot, 0x3F}, {kAuto, 0x44}, {kMeasured, 0x49}}};
constexpr auto kLightsForm6 = Contiguous<7>(0x67, kLaterLights);
constexpr auto kLightsForm7 = Contiguous<7>(0x80, kLaterLights);

struct ColorForm {
  std::span<const std::size_t> lengths;
  std::span<const LightAt> lights;
  std::span<const LightAt> moreLights;
  std::size_t calibrationAt = 0;  // 0: no calibration table of four-word rows
  bool versioned = false;
  bool levels = false;  // the fourth form's black and white levels
};
constexpr std::array<std::size_t, 1> kForm1Lengths = {582};
constexpr std::array<std::size_t, 1> kForm3Lengths = {796};
constexpr std::array<std::size_t, 9> kForm4Lengths = {692, 674, 702, 1227, 1250, 1251, 1337, 1338, 1346};
constexpr std::array<std::size_t, 2> kForm6Lengths = {1273, 1275};
constexpr std::array<std::size_t, 4> kForm7Lengths = {1312, 1313, 1316, 1506};
constexpr std::array<ColorForm, 5> kColorForms = {{
    {kForm1Lengths, kLightsForm1, {}, 0x4B, false, false},
    {kForm3Lengths, kLightsForm3, {}, 0x85, true, false},
    {kForm4Lengths, kLightsForm4, {}, 0xA8, true, true},
    {kForm6Lengths, kFirstLights, kLightsForm6, 0, true, false},
    {kForm7Lengths, kFirstLights, kLightsForm7, 0, true, false},
}};

// The levels of the fourth form: the average black level, the measured raw levels (32 bits,
// high word first) and, in versions 4 and 5 only (1Ds Mark III, 450D, 1000D), the black level per
// channel, the white levels and the linearity margin. Our numbers 0x10 to 0x15.
struct LevelField {
  std::int32_t tag;
  std::size_t word;
  std::size_t count;
  bool swappedPairs = false;
  bool versions4And5 = false;
};
constexpr std::array<LevelField, 6> kLevels = {{{0x10, 0xE7, 4},
                                               {0x11, 0x280, 4, true},
                                               {0x12, 0x2B4, 4, false, true},
                                               {0x13, 0x2B8, 1, false, true},
                                               {0x14, 0x2B9, 1, false, true},
                                               {0x15, 0x2BA, 1, false, true}}};

// Adds the words when the block holds them all; false when it does not.
bool AddWords(ImageMetadata& image, std::int32_t directory, std::int32_t tag, const Words& words,
              std::size_t from, std::size_t count, bool isSigned) {
  if (!words.Has(from, count)) return false;
  ExifValues values;
  for (std::size_t i = 0; i < count; ++i) values.emplace_back(words.Word(from + i, isSigned));
  AddMakernoteItem(image, directory, tag, kTypNumbers, std::move(values));
  return true;
}

void ReadColorData(ImageMetadata& image, const ZetExif& item) {
  const Words words(item);
  const ColorForm* form = nullptr;
  for (const ColorForm& candidate : kColorForms) {
    if (std::find(candidate.lengths.begin(), candidate.lengths.end(), words.size()) != candidate.lengths.end())
      form = &candidate;
  }
  if (form == nullptr) return;
  std::int64_t version = 0;
  if (form->versioned) {
    version = words.Word(0, true);
    AddWords(image, kCanonColorData, 0, words, 0, 1, true);
  }
  for (const auto& lights : {form->lights, form->moreLights}) {
    for (const LightAt& light : lights) {
      AddWords(image, kCanonColorData, kLevelsBase + 2 * light.light, words, light.word, 4, true);
      AddWords(image, kCanonColorData, kLevelsBase + 2 * light.light + 1, words, light.word + 4, 1, false);
    }
  }
  for (std::size_t row = 0; form->calibrationAt != 0 && row < kCalibrationRows; ++row) {
    AddWords(image, kCanonColorData, kCalibrationBase + 1 + static_cast<std::int32_t>(row), words,
             form->calibrationAt + 4 * row, 4, true);
  }
  if (!form->levels) return;
  for (const LevelField& field : kLevels) {
    if (field.versions4And5 && version != 4 && version != 5) continue;
    if (!field.swappedPairs) {
      AddWords(image, kCanonColorData, field.tag, words, field.word, field.count, false);
      continue;
    }
    if (!words.Has(field.word, 2 * field.count)) continue;
    ExifValues values;
    for (std::size_t i = 0; i < field.count; ++i) {
      values.emplace_back((words.Word(field.word + 2 * i, false) << 16) | words.Word(field.word + 2 * i + 1, false));
    }
    AddMakernoteItem(image, kCanonColorData, field.tag, kTypNumbers, std::move(values));
  }
}

// The autofocus records: 16-bit words in sequence, the number of AF points N first, then
// arrays of N words (the areas' sizes and places) and of N / 16 words (bit sets), and after
// them the primary point of the compact bodies. Filed from the first array on, each under its
// place in the sequence (the fields before it are the list's own rows).
struct AfForm {
  std::int32_t tag;
  std::size_t pointsAt;   // word of N
  std::size_t arraysAt;   // sequence place and word of the first array
  std::size_t areaArrays;  // arrays of N words
};
constexpr std::int32_t kTagAfInfo = 0x0012;
constexpr std::int32_t kTagAfInfo2 = 0x0026;
constexpr std::int32_t kTagAfInfo3 = 0x003C;
constexpr std::array<AfForm, 3> kAfForms = {{{kTagAfInfo, 0, 8, 2}, {kTagAfInfo2, 2, 8, 4}, {kTagAfInfo3, 2, 8, 4}}};
// The first record's length in the bodies that keep eight words of their own before the primary
// point.
constexpr std::size_t kAfInfoWithExtraWords = 36;
constexpr std::size_t kAfInfoExtraWords = 8;

void ReadAfInfo(ImageMetadata& image, const ZetExif& item, const AfForm& form, bool eos) {
  const Words words(item);
  if (!words.Has(form.pointsAt, 1)) return;
  const auto points = static_cast<std::size_t>(words.Word(form.pointsAt, false));
  const std::size_t bitWords = (points + 15) / 16;
  std::size_t at = form.arraysAt;
  auto add = [&](std::int32_t field, std::size_t count, bool isSigned) {
    if (!AddWords(image, form.tag, field, words, at, count, isSigned)) return false;
    at += count;
    return true;
  };
  std::int32_t field = static_cast<std::int32_t>(form.arraysAt);
  for (std::size_t i = 0; i < form.areaArrays; ++i) {
    if (!add(field++, points, true)) return;
  }
  if (!add(field++, bitWords, false)) return;  // points in focus
  if (form.tag == kTagAfInfo) {
    // 11: the primary point, or eight words of the body's own and then the primary point (12).
    if (eos) {
      add(field + 1, 1, false);
    } else if (words.size() == kAfInfoWithExtraWords) {
      at += kAfInfoExtraWords;
      add(field + 1, 1, false);
    } else {
      add(field, 1, false);
    }
    return;
  }
  // 13: the selected points (EOS) or words of the compact bodies' own; 14: their primary point.
  if (eos) {
    add(field, bitWords, false);
  } else if (words.Has(at, bitWords + 1)) {
    at += bitWords + 1;
    if (form.tag == kTagAfInfo2) add(field + 1, 1, false);
  }
}

}  // namespace

void ReadCanonBlocks(ImageMetadata& image, const ExifBlockState& state) {
  std::optional<std::uint32_t> modelId;
  std::optional<std::vector<std::uint8_t>> cameraInfo;
  std::int32_t compactInfo = 0;  // position of a camera information of 32-bit numbers
  std::int32_t colorData = 0;  // position of the colour data item
  std::array<std::int32_t, kAfForms.size()> afInfo{};  // positions of the autofocus records
  const std::int32_t count = image.ExifCount(kSectionMakernote);
  for (std::int32_t i = 1; i <= count; ++i) {
    const ZetExif* item = image.ExifPos(kSectionMakernote, i);
    if (item == nullptr || item->directory != 0 || item->inhalt.empty()) continue;
    if (item->tag == kTagModelId) {
      if (const auto number = item->inhalt.Number(0)) modelId = static_cast<std::uint32_t>(*number);
    } else if (item->tag == kCanonCameraInfo && item->inhalt.PackedWidth() == 4) {
      compactInfo = i;
    } else if (item->tag == kCanonCameraInfo) {
      cameraInfo = ItemBytes(*item);
    } else if (item->tag == kCanonColorData && item->typ == kTypNumbers) {
      colorData = i;
    }
    for (std::size_t form = 0; form < kAfForms.size(); ++form) {
      if (item->tag == kAfForms[form].tag && item->typ == kTypNumbers) afInfo[form] = i;
    }
  }
  if (cameraInfo && modelId) ReadCameraInfo(image, *cameraInfo, *modelId, state.bytes.BigEndian());
  if (compactInfo != 0) ReadCompactCameraInfo(image, *image.ExifPos(kSectionMakernote, compactInfo));
  if (colorData != 0) {
    // Copy the item: adding items may move the one it came from.
    const ZetExif item = *image.ExifPos(kSectionMakernote, colorData);
    ReadColorData(image, item);
  }
  const bool eos = state.model.find("EOS") != std::string::npos;
  for (std::size_t form = 0; form < kAfForms.size(); ++form) {
    if (afInfo[form] == 0) continue;
    const ZetExif item = *image.ExifPos(kSectionMakernote, afInfo[form]);
    ReadAfInfo(image, item, kAfForms[form], eos);
  }
}

}  // namespace kelmarin
