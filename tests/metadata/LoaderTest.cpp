#include <gtest/gtest.h>

#include <stdexcept>
#include <streambuf>
#include <string>

#include "LoaderTestSupport.h"

namespace kelmarin {
namespace {

using test::ExpectFailure;
using test::ExpectLoads;
using test::ExpectReadError;
using test::ExpectSyntaxError;
using test::kCaption;

const std::string kVersionFirst =
    "Version der Metadaten-Beschreibungsdatei muss als erster Eintrag aufgeführt sein";
const std::string kUnsupported = "Version der Metadaten-Beschreibungsdatei wird nicht unterstützt";

TEST(Loader, EmptyAndCommentOnlyFilesLoadEmptyTables) {
  for (const char* text : {"", "\n\n", "* nur ein Kommentar\n\n   \n*\n", "#version 2\n"}) {
    const auto defs = ExpectLoads(text);
    ASSERT_NE(defs, nullptr);
    EXPECT_TRUE(defs->mainTags.empty() && defs->thumbnailTags.empty() && defs->gpsTags.empty());
    EXPECT_TRUE(defs->makernoteTable.empty() && defs->focalEquivTable.empty() && defs->iptcTags.empty());
  }
}

TEST(Loader, FillsEveryTable) {
  const auto defs = ExpectLoads(
      "* Kelmarin\n"
      "#version 2\n"
      "#main\n"
      "+0x010F, 0, 0, Hersteller, Marke\n"
      "+&H0112, 0, 7, Ausrichtung\n"
      "!1, oben, links\n"
      "!  2 ,oben rechts  \n"
      "#thumbnail\n"
      "+259, 0, 2, Kompression\n"
      "#gps\n"
      "+1, 0, 0, Breite\n"
      "#makernote Canon01\n"
      "+6, 0, 0, Bildtyp\n"
      "#focalequiv Hersteller\n"
      "+XY 300 (Sonderserie), 1.6\n"
      "#iptc\n"
      "+5, Objekt, Objektname\n");
  ASSERT_NE(defs, nullptr);
  const ExifTag* make = defs->FindTag(0, kSectionMain, 271, 0);
  ASSERT_NE(make, nullptr);
  EXPECT_EQ(make->bezeichnung, "Marke");  // after the last comma
  EXPECT_EQ(make->fmt, 0);
  const ExifTag* orientation = defs->FindTag(0, kSectionMain, 274, 0);
  ASSERT_NE(orientation, nullptr);
  EXPECT_EQ(orientation->fmt, 7);
  ASSERT_EQ(orientation->inqnicecount(), 2);
  EXPECT_EQ(orientation->inqnice(1).id, 1);
  EXPECT_EQ(orientation->inqnice(1).bezeichnung, "oben, links");  // after the first comma
  EXPECT_EQ(orientation->inqnice(2).id, 2);
  EXPECT_EQ(orientation->inqnice(2).bezeichnung, "oben rechts");
  EXPECT_EQ(defs->TagName(0, kSectionThumbnail, 259, 0), "Kompression");
  EXPECT_EQ(defs->TagName(0, kSectionGps, 1, 0), "Breite");
  ASSERT_EQ(defs->makernoteTable.count(4), 1u);
  EXPECT_EQ(defs->makernoteTable.at(4).cameraid, 4);
  EXPECT_EQ(defs->TagName(4, kSectionMakernote, 6, 0), "Bildtyp");
  EXPECT_DOUBLE_EQ(defs->FocalEquivFactor("", "xy300"), 1.6);
  ASSERT_EQ(defs->iptcTags.count(5), 1u);
  EXPECT_EQ(defs->iptcTags.at(5).bezeichnung, "Objektname");
}

TEST(Loader, EveryLayoutNameGivesItsMakerNumber) {
  const std::pair<const char*, int> layouts[] = {
      {"asahi01", 2},    {"asahi02", 3},      {"canon01", 4},    {"casio01", 5},  {"casio02", 6},
      {"fujifilm01", 8}, {"leica01", 14},     {"minolta01", 15}, {"nikon01", 16}, {"nikon02", 17},
      {"olympus01", 18}, {"panasonic01", 19}, {"ricoh01", 21},   {"SIGMA01", 25}};
  std::string text = "#version 2\n";
  for (const auto& [name, maker] : layouts)
    text += std::string("#makernote ") + name + "\n+1,0,0," + name + "\n";
  const auto defs = ExpectLoads(text);
  ASSERT_NE(defs, nullptr);
  ASSERT_EQ(defs->makernoteTable.size(), std::size(layouts));
  for (const auto& [name, maker] : layouts) {
    EXPECT_EQ(defs->makernoteTable.at(maker).cameraid, maker);
    EXPECT_EQ(defs->TagName(maker, kSectionMakernote, 1, 0), name);
  }
  EXPECT_EQ(defs->TagName(10, kSectionMakernote, 1, 0), "");
}

TEST(Loader, VersionHeaderForms) {
  for (const char* header : {"#version 2", "#VERSION 2", "#Version 0x2", "#version 0X02", "#version &H2",
                             "#version &h00000002", "# version 2 ", "#version 2 extra words"}) {
    SCOPED_TRACE(header);
    ExpectLoads(std::string(header) + "\n#main\n+1,0,0,A\n");
  }
  ExpectFailure("#version 3\n", kCaption, kUnsupported);
  ExpectFailure("#version -2\n", kCaption, kUnsupported);
  ExpectFailure("#version 2\n#version 1\n", kCaption, kUnsupported);
  ExpectReadError("* Kopf\n#version\n", 9, 2, "#version");
  ExpectReadError("#version  2\n", 13, 1, "#version  2");  // two spaces: the second word is empty
  ExpectReadError("#version zwei\n", 13, 1, "#version zwei");
  ExpectReadError("#version 2.0\n", 13, 1, "#version 2.0");
  ExpectReadError("#version 4294967298\n", 6, 1, "#version 4294967298");
}

TEST(Loader, VersionMustComeFirst) {
  for (const char* text : {"#main\n", "* Kommentar\n\n#gps\n", "#thumbnail\n", "#makernote canon01\n",
                           "#makernote\n", "#focalequiv X\n", "#iptc\n", "+1,0,0,A\n", "!1,A\n", "+\n"}) {
    ExpectFailure(text, kCaption, kVersionFirst);
  }
  // An unknown keyword is a syntax error even before the version; so is an unknown line kind.
  ExpectSyntaxError("#haupt\n#version 2\n", 1, "#haupt");
  ExpectSyntaxError("Version 2\n", 1, "Version 2");
  // A header without any word is checked before the version.
  ExpectReadError("#\n", 9, 1, "#");
  ExpectReadError("#    \n#version 2\n", 9, 1, "#");
}

TEST(Loader, SecondVersionHeaderEndsTheTagSection) {
  const auto defs =
      ExpectLoads("#version 2\n#main\n+1,0,0,A\n#version 2\n+2,0,0,B\n!1,ignoriert\n#main\n!3,drei\n");
  ASSERT_NE(defs, nullptr);
  EXPECT_EQ(defs->mainTags.size(), 1u);
  const ExifTag* a = defs->FindTag(0, kSectionMain, 1, 0);
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->inqnicecount(), 1);
  EXPECT_EQ(a->inqnice(1).bezeichnung, "drei");
}

TEST(Loader, LineNumbersCountEveryLineAndShowTheTrimmedText) {
  ExpectSyntaxError("* eins\n\n   \n#version 2\n*\n   falsch ,  Zeile   \n#main\n", 6, "falsch ,  Zeile");
  ExpectSyntaxError("#version 2\r\n\r\n* x\r\n?\r\n", 4, "?");  // CR LF ends a line
  ExpectSyntaxError("#version 2\nx", 2, "x");                   // a last line without line feed
  ExpectSyntaxError("\xEF\xBB\xBF#version 2\n\xEF\xBB\xBF#main\n", 2,
                    "\xEF\xBB\xBF#main");  // BOM only at the start
}

TEST(Loader, TabIsNotTrimmed) {
  ExpectSyntaxError("\t#version 2\n", 1, "\t#version 2");
  ExpectSyntaxError("#version 2\n  \t+1,0,0,A\n", 2, "\t+1,0,0,A");
  ExpectReadError("#version 2\t\n", 13, 1, "#version 2\t");
  ExpectSyntaxError("#version 2\n#main\t\n", 2, "#main\t");
}

TEST(Loader, TagLines) {
  // Fields between the fourth and the last are ignored; the name is trimmed.
  const auto defs = ExpectLoads("#version 2\n#main\n+0x010F, 0, 0, Hersteller, x, y,   Marke  \n+2,1,0,\n");
  ASSERT_NE(defs, nullptr);
  EXPECT_EQ(defs->TagName(0, kSectionMain, 271, 0), "Marke");
  const ExifTag* nameless = defs->FindTag(0, kSectionMain, 2, 1);
  ASSERT_NE(nameless, nullptr);
  EXPECT_EQ(nameless->bezeichnung, "");
  EXPECT_EQ(defs->FindTag(0, kSectionMain, 2, 0), nullptr);  // position 1 is never found at position 0

  ExpectSyntaxError("#version 2\n#main\n+1,0,0\n", 3, "+1,0,0");
  ExpectSyntaxError("#version 2\n#gps\n+\n", 3, "+");
  ExpectReadError("#version 2\n#main\n+x,0,0,A\n", 13, 3, "+x,0,0,A");
  ExpectReadError("#version 2\n#main\n+1,,0,A\n", 13, 3, "+1,,0,A");
  ExpectReadError("#version 2\n#main\n+1,0,0x,A\n", 13, 3, "+1,0,0x,A");
  ExpectReadError("#version 2\n#main\n+1,0,0x100000000,A\n", 6, 3, "+1,0,0x100000000,A");
  ExpectReadError("#version 2\n#thumbnail\n+-2147483649,0,0,A\n", 6, 3, "+-2147483649,0,0,A");
}

TEST(Loader, ValueLines) {
  ExpectSyntaxError("#version 2\n#main\n+1,0,0,A\n!1\n", 4, "!1");
  ExpectReadError("#version 2\n#main\n+1,0,0,A\n!eins,A\n", 13, 4, "!eins,A");
  ExpectReadError("#version 2\n#main\n!1,vor jedem Tag\n", 91, 3, "!1,vor jedem Tag");
  ExpectReadError("#version 2\n#makernote nikon01\n!1,x\n", 91, 3, "!1,x");
  // Without a tag table value lines are ignored, whatever they hold.
  ExpectLoads("#version 2\n!egal\n#focalequiv X\n!egal\n#iptc\n!,\n");
}

TEST(Loader, CurrentTagSurvivesNewSectionHeaders) {
  const auto defs = ExpectLoads(
      "#version 2\n#main\n+1,0,0,A\n#gps\n!5,fünf\n#iptc\n!6,ignoriert\n#makernote olympus01\n!7,sieben\n");
  ASSERT_NE(defs, nullptr);
  const ExifTag* a = defs->FindTag(0, kSectionMain, 1, 0);
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->inqnicecount(), 2);
  EXPECT_EQ(a->inqnice(1).bezeichnung, "fünf");
  EXPECT_EQ(a->inqnice(2).id, 7);
}

TEST(Loader, DuplicateKeysWithinOneTable) {
  ExpectReadError("#version 2\n#main\n+1,0,0,A\n+0x1,0,5,B\n", 457, 4, "+0x1,0,5,B");
  ExpectReadError("#version 2\n#main\n+1,0,0,A\n#gps\n#main\n+1,0,0,A\n", 457, 6, "+1,0,0,A");
  ExpectReadError("#version 2\n#iptc\n+5,A\n+5,B\n", 457, 4, "+5,B");
  ExpectReadError("#version 2\n#makernote canon01\n#makernote CANON01\n", 457, 3, "#makernote CANON01");
  // The same keys in different tables are fine.
  const auto defs = ExpectLoads(
      "#version 2\n#main\n+1,0,0,A\n+1,1,0,A1\n#thumbnail\n+1,0,0,B\n#gps\n+1,0,0,C\n"
      "#makernote canon01\n+1,0,0,D\n#makernote nikon02\n+1,0,0,E\n");
  ASSERT_NE(defs, nullptr);
  EXPECT_EQ(defs->TagName(0, kSectionMain, 1, 0), "A");
  EXPECT_EQ(defs->TagName(0, kSectionThumbnail, 1, 0), "B");
  EXPECT_EQ(defs->TagName(0, kSectionGps, 1, 0), "C");
  EXPECT_EQ(defs->TagName(4, kSectionMakernote, 1, 0), "D");
  EXPECT_EQ(defs->TagName(17, kSectionMakernote, 1, 0), "E");
}

TEST(Loader, SectionHeaders) {
  ExpectReadError("#version 2\n#makernote\n", 9, 2, "#makernote");
  ExpectReadError("#version 2\n#focalequiv   \n", 9, 2, "#focalequiv");
  ExpectSyntaxError("#version 2\n#makernote nikon03\n", 2, "#makernote nikon03");
  ExpectSyntaxError("#version 2\n#makernote  nikon01\n", 2, "#makernote  nikon01");  // empty second word
  ExpectSyntaxError("#version 2\n#Haupt\n", 2, "#Haupt");
  ExpectLoads("#version 2\n#MAIN\n#Thumbnail\n#gPs\n#IPTC\n#FocalEquiv  X\n#main extra\n");  // "" is a word
}

TEST(Loader, FocalEquivLines) {
  const auto defs = ExpectLoads(
      "#version 2\n#focalequiv Hersteller\n+XY 300 (Sonderserie), 1.6\n+A, B, 2\n+A,B,3\n+xy300,1.5\n"
      "+XY 300 (neu),1.3\n+ , 7\n");
  ASSERT_NE(defs, nullptr);
  EXPECT_DOUBLE_EQ(defs->FocalEquivFactor("", "XY 300"), 1.3);  // add, remove, add
  EXPECT_DOUBLE_EQ(defs->FocalEquivFactor("", "A,B"), 0.0);     // model "A, B" added, then "A,B" removed it
  EXPECT_DOUBLE_EQ(defs->FocalEquivFactor("", ""), 7.0);
  ExpectSyntaxError("#version 2\n#focalequiv X\n+XY300 1.6\n", 3, "+XY300 1.6");
  ExpectReadError("#version 2\n#focalequiv X\n+XY300, 1.6.0\n", 13, 3, "+XY300, 1.6.0");
  ExpectReadError("#version 2\n#focalequiv X\n+XY300,\n", 13, 3, "+XY300,");
  ExpectReadError("#version 2\n#focalequiv X\n+XY300, 1e400\n", 13, 3, "+XY300, 1e400");
}

TEST(Loader, IptcLines) {
  const auto defs = ExpectLoads("#version 2\n#iptc\n+0x19, Stichwort, Stichwörter\n+-1,\n");
  ASSERT_NE(defs, nullptr);
  EXPECT_EQ(defs->iptcTags.at(25).bezeichnung, "Stichwörter");
  EXPECT_EQ(defs->iptcTags.at(-1).bezeichnung, "");
  ExpectSyntaxError("#version 2\n#iptc\n+25\n", 3, "+25");
  ExpectReadError("#version 2\n#iptc\n+Nummer,Name\n", 13, 3, "+Nummer,Name");
}

TEST(Loader, VersionSectionIgnoresEntryLines) {
  const auto defs = ExpectLoads("#version 2\n+ganz, egal\n+\n!\n");
  ASSERT_NE(defs, nullptr);
  EXPECT_TRUE(defs->mainTags.empty());
}

TEST(Loader, TextIsUtf8OrWindows1252PerLine) {
  const auto defs = ExpectLoads(
      "#version 2\n#main\n+1,0,0,Gr\xC3\xB6\xC3\x9F"
      "e\n+2,0,0,M\xFCller\n!1,\x80 5\n");
  ASSERT_NE(defs, nullptr);
  EXPECT_EQ(defs->TagName(0, kSectionMain, 1, 0), "Größe");
  EXPECT_EQ(defs->TagName(0, kSectionMain, 2, 0), "Müller");
  EXPECT_EQ(defs->FindTag(0, kSectionMain, 2, 0)->inqnice(1).bezeichnung, "€ 5");
  ExpectSyntaxError("#version 2\n\xC4rger\n", 2, "Ärger");  // the message shows UTF-8 too
}

TEST(Loader, HostileBytesGiveMessagesNotCrashes) {
  ExpectSyntaxError(std::string("#version 2\n\0+1,0,0,A\n", 21), 2, std::string("\0+1,0,0,A", 9));
  ExpectReadError(std::string("#version 2\n#main\n+1\0,0,0,A\n", 27), 13, 3, std::string("+1\0,0,0,A", 9));
  const auto defs = ExpectLoads(std::string("#version 2\n#main\n+1,0,0,A\0B\n", 28));
  ASSERT_NE(defs, nullptr);
  EXPECT_EQ(defs->TagName(0, kSectionMain, 1, 0), std::string("A\0B", 3));
  ExpectSyntaxError("#version 2\n\r\r\n", 2, "\r");  // only one CR before the LF belongs to the line end
}

TEST(Loader, VeryLongLinesAreCutInTheMessage) {
  const std::string longLine = "?" + std::string(5000, 'x');
  ExpectSyntaxError("#version 2\n" + longLine + "\n", 2, longLine.substr(0, 1000) + "…");
  // The cut never splits a UTF-8 sequence.
  const std::string umlauts = "?" + std::string(998, 'x') + "üüüüü";
  ExpectSyntaxError("#version 2\n" + umlauts + "\n", 2, umlauts.substr(0, 999) + "…");
  // A huge but valid line loads.
  std::string manyFields = "+1,0,0";
  for (int i = 0; i < 200000; ++i) manyFields += ",f";
  const auto defs = ExpectLoads("#version 2\n#main\n" + manyFields + "\n");
  ASSERT_NE(defs, nullptr);
  EXPECT_EQ(defs->TagName(0, kSectionMain, 1, 0), "f");
}

// Gives its text, then fails like a disk that went away.
class FailingBuffer : public std::streambuf {
 public:
  explicit FailingBuffer(std::string text) : text_(std::move(text)) {
    setg(text_.data(), text_.data(), text_.data() + text_.size());
  }

 protected:
  int_type underflow() override { throw std::runtime_error("gone"); }

 private:
  std::string text_;
};

TEST(Loader, ReadFailurePartWayIsCode57) {
  FailingBuffer buffer("#version 2\n#main\n+1,0,0,A\n+2,0,");
  std::istream in(&buffer);
  RecordingReporter reporter;
  EXPECT_EQ(LoadDefinitions(in, reporter), nullptr);
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].caption, test::CaptionWithCode(57));
  EXPECT_EQ(reporter.messages[0].text, test::LineErrorText(4, ""));
}

TEST(Loader, ManyDefinitionsLoad) {
  std::string text = "#version 2\n";
  for (const char* header : {"#main", "#thumbnail", "#gps", "#makernote nikon02"}) {
    text += std::string(header) + "\n";
    for (int tag = 0; tag < 1500; ++tag) {
      text +=
          "+0x" + std::to_string(tag) + ", 0, 3, Etikett " + std::to_string(tag) + "\n!1, eins\n!2, zwei\n";
    }
  }
  const auto defs = ExpectLoads(text);
  ASSERT_NE(defs, nullptr);
  EXPECT_EQ(defs->mainTags.size(), 1500u);
  EXPECT_EQ(defs->TagName(17, kSectionMakernote, 0x1499, 0), "Etikett 1499");
}

}  // namespace
}  // namespace kelmarin
