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

  // One letter per row: H header, S separator, I item, N no items.
  static std::string Shape(const std::vector<ListingRow>& rows) {
    std::string shape;
    for (const ListingRow& row : rows) {
      shape += row.kind == RowKind::Header      ? 'H'
               : row.kind == RowKind::Separator ? 'S'
               : row.kind == RowKind::Item      ? 'I'
                                                : 'N';
    }
    return shape;
  }

  test::Tables tables;
  ImageMetadata image;
};

TEST_F(MetadataList, NoItemsGivesOneRow) {
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].kind, RowKind::NoItems);
  EXPECT_TRUE(rows[0].tag.isEmpty());
  EXPECT_EQ(rows[0].label, Q("Keine Exif Infos"));
  EXPECT_TRUE(rows[0].information.isEmpty() && rows[0].raw.isEmpty());
}

TEST_F(MetadataList, MainOnlyStartsWithItsHeader) {
  tables.Main(271, 0, "Hersteller");
  Add(kSectionMain, Texts(271, {"Kelmarin"}));
  Add(kSectionMain, Numbers(274, {6}));
  const auto rows = Rows();
  ASSERT_EQ(Shape(rows), "HII");
  EXPECT_EQ(rows[0].label, Q("Sektion Main"));
  EXPECT_TRUE(rows[0].red);
  EXPECT_TRUE(rows[0].tag.isEmpty() && rows[0].information.isEmpty() && rows[0].raw.isEmpty());
  EXPECT_EQ(rows[1].tag, Q("271"));
  EXPECT_EQ(rows[1].label, Q("Hersteller"));
  EXPECT_EQ(rows[1].information, Q("Kelmarin"));
  EXPECT_EQ(rows[1].raw, Q("Kelmarin"));
  EXPECT_FALSE(rows[1].red);
  EXPECT_EQ(rows[2].label, Q("???"));
  EXPECT_EQ(rows[2].information, Q("6"));
  EXPECT_EQ(rows[2].raw, Q("6"));
}

TEST_F(MetadataList, GpsOnlyHasSeparatorBeforeHeader) {
  tables.Gps(2, 0, "Breite");
  Add(kSectionGps, Texts(2, {"50/1", "12/1", "3456/100"}));
  const auto rows = Rows();
  ASSERT_EQ(Shape(rows), "SHI");
  EXPECT_FALSE(rows[0].red);
  EXPECT_TRUE(rows[0].label.isEmpty());
  EXPECT_EQ(rows[1].label, Q("Sektion GPS"));
  EXPECT_TRUE(rows[1].red);
  EXPECT_EQ(rows[2].information, Q("50\u00B0 12' 34.56\""));
  EXPECT_EQ(rows[2].raw, Q("50/1,12/1,3456/100"));
}

TEST_F(MetadataList, FullImageInSectionOrder) {
  for (int i = 0; i < 12; ++i) Add(kSectionMain, Numbers(256 + i, {i}));
  for (int i = 0; i < 5; ++i) Add(kSectionMakernote, Numbers(1 + i, {i}));
  for (int i = 0; i < 3; ++i) Add(kSectionGps, Numbers(5 + i, {i}));
  image.camera_id = 7;
  const auto rows = Rows();
  EXPECT_EQ(Shape(rows),
            "H" + std::string(12, 'I') + "SH" + std::string(5, 'I') + "SH" + std::string(3, 'I'));
  EXPECT_EQ(rows[14].label, Q("Sektion Makernote"));
  EXPECT_EQ(rows[21].label, Q("Sektion GPS"));
  EXPECT_EQ(rows[15].section, kSectionMakernote);
  EXPECT_EQ(rows[15].label, Q("???"));      // maker 7 has no layout here
  EXPECT_EQ(rows[15].information, Q("0"));  // general rules, code 0
  Add(kSectionThumbnail, Numbers(259, {1}));
  EXPECT_EQ(Rows()[14].label, Q("Sektion Thumbnail"));
}

TEST_F(MetadataList, RawColumn) {
  tables.Main(1, 1);
  tables.Main(37510, 0);
  tables.Main(33434, 0);
  Add(kSectionMain, Numbers(1, {65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75}));
  Add(kSectionMain, Texts(33434, {"1/125"}));
  Add(kSectionMain, Texts(306, {"2004:12:24 18:30:00", "zweiter"}));
  const auto rows = Rows();
  EXPECT_EQ(rows[1].information, Q("ABCDEFGHIJK"));  // characters: no limit
  EXPECT_EQ(rows[1].raw, Q("65,66,67,68,69,70,71,72,73,74,...(11)"));
  EXPECT_EQ(rows[2].raw, Q("1/125"));
  EXPECT_EQ(rows[3].raw, Q("2004:12:24 18:30:00,zweiter"));
}

TEST_F(MetadataList, MakernoteUsesTheImageMakerAndFocalFactor) {
  tables.Makernote(2, 8, 0, "Modus").addnice(1, "Auto");
  tables.Main(37386, 1, "Brennweite");
  Add(kSectionMakernote, Numbers(8, {1}));
  Add(kSectionMain, Texts(37386, {"78/10"}));
  image.camera_id = 2;
  image.camera_feq = 4.86;
  const auto rows = Rows();
  ASSERT_EQ(Shape(rows), "HISHI");
  EXPECT_EQ(rows[1].information, Q("38mm"));
  EXPECT_EQ(rows[4].label, Q("Modus"));
  EXPECT_EQ(rows[4].information, Q("Auto"));
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
    other.ExifAdd(kSectionMain, 8, kTypNumbers, {std::int64_t{1}});
    other.ExifAdd(kSectionMakernote, 8, kTypNumbers, {std::int64_t{1}});
    other.ExifAdd(kSectionGps, 8, kTypNumbers, {std::int64_t{1}});
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
