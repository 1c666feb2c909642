// "Auf einen Blick" from EXIF blocks made here: the capture time with each source of its zone, the
// other lines' edge values, and the JSON member.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "RecordingReporter.h"
#include "TiffBuilder.h"
#include "extract/ImageMetadata.h"
#include "metadata/Definitions.h"
#include "present/ListingJson.h"
#include "present/Summary.h"

namespace kelmarin {
namespace {

using test::TiffBuilder;
using Entry = TiffBuilder::Entry;
using Numbers = std::vector<std::int64_t>;

const Definitions& Tables() { return ShippedDefinitions(); }

// One entry of a test block: an ASCII text (type 2) or numbers of a TIFF type (1 and 7 bytes, 3 and
// 8 16-bit, 4 32-bit, 5 and 10 fractions given as numerator and denominator), inline when they fit.
struct Put {
  std::uint16_t tag;
  std::uint16_t type;
  Numbers values;
  std::string text = {};
};
Put Ascii(std::uint16_t tag, std::string text) { return {tag, 2, {}, std::move(text)}; }
Put Fractions(std::uint16_t tag, Numbers values, bool isSigned = false) {
  return {tag, static_cast<std::uint16_t>(isSigned ? 10 : 5), std::move(values)};
}

Entry Write(TiffBuilder& t, const Put& put) {
  if (put.type == 2) return t.Ascii(put.tag, put.text);
  std::vector<std::uint8_t> bytes;
  for (const std::int64_t v : put.values) {
    const auto part = put.type == 3 || put.type == 8 ? t.U16(static_cast<std::uint16_t>(v))
                      : put.type == 1 || put.type == 7 ? std::vector<std::uint8_t>{static_cast<std::uint8_t>(v)}
                                                       : t.U32(static_cast<std::uint32_t>(v));
    bytes.insert(bytes.end(), part.begin(), part.end());
  }
  const auto count = static_cast<std::uint32_t>(put.values.size() / (put.type == 5 || put.type == 10 ? 2 : 1));
  return bytes.size() <= 4 ? t.Inline(put.tag, put.type, count, bytes)
                           : t.At(put.tag, put.type, count, t.Append(bytes));
}

// `n` numbers, those at the given places set.
Numbers Set(std::size_t n, std::initializer_list<std::pair<std::size_t, std::int64_t>> values) {
  Numbers out(n, 0);
  for (const auto& [at, value] : values) out[at] = value;
  return out;
}

// What a test puts into each directory.
struct Block {
  std::vector<Put> main = {};
  std::vector<Put> exif = {};
  std::vector<Put> gps = {};
  std::vector<Put> makernote = {};  // a plain directory (Canon's form), behind 0x927C of the Exif directory
  // A makernote of bytes (a binary maker layout) instead.
  std::function<std::vector<std::uint8_t>(const TiffBuilder&)> noteBytes = nullptr;
};

std::vector<Entry> Written(TiffBuilder& t, const std::vector<Put>& puts) {
  std::vector<Entry> entries;
  for (const Put& put : puts) entries.push_back(Write(t, put));
  return entries;
}

PhotoSummary Summarize(const Block& block, ByteOrder order = ByteOrder::LittleEndian) {
  TiffBuilder t(order);
  std::vector<Entry> exif = Written(t, block.exif);
  if (!block.makernote.empty()) {
    const std::uint32_t at = t.AddDirectory(Written(t, block.makernote));
    exif.push_back(t.At(0x927C, 7, 2 + 12 * static_cast<std::uint32_t>(block.makernote.size()) + 4, at));
  }
  if (block.noteBytes) {
    const std::vector<std::uint8_t> note = block.noteBytes(t);
    exif.push_back(t.At(0x927C, 7, static_cast<std::uint32_t>(note.size()), t.Append(note)));
  }
  std::vector<Entry> main = Written(t, block.main);
  const auto byTag = [](const Entry& a, const Entry& b) { return a.tag < b.tag; };
  std::sort(exif.begin(), exif.end(), byTag);
  if (!exif.empty()) main.push_back(t.Long(0x8769, t.AddDirectory(exif)));
  if (!block.gps.empty()) main.push_back(t.Long(0x8825, t.AddDirectory(Written(t, block.gps))));
  std::sort(main.begin(), main.end(), byTag);
  t.SetFirstDirectory(t.AddDirectory(main));
  auto source = std::make_shared<MetadataSource>();
  source->markers.push_back({0xE1, t.App1()});
  const ImageMetadata metadata = ReadMetadata(4, source, &Tables());
  MetadataListing listing;
  const TextLocale german;
  listing.rows = FillMetadataList(Tables(), metadata, MakeFormatContext(german, 1.0));
  FillIptcAndComments(metadata, listing);
  return SummarizePhoto(Tables(), metadata, listing, german);
}

std::string Line(const PhotoSummary& summary, const std::string& key) {
  for (const SummaryLine& line : summary.lines)
    if (line.key == key) return line.text;
  return "-";
}

std::string Sources(const PhotoSummary& summary, const std::string& key) {
  std::string text;
  for (const SummaryLine& line : summary.lines) {
    if (line.key != key) continue;
    for (const SummarySource& from : line.from) text += std::to_string(from.section) + ":" + from.tag + " ";
  }
  return text;
}

std::vector<Put> Taken(std::string local, std::vector<std::pair<std::uint16_t, std::string>> more = {}) {
  std::vector<Put> puts = {Ascii(0x9003, local)};
  for (const auto& [tag, text] : more) puts.push_back(Ascii(tag, text));
  return puts;
}

TEST(SummaryTime, EachSourceOfTheZoneAndNoOtherOffsetMixedIn) {
  struct Case {
    const char* name;
    Block block;
    const char* time;  // local time, offset, its source and UTC, "|" between them
    const char* text = nullptr;
  };
  const std::vector<Put> canonZone = {{0x0035, 4, {16, 60, 0, 60}}};  // +01:00 and daylight saving
  const std::vector<Put> gpsBefore = {Fractions(7, {23, 1, 30, 1, 0, 1}), Ascii(29, "2024:04:30")};  // 23:30 UTC
  const std::vector<Put> zoneMinusFive = {{0x882A, 8, {-5}}};
  // Nikon's makernote: "Nikon", version, then a TIFF stream of its own (big-endian here); WorldTime
  // +01:00 with daylight saving.
  const auto nikonWorldTime = [](const TiffBuilder&) {
    TiffBuilder inner(ByteOrder::BigEndian);
    inner.SetFirstDirectory(inner.AddDirectory({inner.Inline(0x0024, 7, 4, {0, 60, 1, 0})}));
    std::vector<std::uint8_t> note = {'N', 'i', 'k', 'o', 'n', 0, 2, 0x10, 0, 0};
    note.insert(note.end(), inner.Tiff().begin(), inner.Tiff().end());
    return note;
  };
  const Case cases[] = {
      {"OffsetTimeOriginal beside the other two",
       {{}, Taken("2024:05:01 14:23:05", {{0x9010, "-05:00"}, {0x9011, "+02:00"}, {0x9012, "+09:00"}})},
       "2024-05-01T14:23:05|+02:00|OffsetTimeOriginal|2024-05-01T12:23:05Z",
       "01.05.2024 14:23:05 +02:00 (UTC 01.05.2024 12:23:05; OffsetTimeOriginal)"},
      {"modification and digitising zones are not the capture's",
       {{}, Taken("2024:05:01 14:23:05", {{0x9010, "-05:00"}, {0x9012, "+09:00"}})}, "2024-05-01T14:23:05|||",
       "01.05.2024 14:23:05"},
      {"TIFF/EP TimeZoneOffset, negative, across midnight", {zoneMinusFive, Taken("2024:12:31 20:00:00")},
       "2024-12-31T20:00:00|-05:00|TimeZoneOffset|2025-01-01T01:00:00Z"},
      {"OffsetTimeOriginal before TimeZoneOffset", {zoneMinusFive, Taken("2024:12:31 20:00:00", {{0x9011, "+01:00"}})},
       "2024-12-31T20:00:00|+01:00|OffsetTimeOriginal|2024-12-31T19:00:00Z"},
      {"an unreadable OffsetTimeOriginal gives way",
       {zoneMinusFive, Taken("2024:12:31 20:00:00", {{0x9011, "+1:00"}})},
       "2024-12-31T20:00:00|-05:00|TimeZoneOffset|2025-01-01T01:00:00Z"},
      {"Canon's zone with daylight saving", {{Ascii(0x010F, "Canon")}, Taken("2024:05:01 00:30:00"), {}, canonZone},
       "2024-05-01T00:30:00|+02:00|Makernote|2024-04-30T22:30:00Z"},
      {"Nikon's world time with daylight saving",
       {{Ascii(0x010F, "NIKON CORPORATION")}, Taken("2019:06:09 21:49:02"), {}, {}, nikonWorldTime},
       "2019-06-09T21:49:02|+02:00|Makernote|2019-06-09T19:49:02Z"},
      {"derived from the GPS time", {{}, Taken("2024:05:01 01:30:00"), gpsBefore},
       "2024-05-01T01:30:00|+02:00|GPS|2024-04-30T23:30:00Z",
       "01.05.2024 01:30:00 +02:00 (UTC 30.04.2024 23:30:00; aus der GPS-Zeit abgeleitet)"},
      {"a GPS time a day off derives nothing", {{}, Taken("2024:05:02 01:30:00"), gpsBefore},
       "2024-05-02T01:30:00|||"},
      {"sub-seconds", {{}, Taken("2024:05:01 14:23:05", {{0x9291, "25 "}, {0x9011, "Z"}})},
       "2024-05-01T14:23:05|+00:00|OffsetTimeOriginal|2024-05-01T14:23:05Z",
       "01.05.2024 14:23:05,25 +00:00 (UTC 01.05.2024 14:23:05; OffsetTimeOriginal)"},
      {"no clock", {{}, Taken("0000:00:00 00:00:00", {{0x9011, "+02:00"}})}, "|||"},
  };
  for (const Case& c : cases) {
    for (ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
      const PhotoSummary s = Summarize(c.block, order);
      SCOPED_TRACE(c.name);
      EXPECT_EQ(s.taken.value_or("") + '|' + s.offset.value_or("") + '|' + s.offsetSource.value_or("") + '|' +
                    s.utc.value_or(""),
                c.time);
      if (c.text != nullptr) {
        EXPECT_EQ(Line(s, "taken"), c.text);
      }
    }
  }
  const PhotoSummary s = Summarize(
      {{}, Taken("2024:05:01 14:00:00", {{0x9291, "5"}}), {Fractions(7, {12, 1, 0, 1, 0, 1}), Ascii(29, "2024:05:01")}});
  EXPECT_EQ(Sources(s, "taken"), "1:36867 1:37521 4:29 4:7 ");
}

TEST(SummaryLines, EdgeValues) {
  struct Case {
    const char* name;
    Block block;
    const char* key;
    const char* text;
  };
  const auto make = [](const char* maker, const char* model) {
    return std::vector<Put>{Ascii(0x010F, maker), Ascii(0x0110, model)};
  };
  const std::vector<Put> canon = make("Canon", "Canon EOS 5D");
  // Kodak's measured exposure time and aperture at fixed places of its makernote.
  const auto kodakNote = [](const TiffBuilder& t) {
    std::vector<std::uint8_t> note(0x50, 0);
    const auto time = t.U32(3111), aperture = t.U16(390);
    std::copy(time.begin(), time.end(), note.begin() + 0x38);
    std::copy(aperture.begin(), aperture.end(), note.begin() + 0x3C);
    return note;
  };
  const Case cases[] = {
      {"short exposure", {{}, {Fractions(0x829A, {10, 2500})}}, "exposure", "1/250 s"},
      {"half a second", {{}, {Fractions(0x829A, {1, 2})}}, "exposure", "1/2 s"},
      {"two seconds", {{}, {Fractions(0x829A, {2, 1})}}, "exposure", "2 s"},
      {"all of the exposure", {{},
        {Fractions(0x829D, {71, 10}), {0x8822, 3, {1}}, {0x8827, 3, {400}}, Fractions(0x9204, {-2, 3}, true),
         {0x9207, 3, {5}}, {0x9209, 3, {9}}}},
       "exposure", "f/7,1, ISO 400, -0,67 LW, manuell, Mehrfeldmessung, Blitz ausgelöst"},
      {"ISO 65535 and the makernote's ISO",  // ISO code 17 is 100
       {canon, {{0x8827, 3, {65535}}}, {}, {{0x0001, 3, Set(18, {{16, 17}})}}}, "exposure", "ISO 100"},
      // "Auto": the speed is base (128: 50) × automatic (32: 200 %).
      {"Canon's automatic ISO", {canon, {}, {}, {{0x0001, 3, Set(18, {{16, 15}})}, {0x0004, 3, Set(5, {{1, 32}, {2, 128}})}}},
       "exposure", "ISO 100"},
      {"APEX values when time and f-number are missing",
       {{}, {Fractions(0x9201, {8, 1}, true), Fractions(0x9202, {4, 1})}}, "exposure", "1/256 s, f/4"},
      {"Kodak's measured exposure over EXIF's nominal one",
       {make("EASTMAN KODAK COMPANY", "KODAK DC240 ZOOM DIGITAL CAMERA"),
        {Fractions(0x829A, {1, 30}), Fractions(0x829D, {40, 10})}, {}, {}, kodakNote},
       "exposure", "1/32 s, f/3,9"},
      // Minolta's settings in eighths of an EV, big-endian whatever the block's order.
      {"Minolta's settings when EXIF has neither time nor f-number",
       {make("Minolta Co., Ltd.", "DiMAGE S404"), {Fractions(0x9202, {37, 10})}, {},
        {{0x0001, 7, Set(48, {{4 * 9 + 3, 104}, {4 * 10 + 3, 38}})}}},
       "exposure", "1/128 s, f/3,7"},
      {"program and metering not given, no flash", {{}, {{0x8822, 3, {0}}, {0x9207, 3, {0}}, {0x9209, 3, {16}}}},
       "exposure", "ohne Blitz"},
      {"ISO 65535 alone stays", {{}, {{0x8827, 3, {65535}}}}, "exposure", "ISO 65535"},
      {"doubled make", {canon}, "camera", "Canon EOS 5D"},
      {"Canon's serial number", {canon, {}, {}, {{0x000C, 4, {4711}}}}, "camera", "Canon EOS 5D (Seriennummer 4711)"},
      {"make's first word", {make("NIKON CORPORATION", "NIKON D70")}, "camera", "NIKON D70"},
      {"make and model, body serial", {make("Eastman Kodak", "DC240"), {Ascii(0xA431, "0815")}}, "camera",
       "Eastman Kodak DC240 (Seriennummer 0815)"},
      {"south and west, below the sea", {{}, {},
        {Ascii(1, "S"), Fractions(2, {33, 1, 52, 1, 1230, 100}), Ascii(3, "W"), Fractions(4, {70, 1, 30, 1, 0, 1}),
         {5, 1, {1}}, Fractions(6, {125, 10}), Fractions(17, {90, 1})}},
       "place",
       "33,870083° S, 70,500000° W, 12,5 m unter dem Meeresspiegel, Richtung 90°, "
       "https://www.openstreetmap.org/?mlat=-33.870083&mlon=-70.500000#map=15/-33.870083/-70.500000"},
      {"35 mm from EXIF", {{}, {Fractions(0x920A, {55, 10}), {0xA405, 3, {33}}}}, "focal", "5,5 mm (33 mm KB)"},
      {"35 mm from the sensor size",  // 22.5 × 15 mm: factor 1.6
       {{},
        {Fractions(0x920A, {50, 1}), {0xA002, 4, {4500}}, {0xA003, 4, {3000}}, Fractions(0xA20E, {200, 1}),
         Fractions(0xA20F, {200, 1}), {0xA210, 3, {4}}}},
       "focal", "50 mm (80 mm KB)"},
      {"35 mm from the definitions' factor", {make("Canon", "Canon DIGITAL IXUS 400"), {Fractions(0x920A, {10, 1})}},
       "focal", "10 mm (49 mm KB)"},
      {"picture", {{{0x0112, 3, {6}}}, {{0xA002, 4, {4000}}, {0xA003, 4, {3000}}}}, "picture",
       "4000 × 3000 Pixel, 90° im Uhrzeigersinn gedreht"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Line(Summarize(c.block), c.key), c.text);
  }
}

// Which of the file's statements of the sensor the 35 mm focal length rests on, and the rows it names.
TEST(SummaryLines, FocalEquivalentFromTheSensor) {
  struct Case {
    const char* name;
    const char* model;       // of a Canon; none for a camera without makernote
    std::vector<Put> exif;   // the focal length, pixels, focal plane resolution, its unit, digital zoom
    Numbers note;            // Canon's focal length item: type, length, sensor in 1/1000 inch
    const char* text;
    const char* from;
  };
  const auto focal = [](std::int64_t n, std::int64_t d) { return Fractions(0x920A, {n, d}); };
  const auto pixels = [](std::int64_t w, std::int64_t h) { return std::vector<Put>{{0xA002, 4, {w}}, {0xA003, 4, {h}}}; };
  const auto plane = [](Numbers x, Numbers y) { return std::vector<Put>{Fractions(0xA20E, x), Fractions(0xA20F, y)}; };
  const auto all = [](std::initializer_list<std::vector<Put>> parts) {
    std::vector<Put> out;
    for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
  };
  // clang-format off
  const Case cases[] = {
      {"a scaled copy: the sensor in the resolution's denominators, not its pixels", "Canon EOS D60",
       all({{focal(28, 1)}, pixels(1772, 1181), plane({3072000, 892}, {2048000, 595})}), {},
       "28 mm (44 mm KB)", "1:37386 1:41486 1:41487 "},
      {"the resolution's sensor in its unit (1/1000 cm)", nullptr,
       all({{focal(135, 1)}, pixels(100, 68), plane({3888000, 2225}, {2592000, 1481}), {{0xA210, 3, {3}}}}), {},
       "135 mm (219 mm KB)", "1:37386 1:41486 1:41487 1:41488 "},
      {"equal denominators are no sensor: the pixels count", nullptr,
       all({{focal(50, 1)}, pixels(4500, 3000), plane({4000000, 1000}, {4000000, 1000})}), {},
       "50 mm (63 mm KB)", "1:37386 1:41486 1:41487 1:40962 1:40963 "},
      {"too few thousands for pixels: no sensor in the denominators", nullptr,
       all({{focal(50, 1)}, pixels(4500, 3000), plane({100000, 876}, {100000, 583})}), {}, "50 mm", "1:37386 "},
      {"the resolution over the makernote where both agree", "Canon PowerShot S40",
       all({{focal(682, 32)}, pixels(2272, 1704), plane({2272000, 280}, {1704000, 210})}), {2, 682, 286, 215},
       "21,3 mm (104 mm KB)", "1:37386 1:41486 1:41487 "},
      {"a resolution far from the makernote's sensor is wrong", "Canon EOS 20D",
       all({{focal(17, 1)}, pixels(3504, 2336), plane({4064000, 1408}, {2704000, 937})}), {1, 17, 907, 605},
       "17 mm (27 mm KB)", "1:37386 3:2.3 3:2.4 "},
      {"digital zoom taken out of the makernote's size", "Canon PowerShot S40",
       all({{focal(682, 32)}, pixels(2272, 1704), plane({6204831, 280}, {4653623, 210}), {Fractions(0xA404, {2272, 832})}}),
       {2, 682, 782, 586}, "21,3 mm (101 mm KB)", "1:37386 3:2.3 3:2.4 1:41988 "},
      {"a makernote size of no sensor's shape", "Canon EOS 1000D",
       all({{focal(100, 1)}, pixels(3888, 2592), plane({3888000, 876}, {2592000, 583})}), {2, 100, 1200, 300},
       "100 mm (162 mm KB)", "1:37386 1:41486 1:41487 "},
      {"a makernote size too small for a sensor", "Canon EOS 350D DIGITAL",
       all({{focal(50, 1)}, plane({3888000, 876}, {2592000, 583})}), {2, 50, 40, 30},
       "50 mm (81 mm KB)", "1:37386 1:41486 1:41487 "},
      {"the file's sensor before the definitions' factor (4.9)", "Canon DIGITAL IXUS 400",
       {focal(10, 1)}, {2, 320, 286, 215}, "10 mm (48 mm KB)", "1:37386 3:2.3 3:2.4 "},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Block block{{}, c.exif};
    if (c.model != nullptr) block.main = {Ascii(0x010F, "Canon"), Ascii(0x0110, c.model)};
    if (!c.note.empty()) block.makernote = {{0x0002, 3, c.note}};
    const PhotoSummary summary = Summarize(block);
    EXPECT_EQ(Line(summary, "focal"), c.text);
    EXPECT_EQ(Sources(summary, "focal"), c.from);
  }
}

TEST(SummaryLines, ValuesBehindTheTexts) {
  const PhotoSummary s = Summarize(
      {{}, {Fractions(0x829A, {1, 250}), Fractions(0x829D, {28, 10}), Fractions(0x9204, {-1, 3}, true),
        Fractions(0x920A, {35, 1})},
       {Ascii(1, "N"), Fractions(2, {51, 1, 30, 1, 0, 1}), Ascii(3, "W"), Fractions(4, {0, 1, 7, 1, 30, 1}),
        Fractions(6, {35, 1})}});
  EXPECT_DOUBLE_EQ(s.exposureTime.value_or(0), 0.004);
  EXPECT_DOUBLE_EQ(s.fNumber.value_or(0), 2.8);
  EXPECT_DOUBLE_EQ(s.exposureBias.value_or(0), -1.0 / 3);
  EXPECT_DOUBLE_EQ(s.focalLength.value_or(0), 35);
  EXPECT_FALSE(s.focalLength35);
  EXPECT_DOUBLE_EQ(s.latitude.value_or(0), 51.5);
  EXPECT_DOUBLE_EQ(s.longitude.value_or(0), -0.125);
  EXPECT_DOUBLE_EQ(s.altitude.value_or(0), 35);
  EXPECT_EQ(Sources(s, "exposure"), "1:33434 1:33437 1:37380 ");
  EXPECT_EQ(Sources(s, "place"), "4:1 4:2 4:3 4:4 4:6 ");
}

TEST(SummaryLines, XmpRatingLabelTitleKeywords) {
  MetadataListing listing;
  const auto entry = [](const char* source, const char* path, const char* value) {
    return XmpEntry{source, "ns", path, "", value, value};
  };
  listing.xmp = {entry("eingebettet", "MicrosoftPhoto:Rating", "75"),
                 entry("eingebettet", "xmp:Label", "Rot"),
                 entry("eingebettet", "dc:title[de]", "Brücke"),
                 entry("eingebettet", "dc:title[x-default]", "Bridge"),
                 entry("eingebettet", "dc:subject[1]", "Fluss"),
                 entry("eingebettet", "dc:subject[2]", "Nacht"),
                 entry("IMG_1.xmp", "dc:subject[1]", "anderes"),
                 entry("IMG_1.xmp", "xmp:Rating", "2")};
  ImageMetadata metadata;
  PhotoSummary s = SummarizePhoto(Tables(), metadata, listing, TextLocale());
  EXPECT_EQ(s.rating, 2);  // xmp:Rating of any source before the percent
  EXPECT_EQ(s.label.value_or(""), "Rot");
  EXPECT_EQ(s.title.value_or(""), "Bridge");
  EXPECT_EQ(s.keywords, (std::vector<std::string>{"Fluss", "Nacht"}));
  EXPECT_EQ(Sources(s, "keywords"), "7:dc:subject[1] 7:dc:subject[2] ");
  listing.xmp.pop_back();
  s = SummarizePhoto(Tables(), metadata, listing, TextLocale());
  EXPECT_EQ(s.rating, 4);
  EXPECT_EQ(Line(s, "rating"), "★★★★☆");
}

TEST(SummaryJson, KeysWithValuesOnlyNumbersPlain) {
  std::string empty;
  AppendSummaryJson(empty, PhotoSummary());
  EXPECT_EQ(empty, "\"summary\":{},");

  const PhotoSummary s{
      .lines = {{"camera", "Kamera", "", "", {{1, "271"}, {1, "272"}}},
                {"rating", "Bewertung", "", "", {{7, "xmp:Rating"}}}},
      .camera = "Canon \"EOS\"", .lens = "EF 50mm f/1.8", .exposureTime = 0.004, .fNumber = 7.1, .iso = 100,
      .exposureBias = -0.5, .focalLength = 50, .focalLength35 = 80, .taken = "2024-05-01T14:23:05",
      .offset = "+02:00", .offsetSource = "OffsetTimeOriginal", .utc = "2024-05-01T12:23:05Z", .latitude = -33.5,
      .longitude = 151.25, .altitude = -12.5, .width = 4000, .height = 3000, .rating = -1, .label = "Rot",
      .title = "Titel", .keywords = {"a", "b"}, .profile = "sRGB"};
  std::string json;
  AppendSummaryJson(json, s);
  EXPECT_EQ(
      json,
      "\"summary\":{\"camera\":\"Canon \\\"EOS\\\"\",\"lens\":\"EF 50mm f/1.8\",\"exposureTime\":0.004,"
      "\"fNumber\":7.1,\"iso\":100,\"exposureBias\":-0.5,\"focalLength\":50,\"focalLength35\":80,"
      "\"taken\":\"2024-05-01T14:23:05\",\"offset\":\"+02:00\",\"offsetSource\":\"OffsetTimeOriginal\","
      "\"utc\":\"2024-05-01T12:23:05Z\",\"latitude\":-33.5,\"longitude\":151.25,\"altitude\":-12.5,"
      "\"width\":4000,\"height\":3000,\"rating\":-1,\"label\":\"Rot\",\"title\":\"Titel\","
      "\"keywords\":[\"a\",\"b\"],\"profile\":\"sRGB\",\"from\":{\"camera\":[{\"section\":1,\"tag\":\"271\"},"
      "{\"section\":1,\"tag\":\"272\"}],\"rating\":[{\"section\":7,\"tag\":\"xmp:Rating\"}]}},");
}

}  // namespace
}  // namespace kelmarin
