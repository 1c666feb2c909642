// Makernotes: the maker registry (the layout names of the definition file and their numbers, the
// detection rows that give those numbers to a make and the first bytes of its makernote), and the
// makernotes read by a form of their own: Nikon's binary blocks by version and body (plain and
// enciphered), JVC's text pairs, Minolta's DiMAGE EX form of fixed places, Sigma's X3F header and
// Apple's run time. Each case gives the stored bytes and the items they become, in both byte orders.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "MakernoteItems.h"
#include "MakernoteSamples.h"
#include "extract/Containers.h"
#include "extract/ExifBlock.h"
#include "extract/MetadataReader.h"
#include "extract/NikonCipher.h"
#include "metadata/Definitions.h"
#include "metadata/Makers.h"

namespace kelmarin {
namespace {

using namespace std::string_literals;
using test::TiffBuilder;

std::string Items(const ImageMetadata& image, std::int32_t directory = -1) {
  return test::MakernoteItems(image, directory);
}

// A block of `size` bytes: the version, the name and the base (20 characters each) at nameAt, and
// from adjustAt on the rising bytes 112, 113, ... so that every value's place shows.
std::string PictureControl(const std::string& version, std::size_t nameAt, std::size_t adjustAt, std::size_t size) {
  std::string block(std::max(size, nameAt + 40), '\0');
  block.replace(0, version.size(), version);
  block.replace(nameAt, 8, "VIVID   ");
  block.replace(nameAt + 20, 8, "STANDARD");
  for (std::size_t i = adjustAt; i < block.size(); ++i) block[i] = static_cast<char>(112 + i - adjustAt);
  block.resize(size);
  return block;
}

// The items of a Nikon block under its tag, in a makernote of the given body whose serial number
// and shutter count key the enciphered blocks.
std::string BlockItems(ByteOrder order, std::uint16_t tag, const std::string& block,
                       const std::string& serial = "4012345", std::uint32_t count = 395,
                       const std::string& model = "NIKON D300") {
  ImageMetadata image;
  ReadExifBlock(image, test::NikonBlocksApp1(order, {{tag, block}}, serial, count, model), nullptr);
  return Items(image, tag);
}

struct BlockCase {
  const char* name;
  std::uint16_t tag;
  std::string block;
  const char* shown;
  const char* model = "NIKON D300";
  const char* serial = "4012345";
};

// Nikon's binary blocks by version and body, each value at its place in both byte orders: ISO data,
// AF data (0x0088, AFInfo2), AF fine tuning, face detection, retouch, flash data, PictureControl,
// ShotInfo (the D300's enciphered, the P6000's without a version), LensData (enciphered from 0201
// on) and the small blocks, their values filed by their offset (the world time has no version and a
// signed zone); the bounds: a block cut short, a version without a layout, a wrong key, another body.
TEST(NikonBlocks, ValuesByVersionAndBody) {
  const auto text = [](const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); };
  const auto enciphered = [&](const std::vector<std::uint8_t>& plain) {
    return text(NikonDecipher(plain, {4012345, 395}));
  };
  // LensData: the bytes count up from 100 at offset 4 so that every value's place shows.
  const auto lens = [&](const std::string& version, std::size_t size) {
    std::vector<std::uint8_t> bytes(version.begin(), version.end());
    for (std::size_t i = 4; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(96 + i));
    return version >= "0201" ? enciphered(bytes) : text(bytes);
  };
  // FlashInfo: from offset 4 on, source, 0, firmware (2), flags, modes byte, compensation, ...; bit
  // fields of one byte (commander and control mode, the groups' modes) and signed compensations.
  const std::string flash0100 = "0100\x01\0\x05\x02\x11\x81\xFA\x18\x0A\x03\x07\x34\x25\xF4\x06"s;
  const std::string flash0102 = "0102\x02\0\x05\x02\x01\x06\x0C\x00\x32\x0A\x03\x07\x04\x35\xFA\x00\x06"s;
  const std::string flash0104 =
      "0104\x00\0\0\0\0\x02\xFD\0\0\0\0\0\x41\x01\x12\x00\x00\x00\0\0\0\0\0\xF4\0\xFA\0\0\0\0\0\0\0\0\0\x03\0"s;
  const std::string picture1 = PictureControl("0100", 4, 48, 58);
  for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    const TiffBuilder o(order);
    // ShotInfo 0210 of the D300: shutter count, ISO code, AF fine-tuning code.
    std::vector<std::uint8_t> plain(0x2DD + 3, 0x5A);
    const std::string head = "0210" "1.10B";
    std::copy(head.begin(), head.end(), plain.begin());
    plain[0x265] = 72;
    const auto shutterCount = o.U32(241575), fineTune = o.U16(2110);
    std::copy(shutterCount.begin(), shutterCount.end(), plain.begin() + 0x284);
    std::copy(fineTune.begin(), fineTune.end(), plain.begin() + 0x2DC);
    const std::string d300 = enciphered(plain);
    std::string p6000(18, '\0');
    p6000[16] = 1;
    // AFInfo2 version 0100: values by offset, the AF area in 16-bit numbers.
    const std::string af0100 = "0100" + text(test::Cat({{1, 7, 2, 3, 0x81, 2, 0, 0, 0, 0, 4, 0}, o.U16(640),
                                                       o.U16(480), o.U16(300), o.U16(200), o.U16(60), o.U16(50),
                                                       {1, 0}}));
    const std::string worldTime = text(test::Cat({o.U16(static_cast<std::uint16_t>(-300)), {1, 2}}));
    const BlockCase cases[] = {
        {"ISO", 0x0025, text(test::Cat({{0x54, 1}, o.U16(12), o.U16(0x104), {0x48, 0}, o.U16(0), o.U16(0x201)})),
         "0=84 4=260 6=72 10=513"},
        {"ISO cut in the second expansion", 0x0025, text(test::Cat({{0x54, 1}, o.U16(12), o.U16(0), {0x48, 0, 0}})),
         "0=84 4=0 6=72"},
        {"AF data", 0x0088, text(test::Cat({{2, 3}, o.U16(0x0101)})), "0=2 1=3 2=257"},
        {"AF fine tuning", 0x00B9, "\x01\x03\xFE\x05"s, "0=1 1=3 2=-2 3=5"},
        {"face detection", 0x0021, text(test::Cat({o.U16(1), o.U16(320), o.U16(240), o.U16(2)})), "2=320,240 6=2"},
        {"face detection cut in the frame", 0x0021, text(test::Cat({o.U16(1), o.U16(320), {0}})), ""},
        {"AFInfo2 0100", 0x00B7, af0100,
         "0='0100' 4=1 5=7 6=2 7=3 8=129,2,0,0,0,0,4 16=640 18=480 20=300 22=200 24=60 26=50 28=1"},
        {"AFInfo2 0100 cut in the AF area", 0x00B7, af0100.substr(0, 23),
         "0='0100' 4=1 5=7 6=2 7=3 8=129,2,0,0,0,0,4 16=640 18=480 20=300"},
        {"AFInfo2 of a later version", 0x00B7, "0101" + af0100.substr(4), "0='0101'"},
        {"AFInfo2 without a version", 0x00B7, "01\x01\x02" + af0100.substr(4), ""},
        // Retouch data: the NEF processing (signed) from version 0200 on.
        {"retouch 0200", 0x00BB, "0200\0\xFF\0\0"s, "0='0200' 5=-1"},
        {"retouch 0100", 0x00BB, "0100\0\x01\0\0"s, "0='0100'"},
        {"unknown block", 0x002C, "0101\x05\x06"s, "0='0101'"},
        // FlashInfo: the same meaning under the same number wherever the version puts it.
        {"flash 0100", 0x00A8, flash0100, "0='0100' 1=1 2=5,2 3=17 4=1 5=1 6=-6 7=24 8=10 9=3 10=7 12=4 13=5 15=-12 16=6"},
        {"flash 0100 cut before the groups", 0x00A8, flash0100.substr(0, 15),
         "0='0100' 1=1 2=5,2 3=17 4=1 5=1 6=-6 7=24 8=10 9=3 10=7"},
        {"flash 0102", 0x00A8, flash0102,
         "0='0102' 1=2 2=5,2 3=1 4=0 5=6 6=12 7=50 8=10 9=3 10=7 12=4 13=3 14=5 15=-6 16=0 17=6"},
        {"flash 0104", 0x00A8, flash0104,
         "0='0104' 1=0 2=0,0 3=0 4=0 5=2 6=-3 7=0 8=0 9=0 10=0 11=65 12=1 13=1 14=2 15=0 16=0 17=0 18=-12 19=-6 20=3"},
        {"flash of a version without layout", 0x00A8, "0106" + flash0104.substr(4), "0='0106'"},
        // PictureControl: the version, the name and the base, then the adjustments by version.
        {"picture control 1", 0x0023, picture1,
         "0='0100' 1='VIVID' 2='STANDARD' 3=112 4=113 5=114 6=115 7=116 8=117 9=118 10=119 11=120 12=121"},
        {"picture control 2", 0x0023, PictureControl("0200", 4, 48, 66),
         "0='0200' 1='VIVID' 2='STANDARD' 3=112 4=113 21=115 29=117 22=119 23=121 24=123 25=125 10=127 11=128 "
         "28=129"},
        {"picture control 3.1", 0x0023, PictureControl("0310", 8, 54, 74),
         "0='0310' 1='VIVID' 2='STANDARD' 3=112 4=113 21=115 30=117 29=119 22=121 23=123 24=125 25=127 10=129 "
         "11=130 28=131"},
        {"picture control cut after the quick adjustment", 0x0023, PictureControl("0100", 4, 48, 50),
         "0='0100' 1='VIVID' 2='STANDARD' 3=112 4=113"},
        {"picture control too short for the name", 0x0023, PictureControl("0100", 4, 48, 23), "0='0100'"},
        {"picture control of an unknown version", 0x0023, PictureControl("0900", 4, 48, 58), "0='0900'"},
        {"picture control shorter than its version", 0x0023, "010", ""},
        {"picture control of a version that is no number", 0x0023, "\x01\x11\0D" + picture1.substr(4), ""},
        // ShotInfo: another body or a wrong key gives no values; the firmware where it reads as a version.
        {"D300", 0x0091, d300, "0='0210' 1='1.10B' 2=241575 3=72 4=2110"},
        {"D300 cut in the shutter count", 0x0091, d300.substr(0, 0x287), "0='0210' 1='1.10B' 3=72"},
        {"0210 of another body", 0x0091, d300, "0='0210' 1='1.10B'", "NIKON D3"},
        {"D300 with another body's key", 0x0091, d300, "0='0210'", "NIKON D300", "4012346"},
        {"P6000", 0x0091, p6000, "5=1", "COOLPIX P6000"},
        {"the P6000's form in another body", 0x0091, p6000, "", "COOLPIX P5100"},
        {"firmware enciphered", 0x0091, enciphered({'0', '2', '1', '0', '1', '.', '1', '0', 'B', 0, 0, 0}),
         "0='0210' 1='1.10B'"},
        {"firmware plain", 0x0091, "0103" "1.00a\0\0\0"s, "0='0103' 1='1.00a'"},
        {"no version in the firmware field", 0x0091, "0103" "\x05\x01\0\0\0\0"s, "0='0103'"},
        {"a later ShotInfo form", 0x0091, "0800" "1.00a\0\0\0"s, "0='0800'"},
        // LensData: the same values at other places by version.
        {"lens 0100", 0x0098, lens("0100", 13), "0='0100' 11=102 12=103 13=104 14=105 15=106 16=107 17=108"},
        {"lens 0101", 0x0098, lens("0101", 19),
         "0='0101' 5=101 8=104 9=105 10=106 11=107 12=108 13=109 14=110 15=111 16=112 17=113 18=114"},
        {"lens 0203", 0x0098, lens("0203", 19),
         "0='0203' 5=101 8=104 9=105 10=106 11=107 12=108 13=109 14=110 15=111 16=112 17=113 18=114"},
        {"lens 0204", 0x0098, lens("0204", 20),
         "0='0204' 5=101 8=104 9=106 10=107 11=108 12=109 13=110 14=111 15=112 16=113 17=114 18=115"},
        {"lens 0204 cut", 0x0098, lens("0204", 12), "0='0204' 5=101 8=104 9=106 10=107"},
        {"0x001F", 0x001F, "0100\x02\0\x01\0"s, "0='0100' 4=2 6=1"},
        {"world time", 0x0024, worldTime, "0=-300 2=1 3=2"},
        {"world time cut", 0x0024, worldTime.substr(0, 3), "0=-300 2=1"},
        {"0x002B", 0x002B, "0100\x01\0\0\0"s, "0='0100' 4=1"},
        {"0x00B0", 0x00B0, "0100" + text(test::Cat({o.U32(2), o.U32(3), o.U32(1)})), "0='0100' 4=2 8=3 12=1"},
        {"0x00B8", 0x00B8, "0100" + text(test::Cat({o.U16(1), o.U16(100), o.U16(54)})), "0='0100' 4=1 6=100 8=54"},
    };
    for (const BlockCase& c : cases) {
      EXPECT_EQ(BlockItems(order, c.tag, c.block, c.serial, 395, c.model), c.shown)
          << c.name << (order == ByteOrder::BigEndian ? " (MM)" : " (II)");
    }
    // ShotInfo's custom settings: bit fields of byte 13 (0xB3: 2, 3, 1, 1) and the whole byte 11.
    plain.resize(0x322 + 24, 0);
    plain[0x322 + 13] = 0xB3;
    plain[0x322 + 11] = 100;
    const std::string items = BlockItems(order, 0x0091, enciphered(plain));
    EXPECT_NE(items.find(" 4272=100 "), std::string::npos) << items;
    EXPECT_NE(items.find(" 4305=2 4306=3 4307=1 4308=1 "), std::string::npos) << items;
  }
}

// `levels` (four 16-bit numbers in the order's bytes) at `at` of a block of `size` bytes, enciphered
// from `cipherFrom` (-1: plain) with the key of serial 4012345 and shutter count 395.
std::string ColorBalance(const std::string& version, std::size_t at, std::size_t size, int cipherFrom,
                         ByteOrder order) {
  const TiffBuilder o(order);
  std::vector<std::uint8_t> block(size, 0x11);
  std::copy(version.begin(), version.end(), block.begin());
  const auto levels = test::Cat({o.U16(500), o.U16(256), o.U16(421), o.U16(0x1234)});
  std::copy(levels.begin(), levels.end(), block.begin() + static_cast<std::ptrdiff_t>(at));
  if (cipherFrom >= 0) block = NikonDecipher(block, {4012345, 395}, static_cast<std::size_t>(cipherFrom));
  return {block.begin(), block.end()};
}

TEST(NikonBlocks, ColorBalanceByVersionPlainAndEnciphered) {
  struct Case {
    const char* version;
    std::size_t at;
    int cipherFrom;
    const char* levels;  // tag=values
  };
  const Case cases[] = {
      {"0100", 72, -1, "1=500,256,421,4660"},  {"0102", 10, -1, "2=500,256,421,4660"},
      {"0103", 20, -1, "3=500,256,421,4660"},  {"0205", 18, 4, "2=500,256,421,4660"},
      {"0209", 294, 284, "4=500,256,421,4660"}, {"0207", 290, 284, "2=500,256,421,4660"},
      {"0211", 300, 284, "4=500,256,421,4660"}, {"0213", 294, 284, "2=500,256,421,4660"},
      {"0216", 288, 284, "4=500,256,421,4660"},
  };
  for (const Case& c : cases) {
    for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
      SCOPED_TRACE(std::string(c.version) + (order == ByteOrder::BigEndian ? " MM" : " II"));
      const std::string version = "0='"s + c.version + "'";
      const std::string block = ColorBalance(c.version, c.at, 320, c.cipherFrom, order);
      EXPECT_EQ(BlockItems(order, 0x0097, block), version + ' ' + c.levels);
      // Cut before the levels' last byte: the version alone.
      EXPECT_EQ(BlockItems(order, 0x0097, block.substr(0, c.at + 7)), version);
      // Without the serial number or the shutter count there is no key.
      if (c.cipherFrom < 0) continue;
      EXPECT_EQ(BlockItems(order, 0x0097, block, "4012345", 0), version);
      EXPECT_EQ(BlockItems(order, 0x0097, block, "", 395), version);
    }
  }
}

// The blocks are read after the whole directory, whose own items stay first and unchanged.
TEST(NikonBlocks, FiledAfterTheDirectoryItems) {
  ImageMetadata image;
  ReadExifBlock(image,
                test::NikonBlocksApp1(ByteOrder::BigEndian,
                                      {{0x0023, PictureControl("0100", 4, 48, 49)}, {0x0091, "0103"}}, "12", 7),
                nullptr);
  EXPECT_EQ(image.camera_id, 17);
  std::string directories;
  for (int i = 1; i <= image.ExifCount(kSectionMakernote); ++i)
    directories += std::to_string(image.ExifPos(kSectionMakernote, i)->directory) + ' ';
  EXPECT_EQ(directories, "0 0 0 0 35 35 35 35 145 ");
  EXPECT_EQ(Items(image, 0x0023), "0='0100' 1='VIVID' 2='STANDARD' 3=112");
}

TEST(TextMakernotes, JvcTextPairs) {
  const std::pair<std::string, std::string> cases[] = {
      {"VER:0100QTY:FINE" + std::string(48, ' '), "5653842='0100' 5330009='FINE'"},
      {"VER:010QTY:STD", "5653842='010' 5330009='STD'"},
      {"VER:01  ??QTY:FINE", "5653842='01' 5330009='FINE'"}, {"VER:0100\0QTY:FINE"s, "5653842='0100'"},
      {"VER:    ABCDE:12QTY:", ""},
  };
  for (const auto& [note, shown] : cases) {
    for (const char* make : {"JVC", "Victor"}) {
      ImageMetadata image;
      ReadExifBlock(image, test::PlainMakernoteApp1(ByteOrder::LittleEndian, make, note), nullptr);
      EXPECT_EQ(std::pair(image.camera_id, Items(image)), std::pair(41, shown)) << note;
    }
  }
}

// Minolta's DiMAGE EX: names and image size at fixed places, big-endian in a block of either order.
TEST(TextMakernotes, MinoltaDimageExFixedPlaces) {
  std::string fixed(0x74, '\0');
  fixed.replace(8, 7, "Minolta");
  fixed.replace(0x28, 14, "DiMAGE EX 1500");
  fixed.replace(0x6C, 8, "\0\0\x05\x40\0\0\x04\0"s);
  const std::pair<std::string, std::string> cases[] = {
      {"\x01\0\0\0\0\0\x04\0"s + fixed.substr(8), "8='Minolta' 40='DiMAGE EX 1500' 108=1344 112=1024"},
      {"\x01\0\x01\0\0\0\x04\0"s + fixed.substr(8, 0x70 - 8), "8='Minolta' 40='DiMAGE EX 1500' 108=1344"},
  };
  for (const auto& [note, shown] : cases) {
    for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
      ImageMetadata image;
      ReadExifBlock(image, test::PlainMakernoteApp1(order, "Minolta Co., Ltd.", note), nullptr);
      EXPECT_EQ(std::pair(image.camera_id, Items(image)), std::pair(42, shown));
    }
  }
}

TEST(X3fContainer, HeaderAndPropertiesBecomeRows) {
  const auto rows = [](const std::vector<std::uint8_t>& file) {
    MetadataSource source;
    if (!ReadX3fContainer(file, source)) return std::string("nicht gelesen");
    source.container = true;
    const ImageMetadata image = ReadMetadata(10, std::make_shared<MetadataSource>(std::move(source)), nullptr);
    std::string text = std::to_string(image.camera_id);
    for (const std::int32_t tag : {0x010F, 0x0110, 0x0100, 0x0101}) {
      const ZetExif* item = image.ExifTag(kSectionMain, tag);
      const ExifValue value = item == nullptr ? ExifValue{std::string("-")} : item->inhalt[0];
      text += '|' + (value.index() == 0 ? std::to_string(std::get<0>(value)) : std::get<1>(value));
    }
    const ZetExif* date = image.ExifTag(kSectionMain, 0x9003);
    text += '|' + (date == nullptr ? std::string("-") : std::get<std::string>(date->inhalt[0]));
    return text + ' ' + Items(image);
  };
  const std::string header23 =
      "4=3 6=2 8=160,161,162,163,164,165,166,167,168,169,170,171,172,173,174,175 24=3 28=2640 32=1760 36=90 "
      "40='Sunlight' 72=''";
  EXPECT_EQ(rows(test::X3fFile(0x00020003, {{"CAMMANUF", "SIGMA"}, {"CAMMODEL", "SIGMA DP1"}, {"TIME", "1199145600"}})),
            "43|SIGMA|SIGMA DP1|2640|1760|2008:01:01 00:00:00 " + header23);
  // Version 4: the image size further back, the header's texts left out.
  EXPECT_EQ(rows(test::X3fFile(0x00040000, {{"TIME", "12x"}, {"CAMMODEL", "sd Quattro"}})),
            "43|SIGMA|sd Quattro|5424|3616|- 4=0 6=4");
  // No section directory where the last bytes point: the header alone.
  EXPECT_EQ(rows(test::X3fFile(0x00020003, {{"CAMMODEL", "SIGMA DP1"}}, false)), "43|SIGMA|-|2640|1760|- " + header23);
  // Cut short: as much of the header as there is; a file of fewer than 8 bytes is no X3F.
  EXPECT_EQ(rows(test::Bytes(std::string("FOVb\3\0\2\0", 8))), "43|SIGMA|-|0|0|- 4=3 6=2");
  MetadataSource none;
  EXPECT_FALSE(ReadX3fContainer(test::Bytes("FOVb"), none));
}

// Apple's run time: the binary property list of makernote tag 0x0003 and the rows it becomes, in
// makernotes of either byte order, and lists whose trailer, references or marker do not hold.
struct ListParts {
  std::uint8_t valueRef = 6;     // the reference of "value"'s number
  std::uint64_t top = 0;         // the top object
  std::uint64_t tableAt = 0;     // 0: where the table is
  std::string magic = "bplist00";
};

// A dictionary of the four keys and their numbers (a byte, 8 bytes, a byte, 4 bytes), one-byte
// offsets and references.
std::string RunTimeList(const ListParts& parts) {
  std::string list = parts.magic;
  std::vector<std::size_t> offsets;
  const auto object = [&](const std::string& bytes) {
    offsets.push_back(list.size());
    list += bytes;
  };
  object(std::string("\xD4\x01\x02\x03\x04\x05", 6) + static_cast<char>(parts.valueRef) + "\x07\x08");
  object("\x55" "flags"), object("\x55" "value"), object("\x55" "epoch"), object("\x59" "timescale");
  object(std::string("\x10\x01", 2)), object(std::string("\x13\x00\x00\x4E\x83\x1C\xAB\x03\x39", 9));
  object(std::string("\x10\x00", 2)), object(std::string("\x12\x3B\x9A\xCA\x00", 5));
  const std::size_t tableAt = list.size();
  for (const std::size_t at : offsets) list += static_cast<char>(at);
  std::string trailer(32, '\0');
  trailer[6] = 1, trailer[7] = 1, trailer[15] = static_cast<char>(offsets.size());
  trailer[23] = static_cast<char>(parts.top);
  const std::uint64_t table = parts.tableAt != 0 ? parts.tableAt : tableAt;
  trailer[30] = static_cast<char>(table >> 8), trailer[31] = static_cast<char>(table);
  return list + trailer;
}

// The run time's items read from an Apple makernote: "Apple iOS\0", version 1, its byte order, one
// entry (tag 3, UNDEFINED) whose bytes follow the directory; offsets from the makernote start.
std::string RunTime(ByteOrder order, const std::string& list) {
  const TiffBuilder o(order);
  const auto entry = test::Cat({o.U16(1), o.U16(3), o.U16(7), o.U32(static_cast<std::uint32_t>(list.size())),
                                o.U32(32), o.U32(0)});
  const std::string note = std::string("Apple iOS\0\0\1", 12) + (order == ByteOrder::BigEndian ? "MM" : "II") +
                           std::string(entry.begin(), entry.end()) + list;
  ImageMetadata image;
  ReadExifBlock(image, test::PlainMakernoteApp1(order, "Apple", note), nullptr);
  return Items(image, 3);
}

TEST(AppleRunTime, DictionaryOfNumbers) {
  struct Case {
    const char* name;
    ListParts parts;
    const char* shown;
  };
  const Case cases[] = {
      {"whole list", {}, "1=1 2=86325028651833 3=0 4=1000000000"},
      {"a value's reference beyond the objects", {.valueRef = 40}, "1=1 3=0 4=1000000000"},
      {"a value's reference to a text", {.valueRef = 2}, "1=1 3=0 4=1000000000"},
      {"top object beyond the objects", {.top = 9}, ""}, {"top object not a dictionary", {.top = 5}, ""},
      {"offset table beyond the list", {.tableAt = 500}, ""},
      {"another signature", {.magic = "bplist01"}, ""},
  };
  for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    for (const Case& c : cases) EXPECT_EQ(RunTime(order, RunTimeList(c.parts)), c.shown) << c.name;
    // A list cut short of its trailer.
    EXPECT_EQ(RunTime(order, RunTimeList({}).substr(0, 30)), "");
  }
}

TEST(MakerRegistry, LayoutNamesAndNumbers) {
  // Numbers the definition file's sections and saved listings depend on: they never change.
  const struct {
    std::string_view name;
    std::int32_t maker;
  } cases[] = {{"asahi01", 2},    {"asahi02", 3},     {"CANON01", 4},   {"casio01", 5},    {"casio02", 6},    {"fujifilm01", 8},
               {"leica01", 14},   {"Minolta01", 15},  {"nikon01", 16},  {"nikon02", 17},   {"olympus01", 18},
               {"panasonic01", 19}, {"ricoh01", 21},  {"sigma01", 25},  {"apple01", 26},   {"olympus02", 28},
               {"dji01", 31},     {"kodak05", 42},    {"sigma02", 43}};
  for (const auto& c : cases) {
    const MakerLayout* layout = FindMakerLayout(c.name);
    ASSERT_NE(layout, nullptr) << c.name;
    EXPECT_EQ(layout->maker, c.maker) << c.name;
  }
  for (std::string_view unknown : {"nikon03", "canon", "canon01 ", "", "jenoptik01"}) {
    EXPECT_EQ(FindMakerLayout(unknown), nullptr) << unknown;
  }
  std::set<std::string_view> names;
  std::set<std::int32_t> numbers;
  for (const MakerLayout& layout : kMakerLayouts) {
    EXPECT_TRUE(names.insert(layout.name).second) << layout.name;
    EXPECT_TRUE(numbers.insert(layout.maker).second) << layout.name;
    EXPECT_EQ(FindMakerLayout(layout.name), &layout);
  }
}

TEST(MakerRegistry, EveryDetectedNumberIsALayoutAndEveryLayoutIsDetected) {
  std::set<std::int32_t> detected;
  for (const MakerRow& row : MakerTable()) {
    detected.insert(row.maker);
    const bool named = std::any_of(kMakerLayouts.begin(), kMakerLayouts.end(),
                                   [&](const MakerLayout& layout) { return layout.maker == row.maker; });
    EXPECT_TRUE(named || row.maker == kMakerJenoptik01) << row.makeWord << " " << row.maker;
  }
  for (const MakerLayout& layout : kMakerLayouts) EXPECT_TRUE(detected.contains(layout.maker)) << layout.name;
}

// The maker number DetectMakernote gives a makernote of these first bytes (the rest zeros).
std::int32_t Detect(const std::string& make, const std::string& model, const std::string& start) {
  std::vector<std::uint8_t> bytes(start.begin(), start.end());
  bytes.resize(64, 0);
  ExifBlockState state(bytes);
  state.header = 0;
  state.make = make;
  state.model = model;
  state.makernote = 0;
  state.makernoteSize = static_cast<std::int64_t>(bytes.size());
  return DetectMakernote(state).maker;
}

TEST(MakerRegistry, DetectionByMakeAndSignature) {
  const struct {
    const char* what;
    std::string make, model, start;
    std::int32_t maker;
  } cases[] = {
      {"Canon: any bytes", "Canon", "EOS 5D", "", kMakerCanon01},
      {"Nikon's later form", "NIKON CORPORATION", "NIKON D750", "Nikon\0\2\x10\0\0MM\0*"s, kMakerNikon02},
      {"Nikon's first form by the model", "NIKON", "E950", "Nikon\0\1\0"s, kMakerNikon01},
      {"Nikon without a signature", "NIKON", "E5700", "\0\x10"s, kMakerNikon02},
      {"Olympus's later form", "OLYMPUS IMAGING CORP.", "E-M5", "OLYMPUS\0II\3\0"s, kMakerOlympus02},
      {"OM System", "OM Digital Solutions", "OM-1", "OM SYSTEM\0\0\0II\4\0"s, kMakerOlympus02},
      {"Olympus's first form", "OLYMPUS OPTICAL CO.,LTD", "C2040Z", "OLYMP\0\1\0"s, kMakerOlympus01},
      {"Epson in Olympus's form", "SEIKO EPSON CORP.", "R-D1", "EPSON\0\1\0"s, kMakerOlympus01},
      {"Pentax: AOC", "PENTAX Corporation", "K10D", "AOC\0MM"s, kMakerAsahi02},
      {"Pentax: own header", "PENTAX", "K-1", "PENTAX \0MM"s, kMakerAsahi02},
      {"Asahi without signature", "Asahi Optical Co.,Ltd", "PENTAX Optio330", "\0\x1B"s, kMakerAsahi01},
      {"Apple", "Apple", "iPhone 12", "Apple iOS\0\0\1MM"s, kMakerApple01},
      {"Casio QVC", "CASIO COMPUTER CO.,LTD.", "EX-Z750", "QVC\0\0\0"s, kMakerCasio02},
      {"Casio's first form", "CASIO", "QV-3000EX", "\0\x14"s, kMakerCasio01},
      {"Leica's later form", "LEICA CAMERA AG", "X2", "LEICA\0\5\0"s, kMakerLeica02},
      {"Leica's first form", "LEICA", "DIGILUX 2", "LEICA\0\0\0"s, kMakerLeica01},
      {"Leica over Fujifilm's", "LEICA", "DIGILUX 4.3", "FUJIFILM\x0C\0\0\0"s, kMakerFujifilm01},
      {"Kodak: own header", "EASTMAN KODAK COMPANY", "Z980", "II*\0"s, kMakerKodak01},
      {"Kodak: KDK INFO", "Eastman Kodak Company", "DX6490", "KDK INFO"s, kMakerKodak02},
      {"Kodak: by the model", "EASTMAN KODAK COMPANY", "KODAK DC240 ZOOM", "", kMakerKodak03},
      {"Samsung's first form", "SAMSUNG", "Digimax", "STMN100\0"s, kMakerSamsung02},
      {"Ricoh's text form", "RICOH", "Caplio RR30", "Rv0103;Rg80;"s, kMakerRicoh02},
      {"Sony", "SONY", "DSC-R1", "SONY DSC \0\0\0"s, kMakerSony01},
      {"Sigma's X3F header", "SIGMA", "SD9", "FOVb"s, kMakerSigma02},
      {"Reconyx, by its signature alone", "", "", "\x01\xF1"s, kMakerReconyx01},
      {"a make of no row", "Hasselblad", "X1D", "\x01\0"s, kMakerNone},
      {"Sony without a plausible directory", "SONY", "DSC-W1", "", kMakerNone},
  };
  for (const auto& c : cases) EXPECT_EQ(Detect(c.make, c.model, c.start), c.maker) << c.what;
}

}  // namespace
}  // namespace kelmarin
