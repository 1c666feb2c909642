#include "present/XmpListing.h"

#include <cmath>

#include "extract/xmp/XmpVocabulary.h"
#include "present/DateText.h"
#include "present/ListingJson.h"
#include "present/NumberText.h"

namespace kelmarin {

namespace {

constexpr std::string_view kXmpNamespace = "http://ns.adobe.com/xap/1.0/";
constexpr std::string_view kExifNamespace = "http://ns.adobe.com/exif/1.0/";
constexpr int kStars = 5;

std::string RatingText(const std::string& value) {
  const std::optional<double> number = ParseDecimalNumber(value);
  if (!number) return value;
  const long rounded = std::lround(*number);
  if (rounded == -1) return "abgelehnt";
  if (rounded < 0 || rounded > kStars) return value;
  std::string stars;
  for (int i = 0; i < kStars; ++i) stars += i < rounded ? "★" : "☆";
  return stars;
}

// "YYYY-MM-DDThh:mm:ss.sTZD" and its shorter forms: the moment in the locale's form, then the
// offset as written ("Z" as "UTC").
std::string DateText(const std::string& value, const TextLocale& locale) {
  if (value.size() < 10 || value[4] != '-') return value;
  std::string moment = value.substr(0, 10);
  std::string_view rest = std::string_view(value).substr(10);
  if (rest.starts_with('T') && rest.size() >= 6) {
    moment += ' ';
    moment += rest.substr(1, 5);
    rest.remove_prefix(6);
    if (rest.starts_with(':') && rest.size() >= 3) {
      moment += rest.substr(0, 3);
      rest.remove_prefix(3);
      while (!rest.empty() && (rest.front() == '.' || (rest.front() >= '0' && rest.front() <= '9'))) {
        rest.remove_prefix(1);
      }
    } else {
      moment += ":00";
    }
  }
  const std::optional<std::string> text = ExifDateText(moment, locale);
  if (!text) return value;
  if (rest.empty()) return *text;
  if (rest == "Z") return *text + " UTC";
  if ((rest.front() == '+' || rest.front() == '-') && rest.size() == 6)
    return *text + ' ' + std::string(rest);
  return value;
}

// "DDD,MM,SSk" or "DDD,MM.mmk" (k one of N, S, E, W) as signed decimal degrees.
std::string CoordinateText(const std::string& value, const TextLocale& locale) {
  if (value.size() < 4) return value;
  const char direction = value.back();
  if (direction != 'N' && direction != 'S' && direction != 'E' && direction != 'W') return value;
  const std::string_view body = std::string_view(value).substr(0, value.size() - 1);
  double parts[3] = {0, 0, 0};
  std::size_t count = 0;
  for (std::size_t start = 0;;) {
    if (count == 3) return value;
    const std::size_t comma = body.find(',', start);
    const std::optional<double> part =
        ParseDecimalNumber(body.substr(start, comma == std::string_view::npos ? comma : comma - start));
    if (!part) return value;
    parts[count++] = *part;
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (count < 2) return value;
  double degrees = parts[0] + parts[1] / 60.0 + parts[2] / 3600.0;
  if (direction == 'S' || direction == 'W') degrees = -degrees;
  return FormatNumber(degrees, "0.000000", locale) + "°";
}

bool IsDateName(std::string_view name) {
  return name.find("Date") != std::string_view::npos || name == "when";
}

bool IsCoordinateName(std::string_view name) {
  return name == "GPSLatitude" || name == "GPSLongitude" || name == "GPSDestLatitude" ||
         name == "GPSDestLongitude";
}

}  // namespace

std::string XmpValueText(const XmpProperty& property, const TextLocale& locale) {
  if (property.leafNs == kXmpNamespace && property.leafName == "Rating") return RatingText(property.value);
  if (property.leafNs == kExifNamespace && IsCoordinateName(property.leafName)) {
    return CoordinateText(property.value, locale);
  }
  if (IsDateName(property.leafName)) return DateText(property.value, locale);
  return property.value;
}

std::string XmpNoteText(const XmpNote& note) {
  std::string text = note.extended ? "Erweitertes XMP " : "XMP-Paket ";
  switch (note.problem) {
    case XmpProblem::Refused:
      return text + "abgewiesen: DOCTYPE- oder Entity-Deklaration";
    case XmpProblem::Damaged:
      return text + "beschädigt (Zeile " + std::to_string(note.line) + ", Spalte " +
             std::to_string(note.column) + "): nur die Angaben davor sind gelistet";
    case XmpProblem::TooLarge:
      return text + "größer als 16 MiB: nach 16 MiB abgeschnitten";
    case XmpProblem::TooDeep:
      return text + "tiefer als 256 Ebenen verschachtelt: dort abgeschnitten";
    case XmpProblem::TooMany:
      return text + "mit mehr als 100.000 Eigenschaften: dort abgeschnitten";
    case XmpProblem::Unreadable:
      return "XMP-Datei nicht lesbar";
    case XmpProblem::Incomplete:
      return text + "unvollständig (Lücke oder falsche Gesamtlänge): nicht gelistet";
    case XmpProblem::None:
      break;
  }
  return {};
}

std::vector<XmpEntry> XmpEntries(std::vector<XmpSource> sources, const XmpVocabulary* vocabulary,
                                 const TextLocale& locale) {
  std::vector<XmpEntry> entries;
  std::size_t count = 0;
  for (const XmpSource& source : sources) count += source.properties.size() + source.notes.size();
  entries.reserve(count);
  for (XmpSource& source : sources) {
    const std::string origin = source.origin.empty() ? std::string(kXmpEmbedded) : source.origin;
    for (XmpProperty& property : source.properties) {
      const std::string_view label =
          vocabulary != nullptr ? vocabulary->Label(property.leafNs, property.leafName) : std::string_view();
      std::string value = XmpValueText(property, locale);
      entries.push_back({origin, std::move(property.ns), std::move(property.path), std::string(label),
                         std::move(value), std::move(property.value)});
    }
    for (const XmpNote& note : source.notes)
      entries.push_back({origin, {}, {}, "Hinweis", XmpNoteText(note), {}});
  }
  return entries;
}

std::vector<ListingRow> XmpRows(const std::vector<XmpEntry>& entries) {
  std::vector<ListingRow> rows;
  ForEachXmpRow(entries, [&rows](const ListingRow& row) { rows.push_back(row); });
  return rows;
}

void ForEachXmpRow(const std::vector<XmpEntry>& entries, const std::function<void(const ListingRow&)>& each) {
  std::vector<ListingRow> titles;
  ListingRow item = TextItemRow(kSectionXmp, {}, {}, {}, {});
  const std::string* source = nullptr;
  for (const XmpEntry& entry : entries) {
    if (source == nullptr || *source != entry.source) {
      titles.clear();
      AppendSectionTitle(titles, kSectionXmp,
                         entry.source == kXmpEmbedded ? std::string("XMP") : "XMP (" + entry.source + ")");
      for (const ListingRow& title : titles) each(title);
      source = &entry.source;
    }
    item.tag.assign(entry.path);
    item.label.assign(entry.label);
    item.information.assign(entry.value);
    item.raw.assign(entry.raw);
    each(item);
  }
}

void FillXmp(const MetadataSource* embedded, const std::vector<std::filesystem::path>& sidecars,
             const TextLocale& locale, MetadataListing& listing) {
  const XmpVocabulary& vocabulary = ProcessXmpVocabulary();
  std::vector<XmpSource> sources;
  if (embedded != nullptr) {
    std::optional<XmpSource> source = ReadEmbeddedXmp(*embedded, &vocabulary);
    if (source) sources.push_back(std::move(*source));
  }
  for (const std::filesystem::path& sidecar : sidecars)
    sources.push_back(ReadSidecarFile(sidecar, &vocabulary));
  if (!sources.empty()) listing.xmp = XmpEntries(std::move(sources), &vocabulary, locale);
}

void AppendXmpJson(std::string& out, const std::vector<XmpEntry>& entries) {
  if (entries.empty()) return;
  out += "\"xmp\":[";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const XmpEntry& entry = entries[i];
    out += i > 0 ? ",{" : "{";
    AppendJsonTexts(out, {{"source", entry.source},
                          {"namespace", entry.ns},
                          {"path", entry.path},
                          {"label", entry.label},
                          {"value", entry.value}});
    out += '}';
  }
  out += "],";
}

}  // namespace kelmarin
