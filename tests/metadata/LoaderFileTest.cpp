// LoadDefinitions over a path: the open errors and files as they lie on disk.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "RecordingReporter.h"
#include "metadata/Definitions.h"

namespace kelmarin {
namespace {

namespace fs = std::filesystem;

const std::string kOpenText = "Fehler beim Öffnen der Metadaten-Definitionsdatei";

class LoaderFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder =
        fs::path(::testing::TempDir()) /
        ("kelmarin-metadata-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(folder / "metadata.def", fs::perms::owner_all, ignored);
    fs::remove_all(folder, ignored);
  }

  fs::path Write(const std::string& bytes) {
    const fs::path file = folder / "metadata.def";
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }

  void ExpectOpenError(const fs::path& file, int code) {
    RecordingReporter reporter;
    EXPECT_EQ(LoadDefinitions(file, reporter), nullptr);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].caption,
              "Metadaten-Definition laden (Fehler " + std::to_string(code) + ")");
    EXPECT_EQ(reporter.messages[0].text, kOpenText);
    EXPECT_EQ(reporter.messages[0].icon, MessageIcon::Warning);
  }

  fs::path folder;
};

TEST_F(LoaderFileTest, MissingFileIsCode53) {
  ExpectOpenError(folder / "metadata.def", 53);
  ExpectOpenError(folder / "fehlt" / "metadata.def", 53);
  ExpectOpenError(fs::path(), 53);
}

TEST_F(LoaderFileTest, SomethingOtherThanAFileIsCode75) {
  ExpectOpenError(folder, 75);
  if (fs::exists("/dev/null")) ExpectOpenError("/dev/null", 75);  // a device is never opened
}

TEST_F(LoaderFileTest, UnreadableFileIsCode70) {
  const fs::path file = Write("#version 2\n");
  fs::permissions(file, fs::perms::none);
  if (std::ifstream(file).is_open()) GTEST_SKIP() << "running with rights that read any file";
  ExpectOpenError(file, 70);
}

TEST_F(LoaderFileTest, WindowsWrittenFileLoads) {
  const fs::path file = Write(
      "\xEF\xBB\xBF* geschrieben mit einem Windows-Editor\r\n#version 2\r\n#main\r\n"
      "+0x010F, 0, 0, Hersteller\r\n!1, eins\r\n\r\n#focalequiv X\r\n+XY 300, 1.6\r\n");
  RecordingReporter reporter;
  const auto defs = LoadDefinitions(file, reporter);
  ASSERT_NE(defs, nullptr);
  EXPECT_TRUE(reporter.messages.empty());
  EXPECT_EQ(defs->TagName(0, kSectionMain, 271, 0), "Hersteller");
  EXPECT_EQ(defs->FindTag(0, kSectionMain, 271, 0)->inqnice(1).bezeichnung, "eins");
  EXPECT_DOUBLE_EQ(defs->FocalEquivFactor("", "XY300"), 1.6);
}

TEST(BundledDefinitions, LoadWithoutMessages) {
  if (!fs::exists(KELMARIN_DEF_FILE)) GTEST_SKIP() << "no bundled definition file";
  RecordingReporter reporter;
  const auto defs = LoadDefinitions(KELMARIN_DEF_FILE, reporter);
  EXPECT_NE(defs, nullptr);
  for (const Message& message : reporter.messages) ADD_FAILURE() << message.caption << ": " << message.text;
}

}  // namespace
}  // namespace kelmarin
