// The value formatter: its general rules and dispatch, the fixed rules of the main and GPS tags
// (code -1: the tag has no definition at all), the display codes of fraction lists (4 lens range,
// 5 time of day, 15 list), the number patterns and parsing beneath them; the rows of the metadata
// list and the information labels.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>
#include <cmath>
#include <limits>
#include <sstream>

#include "../metadata/RecordingReporter.h"
#include "extract/ImageMetadata.h"
#include "metadata/Definitions.h"
#include "present/DateText.h"
#include "present/Formatter.h"
#include "present/InfoLabels.h"
#include "present/Listing.h"
#include "present/NumberText.h"
#include "present/qt/QtTextLocale.h"

namespace kelmarin {
namespace {

const QLocale kGerman(QLocale::German, QLocale::Germany);

TextLocale German() {
  return TextLocaleOf(kGerman);
}

ZetExif Numbers(std::int32_t tag, std::initializer_list<std::int64_t> values) {
  ZetExif item;
  item.tag = tag;
  item.typ = kTypNumbers;
  for (std::int64_t v : values) item.inhalt.emplace_back(v);
  return item;
}

ZetExif Texts(std::int32_t tag, std::initializer_list<std::string> values) {
  ZetExif item;
  item.tag = tag;
  item.typ = kTypTexts;
  for (const std::string& v : values) item.inhalt.emplace_back(v);
  return item;
}

// Bytes of a text as a number list.
ZetExif Bytes(std::int32_t tag, const std::string& bytes) {
  ZetExif item;
  item.tag = tag;
  item.typ = kTypNumbers;
  for (char c : bytes) item.inhalt.emplace_back(static_cast<std::int64_t>(static_cast<unsigned char>(c)));
  return item;
}

// Definitions with one table entry per call; fmt is the display code.
class Tables {
 public:
  ExifTag& Main(std::int32_t tag, std::int32_t fmt, const std::string& name = "name") {
    return defs.AddTagDefinition(defs.mainTags, tag, 0, name, fmt);
  }
  ExifTag& Gps(std::int32_t tag, std::int32_t fmt, const std::string& name = "name") {
    return defs.AddTagDefinition(defs.gpsTags, tag, 0, name, fmt);
  }
  ExifTag& Makernote(std::int32_t maker, std::int32_t tag, std::int32_t fmt,
                     const std::string& name = "name") {
    ExifMakernote& note = defs.makernoteTable[maker];
    note.cameraid = maker;
    return defs.AddTagDefinition(note.exif_tags, tag, 0, name, fmt);
  }

  Definitions defs;
};

// One formatted value: the item, the display code of its tag's definition (-1: no definition at
// all) and the text expected.
struct Case {
  ZetExif item;
  std::int32_t code;
  const char* expected;
};

// Formats each case's item in the section with definitions holding only its tag, and compares.
void ExpectTexts(const FormatContext& context, std::int32_t section, std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    Tables tables;
    if (c.code >= 0) {
      TagTable& table = section == kSectionGps         ? tables.defs.gpsTags
                        : section == kSectionThumbnail ? tables.defs.thumbnailTags
                                                       : tables.defs.mainTags;
      tables.defs.AddTagDefinition(table, c.item.tag, 0, "name", c.code);
    }
    EXPECT_EQ(FormatValue(tables.defs, context, 0, c.item, section), c.expected)
        << "tag " << c.item.tag << " code " << c.code;
  }
}

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

FormatContext Context(const QLocale& locale = kGerman, double focalFactor = 1.0) {
  return MakeFormatContext(TextLocaleOf(locale), focalFactor);
}
void Main(std::initializer_list<Case> cases, const FormatContext& context = Context()) {
  ExpectTexts(context, kSectionMain, cases);
}
void Gps(std::initializer_list<Case> cases, const FormatContext& context = Context()) {
  ExpectTexts(context, kSectionGps, cases);
}

class GeneralRules : public ::testing::Test {
 protected:
  std::string Format(const ZetExif& item) { return FormatValue(tables.defs, context, 0, item, kSectionMain); }

  Tables tables;
  FormatContext context = Context();
};

TEST_F(GeneralRules, ValueNamesFirstMatchInStoredOrder) {
  ExifTag& tag = tables.Main(41992, 0);
  tag.addnice(1, "normal");
  tag.addnice(3, "hoch");
  tag.addnice(3, "sehr hoch");
  tables.Main(1000, 0).addnice(-1, "minus eins");
  // Value names only for one value.
  EXPECT_EQ(Format(Numbers(41992, {3})) + '|' + Format(Numbers(41992, {7})) + '|' +
                Format(Numbers(41992, {3, 1})) + '|' + Format(Numbers(1000, {-1})) + '|' +
                Format(Numbers(1000, {4294967295})),
            "hoch|7|3,1|minus eins|4294967295");
}

TEST_F(GeneralRules, ListsCharactersDigitsAndUtf16) {
  Main({{Numbers(5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), -1, "1,2,3,4,5,6,7,8,9,10"},
        {Numbers(5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), -1, "1,2,3,4,5,6,7,8,9,10,...(11)"},
        {Numbers(6, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), 11, "1mm,2mm,3mm,4mm,5mm,6mm,7mm,8mm,9mm,10mm"},
        {Numbers(10, {65, 0, 66, 200}), 1, "A_BÈ"}, {Numbers(10, {128, 31, 256, -1}), 1, "€___"},
        {Numbers(11, {0, 2, 2, 0}), 2, "0220"}, {Numbers(11, {1, 10, 255}), 2, "1__"},
        {Numbers(12, {'H', 0, 'i', 0, 0, 0, 'x', 0}), 3, "Hi"},
        {Numbers(12, {0xFC, 0, 'x'}), 3, "ü"},  // last odd byte ignored
        {Numbers(12, {0x3D, 0xD8, 0xF7, 0xDC, 0x3D, 0xD8, 'a', 0, 0x00, 0xDC}), 3, "\U0001F4F7\uFFFDa\uFFFD"},
        {Numbers(12, {}), 3, ""},
        {Numbers(13, {0, 1, 0, 0}), 27, "0100"},  // version bytes, binary or characters
        {Numbers(13, {'0', '2', '1', '0'}), 27, "0210"}, {Numbers(13, {0, 1, 10, 31}), 27, "01__"},
        // Digit pairs with NULs between them (Casio's firmware date), as text or as bytes.
        {Texts(14, {std::string("0302\0\0" "2809\0\0" "45\0\0\0\0", 18)}), 28, "2003:02:28 09:45"},
        {Texts(14, {std::string("9912\0\0" "3123\0\0" "5958\0\0", 18)}), 28, "1999:12:31 23:59:58"},
        {Bytes(14, std::string("7001\0\0" "0100\0\0" "00\0\0\0\0", 18)), 28, "1970:01:01 00:00"},
        {Texts(14, {std::string("0302\0\0" "2809\0\0" "45x\0\0\0", 18)}), 28, "0302.2809.45x"},
        {Texts(14, {std::string("0302\0\0" "2809", 10)}), 28, "0302.2809"},
        {Texts(14, {""}), 28, ""},
        // Characters when all are letters, digits, "-", "_" or spaces, else hexadecimal (Ricoh).
        {Bytes(15, "AB-12_x 9"), 29, "AB-12_x 9"},
        {Bytes(15, std::string("\0\0\x12\x34\xAB\xFF 1", 8)), 29, "00001234abff2031"},
        {Texts(15, {"S/N"}), 29, "532f4e"}, {Numbers(15, {300}), 29, "ff"},
        // Dates and times packed into numbers: Minolta's words, Kodak's month and day, Reconyx.
        // (Minolta's date and time words: tests/present/ValueAgreementTest.cpp.)
        {Numbers(16, {0}), 52, "0"}, {Numbers(16, {0x100000000}), 52, "4294967296"},
        {Numbers(16, {1, 2}), 52, "1,2"}, {Numbers(17, {5, 25}), 53, "05:25"},
        {Numbers(17, {12, 1, 9}), 53, "12:01:09"}, {Numbers(17, {5, 100}), 53, "5,100"},
        {Numbers(17, {5, -1}), 53, "5,-1"}, {Numbers(18, {0x2011, 0x0110}), 54, "2011:01:10"},
        {Numbers(18, {0x1999, 0x1231}), 54, "1999:12:31"},
        {Numbers(18, {0x2011, 0x1310}), 54, "8209,4880"},   // month 13
        {Numbers(18, {0x2011, 0x010A}), 54, "8209,266"},    // not a decimal digit
        {Numbers(18, {0x2011, 0x0100}), 54, "8209,256"},    // day 0
        {Numbers(18, {0, 0x0110}), 54, "0,272"},            // year 0
        {Numbers(18, {0, 8, 10, 3, 16, 2020}), 54, "2020:03:16 10:08:00"},
        {Numbers(18, {31, 8, 8, 5, 7, 2015}), 54, "2015:05:07 08:08:31"},
        {Numbers(18, {0, 0, 24, 3, 16, 2020}), 54, "0,0,24,3,16,2020"},
        {Numbers(18, {0, 0, 10, 3, 32, 2020}), 54, "0,0,10,3,32,2020"},
        {Numbers(18, {60, 0, 10, 3, 16, 2020}), 54, "60,0,10,3,16,2020"},
        {Numbers(18, {0, 60, 10, 3, 16, 2020}), 54, "0,60,10,3,16,2020"},
        {Numbers(18, {0, 0, 10, 0, 16, 2020}), 54, "0,0,10,0,16,2020"},
        {Numbers(18, {0, 0, 10, 3, 16, 20}), 54, "0,0,10,3,16,20"},
        {Numbers(18, {1, 2, 3}), 54, "1,2,3"},
        {Numbers(99, {35}), 18, ""}});
}

// Codes that compute: each row is stored numbers, code, scale and offset of the definition line,
// and the text. Canon's and Olympus's SHORT lists hold signed values.
TEST_F(GeneralRules, ComputedCodesAndSignedLists) {
  struct Row {
    ZetExif item;
    std::int32_t code;
    double scale;
    double offset;
    const char* expected;
  };
  const Row rows[] = {
      {Numbers(1, {65336}), 22, 1.0 / 32, 5, "-1.25"},     // Canon MeasuredEV
      {Numbers(1, {212}), 22, 1.0 / 32, 0, "6.63"},        // Canon FlashGuideNumber
      {Numbers(1, {259}), 22, -3.0 / 26, 84, "54.12"},     // Olympus SensorTemperature
      {Numbers(1, {60, 40}), 22, 0.1, -5, "1,-1"},         // Pentax SensitivityAdjust
      {Numbers(1, {65535}), 22, 1, 0, "nicht verfügbar"},  // named as -1
      {Texts(1, {"5/2"}), 22, 2, 0, "5"}, {Texts(1, {"x"}), 22, 2, 0, "x"},
      {Numbers(1, {12}), 23, 1, 0, "0.33"},  // Canon's thirds
      {Numbers(1, {65516}), 23, 1, 0, "-0.67"}, {Numbers(1, {64}), 23, 1, 0, "2"},
      {Numbers(1, {16}), 23, 1, 0, "0.5"},
      {Numbers(1, {83}), 32, 1.0 / 24, 2.3219280949, "54.96"},  // Nikon focal length: 5 × 2^(83/24) mm
      {Numbers(1, {79}), 32, 0.0830482024, -6.6438561898, "0.94"},  // Nikon focus distance in m
      {Numbers(1, {32767}), 32, 1, 0, ""},  // no finite power
      {Numbers(1, {964}), 24, 1.0 / 256, 0, "f/3.7"},  // Olympus MaxAperture
      {Numbers(1, {100000}), 24, 1, 0, ""},
      {Numbers(1, {16484}), 25, 1, 0, "100"},  // Canon CameraISO, the speed itself
      {Numbers(1, {17}), 25, 1, 0, "17"},
      {Numbers(1, {172}), 26, 1, 0, "f/6.3"},  // 5 1/3 EV
      {Numbers(1, {160}), 26, 1, 0, "f/5.7"},
      {Numbers(1, {65482, 10, 200}), 16, 1, 0, "-54,10,200"},  // Olympus colour matrix
      {Numbers(1, {65482}), 16, 1, 0, "-54"}, {Numbers(1, {255, 1}), 17, 1, 0, "-1,1"},
      {Numbers(1, {70}), 31, 1, 0, "35mm"},  // Pentax SRFocalLength: even in half millimetres
      {Numbers(1, {75}), 31, 1, 0, "300mm"},  // odd: a quarter
      {Numbers(1, {0}), 31, 1, 0, "0mm"},
      {Numbers(1, {2}), 30, 1, 0, "2"},  // unnamed: the number
      // Minolta: Tv = n / 8 - 6 (112: 1/256, tests/present/ValueAgreementTest.cpp).
      {Numbers(1, {98}), 45, 1.0 / 8, -6, "1/76"}, {Numbers(1, {44}), 45, 1.0 / 8, -6, "1.41"},
      {Numbers(1, {65535}), 45, 1, 0, "nicht verfügbar"},
      {Numbers(1, {1000}), 45, 1, 0, "1000"},  // shorter than a microsecond: no time
      {Numbers(1, {20}), 45, -1, 0, "20"},     // beyond a day
      {Numbers(1, {1, 2}), 45, 1, 0, "1/2,1/4"},
      // Canon's camera information stores Tv in eighths of a stop, 7 stops below the value.
      {Numbers(1, {120}), 45, 1.0 / 8, -7, "1/256"}, {Numbers(1, {40}), 45, 1.0 / 8, -7, "4"},
      {Numbers(1, {64}), 45, 1.0 / 8, -7, "1/2"},  // half a second still as a fraction
      {Numbers(1, {-200}), 45, 1.0 / 8, -7, "-200"},  // beyond a day
      // Reconyx's event number: two 16-bit halves, the upper first.
      {Numbers(1, {0, 8}), 44, 1, 0, "8"}, {Numbers(1, {1, 2}), 44, 1, 0, "65538"},
      {Numbers(1, {0xFFFF, 0xFFFF}), 44, 1, 0, "4294967295"}, {Numbers(1, {0x10000, 0}), 44, 1, 0, "65536,0"},
      {Numbers(1, {0, -1}), 44, 1, 0, "0,-1"}, {Numbers(1, {8}), 44, 1, 0, "8"},
      // Bit sets of 16-bit words as the numbers of their set bits.
      {Numbers(1, {0, 0, 0}), 47, 1, 0, "keine"}, {Numbers(1, {0x8001, 0x0004}), 47, 1, 0, "0,15,18"},
      {Numbers(1, {0x10000, 1}), 47, 1, 0, "65536,1"},
      // Kodak's time of day with hundredths; no hour 24.
      {Numbers(1, {21, 0, 9, 62}), 43, 1, 0, "21:00:09.62"}, {Numbers(1, {23, 59, 60, 99}), 43, 1, 0, "23:59:60.99"},
      {Numbers(1, {24, 0, 0, 0}), 43, 1, 0, "24,0,0,0"}, {Numbers(1, {1, 60, 0, 0}), 43, 1, 0, "1,60,0,0"},
      {Numbers(1, {1, 2, 61, 0}), 43, 1, 0, "1,2,61,0"}, {Numbers(1, {1, 2, 3, 100}), 43, 1, 0, "1,2,3,100"},
      {Numbers(1, {1, -2, 3, 4}), 43, 1, 0, "1,-2,3,4"}, {Numbers(1, {21, 0, 9}), 43, 1, 0, "21,0,9"},
  };
  for (const Row& row : rows) {
    Tables one;
    ExifTag& tag = one.Main(1, row.code);
    tag.scale = row.scale;
    tag.offset = row.offset;
    if (row.code == 22 || row.code == 45) tag.addnice(-1, "nicht verfügbar");
    EXPECT_EQ(FormatValue(one.defs, context, 0, row.item, kSectionMain), row.expected) << row.code;
  }
}

// Code 37 names a list only when the name's numbers are the whole list, no more and no fewer;
// a text that is a whole number counts as that number.
TEST_F(GeneralRules, WholeListNames) {
  Tables one;
  ExifTag& tag = one.Main(1, 37);
  tag.addnice(0, "zwei Zahlen").liste = "8 0";
  tag.addnice(0, "mit Vorzeichen").liste = "-1 16";
  const std::pair<ZetExif, const char*> rows[] = {
      {Numbers(1, {8, 0}), "zwei Zahlen"},      {Numbers(1, {8, 0, 0}), "8,0,0"},
      {Numbers(1, {8}), "8"},                    {Numbers(1, {80}), "80"},
      {Numbers(1, {-1, 16}), "mit Vorzeichen"},
  };
  for (const auto& [item, expected] : rows) {
    EXPECT_EQ(FormatValue(one.defs, context, 0, item, kSectionMain), expected) << expected;
  }
  ZetExif mixed = Numbers(1, {0});
  mixed.inhalt.emplace_back(std::string("8"));
  EXPECT_EQ(FormatValue(one.defs, context, 0, mixed, kSectionMain), "0,8");
  mixed.inhalt = {};
  mixed.inhalt.emplace_back(std::string("8"));
  mixed.inhalt.emplace_back(std::int64_t{0});
  EXPECT_EQ(FormatValue(one.defs, context, 0, mixed, kSectionMain), "zwei Zahlen");
}

// Olympus's quality: bodies that count from 0 name the number + 1; lists stay numbers.
TEST_F(GeneralRules, NamesCountedFromZeroOrOne) {
  ExifTag& tag = tables.Main(513, 30);
  tag.addnice(1, "SQ");
  tag.addnice(2, "HQ");
  for (const bool fromZero : {false, true}) {
    context.countsFromZero = fromZero;
    EXPECT_EQ(Format(Numbers(513, {1})) + '|' + Format(Numbers(513, {0})) + '|' + Format(Numbers(513, {7})) + '|' +
                  Format(Numbers(513, {1, 2})) + '|' + Format(Texts(513, {"x"})),
              fromZero ? "HQ|SQ|7|1,2|x" : "SQ|0|7|1,2|x");
  }
}

TEST_F(GeneralRules, NumbersAndFractionsWithUnits) {
  const char* whole[] = {"35,50,105", "35mm,50mm,105mm", "35cm,50cm,105cm", "35dm,50dm,105dm",
                         "35m,50m,105m"};
  const char* fraction[] = {"15.5", "16mm", "15.5cm", "15.50dm", "15.500m"};
  for (int code = 10; code <= 14; ++code) {
    Main({{Numbers(100 + code, {35, 50, 105}), code, whole[code - 10]},
          {Texts(200 + code, {"155/10"}), code, fraction[code - 10]}});
  }
  Main({{Texts(212, {"7/0"}), 12, "7/0"},
        {Texts(212, {"7"}), 12, ""}, {Texts(212, {"1/2/3"}), 12, ""}, {Texts(212, {"a/2"}), 12, ""},
        {Texts(212, {"-1/3"}), 12, "-0.3cm"},
        {Texts(210, {"4294967295/1"}), 10, "4294967295.0"}});
  // A comma locale still gives a point.
  for (QLocale locale : {kGerman, QLocale(QLocale::French, QLocale::France), QLocale::c()}) {
    Main({{Texts(210, {"155/10"}), 10, "15.5"}}, Context(locale));
  }
}

TEST_F(GeneralRules, DatesByCharacterPosition) {
  Main({{Texts(306, {"2004:12:24 18:30:00"}), 1, "24.12.2004 18:30:00"},
        {Texts(306, {"2004:12:24 00:00:00"}), 1, "24.12.2004"},
        {Texts(306, {"2004-12-24T08:05:09"}), 1, "24.12.2004 08:05:09"},  // separators ignored
        {Texts(306, {"2004:13:01 10:00:00"}), 1, "01.01.2005 10:00:00"},
        {Texts(306, {"2004:03:00 10:00:00"}), 1, "29.02.2004 10:00:00"},
        {Texts(306, {"2004:12:31 24:00:00"}), 1, "01.01.2005"},
        {Texts(306, {"0029:01:01 12:00:00"}), 1, "01.01.2029 12:00:00"},
        {Texts(306, {"0030:01:01 12:00:00"}), 1, "01.01.1930 12:00:00"},
        {Texts(306, {"0000:00:00 00:00:00"}), 1, "0000:00:00 00:00:00"}});
  for (const char* raw : {"    :  :     :  :  ", "2004:12:24 18:30", "", "abcd:12:24 18:30:00",
                          "9999:12:31 24:00:00", "-999:01:01 00:00:00"}) {
    Main({{Texts(306, {raw}), 1, raw}});
  }
}

TEST_F(GeneralRules, TextsAreUtf8OrWindows1252) {
  Main({{Texts(315, {"M\xC3\xBCller"}), -1, "Müller"},
        {Texts(315, {"M\xFCller"}), -1, "Müller"},
        {Texts(315, {"\x80 5", "second"}), -1, "€ 5"}});  // further texts not shown
  EXPECT_EQ(ImageText(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST_F(GeneralRules, DispatchBySection) {
  tables.Makernote(2, 7, 0).addnice(1, "an");
  tables.defs.AddTagDefinition(tables.defs.thumbnailTags, 33434, 0, "name", 0);
  tables.Gps(5, 0).addnice(0, "über dem Meeresspiegel");
  const auto section = [&](std::int32_t s, const ZetExif& item, std::int32_t maker = 0) {
    return FormatValue(tables.defs, context, maker, item, s);
  };
  // A makernote without a layout gives nothing, the thumbnail no special rule.
  EXPECT_EQ(section(kSectionMakernote, Numbers(7, {1}), 2) + '|' +
                section(kSectionMakernote, Numbers(7, {1})) + '|' +
                section(kSectionMakernote, Texts(7, {"x"})) + '|' +
                section(kSectionThumbnail, Texts(33434, {"1/125"})) + '|' +
                section(kSectionThumbnail, Texts(33437, {"28/10"})) + '|' +
                section(kSectionGps, Numbers(5, {0})) + '|' + section(7, Numbers(5, {0})),
            "an|||1/125|28/10|über dem Meeresspiegel|0");
}

TEST_F(GeneralRules, OddItemsNeverFail) {
  EXPECT_EQ(Format(ZetExif()), std::string());
  for (std::int32_t typ : {0, 1, 4, 7, -1}) {
    for (std::int32_t code : {0, 1, 2, 3, 10, 11, 12, 13, 14, 99, -5}) {
      tables.defs.mainTags.clear();
      tables.Main(1, code);
      ZetExif item;
      item.tag = 1;
      item.typ = typ;
      (void)Format(item);
      item.inhalt = {std::int64_t{std::numeric_limits<std::int64_t>::min()}, std::string("1/0"),
                     std::string("\xFF\xFE"), std::int64_t{std::numeric_limits<std::int64_t>::max()}};
      (void)Format(item);
    }
  }
  ZetExif mixed = Numbers(2, {});
  mixed.inhalt = {std::string("x"), std::int64_t{1}};
  ZetExif other;
  other.typ = 9;
  other.inhalt = {std::string("abc")};
  EXPECT_EQ(Format(mixed) + '|' + Format(other), "x,1|abc");
}

// The notice split into photographer and editor, exposure time, f-number and APEX values.
TEST(SpecialRules, NoticeExposureTimeFNumberAndApexValues) {
  const ZetExif both = Texts(33432, {std::string("Hans Muster\0Verlag\0", 19)});
  Main({{both, -1, "Hans Muster;Verlag"},
        {both, 1, "Hans Muster"}, {both, 2, "Verlag"},
        {Texts(33432, {std::string("Hans Muster\0", 12)}), -1, "Hans Muster;"},
        {Texts(33432, {"Hans Muster"}), -1, "Hans Muster;"},  // without a zero character no editor
        {Texts(33432, {"Hans Muster"}), 2, ""},
        {Texts(33432, {std::string("\xA9 M\xFCller\0Verlag", 16)}), 1, "© Müller"}});
  Main({{Texts(33434, {"1/125"}), -1, "1/125"},
        {Texts(33434, {"10/2000"}), -1, "1/200"},
        {Texts(33434, {"1/2"}), -1, "1/2"},  // exactly 0.5 takes the reciprocal form
        {Texts(33434, {"6/10"}), -1, "0.6"}, {Texts(33434, {"13/10"}), -1, "1.3"},
        {Texts(33434, {"1/3"}), -1, "1/3"},
        {Texts(33434, {"0/1"}), -1, "0/1"},  // no reciprocal of 0
        {Texts(33434, {"1/0"}), -1, "1/0"}, {Texts(33434, {"kurz"}), -1, "kurz"},
        {Texts(33437, {"28/10"}), -1, "f2.8"}, {Texts(33437, {"56/10"}), -1, "f5.6"},
        {Texts(33437, {"0/0"}), -1, "0/0"},
        {Texts(33437, {"2.8"}), -1, "f2.8"},  // a decoded FLOAT
        {Texts(37377, {"6906891/1000000"}), -1, "1/120"}, {Texts(37377, {"0/1"}), -1, "1.0"},
        {Texts(37377, {"8/10"}), -1, "0.6"},  // 0.57 s
        {Texts(37377, {"1/1"}), -1, "1/2"}, {Texts(37377, {"-2/1"}), -1, "4.0"},
        {Texts(37377, {"-5/1"}), -1, "32.0"},
        {Texts(37377, {"-17/1"}), -1, "-17/1"},        // longer than a day
        {Texts(37377, {"100000/1"}), -1, "100000/1"},  // 2^-100000 is no time
        {Texts(37378, {"3/1"}), -1, "f2.8"}, {Texts(37378, {"4/1"}), -1, "f4.0"},
        {Texts(37381, {"3/1"}), -1, "f2.8"},
        {Texts(37381, {"1/0"}), -1, "1/0"}});
}

TEST(SpecialRules, FocalLengthWithAndWithoutFactor) {
  Main({{Texts(37386, {"78/10"}), -1, "7.8mm"},
        {Texts(37386, {"0/1"}), -1, "0.0mm"},
        {Texts(37386, {"1/101"}), -1, "0.0mm"}});
  Main({{Texts(37386, {"78/10"}), 1, "38mm"}, {Texts(37386, {"78/10"}), 2, "7.8mm"}},
       Context(kGerman, 4.86));
  Main({{Texts(37386, {"78/10"}), 1, "0mm"}}, Context(kGerman, 0.0));
}

TEST(SpecialRules, VersionsComponentsPrintMatchingAndUserCommentHeaders) {
  const std::string pim(
      "PrintIM\0"
      "0300\0\0",
      14);
  Main({{Numbers(36864, {'0', '2', '2', '0'}), 1, "2.2"},
        {Numbers(36864, {'0', '1', '0', '0'}), 1, "1.0"}, {Numbers(36864, {'0', '2', '2', '1'}), 1, "2.21"},
        {Numbers(36864, {'0', '2', '2', '0'}), -1, "0220"}, {Numbers(40960, {'0', '1', '0', '0'}), 1, "1.0"},
        {Numbers(40960, {'x', '1', '0', '0'}), 1, "x100"},
        {Texts(36864, {"0230"}), 1, "2.3"},  // written as ASCII by some programs
        {Numbers(37121, {7}), -1, "unknown"}, {Numbers(37121, {1}), -1, "Y"},
        {Numbers(37121, {6}), -1, "Blue"}, {Numbers(37121, {1, 2, 3, 0}), -1, "YCbCr"},
        {Numbers(37121, {4, 5, 6, 0}), -1, "RGB"}, {Numbers(37121, {1, 2, 3, 4}), -1, "Y, Cb, Cr, R"},
        {Numbers(37121, {0, 3, 2, 1}), -1, "-, Cr, Cb, Y"}, {Numbers(37121, {6, 5, 4, 9}), -1, "B, G, R, 9"},
        {Numbers(37121, {1, 2, 3}), -1, "1,2,3"},  // three components stay numbers
        {Bytes(50341, pim), 1, "3.0"}, {Bytes(50341, pim), -1, "0300"},
        {Bytes(50341, std::string("PrintIM\0abcd", 12)), 1, "0.0"},
        {Bytes(50341, "PrintIM"), 1, "0.0"},
        {Texts(50341, {std::string("Pri\xF0\x9F\x93\xB7IM\0" "0300", 14)}), -1, "0300"}});
  Main({{Numbers(36864, {'0', '2', '2', '0'}), 1, "2.2"}}, Context(kEnglish));
  Gps({{Numbers(0, {2, 2, 0, 0}), 1, "2.2"},
       {Numbers(0, {2, 0, 0, 0}), 1, "2.0"},
       {Numbers(0, {2, 2, 0, 0}), 0, "2200"}});
  Main({{Bytes(37510, std::string("UNICODE\0H\0i\0", 12)), -1, "Hi"},
        {Bytes(37510, std::string("UNICODE\0\0H\0i", 12)), -1, "Hi"},  // from a big-endian block
        {Bytes(37510, std::string("UNICODE\0\0\xFC\0 \0", 13)), -1, "ü"},
        {Bytes(37510, std::string("unicode\0", 8) + std::string("\xFC\0 \0", 4)), -1, "ü"},
        {Bytes(37510, std::string("UniCode\0\xAC\x20", 10)), -1, "€"},
        {Bytes(37510, std::string("ASCII\0\0\0H\0i\0", 12)), -1, "Hi"},
        {Bytes(37510, std::string("ASCII\0\0\0", 8)), -1, ""},
        {Bytes(37510, std::string("ASCII\0\0\0   Hallo Welt  ", 23)), -1, "Hallo Welt"},
        {Bytes(37510, std::string("\0\0\0\0\0\0\0\0M\xC3\xBCller", 15)), -1, "Müller"},
        {Bytes(37510, std::string("\0\0\0\0\0\0\0\0M\xFCller", 14)), -1, "Müller"},
        {Bytes(37510, std::string(8, '\0') + std::string(100, ' ')), -1, ""}});
}

TEST(SpecialRules, Coordinates) {
  const ZetExif whole = Texts(2, {"50/1", "12/1", "3456/100"});
  const ZetExif fractional = Texts(22, {"50/1", "1234/100", "0/1"});
  Gps({{whole, 0, "50° 12' 34.56\""},
       {whole, 1, "50&deg; 12' 34.56\""}, {whole, 2, "50,2096"}, {whole, 3, "50&deg; 12.576'"},
       {whole, 7, "50 12' 34.56\""}, {Texts(4, {"8/1", "5/1", "0/1"}), 0, "8° 5' 0.00\""},
       {Texts(20, {"11/1", "52/1", "448019999/10000000"}), 0, "11° 52' 44.80\""},
       {fractional, 0, "50° 12.34'"}, {fractional, 1, "50&deg; 12' 20.40\""},
       {fractional, 2, "50,2056666666667"}, {fractional, 3, "50° 12.34'"},
       // Minutes are the fraction's quotient whatever the denominator.
       {Texts(2, {"0/1", "22278/1000", "0/1"}), 0, "0° 22.278'"},
       {Texts(2, {"36/1", "3385/1000", "0/1"}), 1, "36&deg; 3' 23.10\""},
       // Coordinates that cannot be computed.
       {Texts(2, {"50/1", "12/1"}), 0, ""}, {Texts(2, {"50/1", "12/1", "1/1", "1/1"}), 0, ""},
       {Texts(2, {"Nord", "12/1", "0/1"}), 0, "Nord"}, {Texts(2, {"50/1", "12/0", "0/1"}), 0, "50/1"},
       {Texts(2, {"50/1", "12/1", "0/0"}), 2, "50/1"},
       {Numbers(2, {50, 12, 30}), 0, "50° 12' 30.00\""}});  // LONG values as n/1
  Gps({{whole, 2, "50.2096"}}, Context(kEnglish));
}

TEST(SpecialRules, WrongKindsFallBackToGeneralRules) {
  Main({{Numbers(33434, {1, 125}), -1, "1,125"},
        {Texts(37121, {"1230"}), -1, "1230"}, {Texts(37510, {"Kommentar"}), -1, "Kommentar"},
        {Texts(33434, {}), -1, ""},
        {Numbers(36864, {}), 1, ""}});
  Gps({{Texts(0, {}), 1, ""}});
}

// Dates without a time or left blank, value names under a unit code, a focal length of 0, and no
// English month or weekday names in the C locale; German has a decimal comma.
TEST(FractionFormats, ByDisplayCode) {
  for (const QLocale& locale : {kGerman, QLocale::c()}) {
    SCOPED_TRACE(locale.name().toStdString());
    Main({{Texts(42034, {"18/1", "70/1", "35/10", "45/10"}), 4, "18-70mm f/3.5-4.5"},
          {Texts(42034, {"415/100", "415/100", "22/10", "22/10"}), 4, "4.15mm f/2.2"},
          {Texts(42034, {"60/10", "225/10", "0/0", "0/0"}), 4, "6-22.5mm f/?"},
          {Texts(42034, {"18/1", "x", "35/10", "45/10"}), 4, "18,x,3.5,4.5"},
          {Texts(42034, {"18/1", "70/1", "35/10"}), 4, "18,70,3.5"},
          {Texts(318, {"3127/10000", "-3/2", "255/1", "1/0"}), 15, "0.3127,-1.5,255,1/0"},
          {Texts(318, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "x"}), 15,
           "1,2,3,4,5,6,7,8,9,0,...(11)"},
          {Texts(37386, {"0/16777216"}), 0, "0.0mm"}},
         Context(locale));
    Gps({{Texts(7, {"17/1", "17/1", "5865/100"}), 5, "17:17:58.65"},
         {Texts(7, {"7/1", "5/1", "4090/100"}), 5, "07:05:40.90"},
         {Texts(7, {"7/1", "5/1", "4000/100"}), 5, "07:05:40"},
         {Texts(7, {"14/1", "50/1", "61/3"}), 5, "14:50:20.333"},
         {Texts(7, {"14/1", "305/10", "0/1"}), 5, "14,30.5,0"}, {Texts(7, {"14/1", "30/1"}), 5, "14,30"},
         {Texts(29, {"2012:09:02"}), 1, "02.09.2012"},
         {Texts(29, {"0000:00:00 10:00:00"}), 1, "0000:00:00 10:00:00"}},
        Context(locale));
    Tables tables;
    tables.Makernote(6, 0x2022, 11).addnice(0x20000000, "unendlich");
    EXPECT_EQ(
        FormatValue(tables.defs, Context(locale), 6, Numbers(0x2022, {536870912}), kSectionMakernote) + '|' +
            FormatValue(tables.defs, Context(locale), 6, Numbers(0x2022, {536870912, 1}), kSectionMakernote),
        "unendlich|536870912mm,1mm");
  }
  const auto modified = MomentOf(QDateTime(QDate(2004, 12, 24), QTime(18, 5, 9)));
  EXPECT_EQ(MakeInfoLabels(TextLocaleOf(QLocale::c()), "a", "jpg", modified, 1, 1, 1, 1).modified,
            "zuletzt geändert: Freitag, 24.12.2004 18:05:09");
}

TEST(NumberPattern, DecimalsRoundingLiteralsAndExtremes) {
  // Rounding is half away from zero on the decimal text: binary 2.67499999... reads as 2.675.
  const std::tuple<double, const char*, const char*> cases[] = {
      {2.8, "0.0", "2,8"},     {15.5, "0.000", "15,500"}, {2.2, "0.0#", "2,2"},    {2.21, "0.0#", "2,21"},
      {1.0, "0.0#", "1,0"},    {0.04, "0.0", "0,0"},      {0.06, "0.0", "0,1"},    {0.0, ".", ","},
      {2.5, "0", "3"},         {-2.5, "0", "-3"},         {0.125, "0.00", "0,13"}, {2.675, "0.00", "2,68"},
      {1.005, "0.00", "1,01"}, {9.96, "0.0", "10,0"},     {99.5, "0", "100"},      {-0.04, "0.0", "0,0"}};
  const std::tuple<double, const char*, const char*> extremes[] = {
      {12.34, "0.0##############", "12,34"},
      {0.3333333333333333, "0.0##############", "0,333333333333333"},
      {(12.34 - 12.0) * 60.0, "0.00", "20,40"},
      {std::nextafter(0.125, 0.0), "0.00", "0,13"},  // 0.12499999999999999 read to 15 digits is 0.125
      {35.0, "0\\m\\m", "35mm"}, {1e20, "0", "100000000000000000000"}, {1e-300, "0.000", "0,000"},
      {std::nan(""), "0", ""},
      {std::numeric_limits<double>::infinity(), "0.0", ""}};
  const auto check = [](const auto& table) {
    for (const auto& [value, pattern, text] : table)
      EXPECT_EQ(FormatNumber(value, pattern, German()), text) << value << " " << pattern;
  };
  check(cases), check(extremes);
  EXPECT_EQ(FormatNumber(1e300, "0", German()).size(), 301);
  EXPECT_EQ(FormatNumber(std::int64_t{1234567}, "#,##0", German()) +
                FormatNumber(std::int64_t{999}, "#,##0", German()),
            "1.234.567999");
  EXPECT_EQ(FormatNumber(std::numeric_limits<std::int64_t>::min(), "0", German()), "-9223372036854775808");
  EXPECT_EQ(FormatNumber(std::int64_t{4294967295}, "0\\m", German()), "4294967295m");
}

TEST(NumberPattern, PointFormHasNoThousandsGrouping) {
  EXPECT_EQ(PointForm("15,5", ",") + '|' + PointForm("15,5", ""), "15.5|15,5");
}

TEST(NumberParsing, WholeAndDecimalNumbers) {
  EXPECT_EQ(std::tuple(ParseWholeNumber(" 12 "), ParseWholeNumber("-3"), ParseWholeNumber("+3")),
            std::tuple(12, -3, 3));
  for (const char* bad : {"", "  ", "1.5", "1a", "+-3", "99999999999999999999", "--1"}) {
    EXPECT_FALSE(ParseWholeNumber(bad)) << bad;
  }
  EXPECT_EQ(std::tuple(ParseDecimalNumber("0220"), ParseDecimalNumber("1.5e-3")), std::tuple(220.0, 0.0015));
  for (const char* bad : {"", "inf", "nan", "0x10", "1/2", "-", "1e999", "1,5"}) {
    EXPECT_FALSE(ParseDecimalNumber(bad)) << bad;
  }
}

class MetadataList : public ::testing::Test {
 protected:
  void Add(std::int32_t section, const ZetExif& item) {
    image.ExifAdd(section, item.tag, item.typ, item.inhalt);
  }
  std::vector<ListingRow> Rows() {
    return FillMetadataList(tables.defs, image, MakeFormatContext(German(), 1.0));
  }

  // One letter per row: H header (red), S separator, I item, N no items; then the columns.
  static std::string Shape(const std::vector<ListingRow>& rows) {
    std::string shape;
    for (const ListingRow& row : rows) {
      shape += row.kind == RowKind::Header      ? (row.red ? 'H' : 'h')
               : row.kind == RowKind::Separator ? (row.red ? 's' : 'S')
               : row.kind == RowKind::Item      ? (row.red ? 'i' : 'I')
                                                : 'N';
      shape += "|" + row.tag + "|" + row.label + "|" + row.information + "|" + row.raw + "\n";
    }
    return shape;
  }

  Tables tables;
  ImageMetadata image;
};

TEST_F(MetadataList, RowsOfEachSection) {
  EXPECT_EQ(Shape(Rows()), "N||Keine Exif Infos||\n");
  tables.Main(271, 0, "Hersteller");
  tables.Main(1, 1);
  tables.Gps(2, 0, "Breite");
  Add(kSectionMain, Texts(271, {"Kelmarin"}));
  Add(kSectionMain, Numbers(274, {6}));
  Add(kSectionMain, Numbers(1, {65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75}));  // characters: no limit
  Add(kSectionMain, Texts(306, {"2004:12:24 18:30:00", "zweiter"}));
  Add(kSectionGps, Texts(2, {"50/1", "12/1", "3456/100"}));
  EXPECT_EQ(Shape(Rows()),
            "H||Sektion Main||\n"
            "I|271|Hersteller|Kelmarin|Kelmarin\n"
            "I|274|???|6|6\n"
            "I|1|name|ABCDEFGHIJK|65,66,67,68,69,70,71,72,73,74,...(11)\n"
            "I|306|???|2004:12:24 18:30:00|2004:12:24 18:30:00,zweiter\n"
            "S||||\n"
            "H||Sektion GPS||\n"
            "I|2|Breite|50° 12' 34.56\"|50/1,12/1,3456/100\n");
  image = ImageMetadata();
  Add(kSectionGps, Texts(2, {"50/1", "12/1", "3456/100"}));
  EXPECT_EQ(Shape(Rows()).substr(0, 26), "S||||\nH||Sektion GPS||\nI|2");  // a separator even first
}

TEST_F(MetadataList, SectionsInOrderWithTheImagesMakerAndFocalFactor) {
  tables.Makernote(2, 8, 0, "Modus").addnice(1, "Auto");
  tables.Main(37386, 1, "Brennweite");
  Add(kSectionGps, Numbers(5, {0}));
  Add(kSectionMakernote, Numbers(8, {1}));
  Add(kSectionThumbnail, Numbers(259, {1}));
  Add(kSectionMain, Texts(37386, {"78/10"}));
  image.camera_id = 2;
  image.camera_feq = 4.86;
  EXPECT_EQ(Shape(Rows()),
            "H||Sektion Main||\nI|37386|Brennweite|38mm|78/10\nS||||\nH||Sektion Thumbnail||\nI|259|???|1|1\n"
            "S||||\nH||Sektion Makernote||\nI|8|Modus|Auto|1\nS||||\nH||Sektion GPS||\nI|5|???|0|0\n");
  image.camera_id = 7;  // no layout for maker 7: general rules, no label
  EXPECT_EQ(Rows()[7].label + Rows()[7].information, "???1");
  EXPECT_EQ(SectionTitle(5), std::string());
}

TEST_F(MetadataList, CacheKeepsLabelsApartByMakerAndSection) {
  tables.Makernote(2, 8, 0, "Modus");
  tables.Makernote(4, 8, 0, "Blitz");
  tables.Main(8, 0, "Hauptbild");
  ListingCache cache;
  const FormatContext context = MakeFormatContext(German(), 1.0);
  auto labelsOf = [&](std::int32_t maker) {
    ImageMetadata other;
    other.camera_id = maker;
    for (std::int32_t section : {kSectionMain, kSectionMakernote, kSectionGps})
      other.ExifAdd(section, 8, kTypNumbers, {std::int64_t{1}});
    std::string labels;
    for (const ListingRow& row : FillMetadataList(tables.defs, other, context, cache)) {
      if (row.kind == RowKind::Item) labels += (labels.empty() ? "" : "|") + row.label;
    }
    return labels;
  };
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(labelsOf(2) + ';' + labelsOf(4) + ';' + labelsOf(1 << 30),
              "Hauptbild|Modus|???;Hauptbild|Blitz|???;Hauptbild|???|???");
  }
}

// The item rows of the image, listed with definitions read from `text`.
std::vector<ListingRow> ItemRows(const std::string& text, const ImageMetadata& image) {
  std::istringstream in(text);
  RecordingReporter reporter;
  const auto defs = LoadDefinitions(in, reporter);
  std::vector<ListingRow> rows;
  EXPECT_NE(defs, nullptr);
  for (const ListingRow& row : defs ? FillMetadataList(*defs, image, MakeFormatContext(German(), 1.0)) : rows)
    if (row.kind == RowKind::Item) rows.push_back(row);
  return rows;
}

// Makernote sub-directories and single values of lists, with definitions read by the loader.
constexpr const char* kSubdirectoryFile =
    "#version 2\n#makernote canon01\n+1,0,0,Liste\n+1,3,16,Signiert\n!-1,minus eins\n!3,drei\n"
    "+1,2,17,Byte\n+1,5,11,Unerreicht\n+3,0,0,Wortliste\n+3,2,18,Wort\n!258,Wort 258\n+3,3,18,Drittes Wort\n"
    "+0x100,0,0,Verweis\n#makernote canon01 0x2010\n+0x100,0,0,Im Verzeichnis\n+0x101,0,0,Liste dort\n"
    "+0x101,1,0,Erster Wert\n!7,sieben\n";

// A raw format's directory 0 is named from its own table, then from the main one; the tag column
// stays the tag alone.
TEST(ArrayRows, RawDirectoryZeroNamedFromItsTable) {
  ImageMetadata image;
  image.ExifAdd(1, 1, kTypNumbers, Numbers(1, {0, 1, 0, 0}).inhalt)->directory = 0x55;
  image.ExifAdd(1, 271, kTypTexts, {std::string("Panasonic")})->directory = 0x55;
  image.ExifAdd(1, 1, kTypTexts, {std::string("R98")});
  std::string rows;
  for (const ListingRow& row :
       ItemRows("#version 2\n#main\n+1,0,0,Interop\n+271,0,0,Hersteller\n#main 0x55\n+1,0,27,Version\n", image))
    rows += row.tag + '|' + row.label + '|' + row.information + ';';
  EXPECT_EQ(rows, "1|Version|0100;271|Hersteller|Panasonic;1|Interop|R98;");
}

TEST(ArrayRows, SubDirectoriesAndPositionsGiveTheirRows) {
  ImageMetadata image;
  image.camera_id = 4;
  image.ExifAdd(3, 1, kTypNumbers, Numbers(1, {8, 254, 65535}).inhalt);
  image.ExifAdd(3, 3, kTypNumbers, Numbers(3, {0, 0, 0, 1, 0, 0, 1, 2, 9}).inhalt);
  image.ExifAdd(3, 0x100, kTypNumbers, {std::int64_t{2}});
  for (const std::int32_t tag : {0x100, 0x101}) {
    image.ExifAdd(3, tag, kTypNumbers, Numbers(tag, {7, 9}).inhalt)->directory = 0x2010;
  }
  std::vector<std::string> rows;
  for (const ListingRow& row : ItemRows(kSubdirectoryFile, image)) {
    rows.push_back(row.tag + '|' + row.label + '|' + row.information + '|' + row.raw + '|' +
                   std::to_string(row.directory) + "|" + std::to_string(row.position));
  }
  const std::vector<std::string> expected = {
      "1|Liste|8,254,65535|8,254,65535|0|0", "1.2|Byte|-2|254|0|2", "1.3|Signiert|minus eins|65535|0|3",
      "3|Wortliste|0,0,0,1,0,0,1,2,9|0,0,0,1,0,0,1,2,9|0|0", "3.2|Wort|Wort 258|258|0|2", "256|Verweis|2|2|0|0",
      "8208:256|Im Verzeichnis|7,9|7,9|8208|0", "8208:257|Liste dort|7,9|7,9|8208|0",
      "8208:257.1|Erster Wert|sieben|7|8208|1"};
  EXPECT_EQ(rows, expected);
  image.camera_id = 0;  // without a layout, no sub-rows
  EXPECT_EQ(ItemRows(kSubdirectoryFile, image).size(), 5u);
}

// The usual texts are checked in the information panel and the lister.
TEST(InfoLabels, EdgeValues) {
  const auto morning = MomentOf(QDateTime(QDate(2024, 3, 4), QTime(7, 0, 0)));
  const InfoLabels labels = MakeInfoLabels(German(), "ohne", std::string(), morning, 0, 0, 0, 0);
  EXPECT_EQ(labels.modified + '|' + labels.size,
            "zuletzt geändert: Montag, 4.3.2024 7:00:00|Dateigröße: 0 Bytes");
  EXPECT_EQ(MakeInfoLabels(German(), "a", "b", MomentOf(QDateTime()), 999, 1, 1, 1).modified,
            "zuletzt geändert: ");
  const QLocale finnish(QLocale::Finnish, QLocale::Finland);
  EXPECT_TRUE(MakeInfoLabels(TextLocaleOf(finnish), "a", "b", morning, 1, 1, 1, 1).modified.ends_with("7.00.00"));
}

// Single values of byte lists that hold numbers of several bytes: big-endian 32-bit words, signed
// big-endian 16-bit words (Casio's levels, 255,252 is -4) and little-endian 16-bit words (Sony's
// shot information), each with value names, and positions the list does not reach.
constexpr const char* kWordsFile =
    "#version 2\n#makernote canon01\n"
    "+1,0,0,Stufen\n+1,1,19,Erste Stufe\n!-4,minus vier\n+1,2,19,Zweite Stufe\n+1,3,19,Dritte Stufe\n"
    "+2,0,0,Aufnahme\n+2,2,20,Breite\n+2,3,20,Höhe\n!513,zwei-eins\n+2,4,20,Unerreicht\n+2,5,21,Text\n"
    "+3,0,0,Worte\n+3,1,18,Erstes Wort\n+3,2,18,Zweites Wort\n";

TEST(ArrayWords, NumbersOfSeveralBytes) {
  using namespace std::string_literals;
  // Item tag, its bytes, and the sub-rows expected (tag, information, raw).
  const std::tuple<std::int32_t, std::string, std::vector<std::string>> cases[] = {
      {1, "\xff\xfc\x00\x03\x80\x00"s, {"1.1|minus vier|-4", "1.2|3|3", "1.3|-32768|-32768"}},
      {1, "\x7f\xff\x01"s, {"1.1|32767|32767"}},
      {2, "II\x10\x0e\x01\x02\x07"s, {"2.2|3600|3600", "2.3|zwei-eins|513"}},
      {2, "II\xff"s, {}},
      {2, "II\x10\x0e" "AB\x00" "C"s, {"2.2|3600|3600", "2.3|16961|16961", "2.4|17152|17152", "2.5|AB|AB"}},
      {3, "\x00\x01\x02\x03\xff\xff\xff\xfe"s, {"3.1|66051|66051", "3.2|4294967294|4294967294"}},
  };
  for (const auto& [tag, bytes, expected] : cases) {
    ImageMetadata image;
    image.camera_id = 4;
    image.ExifAdd(3, tag, kTypNumbers, Bytes(tag, bytes).inhalt);
    std::vector<std::string> rows;
    for (const ListingRow& row : ItemRows(kWordsFile, image))
      if (row.position != 0) rows.push_back(row.tag + '|' + row.information + '|' + row.raw);
    EXPECT_EQ(rows, expected) << tag;
  }
}

// The toolkit-free forms write what the toolkit's locale writes, in every locale it knows: dates and
// times by the locale's forms and by a form with every field, and the locale number text. The
// defaults are the German forms.
TEST(TextLocaleForms, WriteWhatTheToolkitWrites) {
  const QDateTime moments[] = {QDateTime(QDate(2004, 12, 24), QTime(18, 5, 9)),
                               QDateTime(QDate(1999, 1, 3), QTime(0, 7, 30)),
                               QDateTime(QDate(2030, 7, 1), QTime(12, 0, 0)), QDateTime(QDate(640, 2, 29), QTime()),
                               QDateTime(QDate(1970, 1, 1), QTime(13, 59, 0))};
  const double numbers[] = {50.2096, -1234.5, 1.0 / 3.0, 1e20, -1.5e-7, 0.0001, 1.2345678901234e15, 50.0, 0.0};
  const QString everyField = QStringLiteral("dddd ddd dd d MMMM MMM MM M yyyy yy y 'H''s' HH H hh h mm m ss s AP ap A a");
  const auto locales = QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
  ASSERT_GT(locales.size(), 300);
  for (const QLocale& locale : locales) {
    const TextLocale texts = TextLocaleOf(locale);
    const QLocale names = locale.language() == QLocale::C ? kGerman : locale;
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    for (const QDateTime& moment : moments) {
      const Moment m = *MomentOf(moment);
      const QString date = QString::fromStdString(texts.shortDateFormat);
      const QString time = QString::fromStdString(texts.longTimeFormat);
      ASSERT_EQ(FormatMoment(texts, m, texts.shortDateFormat, MomentFields::Date) + '|' +
                    FormatMoment(texts, m, texts.longTimeFormat, MomentFields::Time) + '|' +
                    FormatMoment(texts, m, everyField.toStdString(), MomentFields::Both),
                (names.toString(moment.date(), date) + u'|' + names.toString(moment.time(), time) + u'|' +
                 names.toString(moment, everyField))
                    .toStdString())
          << locale.name().toStdString();
    }
    for (double number : numbers) {
      // The toolkit pads no exponent written in digits beyond the Basic Multilingual Plane; the
      // toolkit-free text pads it as in every other locale.
      if (locale.zeroDigit().size() > 1 && number != 0.0 && std::fabs(number) < 1e-4) continue;
      ASSERT_EQ(LocaleNumberText(number, texts), plain.toString(number, 'g', 15).toStdString())
          << locale.name().toStdString() << " " << number;
    }
  }
  const TextLocale ownForms;
  const Moment moment = *MomentOf(moments[0]);
  EXPECT_EQ(FormatMoment(ownForms, moment, everyField.toStdString(), MomentFields::Both) + ownForms.decimalPoint +
                ownForms.groupSeparator + ownForms.shortDateFormat + ownForms.longTimeFormat,
            FormatMoment(German(), moment, everyField.toStdString(), MomentFields::Both) + German().decimalPoint +
                German().groupSeparator + German().shortDateFormat + German().longTimeFormat);
}

}  // namespace
}  // namespace kelmarin
