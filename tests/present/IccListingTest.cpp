// The section "Farbprofil": the facts of a profile as rows and as the JSON member "icc", damaged and
// unreadable profiles named, HEIF nclx information, and no section (nor member) without either.

#include <gtest/gtest.h>

#include "../extract/IccTestProfiles.h"
#include "present/IccListing.h"
#include "present/ListingJson.h"

namespace kelmarin::test {
namespace {

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
  const std::vector<std::string> shown = {"description|Beschreibung|Weiter Farbraum|Weiter Farbraum",
                                          "class|Geräteklasse|Monitor|mntr",
                                          "colorSpace|Farbraum|RGB|RGB",
                                          "pcs|Verbindungsfarbraum|XYZ|XYZ",
                                          "version|Version|2.1.0|2.1.0",
                                          "intent|Wiedergabeabsicht|Perzeptiv|0",
                                          "creator|Ersteller|lcms|lcms",
                                          "date",
                                          "copyright|Copyright|Frei|Frei",
                                          "size|Größe|" + size + " Bytes|" + size};
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
      {"part missing",
       {{}, IccDamage::MissingPart, 2},
       nullptr,
       {{"problem", "Farbprofil unvollständig: ein APP2-Segment fehlt"}}},
      {"parts not matching",
       {{}, IccDamage::Inconsistent, 3},
       nullptr,
       {{"problem", "Farbprofil beschädigt: die APP2-Segmente passen nicht zueinander"}}},
      {"not a profile",
       {std::vector<std::uint8_t>(300, 7), IccDamage::None, 1},
       nullptr,
       {{"problem", "Farbprofil nicht lesbar"}}},
      {"nclx only",
       {},
       &p3,
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
  EXPECT_EQ(Json({}).find("icc"), std::string::npos);
  EXPECT_NE(Json(IccEntries({}, &p3)).find(R"("icc":{"nclx":"12/13/6/1"},)"), std::string::npos);
}

}  // namespace
}  // namespace kelmarin::test
