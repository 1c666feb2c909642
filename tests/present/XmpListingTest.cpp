// XMP values as shown (German locale forms), the rows of each source and the JSON member.
#include <gtest/gtest.h>

#include "present/ListingJson.h"
#include "present/XmpListing.h"

namespace kelmarin {
namespace {

constexpr char kXmp[] = "http://ns.adobe.com/xap/1.0/";
constexpr char kExif[] = "http://ns.adobe.com/exif/1.0/";

TEST(XmpListingTest, ValuesAsAReaderWantsThem) {
  struct Case {
    const char* ns;
    const char* name;
    const char* value;
    const char* shown;
  };
  const Case cases[] = {
      {kXmp, "Rating", "4", "★★★★☆"},
      {kXmp, "Rating", "0", "☆☆☆☆☆"},
      {kXmp, "Rating", "5.0", "★★★★★"},
      {kXmp, "Rating", "-1", "abgelehnt"},
      {kXmp, "Rating", "7", "7"},
      {kXmp, "Rating", "gut", "gut"},
      {"http://ns.microsoft.com/photo/1.0/", "Rating", "75", "75"},  // percent, not stars
      {kXmp, "CreateDate", "2024-05-01T14:23:05+02:00", "01.05.2024 14:23:05 +02:00"},
      {kXmp, "ModifyDate", "2024-05-01T14:23:05.25Z", "01.05.2024 14:23:05 UTC"},
      {kXmp, "MetadataDate", "2024-05-01T14:23-05:00", "01.05.2024 14:23:00 -05:00"},
      {"http://ns.adobe.com/photoshop/1.0/", "DateCreated", "2024-05-01", "01.05.2024"},
      {kXmp, "CreateDate", "gestern", "gestern"},
      {kXmp, "CreateDate", "2024-05-01T14:23:05+0200", "2024-05-01T14:23:05+0200"},
      {kExif, "GPSLatitude", "51,30.5N", "51,508333°"},
      {kExif, "GPSLongitude", "7,15,36W", "-7,260000°"},
      {kExif, "GPSLatitude", "51,30,1,2N", "51,30,1,2N"},
      {kExif, "GPSLatitude", "51.5", "51.5"},
      {"http://example.org/", "GPSLatitude", "51,30.5N", "51,30.5N"},
  };
  const TextLocale german;
  for (const Case& c : cases) {
    const XmpProperty property{c.ns, "p", c.ns, c.name, c.value};
    EXPECT_EQ(XmpValueText(property, german), c.shown) << c.name << " " << c.value;
  }
}

TEST(XmpListingTest, EachSourceHasItsSectionAndJsonOnlyWhenThereIsXmp) {
  MetadataListing listing;
  std::string none;
  AppendMetadataJson(none, listing);
  EXPECT_EQ(none.find("xmp"), std::string::npos);

  XmpSource embedded;
  embedded.properties.push_back({kXmp, "xmp:Rating", kXmp, "Rating", "3"});
  embedded.notes.push_back({XmpProblem::Damaged, false, 4, 2});
  XmpSource sidecar;
  sidecar.origin = "IMG_1.xmp";
  sidecar.properties.push_back({"u", "q:x", "u", "x", "\"1\""});
  listing.xmp = XmpEntries({embedded, sidecar}, nullptr, TextLocale());
  std::string json;
  AppendXmpJson(json, listing.xmp);
  EXPECT_EQ(json,
            "\"xmp\":[{\"source\":\"eingebettet\",\"namespace\":\"http://ns.adobe.com/xap/1.0/"
            "\",\"path\":\"xmp:Rating\","
            "\"label\":\"\",\"value\":\"★★★☆☆\"},{\"source\":\"eingebettet\",\"namespace\":\"\",\"path\":"
            "\"\",\"label\":"
            "\"Hinweis\",\"value\":\"XMP-Paket beschädigt (Zeile 4, Spalte 2): nur die Angaben davor sind "
            "gelistet\"},"
            "{\"source\":\"IMG_1.xmp\",\"namespace\":\"u\",\"path\":\"q:x\",\"label\":\"\",\"value\":"
            "\"\\\"1\\\"\"}],");
  std::string titles;
  for (const ListingRow& row : XmpRows(listing.xmp)) {
    if (row.kind == RowKind::Header) titles += row.label + ";";
    EXPECT_EQ(row.section, kSectionXmp);
  }
  EXPECT_EQ(titles, "XMP;XMP (IMG_1.xmp);");
}

}  // namespace
}  // namespace kelmarin
