// The bounded byte cursor: numbers in both byte orders, running out, sub-spans and matches.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "extract/ByteCursor.h"

namespace kelmarin {
namespace {

const std::vector<std::uint8_t> kBytes = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09};

TEST(ByteCursorTest, ReadsNumbersInBothOrdersAndRunsOutWithoutMoving) {
  struct Case {
    bool big;
    std::size_t skip;
    int width;
    std::uint64_t value;
    bool ranOut;
    std::size_t after;
  };
  const Case cases[] = {
      {true, 0, 2, 0x0102, false, 2},
      {false, 0, 2, 0x0201, false, 2},
      {true, 1, 4, 0x02030405, false, 5},
      {false, 1, 4, 0x05040302, false, 5},
      {true, 1, 8, 0x0203040506070809, false, 9},
      {false, 0, 8, 0x0807060504030201, false, 8},
      {true, 6, 4, 0, true, 6},   // three bytes left: nothing read, position kept
      {false, 8, 2, 0, true, 8},  // one byte left
      {true, 9, 1, 0, true, 9},   // at the end
  };
  for (const Case& c : cases) {
    ByteCursor cursor(kBytes, c.big);
    cursor.Skip(c.skip);
    const std::uint64_t value = c.width == 2   ? cursor.U16()
                                : c.width == 4 ? cursor.U32()
                                : c.width == 8 ? cursor.U64()
                                               : cursor.U8();
    EXPECT_EQ(value, c.value) << c.skip << "/" << c.width;
    EXPECT_EQ(cursor.RanOut(), c.ranOut) << c.skip << "/" << c.width;
    EXPECT_EQ(cursor.Position(), c.after) << c.skip << "/" << c.width;
  }
}

TEST(ByteCursorTest, FlagStaysSetAndSubCursorsAreBounded) {
  ByteCursor cursor(kBytes);
  cursor.Seek(10);
  EXPECT_TRUE(cursor.RanOut());
  EXPECT_EQ(cursor.Position(), 0u);
  EXPECT_EQ(cursor.U8(), 1u);  // later reads still work, the flag stays
  EXPECT_TRUE(cursor.RanOut());

  ByteCursor outer(kBytes, false);
  ByteCursor inner = outer.Sub(3);
  EXPECT_EQ(outer.Position(), 3u);
  EXPECT_EQ(inner.U16(), 0x0201u);
  EXPECT_EQ(inner.U16(), 0u);  // only one byte of the sub-span left
  EXPECT_TRUE(inner.RanOut());
  EXPECT_FALSE(outer.RanOut());
  EXPECT_TRUE(outer.Sub(7).Bytes().empty());
  EXPECT_TRUE(outer.RanOut());

  ByteCursor text(std::span(reinterpret_cast<const std::uint8_t*>("MM*"), 3));
  EXPECT_FALSE(text.Match("II"));
  EXPECT_TRUE(text.Match("MM"));
  EXPECT_FALSE(text.Match(std::string_view("*\0", 2)));  // longer than what remains
  EXPECT_EQ(text.Position(), 2u);
  EXPECT_FALSE(text.RanOut());
  // The peeks look anywhere without moving or setting the flag; 0 where the number does not fit.
  const ByteCursor big(kBytes), little(kBytes, false);
  EXPECT_EQ(big.U16At(7), 0x0809u);
  EXPECT_EQ(little.U16At(7), 0x0908u);
  EXPECT_EQ(std::pair(big.U32At(5), little.U32At(5)), std::pair(0x06070809u, 0x09080706u));
  EXPECT_EQ(big.U16At(8), 0u);
  EXPECT_EQ(big.U32At(6), 0u);
  EXPECT_EQ(big.U32At(std::size_t{1} << 40), 0u);
  EXPECT_EQ(std::tuple(big.U8At(8), big.U8At(9), big.U8At(std::size_t{1} << 40)), std::tuple(9u, 0u, 0u));
  // PartAt gives what lies inside: cut at the end, empty past it.
  EXPECT_EQ(std::vector(big.PartAt(7, 5).begin(), big.PartAt(7, 5).end()), (std::vector<std::uint8_t>{8, 9}));
  EXPECT_EQ(std::tuple(big.PartAt(2, 3).size(), big.PartAt(9, 1).size(), big.PartAt(10, 1).size()),
            std::tuple(3u, 0u, 0u));
  EXPECT_EQ(std::pair(big.Position(), big.RanOut()), std::pair(std::size_t{0}, false));
  // TextAt is PartAt as characters; CutAtNul ends a text at its first zero byte, if any.
  EXPECT_EQ(std::tuple(text.TextAt(1, 5), text.TextAt(4, 1), CutAtNul(std::string_view("ab\0c", 4)),
                       CutAtNul("abc")),
            std::tuple("M*", "", "ab", "abc"));
  // HoldsAt looks anywhere without moving or setting the flag.
  EXPECT_TRUE(text.HoldsAt(1, "M*"));
  EXPECT_TRUE(text.HoldsAt(3, ""));
  EXPECT_FALSE(text.HoldsAt(2, "*M"));  // runs past the end
  EXPECT_FALSE(text.HoldsAt(4, ""));
  EXPECT_FALSE(text.HoldsAt(0, "MN"));
  EXPECT_EQ(text.Position(), 2u);
  EXPECT_FALSE(text.RanOut());
}

}  // namespace
}  // namespace kelmarin
