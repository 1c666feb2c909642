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
fs::path Write(const std::string& text) {
  fs::create_directories(kFolder);
  std::ofstream(kFolder / "metadata.def", std::ios::binary) << text;
  return kFolder / "metadata.def";
}

std::string Describe(const ExifTag* tag) {
  if (tag == nullptr) return "-";
  std::string text = tag->bezeichnung + "|" + std::to_string(tag->fmt) + "|";
  for (int i = 1; i <= tag->inqnicecount(); ++i) text += tag->inqnice(i).bezeichnung + ";";
  for (const ExifTag* single : tag->positions) text += "," + std::to_string(single->position);
  return text;
}

// Every definition of the full load is found by the quick one with the same texts and positions.
void ExpectSame(const Definitions& full, const Definitions& quick) {
  const auto same = [&](const TagTable& table, std::int32_t maker, std::int32_t section,
                        std::int32_t directory) {
    for (const auto& [key, want] : table)
      EXPECT_EQ(Describe(quick.FindTag(maker, section, directory, want.tag, want.position)), Describe(&want));
  };
  same(full.mainTags, 0, kSectionMain, 0);
  same(full.thumbnailTags, 0, kSectionThumbnail, 0);
  same(full.gpsTags, 0, kSectionGps, 0);
  for (const auto& [maker, note] : full.makernoteTable) {
    same(note.exif_tags, maker, kSectionMakernote, 0);
    for (const auto& [directory, table] : note.directories) same(table, maker, kSectionMakernote, directory);
  }
  EXPECT_EQ(quick.makernoteTable.size(), full.makernoteTable.size());
  EXPECT_EQ(quick.focalEquivTable.size(), full.focalEquivTable.size());
}

TEST(StampedLoad, QuickLoadsGiveTheFullTables) {
  fs::remove_all(kFolder);
  // The shipped file, then what only a full load reads right: a value name right after a header
  // (it belongs to the tag before it), and Windows-1252 lines.
  const std::string texts[] = {
      "",
      "#version 2\n#main\n+1,0,0,A\n#makernote canon01\n+2,0,0,B\n!1,eins\n#makernote canon01 7\n"
      "+3,0,0,C\n#gps\n!2,zwei\n+4,0,0,D\n#makernote nikon01\n+5,0,0,E\n",
      "#version 2\n#gps\n+4,0,0,D\n#makernote nikon01\n* Nikon\n!3,drei\n+5,0,0,E\n",
      "#version 2\n#makernote nikon01\n+5,0,0,B\xe4r\n#focalequiv K\xe4non\n+X 1,1.5\n",
  };
  for (const std::string& text : texts) {
    RecordingReporter reporter;
    const fs::path file = text.empty() ? fs::path(KELMARIN_DEF_FILE) : Write(text);
    const std::unique_ptr<Definitions> full = LoadDefinitions(file, reporter);
    ASSERT_NE(Load(file, reporter), nullptr);  // leaves the stamp
    const std::unique_ptr<Definitions> quick = Load(file, reporter);
    ASSERT_NE(quick, nullptr);
    if (text.empty()) {
      ASSERT_NE(quick->deferred, nullptr);
      std::thread other([&] { quick->FindTag(4, kSectionMakernote, 1, 0); });  // first asked twice at once
      quick->FindTag(4, kSectionMakernote, 1, 0);
      other.join();
    }
    ExpectSame(*full, *quick);
  }
  // The same length, an error in a makernote section: the stamp of the old contents does not count.
  std::string broken = texts[1];
  broken.replace(broken.find("+5,0,0,E"), 8, "+5,x,0,E");
  RecordingReporter reporter;
  EXPECT_EQ(Load(Write(broken), reporter), nullptr);
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_NE(reporter.messages[0].text.find("Fehler in Zeile 13"), std::string::npos);
  fs::remove_all(kFolder);
}

}  // namespace
}  // namespace kelmarin
