// Extensions of any length: the type code of a name, the patterns built from typed extensions, and
// the split of listed names at their last dot.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "browser/core/FolderListing.h"
#include "browser/core/FormatTable.h"
#include "browser/core/PatternList.h"

namespace kelmarin {
namespace {

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

std::array<bool, kFormatBoxCount> AllBoxes() {
  std::array<bool, kFormatBoxCount> active{};
  active.fill(true);
  return active;
}

TEST(FormatTable, TypedExtensionIsMatchedWholeForItsBoxOnly) {
  auto jpgAndPng = std::array<bool, kFormatBoxCount>{};
  jpgAndPng[3] = jpgAndPng[6] = true;
  const std::vector<FilePattern> expected = {
      {"*.JPG", 4}, {"*.JPEG", 4}, {"*.JPE", 4}, {"IMG*.jpeg", 4}, {"*.PNG", 8}};
  EXPECT_EQ(BuildPatternList("*, IMG*.jpeg", jpgAndPng), expected);
  // An extension whose box takes no part is extended like any other name pattern.
  jpgAndPng[3] = false;
  EXPECT_EQ(BuildPatternList("*.jpg", jpgAndPng), (std::vector<FilePattern>{{"*.jpg.PNG", 8}}));
  // A typed extension of today's formats, and one of the raw row.
  EXPECT_EQ(BuildPatternList("x*.HEIC", AllBoxes()), (std::vector<FilePattern>{{"x*.HEIC", 13}}));
  EXPECT_EQ(BuildPatternList(" *.cr3 ", AllBoxes()), (std::vector<FilePattern>{{"*.cr3", 10}}));
}

TEST(FormatTable, ListedNamesSplitAtTheLastDot) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("kelmarin-formats-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (const char* name : {"photo.jpeg", "scan.TIFF", "a.b.jpe", "raw.CR3", "noext", "dot.", "x.jpg.txt"})
    std::ofstream(folder / name) << "x";
  std::vector<std::string> listed;
  for (const FileEntry& entry : ListImageFiles(folder.string(), BuildPatternList("*", AllBoxes())))
    listed.push_back(entry.name + "|" + entry.extension + "|" + std::to_string(entry.typeCode));
  fs::remove_all(folder);
  EXPECT_EQ(listed, (std::vector<std::string>{"a.b|jpe|4", "photo|jpeg|4", "raw|CR3|10", "scan|TIFF|12"}));
}

}  // namespace
}  // namespace kelmarin
