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

class LoaderFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(folder / "metadata.def", fs::perms::owner_all, ignored);
    fs::remove_all(folder, ignored);
  }
  fs::path Write(const std::string& bytes) {
    std::ofstream(folder / "metadata.def", std::ios::binary) << bytes;
    return folder / "metadata.def";
  }
  static void ExpectOpenError(const fs::path& file, int code) {
    RecordingReporter reporter;
    EXPECT_EQ(LoadDefinitions(file, reporter), nullptr);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].caption,
              "Metadaten-Definition laden (Fehler " + std::to_string(code) + ")");
    EXPECT_EQ(reporter.messages[0].text, "Fehler beim Öffnen der Metadaten-Definitionsdatei");
    EXPECT_EQ(reporter.messages[0].icon, MessageIcon::Warning);
  }

  fs::path folder = fs::path(::testing::TempDir()) / "kelmarin-metadata-file";
};

TEST_F(LoaderFileTest, OpenErrors) {
  ExpectOpenError(folder / "fehlt" / "metadata.def", 53);
  ExpectOpenError(fs::path(), 53);
  ExpectOpenError(folder, 75);
  ExpectOpenError("/dev/null", 75);  // a device is never opened
  const fs::path file = Write("#version 2\n");
  fs::permissions(file, fs::perms::none);
  if (!std::ifstream(file).is_open()) ExpectOpenError(file, 70);  // root reads any file
}

// A file is read in large blocks, a stream line by line: both give the same tables and the same
// message, also for lines longer than a block (the stream's blocks are 1 MiB), for UTF-8 and
// Windows-1252 lines side by side and for a file written on Windows (BOM, CR LF).
TEST_F(LoaderFileTest, FileAndStreamReadAlike) {
  const std::string longComment = "*" + std::string(3 << 20, 'x') + "\n";
  const std::string good = "\xEF\xBB\xBF#version 2\r\n" + longComment +
                           "#main\n+1,0,0,Gr\xC3\xB6\xC3\x9F"
                           "e\n!1,M\xFCller\r\n" +
                           longComment + "+2,0,0,  " + std::string(2 << 20, 'L') +
                           "  \n#focalequiv X\r\n+XY 300, 1.6\r\n" + "#main\n+3,0,0,ohne Zeilenende";
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
      EXPECT_NE(fromFile.messages[0].text.find("Fehler in Zeile 12\n+4,0"), std::string::npos);
      continue;
    }
    EXPECT_TRUE(fromFile.messages.empty());
    for (const auto* defs : {file.get(), stream.get()}) {
      EXPECT_EQ(defs->TagName(0, kSectionMain, 1, 0), "Größe");
      EXPECT_EQ(defs->FindTag(0, kSectionMain, 1, 0)->inqnice(1).bezeichnung, "Müller");
      EXPECT_EQ(defs->TagName(0, kSectionMain, 2, 0), std::string(2 << 20, 'L'));
      EXPECT_EQ(defs->TagName(0, kSectionMain, 3, 0), "ohne Zeilenende");
      EXPECT_DOUBLE_EQ(defs->FocalEquivFactor("", "XY300"), 1.6);
    }
  }
}

}  // namespace
}  // namespace kelmarin
