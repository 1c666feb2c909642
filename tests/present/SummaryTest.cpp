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

const Definitions& Tables() { return ShippedDefinitions(); }

// What a test puts into each directory; values that need the builder are made by functions of it.
using Maker = std::function<std::vector<Entry>(TiffBuilder&)>;
struct Block {
  Maker main = nullptr;
  Maker exif = nullptr;
  Maker gps = nullptr;
  Maker makernote = nullptr;  // a plain directory (Canon's form), behind 0x927C of the Exif directory
  // A makernote of bytes (a binary maker layout) instead.
  std::function<std::vector<std::uint8_t>(TiffBuilder&)> noteBytes = nullptr;
};

Entry Rational(TiffBuilder& t, std::uint16_t tag, std::vector<std::pair<std::int64_t, std::uint32_t>> values,
               bool isSigned = false) {
  std::vector<std::uint8_t> bytes;
  for (const auto& [n, d] : values) {
    for (const auto& part : {t.U32(static_cast<std::uint32_t>(n)), t.U32(d)})
      bytes.insert(bytes.end(), part.begin(), part.end());
  }
  return t.At(tag, isSigned ? 10 : 5, static_cast<std::uint32_t>(values.size()), t.Append(bytes));
}
// 16-bit (type 3 SHORT, 8 SSHORT) or 32-bit (4 LONG) numbers, inline when they fit.
Entry Numbers(TiffBuilder& t, std::uint16_t tag, std::uint16_t type, std::vector<std::uint32_t> values) {
  std::vector<std::uint8_t> bytes;
  for (std::uint32_t v : values) {
    const auto part = type == 4 ? t.U32(v) : t.U16(static_cast<std::uint16_t>(v));
    bytes.insert(bytes.end(), part.begin(), part.end());
  }
  const auto count = static_cast<std::uint32_t>(values.size());
  return bytes.size() <= 4 ? t.Inline(tag, type, count, bytes) : t.At(tag, type, count, t.Append(bytes));
}

PhotoSummary Summarize(const Block& block, ByteOrder order = ByteOrder::LittleEndian) {
  TiffBuilder t(order);
  std::vector<Entry> exif = block.exif ? block.exif(t) : std::vector<Entry>();
  if (block.makernote) {
    const std::vector<Entry> note = block.makernote(t);
    const std::uint32_t at = t.AddDirectory(note);
    exif.push_back(t.At(0x927C, 7, 2 + 12 * static_cast<std::uint32_t>(note.size()) + 4, at));
  }
  if (block.noteBytes) {
    const std::vector<std::uint8_t> note = block.noteBytes(t);
    exif.push_back(t.At(0x927C, 7, static_cast<std::uint32_t>(note.size()), t.Append(note)));
  }
  std::vector<Entry> main = block.main ? block.main(t) : std::vector<Entry>();
  if (!exif.empty()) main.push_back(t.Long(0x8769, t.AddDirectory(exif)));
  if (block.gps) main.push_back(t.Long(0x8825, t.AddDirectory(block.gps(t))));
  std::sort(main.begin(), main.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
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

Maker Taken(std::string local, std::vector<std::pair<std::uint16_t, std::string>> more = {}) {
  return [=](TiffBuilder& t) {
    std::vector<Entry> entries = {t.Ascii(0x9003, local)};
    for (const auto& [tag, text] : more) entries.push_back(t.Ascii(tag, text));
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    return entries;
  };
}

TEST(SummaryTime, EachSourceOfTheZoneAndNoOtherOffsetMixedIn) {
  struct Case {
    const char* name;
    Block block;
    const char* taken;
    const char* offset;  // "" none
    const char* source;
    const char* utc;
    const char* text;
  };
  const Maker canonZone = [](TiffBuilder& t) {
    return std::vector<Entry>{Numbers(t, 0x0035, 4, {16, 60, 0, 60})};  // +01:00 and daylight saving
  };
  const Maker gpsBefore = [](TiffBuilder& t) {  // 23:30 UTC the day before
    return std::vector<Entry>{Rational(t, 7, {{23, 1}, {30, 1}, {0, 1}}), t.Ascii(29, "2024:04:30")};
  };
  const Maker canonMake = [](TiffBuilder& t) { return std::vector<Entry>{t.Ascii(0x010F, "Canon")}; };
  const Maker nikonMake = [](TiffBuilder& t) {
    return std::vector<Entry>{t.Ascii(0x010F, "NIKON CORPORATION")};
  };
  // Nikon's makernote: "Nikon", version, then a TIFF stream of its own (big-endian here); WorldTime
  // +01:00 with daylight saving.
  const Maker nikonWorldTime = [](TiffBuilder& t) {
    TiffBuilder inner(ByteOrder::BigEndian);
    inner.SetFirstDirectory(inner.AddDirectory({inner.Inline(0x0024, 7, 4, {0, 60, 1, 0})}));
    std::vector<std::uint8_t> note = {'N', 'i', 'k', 'o', 'n', 0, 2, 0x10, 0, 0};
    note.insert(note.end(), inner.Tiff().begin(), inner.Tiff().end());
    const auto size = static_cast<std::uint32_t>(note.size());
    return std::vector<Entry>{t.Ascii(0x9003, "2019:06:09 21:49:02"), t.At(0x927C, 7, size, t.Append(note))};
  };
  const Maker zoneMinusFive = [](TiffBuilder& t) {
    return std::vector<Entry>{Numbers(t, 0x882A, 8, {0xFFFB})};
  };
  const Case cases[] = {
      {"OffsetTimeOriginal beside the other two",
       {nullptr, Taken("2024:05:01 14:23:05", {{0x9010, "-05:00"}, {0x9011, "+02:00"}, {0x9012, "+09:00"}})},
       "2024-05-01T14:23:05",
       "+02:00",
       "OffsetTimeOriginal",
       "2024-05-01T12:23:05Z",
       "01.05.2024 14:23:05 +02:00 (UTC 01.05.2024 12:23:05; OffsetTimeOriginal)"},
      {"modification and digitising zones are not the capture's",
       {nullptr, Taken("2024:05:01 14:23:05", {{0x9010, "-05:00"}, {0x9012, "+09:00"}})},
       "2024-05-01T14:23:05",
       "",
       "",
       "",
       "01.05.2024 14:23:05"},
      {"TIFF/EP TimeZoneOffset, negative, across midnight",
       {zoneMinusFive, Taken("2024:12:31 20:00:00")},
       "2024-12-31T20:00:00",
       "-05:00",
       "TimeZoneOffset",
       "2025-01-01T01:00:00Z",
       nullptr},
      {"OffsetTimeOriginal before TimeZoneOffset",
       {zoneMinusFive, Taken("2024:12:31 20:00:00", {{0x9011, "+01:00"}})},
       "2024-12-31T20:00:00",
       "+01:00",
       "OffsetTimeOriginal",
       "2024-12-31T19:00:00Z",
       nullptr},
      {"an unreadable OffsetTimeOriginal gives way",
       {zoneMinusFive, Taken("2024:12:31 20:00:00", {{0x9011, "+1:00"}})},
       "2024-12-31T20:00:00",
       "-05:00",
       "TimeZoneOffset",
       "2025-01-01T01:00:00Z",
       nullptr},
      {"Canon's zone with daylight saving",
       {canonMake, Taken("2024:05:01 00:30:00"), nullptr, canonZone},
       "2024-05-01T00:30:00",
       "+02:00",
       "Makernote",
       "2024-04-30T22:30:00Z",
       nullptr},
      {"Nikon's world time with daylight saving",
       {nikonMake, nikonWorldTime},
       "2019-06-09T21:49:02",
       "+02:00",
       "Makernote",
       "2019-06-09T19:49:02Z",
       nullptr},
      {"derived from the GPS time",
       {nullptr, Taken("2024:05:01 01:30:00"), gpsBefore},
       "2024-05-01T01:30:00",
       "+02:00",
       "GPS",
       "2024-04-30T23:30:00Z",
       "01.05.2024 01:30:00 +02:00 (UTC 30.04.2024 23:30:00; aus der GPS-Zeit abgeleitet)"},
      {"a GPS time a day off derives nothing",
       {nullptr, Taken("2024:05:02 01:30:00"), gpsBefore},
       "2024-05-02T01:30:00",
       "",
       "",
       "",
       nullptr},
      {"sub-seconds",
       {nullptr, Taken("2024:05:01 14:23:05", {{0x9291, "25 "}, {0x9011, "Z"}})},
       "2024-05-01T14:23:05",
       "+00:00",
       "OffsetTimeOriginal",
       "2024-05-01T14:23:05Z",
       "01.05.2024 14:23:05,25 +00:00 (UTC 01.05.2024 14:23:05; OffsetTimeOriginal)"},
      {"no clock",
       {nullptr, Taken("0000:00:00 00:00:00", {{0x9011, "+02:00"}})},
       nullptr,
       "",
       "",
       "",
       nullptr},
  };
  for (const Case& c : cases) {
    for (ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
      const PhotoSummary s = Summarize(c.block, order);
      SCOPED_TRACE(c.name);
      EXPECT_EQ(s.taken.value_or(""), c.taken ? c.taken : "");
      EXPECT_EQ(s.offset.value_or(""), c.offset);
      EXPECT_EQ(s.offsetSource.value_or(""), c.source);
      EXPECT_EQ(s.utc.value_or(""), c.utc);
      if (c.text != nullptr) {
        EXPECT_EQ(Line(s, "taken"), c.text);
      }
    }
  }
}

TEST(SummaryTime, LinesNameTheirRows) {
  const Maker gps = [](TiffBuilder& t) {
    return std::vector<Entry>{Rational(t, 7, {{12, 1}, {0, 1}, {0, 1}}), t.Ascii(29, "2024:05:01")};
  };
  const PhotoSummary s = Summarize({nullptr, Taken("2024:05:01 14:00:00", {{0x9291, "5"}}), gps});
  EXPECT_EQ(Sources(s, "taken"), "1:36867 1:37521 4:29 4:7 ");
}

TEST(SummaryLines, EdgeValues) {
  struct Case {
    const char* name;
    Block block;
    const char* key;
    const char* text;
  };
  const auto exif = [](std::function<std::vector<Entry>(TiffBuilder&)> f) { return f; };
  const auto make = [](const char* maker, const char* model) {
    return Maker([=](TiffBuilder& t) {
      return std::vector<Entry>{t.Ascii(0x010F, maker), t.Ascii(0x0110, model)};
    });
  };
  const Maker canonMake = make("Canon", "Canon EOS 5D");
  const Maker canonIso100 = [](TiffBuilder& t) {
    std::vector<std::uint32_t> settings(18, 0);
    settings[16] = 17;  // ISO code of 100
    return std::vector<Entry>{Numbers(t, 0x0001, 3, settings)};
  };
  const Maker canonAutoIso = [](TiffBuilder& t) {
    std::vector<std::uint32_t> settings(18, 0), shot(5, 0);
    settings[16] = 15;  // "Auto": the speed is base × automatic
    shot[2] = 128;      // base 50
    shot[1] = 32;       // automatic 200 %
    return std::vector<Entry>{Numbers(t, 0x0001, 3, settings), Numbers(t, 0x0004, 3, shot)};
  };
  const Case cases[] = {
      {"short exposure",
       {nullptr, exif([](TiffBuilder& t) {
          return std::vector<Entry>{Rational(t, 0x829A, {{10, 2500}})};
        })},
       "exposure",
       "1/250 s"},
      {"half a second",
       {nullptr, exif([](TiffBuilder& t) {
          return std::vector<Entry>{Rational(t, 0x829A, {{1, 2}})};
        })},
       "exposure",
       "1/2 s"},
      {"two seconds",
       {nullptr, exif([](TiffBuilder& t) {
          return std::vector<Entry>{Rational(t, 0x829A, {{2, 1}})};
        })},
       "exposure",
       "2 s"},
      {"all of the exposure",
       {nullptr, exif([](TiffBuilder& t) {
          return std::vector<Entry>{
              Rational(t, 0x829D, {{71, 10}}),      t.Short(0x8822, 1), t.Short(0x8827, 400),
              Rational(t, 0x9204, {{-2, 3}}, true), t.Short(0x9207, 5), t.Short(0x9209, 9)};
        })},
       "exposure",
       "f/7,1, ISO 400, -0,67 LW, manuell, Mehrfeldmessung, Blitz ausgelöst"},
      {"ISO 65535 and the makernote's ISO",
       {canonMake, exif([](TiffBuilder& t) { return std::vector<Entry>{t.Short(0x8827, 65535)}; }), nullptr,
        canonIso100},
       "exposure",
       "ISO 100"},
      {"Canon's automatic ISO", {canonMake, nullptr, nullptr, canonAutoIso}, "exposure", "ISO 100"},
      {"APEX values when time and f-number are missing",
       {nullptr, exif([](TiffBuilder& t) {
          return std::vector<Entry>{Rational(t, 0x9201, {{8, 1}}, true), Rational(t, 0x9202, {{4, 1}})};
        })},
       "exposure",
       "1/256 s, f/4"},
      {"Kodak's measured exposure over EXIF's nominal one",
       {make("EASTMAN KODAK COMPANY", "KODAK DC240 ZOOM DIGITAL CAMERA"),
        exif([](TiffBuilder& t) {
          return std::vector<Entry>{Rational(t, 0x829A, {{1, 30}}), Rational(t, 0x829D, {{40, 10}})};
        }),
        nullptr, nullptr,
        [](TiffBuilder& t) {
          std::vector<std::uint8_t> note(0x50, 0);
          const auto time = t.U32(3111), aperture = t.U16(390);
          std::copy(time.begin(), time.end(), note.begin() + 0x38);
          std::copy(aperture.begin(), aperture.end(), note.begin() + 0x3C);
          return note;
        }},
       "exposure",
       "1/32 s, f/3,9"},
      {"Minolta's settings when EXIF has neither time nor f-number",
       {make("Minolta Co., Ltd.", "DiMAGE S404"), exif([](TiffBuilder& t) {
          return std::vector<Entry>{Rational(t, 0x9202, {{37, 10}})};
        }),
        nullptr,
        [](TiffBuilder& t) {
          std::vector<std::uint8_t> settings(4 * 12, 0);
          settings[4 * 9 + 3] = 104;  // eighths of an EV, big-endian whatever the block's order
          settings[4 * 10 + 3] = 38;
          return std::vector<Entry>{t.At(0x0001, 7, 48, t.Append(settings))};
        }},
       "exposure",
       "1/128 s, f/3,7"},
      {"program and metering not given, no flash",
       {nullptr, exif([](TiffBuilder& t) {
          return std::vector<Entry>{t.Short(0x8822, 0), t.Short(0x9207, 0), t.Short(0x9209, 16)};
        })},
       "exposure",
       "ohne Blitz"},
      {"ISO 65535 alone stays",
       {nullptr, exif([](TiffBuilder& t) { return std::vector<Entry>{t.Short(0x8827, 65535)}; })},
       "exposure",
       "ISO 65535"},
      {"doubled make", {canonMake}, "camera", "Canon EOS 5D"},
      {"Canon's serial number",
       {canonMake, nullptr, nullptr, [](TiffBuilder& t) { return std::vector<Entry>{t.Long(0x000C, 4711)}; }},
       "camera",
       "Canon EOS 5D (Seriennummer 4711)"},
      {"make's first word", {make("NIKON CORPORATION", "NIKON D70")}, "camera", "NIKON D70"},
      {"make and model, body serial",
       {make("Eastman Kodak", "DC240"),
        exif([](TiffBuilder& t) { return std::vector<Entry>{t.Ascii(0xA431, "0815")}; })},
       "camera",
       "Eastman Kodak DC240 (Seriennummer 0815)"},
      {"south and west, below the sea",
       {nullptr, nullptr,
        [](TiffBuilder& t) {
          return std::vector<Entry>{
              t.Ascii(1, "S"),           Rational(t, 2, {{33, 1}, {52, 1}, {1230, 100}}),
              t.Ascii(3, "W"),           Rational(t, 4, {{70, 1}, {30, 1}, {0, 1}}),
              t.Inline(5, 1, 1, {1}),    Rational(t, 6, {{125, 10}}),
              Rational(t, 17, {{90, 1}})};
        }},
       "place",
       "33,870083° S, 70,500000° W, 12,5 m unter dem Meeresspiegel, Richtung 90°, "
       "https://www.openstreetmap.org/?mlat=-33.870083&mlon=-70.500000#map=15/-33.870083/-70.500000"},
      {"35 mm from EXIF",
       {nullptr, exif([](TiffBuilder& t) {
          return std::vector<Entry>{Rational(t, 0x920A, {{55, 10}}), t.Short(0xA405, 33)};
        })},
       "focal",
       "5,5 mm (33 mm KB)"},
      {"35 mm from the sensor size",  // 22.5 × 15 mm: factor 1.6
       {nullptr, exif([](TiffBuilder& t) {
          return std::vector<Entry>{Rational(t, 0x920A, {{50, 1}}),
                                    t.Long(0xA002, 4500),
                                    t.Long(0xA003, 3000),
                                    Rational(t, 0xA20E, {{200, 1}}),
                                    Rational(t, 0xA20F, {{200, 1}}),
                                    t.Short(0xA210, 4)};
        })},
       "focal",
       "50 mm (80 mm KB)"},
      {"35 mm from the definitions' factor",
       {make("Canon", "Canon DIGITAL IXUS 400"), exif([](TiffBuilder& t) {
          return std::vector<Entry>{Rational(t, 0x920A, {{10, 1}})};
        })},
       "focal",
       "10 mm (49 mm KB)"},
      {"picture",
       {[](TiffBuilder& t) { return std::vector<Entry>{t.Short(0x0112, 6)}; }, exif([](TiffBuilder& t) {
          return std::vector<Entry>{t.Long(0xA002, 4000), t.Long(0xA003, 3000)};
        })},
       "picture",
       "4000 × 3000 Pixel, 90° im Uhrzeigersinn gedreht"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Line(Summarize(c.block), c.key), c.text);
  }
}

// Which of the file's statements of the sensor the 35 mm focal length rests on, and the rows it names.
TEST(SummaryLines, FocalEquivalentFromTheSensor) {
  using Fraction = std::pair<std::int64_t, std::uint32_t>;
  struct Case {
    const char* name;
    const char* model;            // of a Canon; none for a camera without makernote
    Fraction focal, x, y;         // focal length and focal plane resolution (none for {0, 0})
    std::uint32_t width, height;  // pixels, none for 0
    Fraction zoom;
    std::uint16_t unit;               // of the resolution, none for 0
    std::vector<std::uint32_t> note;  // Canon's focal length item: type, length, sensor in 1/1000 inch
    const char* text;
    const char* from;
  };
  // clang-format off
  const Case cases[] = {
      {"a scaled copy: the sensor in the resolution's denominators, not its pixels", "Canon EOS D60",
       {28, 1}, {3072000, 892}, {2048000, 595}, 1772, 1181, {}, 0, {},
       "28 mm (44 mm KB)", "1:37386 1:41486 1:41487 "},
      {"the resolution's sensor in its unit (1/1000 cm)", nullptr,
       {135, 1}, {3888000, 2225}, {2592000, 1481}, 100, 68, {}, 3, {},
       "135 mm (219 mm KB)", "1:37386 1:41486 1:41487 1:41488 "},
      {"equal denominators are no sensor: the pixels count", nullptr,
       {50, 1}, {4000000, 1000}, {4000000, 1000}, 4500, 3000, {}, 0, {},
       "50 mm (63 mm KB)", "1:37386 1:41486 1:41487 1:40962 1:40963 "},
      {"too few thousands for pixels: no sensor in the denominators", nullptr,
       {50, 1}, {100000, 876}, {100000, 583}, 4500, 3000, {}, 0, {}, "50 mm", "1:37386 "},
      {"the resolution over the makernote where both agree", "Canon PowerShot S40",
       {682, 32}, {2272000, 280}, {1704000, 210}, 2272, 1704, {}, 0, {2, 682, 286, 215},
       "21,3 mm (104 mm KB)", "1:37386 1:41486 1:41487 "},
      {"a resolution far from the makernote's sensor is wrong", "Canon EOS 20D",
       {17, 1}, {4064000, 1408}, {2704000, 937}, 3504, 2336, {}, 0, {1, 17, 907, 605},
       "17 mm (27 mm KB)", "1:37386 3:2.3 3:2.4 "},
      {"digital zoom taken out of the makernote's size", "Canon PowerShot S40",
       {682, 32}, {6204831, 280}, {4653623, 210}, 2272, 1704, {2272, 832}, 0, {2, 682, 782, 586},
       "21,3 mm (101 mm KB)", "1:37386 3:2.3 3:2.4 1:41988 "},
      {"a makernote size of no sensor's shape", "Canon EOS 1000D",
       {100, 1}, {3888000, 876}, {2592000, 583}, 3888, 2592, {}, 0, {2, 100, 1200, 300},
       "100 mm (162 mm KB)", "1:37386 1:41486 1:41487 "},
      {"a makernote size too small for a sensor", "Canon EOS 350D DIGITAL",
       {50, 1}, {3888000, 876}, {2592000, 583}, 0, 0, {}, 0, {2, 50, 40, 30},
       "50 mm (81 mm KB)", "1:37386 1:41486 1:41487 "},
      {"the file's sensor before the definitions' factor (4.9)", "Canon DIGITAL IXUS 400",
       {10, 1}, {}, {}, 0, 0, {}, 0, {2, 320, 286, 215}, "10 mm (48 mm KB)", "1:37386 3:2.3 3:2.4 "},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Block block;
    if (c.model != nullptr) {
      block.main = [&c](TiffBuilder& t) {
        return std::vector<Entry>{t.Ascii(0x010F, "Canon"), t.Ascii(0x0110, c.model)};
      };
      if (!c.note.empty())
        block.makernote = [&c](TiffBuilder& t) { return std::vector<Entry>{Numbers(t, 0x0002, 3, c.note)}; };
    }
    block.exif = [&c](TiffBuilder& t) {
      std::vector<Entry> entries{Rational(t, 0x920A, {c.focal})};
      if (c.width != 0) entries.insert(entries.end(), {t.Long(0xA002, c.width), t.Long(0xA003, c.height)});
      if (c.x.second != 0)
        entries.insert(entries.end(), {Rational(t, 0xA20E, {c.x}), Rational(t, 0xA20F, {c.y})});
      if (c.zoom.second != 0) entries.push_back(Rational(t, 0xA404, {c.zoom}));
      if (c.unit != 0) entries.push_back(t.Short(0xA210, c.unit));
      return entries;
    };
    const PhotoSummary summary = Summarize(block);
    EXPECT_EQ(Line(summary, "focal"), c.text);
    EXPECT_EQ(Sources(summary, "focal"), c.from);
  }
}

TEST(SummaryLines, ValuesBehindTheTexts) {
  const PhotoSummary s = Summarize(
      {nullptr,
       [](TiffBuilder& t) {
         return std::vector<Entry>{Rational(t, 0x829A, {{1, 250}}), Rational(t, 0x829D, {{28, 10}}),
                                   Rational(t, 0x9204, {{-1, 3}}, true), Rational(t, 0x920A, {{35, 1}})};
       },
       [](TiffBuilder& t) {
         return std::vector<Entry>{t.Ascii(1, "N"), Rational(t, 2, {{51, 1}, {30, 1}, {0, 1}}),
                                   t.Ascii(3, "W"), Rational(t, 4, {{0, 1}, {7, 1}, {30, 1}}),
                                   Rational(t, 6, {{35, 1}})};
       }});
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

  PhotoSummary s;
  s.camera = "Canon \"EOS\"";
  s.lens = "EF 50mm f/1.8";
  s.exposureTime = 0.004;
  s.fNumber = 7.1;
  s.iso = 100;
  s.exposureBias = -0.5;
  s.focalLength = 50;
  s.focalLength35 = 80;
  s.taken = "2024-05-01T14:23:05";
  s.offset = "+02:00";
  s.offsetSource = "OffsetTimeOriginal";
  s.utc = "2024-05-01T12:23:05Z";
  s.latitude = -33.5;
  s.longitude = 151.25;
  s.altitude = -12.5;
  s.width = 4000;
  s.height = 3000;
  s.rating = -1;
  s.label = "Rot";
  s.title = "Titel";
  s.keywords = {"a", "b"};
  s.profile = "sRGB";
  s.lines.push_back({"camera", "Kamera", "", "", {{1, "271"}, {1, "272"}}});
  s.lines.push_back({"rating", "Bewertung", "", "", {{7, "xmp:Rating"}}});
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
