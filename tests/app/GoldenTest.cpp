// The text listing of each bundled JPEG sample, in a German locale, against the listing checked in
// under golden/. Set KELMARIN_UPDATE_GOLDEN=1 to write the listings anew (then review the diff).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestFiles.h"

namespace kelmarin {
namespace {

namespace fs = std::filesystem;

using test::ReadText;

std::vector<fs::path> Samples(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().extension() == ".jpg") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(GoldenListings, BundledJpegSamples) {
  const fs::path samples = KELMARIN_SAMPLES_DIR;
  const fs::path golden = fs::path(KELMARIN_TEST_SOURCE_DIR) / "golden";
  ASSERT_TRUE(fs::is_directory(samples)) << samples;
  const bool update = std::getenv("KELMARIN_UPDATE_GOLDEN") != nullptr;
  const fs::path out = fs::temp_directory_path() / ("kelmarin-golden-" + std::to_string(::getpid()) + ".txt");
  const auto files = Samples(samples);
  ASSERT_FALSE(files.empty());
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    // Run inside the samples folder, so the "# " line holds the bare file name.
    const std::string command = "cd '" + samples.string() + "' && LC_ALL=de_DE.UTF-8 '" + KELMARIN_EXIF +
                                "' '" + file.filename().string() + "' >'" + out.string() + "'";
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0);
    const std::string listing = ReadText(out);
    const fs::path expected = golden / (file.filename().string() + ".txt");
    if (update) {
      fs::create_directories(golden);
      std::ofstream(expected, std::ios::binary) << listing;
      continue;
    }
    ASSERT_TRUE(fs::exists(expected)) << "no golden listing " << expected;
    EXPECT_EQ(listing, ReadText(expected));
  }
  fs::remove(out);
  // Every golden listing still has its sample.
  if (!fs::is_directory(golden)) return;
  for (const auto& entry : fs::directory_iterator(golden)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(fs::exists(samples / name.substr(0, name.size() - 4))) << "stale golden listing " << name;
  }
}

}  // namespace
}  // namespace kelmarin
