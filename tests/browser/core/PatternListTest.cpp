#include <gtest/gtest.h>

#include "browser/core/FormatTable.h"
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

TEST(MatchesPattern, WildcardsBracketsCaseAndUnicode) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"photo.JPG", "*.jpg", true},
      {"photo.jpg", "*.JPG", true},
      {"photo.jpeg", "*.JPG", false},
      {".JPG", "*.JPG", true},
      {".png", ".PNG", true},
      {"a.png", ".PNG", false},
      {"IMG_0001.JPG", "IMG_####.JPG", true},
      {"IMG_00a1.JPG", "IMG_####.JPG", false},
      {"ab.c", "a?.c", true},
      {"a.c", "a?.c", false},
      {"abcabcabd", "a*b*d", true},
      {"abcabcabe", "a*b*d", false},
      {"x", "**x**", true},
      {"c1.png", "[a-f]#.png", true},
      {"C1.png", "[a-f]#.png", true},
      {"g1.png", "[a-f]#.png", false},
      {"y.png", "[!x].png", true},
      {"X.png", "[!x].png", false},
      {"-", "[a-]", true},
      {"b", "[xa-cz]", true},
      {"*", "[*]", true},
      {"a", "[*]", false},
      {"ab", "a[]b", true},
      {"b", "[z-a]", false},
      {"!", "[!]", true},            // a negated empty list: any one character
      {"[ab.jpg", "[ab.JPG", true},  // a "[" without "]" stands for itself
      {"Ärger.jpg", "ä*.JPG", true},
      {"Übung.jpg", "?bung.jpg", true},
      {"ŁÓDŹ.jpg", "łódź.jpg", true},
      {"ФОТО.jpg", "фото.jpg", true},
      // A byte that is not UTF-8 counts as one character and equals only itself.
      {"\xE4.jpg", "?.jpg", true},
      {"\xE4.jpg", "\xC4.jpg", false}};
  for (const auto& [name, pattern, matches] : cases)
    EXPECT_EQ(MatchesPattern(name, pattern), matches) << name << " " << pattern;
}

TEST(FormatTable, TypeCodeByWholeExtensionOfAnyLengthAndCase) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"a.jpg", 4},      {"a.JPEG", 4},       {"a.jpe", 4},   {"b.tiff", 12}, {"b.TIF", 12},
      {"c.cr3", 10},     {"c.NEF", 10},       {"c.Rw2", 10},  {"c.3fr", 10},  {"d.heic", 13},
      {"d.avif", 13},    {"e.webp", 14},      {"f.jxl", 15},  {"x.jp2", 5},   {"/a.b/photo.jpeg", 4},
      {"a.jpegx", 0},    {"a.jp", 0},         {"a.pe", 0},    {"jpeg", 0},    {"a.", 0},
      {"a.tiff.bak", 0}, {"dir.jpg/file", 0}, {"a.heics", 0}, {"", 0},        {"a.ARW", 10},
  };
  for (const auto& [name, code] : cases) EXPECT_EQ(TypeCodeForFileName(name), code) << name;
}

TEST(FormatTable, TypedExtensionIsMatchedWholeForItsBoxOnly) {
  auto jpgAndPng = Boxes({3, 6});
  const std::vector<FilePattern> expected = {
      {"*.JPG", 4}, {"*.JPEG", 4}, {"*.JPE", 4}, {"IMG*.jpeg", 4}, {"*.PNG", 8}};
  EXPECT_EQ(BuildPatternList("*, IMG*.jpeg", jpgAndPng), expected);
  // An extension whose box takes no part is extended like any other name pattern.
  jpgAndPng[3] = false;
  EXPECT_EQ(BuildPatternList("*.jpg", jpgAndPng), (std::vector<FilePattern>{{"*.jpg.PNG", 8}}));
  // A typed extension of today's formats, and one of the raw row.
  EXPECT_EQ(BuildPatternList("x*.HEIC", Boxes({0, 11, 12})), (std::vector<FilePattern>{{"x*.HEIC", 13}}));
  EXPECT_EQ(BuildPatternList(" *.cr3 ", Boxes({0, 11, 12})), (std::vector<FilePattern>{{"*.cr3", 10}}));
}

}  // namespace
}  // namespace kelmarin
