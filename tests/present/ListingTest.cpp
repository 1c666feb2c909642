// The rows of the metadata list and the information labels.
#include <gtest/gtest.h>

#include <sstream>

#include "../metadata/RecordingReporter.h"
#include "PresentTestSupport.h"
#include "present/InfoLabels.h"
#include "present/Listing.h"

namespace kelmarin {
namespace {

using test::German;
using test::Numbers;
using test::Q;
using test::Texts;

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
      shape += "|" + (row.tag + "|" + row.label + "|" + row.information + "|" + row.raw).toStdString() + "\n";
    }
    return shape;
  }

  test::Tables tables;
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
  EXPECT_EQ(Rows()[7].label, Q("???"));
  EXPECT_EQ(Rows()[7].information, Q("1"));
  EXPECT_EQ(SectionTitle(5), QString());
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
    std::vector<QString> labels;
    for (const ListingRow& row : FillMetadataList(tables.defs, other, context, cache)) {
      if (row.kind == RowKind::Item) labels.push_back(row.label);
    }
    return labels;
  };
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(labelsOf(2), (std::vector<QString>{Q("Hauptbild"), Q("Modus"), Q("???")}));
    EXPECT_EQ(labelsOf(4), (std::vector<QString>{Q("Hauptbild"), Q("Blitz"), Q("???")}));
    EXPECT_EQ(labelsOf(1 << 30), (std::vector<QString>{Q("Hauptbild"), Q("???"), Q("???")}));
  }
}

// Makernote sub-directories and single values of lists, with definitions read by the loader.
constexpr const char* kSubdirectoryFile =
    "#version 2\n#makernote canon01\n+1,0,0,Liste\n+1,3,16,Signiert\n!-1,minus eins\n!3,drei\n"
    "+1,2,17,Byte\n+1,5,11,Unerreicht\n+3,0,0,Wortliste\n+3,2,18,Wort\n!258,Wort 258\n+3,3,18,Drittes Wort\n"
    "+0x100,0,0,Verweis\n#makernote canon01 0x2010\n+0x100,0,0,Im Verzeichnis\n+0x101,0,0,Liste dort\n"
    "+0x101,1,0,Erster Wert\n!7,sieben\n";

std::string Text(const ListingRow& row) {
  return (row.tag + u'|' + row.label + u'|' + row.information + u'|' + row.raw + u'|').toStdString() +
         std::to_string(row.directory) + "|" + std::to_string(row.position);
}

TEST(ArrayRows, SubDirectoriesAndPositionsGiveTheirRows) {
  std::istringstream in(kSubdirectoryFile);
  RecordingReporter reporter;
  const auto defs = LoadDefinitions(in, reporter);
  ASSERT_NE(defs, nullptr);
  ImageMetadata image;
  image.camera_id = 4;
  image.ExifAdd(3, 1, kTypNumbers, test::Numbers(1, {8, 254, 65535}).inhalt);
  image.ExifAdd(3, 3, kTypNumbers, test::Numbers(3, {0, 0, 0, 1, 0, 0, 1, 2, 9}).inhalt);
  image.ExifAdd(3, 0x100, kTypNumbers, {std::int64_t{2}});
  for (const std::int32_t tag : {0x100, 0x101}) {
    image.ExifAdd(3, tag, kTypNumbers, test::Numbers(tag, {7, 9}).inhalt)->directory = 0x2010;
  }
  std::vector<std::string> rows;
  for (const ListingRow& row : FillMetadataList(*defs, image, MakeFormatContext(test::German(), 1.0))) {
    if (row.kind == RowKind::Item) rows.push_back(Text(row));
  }
  const std::vector<std::string> expected = {
      "1|Liste|8,254,65535|8,254,65535|0|0",
      "1.2|Byte|-2|254|0|2",
      "1.3|Signiert|minus eins|65535|0|3",
      "3|Wortliste|0,0,0,1,0,0,1,2,9|0,0,0,1,0,0,1,2,9|0|0",
      "3.2|Wort|Wort 258|258|0|2",
      "256|Verweis|2|2|0|0",
      "8208:256|Im Verzeichnis|7,9|7,9|8208|0",
      "8208:257|Liste dort|7,9|7,9|8208|0",
      "8208:257.1|Erster Wert|sieben|7|8208|1",
  };
  EXPECT_EQ(rows, expected);
  image.camera_id = 0;  // without a layout, no sub-rows
  EXPECT_EQ(FillMetadataList(*defs, image, MakeFormatContext(test::German(), 1.0)).size(), 7u);
}

// The usual texts are checked in the information panel and the lister.
TEST(InfoLabels, EdgeValues) {
  const QDateTime morning(QDate(2024, 3, 4), QTime(7, 0, 0));
  const InfoLabels labels = MakeInfoLabels(German(), Q("ohne"), QString(), morning, 0, 0, 0, 0);
  EXPECT_EQ(labels.name, Q("ohne"));
  EXPECT_EQ(labels.modified, Q("zuletzt geändert: Montag, 4.3.2024 7:00:00"));
  EXPECT_EQ(labels.size, Q("Dateigröße: 0 Bytes"));
  EXPECT_EQ(MakeInfoLabels(German(), Q("a"), Q("b"), QDateTime(), 999, 1, 1, 1).modified,
            Q("zuletzt geändert: "));
  const QLocale finnish(QLocale::Finnish, QLocale::Finland);
  EXPECT_TRUE(MakeInfoLabels(finnish, Q("a"), Q("b"), morning, 1, 1, 1, 1).modified.endsWith(Q("7.00.00")));
}

}  // namespace
}  // namespace kelmarin
