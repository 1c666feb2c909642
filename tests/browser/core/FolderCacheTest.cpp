// The folder's record cache: what it keeps, what it refuses to trust, and its bound; reading a
// record from an image file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "../../metadata/RecordingReporter.h"
#include "FileWriters.h"
#include "browser/core/FolderCacheFile.h"
#include "browser/core/FolderRecords.h"
#include "metadata/CacheFolder.h"
#include "metadata/Definitions.h"

// Records are written with designated initializers naming only the fields they need.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace kelmarin {
namespace {

namespace fs = std::filesystem;

class FolderCache : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("kelmarin-folder-cache-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root);
  }
  void TearDown() override { fs::remove_all(root); }

  fs::path File(const std::string& folder) const { return root / "ordner" / FolderCacheFileName(folder); }
  fs::path root;
};

FolderRecord Full() {
  return {.filled = true, .takenLocal = 1714000000, .offsetMinutes = -330, .camera = "Canon EOS R5",
          .lens = "RF24-70mm F2.8 L IS USM", .focalLength = 35, .fNumber = 2.8f, .exposureTime = 0.004f,
          .iso = 800, .rating = -1, .keywords = {"Müller", "See"}, .width = 8192, .height = 5464};
}

bool Same(const FolderRecord& a, const FolderRecord& b) {
  return a.filled == b.filled && a.takenLocal == b.takenLocal && a.offsetMinutes == b.offsetMinutes &&
         a.camera == b.camera && a.lens == b.lens && a.focalLength == b.focalLength &&
         a.fNumber == b.fNumber && a.exposureTime == b.exposureTime && a.iso == b.iso &&
         a.rating == b.rating && a.keywords == b.keywords && a.width == b.width && a.height == b.height;
}

TEST_F(FolderCache, KeepsRecordsPerPathSizeAndTime) {
  FolderRecordCache cache(root);
  cache.Load("/bilder");
  cache.Store("/bilder/a.jpg", 1000, 77, Full());
  const FolderRecord other{.filled = true};
  cache.Store("/bilder/b.jpg", 5, 6, other);
  cache.Store("/anderswo/c.jpg", 5, 6, Full());  // not of this folder: not kept
  ASSERT_TRUE(cache.Save());
  EXPECT_TRUE(fs::exists(File("/bilder")));

  FolderRecordCache later(root);
  later.Load("/bilder");
  const std::optional<FolderRecord> a = later.Find("/bilder/a.jpg", 1000, 77);
  ASSERT_TRUE(a);
  EXPECT_TRUE(Same(*a, Full()));
  ASSERT_TRUE(later.Find("/bilder/b.jpg", 5, 6));
  EXPECT_TRUE(Same(*later.Find("/bilder/b.jpg", 5, 6), other));
  EXPECT_FALSE(later.Find("/bilder/a.jpg", 1001, 77));  // size changed
  EXPECT_FALSE(later.Find("/bilder/a.jpg", 1000, 78));  // written again
  EXPECT_FALSE(later.Find("/anderswo/c.jpg", 5, 6));
  later.Load("/anderswo");
  EXPECT_FALSE(later.Find("/bilder/a.jpg", 1000, 77));
  // Nothing left behind by the atomic write.
  for (const auto& entry : fs::directory_iterator(root / "ordner"))
    EXPECT_EQ(entry.path().extension(), ".kfr");
}

TEST_F(FolderCache, RefusesDamagedForeignAndOldFiles) {
  FolderCacheContents contents;
  contents.folder = "/bilder";
  contents.records.push_back({"/bilder/a.jpg", 1000, 77, Full()});
  const std::vector<std::uint8_t> good = FolderCacheBytes(contents);
  ASSERT_TRUE(ParseFolderCache(good));
  FolderCacheContents foreign = contents;
  foreign.folder = "/fremd";

  const auto changed = [&](std::size_t at, std::uint8_t value) {
    std::vector<std::uint8_t> bytes = good;
    bytes[at] = value;
    return bytes;
  };
  std::vector<std::uint8_t> longer = good;
  longer.push_back(0);
  const std::string text = "kein Cache";
  const std::pair<const char*, std::vector<std::uint8_t>> cases[] = {
      {"truncated", std::vector<std::uint8_t>(good.begin(), good.end() - 1)},
      {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 32)},
      {"empty", {}},
      {"foreign", std::vector<std::uint8_t>(text.begin(), text.end())},
      {"old version", changed(8, 0)},
      {"more records", changed(12, 2)},
      {"payload damaged", changed(good.size() - 5, static_cast<std::uint8_t>(good[good.size() - 5] ^ 1))},
      {"checksum damaged", changed(24, static_cast<std::uint8_t>(good[24] ^ 1))},
      {"bytes left over", longer},
      {"another folder's", FolderCacheBytes(foreign)},
  };
  for (const auto& [what, bytes] : cases) {
    if (std::string_view(what) != "another folder's") {
      EXPECT_FALSE(ParseFolderCache(bytes)) << what;
    }
    fs::create_directories(root / "ordner");
    {
      std::ofstream out(File("/bilder"), std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    FolderRecordCache cache(root);
    cache.Load("/bilder");
    EXPECT_FALSE(cache.Find("/bilder/a.jpg", 1000, 77)) << what;
    EXPECT_FALSE(fs::exists(File("/bilder"))) << what;  // set aside at once
    cache.Store("/bilder/a.jpg", 1000, 77, Full());
    ASSERT_TRUE(cache.Save()) << what;
    FolderRecordCache again(root);
    again.Load("/bilder");
    EXPECT_TRUE(again.Find("/bilder/a.jpg", 1000, 77)) << what;
  }
}

TEST_F(FolderCache, OldestFolderFilesGoFirstBeyondTheBound) {
  FolderRecord record = Full();
  record.keywords.assign(40, std::string(100, 'k'));  // about 4 kB per folder file
  const auto save = [&](FolderRecordCache& cache, const std::string& folder) {
    cache.Load(folder);
    cache.Store(folder + "/a.jpg", 1, 2, record);
    ASSERT_TRUE(cache.Save()) << folder;
  };
  FolderRecordCache cache(root, 10000);
  save(cache, "/eins");
  save(cache, "/zwei");
  fs::last_write_time(File("/eins"), fs::file_time_type::clock::now() - std::chrono::hours(2));
  fs::last_write_time(File("/zwei"), fs::file_time_type::clock::now() - std::chrono::hours(1));
  save(cache, "/drei");
  EXPECT_FALSE(fs::exists(File("/eins")));
  EXPECT_TRUE(fs::exists(File("/zwei")));
  EXPECT_TRUE(fs::exists(File("/drei")));

  // A folder whose file alone exceeds the bound is not written.
  FolderRecordCache tiny(root, 1000);
  tiny.Load("/vier");
  tiny.Store("/vier/a.jpg", 1, 2, record);
  EXPECT_FALSE(tiny.Save());
  EXPECT_FALSE(fs::exists(File("/vier")));
}

TEST_F(FolderCache, CacheFolderFollowsTheEnvironment) {
  const char* oldCache = std::getenv("XDG_CACHE_HOME");
  const std::string keep = oldCache ? oldCache : "";
  ::setenv("XDG_CACHE_HOME", "/var/tmp/zwischen", 1);
  EXPECT_EQ(CacheFolder(), fs::path("/var/tmp/zwischen/kelmarin"));
  ::setenv("XDG_CACHE_HOME", "relativ", 1);
  const char* home = std::getenv("HOME");
  EXPECT_EQ(CacheFolder(),
            home != nullptr && *home == '/' ? fs::path(home) / ".cache" / "kelmarin" : fs::path());
  if (oldCache) {
    ::setenv("XDG_CACHE_HOME", keep.c_str(), 1);
  } else {
    ::unsetenv("XDG_CACHE_HOME");
  }
}

TEST_F(FolderCache, ReadsRecordsFromImageFiles) {
  RecordingReporter reporter;
  const std::unique_ptr<Definitions> definitions = LoadDefinitions(KELMARIN_DEF_FILE, reporter);
  ASSERT_NE(definitions, nullptr);
  ASSERT_TRUE(samples::WriteJpeg((root / "bild.jpg").string(), samples::RgbImage(40, 30), 80));
  ASSERT_TRUE(samples::WriteBytes((root / "kaputt.jpg").string(), {0xFF, 0xD8, 0x00, 0x01}));
  const FolderRecord picture = ReadFolderRecord(root / "bild.jpg", *definitions);
  EXPECT_TRUE(picture.filled);
  EXPECT_EQ(picture.width, 40);
  EXPECT_EQ(picture.height, 30);
  FolderRecordReader reader(*definitions);
  for (int pass = 0; pass < 2; ++pass) {  // the texts the reader keeps change nothing
    const FolderRecord again = reader.Read(root / "bild.jpg");
    EXPECT_EQ(again.width, 40);
    EXPECT_EQ(again.height, 30);
  }
  for (const char* name : {"kaputt.jpg", "fehlt.jpg"}) {
    for (const FolderRecord& broken :
         {ReadFolderRecord(root / name, *definitions), reader.Read(root / name)}) {
      EXPECT_TRUE(broken.filled) << name;
      EXPECT_EQ(broken.width, 0) << name;
      EXPECT_FALSE(broken.takenLocal) << name;
    }
  }
}

}  // namespace
}  // namespace kelmarin
