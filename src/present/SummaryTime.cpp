// The capture time with its zone. EXIF 2.32, 4.6.5: OffsetTimeOriginal (0x9011) belongs to
// DateTimeOriginal; OffsetTime (0x9010) to DateTime and OffsetTimeDigitized (0x9012) to
// DateTimeDigitized, so neither of those two ever gives the capture's zone.
#include <array>
#include <cmath>
#include <cstdlib>

#include "metadata/Makers.h"
#include "present/ListingJson.h"
#include "present/SummaryParts.h"
#include "present/TextLocale.h"

namespace kelmarin::summary {

namespace {

constexpr std::int32_t kDateTimeOriginal = 0x9003;
constexpr std::int32_t kOffsetTimeOriginal = 0x9011;
constexpr std::int32_t kSubSecTimeOriginal = 0x9291;
constexpr std::int32_t kTimeZoneOffset = 0x882A;  // TIFF/EP 4.6: hours, first value for the capture
constexpr std::int32_t kGpsTimeStamp = 7;
constexpr std::int32_t kGpsDateStamp = 29;
constexpr std::int32_t kMaxOffsetMinutes = 14 * 60;
constexpr std::int32_t kNikon = 17;

// A makernote's time zone: the item and the positions of its zone in minutes and its daylight
// saving flag (minutes added when not 0; 0 = no such position).
struct MakerZone {
  std::int32_t maker;
  std::int32_t tag;
  std::int32_t zonePosition;
  std::int32_t daylightPosition;
};
// Canon TimeInfo (0x0035): size, zone in minutes, city, daylight saving (0 or 60).
constexpr std::array<MakerZone, 1> kMakerZones = {{{kMakerCanon01, 0x0035, 2, 4}}};

struct Offset {
  std::int32_t minutes = 0;
  std::string source;
  std::vector<SummarySource> from;
};

// A value stored as 32 bits, signed; anything out of their range gives a number no zone has.
std::int64_t Signed32(double value) {
  if (!(value >= -2147483648.0 && value <= 4294967295.0)) return std::int64_t{1} << 40;
  auto whole = static_cast<std::int64_t>(value);
  if (whole >= 0x80000000LL && whole <= 0xFFFFFFFFLL) whole -= 0x100000000LL;
  return whole;
}

// Nikon WorldTime (0x0024): four bytes, the zone in minutes as a signed 16-bit number in the
// makernote's byte order, daylight saving (not 0: one hour more), the date form. The byte order is
// the one that gives a zone in quarter hours within ±14 hours; for zones below 4 minutes (in effect
// only 0) both orders agree.
std::optional<Offset> NikonWorldTime(const Rows& rows) {
  const ListingRow* row = rows.Find(kMakernote, 0x0024);
  if (row == nullptr) return std::nullopt;
  std::array<std::int32_t, 3> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::optional<double> b = RawNumber(row->raw, i);
    if (!b || *b < 0 || *b > 255) return std::nullopt;
    bytes[i] = static_cast<std::int32_t>(*b);
  }
  for (const auto& [high, low] : {std::pair{bytes[0], bytes[1]}, std::pair{bytes[1], bytes[0]}}) {
    std::int32_t zone = high * 256 + low;
    if (zone >= 0x8000) zone -= 0x10000;
    if (std::abs(zone) > kMaxOffsetMinutes || zone % 15 != 0) continue;
    return Offset{zone + (bytes[2] != 0 ? 60 : 0), "Makernote", {SourceOf(*row)}};
  }
  return std::nullopt;
}

std::optional<Offset> MakernoteOffset(const Rows& rows, std::int32_t maker) {
  if (maker == kNikon) return NikonWorldTime(rows);
  for (const MakerZone& zone : kMakerZones) {
    if (zone.maker != maker) continue;
    const ListingRow* row = rows.Find(kMakernote, zone.tag, 0, zone.zonePosition);
    const std::optional<double> minutes = RowNumber(row);
    if (!minutes) continue;
    std::int64_t total = Signed32(*minutes);
    Offset offset{0, "Makernote", {SourceOf(*row)}};
    if (zone.daylightPosition != 0) {
      const ListingRow* daylight = rows.Find(kMakernote, zone.tag, 0, zone.daylightPosition);
      if (const std::optional<double> extra = RowNumber(daylight)) {
        total += Signed32(*extra);
        offset.from.push_back(SourceOf(*daylight));
      }
    }
    if (std::llabs(total) > kMaxOffsetMinutes) continue;
    offset.minutes = static_cast<std::int32_t>(total);
    return offset;
  }
  return std::nullopt;
}

// The zone the GPS time gives against the camera's clock, to the quarter hour; none when the two
// lie more than 14 hours apart (a clock never set, or a GPS fix from another day).
std::optional<Offset> GpsOffset(const Rows& rows, const LocalTime& local) {
  const ListingRow* date = rows.Find(kGps, kGpsDateStamp);
  const ListingRow* time = rows.Find(kGps, kGpsTimeStamp);
  if (date == nullptr || time == nullptr) return std::nullopt;
  const std::optional<LocalTime> day = ParseExifTime(date->raw + " 00:00:00");
  const std::optional<double> h = RawNumber(time->raw, 0);
  const std::optional<double> m = RawNumber(time->raw, 1);
  const std::optional<double> s = RawNumber(time->raw, 2);
  if (!day || !h || !m || !s) return std::nullopt;
  const double utc = static_cast<double>(SecondsOf(*day)) + *h * 3600 + *m * 60 + *s;
  const double difference = static_cast<double>(SecondsOf(local)) - utc;
  if (!(std::abs(difference) <= kMaxOffsetMinutes * 60.0 + 450.0)) return std::nullopt;
  const auto quarters = static_cast<std::int64_t>(std::llround(difference / 900.0));
  if (std::llabs(quarters) * 15 > kMaxOffsetMinutes) return std::nullopt;
  return Offset{static_cast<std::int32_t>(quarters * 15), "GPS", {SourceOf(*date), SourceOf(*time)}};
}

std::optional<Offset> CaptureOffset(const Rows& rows, std::int32_t maker, const LocalTime& local) {
  if (const ListingRow* row = rows.Find(kMain, kOffsetTimeOriginal)) {
    if (const std::optional<std::int32_t> minutes = ParseOffset(row->raw))
      return Offset{*minutes, "OffsetTimeOriginal", {SourceOf(*row)}};
  }
  if (const ListingRow* row = rows.Find(kMain, kTimeZoneOffset)) {
    if (const std::optional<double> hours = RowNumber(row); hours && std::abs(*hours) < 65536) {
      std::int64_t whole = static_cast<std::int64_t>(*hours);
      if (whole >= 0x8000 && whole <= 0xFFFF) whole -= 0x10000;  // stored unsigned
      if (std::llabs(whole) <= 14)
        return Offset{static_cast<std::int32_t>(whole * 60), "TimeZoneOffset", {SourceOf(*row)}};
    }
  }
  if (std::optional<Offset> offset = MakernoteOffset(rows, maker)) return offset;
  return GpsOffset(rows, local);
}

// Digits of SubSecTimeOriginal, spaces and anything after the digits dropped.
std::string SubSeconds(const Rows& rows, SummaryLine& line) {
  const ListingRow* row = rows.Find(kMain, kSubSecTimeOriginal);
  if (row == nullptr) return {};
  std::string digits;
  for (char c : row->raw) {
    if (c >= '0' && c <= '9') {
      digits += c;
    } else if (c != ' ' || !digits.empty()) {
      break;
    }
  }
  if (!digits.empty()) line.from.push_back(SourceOf(*row));
  return digits;
}

std::string MomentText(const TextLocale& locale, const LocalTime& time) {
  const Moment moment{time.year, time.month, time.day, time.hour, time.minute, time.second};
  return FormatMoment(locale, moment, locale.shortDateFormat + " " + locale.longTimeFormat,
                      MomentFields::Both);
}

std::string SourceText(const std::string& source) {
  if (source == "GPS") return "aus der GPS-Zeit abgeleitet";
  if (source == "Makernote") return "Zeitzone der Herstellerdaten";
  return source;
}

}  // namespace

void AddTakenLine(const Rows& rows, std::int32_t maker, const TextLocale& locale, PhotoSummary& summary) {
  const ListingRow* row = rows.Find(kMain, kDateTimeOriginal);
  if (row == nullptr) return;
  const std::optional<LocalTime> local = ParseExifTime(row->raw);
  if (!local) return;
  SummaryLine line{"taken", "Aufgenommen", MomentText(locale, *local), row->raw, {SourceOf(*row)}};
  const std::string sub = SubSeconds(rows, line);
  if (!sub.empty()) line.text += locale.decimalPoint + sub;
  summary.taken = IsoText(*local);
  if (const std::optional<Offset> offset = CaptureOffset(rows, maker, *local)) {
    const LocalTime utc = TimeOfSeconds(SecondsOf(*local) - std::int64_t{offset->minutes} * 60);
    summary.offset = OffsetText(offset->minutes);
    summary.offsetSource = offset->source;
    summary.utc = IsoText(utc) + "Z";
    line.text +=
        " " + *summary.offset + " (UTC " + MomentText(locale, utc) + "; " + SourceText(offset->source) + ")";
    line.from.insert(line.from.end(), offset->from.begin(), offset->from.end());
  }
  summary.lines.push_back(std::move(line));
}

std::optional<LocalTime> ParseExifTime(std::string_view text) {
  // "YYYY:MM:DD HH:MM:SS"; "-" is accepted in the date as some writers use it.
  if (text.size() < 19) return std::nullopt;
  const auto field = [&](std::size_t at, std::size_t width) -> std::optional<std::int32_t> {
    std::int32_t value = 0;
    for (std::size_t i = at; i < at + width; ++i) {
      if (text[i] < '0' || text[i] > '9') return std::nullopt;
      value = value * 10 + (text[i] - '0');
    }
    return value;
  };
  for (std::size_t at : {4u, 7u}) {
    if (text[at] != ':' && text[at] != '-') return std::nullopt;
  }
  if ((text[10] != ' ' && text[10] != 'T') || text[13] != ':' || text[16] != ':') return std::nullopt;
  const auto y = field(0, 4), mo = field(5, 2), d = field(8, 2), h = field(11, 2), mi = field(14, 2),
             s = field(17, 2);
  if (!y || !mo || !d || !h || !mi || !s) return std::nullopt;
  if (*y == 0 || *mo < 1 || *mo > 12 || *d < 1 || *d > 31 || *h > 23 || *mi > 59 || *s > 60)
    return std::nullopt;
  return LocalTime{*y, *mo, *d, *h, *mi, *s};
}

std::int64_t SecondsOf(const LocalTime& time) {
  return DaysFromCivil(time.year, time.month, time.day) * 86400 + time.hour * 3600 + time.minute * 60 +
         time.second;
}

LocalTime TimeOfSeconds(std::int64_t seconds) {
  const Moment m = MomentOfSeconds(seconds);
  return {m.year, m.month, m.day, m.hour, m.minute, m.second};
}

std::string IsoText(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second);
  return text;
}

std::optional<std::int32_t> ParseOffset(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.remove_suffix(1);
  if (text == "Z") return 0;
  if (text.size() != 6 || (text[0] != '+' && text[0] != '-') || text[3] != ':') return std::nullopt;
  const auto digit = [&](std::size_t i) { return text[i] >= '0' && text[i] <= '9'; };
  if (!digit(1) || !digit(2) || !digit(4) || !digit(5)) return std::nullopt;
  const std::int32_t minutes =
      ((text[1] - '0') * 10 + (text[2] - '0')) * 60 + (text[4] - '0') * 10 + (text[5] - '0');
  if (minutes > kMaxOffsetMinutes || (text[4] - '0') > 5) return std::nullopt;
  return text[0] == '-' ? -minutes : minutes;
}

std::string OffsetText(std::int32_t minutes) {
  char text[16];
  const std::int32_t a = std::abs(minutes);
  std::snprintf(text, sizeof text, "%c%02d:%02d", minutes < 0 ? '-' : '+', a / 60, a % 60);
  return text;
}

}  // namespace kelmarin::summary
