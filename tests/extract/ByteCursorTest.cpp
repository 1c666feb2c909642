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
  const bool ranOutBySeek = cursor.RanOut();
  const std::size_t kept = cursor.Position();
  // Later reads still work; the flag stays.
  EXPECT_EQ(std::tuple(ranOutBySeek, kept, cursor.U8(), cursor.RanOut()), std::tuple(true, 0u, 1u, true));

  ByteCursor outer(kBytes, false);
  ByteCursor inner = outer.Sub(3);
  const std::size_t afterSub = outer.Position();
  const std::uint16_t first = inner.U16(), second = inner.U16();  // one byte of the sub-span left
  EXPECT_EQ(std::tuple(afterSub, first, second, inner.RanOut(), outer.RanOut()),
            std::tuple(3u, 0x0201u, 0u, true, false));
  EXPECT_TRUE(outer.Sub(7).Bytes().empty());
  EXPECT_TRUE(outer.RanOut());

  ByteCursor text(std::span(reinterpret_cast<const std::uint8_t*>("MM*"), 3));
  const bool ii = text.Match("II"), mm = text.Match("MM");
  const bool longer = text.Match(std::string_view("*\0", 2));  // longer than what remains
  EXPECT_EQ(std::tuple(ii, mm, longer, text.Position(), text.RanOut()),
            std::tuple(false, true, false, 2u, false));
  // The peeks look anywhere without moving or setting the flag; 0 where the number does not fit.
  const ByteCursor big(kBytes), little(kBytes, false);
  EXPECT_EQ(std::tuple(big.U16At(7), little.U16At(7), big.U32At(5), little.U32At(5)),
            std::tuple(0x0809u, 0x0908u, 0x06070809u, 0x09080706u));
  EXPECT_EQ(std::tuple(big.U16At(8), big.U32At(6), big.U32At(std::size_t{1} << 40)), std::tuple(0u, 0u, 0u));
  EXPECT_EQ(std::tuple(big.U8At(8), big.U8At(9), big.U8At(std::size_t{1} << 40)), std::tuple(9u, 0u, 0u));
  // PartAt gives what lies inside: cut at the end, empty past it; TextAt is the same as characters.
  EXPECT_EQ(std::vector(big.PartAt(7, 5).begin(), big.PartAt(7, 5).end()), (std::vector<std::uint8_t>{8, 9}));
  EXPECT_EQ(std::tuple(big.PartAt(2, 3).size(), big.PartAt(9, 1).size(), big.PartAt(10, 1).size()),
            std::tuple(3u, 0u, 0u));
  EXPECT_EQ(std::tuple(text.TextAt(1, 5), text.TextAt(4, 1)), std::tuple("M*", ""));
  EXPECT_EQ(std::pair(big.Position(), big.RanOut()), std::pair(std::size_t{0}, false));
  // CutAtNul ends a text at its first zero byte, if any.
  EXPECT_EQ(std::tuple(CutAtNul(std::string_view("ab\0c", 4)), CutAtNul("abc")), std::tuple("ab", "abc"));
  // HoldsAt looks anywhere without moving or setting the flag; a text running past the end fails.
  EXPECT_EQ(std::tuple(text.HoldsAt(1, "M*"), text.HoldsAt(3, ""), text.HoldsAt(2, "*M"), text.HoldsAt(4, ""),
                       text.HoldsAt(0, "MN"), text.Position(), text.RanOut()),
            std::tuple(true, true, false, false, false, 2u, false));
}

}  // namespace
}  // namespace kelmarin
