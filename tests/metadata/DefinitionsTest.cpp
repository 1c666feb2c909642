#include <gtest/gtest.h>

#include "metadata/Definitions.h"

namespace kelmarin {
namespace {

TEST(Definitions, EachSectionAndMakerUsesOnlyItsOwnTable) {
  Definitions defs;
  defs.AddTagDefinition(defs.mainTags, 271, 0, "Hersteller", 0);
  defs.AddTagDefinition(defs.mainTags, 272, 1, "Modell, Teil 1", 3);
  defs.AddTagDefinition(defs.thumbnailTags, 259, 0, "Kompression", 2);
  defs.AddTagDefinition(defs.gpsTags, 1, 0, "Breite N/S", 0);
  defs.AddTagDefinition(defs.gpsTags, INT32_MIN, INT32_MAX, "Grenzen", 0);
  ExifMakernote& canon = defs.makernoteTable[4];
  canon.cameraid = 4;
  defs.AddTagDefinition(canon.exif_tags, 6, 0, "Bildtyp", 0);
  struct Case {
    std::int32_t maker, section, tag, position;
    const char* name;
  };
  const Case cases[] = {{0, kSectionMain, 271, 0, "Hersteller"},
                        {0, kSectionThumbnail, 271, 0, ""},
                        {0, kSectionMain, 259, 0, ""},
                        {0, kSectionThumbnail, 259, 0, "Kompression"},
                        {0, kSectionGps, 1, 0, "Breite N/S"},
                        {0, kSectionMain, 1, 0, ""},
                        {4, kSectionMakernote, 6, 0, "Bildtyp"},
                        {16, kSectionMakernote, 6, 0, ""},
                        {10, kSectionMakernote, 6, 0, ""},
                        {0, kSectionMakernote, 6, 0, ""},
                        {4, kSectionMain, 6, 0, ""},
                        {0, kSectionMain, 272, 0, ""},
                        {0, kSectionMain, 272, 1, "Modell, Teil 1"},
                        {0, kSectionMain, 271, 1, ""},
                        {0, kSectionGps, INT32_MIN, INT32_MAX, "Grenzen"},
                        {4, 0, 271, 0, ""},
                        {4, 5, 6, 0, ""},
                        {4, -1, 6, 0, ""}};
  for (const Case& c : cases) {
    EXPECT_EQ(defs.TagName(c.maker, c.section, c.tag, c.position), c.name) << c.section << " " << c.tag;
    EXPECT_EQ(defs.FindTag(c.maker, c.section, c.tag, c.position) != nullptr, *c.name != 0) << c.tag;
  }
  EXPECT_EQ(defs.FindTag(0, kSectionThumbnail, 259, 0)->fmt, 2);
  // A key given twice in one table is reported and replaces nothing; another table may hold it.
  try {
    defs.AddTagDefinition(defs.mainTags, 271, 0, "Anders", 5);
    FAIL() << "duplicate accepted";
  } catch (const DuplicateKey& duplicate) {
    EXPECT_EQ(duplicate.code, 457);
  }
  EXPECT_EQ(defs.FindTag(0, kSectionMain, 271, 0)->bezeichnung, "Hersteller");
  EXPECT_NO_THROW(defs.AddTagDefinition(defs.gpsTags, 271, 0, "Hersteller", 0));
}

TEST(FocalEquiv, LooksUpByNormalisedModelIgnoringMake) {
  EXPECT_EQ(NormaliseModel("XY 300 (Sonderserie)"), "XY300");
  EXPECT_EQ(NormaliseModel(" E-500 "), "E-500");
  EXPECT_EQ(NormaliseModel("(alles Klammer)"), "");
  EXPECT_EQ(NormaliseModel("a (b) (c)"), "A");
  EXPECT_EQ(NormaliseModel("Kamera\tX"), "KAMERA\tX");  // only spaces are removed
  EXPECT_EQ(NormaliseModel("größe"), "GRÖßE");          // Latin-1 letters are upper-cased too
  EXPECT_EQ(NormaliseModel("gr\xF6\xDF"
                           "e"),
            "GRÖßE");  // Windows-1252 bytes from an image
  Definitions defs;
  defs.AddFocalEquiv("Hersteller", "XY 300 (Sonderserie)", 1.6);
  EXPECT_DOUBLE_EQ(defs.FocalEquivFactor("Andere", "xy300"), 1.6);
  EXPECT_DOUBLE_EQ(defs.FocalEquivFactor("", "XY 300 (Sonder)"), 1.6);
  EXPECT_DOUBLE_EQ(defs.FocalEquivFactor("", "XY 301"), 0.0);
}

}  // namespace
}  // namespace kelmarin
