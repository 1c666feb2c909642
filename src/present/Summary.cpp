// The lines of "Auf einen Blick", each from the rows of the listing it names as its sources, so that
// what the block says can always be found in the list below it.
#include "present/Summary.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <string_view>

#include "extract/ImageMetadata.h"
#include "metadata/Makers.h"
#include "present/Lens.h"
#include "present/ListingJson.h"
#include "present/SummaryParts.h"

namespace kelmarin {

namespace summary {

Rows::Rows(const MetadataListing& owner) : listing(owner) {
  for (std::size_t i = 0; i < listing.rows.size(); ++i) {
    const std::int32_t section = listing.rows[i].section;
    if (section <= 0 || section >= kSections) continue;
    auto& [first, last] = ranges[static_cast<std::size_t>(section)];
    if (last == 0) first = i;
    last = i + 1;
  }
}

const ListingRow* Rows::Find(std::int32_t section, std::int32_t tag, std::int32_t directory,
                             std::int32_t position) const {
  if (section <= 0 || section >= kSections) return nullptr;
  const auto [first, last] = ranges[static_cast<std::size_t>(section)];
  for (std::size_t i = first; i < last; ++i) {
    const ListingRow& row = listing.rows[i];
    if (row.tagNumber == tag && row.section == section && row.kind == RowKind::Item &&
        row.directory == directory && row.position == position)
      return &row;
  }
  return nullptr;
}

SummarySource SourceOf(const ListingRow& row) {
  return {row.section, row.tag};
}

std::optional<double> RawNumber(std::string_view raw, std::size_t i) {
  for (std::size_t k = 0; k < i; ++k) {
    const std::size_t comma = raw.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    raw.remove_prefix(comma + 1);
  }
  raw = raw.substr(0, raw.find(','));
  const std::size_t slash = raw.find('/');
  if (slash == std::string_view::npos) {
    const std::optional<double> value = ParseDecimalNumber(raw);
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
  }
  const std::optional<double> numerator = ParseDecimalNumber(raw.substr(0, slash));
  const std::optional<double> denominator = ParseDecimalNumber(raw.substr(slash + 1));
  if (!numerator || !denominator || *denominator == 0.0) return std::nullopt;
  const double value = *numerator / *denominator;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<double> RowNumber(const ListingRow* row, std::size_t i) {
  if (row == nullptr) return std::nullopt;
  return RawNumber(row->raw, i);
}

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.pop_back();
  std::size_t start = 0;
  while (start < text.size() && text[start] == ' ') ++start;
  return text.substr(start);
}

// A number in the locale's form; a pattern with optional decimals drops the separator they leave
// ("135." of "0.#" becomes "135").
std::string Number(double value, const TextLocale& locale, std::string_view pattern) {
  std::string text = FormatNumber(value, pattern, locale);
  if (!locale.decimalPoint.empty() && text.ends_with(locale.decimalPoint))
    text.resize(text.size() - locale.decimalPoint.size());
  return text;
}

}  // namespace summary

namespace {

using summary::kMain;
using summary::kMakernote;
using summary::Number;
using summary::RowNumber;
using summary::Rows;
using summary::SourceOf;
using summary::Trimmed;

constexpr std::int32_t kMake = 0x010F;
constexpr std::int32_t kModel = 0x0110;
constexpr std::int32_t kBodySerial = 0xA431;
// The body's serial number in a makernote, when EXIF has none: Canon 0x000C, Nikon 0x001D, Olympus
// 0x0404.
constexpr std::array<std::pair<std::int32_t, std::int32_t>, 3> kMakerSerials = {
    {{kMakerCanon01, 0x000C}, {kMakerNikon02, 0x001D}, {kMakerOlympus01, 0x0404}}};
constexpr std::int32_t kExposureTime = 0x829A;
constexpr std::int32_t kFNumber = 0x829D;
constexpr std::int32_t kIso = 0x8827;
constexpr std::int32_t kShutterSpeedValue = 0x9201;
constexpr std::int32_t kApertureValue = 0x9202;
constexpr std::int32_t kExposureBias = 0x9204;
constexpr std::int32_t kProgram = 0x8822;
constexpr std::int32_t kMetering = 0x9207;
constexpr std::int32_t kFlash = 0x9209;
constexpr std::int32_t kFocalLength = 0x920A;
constexpr std::int32_t kFocalLength35 = 0xA405;
constexpr std::int32_t kFocalPlaneX = 0xA20E;
constexpr std::int32_t kFocalPlaneY = 0xA20F;
constexpr std::int32_t kFocalPlaneUnit = 0xA210;
constexpr std::int32_t kPixelX = 0xA002;
constexpr std::int32_t kPixelY = 0xA003;
constexpr std::int32_t kDigitalZoom = 0xA404;
constexpr std::int32_t kCanonFocalLength = 0x0002;
// Where Kodak's makernotes keep the exposure time (in 1/100000 s) and the f-number (× 100): the
// "KDK" layout, and that of the DC240 and its kin.
struct KodakExposure {
  std::int32_t maker;
  std::int32_t exposureTime;
  std::int32_t fNumber;
};
constexpr std::array<KodakExposure, 2> kKodakExposures = {{{kMakerKodak02, 0x20, 0x1E}, {kMakerKodak03, 0x38, 0x3C}}};
constexpr std::int32_t kMinoltaExposurePosition = 10;
constexpr std::int32_t kMinoltaFNumberPosition = 11;
constexpr double kFullFrameDiagonal = 43.2666;  // mm, 36 × 24
constexpr double kMaxCropFactor = 10.0;

// Where a maker keeps the ISO when EXIF has none (or 65535, "more than 65534"): the makernote item
// and position, and how its value reads.
enum class IsoForm { Raw, Shown, OlympusApex, CanonAuto };
struct MakerIso {
  std::int32_t maker;
  std::int32_t tag;
  std::int32_t position;
  IsoForm form;
};
constexpr std::array<MakerIso, 10> kMakerIsos = {{
    {kMakerCanon01, 0x0001, 17, IsoForm::Shown},         // Canon CameraSettings: ISO code, shown as its speed
    {kMakerCanon01, 0x0004, 3, IsoForm::CanonAuto},      // Canon ShotInfo: base ISO × automatic ISO (code "Auto")
    {kMakerNikon02, 0x0002, 2, IsoForm::Raw},            // Nikon ISO: 0, speed
    {kMakerAsahi01, 0x0014, 0, IsoForm::Shown},          // Pentax ISO code, shown "ISO 100"
    {kMakerAsahi02, 0x0014, 0, IsoForm::Shown},          // Pentax (AOC header)
    {kMakerOlympus01, 0x1001, 0, IsoForm::OlympusApex},  // Olympus ISOValue: 100 × 2^(v − 5)
    {kMakerCasio01, 0x0014, 0, IsoForm::Shown},          // Casio, first layout: ISO code
    {kMakerCasio02, 0x3014, 0, IsoForm::Raw},            // Casio, "QVC" layout: the speed
    {kMakerCasio02, 0x0014, 0, IsoForm::Shown},          // Casio, "QVC" layout: ISO code
    {kMakerKodak02, 0x0060, 0, IsoForm::Raw},            // Kodak "KDK" layout: the speed
}};

// The first whole number in a text ("ISO 400" → 400).
std::optional<double> FirstNumber(std::string_view text) {
  const std::size_t start = text.find_first_of("0123456789");
  if (start == std::string_view::npos) return std::nullopt;
  const std::size_t end = text.find_first_not_of("0123456789", start);
  return ParseDecimalNumber(text.substr(start, end == std::string_view::npos ? end : end - start));
}

void AddCameraLine(const Rows& rows, std::int32_t maker, PhotoSummary& summary) {
  const ListingRow* make = rows.Find(kMain, kMake);
  const ListingRow* model = rows.Find(kMain, kModel);
  const std::string makeText = make ? Trimmed(make->information) : std::string();
  const std::string modelText = model ? Trimmed(model->information) : std::string();
  if (makeText.empty() && modelText.empty()) return;
  SummaryLine line{"camera", "Kamera", {}, {}, {}};
  // "Canon" + "Canon EOS 5D" is one name, and so is "NIKON CORPORATION" + "NIKON D70": a model that
  // starts with the make's first word (any case) names the maker itself.
  const auto startsWithMake = [&] {
    const std::string word = makeText.substr(0, makeText.find(' '));
    if (word.empty() || modelText.size() < word.size()) return false;
    if (modelText.size() > word.size() && modelText[word.size()] != ' ' && modelText[word.size()] != '-')
      return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
      if (std::tolower(static_cast<unsigned char>(word[i])) !=
          std::tolower(static_cast<unsigned char>(modelText[i])))
        return false;
    }
    return true;
  };
  std::string name = startsWithMake() || makeText.empty() ? modelText
                     : modelText.empty()                  ? makeText
                                                          : makeText + " " + modelText;
  summary.camera = name;
  line.text = name;
  line.raw = (make ? make->raw : std::string()) + " / " + (model ? model->raw : std::string());
  if (make) line.from.push_back(SourceOf(*make));
  if (model) line.from.push_back(SourceOf(*model));
  const ListingRow* serial = rows.Find(kMain, kBodySerial);
  for (const auto& [number, tag] : kMakerSerials) {
    if (serial == nullptr && number == maker) serial = rows.Find(kMakernote, tag);
  }
  if (serial != nullptr && !Trimmed(serial->information).empty()) {
    line.text += " (Seriennummer " + Trimmed(serial->information) + ")";
    line.from.push_back(SourceOf(*serial));
  }
  summary.lines.push_back(std::move(line));
}

void AddLensLine(const ImageMetadata& metadata, PhotoSummary& summary) {
  std::optional<LensAnswer> lens = ResolveLens(metadata, ProcessLensTable());
  if (!lens || lens->text.empty()) return;
  summary.lens = lens->text;
  summary.lines.push_back({"lens", "Objektiv", lens->text, lens->raw, std::move(lens->from)});
}

std::optional<double> MakernoteIso(const Rows& rows, std::int32_t maker, SummaryLine& line) {
  for (const MakerIso& entry : kMakerIsos) {
    if (entry.maker != maker) continue;
    const ListingRow* row = rows.Find(kMakernote, entry.tag, 0, entry.position);
    if (row == nullptr) continue;
    std::optional<double> iso;
    if (entry.form == IsoForm::Raw) iso = RowNumber(row);
    if (entry.form == IsoForm::Shown) iso = FirstNumber(row->information);
    if (entry.form == IsoForm::CanonAuto) {
      // Both in 1/32 steps, signed 16-bit: base 100 × 2^(v/32) / 32, automatic 2^(v/32) (in 100 %).
      const ListingRow* automatic = rows.Find(kMakernote, entry.tag, 0, 2);
      const std::optional<double> base = RowNumber(row), factor = RowNumber(automatic);
      if (base && factor) {
        const auto signed16 = [](double v) { return v >= 32768 && v < 65536 ? v - 65536 : v; };
        iso = 100.0 * std::exp2(signed16(*base) / 32.0) / 32.0 * std::exp2(signed16(*factor) / 32.0);
        line.from.push_back(SourceOf(*automatic));
      }
    }
    if (entry.form == IsoForm::OlympusApex) {
      if (const std::optional<double> apex = RowNumber(row)) iso = std::round(100.0 * std::exp2(*apex - 5.0));
    }
    if (iso && *iso > 0 && *iso < 65535) {
      line.from.push_back(SourceOf(*row));
      return iso;
    }
  }
  return std::nullopt;
}

// "1/250 s" below one second (as the reciprocal, to the whole number), "2 s" or "2,5 s" above.
std::string ExposureText(double seconds, const TextLocale& locale) {
  if (seconds > 0 && seconds < 1.0) return "1/" + Number(std::round(1.0 / seconds), locale, "0") + " s";
  return Number(seconds, locale) + " s";
}

void AddExposureLine(const Rows& rows, std::int32_t maker, const TextLocale& locale, PhotoSummary& summary) {
  SummaryLine line{"exposure", "Belichtung", {}, {}, {}};
  std::vector<std::string> parts;
  const auto take = [&](std::int32_t tag) -> const ListingRow* {
    const ListingRow* row = rows.Find(kMain, tag);
    if (row != nullptr) {
      line.from.push_back(SourceOf(*row));
      line.raw += (line.raw.empty() ? "" : "; ") + row->raw;
    }
    return row;
  };
  // Kodak's "KDK" makernote keeps the exposure as the camera measured it (in 1/100000 s, the
  // f-number × 100) where its EXIF fields hold the nominal steps: the measured values are the finer.
  const auto kodak = [&](bool exposure, double unit) -> std::optional<double> {
    const auto layout = std::find_if(kKodakExposures.begin(), kKodakExposures.end(),
                                     [&](const KodakExposure& entry) { return entry.maker == maker; });
    if (layout == kKodakExposures.end()) return std::nullopt;
    const ListingRow* row = rows.Find(kMakernote, exposure ? layout->exposureTime : layout->fNumber);
    const std::optional<double> value = RowNumber(row);
    if (!value || *value <= 0 || *value >= 65535) return std::nullopt;
    line.from.push_back(SourceOf(*row));
    line.raw += (line.raw.empty() ? "" : "; ") + row->raw;
    return *value / unit;
  };
  // Minolta's camera settings (either form) keep both in eighths of an exposure value: time
  // 2^((48 − v)/8) s, f-number 2^((v/8 − 1)/2). Finer than EXIF's APEX fields, which some bodies
  // write rounded to a tenth.
  const auto minolta = [&](std::int32_t position, auto convert) -> std::optional<double> {
    if (maker != kMakerMinolta01) return std::nullopt;
    for (std::int32_t tag : {0x0001, 0x0003}) {
      const ListingRow* row = rows.Find(kMakernote, tag, 0, position);
      const std::optional<double> value = RowNumber(row);
      if (!value || *value <= 0 || *value >= 1024) continue;
      line.from.push_back(SourceOf(*row));
      return convert(*value);
    }
    return std::nullopt;
  };
  std::optional<double> t = kodak(true, 100000);
  if (!t) t = RowNumber(take(kExposureTime));
  if (!t || *t <= 0) t = minolta(kMinoltaExposurePosition, [](double v) { return std::exp2((48 - v) / 8); });
  if (!t || *t <= 0) {
    // ShutterSpeedValue (APEX, EXIF 2.32 4.6.5): time = 2^−v.
    if (const std::optional<double> v = RowNumber(take(kShutterSpeedValue)); v && std::abs(*v) < 64)
      t = std::exp2(-*v);
  }
  if (t && *t > 0) {
    summary.exposureTime = *t;
    parts.push_back(ExposureText(*t, locale));
  }
  std::optional<double> f = kodak(false, 100);
  if (!f) f = RowNumber(take(kFNumber));
  if (!f || *f <= 0) f = minolta(kMinoltaFNumberPosition, [](double v) { return std::exp2((v / 8 - 1) / 2); });
  if (!f || *f <= 0) {
    // ApertureValue (APEX): f-number = 2^(v/2).
    if (const std::optional<double> v = RowNumber(take(kApertureValue)); v && *v >= 0 && *v < 64)
      f = std::exp2(*v / 2);
  }
  if (f && *f > 0) {
    summary.fNumber = *f;
    parts.push_back("f/" + Number(*f, locale));
  }
  // 65535 stands for "65535 or more" (EXIF 2.32, 4.6.5): a makernote's exact speed is better, when
  // there is one.
  std::optional<double> iso = RowNumber(take(kIso));
  if (!iso || *iso <= 0 || *iso >= 65535) {
    if (std::optional<double> fromMaker = MakernoteIso(rows, maker, line)) iso = fromMaker;
  }
  if (iso && *iso > 0) {
    summary.iso = *iso;
    parts.push_back("ISO " + Number(*iso, locale, "0"));
  }
  if (const std::optional<double> bias = RowNumber(take(kExposureBias))) {
    summary.exposureBias = *bias;
    const std::string magnitude = Number(std::abs(*bias), locale, "0.##");
    parts.push_back((std::abs(*bias) < 0.005 ? "±"
                     : *bias < 0             ? locale.minusSign
                                             : locale.plusSign) +
                    magnitude + " LW");
  }
  // Program and metering 0 mean "not given" (EXIF 2.32, 4.6.5): nothing to say in a summary.
  for (std::int32_t tag : {kProgram, kMetering}) {
    const ListingRow* row = take(tag);
    if (row != nullptr && !row->information.empty() && RowNumber(row).value_or(1) != 0)
      parts.push_back(row->information);
  }
  if (const std::optional<double> flash = RowNumber(take(kFlash))) {
    if (*flash >= 0 && *flash < 65536)
      parts.push_back((static_cast<std::int64_t>(*flash) & 1) != 0 ? "Blitz ausgelöst" : "ohne Blitz");
  }
  if (parts.empty()) return;
  for (const std::string& part : parts) line.text += (line.text.empty() ? "" : ", ") + part;
  summary.lines.push_back(std::move(line));
}

// The 35 mm factor from the sensor's diagonal an Olympus makernote (either layout) gives in mm (the old
// directory's 0x0205, the Equipment directory's 0x0103).
std::optional<double> DiagonalFactor(const Rows& rows, std::int32_t maker, std::vector<SummarySource>& from) {
  if (maker != kMakerOlympus01 && maker != kMakerOlympus02) return std::nullopt;
  for (const auto& [directory, tag] : {std::pair{0, 0x0205}, std::pair{0x2010, 0x0103}}) {
    const ListingRow* row = rows.Find(kMakernote, tag, directory);
    const std::optional<double> diagonal = RowNumber(row);
    if (diagonal && *diagonal >= kFullFrameDiagonal / kMaxCropFactor && *diagonal <= 100.0) {
      from.push_back(SourceOf(*row));
      return kFullFrameDiagonal / *diagonal;
    }
  }
  return std::nullopt;
}

// A sensor's size in mm as one of the file's statements gives it, with the rows it rests on.
struct SensorSize {
  double width = 0;
  double height = 0;
  std::vector<SummarySource> from;
  double Diagonal() const { return std::hypot(width, height); }
  // Real sensors lie between a tenth of the 35 mm frame's diagonal (a 1/3.2" phone sensor has a factor
  // of about 7.6) and medium format; a size beyond is a misread or a picture scaled after the shot.
  bool Plausible() const {
    const double diagonal = Diagonal();
    return diagonal >= kFullFrameDiagonal / kMaxCropFactor && diagonal <= 100.0;
  }
  // Two statements of one sensor agree when their diagonals differ by a tenth at most.
  bool Agrees(const SensorSize& other) const {
    return std::abs(Diagonal() - other.Diagonal()) <= 0.1 * other.Diagonal();
  }
};

// Millimetres of the focal plane resolution's unit (EXIF 2.32, 4.6.5): 2 inch (the default), 3 cm,
// 4 mm, 5 µm.
double UnitMillimetres(const ListingRow* unit) {
  const double code = RowNumber(unit).value_or(2);
  switch (code >= 0 && code < 16 ? static_cast<int>(code) : 2) {
    case 3:
      return 10.0;
    case 4:
      return 1.0;
    case 5:
      return 0.001;
    default:
      return 25.4;
  }
}

// Numerator and denominator of a raw column's fraction "n/d" of whole numbers.
std::optional<std::pair<std::uint64_t, std::uint64_t>> RawFraction(std::string_view raw) {
  const std::size_t slash = raw.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  std::uint64_t numerator = 0, denominator = 0;
  const char* middle = raw.data() + slash;
  const char* end = raw.data() + raw.size();
  const auto [numberEnd, numberError] = std::from_chars(raw.data(), middle, numerator);
  const auto [fractionEnd, fractionError] = std::from_chars(middle + 1, end, denominator);
  if (numberError != std::errc() || numberEnd != middle || fractionError != std::errc() || fractionEnd != end)
    return std::nullopt;
  return std::pair{numerator, denominator};
}

// The sensor's size a Canon makernote gives in its focal length item (positions 3 and 4, in 1/1000
// inch). Digital zoom enlarges these figures by its ratio (EXIF 0xA404), which is taken out again.
// Only a sensor's shape (4:3 to 3:2) counts: later bodies keep other numbers there.
std::optional<SensorSize> CanonStatedSensor(const Rows& rows, std::int32_t maker) {
  if (maker != kMakerCanon01) return std::nullopt;
  const ListingRow* width = rows.Find(kMakernote, kCanonFocalLength, 0, 3);
  const ListingRow* height = rows.Find(kMakernote, kCanonFocalLength, 0, 4);
  const std::optional<double> w = RowNumber(width), h = RowNumber(height);
  if (!w || !h || *w <= 0 || *h <= 0) return std::nullopt;
  const double shape = std::max(*w, *h) / std::min(*w, *h);
  if (shape < 1.25 || shape > 1.6) return std::nullopt;
  SensorSize size{*w * 0.0254, *h * 0.0254, {SourceOf(*width), SourceOf(*height)}};
  const ListingRow* zoomRow = rows.Find(kMain, kDigitalZoom);
  if (const std::optional<double> zoom = RowNumber(zoomRow); zoom && *zoom > 1 && *zoom <= 100) {
    size.width /= *zoom;
    size.height /= *zoom;
    size.from.push_back(SourceOf(*zoomRow));
  }
  if (!size.Plausible()) return std::nullopt;
  return size;
}

// The sensor's size written into the focal plane resolution itself: some cameras (Canon's) write it
// as the full-size picture's pixels × 1000 over the sensor's size in thousandths of the unit. The
// denominators are then the sensor's width and height, whatever the pixel size of a copy scaled down
// later says. Known by whole thousands of pixels, at least 480 each way, over a sensor that is not
// square.
std::optional<SensorSize> ResolutionSensor(const Rows& rows) {
  const ListingRow* xRes = rows.Find(kMain, kFocalPlaneX);
  const ListingRow* yRes = rows.Find(kMain, kFocalPlaneY);
  if (xRes == nullptr || yRes == nullptr) return std::nullopt;
  const auto x = RawFraction(xRes->raw), y = RawFraction(yRes->raw);
  if (!x || !y || x->second == 0 || y->second == 0 || x->second == y->second) return std::nullopt;
  for (const std::uint64_t pixels : {x->first, y->first})
    if (pixels % 1000 != 0 || pixels < 480'000) return std::nullopt;
  const ListingRow* unit = rows.Find(kMain, kFocalPlaneUnit);
  const double millimetres = UnitMillimetres(unit) / 1000;
  SensorSize size{static_cast<double>(x->second) * millimetres,
                  static_cast<double>(y->second) * millimetres,
                  {SourceOf(*xRes), SourceOf(*yRes)}};
  if (unit != nullptr) size.from.push_back(SourceOf(*unit));
  return size;
}

// The sensor's size from the picture's pixels over the focal plane resolution.
std::optional<SensorSize> PixelSensor(const Rows& rows) {
  const ListingRow* xRes = rows.Find(kMain, kFocalPlaneX);
  const ListingRow* yRes = rows.Find(kMain, kFocalPlaneY);
  const ListingRow* unit = rows.Find(kMain, kFocalPlaneUnit);
  const ListingRow* width = rows.Find(kMain, kPixelX);
  const ListingRow* height = rows.Find(kMain, kPixelY);
  const std::optional<double> x = RowNumber(xRes), y = RowNumber(yRes), w = RowNumber(width),
                              h = RowNumber(height);
  if (!x || !y || !w || !h || *x <= 0 || *y <= 0 || *w <= 0 || *h <= 0) return std::nullopt;
  const double millimetres = UnitMillimetres(unit);
  SensorSize size{*w / *x * millimetres, *h / *y * millimetres, {}};
  for (const ListingRow* row : {xRes, yRes, width, height}) size.from.push_back(SourceOf(*row));
  if (unit != nullptr) size.from.push_back(SourceOf(*unit));
  return size;
}

// The 35 mm factor from the sensor's size. The focal plane resolution comes first, in its own
// statement of the sensor before the one over the pixels (those of a scaled copy are not the
// sensor's). Where a Canon makernote states the sensor as well and the resolution's sensor differs
// from it by more than a tenth, the resolution is wrong (bodies that write another sensor's
// figures) and the makernote's size counts.
std::optional<double> SensorFactor(const Rows& rows, std::int32_t maker, std::vector<SummarySource>& from) {
  const std::optional<SensorSize> stated = CanonStatedSensor(rows, maker);
  std::optional<SensorSize> chosen;
  for (std::optional<SensorSize> candidate : {ResolutionSensor(rows), PixelSensor(rows)}) {
    if (candidate && candidate->Plausible() && (!stated || candidate->Agrees(*stated))) {
      chosen = std::move(candidate);
      break;
    }
  }
  if (!chosen) chosen = stated;
  if (!chosen) return std::nullopt;
  from.insert(from.end(), chosen->from.begin(), chosen->from.end());
  return kFullFrameDiagonal / chosen->Diagonal();
}

void AddFocalLine(const Rows& rows, std::int32_t maker, double cameraFeq, const TextLocale& locale,
                  PhotoSummary& summary) {
  const ListingRow* real = rows.Find(kMain, kFocalLength);
  const ListingRow* equivalent = rows.Find(kMain, kFocalLength35);
  SummaryLine line{"focal", "Brennweite", {}, {}, {}};
  const std::optional<double> focal = RowNumber(real);
  if (focal && *focal > 0) {
    summary.focalLength = *focal;
    line.text = Number(*focal, locale) + " mm";
    line.raw = real->raw;
    line.from.push_back(SourceOf(*real));
  }
  if (const std::optional<double> mm35 = RowNumber(equivalent); mm35 && *mm35 > 0) {
    summary.focalLength35 = *mm35;
    line.from.push_back(SourceOf(*equivalent));
    line.raw += (line.raw.empty() ? "" : "; ") + equivalent->raw;
  } else if (summary.focalLength) {
    std::optional<double> factor = DiagonalFactor(rows, maker, line.from);
    if (!factor) factor = SensorFactor(rows, maker, line.from);
    if (!factor && cameraFeq > 0) factor = cameraFeq;
    if (factor) summary.focalLength35 = std::round(*summary.focalLength * *factor);
  }
  if (summary.focalLength35) {
    line.text += (line.text.empty() ? "" : " (") + Number(*summary.focalLength35, locale, "0") + " mm KB" +
                 (summary.focalLength ? ")" : "");
  }
  if (!line.text.empty()) summary.lines.push_back(std::move(line));
}

}  // namespace

PhotoSummary SummarizePhoto(const Definitions&, const ImageMetadata& metadata, const MetadataListing& listing,
                            const TextLocale& locale) {
  PhotoSummary summary;
  const Rows rows(listing);
  const std::int32_t maker = listing.maker != 0 ? listing.maker : metadata.camera_id;
  AddCameraLine(rows, maker, summary);
  AddLensLine(metadata, summary);
  AddExposureLine(rows, maker, locale, summary);
  AddFocalLine(rows, maker, metadata.camera_feq, locale, summary);
  summary::AddTakenLine(rows, maker, locale, summary);
  summary::AddPlaceLine(rows, locale, summary);
  summary::AddPictureLine(rows, summary);
  summary::AddXmpLines(listing, summary);
  return summary;
}

}  // namespace kelmarin
