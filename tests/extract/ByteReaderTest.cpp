#include <gtest/gtest.h>

#include <vector>

#include "extract/ByteReader.h"

namespace kelmarin {
namespace {

// Reads at one-based positions; whatever lies outside the bytes reads as zero, never as garbage.
TEST(ByteReader, BothByteOrdersAndMissingBytes) {
  const std::vector<std::uint8_t> bytes = {0x12, 0x34, 0x56, 0x78, 0xFF, 0xFF, 0xFF, 0xFF};
  const ByteReader big(bytes, ByteOrder::BigEndian);
  const ByteReader little(bytes, ByteOrder::LittleEndian);
  EXPECT_EQ(big.ReadU32(1), 0x12345678);
  EXPECT_EQ(little.ReadU32(1), 0x78563412);
  EXPECT_EQ(ByteReader(bytes, ByteOrder::None).ReadU16(1), 0x3412);  // an unknown order reads little-endian
  EXPECT_EQ(big.ReadU32(5), 4294967295);  // not negative
  EXPECT_EQ(big.ReadU16(8), 0);           // one byte present, one missing
  EXPECT_EQ(big.ReadU32(6), 0);
  EXPECT_EQ(big.Byte(0), 0);
  EXPECT_EQ(big.ReadU32(-7), 0);
  EXPECT_EQ(big.ReadU32(std::int64_t{1} << 40), 0);
  EXPECT_EQ(big.ReadU64Raw(2), 0u);
  EXPECT_EQ(big.Text(7, 100), "\xFF\xFF");  // a text gives the bytes that are there
  EXPECT_TRUE(big.Text(9, 2).empty());
  EXPECT_TRUE(big.Text(1, -1).empty());
  EXPECT_FALSE(big.MatchesNoCase(7, "\xFF\xFF\xFF"));  // runs past the end
}

}  // namespace
}  // namespace kelmarin
