// The shipped definition file: it loads without a message, every table is filled, the labels and
// value names are usable, and the tags with rules of their own carry the display codes meant for them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <utility>
#include <sstream>
#include <string>
#include <vector>

#include "../metadata/RecordingReporter.h"
#include "metadata/Definitions.h"

namespace kelmarin {
namespace {

// The shipped file, loaded once, with the messages of its loading.
RecordingReporter loading;
const std::unique_ptr<Definitions> loaded = LoadDefinitions(KELMARIN_DEF_FILE, loading);

class DefinitionFile : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(loaded, nullptr); }
  static const Definitions& Defs() { return *loaded; }
};

// The value name the formatter would show for a single number, or "" when none matches.
std::string ValueName(std::int32_t maker, std::int32_t section, std::int32_t tag, std::int32_t value) {
  const ExifTag* definition = loaded->FindTag(maker, section, tag, 0);
  for (int i = 1; definition != nullptr && i <= definition->inqnicecount(); ++i) {
    const ExifTagNice& nice = definition->inqnice(i);
    if (nice.liste.empty() && nice.id == value) return nice.bezeichnung;
  }
  return {};
}

TEST_F(DefinitionFile, LoadsWithoutAnyMessageAndFillsEveryTable) {
  for (const Message& message : loading.messages) ADD_FAILURE() << message.caption << ": " << message.text;
  EXPECT_GT(Defs().mainTags.size(), 200u);
  EXPECT_GT(Defs().thumbnailTags.size(), 20u);
  EXPECT_GE(Defs().gpsTags.size(), 32u);
  EXPECT_GT(Defs().iptcTags.size(), 40u);
  EXPECT_GT(Defs().focalEquivTable.size(), 100u);
  // Every makernote layout the file format knows has its section.
  for (std::int32_t maker : {2, 3, 4, 5, 6, 8, 14, 15, 16, 17, 18, 19, 21, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40}) {
    const auto found = Defs().makernoteTable.find(maker);
    ASSERT_NE(found, Defs().makernoteTable.end()) << "maker " << maker;
    EXPECT_EQ(found->second.cameraid, maker);
    EXPECT_FALSE(found->second.exif_tags.empty()) << "maker " << maker;
  }
  for (std::int32_t gpsTag = 0; gpsTag <= 31; ++gpsTag) {
    EXPECT_FALSE(Defs().TagName(0, kSectionGps, gpsTag, 0).empty()) << "GPS tag " << gpsTag;
  }
}

// Every label, value name and IPTC name is a real text; a value given twice in one tag would make
// its second text unreachable, and only the display codes the formatter knows are used.
TEST_F(DefinitionFile, LabelsValueNamesAndCodesAreUsable) {
  // The formatter's codes: 0 to 5, 10 to 55.
  const auto known = [](std::int32_t code) { return (code >= 0 && code <= 5) || (code >= 10 && code <= 55); };
  auto checkTable = [&](const TagTable& table, const std::string& where) {
    for (const auto& [key, definition] : table) {
      const std::string at = where + " tag " + std::to_string(definition.tag);
      // A single value of a list belongs to a definition of the whole list.
      if (definition.position != 0) {
        EXPECT_TRUE(table.contains(TagKey(definition.tag, 0))) << at;
      }
      EXPECT_FALSE(definition.bezeichnung.empty()) << at;
      EXPECT_NE(definition.bezeichnung.front(), ' ') << at;
      EXPECT_NE(definition.bezeichnung.back(), ' ') << at;
      EXPECT_EQ(definition.bezeichnung.find("???"), std::string::npos) << at;
      EXPECT_TRUE(known(definition.fmt)) << at << " code " << definition.fmt;
      std::set<std::pair<std::int64_t, std::string>> values;  // a number or a whole list's numbers
      for (int i = 1; i <= definition.inqnicecount(); ++i) {
        const ExifTagNice& nice = definition.inqnice(i);
        EXPECT_TRUE(values.insert({nice.id, nice.liste}).second)
            << at << " value " << nice.id << " " << nice.liste;
        EXPECT_FALSE(nice.bezeichnung.empty()) << at << " value " << nice.id;
      }
    }
  };
  checkTable(Defs().mainTags, "main");
  checkTable(Defs().thumbnailTags, "thumbnail");
  checkTable(Defs().gpsTags, "gps");
  for (const auto& [magic, table] : Defs().rawMainTags) checkTable(table, "raw " + std::to_string(magic));
  for (const auto& [maker, makernote] : Defs().makernoteTable) {
    checkTable(makernote.exif_tags, "makernote " + std::to_string(maker));
    for (const auto& [directory, table] : makernote.directories) {
      checkTable(table, "makernote " + std::to_string(maker) + " directory " + std::to_string(directory));
    }
  }
  for (const auto& [number, dataset] : Defs().iptcTags) {
    EXPECT_FALSE(dataset.bezeichnung.empty()) << "IPTC " << number;
  }
}

// A label is the text after the last comma of its line, so a comma inside it would leave only its
// last piece ("Tag)"): every tag and IPTC line has exactly its fields (a computing code up to two
// more, its scale and offset) and balanced brackets.
TEST_F(DefinitionFile, EveryLabelIsWhole) {
  std::ifstream file(KELMARIN_DEF_FILE);
  ASSERT_TRUE(file.is_open());
  std::string line, section;
  int number = 0;
  while (std::getline(file, line)) {
    ++number;
    if (line[0] == '#') section = line.substr(1, line.find(' ') - 1);
    if (line[0] != '+' || section == "version" || section == "focalequiv") continue;
    int depth = 0;
    for (char c : line) depth += c == '(' ? 1 : c == ')' ? (depth > 0 ? -1 : 100) : 0;
    const auto commas = std::count(line.begin(), line.end(), ',');
    std::istringstream fields(line);
    std::string code;
    for (int i = 0; i < 3; ++i) std::getline(fields, code, ',');
    const bool computing = ReadsScale(std::atoi(code.c_str()));
    if (section == "iptc" || !computing) {
      EXPECT_EQ(commas, section == "iptc" ? 1 : 3) << number << ": " << line;
    } else {
      EXPECT_TRUE(commas == 4 || commas == 5) << number << ": " << line;
    }
    EXPECT_EQ(depth, 0) << number << ": " << line;
  }
}

TEST_F(DefinitionFile, EveryFlashValueHasATextOfItsOwn) {
  // Every flash value that EXIF 2.32 lists (Annex, Flash) has a text of its own.
  std::set<std::string> flashTexts;
  for (std::int32_t value : {0x00, 0x01, 0x05, 0x07, 0x08, 0x09, 0x0D, 0x0F, 0x10, 0x18, 0x19, 0x1D,
                             0x1F, 0x20, 0x41, 0x45, 0x47, 0x49, 0x4D, 0x4F, 0x59, 0x5D, 0x5F}) {
    const std::string text = ValueName(0, kSectionMain, 0x9209, value);
    EXPECT_FALSE(text.empty()) << "flash " << value;
    EXPECT_TRUE(flashTexts.insert(text).second) << "flash " << value << " repeats " << text;
  }
}

// Value names belong to their table; the thumbnail repeats those of the main image and must not
// drift from them.
TEST_F(DefinitionFile, ThumbnailRepeatsTheMainValueNames) {
  for (std::int32_t tag : {0x00FE, 0x00FF, 0x0103, 0x0106, 0x0112, 0x011C, 0x0128, 0x0213}) {
    const ExifTag* main = Defs().FindTag(0, kSectionMain, tag, 0);
    const ExifTag* thumbnail = Defs().FindTag(0, kSectionThumbnail, tag, 0);
    ASSERT_TRUE(main != nullptr && thumbnail != nullptr) << "tag " << tag;
    EXPECT_EQ(main->fmt, thumbnail->fmt) << "tag " << tag;
    ASSERT_EQ(main->inqnicecount(), thumbnail->inqnicecount()) << "tag " << tag;
    EXPECT_GT(main->inqnicecount(), 0) << "tag " << tag;
    for (int i = 1; i <= main->inqnicecount(); ++i) {
      EXPECT_EQ(main->inqnice(i).id, thumbnail->inqnice(i).id) << "tag " << tag;
      EXPECT_EQ(main->inqnice(i).bezeichnung, thumbnail->inqnice(i).bezeichnung) << "tag " << tag;
    }
  }
}

}  // namespace
}  // namespace kelmarin
