// The makernote rows of each bundled camera JPEG, listed in a German locale, against the listing
// checked in under golden/ (one file per sample; the other sections are the lister tests' part).
// Set KELMARIN_UPDATE_GOLDEN=1 to write the listings anew (then review the diff); an empty file
// named after a sample adds it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestFiles.h"

namespace kelmarin {
namespace {

namespace fs = std::filesystem;

// The "# " line and the makernote section of a listing.
std::string MakernoteRows(const std::string& listing) {
  std::istringstream in(listing);
  std::string rows;
  bool keep = false;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("\tSektion ")) keep = line == "\tSektion Makernote\t\t";
    if (line.starts_with("# ") || (keep && line != "\t\t\t")) rows += line + "\n";
  }
  return rows;
}

TEST(GoldenListings, MakernotesOfTheBundledCameraSamples) {
  const fs::path samples = KELMARIN_SAMPLES_DIR;
  const bool update = std::getenv("KELMARIN_UPDATE_GOLDEN") != nullptr;
  int listed = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(KELMARIN_TEST_SOURCE_DIR) / "golden")) {
    const std::string name = entry.path().stem().string();  // the sample's name
    SCOPED_TRACE(name);
    ASSERT_TRUE(fs::exists(samples / name)) << "stale golden listing";
    // Run inside the samples folder, so the "# " line holds the bare file name.
    const test::RunResult r = test::RunCommand(
        "cd '" + samples.string() + "' && LC_ALL=de_DE.UTF-8 '" + KELMARIN_EXIF + "' '" + name + "'",
        fs::temp_directory_path());
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string rows = MakernoteRows(r.out);
    EXPECT_NE(rows.find("\tSektion Makernote\t\t\n"), std::string::npos);
    ++listed;
    if (update) {
      std::ofstream(entry.path(), std::ios::binary) << rows;
    } else {
      EXPECT_EQ(rows, test::ReadText(entry.path()));
    }
  }
  EXPECT_GE(listed, 5);
}

}  // namespace
}  // namespace kelmarin
