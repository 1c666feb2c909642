// Makernotes read by a form of their own: Nikon's versioned binary blocks (PictureControl,
// ShotInfo, ColorBalance, plain and enciphered), JVC's text pairs and Minolta's DiMAGE EX form of
// fixed places. Each case gives the stored bytes and the items they become, in both byte orders.
#include <gtest/gtest.h>

#include <string>

#include "MakernoteItems.h"
#include "MakernoteSamples.h"
#include "extract/Containers.h"
#include "extract/MetadataReader.h"
#include "extract/NikonCipher.h"
#include "metadata/Definitions.h"

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

struct BlockCase {
  const char* name;
  std::string block;
  const char* shown;
};

TEST(NikonBlocks, PictureControlByVersion) {
  const BlockCase cases[] = {
      {"version 1", PictureControl("0100", 4, 48, 58),
       "0='0100' 1='VIVID' 2='STANDARD' 3=112 4=113 5=114 6=115 7=116 8=117 9=118 10=119 11=120 12=121"},
      {"version 2", PictureControl("0200", 4, 48, 66),
       "0='0200' 1='VIVID' 2='STANDARD' 3=112 4=113 21=115 29=117 22=119 23=121 24=123 25=125 10=127 11=128 "
       "28=129"},
      {"version 3.1", PictureControl("0310", 8, 54, 74),
       "0='0310' 1='VIVID' 2='STANDARD' 3=112 4=113 21=115 30=117 29=119 22=121 23=123 24=125 25=127 10=129 "
       "11=130 28=131"},
      {"cut after the quick adjustment", PictureControl("0100", 4, 48, 50),
       "0='0100' 1='VIVID' 2='STANDARD' 3=112 4=113"},
      {"too short for the name", PictureControl("0100", 4, 48, 23), "0='0100'"},
      {"unknown version", PictureControl("0900", 4, 48, 58), "0='0900'"},
      {"shorter than its version", "010", ""},
      {"a version that is no number", "\x01\x11\0D" + PictureControl("0100", 4, 48, 58).substr(4), ""},
  };
  for (const BlockCase& c : cases) {
    for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
      ImageMetadata image;
      ReadExifBlock(image, test::NikonBlocksApp1(order, {{0x0023, c.block}}), nullptr);
      EXPECT_EQ(Items(image, 0x0023), c.shown) << c.name;
    }
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
      ImageMetadata image;
      ReadExifBlock(image, test::NikonBlocksApp1(order, {{0x0097, block}}, "4012345", 395), nullptr);
      EXPECT_EQ(Items(image, 0x0097), version + ' ' + c.levels);
      // Cut before the levels' last byte: the version alone.
      ImageMetadata cut;
      ReadExifBlock(cut, test::NikonBlocksApp1(order, {{0x0097, block.substr(0, c.at + 7)}}, "4012345", 395),
                    nullptr);
      EXPECT_EQ(Items(cut, 0x0097), version);
      if (c.cipherFrom < 0) continue;
      // Without the serial number or the shutter count there is no key.
      for (const auto& [serial, count] : {std::pair("4012345"s, 0U), std::pair(""s, 395U)}) {
        ImageMetadata keyless;
        ReadExifBlock(keyless, test::NikonBlocksApp1(order, {{0x0097, block}}, serial, count), nullptr);
        EXPECT_EQ(Items(keyless, 0x0097), version);
      }
    }
  }
}

TEST(NikonBlocks, ShotInfoFirmwareWhereItReadsAsAVersion) {
  const auto enciphered = [](const std::string& plain) {
    const std::vector<std::uint8_t> bytes(plain.begin(), plain.end());
    const auto out = NikonDecipher(bytes, {4012345, 395});
    return std::string(out.begin(), out.end());
  };
  const BlockCase cases[] = {
      {"enciphered", enciphered("0210" "1.10B\0\0\0"s), "0='0210' 1='1.10B'"},
      {"plain", "0103" "1.00a\0\0\0"s, "0='0103' 1='1.00a'"},
      {"no version in the firmware field", "0103" "\x05\x01\0\0\0\0"s, "0='0103'"},
      {"a later form", "0800" "1.00a\0\0\0"s, "0='0800'"},
  };
  for (const BlockCase& c : cases) {
    for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
      ImageMetadata image;
      ReadExifBlock(image, test::NikonBlocksApp1(order, {{0x0091, c.block}}, "4012345", 395), nullptr);
      EXPECT_EQ(Items(image, 0x0091), c.shown) << c.name;
    }
  }
}

// LensData: the same values at other places by version, enciphered from version 0201 on; the
// bytes count up from 100 at offset 4 so that every value's place shows.
TEST(NikonBlocks, LensDataByVersion) {
  const auto block = [](const std::string& version, std::size_t size, bool enciphered) {
    std::vector<std::uint8_t> bytes(version.begin(), version.end());
    for (std::size_t i = 4; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(96 + i));
    if (enciphered) bytes = NikonDecipher(bytes, {4012345, 395});
    return std::string(bytes.begin(), bytes.end());
  };
  const std::pair<std::string, const char*> cases[] = {
      {block("0100", 13, false), "0='0100' 11=102 12=103 13=104 14=105 15=106 16=107 17=108"},
      {block("0101", 19, false),
       "0='0101' 5=101 8=104 9=105 10=106 11=107 12=108 13=109 14=110 15=111 16=112 17=113 18=114"},
      {block("0203", 19, true),
       "0='0203' 5=101 8=104 9=105 10=106 11=107 12=108 13=109 14=110 15=111 16=112 17=113 18=114"},
      {block("0204", 20, true),
       "0='0204' 5=101 8=104 9=106 10=107 11=108 12=109 13=110 14=111 15=112 16=113 17=114 18=115"},
      {block("0204", 12, true), "0='0204' 5=101 8=104 9=106 10=107"},
  };
  for (const auto& [bytes, shown] : cases) {
    ImageMetadata image;
    ReadExifBlock(image, test::NikonBlocksApp1(ByteOrder::BigEndian, {{0x0098, bytes}}, "4012345", 395), nullptr);
    EXPECT_EQ(Items(image, 0x0098), shown);
  }
}

// The small blocks, their values filed by their offset in the makernote's byte order; the world
// time has no version and a signed zone.
TEST(NikonBlocks, SmallBlocksByOffset) {
  for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    const TiffBuilder o(order);
    const auto text = [](const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); };
    const std::vector<std::pair<std::uint16_t, std::string>> blocks = {
        {0x001F, "0100\x02\0\x01\0"s},
        {0x0024, text(test::Cat({o.U16(static_cast<std::uint16_t>(-300)), {1, 2}}))},
        {0x002B, "0100\x01\0\0\0"s},
        {0x00B0, "0100" + text(test::Cat({o.U32(2), o.U32(3), o.U32(1)}))},
        {0x00B8, "0100" + text(test::Cat({o.U16(1), o.U16(100), o.U16(54)}))},
    };
    ImageMetadata image;
    ReadExifBlock(image, test::NikonBlocksApp1(order, blocks), nullptr);
    EXPECT_EQ(Items(image, 0x001F) + " | " + Items(image, 0x0024) + " | " + Items(image, 0x002B) + " | " +
                  Items(image, 0x00B0) + " | " + Items(image, 0x00B8),
              "0='0100' 4=2 6=1 | 0=-300 2=1 3=2 | 0='0100' 4=1 | 0='0100' 4=2 8=3 12=1 | 0='0100' 4=1 6=100 8=54");
    ImageMetadata cut;
    ReadExifBlock(cut, test::NikonBlocksApp1(order, {{0x0024, blocks[1].second.substr(0, 3)}}), nullptr);
    EXPECT_EQ(Items(cut, 0x0024), "0=-300 2=1");
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
      {"VER:01  ??QTY:FINE", "5653842='01' 5330009='FINE'"},
      {"VER:0100\0QTY:FINE"s, "5653842='0100'"},
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

}  // namespace
}  // namespace kelmarin
