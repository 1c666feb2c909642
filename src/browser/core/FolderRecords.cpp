#include "browser/core/FolderRecords.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <limits>
#include <new>

#include "browser/core/FormatTable.h"
#include "browser/core/PatternList.h"
#include "extract/ImageMetadata.h"
#include "extract/xmp/XmpSidecars.h"
#include "image/meta/MetadataOnly.h"
#include "present/Listing.h"
#include "present/ListingJson.h"
#include "present/MetadataSections.h"
#include "present/NumberText.h"
#include "present/TextLocale.h"

namespace kelmarin {

namespace {

bool Digits(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return false;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

int Number(std::string_view text, std::size_t at, std::size_t count) {
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

// "YYYY-MM-DDTHH:MM:SS" (a space for the T, anything after the seconds ignored) as seconds since
// 1970 of the wall clock; none for another form or a field out of its range.
std::optional<std::int64_t> WallSeconds(std::string_view text) {
  if (!Digits(text, 0, 4) || !Digits(text, 5, 2) || !Digits(text, 8, 2) || !Digits(text, 11, 2) ||
      !Digits(text, 14, 2) || !Digits(text, 17, 2) || text[4] != '-' || text[7] != '-' ||
      (text[10] != 'T' && text[10] != ' ') || text[13] != ':' || text[16] != ':') {
    return std::nullopt;
  }
  const int month = Number(text, 5, 2);
  const int day = Number(text, 8, 2);
  const int hour = Number(text, 11, 2);
  const int minute = Number(text, 14, 2);
  const int second = Number(text, 17, 2);
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) {
    return std::nullopt;
  }
  return DaysFromCivil(Number(text, 0, 4), month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

// "+02:00", "-0530", "+02", "Z" as minutes east of UTC; none for anything else or beyond ±18 hours.
std::optional<std::int32_t> OffsetMinutes(std::string_view text) {
  if (text == "Z") return 0;
  if (text.size() < 3 || (text[0] != '+' && text[0] != '-') || !Digits(text, 1, 2)) return std::nullopt;
  int minutes = 0;
  if (text.size() == 6 && text[3] == ':' && Digits(text, 4, 2)) {
    minutes = Number(text, 4, 2);
  } else if (text.size() == 5 && Digits(text, 3, 2)) {
    minutes = Number(text, 3, 2);
  } else if (text.size() != 3) {
    return std::nullopt;
  }
  const int total = Number(text, 1, 2) * 60 + minutes;
  if (minutes > 59 || total > 18 * 60) return std::nullopt;
  return text[0] == '-' ? -total : total;
}

std::optional<float> Finite(const std::optional<double>& value) {
  if (!value || !std::isfinite(*value) || std::fabs(*value) > std::numeric_limits<float>::max()) {
    return std::nullopt;
  }
  return static_cast<float>(*value);
}

// Files of the whole process's folders, each folder's sidecar names read once.
SidecarFinder& ProcessSidecars() {
  static SidecarFinder finder;
  return finder;
}

// The program's own German forms: the record keeps values, not texts, so the locale only shapes
// the summary's lines, which the record does not keep.
const FormatContext& RecordContext() {
  static const FormatContext context;
  return context;
}

FolderRecord ReadRecord(const std::filesystem::path& file, const Definitions& definitions,
                        SidecarFinder& sidecars, ListingCache& texts) {
  const std::string path = file.string();
  const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(path, TypeCodeForFileName(path));
  FolderRecord record;
  if (!read.error) {
    // What the summary reads: the rows of the metadata list (its EXIF values with their sources),
    // the maker, IPTC and colour profile, and the XMP with the sidecars.
    const ImageMetadata metadata = ReadMetadata(read.type, read.source, &definitions);
    const MetadataListing listing =
        ImageListing(definitions, metadata, RecordContext(), &texts, sidecars.For(file));
    record = RecordFromSummary(SummarizePhoto(definitions, metadata, listing, RecordContext().locale));
  }
  if (record.width <= 0 || record.height <= 0) {
    record.width = std::max(read.width, 0);
    record.height = std::max(read.height, 0);
  }
  record.filled = true;
  return record;
}

FolderRecord ReadOrEmpty(const std::filesystem::path& file, const Definitions& definitions,
                         SidecarFinder& sidecars, ListingCache& texts) {
  try {
    return ReadRecord(file, definitions, sidecars, texts);
  } catch (const std::exception&) {
    // Out of memory or an unexpected failure inside a reader: the file shows no values.
    FolderRecord record;
    record.filled = true;
    return record;
  }
}

}  // namespace

FolderRecord RecordFromSummary(const PhotoSummary& summary) {
  FolderRecord record;
  record.filled = true;
  if (summary.taken) record.takenLocal = WallSeconds(*summary.taken);
  if (record.takenLocal && summary.offset) record.offsetMinutes = OffsetMinutes(*summary.offset);
  if (summary.camera) record.camera = *summary.camera;
  if (summary.lens) record.lens = *summary.lens;
  record.focalLength = Finite(summary.focalLength);
  record.fNumber = Finite(summary.fNumber);
  record.exposureTime = Finite(summary.exposureTime);
  record.iso = Finite(summary.iso);
  if (summary.rating && *summary.rating >= -1 && *summary.rating <= 5) {
    record.rating = static_cast<std::int8_t>(*summary.rating);
  }
  record.keywords = summary.keywords;
  if (summary.width && summary.height && *summary.width > 0 && *summary.height > 0) {
    record.width = *summary.width;
    record.height = *summary.height;
  }
  return record;
}

FolderRecord ReadFolderRecord(const std::filesystem::path& file, const Definitions& definitions,
                              SidecarFinder& sidecars) {
  ListingCache texts;
  return ReadOrEmpty(file, definitions, sidecars, texts);
}

FolderRecord ReadFolderRecord(const std::filesystem::path& file, const Definitions& definitions) {
  return ReadFolderRecord(file, definitions, ProcessSidecars());
}

struct FolderRecordReader::Texts {
  ListingCache cache;
};

FolderRecordReader::FolderRecordReader(const Definitions& definitionsIn, SidecarFinder* sidecarsIn)
    : definitions(definitionsIn), sidecars(sidecarsIn), texts(std::make_unique<Texts>()) {}

FolderRecordReader::~FolderRecordReader() = default;

FolderRecord FolderRecordReader::Read(const std::filesystem::path& file) {
  return ReadOrEmpty(file, definitions, sidecars != nullptr ? *sidecars : ProcessSidecars(), texts->cache);
}

namespace {
constexpr std::array<std::string_view, kFolderColumnCount> kTitles = {
    "Dateiname",  "Aufnahmedatum", "Kamera",    "Objektiv",    "Brennweite", "Blende",
    "Belichtung", "ISO",           "Bewertung", "Stichwörter", "Bildgröße"};
constexpr std::array<std::string_view, kFolderColumnCount> kKeys = {
    "name", "taken", "camera", "lens", "focal", "aperture", "exposure", "iso", "rating", "keywords", "size"};

// A number to one decimal, without a trailing ",0" ("2,8", "85", "4,3").
std::string OneDecimal(double value, const TextLocale& locale) {
  return LocaleNumberText(std::round(value * 10.0) / 10.0, locale);
}

std::string TakenText(const FolderRecord& record, const TextLocale& locale) {
  std::string text = FormatMoment(locale, MomentOfSeconds(*record.takenLocal),
                                  locale.shortDateFormat + " " + locale.longTimeFormat, MomentFields::Both);
  if (record.offsetMinutes) {
    const std::int32_t offset = *record.offsetMinutes;
    text += ' ';
    text += offset < 0 ? locale.minusSign : locale.plusSign;
    const std::int32_t magnitude = offset < 0 ? -offset : offset;
    AppendLocaleDigits(text, locale, magnitude / 60, 2);
    text += locale.timeSeparator;
    AppendLocaleDigits(text, locale, magnitude % 60, 2);
  }
  return text;
}

// Short times as the fraction photographers set ("1/250 s"), from a quarter second on in seconds.
std::string ExposureText(double seconds, const TextLocale& locale) {
  if (seconds <= 0) return {};
  if (seconds < 0.25001) return "1/" + LocaleNumberText(std::round(1.0 / seconds), locale) + " s";
  return OneDecimal(seconds, locale) + " s";
}

std::string RatingText(std::int8_t rating) {
  if (rating < 0) return "abgelehnt";
  std::string stars;
  for (int i = 0; i < 5; ++i) stars += i < rating ? "★" : "☆";
  return stars;
}

std::string JoinedKeywords(const std::vector<std::string>& keywords) {
  std::string text;
  for (const std::string& keyword : keywords) {
    if (!text.empty()) text += ", ";
    text += keyword;
  }
  return text;
}

template <typename T>
int Order(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// Present before missing; both present: by value.
template <typename T>
int OrderOptional(const std::optional<T>& a, const std::optional<T>& b) {
  if (a && b) return Order(*a, *b);
  return Order(!a, !b);
}

int OrderText(const std::string& a, const std::string& b) {
  if (!a.empty() && !b.empty()) {
    const int folded = Order(FoldName(a), FoldName(b));
    return folded != 0 ? folded : Order(a, b);
  }
  return Order(a.empty(), b.empty());
}

// A time any picture can name: some ten million years either side of 1970 (a cache file may hold
// any number, and the UTC of one far beyond would not fit).
bool PlausibleTime(const FolderRecord& record) {
  constexpr std::int64_t kFar = std::int64_t{1} << 48;
  return record.takenLocal && *record.takenLocal > -kFar && *record.takenLocal < kFar;
}

int OrderTaken(const FolderRecord& a, const FolderRecord& b) {
  if (!a.takenLocal || !b.takenLocal) return OrderOptional(a.takenLocal, b.takenLocal);
  if (a.offsetMinutes && b.offsetMinutes && PlausibleTime(a) && PlausibleTime(b)) {
    const int utc = Order(*a.takenLocal - *a.offsetMinutes * 60LL, *b.takenLocal - *b.offsetMinutes * 60LL);
    if (utc != 0) return utc;
  }
  return Order(*a.takenLocal, *b.takenLocal);
}

std::int64_t Pixels(const FolderRecord& record) {
  return static_cast<std::int64_t>(record.width) * record.height;
}

}  // namespace

bool HasColumnValue(const FolderRecord& record, FolderColumn column) {
  switch (column) {
    case FolderColumn::Name:
      return true;
    case FolderColumn::Taken:
      return record.takenLocal.has_value();
    case FolderColumn::Camera:
      return !record.camera.empty();
    case FolderColumn::Lens:
      return !record.lens.empty();
    case FolderColumn::FocalLength:
      return record.focalLength.has_value();
    case FolderColumn::Aperture:
      return record.fNumber.has_value();
    case FolderColumn::Exposure:
      return record.exposureTime.has_value();
    case FolderColumn::Iso:
      return record.iso.has_value();
    case FolderColumn::Rating:
      return record.rating.has_value();
    case FolderColumn::Keywords:
      return !record.keywords.empty();
    case FolderColumn::PixelSize:
      return Pixels(record) > 0;
  }
  return false;
}

std::string_view ColumnTitle(FolderColumn column) {
  return kTitles[static_cast<std::size_t>(column)];
}
std::string_view ColumnKey(FolderColumn column) {
  return kKeys[static_cast<std::size_t>(column)];
}

std::string ColumnText(const FolderRecord& record, FolderColumn column, const TextLocale& locale) {
  if (!HasColumnValue(record, column)) return {};
  switch (column) {
    case FolderColumn::Name:
      return {};
    case FolderColumn::Taken:
      return TakenText(record, locale);
    case FolderColumn::Camera:
      return record.camera;
    case FolderColumn::Lens:
      return record.lens;
    case FolderColumn::FocalLength:
      return OneDecimal(*record.focalLength, locale) + " mm";
    case FolderColumn::Aperture:
      return "f/" + OneDecimal(*record.fNumber, locale);
    case FolderColumn::Exposure:
      return ExposureText(*record.exposureTime, locale);
    case FolderColumn::Iso:
      return "ISO " + LocaleNumberText(std::round(*record.iso), locale);
    case FolderColumn::Rating:
      return RatingText(*record.rating);
    case FolderColumn::Keywords:
      return JoinedKeywords(record.keywords);
    case FolderColumn::PixelSize:
      return PlainNumberText(record.width) + " × " + PlainNumberText(record.height);
  }
  return {};
}

int CompareRecords(const FolderRecord& a, const FolderRecord& b, FolderColumn column) {
  switch (column) {
    case FolderColumn::Name:
      return 0;
    case FolderColumn::Taken:
      return OrderTaken(a, b);
    case FolderColumn::Camera:
      return OrderText(a.camera, b.camera);
    case FolderColumn::Lens:
      return OrderText(a.lens, b.lens);
    case FolderColumn::FocalLength:
      return OrderOptional(a.focalLength, b.focalLength);
    case FolderColumn::Aperture:
      return OrderOptional(a.fNumber, b.fNumber);
    case FolderColumn::Exposure:
      return OrderOptional(a.exposureTime, b.exposureTime);
    case FolderColumn::Iso:
      return OrderOptional(a.iso, b.iso);
    case FolderColumn::Rating:
      return OrderOptional(a.rating, b.rating);
    case FolderColumn::Keywords:
      return OrderText(JoinedKeywords(a.keywords), JoinedKeywords(b.keywords));
    case FolderColumn::PixelSize: {
      if (Pixels(a) <= 0 || Pixels(b) <= 0) return Order(Pixels(a) <= 0, Pixels(b) <= 0);
      const int pixels = Order(Pixels(a), Pixels(b));
      return pixels != 0 ? pixels : Order(a.width, b.width);
    }
  }
  return 0;
}

}  // namespace kelmarin
