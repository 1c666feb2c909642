#pragma once
// The pieces the summary's lines are built from: finding a row of the listing, reading numbers out of
// its raw column, and the time line (SummaryTime.cpp). Internal to the summary.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "present/Summary.h"

namespace kelmarin {

struct ListingRow;
struct MetadataListing;
struct TextLocale;

namespace summary {

inline constexpr std::int32_t kMain = 1;
inline constexpr std::int32_t kMakernote = 3;
inline constexpr std::int32_t kGps = 4;

// The listing's rows, found by section, tag, makernote sub-directory and position (0: the item's
// own row). Null when the file has no such row. The rows of one section stand together, so a search
// looks through that section's rows only.
class Rows {
 public:
  explicit Rows(const MetadataListing& listing);
  const ListingRow* Find(std::int32_t section, std::int32_t tag, std::int32_t directory = 0,
                         std::int32_t position = 0) const;
  const MetadataListing& Listing() const { return listing; }

 private:
  const MetadataListing& listing;
  static constexpr std::int32_t kSections = 5;                          // 1 main … 4 GPS
  std::array<std::pair<std::size_t, std::size_t>, kSections> ranges{};  // [first, last) of each section
};

// The row as a source of a line.
SummarySource SourceOf(const ListingRow& row);

// Value i (from 0) of a raw column text: a whole or decimal number, or a fraction "n/d" (none for
// a zero denominator or a text that is no number).
std::optional<double> RawNumber(std::string_view raw, std::size_t i = 0);
// The number of the row's first value, none for no row.
std::optional<double> RowNumber(const ListingRow* row, std::size_t i = 0);

// A local time "YYYY:MM:DD HH:MM:SS" of a date item, split into its fields. None for anything else,
// also for fields out of range ("0000:00:00 00:00:00" of cameras without a clock).
struct LocalTime {
  std::int32_t year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
std::optional<LocalTime> ParseExifTime(std::string_view text);
// Seconds since 1970 of the fields read as UTC, and back.
std::int64_t SecondsOf(const LocalTime& time);
LocalTime TimeOfSeconds(std::int64_t seconds);
// "YYYY-MM-DDTHH:MM:SS".
std::string IsoText(const LocalTime& time);
// An offset "+HH:MM" / "-HH:MM" in minutes; none for another form or beyond ±14 hours.
std::optional<std::int32_t> ParseOffset(std::string_view text);
std::string OffsetText(std::int32_t minutes);

// A text without the spaces and NULs around it.
std::string Trimmed(std::string text);
// A number in the locale's form by FormatNumber's pattern; optional decimals that are all left out
// take their separator with them ("135" of "0.#", not "135,").
std::string Number(double value, const TextLocale& locale, std::string_view pattern = "0.#");

// The lines "place" (GPS position, altitude, direction and the map link), "picture" (pixels,
// orientation, colour profile) and from XMP "rating", "label", "title" and "keywords".
void AddPlaceLine(const Rows& rows, const TextLocale& locale, PhotoSummary& summary);
void AddPictureLine(const Rows& rows, PhotoSummary& summary);
void AddXmpLines(const MetadataListing& listing, PhotoSummary& summary);

// The capture time line ("taken") with its facts; nothing when the file has no capture time.
void AddTakenLine(const Rows& rows, std::int32_t maker, const TextLocale& locale, PhotoSummary& summary);

}  // namespace summary
}  // namespace kelmarin
