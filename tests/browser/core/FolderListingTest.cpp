#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "browser/core/FolderListing.h"
#include "browser/core/PatternList.h"

namespace kelmarin {
namespace {

namespace fs = std::filesystem;

class FolderListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("kelmarin-listing-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  void Write(const std::string& name, std::size_t bytes) {
    std::ofstream(folder / name, std::ios::binary) << std::string(bytes, 'x');
  }
  std::vector<std::string> Names(const std::vector<FileEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name + "." + e.extension);
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path folder;
};

std::vector<FilePattern> Star(std::int32_t code = 4, const std::string& ext = "JPG") {
  return {{"*." + ext, code}};
}

TEST_F(FolderListingTest, ListsOnlyRegularFilesAndLinksToThem) {
  Write("photo.JPG", 10);
  Write("photo.jpg", 20);
  Write("photo.jpeg", 30);
  Write("notes.txt", 5);
  fs::create_directory(folder / "folder.jpg");
  ASSERT_EQ(::mkfifo((folder / "pipe.jpg").c_str(), 0600), 0);  // opening it would block
  fs::create_symlink(folder / "photo.jpg", folder / "link.jpg");
  fs::create_symlink(folder / "missing.jpg", folder / "dangling.jpg");
  fs::create_directory_symlink(folder / "folder.jpg", folder / "dirlink.jpg");

  const auto entries = ListImageFiles(folder.string(), Star());
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"link.jpg", "photo.JPG", "photo.jpg"}));
  for (const auto& e : entries) {
    EXPECT_EQ(e.typeCode, 4);
    EXPECT_EQ(e.width, 0);
    EXPECT_EQ(e.loadTime, 0);
    EXPECT_EQ(e.name == "photo" && e.extension == "JPG" ? 10 : 20, e.size) << e.name << "." << e.extension;
  }
}

TEST_F(FolderListingTest, TypeOrderSizeAndLocalTime) {
  for (const char* name : {"b2.png", "a1.png", "c3.png", "B.png", "10.png", "2.png", "Ä.png"}) Write(name, 1);
  const auto when = static_cast<std::time_t>(1103907909);  // 2004-12-24 17:05:09 UTC
  fs::last_write_time(folder / "a1.png",
                      fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(when)));
  std::ofstream(folder / "huge.png").close();
  fs::resize_file(folder / "huge.png", 5'000'000'123LL);  // sparse: no disk space used
  // The first matching pattern gives the type; sorted by name without regard to case.
  std::string listed;
  for (const auto& e : ListImageFiles(folder.string(), {{"a*.PNG", 8}, {"b*.PNG", 9}, {"*.PNG", 10}}))
    listed += e.name + ":" + std::to_string(e.typeCode) + ":" + std::to_string(e.size) + " ";
  EXPECT_EQ(listed, "10:10:1 2:10:1 a1:8:1 B:9:1 b2:9:1 c3:10:1 huge:10:5000000123 Ä:10:1 ");
  std::tm local{};
  ::localtime_r(&when, &local);
  const LocalDateTime expected{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                               local.tm_hour,        local.tm_min,     local.tm_sec};
  EXPECT_EQ(ListImageFiles(folder.string(), {{"a1.png", 8}})[0].modified, expected);
}

TEST_F(FolderListingTest, UnreadableFoldersListNothing) {
  Write("file.jpg", 1);
  EXPECT_TRUE(ListImageFiles((folder / "missing").string(), Star()).empty());
  EXPECT_TRUE(ListImageFiles((folder / "file.jpg").string(), Star()).empty());
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
  EXPECT_TRUE(ListImageFiles((folder / "pipe").string(), Star()).empty());
  EXPECT_TRUE(ListImageFiles(folder.string(), {}).empty());
  EXPECT_TRUE(ListSubfolders((folder / "missing").string()).empty());
  EXPECT_FALSE(HasSubfolders((folder / "pipe").string()));
  if (::geteuid() != 0) {  // root reads every folder
    fs::create_directory(folder / "locked");
    Write("locked/x.jpg", 1);
    fs::permissions(folder / "locked", fs::perms::none);
    EXPECT_TRUE(ListImageFiles((folder / "locked").string(), Star()).empty());
    fs::permissions(folder / "locked", fs::perms::owner_all);
  }
}

TEST_F(FolderListingTest, SubfoldersIncludeHiddenAndLinkedFolders) {
  EXPECT_FALSE(HasSubfolders(folder.string()));
  Write("plain.jpg", 1);
  EXPECT_FALSE(HasSubfolders(folder.string()));
  fs::create_directory(folder / "Dummy");
  fs::create_directory(folder / ".hidden");
  fs::create_directory_symlink(folder / "Dummy", folder / "linked");
  fs::create_symlink(folder / "plain.jpg", folder / "filelink");
  EXPECT_TRUE(HasSubfolders(folder.string()));
  auto names = ListSubfolders(folder.string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".hidden", "Dummy", "linked"}));
}

TEST_F(FolderListingTest, NamesSplitAtTheLastDotAndTypedByWholeExtension) {
  for (const char* name : {"photo.jpeg", "scan.TIFF", "a.b.jpe", "raw.CR3", "noext", "dot.", "x.jpg.txt"})
    Write(name, 1);
  std::array<bool, kFormatBoxCount> all{};
  all.fill(true);
  std::vector<std::string> listed;
  for (const FileEntry& entry : ListImageFiles(folder.string(), BuildPatternList("*", all)))
    listed.push_back(entry.name + "|" + entry.extension + "|" + std::to_string(entry.typeCode));
  EXPECT_EQ(listed, (std::vector<std::string>{"a.b|jpe|4", "photo|jpeg|4", "raw|CR3|10", "scan|TIFF|12"}));
}

}  // namespace
}  // namespace kelmarin
