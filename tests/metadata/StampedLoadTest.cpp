// LoadDefinitionsWithStamp: a quick load (makernote sections read on first use) gives the tables of
// a full load, and only contents that a full load accepted are loaded quickly.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "RecordingReporter.h"
#include "metadata/Definitions.h"

namespace kelmarin {
namespace {

namespace fs = std::filesystem;

const fs::path kFolder = fs::temp_directory_path() / "kelmarin-stamped-load-test";

std::unique_ptr<Definitions> Load(const fs::path& file, RecordingReporter& reporter) {
  return LoadDefinitionsWithStamp(file, kFolder / "stamps", reporter);
}

// Every definition of `full`'s table is found in `quick` with the same texts, code and positions.
void ExpectSameTable(const TagTable& table, const Definitions& quick, std::int32_t maker,
                     std::int32_t section, std::int32_t directory) {
  for (const auto& [key, want] : table) {
    const ExifTag* got = quick.FindTag(maker, section, directory, want.tag, want.position);
    ASSERT_NE(got, nullptr) << maker << "/" << directory << "/" << want.tag << "." << want.position;
    EXPECT_EQ(got->bezeichnung, want.bezeichnung);
    EXPECT_EQ(got->fmt, want.fmt);
    ASSERT_EQ(got->inqnicecount(), want.inqnicecount()) << want.bezeichnung;
    for (int i = 1; i <= want.inqnicecount(); ++i)
      EXPECT_EQ(got->inqnice(i).bezeichnung, want.inqnice(i).bezeichnung);
    ASSERT_EQ(got->positions.size(), want.positions.size()) << want.bezeichnung;
    for (std::size_t i = 0; i < want.positions.size(); ++i)
      EXPECT_EQ(got->positions[i]->position, want.positions[i]->position);
  }
}

void ExpectSameDefinitions(const Definitions& full, const Definitions& quick) {
  ExpectSameTable(full.mainTags, quick, 0, kSectionMain, 0);
  ExpectSameTable(full.gpsTags, quick, 0, kSectionGps, 0);
  ExpectSameTable(full.thumbnailTags, quick, 0, kSectionThumbnail, 0);
  for (const auto& [maker, note] : full.makernoteTable) {
    ExpectSameTable(note.exif_tags, quick, maker, kSectionMakernote, 0);
    for (const auto& [directory, table] : note.directories)
      ExpectSameTable(table, quick, maker, kSectionMakernote, directory);
  }
  EXPECT_EQ(quick.makernoteTable.size(), full.makernoteTable.size());
  EXPECT_EQ(quick.iptcTags.size(), full.iptcTags.size());
  EXPECT_EQ(quick.focalEquivTable.size(), full.focalEquivTable.size());
}

class StampedLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(kFolder);
    fs::create_directories(kFolder);
  }
  void TearDown() override { fs::remove_all(kFolder); }
  static fs::path Write(const std::string& text) {
    std::ofstream(kFolder / "metadata.def", std::ios::binary) << text;
    return kFolder / "metadata.def";
  }
};

TEST_F(StampedLoad, QuickLoadOfTheShippedFileGivesTheFullTables) {
  RecordingReporter reporter;
  const std::unique_ptr<Definitions> full = LoadDefinitions(fs::path(KELMARIN_DEF_FILE), reporter);
  ASSERT_NE(Load(KELMARIN_DEF_FILE, reporter), nullptr);  // leaves the stamp
  const std::unique_ptr<Definitions> quick = Load(KELMARIN_DEF_FILE, reporter);
  ASSERT_NE(full, nullptr);
  ASSERT_NE(quick, nullptr);
  EXPECT_TRUE(reporter.messages.empty());
  ASSERT_NE(quick->deferred, nullptr);
  // Two threads ask for the same layouts first.
  std::thread other([&] { quick->FindTag(4, kSectionMakernote, 1, 0); });
  quick->FindTag(4, kSectionMakernote, 1, 0);
  other.join();
  ExpectSameDefinitions(*full, *quick);
}

TEST_F(StampedLoad, WhatOnlyAFullLoadReadsAndChangedContents) {
  // A value name right after a header belongs to the tag before it; Windows-1252 labels.
  const std::string texts[] = {
      "#version 2\n#main\n+1,0,0,A\n#makernote canon01\n+2,0,0,B\n!1,eins\n#makernote canon01 7\n"
      "+3,0,0,C\n#gps\n!2,zwei\n+4,0,0,D\n#makernote nikon01\n+5,0,0,E\n",
      "#version 2\n#gps\n+4,0,0,D\n#makernote nikon01\n* Nikon\n!3,drei\n+5,0,0,E\n",
      "#version 2\n#makernote nikon01\n+5,0,0,B\xe4r\n#focalequiv K\xe4non\n+X 1,1.5\n",
  };
  for (const std::string& text : texts) {
    RecordingReporter reporter;
    const std::unique_ptr<Definitions> full = LoadDefinitions(Write(text), reporter);
    ASSERT_NE(Load(Write(text), reporter), nullptr);
    const std::unique_ptr<Definitions> quick = Load(Write(text), reporter);
    ASSERT_NE(quick, nullptr);
    ExpectSameDefinitions(*full, *quick);
  }
  // The same length, an error in a makernote section: the stamp of the old contents does not count.
  std::string broken = texts[0];
  broken.replace(broken.find("+5,0,0,E"), 8, "+5,x,0,E");
  RecordingReporter reporter;
  EXPECT_EQ(Load(Write(broken), reporter), nullptr);
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_NE(reporter.messages[0].text.find("Fehler in Zeile 13"), std::string::npos);
}

}  // namespace
}  // namespace kelmarin
