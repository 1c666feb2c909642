// Makernote sub-directories and single values of lists in the metadata list, from a definition
// file read by the loader: the sub-directory sections, the position lines and the rows they give.
#include <gtest/gtest.h>

#include <sstream>

#include "PresentTestSupport.h"
#include "present/Listing.h"

namespace kelmarin {
namespace {

using test::German;
using test::Numbers;
using test::Q;

struct Recorder : Reporter {
  void Report(const Message& message) override { messages.push_back(message.caption + " " + message.text); }
  std::vector<std::string> messages;
};

constexpr const char* kFile =
    "#version 2\n"
    "#makernote canon01\n"
    "+0x0001,0,0,Einstellungen\n"
    "+0x0001,3,16,Qualität\n"
    "!-1,keine\n"
    "!3,fein\n"
    "+0x0001,2,17,Versatz\n"
    "+0x0001,5,11,Brennweite\n"
    "+0x0003,0,0,Wortliste\n"
    "+0x0003,2,18,Zweites Wort\n"
    "!258,zwei-acht-fünf\n"
    "+0x0003,3,18,Drittes Wort\n"
    "+0x0100,0,0,Verweis\n"
    "#makernote canon01 0x2010\n"
    "+0x0100,0,0,Kameratyp im Verzeichnis\n"
    "+0x0101,0,0,Liste im Verzeichnis\n"
    "+0x0101,1,0,Erster Wert\n"
    "!7,sieben\n";

std::unique_ptr<Definitions> Load(const std::string& text, Recorder& recorder) {
  std::istringstream in(text);
  return LoadDefinitions(in, recorder);
}

struct Row {
  const char* tag;
  const char* label;
  const char* information;
  const char* raw;
  std::int32_t directory;
  std::int32_t position;
};

TEST(ArrayRows, SubDirectoriesAndPositionsGiveTheirRows) {
  Recorder recorder;
  const auto defs = Load(kFile, recorder);
  ASSERT_NE(defs, nullptr) << recorder.messages.front();
  ImageMetadata image;
  image.camera_id = 4;
  // The list reaches positions 2 and 3, not 5; a value beyond 16 bits still reads signed.
  image.ExifAdd(kSectionMakernote, 0x0001, kTypNumbers, Numbers(1, {8, 254, 65535}).inhalt);
  // Big-endian 32-bit words of a byte list: two words, the third is not reached.
  image.ExifAdd(kSectionMakernote, 0x0003, kTypNumbers, Numbers(3, {0, 0, 0, 1, 0, 0, 1, 2, 9}).inhalt);
  image.ExifAdd(kSectionMakernote, 0x0100, kTypNumbers, Numbers(0x0100, {2}).inhalt);
  for (const std::int32_t tag : {0x0100, 0x0101}) {
    ZetExif* inner = image.ExifAdd(kSectionMakernote, tag, kTypNumbers, Numbers(tag, {7, 9}).inhalt);
    inner->directory = 0x2010;
  }
  const std::vector<ListingRow> rows = FillMetadataList(*defs, image, MakeFormatContext(German(), 1.0));
  const Row expected[] = {
      {"1", "Einstellungen", "8,254,65535", "8,254,65535", 0, 0},
      {"1.2", "Versatz", "-2", "254", 0, 2},
      {"1.3", "Qualität", "keine", "65535", 0, 3},
      {"3", "Wortliste", "0,0,0,1,0,0,1,2,9", "0,0,0,1,0,0,1,2,9", 0, 0},
      {"3.2", "Zweites Wort", "zwei-acht-fünf", "258", 0, 2},
      {"256", "Verweis", "2", "2", 0, 0},
      // Equal tag numbers in the sub-directory take its own names.
      {"8208:256", "Kameratyp im Verzeichnis", "7,9", "7,9", 8208, 0},
      {"8208:257", "Liste im Verzeichnis", "7,9", "7,9", 8208, 0},
      {"8208:257.1", "Erster Wert", "sieben", "7", 8208, 1},
  };
  ASSERT_EQ(rows.size(), std::size(expected) + 2);  // separator and header first
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const ListingRow& row = rows[i + 2];
    const Row& want = expected[i];
    EXPECT_EQ(row.tag, Q(want.tag)) << i;
    EXPECT_EQ(row.label, Q(want.label)) << i;
    EXPECT_EQ(row.information, Q(want.information)) << i;
    EXPECT_EQ(row.raw, Q(want.raw)) << i;
    EXPECT_EQ(row.directory, want.directory) << i;
    EXPECT_EQ(row.position, want.position) << i;
    EXPECT_EQ(row.kind, RowKind::Item) << i;
  }
  // Without a layout (maker 0) a makernote list gets no sub-rows.
  image.camera_id = 0;
  EXPECT_EQ(FillMetadataList(*defs, image, MakeFormatContext(German(), 1.0)).size(), 7u);
}

TEST(ArrayRows, SubDirectorySectionsNeedTheirLayoutFirstAndOnce) {
  const struct {
    std::string text;
    const char* message;  // start of the caption; empty when the file loads
  } cases[] = {
      {"#version 2\n#makernote canon01 0x2010\n+1,0,0,a\n", "Metadaten-Definition laden"},
      {"#version 2\n#makernote canon01\n#makernote canon01 0x2010\n#makernote canon01 8208\n",
       "Metadaten-Definition laden (Fehler 457)"},
      {"#version 2\n#makernote canon01\n#makernote canon01 0x2010\n#makernote canon01 0x2020\n", ""},
  };
  for (const auto& c : cases) {
    Recorder recorder;
    const auto defs = Load(c.text, recorder);
    if (std::string(c.message).empty()) {
      EXPECT_NE(defs, nullptr) << c.text;
      continue;
    }
    EXPECT_EQ(defs, nullptr) << c.text;
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_TRUE(recorder.messages[0].starts_with(std::string(c.message) + " F")) << recorder.messages[0];
  }
}

}  // namespace
}  // namespace kelmarin
