#include <gtest/gtest.h>

#include <vector>

#include "extract/ByteReader.h"

namespace kelmarin {
namespace {

TEST(ByteReader, BothByteOrdersAtOneBasedPositionsAndTwosComplement) {
  const std::vector<std::uint8_t> bytes = {0x00, 0x12, 0x34, 0x56, 0x78, 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0x00};
  const ByteReader big(bytes, ByteOrder::BigEndian);
  const ByteReader little(bytes, ByteOrder::LittleEndian);
  EXPECT_EQ(big.ReadU16(2), 0x1234);
  EXPECT_EQ(little.ReadU16(2), 0x3412);
  EXPECT_EQ(ByteReader(bytes, ByteOrder::None).ReadU16(2), 0x3412);  // an unknown order reads little-endian
  EXPECT_EQ(big.ReadU32(2), 0x12345678);
  EXPECT_EQ(little.ReadU32(2), 0x78563412);
  EXPECT_EQ(big.Byte(5), 0x78);
  EXPECT_EQ(big.ReadU32(6), 4294967295);  // not negative, not 0
  EXPECT_EQ(little.ReadU32(8), 0x0080FFFF);
  EXPECT_EQ(big.ReadS32(6), -1);
  EXPECT_EQ(big.ReadS16(6), -1);
  EXPECT_EQ(big.ReadS16(10), -32768);
  EXPECT_EQ(big.ReadU16(10), 32768);
}

TEST(ByteReader, MissingBytesReadAsZero) {
  const std::vector<std::uint8_t> bytes = {0x11, 0x22, 0x33};
  const ByteReader reader(bytes, ByteOrder::BigEndian);
  EXPECT_EQ(reader.ReadU16(3), 0);  // one byte present, one missing
  EXPECT_EQ(reader.ReadU16(2), 0x2233);
  EXPECT_EQ(reader.ReadU32(1), 0);
  EXPECT_EQ(reader.ReadS16(3), 0);
  EXPECT_EQ(reader.ReadS32(2), 0);
  EXPECT_EQ(reader.Byte(0), 0);
  EXPECT_EQ(reader.Byte(4), 0);
  EXPECT_EQ(reader.ReadU32(-7), 0);
  EXPECT_EQ(reader.ReadU32(std::int64_t{1} << 40), 0);
  EXPECT_EQ(reader.ReadU64Raw(1), 0u);
  EXPECT_EQ(reader.Text(2, 100), "\x22\x33");  // a text gives the bytes that are there
  EXPECT_TRUE(reader.Text(4, 2).empty());
  EXPECT_TRUE(reader.Text(1, -1).empty());
}

TEST(ByteReader, FindsTextWithoutRegardToCase) {
  const std::string text("xxNikon\0yyNIKON", 15);
  const std::vector<std::uint8_t> bytes(text.begin(), text.end());
  const ByteReader reader(bytes);
  EXPECT_EQ(reader.FindNoCase("NIKON", 1), 3);
  EXPECT_EQ(reader.FindNoCase("nikon", 4), 11);
  EXPECT_EQ(reader.FindNoCase("nikon", 12), 0);
  EXPECT_TRUE(reader.MatchesNoCase(3, "nIkOn"));
  EXPECT_FALSE(reader.MatchesNoCase(13, "NIKON"));  // runs past the end
  EXPECT_EQ(CutAtNul(std::string_view("Ab\0\0", 4)), "Ab");
  EXPECT_EQ(CutAtNul("whole"), "whole");
}

}  // namespace
}  // namespace kelmarin
