// The rows of the metadata list.
#include <gtest/gtest.h>

#include "PresentTestSupport.h"
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

}  // namespace
}  // namespace kelmarin
