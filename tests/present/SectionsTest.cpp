// The sections after GPS and the pairing of two files' rows: IPTC dates and times in the locale's
// forms (values that are no real date or time stay as stored); XMP values as shown (German locale
// forms), the rows of each source and the JSON member; the section "Farbprofil" with the facts of a
// profile as rows and as the JSON member "icc", damaged and unreadable profiles named, HEIF nclx
// information, and no section (nor member) without either; the pairing that --diff prints and
// "Vergleichen" shows.
#include <gtest/gtest.h>

#include <QLocale>

#include "../extract/IccTestProfiles.h"
#include "present/DateText.h"
#include "present/IccListing.h"
#include "present/ListingJson.h"
#include "present/RowPairing.h"
#include "present/XmpListing.h"
#include "present/qt/QtTextLocale.h"

namespace kelmarin::test {
namespace {

TEST(IptcDateText, RealDatesAndTimesOfTheDateDatasetsOnly) {
  const TextLocale german = TextLocaleOf(QLocale(QLocale::German, QLocale::Germany));
  const std::tuple<std::int32_t, const char*, const char*> cases[] = {
      {55, "19920101", "01.01.1992"}, {30, "20240229", "29.02.2024"},
      {47, "19920101,20010911", "01.01.1992, 11.09.2001"}, {60, "021111+0100", "02:11:11 +01:00"},
      {35, "235959-0530", "23:59:59 -05:30"}, {63, "000000", "00:00:00"}, {55, "20230229", ""},
      {55, "19920100", ""}, {55, "1992-01-01", ""}, {47, "19920101,x", ""}, {60, "240000", ""},
      {60, "021111+1500", ""}, {60, "021111*0100", ""},
      {5, "19920101", ""}};
  for (const auto& [dataset, stored, shown] : cases)
    EXPECT_EQ(IptcDateText(dataset, stored, german).value_or(""), shown) << dataset << " " << stored;
  const TextLocale us = TextLocaleOf(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(IptcDateText(55, "19920131", us).value_or(""), "1/31/1992");
}

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
      {kXmp, "Rating", "4", "★★★★☆"}, {kXmp, "Rating", "0", "☆☆☆☆☆"}, {kXmp, "Rating", "5.0", "★★★★★"},
      {kXmp, "Rating", "-1", "abgelehnt"}, {kXmp, "Rating", "7", "7"}, {kXmp, "Rating", "gut", "gut"},
      {"http://ns.microsoft.com/photo/1.0/", "Rating", "75", "75"},  // percent, not stars
      {kXmp, "CreateDate", "2024-05-01T14:23:05+02:00", "01.05.2024 14:23:05 +02:00"},
      {kXmp, "ModifyDate", "2024-05-01T14:23:05.25Z", "01.05.2024 14:23:05 UTC"},
      {kXmp, "MetadataDate", "2024-05-01T14:23-05:00", "01.05.2024 14:23:00 -05:00"},
      {"http://ns.adobe.com/photoshop/1.0/", "DateCreated", "2024-05-01", "01.05.2024"},
      {kXmp, "CreateDate", "gestern", "gestern"},
      {kXmp, "CreateDate", "2024-05-01T14:23:05+0200", "2024-05-01T14:23:05+0200"},
      {kExif, "GPSLatitude", "51,30.5N", "51,508333°"}, {kExif, "GPSLongitude", "7,15,36W", "-7,260000°"},
      {kExif, "GPSLatitude", "51,30,1,2N", "51,30,1,2N"}, {kExif, "GPSLatitude", "51.5", "51.5"},
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

std::string Json(const std::vector<IccEntry>& entries) {
  MetadataListing listing;
  listing.icc = entries;
  std::string out;
  AppendMetadataJson(out, listing);
  return out;
}

TEST(IccListing, FactsAsRowsAndJson) {
  const std::vector<std::uint8_t> profile = WideGamutProfile(L"Weiter Farbraum", 2.1, L"Frei");
  const std::vector<IccEntry> entries = IccEntries(EmbeddedIcc{profile, IccDamage::None, 1}, nullptr);
  const std::vector<ListingRow> rows = IccRows(entries);
  ASSERT_EQ(rows.size(), entries.size() + 2);
  EXPECT_EQ(rows[0].kind, RowKind::Separator);
  EXPECT_EQ(rows[1].kind, RowKind::Header);
  EXPECT_EQ(rows[1].label, "Farbprofil");
  EXPECT_TRUE(rows[1].red);
  const std::string size = std::to_string(profile.size());
  const std::vector<std::string> shown = {
      "description|Beschreibung|Weiter Farbraum|Weiter Farbraum", "class|Geräteklasse|Monitor|mntr",
      "colorSpace|Farbraum|RGB|RGB", "pcs|Verbindungsfarbraum|XYZ|XYZ", "version|Version|2.1.0|2.1.0",
      "intent|Wiedergabeabsicht|Perzeptiv|0", "creator|Ersteller|lcms|lcms", "date",
      "copyright|Copyright|Frei|Frei", "size|Größe|" + size + " Bytes|" + size};
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const ListingRow& row = rows[i + 2];
    EXPECT_EQ(row.tag == "date" ? "date" : row.tag + '|' + row.label + '|' + row.information + '|' + row.raw,
              shown[i]);
  }
  // The date: German form shown, ISO 8601 raw.
  ASSERT_EQ(rows[9].raw.size(), 19u);
  EXPECT_EQ(rows[9].information.substr(0, 10),
            rows[9].raw.substr(8, 2) + "." + rows[9].raw.substr(5, 2) + "." + rows[9].raw.substr(0, 4));

  const std::string json = Json(entries);
  EXPECT_NE(
      json.find(R"("comments":[],"icc":{"description":"Weiter Farbraum","class":"mntr","colorSpace":"RGB",)"
                R"("pcs":"XYZ","version":"2.1.0","intent":0,"creator":"lcms","date":")"),
      std::string::npos)
      << json;
  EXPECT_NE(json.find(R"("copyright":"Frei","size":)" + size + "},"), std::string::npos) << json;
}

TEST(IccListing, DamagedUnreadableNclxAndNone) {
  const NclxColour p3{12, 13, 6, true};
  struct Case {
    const char* name;
    EmbeddedIcc profile;
    const NclxColour* nclx;
    std::vector<std::pair<std::string, std::string>> entries;  // key, information
  };
  const Case cases[] = {
      {"none", {}, nullptr, {}},
      {"part missing", {{}, IccDamage::MissingPart, 2}, nullptr,
       {{"problem", "Farbprofil unvollständig: ein APP2-Segment fehlt"}}},
      {"parts not matching", {{}, IccDamage::Inconsistent, 3}, nullptr,
       {{"problem", "Farbprofil beschädigt: die APP2-Segmente passen nicht zueinander"}}},
      {"not a profile", {std::vector<std::uint8_t>(300, 7), IccDamage::None, 1}, nullptr,
       {{"problem", "Farbprofil nicht lesbar"}}},
      {"nclx only", {}, &p3,
       {{"nclx", "Primärvalenzen Display P3, Übertragung sRGB, Matrix BT.601, voller Bereich"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<IccEntry> entries = IccEntries(c.profile, c.nclx);
    std::vector<std::pair<std::string, std::string>> got;
    for (const IccEntry& e : entries) got.emplace_back(e.key, e.information);
    EXPECT_EQ(got, c.entries);
    EXPECT_EQ(IccRows(entries).size(), entries.empty() ? 0 : entries.size() + 2);
    EXPECT_EQ(Json(entries).find("\"icc\"") != std::string::npos, !entries.empty());
  }
  EXPECT_NE(Json(IccEntries({}, &p3)).find(R"("icc":{"nclx":"12/13/6/1"},)"), std::string::npos);
}

// "section/tag=information", a header as "[title]".
ListingRow R(std::int32_t section, std::string tag, std::string information, std::string label = "L",
             std::string raw = "") {
  return TextItemRow(section, std::move(tag), std::move(label), std::move(information), std::move(raw));
}

ListingRow H(std::string title) {
  ListingRow row = R(0, "", "", std::move(title));
  row.kind = RowKind::Header;
  return row;
}

// Each pair as "A|B|+" (differs) or "A|B|=", a side as "title:information" or "-".
std::vector<std::string> Pairs(const std::vector<ListingRow>& a, const std::vector<ListingRow>& b) {
  const auto side = [](const SectionItem* item) {
    return item == nullptr ? std::string("-") : *item->title + ":" + item->row->information;
  };
  const std::vector<SectionItem> itemsA = SectionItems(a), itemsB = SectionItems(b);
  std::vector<std::string> out;
  for (const RowPair& pair : PairRows(itemsA, itemsB))
    out.push_back(side(pair.a) + "|" + side(pair.b) + (pair.Differs() ? "|+" : "|="));
  return out;
}

TEST(RowPairing, PairsBySectionAndTagInOrder) {
  struct Case {
    std::vector<ListingRow> a, b;
    std::vector<std::string> expected;
  };
  ListingRow separator;
  separator.kind = RowKind::Separator;
  const Case cases[] = {
      // Equal rows; titles from the header before; separators are no items.
      {{R(1, "1", "x"), H("Main"), R(1, "2", "y")}, {R(1, "1", "x"), separator, H("Main"), R(1, "2", "y")},
       {":x|:x|=", "Main:y|Main:y|="}},
      // Information, label or raw column differing.
      {{R(1, "1", "x"), R(1, "2", "y"), R(1, "3", "z", "L", "r")},
       {R(1, "1", "X"), R(1, "2", "y", "M"), R(1, "3", "z", "L", "s")},
       {":x|:X|+", ":y|:y|+", ":z|:z|+"}},
      // A's order with its partners, then the items only in B in B's order; sections keep apart.
      {{R(1, "2", "a2"), R(1, "1", "a1"), R(1, "9", "a9"), R(4, "1", "g")},
       {R(1, "8", "b8"), R(1, "1", "b1"), R(2, "9", "a9"), R(1, "2", "a2"), R(4, "1", "g")},
       {":a2|:a2|=", ":a1|:b1|+", ":a9|-|+", ":g|:g|=", "-|:b8|+", "-|:a9|+"}},
      // Repeated keys n-th with n-th; items without a tag keyed by their label.
      {{R(5, "25", "Berg"), R(5, "25", "See"), R(6, "", "eins", "Comment")},
       {R(5, "25", "Berg"), R(6, "", "zwei", "Comment"), R(6, "", "eins", "Other")},
       {":Berg|:Berg|=", ":See|-|+", ":eins|:zwei|+", "-|:eins|+"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Pairs(c.a, c.b), c.expected);
}

}  // namespace
}  // namespace kelmarin::test
