#include <gtest/gtest.h>

#include "browser/core/PatternList.h"

namespace kelmarin {
namespace {

std::array<bool, kFormatBoxCount> Boxes(std::initializer_list<int> indices) {
  std::array<bool, kFormatBoxCount> active{};
  for (int i : indices) active[static_cast<std::size_t>(i)] = true;
  return active;
}

TEST(BuildPatternList, NamePatternsTimesExtensionsInBoxOrder) {
  // Boxes "emf, wmf" (1) and "jpg" (3); boxes come first, then names, then extensions.
  const auto patterns = BuildPatternList("*, IMG*", Boxes({3, 1}));
  const std::vector<FilePattern> expected = {
      {"*.EMF", 2},  {"*.WMF", 2}, {"IMG*.EMF", 2}, {"IMG*.WMF", 2},  {"*.JPG", 4},
      {"*.JPEG", 4}, {"*.JPE", 4}, {"IMG*.JPG", 4}, {"IMG*.JPEG", 4}, {"IMG*.JPE", 4}};
  EXPECT_EQ(patterns, expected);
}

TEST(BuildPatternList, EmptyPartsStayAndNothingCheckedGivesNothing) {
  EXPECT_EQ(BuildPatternList("a*,", Boxes({6})), (std::vector<FilePattern>{{"a*.PNG", 8}, {".PNG", 8}}));
  EXPECT_EQ(BuildPatternList("", Boxes({6})), (std::vector<FilePattern>{{".PNG", 8}}));
  EXPECT_TRUE(BuildPatternList("*", Boxes({})).empty());
  // The raw box holds the classic twelve extensions and today's, all with type code 10.
  const auto raw = BuildPatternList("*", Boxes({11}));
  ASSERT_EQ(raw.size(), 24u);
  EXPECT_EQ(raw.front(), (FilePattern{"*.CR2", 10}));
  EXPECT_EQ(raw.back(), (FilePattern{"*.RW2", 10}));
}

TEST(MatchesPattern, WildcardsAndCase) {
  EXPECT_TRUE(MatchesPattern("photo.JPG", "*.jpg"));
  EXPECT_TRUE(MatchesPattern("photo.jpg", "*.JPG"));
  EXPECT_FALSE(MatchesPattern("photo.jpeg", "*.JPG"));
  EXPECT_TRUE(MatchesPattern(".JPG", "*.JPG"));
  EXPECT_TRUE(MatchesPattern(".png", ".PNG"));
  EXPECT_FALSE(MatchesPattern("a.png", ".PNG"));
  EXPECT_TRUE(MatchesPattern("IMG_0001.JPG", "IMG_####.JPG"));
  EXPECT_FALSE(MatchesPattern("IMG_00a1.JPG", "IMG_####.JPG"));
  EXPECT_TRUE(MatchesPattern("ab.c", "a?.c"));
  EXPECT_FALSE(MatchesPattern("a.c", "a?.c"));
  EXPECT_TRUE(MatchesPattern("abcabcabd", "a*b*d"));
  EXPECT_FALSE(MatchesPattern("abcabcabe", "a*b*d"));
  EXPECT_TRUE(MatchesPattern("x", "**x**"));
}

TEST(MatchesPattern, BracketLists) {
  EXPECT_TRUE(MatchesPattern("c1.png", "[a-f]#.png"));
  EXPECT_TRUE(MatchesPattern("C1.png", "[a-f]#.png"));
  EXPECT_FALSE(MatchesPattern("g1.png", "[a-f]#.png"));
  EXPECT_TRUE(MatchesPattern("y.png", "[!x].png"));
  EXPECT_FALSE(MatchesPattern("X.png", "[!x].png"));
  EXPECT_TRUE(MatchesPattern("-", "[a-]"));
  EXPECT_TRUE(MatchesPattern("b", "[xa-cz]"));
  EXPECT_TRUE(MatchesPattern("*", "[*]"));
  EXPECT_FALSE(MatchesPattern("a", "[*]"));
  EXPECT_TRUE(MatchesPattern("ab", "a[]b"));
  EXPECT_FALSE(MatchesPattern("b", "[z-a]"));
  EXPECT_TRUE(MatchesPattern("!", "[!]"));  // a negated empty list: any one character
  // A "[" without "]" stands for itself instead of failing the whole listing.
  EXPECT_TRUE(MatchesPattern("[ab.jpg", "[ab.JPG"));
}

TEST(MatchesPattern, UnicodeNames) {
  EXPECT_TRUE(MatchesPattern("Ärger.jpg", "ä*.JPG"));
  EXPECT_TRUE(MatchesPattern("Übung.jpg", "?bung.jpg"));  // one character, two bytes
  EXPECT_TRUE(MatchesPattern("ŁÓDŹ.jpg", "łódź.jpg"));
  EXPECT_TRUE(MatchesPattern("ФОТО.jpg", "фото.jpg"));
  // A byte that is not UTF-8 counts as one character and equals only itself.
  EXPECT_TRUE(MatchesPattern("\xE4.jpg", "?.jpg"));
  EXPECT_FALSE(MatchesPattern("\xE4.jpg", "\xC4.jpg"));
}

}  // namespace
}  // namespace kelmarin
