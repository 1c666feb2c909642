// The text listing of each bundled JPEG sample, in a German locale, against the listing checked in
// under golden/. Set KELMARIN_UPDATE_GOLDEN=1 to write the listings anew (then review the diff).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "TestFiles.h"

namespace kelmarin {
namespace {

namespace fs = std::filesystem;

TEST(GoldenListings, BundledJpegSamples) {
  const fs::path samples = KELMARIN_SAMPLES_DIR;
  const fs::path golden = fs::path(KELMARIN_TEST_SOURCE_DIR) / "golden";
  ASSERT_TRUE(fs::is_directory(samples)) << samples;
  const bool update = std::getenv("KELMARIN_UPDATE_GOLDEN") != nullptr;
  int listed = 0;
  for (const auto& entry : fs::directory_iterator(samples)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".jpg") continue;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    ++listed;
    // Run inside the samples folder, so the "# " line holds the bare file name.
    const test::RunResult r = test::RunCommand(
        "cd '" + samples.string() + "' && LC_ALL=de_DE.UTF-8 '" + KELMARIN_EXIF + "' '" + name + "'",
        fs::temp_directory_path());
    ASSERT_EQ(r.status, 0) << r.err;
    const fs::path expected = golden / (name + ".txt");
    if (update) {
      std::ofstream(expected, std::ios::binary) << r.out;
    } else {
      EXPECT_EQ(r.out, test::ReadText(expected)) << "golden listing " << expected;
    }
  }
  EXPECT_GT(listed, 0);
  // Every golden listing still has its sample.
  for (const auto& entry : fs::directory_iterator(golden)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(fs::exists(samples / name.substr(0, name.size() - 4))) << "stale golden listing " << name;
  }
}

}  // namespace
}  // namespace kelmarin
