#include <gtest/gtest.h>

#include "metadata/Definitions.h"

namespace kelmarin {
namespace {

class DefinitionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    defs.AddTagDefinition(defs.mainTags, 271, 0, "Hersteller", 0);
    defs.AddTagDefinition(defs.mainTags, 272, 1, "Modell, Teil 1", 3);
    defs.AddTagDefinition(defs.thumbnailTags, 259, 0, "Kompression", 2);
    defs.AddTagDefinition(defs.gpsTags, 1, 0, "Breite N/S", 0);
    ExifMakernote& canon = defs.makernoteTable[4];
    canon.cameraid = 4;
    defs.AddTagDefinition(canon.exif_tags, 6, 0, "Bildtyp", 0);
  }

  Definitions defs;
};

TEST_F(DefinitionsTest, EachSectionUsesOnlyItsOwnTable) {
  EXPECT_EQ(defs.TagName(0, kSectionMain, 271, 0), "Hersteller");
  EXPECT_EQ(defs.TagName(0, kSectionThumbnail, 271, 0), "");  // no fallback to the main table
  EXPECT_EQ(defs.TagName(0, kSectionMain, 259, 0), "");
  EXPECT_EQ(defs.TagName(0, kSectionThumbnail, 259, 0), "Kompression");
  EXPECT_EQ(defs.TagName(0, kSectionGps, 1, 0), "Breite N/S");
  EXPECT_EQ(defs.TagName(0, kSectionMain, 1, 0), "");
  const ExifTag* found = defs.FindTag(0, kSectionThumbnail, 259, 0);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->fmt, 2);
  EXPECT_EQ(found->tag, 259);
}

TEST_F(DefinitionsTest, MakernoteTagsOnlyThroughTheImagesMakerNumber) {
  EXPECT_EQ(defs.TagName(4, kSectionMakernote, 6, 0), "Bildtyp");
  EXPECT_EQ(defs.TagName(16, kSectionMakernote, 6, 0), "");  // another layout
  EXPECT_EQ(defs.TagName(10, kSectionMakernote, 6, 0), "");  // a maker number without layout
  EXPECT_EQ(defs.TagName(0, kSectionMakernote, 6, 0), "");
  EXPECT_EQ(defs.FindTag(10, kSectionMakernote, 6, 0), nullptr);
  EXPECT_EQ(defs.TagName(4, kSectionMain, 6, 0), "");
}

TEST_F(DefinitionsTest, SectionsOutsideOneToFourFindNothing) {
  for (std::int32_t section : {0, 5, 6, -1, 1000}) {
    EXPECT_EQ(defs.TagName(4, section, 271, 0), "") << section;
    EXPECT_EQ(defs.FindTag(4, section, 6, 0), nullptr) << section;
  }
}

TEST_F(DefinitionsTest, PositionIsPartOfTheKey) {
  EXPECT_EQ(defs.TagName(0, kSectionMain, 272, 0), "");
  EXPECT_EQ(defs.TagName(0, kSectionMain, 272, 1), "Modell, Teil 1");
  EXPECT_EQ(defs.TagName(0, kSectionMain, 271, 1), "");
  // The same tag at another position is a different key.
  EXPECT_NO_THROW(defs.AddTagDefinition(defs.mainTags, 271, 1, "Hersteller 2", 0));
}

TEST_F(DefinitionsTest, DuplicateKeyIsReportedAndNothingReplaced) {
  try {
    defs.AddTagDefinition(defs.mainTags, 271, 0, "Anders", 5);
    FAIL() << "duplicate accepted";
  } catch (const DuplicateKey& duplicate) {
    EXPECT_EQ(duplicate.code, 457);
  }
  EXPECT_EQ(defs.TagName(0, kSectionMain, 271, 0), "Hersteller");
  EXPECT_EQ(defs.FindTag(0, kSectionMain, 271, 0)->fmt, 0);
  // The same key in another table is fine.
  EXPECT_NO_THROW(defs.AddTagDefinition(defs.gpsTags, 271, 0, "Hersteller", 0));
}

TEST_F(DefinitionsTest, NegativeAndExtremeNumbersAreDistinctKeys) {
  defs.AddTagDefinition(defs.gpsTags, -1, 0, "minus eins", 0);
  defs.AddTagDefinition(defs.gpsTags, 0, -1, "Position minus eins", 0);
  defs.AddTagDefinition(defs.gpsTags, INT32_MIN, INT32_MAX, "Grenzen", 0);
  EXPECT_EQ(defs.TagName(0, kSectionGps, -1, 0), "minus eins");
  EXPECT_EQ(defs.TagName(0, kSectionGps, 0, -1), "Position minus eins");
  EXPECT_EQ(defs.TagName(0, kSectionGps, INT32_MIN, INT32_MAX), "Grenzen");
  EXPECT_EQ(defs.TagName(0, kSectionGps, 0, 0), "");
}

TEST(ExifTag, ValueNamesKeepTheirOrder) {
  ExifTag tag;
  tag.setze(274, 0, "Ausrichtung", 0);
  EXPECT_EQ(tag.inqnicecount(), 0);
  tag.addnice(1, "oben, links");
  const ExifTagNice& second = tag.addnice(1, "doppelt");
  EXPECT_EQ(second.id, 1);
  EXPECT_EQ(second.bezeichnung, "doppelt");
  tag.addnice(-3, "minus");
  ASSERT_EQ(tag.inqnicecount(), 3);
  EXPECT_EQ(tag.inqnice(1).bezeichnung, "oben, links");
  EXPECT_EQ(tag.inqnice(2).bezeichnung, "doppelt");
  EXPECT_EQ(tag.inqnice(3).id, -3);
}

TEST(Iptc, DatasetNumbersAreUnique) {
  Definitions defs;
  IptcTag& title = defs.AddIptcDefinition(5, "Objektname");
  EXPECT_EQ(title.tag, 5);
  EXPECT_EQ(title.bezeichnung, "Objektname");
  EXPECT_THROW(defs.AddIptcDefinition(5, "noch einmal"), DuplicateKey);
  EXPECT_EQ(defs.iptcTags.at(5).bezeichnung, "Objektname");
}

TEST(FocalEquiv, ModelIsNormalised) {
  EXPECT_EQ(NormaliseModel("XY 300 (Sonderserie)"), "XY300");
  EXPECT_EQ(NormaliseModel("xy300"), "XY300");
  EXPECT_EQ(NormaliseModel(" E-500 "), "E-500");
  EXPECT_EQ(NormaliseModel("(alles Klammer)"), "");
  EXPECT_EQ(NormaliseModel("a (b) (c)"), "A");
  EXPECT_EQ(NormaliseModel("Kamera\tX"), "KAMERA\tX");  // only spaces are removed
  EXPECT_EQ(NormaliseModel("größe"), "GRÖßE");          // Latin-1 letters are upper-cased too
  EXPECT_EQ(NormaliseModel("gr\xF6\xDF"
                           "e"),
            "GRÖßE");  // Windows-1252 bytes from an image
}

TEST(FocalEquiv, LooksUpByNormalisedModelIgnoringMake) {
  Definitions defs;
  defs.AddFocalEquiv("Hersteller", "XY 300 (Sonderserie)", 1.6);
  ASSERT_EQ(defs.focalEquivTable.size(), 1u);
  EXPECT_EQ(defs.focalEquivTable.at("XY300").camname, "XY300");
  EXPECT_DOUBLE_EQ(defs.FocalEquivFactor("", "XY 300"), 1.6);
  EXPECT_DOUBLE_EQ(defs.FocalEquivFactor("Andere", "xy300"), 1.6);
  EXPECT_DOUBLE_EQ(defs.FocalEquivFactor("", "XY 300 (Sonder)"), 1.6);
  EXPECT_DOUBLE_EQ(defs.FocalEquivFactor("", "XY 301"), 0.0);
}

TEST(FocalEquiv, AddRemoveAdd) {
  Definitions defs;
  defs.AddFocalEquiv("", "XY 300", 1.6);
  defs.AddFocalEquiv("", "xy300 (zwei)", 1.5);
  EXPECT_TRUE(defs.focalEquivTable.empty());
  EXPECT_DOUBLE_EQ(defs.FocalEquivFactor("", "XY300"), 0.0);
  defs.AddFocalEquiv("", "XY300", 1.3);
  EXPECT_DOUBLE_EQ(defs.FocalEquivFactor("", "XY300"), 1.3);
}

}  // namespace
}  // namespace kelmarin
