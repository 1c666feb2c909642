// The lines of the place, the picture and the words from XMP.
#include <charconv>
#include <cmath>

#include "present/ListingJson.h"
#include "present/SummaryParts.h"

namespace kelmarin::summary {

namespace {

constexpr std::int32_t kPixelX = 0xA002;
constexpr std::int32_t kPixelY = 0xA003;
constexpr std::int32_t kImageWidth = 0x0100;
constexpr std::int32_t kImageHeight = 0x0101;
constexpr std::int32_t kOrientation = 0x0112;
constexpr std::int32_t kLatitudeRef = 1, kLatitude = 2, kLongitudeRef = 3, kLongitude = 4;
constexpr std::int32_t kAltitudeRef = 5, kAltitude = 6, kDirection = 17;

// Six decimals with a point, whatever the C library's locale.
std::string PointNumber(double value) {
  char text[48];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
  return std::string(text, result.ptr);
}

}  // namespace

void AddPlaceLine(const Rows& rows, const TextLocale& locale, PhotoSummary& summary) {
  const ListingRow* lat = rows.Find(kGps, kLatitude);
  const ListingRow* lon = rows.Find(kGps, kLongitude);
  if (lat == nullptr || lon == nullptr) return;
  const auto degrees = [](const ListingRow& row) -> std::optional<double> {
    double sum = 0.0, scale = 1.0;
    for (std::size_t i = 0; i < 3; ++i) {
      const std::optional<double> part = RawNumber(row.raw, i);
      if (!part) {
        if (i == 0) return std::nullopt;
        break;
      }
      if (!std::isfinite(*part) || *part < 0 || (i > 0 && *part >= 60.0)) return std::nullopt;
      sum += *part / scale;
      scale *= 60.0;
    }
    return sum;
  };
  std::optional<double> latitude = degrees(*lat), longitude = degrees(*lon);
  if (!latitude || !longitude || *latitude > 90.0 || *longitude > 180.0) return;
  const ListingRow* latRef = rows.Find(kGps, kLatitudeRef);
  const ListingRow* lonRef = rows.Find(kGps, kLongitudeRef);
  const bool south = latRef != nullptr && Trimmed(latRef->raw).starts_with('S');
  const bool west = lonRef != nullptr && Trimmed(lonRef->raw).starts_with('W');
  summary.latitude = south ? -*latitude : *latitude;
  summary.longitude = west ? -*longitude : *longitude;
  SummaryLine line{"place", "Ort", {}, lat->raw + "; " + lon->raw, {}};
  for (const ListingRow* row : {latRef, lat, lonRef, lon})
    if (row != nullptr) line.from.push_back(SourceOf(*row));
  line.text = Number(*latitude, locale, "0.000000") + "° " + (south ? "S" : "N") + ", " +
              Number(*longitude, locale, "0.000000") + "° " + (west ? "W" : "O");
  const ListingRow* altitude = rows.Find(kGps, kAltitude);
  if (const std::optional<double> metres = RowNumber(altitude); metres && std::isfinite(*metres)) {
    const ListingRow* ref = rows.Find(kGps, kAltitudeRef);
    const bool below = RowNumber(ref).value_or(0) == 1;
    summary.altitude = below ? -*metres : *metres;
    line.text += ", " + Number(*metres, locale) + " m " + (below ? "unter" : "über") + " dem Meeresspiegel";
    line.from.push_back(SourceOf(*altitude));
    if (ref != nullptr) line.from.push_back(SourceOf(*ref));
  }
  const ListingRow* direction = rows.Find(kGps, kDirection);
  if (const std::optional<double> angle = RowNumber(direction); angle && std::isfinite(*angle)) {
    line.text += ", Richtung " + Number(*angle, locale) + "°";
    line.from.push_back(SourceOf(*direction));
  }
  const std::string la = PointNumber(*summary.latitude), lo = PointNumber(*summary.longitude);
  line.text += ", https://www.openstreetmap.org/?mlat=" + la + "&mlon=" + lo + "#map=15/" + la + "/" + lo;
  summary.lines.push_back(std::move(line));
}

void AddPictureLine(const Rows& rows, PhotoSummary& summary) {
  SummaryLine line{"picture", "Bild", {}, {}, {}};
  const ListingRow* width = rows.Find(kMain, kPixelX);
  const ListingRow* height = rows.Find(kMain, kPixelY);
  if (width == nullptr || height == nullptr) {
    width = rows.Find(kMain, kImageWidth);
    height = rows.Find(kMain, kImageHeight);
  }
  const std::optional<double> w = RowNumber(width), h = RowNumber(height);
  std::vector<std::string> parts;
  if (w && h && *w > 0 && *h > 0 && *w < 2147483648.0 && *h < 2147483648.0) {
    summary.width = static_cast<std::int32_t>(*w);
    summary.height = static_cast<std::int32_t>(*h);
    parts.push_back(std::to_string(*summary.width) + " × " + std::to_string(*summary.height) + " Pixel");
    line.raw = width->raw + " × " + height->raw;
    line.from = {SourceOf(*width), SourceOf(*height)};
  }
  if (const ListingRow* orientation = rows.Find(kMain, kOrientation);
      orientation && !orientation->information.empty()) {
    parts.push_back(orientation->information);
    line.from.push_back(SourceOf(*orientation));
  }
  for (const IccEntry& entry : rows.Listing().icc) {
    if (entry.key != "description" || entry.information.empty()) continue;
    summary.profile = entry.information;
    parts.push_back(entry.information);
    line.from.push_back({kSectionColourProfile, entry.key});
  }
  if (parts.empty()) return;
  for (const std::string& part : parts) line.text += (line.text.empty() ? "" : ", ") + part;
  summary.lines.push_back(std::move(line));
}

// The first source's value of each property (the embedded packet before the sidecars).
void AddXmpLines(const MetadataListing& listing, PhotoSummary& summary) {
  const XmpEntry* rating = nullptr;
  const XmpEntry* percent = nullptr;
  const XmpEntry* label = nullptr;
  const XmpEntry* title = nullptr;
  std::vector<const XmpEntry*> subjects;
  for (const XmpEntry& entry : listing.xmp) {
    const std::string_view path = entry.path;
    if (path == "xmp:Rating" && rating == nullptr) rating = &entry;
    if (path == "MicrosoftPhoto:Rating" && percent == nullptr) percent = &entry;
    if (path == "xmp:Label" && label == nullptr) label = &entry;
    if (path.starts_with("dc:title[") && (title == nullptr || path == "dc:title[x-default]")) title = &entry;
    if (path.starts_with("dc:subject[") && (subjects.empty() || subjects.front()->source == entry.source))
      subjects.push_back(&entry);
  }
  if (const std::optional<double> stars = rating ? ParseDecimalNumber(Trimmed(rating->raw)) : std::nullopt;
      stars && *stars >= -1 && *stars <= 5) {
    summary.rating = static_cast<std::int32_t>(std::lround(*stars));
    summary.lines.push_back(
        {"rating", "Bewertung", rating->value, rating->raw, {{kSectionXmp, rating->path}}});
  } else if (const std::optional<double> share =
                 percent ? ParseDecimalNumber(Trimmed(percent->raw)) : std::nullopt;
             share && *share >= 1 && *share <= 99) {
    // Percent steps 1, 25, 50, 75, 99 stand for one to five stars.
    summary.rating = static_cast<std::int32_t>(*share < 25   ? 1
                                               : *share < 50 ? 2
                                               : *share < 75 ? 3
                                               : *share < 99 ? 4
                                                             : 5);
    std::string shown;
    for (int i = 0; i < 5; ++i) shown += i < *summary.rating ? "★" : "☆";
    summary.lines.push_back({"rating", "Bewertung", shown, percent->raw, {{kSectionXmp, percent->path}}});
  }
  if (label != nullptr && !Trimmed(label->value).empty()) {
    summary.label = Trimmed(label->value);
    summary.lines.push_back(
        {"label", "Farbmarkierung", *summary.label, label->raw, {{kSectionXmp, label->path}}});
  }
  if (title != nullptr && !Trimmed(title->value).empty()) {
    summary.title = title->value;
    summary.lines.push_back({"title", "Titel", title->value, title->raw, {{kSectionXmp, title->path}}});
  }
  if (subjects.empty()) return;
  SummaryLine line{"keywords", "Stichwörter", {}, {}, {}};
  for (const XmpEntry* subject : subjects) {
    if (subject->value.empty()) continue;
    summary.keywords.push_back(subject->value);
    line.text += (line.text.empty() ? "" : ", ") + subject->value;
    line.from.push_back({kSectionXmp, subject->path});
  }
  line.raw = line.text;
  if (!line.text.empty()) summary.lines.push_back(std::move(line));
}

}  // namespace kelmarin::summary
