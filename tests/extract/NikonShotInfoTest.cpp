// Nikon's binary blocks by body and version: ShotInfo of the D300 (enciphered) and the P6000
// (no version), ISO data, AF data (0x0088, AFInfo2), AF fine tuning, face detection, retouch and
// flash data. Each table gives the stored bytes and the items they become, in both byte orders;
// the bounds: a block cut short, a version without a layout, a wrong key, another body.
#include <gtest/gtest.h>

#include <string>

#include "MakernoteItems.h"
#include "MakernoteSamples.h"
#include "extract/MetadataReader.h"
#include "extract/NikonCipher.h"
#include "metadata/Definitions.h"

namespace kelmarin {
namespace {

using namespace std::string_literals;
using test::TiffBuilder;

std::string BlockItems(const ImageMetadata& image, std::int32_t directory) {
  return test::MakernoteItems(image, directory);
}

std::string Text(const std::vector<std::uint8_t>& bytes) {
  return {bytes.begin(), bytes.end()};
}

struct Case {
  const char* name;
  std::uint16_t tag;
  std::string block;
  const char* shown;
  const char* model = "NIKON D300";
};

void Check(const Case& c, ByteOrder order, const std::string& serial = "4012345", std::uint32_t count = 395) {
  ImageMetadata image;
  ReadExifBlock(image, test::NikonBlocksApp1(order, {{c.tag, c.block}}, serial, count, c.model), nullptr);
  EXPECT_EQ(BlockItems(image, c.tag), c.shown) << c.name << (order == ByteOrder::BigEndian ? " (MM)" : " (II)");
}

// The blocks without a version, their numbers in the makernote's order.
TEST(NikonBlockTables, UnversionedBlocks) {
  for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    const TiffBuilder o(order);
    const Case cases[] = {
        {"ISO", 0x0025, Text(test::Cat({{0x54, 1}, o.U16(12), o.U16(0x104), {0x48, 0}, o.U16(0), o.U16(0x201)})),
         "0=84 4=260 6=72 10=513"},
        {"ISO cut in the second expansion", 0x0025, Text(test::Cat({{0x54, 1}, o.U16(12), o.U16(0), {0x48, 0, 0}})),
         "0=84 4=0 6=72"},
        {"AF data", 0x0088, Text(test::Cat({{2, 3}, o.U16(0x0101)})), "0=2 1=3 2=257"},
        {"AF fine tuning", 0x00B9, "\x01\x03\xFE\x05"s, "0=1 1=3 2=-2 3=5"},
        {"face detection", 0x0021, Text(test::Cat({o.U16(1), o.U16(320), o.U16(240), o.U16(2)})), "2=320,240 6=2"},
        {"face detection cut in the frame", 0x0021, Text(test::Cat({o.U16(1), o.U16(320), {0}})), ""},
    };
    for (const Case& c : cases) Check(c, order);
  }
}

// AFInfo2 version 0100: values by offset, the AF area in 16-bit numbers; other versions give
// their version alone. Retouch data: the NEF processing (signed) from version 0200 on.
TEST(NikonBlockTables, AfInfo2AndRetouchByVersion) {
  for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    const TiffBuilder o(order);
    const std::string v0100 = "0100" + Text(test::Cat({{1, 7, 2, 3, 0x81, 2, 0, 0, 0, 0, 4, 0},
                                                      o.U16(640), o.U16(480), o.U16(300), o.U16(200),
                                                      o.U16(60), o.U16(50), {1, 0}}));
    const Case cases[] = {
        {"0100", 0x00B7, v0100,
         "0='0100' 4=1 5=7 6=2 7=3 8=129,2,0,0,0,0,4 16=640 18=480 20=300 22=200 24=60 26=50 28=1"},
        {"0100 cut in the AF area", 0x00B7, v0100.substr(0, 23),
         "0='0100' 4=1 5=7 6=2 7=3 8=129,2,0,0,0,0,4 16=640 18=480 20=300"},
        {"a later version", 0x00B7, "0101" + v0100.substr(4), "0='0101'"},
        {"no version", 0x00B7, "01\x01\x02" + v0100.substr(4), ""},
        {"retouch 0200", 0x00BB, "0200\0\xFF\0\0"s, "0='0200' 5=-1"},
        {"retouch 0100", 0x00BB, "0100\0\x01\0\0"s, "0='0100'"},
        {"unknown block", 0x002C, "0101\x05\x06"s, "0='0101'"},
    };
    for (const Case& c : cases) Check(c, order);
  }
}

// FlashInfo by version: the same meaning under the same number wherever the version puts it; bit
// fields of one byte (commander and control mode, the groups' modes) and signed compensations.
TEST(NikonBlockTables, FlashInfoByVersion) {
  // Bytes from offset 4 on: source, 0, firmware (2), flags, modes byte, compensation, ...
  const std::string v0100 = "0100\x01\0\x05\x02\x11\x81\xFA\x18\x0A\x03\x07\x34\x25\xF4\x06"s;
  const std::string v0102 = "0102\x02\0\x05\x02\x01\x06\x0C\x00\x32\x0A\x03\x07\x04\x35\xFA\x00\x06"s;
  const std::string v0104 = "0104\x00\0\0\0\0\x02\xFD\0\0\0\0\0\x41\x01\x12\x00\x00\x00\0\0\0\0\0\xF4\0\xFA\0\0\0\0\0\0\0\0\0\x03\0"s;
  const Case cases[] = {
      {"0100", 0x00A8, v0100, "0='0100' 1=1 2=5,2 3=17 4=1 5=1 6=-6 7=24 8=10 9=3 10=7 12=4 13=5 15=-12 16=6"},
      {"0100 cut before the groups", 0x00A8, v0100.substr(0, 15), "0='0100' 1=1 2=5,2 3=17 4=1 5=1 6=-6 7=24 8=10 9=3 10=7"},
      {"0102", 0x00A8, v0102,
       "0='0102' 1=2 2=5,2 3=1 4=0 5=6 6=12 7=50 8=10 9=3 10=7 12=4 13=3 14=5 15=-6 16=0 17=6"},
      {"0104", 0x00A8, v0104,
       "0='0104' 1=0 2=0,0 3=0 4=0 5=2 6=-3 7=0 8=0 9=0 10=0 11=65 12=1 13=1 14=2 15=0 16=0 17=0 18=-12 19=-6 20=3"},
      {"a version without layout", 0x00A8, "0106" + v0104.substr(4), "0='0106'"},
  };
  for (const Case& c : cases) {
    for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) Check(c, order);
  }
}

// ShotInfo by body: the D300's 0210 form enciphered (shutter count, ISO code, AF fine-tuning code), the
// P6000's form without a version; another body or a wrong key gives no values.
TEST(NikonBlockTables, ShotInfoByBody) {
  for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    const TiffBuilder o(order);
    std::vector<std::uint8_t> plain(0x2DD + 3, 0x5A);
    const std::string head = "0210" "1.10B";
    std::copy(head.begin(), head.end(), plain.begin());
    plain[0x265] = 72;
    const auto count = o.U32(241575);
    std::copy(count.begin(), count.end(), plain.begin() + 0x284);
    const auto fineTune = o.U16(2110);
    std::copy(fineTune.begin(), fineTune.end(), plain.begin() + 0x2DC);
    const std::string d300 = Text(NikonDecipher(plain, {4012345, 395}));
    std::string p6000(18, '\0');
    p6000[16] = 1;
    const Case cases[] = {
        {"D300", 0x0091, d300, "0='0210' 1='1.10B' 2=241575 3=72 4=2110"},
        {"D300 cut in the shutter count", 0x0091, d300.substr(0, 0x287), "0='0210' 1='1.10B' 3=72"},
        {"0210 of another body", 0x0091, d300, "0='0210' 1='1.10B'", "NIKON D3"},
        {"P6000", 0x0091, p6000, "5=1", "COOLPIX P6000"},
        {"the P6000's form in another body", 0x0091, p6000, "", "COOLPIX P5100"},
    };
    for (const Case& c : cases) Check(c, order);
    Check({"D300 with another body's key", 0x0091, d300, "0='0210'"}, order, "4012346", 395);
    // The custom settings: bit fields of byte 13 (0xB3: 2, 3, 1, 1) and the whole byte 11.
    plain.resize(0x322 + 24, 0);
    plain[0x322 + 13] = 0xB3;
    plain[0x322 + 11] = 100;
    ImageMetadata image;
    ReadExifBlock(image, test::NikonBlocksApp1(order, {{0x0091, Text(NikonDecipher(plain, {4012345, 395}))}}, "4012345", 395),
                  nullptr);
    const std::string items = BlockItems(image, 0x0091);
    EXPECT_NE(items.find(" 4272=100 "), std::string::npos) << items;
    EXPECT_NE(items.find(" 4305=2 4306=3 4307=1 4308=1 "), std::string::npos) << items;
  }
}

}  // namespace
}  // namespace kelmarin
