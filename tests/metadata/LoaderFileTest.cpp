// LoadDefinitions over a path: the open errors and files as they lie on disk.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
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

namespace kelmarin {
namespace {

// A file is read in large blocks, a stream line by line: both give the same tables and the same
// message, also for lines longer than a block (the stream's blocks are 1 MiB) and for UTF-8 and
// Windows-1252 lines side by side.
TEST_F(LoaderFileTest, FileAndStreamReadAlike) {
  const std::string longComment = "*" + std::string(3 << 20, 'x') + "\n";
  const std::string good = "\xEF\xBB\xBF#version 2\r\n" + longComment +
                           "#main\n+1,0,0,Gr\xC3\xB6\xC3\x9F"
                           "e\n!1,M\xFCller\r\n" +
                           longComment + "+2,0,0,  " + std::string(2 << 20, 'L') +
                           "  \n+3,0,0,ohne Zeilenende";
  const std::string bad = good + "\n+4,0\n+5,0,0,E\n";
  for (const std::string& text : {good, bad}) {
    RecordingReporter fromFile, fromStream;
    const auto file = LoadDefinitions(Write(text), fromFile);
    std::istringstream in(text);
    const auto stream = LoadDefinitions(in, fromStream);
    ASSERT_EQ(file == nullptr, stream == nullptr);
    ASSERT_EQ(fromFile.messages.size(), fromStream.messages.size());
    if (file == nullptr) {
      ASSERT_EQ(fromFile.messages.size(), 1u);
      EXPECT_EQ(fromFile.messages[0].caption, fromStream.messages[0].caption);
      EXPECT_EQ(fromFile.messages[0].text, fromStream.messages[0].text);
      EXPECT_NE(fromFile.messages[0].text.find("Fehler in Zeile 9\n+4,0"), std::string::npos);
      continue;
    }
    EXPECT_TRUE(fromFile.messages.empty());
    for (const auto* defs : {file.get(), stream.get()}) {
      EXPECT_EQ(defs->TagName(0, kSectionMain, 1, 0), "Größe");
      EXPECT_EQ(defs->FindTag(0, kSectionMain, 1, 0)->inqnice(1).bezeichnung, "Müller");
      EXPECT_EQ(defs->TagName(0, kSectionMain, 2, 0), std::string(2 << 20, 'L'));
      EXPECT_EQ(defs->TagName(0, kSectionMain, 3, 0), "ohne Zeilenende");
    }
  }
}

}  // namespace
}  // namespace kelmarin
