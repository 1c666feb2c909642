// The folder's records: from the summary, as column texts, in column order, and through the
// metadata filter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "browser/core/FolderRecords.h"
#include "present/TextLocale.h"

// Records are written with designated initializers naming only the fields a case needs.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace kelmarin {
namespace {

std::int64_t Wall(int year, int month, int day, int hour, int minute, int second = 0) {
  return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

TEST(RecordFromSummary, ParsesTimesAndKeepsOnlyUsableValues) {
  struct Case {
    const char* taken;
    const char* offset;
    std::optional<std::int64_t> local;
    std::optional<std::int32_t> minutes;
  };
  const Case cases[] = {
      {"2024-05-01T14:30:15", "+02:00", Wall(2024, 5, 1, 14, 30, 15), 120},
      {"1999-12-31 23:59:59", "-05:30", Wall(1999, 12, 31, 23, 59, 59), -330},
      {"2024-05-01T14:30:15", "Z", Wall(2024, 5, 1, 14, 30, 15), 0},
      {"2024-05-01T14:30:15", "+0100", Wall(2024, 5, 1, 14, 30, 15), 60},
      {"2024-05-01T14:30:15", "+2", Wall(2024, 5, 1, 14, 30, 15), std::nullopt},
      {"2024-05-01T14:30:15", "+19:00", Wall(2024, 5, 1, 14, 30, 15), std::nullopt},
      {"2024-13-01T14:30:15", "+02:00", std::nullopt, std::nullopt},
      {"2024-05-01T24:00:00", "+02:00", std::nullopt, std::nullopt},
      {"2024:05:01 14:30:15", "", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    PhotoSummary summary;
    summary.taken = c.taken;
    summary.offset = c.offset;
    const FolderRecord record = RecordFromSummary(summary);
    EXPECT_EQ(record.takenLocal, c.local) << c.taken << " " << c.offset;
    EXPECT_EQ(record.offsetMinutes, c.minutes) << c.taken << " " << c.offset;
  }

  PhotoSummary summary;
  summary.camera = "Nikon Z 6";
  summary.lens = "NIKKOR Z 85mm f/1.8 S";
  summary.focalLength = 85;
  summary.fNumber = 1.8;
  summary.exposureTime = 0.004;
  summary.iso = std::numeric_limits<double>::quiet_NaN();
  summary.rating = 6;
  summary.keywords = {"Berg", "See"};
  summary.width = 6000;
  summary.height = 4000;
  FolderRecord record = RecordFromSummary(summary);
  EXPECT_EQ(std::tuple(record.filled, record.camera, record.lens, record.focalLength, record.fNumber,
                       record.exposureTime, record.keywords, record.width, record.height),
            std::tuple(true, "Nikon Z 6", "NIKKOR Z 85mm f/1.8 S", 85.0f, 1.8f, 0.004f,
                       std::vector<std::string>{"Berg", "See"}, 6000, 4000));
  EXPECT_FALSE(record.iso || record.rating);
  summary.rating = -1;
  summary.height = 0;
  record = RecordFromSummary(summary);
  EXPECT_EQ(record.rating, -1);
  EXPECT_EQ(record.width, 0);
}

FolderRecord Sample() {
  return {.filled = true, .takenLocal = Wall(2024, 5, 10, 14, 30, 5), .offsetMinutes = 120,
          .camera = "Nikon Z 6", .lens = "EF85mm f/1.8 USM", .focalLength = 85, .fNumber = 2.8f,
          .exposureTime = 0.004f, .iso = 3200, .rating = 4, .keywords = {"Bergsee", "Urlaub"},
          .width = 6000, .height = 4000};
}

TEST(ColumnText, GermanForms) {
  const TextLocale german;
  FolderRecord r = Sample();
  const std::pair<FolderColumn, const char*> expected[] = {
      {FolderColumn::Taken, "10.05.2024 14:30:05 +02:00"},
      {FolderColumn::Camera, "Nikon Z 6"},
      {FolderColumn::Lens, "EF85mm f/1.8 USM"},
      {FolderColumn::FocalLength, "85 mm"},
      {FolderColumn::Aperture, "f/2,8"},
      {FolderColumn::Exposure, "1/250 s"},
      {FolderColumn::Iso, "ISO 3200"},
      {FolderColumn::Rating, "★★★★☆"},
      {FolderColumn::Keywords, "Bergsee, Urlaub"},
      {FolderColumn::PixelSize, "6000 × 4000"},
      {FolderColumn::Name, ""},
  };
  for (const auto& [column, text] : expected)
    EXPECT_EQ(ColumnText(r, column, german), text) << ColumnKey(column);

  r.offsetMinutes = -330;
  r.focalLength = 4.3f;
  r.fNumber = 8;
  r.exposureTime = 2.5f;
  r.rating = -1;
  EXPECT_EQ(ColumnText(r, FolderColumn::Taken, german), "10.05.2024 14:30:05 -05:30");
  EXPECT_EQ(ColumnText(r, FolderColumn::FocalLength, german), "4,3 mm");
  EXPECT_EQ(ColumnText(r, FolderColumn::Aperture, german), "f/8");
  EXPECT_EQ(ColumnText(r, FolderColumn::Exposure, german), "2,5 s");
  EXPECT_EQ(ColumnText(r, FolderColumn::Rating, german), "abgelehnt");
  r.offsetMinutes.reset();
  r.rating = 0;
  EXPECT_EQ(ColumnText(r, FolderColumn::Taken, german), "10.05.2024 14:30:05");
  EXPECT_EQ(ColumnText(r, FolderColumn::Rating, german), "☆☆☆☆☆");

  const FolderRecord empty;
  for (int c = 0; c < kFolderColumnCount; ++c) {
    EXPECT_EQ(ColumnText(empty, static_cast<FolderColumn>(c), german), "") << c;
  }
  EXPECT_EQ(ColumnTitle(FolderColumn::Keywords), "Stichwörter");
}

// Each case lists its records in the column's ascending order, ties by name, missing values last.
TEST(CompareRecords, ValuesInColumnOrderMissingLast) {
  const auto at = [](std::int64_t local, std::optional<std::int32_t> offset) {
    return FolderRecord{.takenLocal = local, .offsetMinutes = offset};
  };
  const auto iso = [](std::optional<float> value) { return FolderRecord{.iso = value}; };
  const auto text = [](const char* camera) { return FolderRecord{.camera = camera}; };
  const auto rating = [](std::optional<std::int8_t> value) { return FolderRecord{.rating = value}; };
  const auto size = [](int w, int h) { return FolderRecord{.width = w, .height = h}; };
  struct Case {
    const char* what;
    FolderColumn column;
    std::vector<FolderRecord> records;
    std::vector<std::size_t> ascending;
  };
  const std::int64_t ten = Wall(2024, 5, 1, 10, 0);
  const std::int64_t nine = Wall(2024, 5, 1, 9, 0);
  const Case cases[] = {
      // 10:00 +02:00 is 08:00 UTC, before 09:00 +00:00; without offsets the wall times count.
      {"utc", FolderColumn::Taken, {at(ten, 120), at(nine, 0), FolderRecord()}, {0, 1, 2}},
      {"local", FolderColumn::Taken, {at(ten, std::nullopt), at(nine, 0)}, {1, 0}},
      {"same utc, then local", FolderColumn::Taken, {at(ten, 60), at(nine, 0)}, {1, 0}},
      {"ties",
       FolderColumn::Iso,
       {iso(200), iso(100), iso(200), iso(std::nullopt), iso(100)},
       {1, 4, 0, 2, 3}},
      {"missing last", FolderColumn::Iso, {iso(std::nullopt), iso(std::nullopt), iso(50)}, {2, 0, 1}},
      {"text without case", FolderColumn::Camera, {text("Nikon"), text(""), text("canon")}, {2, 0, 1}},
      {"rejected lowest", FolderColumn::Rating, {rating(0), rating(-1), rating(5)}, {1, 0, 2}},
      {"pixels", FolderColumn::PixelSize, {size(6000, 4000), size(0, 0), size(4000, 3000)}, {2, 0, 1}},
  };
  for (const Case& c : cases) {
    for (std::size_t i = 0; i + 1 < c.ascending.size(); ++i) {
      const FolderRecord& a = c.records[c.ascending[i]];
      const FolderRecord& b = c.records[c.ascending[i + 1]];
      EXPECT_LE(CompareRecords(a, b, c.column), 0) << c.what << " " << i;
      EXPECT_GE(CompareRecords(b, a, c.column), 0) << c.what << " " << i;
    }
  }
  EXPECT_EQ(CompareRecords(at(ten, 120), at(nine, 0), FolderColumn::Taken), -1);
  EXPECT_EQ(CompareRecords(iso(100), iso(100), FolderColumn::Iso), 0);
  EXPECT_GT(CompareRecords(iso(std::nullopt), iso(100), FolderColumn::Iso), 0);
}

TEST(FolderFilter, MatchesTheLanguage) {
  const FolderRecord full = Sample();
  const FolderRecord empty;
  struct Case {
    const char* filter;
    bool full;   // the sample record, file "IMG_0001.JPG"
    bool empty;  // a record without values, file "leer.png"
  };
  const Case cases[] = {
      {"", true, true},
      {"  ,, ", true, true},
      {"Bewertung >= 3", true, false},
      {"Bewertung ≥ 5", false, false},
      {"bewertung>4", false, false},
      {"Bewertung != 4", false, true},
      {"Bewertung ≠ 4", false, true},
      {"Bewertung == 4", true, false},
      {"ISO > 3200", false, false},
      {"ISO:3200", true, false},
      {"ISO ≤ 3200", true, false},
      {"Blende <= 2,8", true, false},
      {"Blende <= 2.8", true, false},
      {"Blende < 2,8", false, false},
      {"Blende = f/2.8", true, false},
      {"Blende = F2,8", true, false},
      {"Brennweite = 85mm", true, false},
      {"Brennweite: 24..70", false, false},
      {"Brennweite: 70..200", true, false},
      {"Belichtung < 1/200", true, false},
      {"Belichtung = 1/250s", true, false},
      {"Objektiv: 85", true, false},
      {"Kamera: nikon", true, false},
      {"Kamera = nikon", false, false},
      {"Kamera = \"nikon z 6\"", true, false},
      {"Kamera != „Canon“", true, true},
      {"Stichwort = urlaub", true, false},
      {"STICHWÖRTER = urlaub", true, false},
      {"Stichwort: SEE", true, false},
      {"berg", true, false},
      {"img_0001", true, false},
      {"leer", false, true},
      {"\"z 6\"", false, false},
      {"urlaub, Bewertung >= 3", true, false},
      {"urlaub Bewertung >= 5", false, false},
      {"Name: .png", false, true},
      {"Datum: 2024-05-01..2024-05-31", true, false},
      {"Datum: 2024-05", true, false},
      {"Datum: 2024-05-10..2024-05-10", true, false},
      {"Datum: 2024", true, false},
      {"Datum: 10.05.2024", true, false},
      {"Datum = 2024-05-10T14:30", true, false},
      {"Datum >= 2024-05-11", false, false},
      {"Datum > 2024-05-09", true, false},
      {"Datum < 2024-05-10", false, false},
      {"Datum <= 2024-05-10", true, false},
      {"Datum: 2024-05-11..2024-06-30", false, false},
      {"Uhrzeit: 14:00..15:00", true, false},
      {"Uhrzeit: 14:30:06..15", false, false},
      {"Uhrzeit: 22..14", true, false},
      {"Uhrzeit: 22..02", false, false},
      {"Uhrzeit < 14:30", false, false},
  };
  for (const Case& c : cases) {
    std::string message = "alt";
    const std::optional<FolderFilter> filter = FolderFilter::Parse(c.filter, &message);
    ASSERT_TRUE(filter) << c.filter << ": " << message;
    EXPECT_EQ(message, "") << c.filter;
    EXPECT_EQ(filter->Matches(full, "IMG_0001.JPG"), c.full) << c.filter;
    EXPECT_EQ(filter->Matches(empty, "leer.png"), c.empty) << c.filter;
  }
  EXPECT_TRUE(FolderFilter().Matches(empty, ""));
}

TEST(FolderFilter, MalformedTextSaysWhatAndWhere) {
  const std::pair<std::string, const char*> cases[] = {
      {">= 3", "Vor „>=“ fehlt ein Merkmal (Zeichen 1)."},
      {"urlaub Blend >= 2", "Unbekanntes Merkmal „Blend“; bekannt sind"},
      {"urlaub Blend >= 2", "(Zeichen 8)."},
      {"ISO >", "Nach „ISO >“ fehlt ein Wert (Zeichen 6)."},
      {"ISO > ,", "fehlt ein Wert"},
      {"ISO > abc", "„abc“ ist keine Zahl (Zeichen 7)."},
      {"ä ISO > x", "(Zeichen 9)."},
      {"Datum: 2024-13-01", "„2024-13-01“ ist kein Datum"},
      {"Datum: 2024-04-31", "ist kein Datum"},
      {"Datum: 2024-05..bald", "„bald“ ist kein Datum; erwartet wird JJJJ-MM-TT"},
      {"Datum: 2024-05..bald", "(Zeichen 17)."},
      {"Uhrzeit: 25:00", "„25:00“ ist keine Uhrzeit"},
      {"Kamera > x", "Kamera wird nur mit „:“, „=“ oder „!=“ verglichen (Zeichen 8)."},
      {"Kamera: \"Canon", "Anführungszeichen ohne Ende (Zeichen 9)."},
      {"ISO >= 100..200", "Ein Bereich „A..B“ steht nur nach „:“"},
      {"ISO: 800..100", "Der Bereich „800..100“ ist leer"},
      {std::string(5000, 'a'), "Der Filter ist zu lang (höchstens 4096 Zeichen)."},
  };
  for (const auto& [text, expected] : cases) {
    std::string message;
    EXPECT_FALSE(FolderFilter::Parse(text, &message)) << text;
    EXPECT_NE(message.find(expected), std::string::npos) << text << ": " << message;
  }
  std::string many;
  for (int i = 0; i < 65; ++i) many += "a ";
  std::string message;
  EXPECT_FALSE(FolderFilter::Parse(many, &message));
  EXPECT_NE(message.find("Zu viele Bedingungen (höchstens 64)"), std::string::npos) << message;
  EXPECT_TRUE(FolderFilter::Parse(many.substr(2)));
}

}  // namespace
}  // namespace kelmarin
