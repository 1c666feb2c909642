// The definition loader on text and on files: the tables it fills, the forms it accepts and the
// messages of every failure; the numbers, focal factors and model names of its lines; the text
// conversions beneath it (UTF-8, Windows-1252, UTF-16); the quick load that reads makernote
// sections on first use.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "RecordingReporter.h"
#include "metadata/DefinitionSyntax.h"
#include "metadata/Definitions.h"
#include "metadata/Text.h"
#include "metadata/Utf16.h"

namespace kelmarin {
namespace {

const std::string kCaption = "Metadaten-Definition laden";

std::string CaptionWithCode(int code) {
  return kCaption + " (Fehler " + std::to_string(code) + ")";
}
std::string LineErrorText(int line, std::string_view text) {
  return "Fehler beim Lesen der Metadaten-Definitionsdatei\n\nFehler in Zeile " + std::to_string(line) +
         "\n" + std::string(text);
}

// Loads text that must fail with exactly one warning with this caption and text.
void ExpectFailure(std::string_view text, const std::string& caption, const std::string& messageText) {
  SCOPED_TRACE(std::string(text));
  std::istringstream in{std::string(text)};
  RecordingReporter reporter;
  EXPECT_EQ(LoadDefinitions(in, reporter), nullptr);
  ASSERT_EQ(reporter.messages.size(), 1u);
  const Message& message = reporter.messages.front();
  EXPECT_EQ(std::tuple(message.caption, message.text, message.icon),
            std::tuple(caption, messageText, MessageIcon::Warning));
}

// Loads text that must succeed without any message.
std::unique_ptr<Definitions> ExpectLoads(std::string_view text) {
  std::istringstream in{std::string(text)};
  RecordingReporter reporter;
  auto defs = LoadDefinitions(in, reporter);
  for (const Message& m : reporter.messages) ADD_FAILURE() << m.caption << ": " << m.text;
  EXPECT_NE(defs, nullptr);
  return defs;
}

const std::string kVersionFirst =
    "Version der Metadaten-Beschreibungsdatei muss als erster Eintrag aufgeführt sein";
const std::string kUnsupported = "Version der Metadaten-Beschreibungsdatei wird nicht unterstützt";

// A tag's name, display code, value names ("id=name;") and the positions of its single values.
std::string Describe(const ExifTag* tag) {
  if (tag == nullptr) return "-";
  std::string text = tag->bezeichnung + "|" + std::to_string(tag->fmt) + "|";
  for (int i = 1; i <= tag->inqnicecount(); ++i)
    text += std::to_string(tag->inqnice(i).id) + "=" + tag->inqnice(i).bezeichnung + ";";
  for (const ExifTag* single : tag->positions) text += "," + std::to_string(single->position);
  return text;
}

TEST(Loader, FillsEveryTable) {
  for (const char* text : {"", "\n\n", "* nur ein Kommentar\n\n   \n*\n", "#version 2\n"}) {
    const auto defs = ExpectLoads(text);
    ASSERT_NE(defs, nullptr);
    EXPECT_TRUE(defs->mainTags.empty() && defs->thumbnailTags.empty() && defs->gpsTags.empty());
    EXPECT_TRUE(defs->makernoteTable.empty() && defs->focalEquivTable.empty() && defs->iptcTags.empty());
  }
  const auto defs = ExpectLoads(
      "* Kelmarin\n#version 2\n#main\n+0x010F, 0, 0, Hersteller, Marke\n+&H0112, 0, 7, Ausrichtung\n"
      "!1, oben, links\n!  2 ,oben rechts  \n#thumbnail\n+259, 0, 2, Kompression\n#gps\n+1, 0, 0, Breite\n"
      "#makernote Canon01\n+6, 0, 0, Bildtyp\n#focalequiv Hersteller\n+XY 300 (Sonderserie), 1.6\n"
      "#iptc\n+5, Objekt, Objektname\n+0x19, Stichwort, Stichwörter\n+-1,\n");
  ASSERT_NE(defs, nullptr);
  // The name after the last comma; a value name is what follows the first comma.
  EXPECT_EQ(defs->TagName(0, kSectionMain, 271, 0) + Describe(defs->FindTag(0, kSectionMain, 274, 0)) +
                Describe(defs->FindTag(0, kSectionThumbnail, 259, 0)) + defs->TagName(0, kSectionGps, 1, 0) +
                defs->TagName(4, kSectionMakernote, 6, 0),
            "MarkeAusrichtung|7|1=oben, links;2=oben rechts;Kompression|2|BreiteBildtyp");
  EXPECT_DOUBLE_EQ(defs->FocalEquivFactor("", "xy300"), 1.6);
  EXPECT_EQ(defs->iptcTags.at(5).bezeichnung + defs->iptcTags.at(25).bezeichnung +
                defs->iptcTags.at(-1).bezeichnung,
            "ObjektnameStichwörter");
}

TEST(Loader, AcceptedForms) {
  for (const char* header : {"#version 2", "#VERSION 2", "#Version 0x2", "#version 0X02", "#version &H2",
                             "#version &h00000002", "# version 2 ", "#version 2 extra words"}) {
    ExpectLoads(std::string(header) + "\n#main\n+1,0,0,A\n");
  }
  // Keywords without case, "" as a second word; value lines without a tag table and entry lines
  // in the version section are ignored.
  ExpectLoads("#version 2\n#MAIN\n#Thumbnail\n#gPs\n#IPTC\n#FocalEquiv  X\n#main extra\n");
  // A number after "main": the table of a raw format's directory 0, the plain table behind it.
  const auto raw = ExpectLoads("#version 2\n#main\n+1,0,0,A\n+2,0,0,B\n#main 0x55\n+1,0,0,R\n+3,0,0,S\n");
  EXPECT_EQ(std::tuple(raw->FindTag(0, kSectionMain, 0x55, 1, 0)->bezeichnung,
                       raw->FindTag(0, kSectionMain, 0x55, 2, 0)->bezeichnung,
                       raw->FindTag(0, kSectionMain, 0, 1, 0)->bezeichnung,
                       raw->FindTag(0, kSectionMain, 0x2A, 1, 0)->bezeichnung, raw->mainTags.count(TagKey(3, 0))),
            std::tuple("R", "B", "A", "A", 0u));
  ExpectLoads("#version 2\n!egal\n#focalequiv X\n!egal\n#iptc\n!,\n");
  EXPECT_TRUE(ExpectLoads("#version 2\n+ganz, egal\n+\n!\n")->mainTags.empty());
  // Fields between the fourth and the last are ignored; an empty name is kept; the position is a key.
  auto defs = ExpectLoads("#version 2\n#main\n+0x010F, 0, 0, Hersteller, x, y,   Marke  \n+2,1,0,\n");
  EXPECT_EQ(defs->TagName(0, kSectionMain, 271, 0), "Marke");
  EXPECT_EQ(Describe(defs->FindTag(0, kSectionMain, 2, 1)), "|0|");
  EXPECT_EQ(defs->FindTag(0, kSectionMain, 2, 0), nullptr);
  // A computing display code reads its scale and offset from those fields; other codes ignore them.
  defs = ExpectLoads("#version 2\n#main\n+1,0,22, -3/26 , 84,T\n+2,0,24,1/256,A\n+3,0,22,B\n+4,0,0,x,y,C\n");
  const auto scaled = [&](int tag) {
    const ExifTag* t = defs->FindTag(0, kSectionMain, tag, 0);
    return std::to_string(t->scale) + "|" + std::to_string(t->offset);
  };
  EXPECT_EQ(scaled(1) + " " + scaled(2) + " " + scaled(3) + " " + scaled(4),
            "-0.115385|84.000000 0.003906|0.000000 1.000000|0.000000 1.000000|0.000000");
  // The current tag survives new section headers; a second version header ends the tag section.
  defs = ExpectLoads(
      "#version 2\n#main\n+1,0,0,A\n#gps\n!5,fünf\n#iptc\n!6,ignoriert\n#makernote olympus01\n"
      "!7,sieben\n#version 2\n+2,0,0,B\n!1,ignoriert\n#main\n!3,drei\n");
  EXPECT_EQ(defs->mainTags.size(), 1u);
  EXPECT_EQ(Describe(defs->FindTag(0, kSectionMain, 1, 0)), "A|0|5=fünf;7=sieben;3=drei;");
  // Value names of unsigned 32-bit numbers (decimal), of two's complement hexadecimal, of whole lists.
  defs = ExpectLoads("#version 2\n#main\n+1,0,0,A\n!4294967295,max\n!0x90000000,hex\n!  1  -2 0x10 ,Liste\n");
  const ExifTag* named = defs->FindTag(0, kSectionMain, 1, 0);
  EXPECT_EQ(Describe(named), "A|0|4294967295=max;-1879048192=hex;0=Liste;");
  EXPECT_EQ(named->inqnice(1).liste + "|" + named->inqnice(3).liste, "|1 -2 16");
  // The same keys in different tables are fine.
  defs = ExpectLoads(
      "#version 2\n#main\n+1,0,0,A\n+1,1,0,A1\n#thumbnail\n+1,0,0,B\n#gps\n+1,0,0,C\n"
      "#makernote canon01\n+1,0,0,D\n#makernote nikon02\n+1,0,0,E\n");
  EXPECT_EQ(defs->TagName(0, kSectionThumbnail, 1, 0) + defs->TagName(0, kSectionGps, 1, 0) +
                defs->TagName(4, kSectionMakernote, 1, 0) + defs->TagName(17, kSectionMakernote, 1, 0) +
                defs->TagName(4, kSectionMain, 1, 0) + defs->TagName(16, kSectionMakernote, 1, 0),
            "BCDEA");
  for (const std::int32_t section : {-1, 0, 5}) EXPECT_EQ(defs->FindTag(4, section, 1, 0), nullptr);
  // A makernote sub-directory has a table of its own.
  defs = ExpectLoads("#version 2\n#makernote canon01\n+1,0,0,a\n#makernote canon01 0x2010\n+1,0,0,b\n");
  EXPECT_EQ(defs->TagName(4, kSectionMakernote, 1, 0), "a");
  EXPECT_EQ(defs->FindTag(4, kSectionMakernote, 0x2010, 1, 0)->bezeichnung, "b");
  EXPECT_EQ(defs->FindTag(4, kSectionMain, 0x2010, 1, 0), nullptr);
  // Focal factors: add, remove, add; the model "A, B" added, then "A,B" removed it.
  defs = ExpectLoads(
      "#version 2\n#focalequiv Hersteller\n+XY 300 (Sonderserie), 1.6\n+A, B, 2\n+A,B,3\n"
      "+xy300,1.5\n+XY 300 (neu),1.3\n+ , 7\n");
  EXPECT_DOUBLE_EQ(defs->FocalEquivFactor("", "XY 300"), 1.3);
  EXPECT_DOUBLE_EQ(defs->FocalEquivFactor("", "A,B"), 0.0);
  EXPECT_DOUBLE_EQ(defs->FocalEquivFactor("", ""), 7.0);
  // Each line UTF-8 or Windows-1252; zero bytes are kept.
  defs = ExpectLoads(
      "#version 2\n#main\n+1,0,0,Gr\xC3\xB6\xC3\x9F"
      "e\n+2,0,0,M\xFCller\n!1,\x80 5\n");
  EXPECT_EQ(defs->TagName(0, kSectionMain, 1, 0) + Describe(defs->FindTag(0, kSectionMain, 2, 0)),
            "GrößeMüller|0|1=€ 5;");
  defs = ExpectLoads(std::string("#version 2\n#main\n+1,0,0,A\0B\n", 28));
  EXPECT_EQ(defs->TagName(0, kSectionMain, 1, 0), std::string("A\0B", 3));
  std::string manyFields = "+1,0,0";
  for (int i = 0; i < 200000; ++i) manyFields += ",f";
  EXPECT_EQ(ExpectLoads("#version 2\n#main\n" + manyFields + "\n")->TagName(0, kSectionMain, 1, 0), "f");
}

TEST(DefinitionNumber, DecimalAndTwosComplementHexadecimal) {
  // Leading zeros are not significant digits.
  const std::pair<const char*, std::int32_t> good[] = {
      {"  42  ", 42},  {"-7", -7},   {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
      {"0X010f", 271}, {"&h10", 16}, {"&HFFFFFFFF", -1},        {"0x80000000", INT32_MIN},
      {"&H0000000000ABCDEF", 0xABCDEF}, {"00000000000000000000000001", 1}};
  for (const auto& [field, value] : good) {
    EXPECT_EQ(std::pair(ParseDefinitionNumber(field).code, ParseDefinitionNumber(field).value),
              std::pair(0, value))
        << field;
  }
  for (const char* field : {"", "   ", "-", "+5", "1a", "1 2", "\t1", "1\t", "&H", "0x", "&HG", "0x-1",
                            "-0x10", "&O17", "1.5", "1,5", "zwei", "99999999999x", "&H123456789Z"}) {
    EXPECT_EQ(ParseDefinitionNumber(field).code, kCodeNotANumber) << '"' << field << '"';
  }
  for (const char* field :
       {"2147483648", "-2147483649", "99999999999999999999999999999", "&H123456789", "0x100000000"}) {
    EXPECT_EQ(ParseDefinitionNumber(field).code, kCodeOutOfRange) << field;
  }
}

TEST(FocalFactor, PlainDecimalsAndModelsComparedWithoutSpacesBracketsAndCase) {
  for (const auto& [field, value] : {std::pair{"  1.6 ", 1.6}, {"2", 2.0}, {".5", 0.5}, {"-1.25", -1.25}}) {
    EXPECT_EQ(ParseFocalFactor(field).code, 0) << field;
    EXPECT_DOUBLE_EQ(ParseFocalFactor(field).value, value) << field;
  }
  for (const char* field :
       {"", ".", "-", "1,6", "1.6.2", "1e3", "inf", "nan", "0x2", "+1.5", "1.5x", "\t1"}) {
    EXPECT_EQ(ParseFocalFactor(field).code, kCodeNotANumber) << '"' << field << '"';
  }
  EXPECT_EQ(ParseFocalFactor("1" + std::string(400, '0')).code, kCodeOutOfRange);
  // Only spaces are removed; Windows-1252 bytes come from an image.
  const std::pair<const char*, const char*> models[] = {
      {"XY 300 (Sonderserie)", "XY300"}, {"(alles Klammer)", ""}, {"a (b) (c)", "A"},
      {"Kamera\tX", "KAMERA\tX"},        {"größe", "GRÖßE"},      {"gr\xF6\337e", "GRÖßE"}};
  for (const auto& [model, normalised] : models) {
    EXPECT_EQ(NormaliseModel(model), normalised) << model;
  }
}

struct Failure {
  std::string text;
  int code;  // 0 a syntax error without a code, -1 the version must come first, -2 unsupported version
  int line;
  std::string lineText;
};

// A sub-directory shared with another layout is named by that layout's table of the same number,
// whichever section comes first; the sharing covers only the directories it names and is not
// followed a second time.
TEST(Loader, SharedSubdirectoryIsNamedByTheOtherLayoutsTable) {
  const auto defs = ExpectLoads(
      "#version 2\n#makernote olympus01\n+1,0,0,Haupt\n#makernote olympus01 0x2010 olympus02\n"
      "#makernote olympus01 0x2040 olympus02\n#makernote olympus02\n+1,0,0,Neu\n#makernote olympus02 0x2010\n"
      "+0x100,0,0,Typ\n!1,eins\n+0x100,1,0,Erster\n#makernote olympus02 0x2020\n+0x100,0,0,Einstellung\n"
      "#makernote canon01\n#makernote canon01 0x2010 olympus01\n");
  ASSERT_NE(defs, nullptr);
  EXPECT_EQ(Describe(defs->FindTag(18, kSectionMakernote, 0x2010, 0x100, 0)), "Typ|0|1=eins;,1");
  EXPECT_EQ(Describe(defs->FindTag(18, kSectionMakernote, 0x2010, 0x100, 1)), "Erster|0|");
  EXPECT_EQ(Describe(defs->FindTag(18, kSectionMakernote, 0, 1, 0)), "Haupt|0|");
  EXPECT_EQ(Describe(defs->FindTag(18, kSectionMakernote, 0x2020, 0x100, 0)), "-");  // not shared
  EXPECT_EQ(Describe(defs->FindTag(18, kSectionMakernote, 0x2040, 0x100, 0)), "-");  // the other has none
  EXPECT_EQ(Describe(defs->FindTag(4, kSectionMakernote, 0x2010, 0x100, 0)), "-");   // one step only
}

TEST(Loader, FailuresNameTheLineAndTheCode) {
  const std::string longLine = "?" + std::string(5000, 'x');
  const std::string umlauts = "?" + std::string(998, 'x') + "üüüüü";
  const Failure failures[] = {
      {"#version 3\n", -2, 0, ""}, {"#version 2\n#version 1\n", -2, 0, ""}, {"#main\n", -1, 0, ""},
      {"* Kommentar\n\n#gps\n", -1, 0, ""}, {"#makernote\n", -1, 0, ""}, {"+1,0,0,A\n", -1, 0, ""},
      {"* Kopf\n#version\n", 9, 2, "#version"},
      {"#version  2\n", 13, 1, "#version  2"},  // two spaces: the second word is empty
      {"#version zwei\n", 13, 1, "#version zwei"}, {"#version 4294967298\n", 6, 1, "#version 4294967298"},
      // An unknown keyword or line kind, and a header without words, fail even before the version.
      {"#haupt\n#version 2\n", 0, 1, "#haupt"}, {"Version 2\n", 0, 1, "Version 2"},
      {"#    \n#version 2\n", 9, 1, "#"},
      // Line numbers count every line; the text is trimmed of spaces only.
      {"* eins\n\n   \n#version 2\n*\n   falsch ,  Zeile   \n#main\n", 0, 6, "falsch ,  Zeile"},
      {"#version 2\r\n\r\n* x\r\n?\r\n", 0, 4, "?"}, {"#version 2\nx", 0, 2, "x"},
      {"\xEF\xBB\xBF#version 2\n\xEF\xBB\xBF#main\n", 0, 2, "\xEF\xBB\xBF#main"},  // BOM only at the start
      {"\t#version 2\n", 0, 1, "\t#version 2"}, {"#version 2\n  \t+1,0,0,A\n", 0, 2, "\t+1,0,0,A"},
      {"#version 2\t\n", 13, 1, "#version 2\t"}, {"#version 2\n#main\t\n", 0, 2, "#main\t"},
      {"#version 2\n\r\r\n", 0, 2, "\r"},  // only one CR before the LF belongs to the line end
      {"#version 2\n\xC4rger\n", 0, 2, "Ärger"},
      {std::string("#version 2\n\0+1,0,0,A\n", 21), 0, 2, std::string("\0+1,0,0,A", 9)},
      {"#version 2\n" + longLine + "\n", 0, 2, longLine.substr(0, 1000) + "…"},
      {"#version 2\n" + umlauts + "\n", 0, 2, umlauts.substr(0, 999) + "…"},  // no cut UTF-8 sequence
      // Section headers.
      {"#version 2\n#focalequiv   \n", 9, 2, "#focalequiv"},
      {"#version 2\n#makernote nikon03\n", 0, 2, "#makernote nikon03"},
      {"#version 2\n#makernote  nikon01\n", 0, 2, "#makernote  nikon01"},
      // Tag, value, focal factor and IPTC lines.
      {"#version 2\n#main\n+1,0,0\n", 0, 3, "+1,0,0"}, {"#version 2\n#main\n+x,0,0,A\n", 13, 3, "+x,0,0,A"},
      {"#version 2\n#main\n+1,0,0x,A\n", 13, 3, "+1,0,0x,A"},
      {std::string("#version 2\n#main\n+1\0,0,0,A\n", 27), 13, 3, std::string("+1\0,0,0,A", 9)},
      {"#version 2\n#main\n+1,0,0x100000000,A\n", 6, 3, "+1,0,0x100000000,A"},
      {"#version 2\n#main\n+1,0,0,A\n!1\n", 0, 4, "!1"},
      {"#version 2\n#main\n+1,0,0,A\n!eins,A\n", 13, 4, "!eins,A"},
      {"#version 2\n#main\n+1,0,0,A\n!4294967296,A\n", 6, 4, "!4294967296,A"},
      {"#version 2\n#main\n+1,0,0,A\n!-1 4294967296,A\n", 6, 4, "!-1 4294967296,A"},
      {"#version 2\n#main\n+1,0,0,A\n!1 x,A\n", 13, 4, "!1 x,A"},
      {"#version 2\n#main\n!1,vor jedem Tag\n", 91, 3, "!1,vor jedem Tag"},
      {"#version 2\n#makernote nikon01\n!1,x\n", 91, 3, "!1,x"},
      {"#version 2\n#focalequiv X\n+XY300 1.6\n", 0, 3, "+XY300 1.6"},
      {"#version 2\n#focalequiv X\n+XY300, 1e400\n", 13, 3, "+XY300, 1e400"},
      {"#version 2\n#iptc\n+25\n", 0, 3, "+25"},
      // Scale and offset of a computing display code.
      {"#version 2\n#main\n+1,0,22,x,A\n", 13, 3, "+1,0,22,x,A"},
      {"#version 2\n#main\n+1,0,24,1/0,A\n", 6, 3, "+1,0,24,1/0,A"},
      {"#version 2\n#main\n+1,0,22,1,1/x,A\n", 13, 3, "+1,0,22,1,1/x,A"},
      {"#version 2\n#iptc\n+Nummer,Name\n", 13, 3, "+Nummer,Name"},
      // Duplicate keys within one table.
      {"#version 2\n#main\n+1,0,0,A\n+0x1,0,5,B\n", 457, 4, "+0x1,0,5,B"},
      {"#version 2\n#main\n+1,0,0,A\n#gps\n#main\n+1,0,0,A\n", 457, 6, "+1,0,0,A"},
      {"#version 2\n#iptc\n+5,A\n+5,B\n", 457, 4, "+5,B"},
      {"#version 2\n#makernote canon01\n#makernote CANON01\n", 457, 3, "#makernote CANON01"},
      // A makernote sub-directory follows its layout's own section, once.
      {"#version 2\n#makernote canon01 0x2010\n", 0, 2, "#makernote canon01 0x2010"},
      {"#version 2\n#makernote canon01\n#makernote canon01 0x2010\n#makernote canon01 8208\n", 457, 4,
       "#makernote canon01 8208"},
      // A sub-directory named by another layout's table: a known other layout, no lines of its own,
      // not both forms for one directory.
      {"#version 2\n#makernote canon01\n#makernote canon01 0x2010 nikon09\n", 0, 3,
       "#makernote canon01 0x2010 nikon09"},
      {"#version 2\n#makernote canon01\n#makernote canon01 0x2010 Canon01\n", 0, 3,
       "#makernote canon01 0x2010 Canon01"},
      {"#version 2\n#makernote canon01\n#makernote canon01 0x2010 nikon01\n+1,0,0,A\n", 0, 4, "+1,0,0,A"},
      {"#version 2\n#makernote canon01\n+1,0,0,A\n#makernote canon01 0x2010 nikon01\n!1,x\n", 0, 5, "!1,x"},
      {"#version 2\n#makernote canon01\n#makernote canon01 8208\n#makernote canon01 0x2010 nikon01\n", 457, 4,
       "#makernote canon01 0x2010 nikon01"},
      {"#version 2\n#makernote canon01\n#makernote canon01 0x2010 nikon01\n#makernote canon01 8208\n", 457, 4,
       "#makernote canon01 8208"},
  };
  for (const Failure& f : failures) {
    if (f.code < 0) {
      ExpectFailure(f.text, kCaption, f.code == -1 ? kVersionFirst : kUnsupported);
    } else {
      ExpectFailure(f.text, f.code == 0 ? kCaption : CaptionWithCode(f.code),
                    LineErrorText(f.line, f.lineText));
    }
  }
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
  EXPECT_EQ(std::pair(reporter.messages[0].caption, reporter.messages[0].text),
            std::pair(CaptionWithCode(57), LineErrorText(4, "")));
}

namespace fs = std::filesystem;

// A scratch folder of the running test alone: ctest runs the tests of this file side by side.
fs::path Scratch(const std::string& what) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return fs::path(::testing::TempDir()) / ("kelmarin-" + what + "-" + test->test_suite_name() + test->name());
}

fs::path WriteDefinitions(const std::string& bytes) {
  const fs::path folder = Scratch("metadata");
  fs::create_directories(folder);
  std::ofstream(folder / "metadata.def", std::ios::binary | std::ios::trunc) << bytes;
  return folder / "metadata.def";
}

TEST(LoaderFile, OpenErrors) {
  const fs::path file = WriteDefinitions("#version 2\n");
  fs::permissions(file, fs::perms::none);
  const bool locked = !std::ifstream(file).is_open();  // root reads any file
  for (const auto& [path, code] : {std::pair{file.parent_path() / "fehlt" / "metadata.def", 53},
                                   {fs::path(), 53}, {file.parent_path(), 75}, {"/dev/null", 75},
                                   {file, locked ? 70 : 0}}) { if (code == 0) continue;
    RecordingReporter reporter;
    EXPECT_EQ(LoadDefinitions(path, reporter), nullptr) << path;
    ASSERT_EQ(reporter.messages.size(), 1u);
    const Message& m = reporter.messages[0];
    EXPECT_EQ(std::tuple(m.caption, m.text, m.icon),
              std::tuple(CaptionWithCode(code), "Fehler beim Öffnen der Metadaten-Definitionsdatei",
                         MessageIcon::Warning));
  }
  fs::remove_all(file.parent_path());
}

// A file is read in large blocks, a stream line by line: both give the same tables and the same
// message, also for lines longer than a block (the stream's blocks are 1 MiB), for UTF-8 and
// Windows-1252 lines side by side and for a file written on Windows (BOM, CR LF).
TEST(LoaderFile, FileAndStreamReadAlike) {
  const std::string longComment = "*" + std::string(3 << 20, 'x') + "\n";
  const std::string good = "\xEF\xBB\xBF#version 2\r\n" + longComment +
                           "#main\n+1,0,0,Gr\xC3\xB6\xC3\x9F"
                           "e\n!1,M\xFCller\r\n" +
                           longComment + "+2,0,0,  " + std::string(2 << 20, 'L') +
                           "  \n#focalequiv X\r\n+XY 300, 1.6\r\n" + "#main\n+3,0,0,ohne Zeilenende";
  for (const std::string& text : {good, good + "\n+4,0\n+5,0,0,E\n"}) {
    RecordingReporter fromFile, fromStream;
    const auto file = LoadDefinitions(WriteDefinitions(text), fromFile);
    std::istringstream in(text);
    const auto stream = LoadDefinitions(in, fromStream);
    ASSERT_EQ(std::tuple(stream == nullptr, fromFile.messages.size(), fromStream.messages.size()),
              std::tuple(file == nullptr, file == nullptr ? 1u : 0u, file == nullptr ? 1u : 0u));
    if (file == nullptr) {
      EXPECT_EQ(fromFile.messages[0].caption + fromFile.messages[0].text,
                fromStream.messages[0].caption + fromStream.messages[0].text);
      EXPECT_NE(fromFile.messages[0].text.find("Fehler in Zeile 12\n+4,0"), std::string::npos);
      continue;
    }
    for (const auto* defs : {file.get(), stream.get()}) {
      EXPECT_EQ(Describe(defs->FindTag(0, kSectionMain, 1, 0)) + defs->TagName(0, kSectionMain, 3, 0),
                "Größe|0|1=Müller;ohne Zeilenende");
      EXPECT_EQ(defs->TagName(0, kSectionMain, 2, 0), std::string(2 << 20, 'L'));
      EXPECT_DOUBLE_EQ(defs->FocalEquivFactor("", "XY300"), 1.6);
    }
  }
}

// LoadDefinitionsWithStamp: a quick load (makernote sections read on first use) gives the tables of
// a full load, and only contents that a full load accepted are loaded quickly.
std::unique_ptr<Definitions> Load(const fs::path& file, RecordingReporter& reporter) {
  return LoadDefinitionsWithStamp(file, Scratch("stamps"), reporter);
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
    for (const auto& [directory, other] : note.sharedDirectories) {
      const auto owner = full.makernoteTable.find(other);
      if (owner == full.makernoteTable.end() || !owner->second.directories.contains(directory)) continue;
      same(owner->second.directories.at(directory), maker, kSectionMakernote, directory);
    }
  }
  EXPECT_EQ(quick.makernoteTable.size(), full.makernoteTable.size());
  EXPECT_EQ(quick.focalEquivTable.size(), full.focalEquivTable.size());
}

TEST(StampedLoad, QuickLoadsGiveTheFullTables) {
  fs::remove_all(Scratch("stamps"));
  // The shipped file, then a "#" inside a name and a header after spaces, and what only a full load
  // reads right: a value name right after a header (it belongs to the tag before it), and
  // Windows-1252 lines.
  const std::string texts[] = {
      "",
      "#version 2\n#main\n+1,0,0,A\n#makernote canon01\n+2,0,0,B\n!1,eins\n+6,0,0,F #6\n  #makernote canon01 7\n"
      "+3,0,0,C\n#gps\n+4,0,0,D\n",
      "#version 2\n#main\n+1,0,0,A\n#makernote canon01\n+2,0,0,B\n!1,eins\n#makernote canon01 7\n"
      "+3,0,0,C\n#gps\n!2,zwei\n+4,0,0,D\n#makernote nikon01\n+5,0,0,E\n",
      "#version 2\n#gps\n+4,0,0,D\n#makernote nikon01\n* Nikon\n!3,drei\n+5,0,0,E\n",
      "#version 2\n#makernote nikon01\n+5,0,0,B\xe4r\n#focalequiv K\xe4non\n+X 1,1.5\n",
      "#version 2\n#makernote olympus01\n+1,0,0,A\n#makernote olympus01 0x2010 olympus02\n"
      "#makernote olympus02\n+2,0,0,B\n#makernote olympus02 0x2010\n+3,0,0,C\n",
  };
  for (const std::string& text : texts) {
    RecordingReporter reporter;
    const fs::path file = text.empty() ? fs::path(KELMARIN_DEF_FILE) : WriteDefinitions(text);
    const std::unique_ptr<Definitions> full = LoadDefinitions(file, reporter);
    ASSERT_NE(Load(file, reporter), nullptr);  // leaves the stamp
    const std::unique_ptr<Definitions> quick = Load(file, reporter);
    ASSERT_NE(quick, nullptr);
    if (&text <= &texts[1]) {
      ASSERT_NE(quick->deferred, nullptr);  // read quickly indeed
    }
    if (text.empty()) {
      std::thread other([&] { quick->FindTag(4, kSectionMakernote, 1, 0); });  // first asked twice at once
      quick->FindTag(4, kSectionMakernote, 1, 0);
      other.join();
    }
    ExpectSame(*full, *quick);
  }
  // The same length, an error in a makernote section: the stamp of the old contents does not count.
  std::string broken = texts[2];
  broken.replace(broken.find("+5,0,0,E"), 8, "+5,x,0,E");
  RecordingReporter reporter;
  EXPECT_EQ(Load(WriteDefinitions(broken), reporter), nullptr);
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_NE(reporter.messages[0].text.find("Fehler in Zeile 13"), std::string::npos);
  fs::remove_all(Scratch("stamps"));
  fs::remove_all(WriteDefinitions("").parent_path());
}

TEST(Utf8, ValidityWindows1252AndEachEncodedLength) {
  for (const char* text :
       {"", "Müller", "\xE2\x82\xAC", "\xF0\x9F\x93\xB7", "\xF4\x8F\xBF\xBF", "\xEF\xBB\xBF",
        "Canon EF 70-200mm f/2.8L Müller"}) {
    EXPECT_TRUE(IsValidUtf8(text)) << text;
  }
  EXPECT_TRUE(IsValidUtf8(std::string_view("a\0b", 3)));
  // Windows-1252, lone continuation, truncated, bad continuation, overlong forms, a UTF-16
  // surrogate, above U+10FFFF, a five-byte form.
  for (const char* text :
       {"M\xFCller", "\x80", "\xC3", "\xC3(", "\xE2\x82", "\xC0\xAF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF",
        "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\xFF", "Canon EF 70-200mm M\xFCller",
        "0123456789abcdef\xC3", "01234567\x80"}) {
    EXPECT_FALSE(IsValidUtf8(text)) << testing::PrintToString(text);
  }
  EXPECT_EQ(BytesToUtf8("Müller"), "Müller");
  EXPECT_EQ(BytesToUtf8("M\xFCller"), "Müller");
  EXPECT_EQ(BytesToUtf8("\x80 \x8A \x96 \x99 \x9F \xA0"), "€ Š – ™ Ÿ \xC2\xA0");
  EXPECT_EQ(BytesToUtf8("\x81\x8D\x8F\x90\x9D"),
            "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");  // undefined bytes
  // One invalid byte makes the whole text Windows-1252, its UTF-8 look-alikes included.
  EXPECT_EQ(BytesToUtf8("\xC3\xBC \xFC"), "Ã¼ ü");
  EXPECT_EQ(BytesToUtf8(std::string_view("\0\xFF", 2)), std::string("\0ÿ", 3));
  for (int byte = 0; byte < 256; ++byte) {
    std::string encoded;
    AppendUtf8(encoded, Cp1252ToUnicode(static_cast<unsigned char>(byte)));
    EXPECT_TRUE(IsValidUtf8(encoded)) << byte;
  }
  const std::pair<char32_t, std::string> cases[] = {{0x00, std::string(1, '\0')},
                                                    {0x7F, "\x7F"}, {0x80, "\xC2\x80"}, {0x7FF, "\xDF\xBF"},
                                                    {0x800, "\xE0\xA0\x80"}, {0xFFFF, "\xEF\xBF\xBF"},
                                                    {0x10000, "\xF0\x90\x80\x80"},
                                                    {0x10FFFF, "\xF4\x8F\xBF\xBF"}};
  for (const auto& [codePoint, expected] : cases) {
    std::string out = "x";
    AppendUtf8(out, codePoint);
    EXPECT_EQ(out, "x" + expected) << static_cast<unsigned>(codePoint);
  }
}

// The one UTF-16 decoder, as the EXIF texts (little-endian) and the ICC profiles (big-endian) use it.
std::string Decode(const std::vector<char32_t>& units) {
  return Utf16ToUtf8(units.size(), [&](std::size_t i) { return units[i]; });
}

TEST(Utf16, PairsJoinedLoneSurrogatesReplacedNothingStopsAtNul) {
  const struct {
    std::vector<char32_t> units;
    std::string text;
  } cases[] = {
      {{}, ""}, {{'M', 0xFC, 'l', 'l', 'e', 'r'}, "M\xC3\xBCller"},
      {{0x20AC}, "\xE2\x82\xAC"},              // three UTF-8 bytes
      {{0xD83D, 0xDCF7}, "\xF0\x9F\x93\xB7"},  // a pair: one code point
      {{0xDBFF, 0xDFFF}, "\xF4\x8F\xBF\xBF"},  // the last code point
      {{0xD83D}, "\xEF\xBF\xBD"},              // a high surrogate at the end
      {{0xD83D, 'a'}, "\xEF\xBF\xBD"
       "a"},                                                       // not followed by a low one
      {{0xDCF7, 0xD83D}, "\xEF\xBF\xBD\xEF\xBF\xBD"},              // the wrong order
      {{0xD800, 0xD800, 0xDC00}, "\xEF\xBF\xBD\xF0\x90\x80\x80"},  // the second high one pairs
      {{'a', 0, 'b'}, std::string("a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(Decode(c.units), c.text) << c.units.size();
}

}  // namespace
}  // namespace kelmarin
