// Stored bytes -> the rows the window shows: makernote and EXIF entries written in both byte orders,
// read by the metadata reader and listed with the shipped definition file (Nikon's exposure values in
// bytes and its binary blocks, Canon's binary image id and custom functions, Olympus's value names in
// its sub-directories, EXIF's lists of named values, subsampling and colour filter pattern); then the
// display codes of their own rules.
#include <gtest/gtest.h>

#include <QLocale>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../metadata/RecordingReporter.h"
#include "MakernoteSamples.h"
#include "extract/ImageMetadata.h"
#include "extract/MetadataSource.h"
#include "metadata/Definitions.h"
#include "present/FormatRules.h"
#include "present/Formatter.h"
#include "present/Lens.h"
#include "present/Listing.h"
#include "present/qt/QtTextLocale.h"

namespace kelmarin {
namespace {

using namespace std::string_literals;
using test::Bytes;
using test::Cat;
using test::TiffBuilder;
using Entry = TiffBuilder::Entry;
using Bytes_ = std::vector<std::uint8_t>;

const Definitions& Tables() { return ShippedDefinitions(); }

// Numbers as 16-bit (or, wide, 32-bit) words in the builder's byte order.
Bytes_ Words(const TiffBuilder& o, const std::vector<std::uint32_t>& numbers, bool wide = false) {
  Bytes_ out;
  for (const std::uint32_t v : numbers) out = Cat({out, wide ? o.U32(v) : o.U16(static_cast<std::uint16_t>(v))});
  return out;
}

// The rows of an EXIF block as the window lists them, in German.
std::vector<ListingRow> Listed(const Bytes_& app1) {
  auto source = std::make_shared<MetadataSource>();
  source->markers.push_back({0xE1, app1});
  const ImageMetadata metadata = ReadMetadata(4, source, &Tables());
  const TextLocale german = TextLocaleOf(QLocale(QLocale::German, QLocale::Germany));
  return FillMetadataList(Tables(), metadata, MakeFormatContext(german, 1.0));
}

// The rows of a block whose IFD0 holds make, model and the Exif pointer, and whose Exif directory
// holds the one entry `entry` writes (at the builder's end).
std::vector<ListingRow> ListedWith(ByteOrder order, const std::string& make, const std::string& model,
                                   const std::function<Entry(TiffBuilder&)>& entry) {
  TiffBuilder t(order);
  const Entry written = entry(t);
  const std::uint32_t exif = t.AddDirectory({written});
  const Entry makeEntry = t.Ascii(0x010F, make);
  const Entry modelEntry = t.Ascii(0x0110, model);
  t.SetFirstDirectory(t.AddDirectory({makeEntry, modelEntry, t.Long(0x8769, exif)}));
  return Listed(t.App1());
}

// Writes one makernote entry (its tag, type and value bytes) into a maker's layout at the
// builder's end and returns the 0x927C entry.
using Note = std::function<Entry(TiffBuilder&, std::uint16_t, std::uint16_t, const Bytes_&)>;

Entry EntryOf(const TiffBuilder& t, std::uint16_t tag, std::uint16_t type, const Bytes_& bytes,
              std::uint32_t at) {
  const std::uint32_t unit = type == 3 || type == 8 ? 2 : type == 4 ? 4 : type == 5 || type == 10 ? 8 : 1;
  const auto count = static_cast<std::uint32_t>(bytes.size()) / unit;
  return bytes.size() <= 4 ? t.Inline(tag, type, count, bytes) : t.At(tag, type, count, at);
}

// Canon: a plain directory, offsets from the TIFF header.
Entry Canon(TiffBuilder& t, std::uint16_t tag, std::uint16_t type, const Bytes_& bytes) {
  const std::uint32_t values = bytes.size() > 4 ? t.Append(bytes) : 0;
  const std::uint32_t dir = t.AddDirectory({EntryOf(t, tag, type, bytes, values)});
  return t.At(0x927C, 7, 2 + 12 + 4, dir);
}

// Nikon's later form: "Nikon\0", version 2.10, then a TIFF stream of its own.
Entry Nikon(TiffBuilder& t, std::uint16_t tag, std::uint16_t type, const Bytes_& bytes) {
  TiffBuilder inner(t.Order());
  // The directory first, at offset 8 as the bodies write it; values that do not fit after it.
  const std::uint32_t values = inner.Size() + 2 + 12 + 4;
  inner.SetFirstDirectory(inner.AddDirectory({EntryOf(inner, tag, type, bytes, values)}));
  if (bytes.size() > 4) inner.Append(bytes);
  const Bytes_ note = Cat({Bytes(std::string_view("Nikon\0\2\x10\0\0", 10)), inner.Tiff()});
  return t.At(0x927C, 7, static_cast<std::uint32_t>(note.size()), t.Append(note));
}

// Olympus's E-1 form: "OLYMP\0\1\0", a directory whose entry is a sub-directory blob (the high
// word of the tag), the value in the blob's one entry (a longer one before the makernote).
Note Olympus(std::uint16_t directory) {
  return [=](TiffBuilder& t, std::uint16_t tag, std::uint16_t type, const Bytes_& bytes) {
    const std::uint32_t values = bytes.size() > 4 ? t.Append(bytes) : 0;
    const std::uint32_t start = t.Size();
    const std::uint32_t blob = start + 8 + 2 + 12 + 4;
    t.Append(Bytes(std::string_view("OLYMP\0\1\0", 8)));
    t.AddDirectory({t.At(directory, 7, 12 + 4, blob)});
    t.AddDirectory({EntryOf(t, tag, type, bytes, values)});
    return t.At(0x927C, 7, t.Size() - start, start);
  };
}

// Olympus's classic form: "OLYMP\0\1\0" and the directory, the value inline.
Entry OlympusMain(TiffBuilder& t, std::uint16_t tag, std::uint16_t type, const Bytes_& bytes) {
  const std::uint32_t start = t.Size();
  t.Append(Bytes(std::string_view("OLYMP\0\1\0", 8)));
  t.AddDirectory({EntryOf(t, tag, type, bytes, 0)});
  return t.At(0x927C, 7, t.Size() - start, start);
}

// The makernote row of the tag: its tag column ("directory:tag" in a sub-directory), "|", the shown text.
// The row is the one of `tag`, or of `rowTag` where the entry's values are filed under numbers of
// their own (Canon's custom functions and AF records).
std::string MakernoteRow(ByteOrder order, const std::string& make, const std::string& model, const Note& note,
                         std::uint16_t tag, std::uint16_t type, const Bytes_& bytes, std::int32_t position = 0,
                         std::int32_t rowTag = -1) {
  for (const ListingRow& row : ListedWith(order, make, model, [&](TiffBuilder& t) { return note(t, tag, type, bytes); })) {
    if (row.section == kSectionMakernote && row.position == position && row.tagNumber == (rowTag < 0 ? tag : rowTag))
      return row.tag + '|' + row.information;
  }
  return "(keine Zeile)";
}

// The shown text of an entry of the Exif directory.
std::string ExifRow(ByteOrder order, std::uint16_t tag, std::uint16_t type, const Bytes_& bytes) {
  const auto entry = [&](TiffBuilder& t) { return EntryOf(t, tag, type, bytes, bytes.size() > 4 ? t.Append(bytes) : 0); };
  for (const ListingRow& row : ListedWith(order, "Maker", "", entry))
    if (row.section == kSectionMain && row.tagNumber == tag) return row.information;
  return "(keine Zeile)";
}

// The makernote rows ("tag|label|shown", each followed by `end`) of `directory`, of every
// sub-directory (-1), or the sub-rows of list values (0).
std::string RowsOf(const std::vector<ListingRow>& rows, std::int32_t directory, const std::string& end) {
  std::string text;
  for (const ListingRow& row : rows) {
    if (row.section != kSectionMakernote || (directory < 0 ? row.directory == 0 : row.directory != directory)) continue;
    if (directory == 0 && row.tag.find('.') == std::string::npos) continue;
    text += row.tag + '|' + row.label + '|' + row.information + end;
  }
  return text;
}

constexpr const char* kOlympus = "OLYMPUS OPTICAL CO.,LTD";
constexpr const char* kNikon = "NIKON CORPORATION";
constexpr const char* kMinolta = "MINOLTA CO.,LTD";

class Agreement : public ::testing::TestWithParam<ByteOrder> {};
INSTANTIATE_TEST_SUITE_P(ByteOrders, Agreement, ::testing::Values(ByteOrder::LittleEndian, ByteOrder::BigEndian),
                         [](const auto& param) { return param.param == ByteOrder::BigEndian ? "MM" : "II"; });

TEST_P(Agreement, StoredValuesShowWhatTheyMean) {
  const TiffBuilder order(GetParam());
  const auto word = [&](std::uint16_t v) { return order.U16(v); };
  const auto words = [&](const std::vector<std::uint32_t>& list) { return Words(order, list); };
  const auto fractions = [&](const std::vector<std::uint32_t>& list) { return Words(order, list, true); };
  // Minolta's camera settings: 56 big-endian 32-bit numbers, number n (from 1) set to value.
  const auto minolta = [](std::size_t n, std::uint32_t value) {
    Bytes_ out(4 * 56, 0);
    for (int k = 0; k < 4; ++k) out[4 * (n - 1) + k] = static_cast<std::uint8_t>(value >> (24 - 8 * k));
    return out;
  };
  // The make and the makernote's layout.
  using Layout = std::pair<const char*, Note>;
  const Layout canon{"Canon", Canon}, nikon{kNikon, Nikon}, minoltaNote{kMinolta, Canon};
  const auto olympus = [](std::uint16_t directory) { return Layout{kOlympus, Olympus(directory)}; };
  struct Case {
    Layout layout;
    std::uint16_t tag;
    std::uint16_t type;
    Bytes_ bytes;
    const char* shown;
    std::int32_t position = 0;
    std::int32_t rowTag = -1;
    const char* model = "";
  };
  // Canon's lists: value n (from 1) set, the others 0.
  const auto canonList = [&](std::size_t n, std::uint16_t value) {
    Bytes_ out;
    for (std::size_t i = 1; i <= 47; ++i) out = Cat({out, word(i == n ? value : 0)});
    return out;
  };
  // Canon's later custom functions: one group holding one function with one value.
  const auto function = [&](std::uint32_t id, std::int32_t value) {
    return Cat({word(32), word(0), order.U32(1), order.U32(1), order.U32(20), order.U32(1), order.U32(id),
                order.U32(1), order.U32(static_cast<std::uint32_t>(value))});
  };
  // Canon's second AF record of two points: eight words, four arrays of two, then the points in focus.
  const auto afPoints = [&](std::uint16_t inFocus) {
    return words({34, 0, 2, 2, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, inFocus});
  };
  const std::vector<Case> cases = {
      // Canon's model id named as the bodies' own model texts; lens codes from the lens table.
      {canon, 0x0010, 4, order.U32(0x80000254), "16|EOS 1000D"},
      {canon, 0x0001, 3, canonList(23, 48), "1.23|Canon EF-S 18-55mm f/3.5-5.6 IS", 23},
      {canon, 0x0004, 3, canonList(22, 172), "4.22|f/6.3", 22},
      {canon, 0x0023, 4, Cat({order.U32(8), order.U32(0)}), "35|keine"},
      {canon, 0x0026, 3, afPoints(0), "38:12|keine", 0, 12},
      // The later custom functions a body gives meanings of its own, named for that body only.
      {canon, 0x0099, 7, function(0x0202, 1), "1531000:514|ein", 0, 0x0202, "Canon EOS 1000D"},
      {canon, 0x0099, 7, function(0x0704, 0), "153450:1796|normal (ohne Funktion)",
       0, 0x0704, "Canon EOS DIGITAL REBEL XSi"},
      {canon, 0x0099, 7, function(0x0202, 1), "153:514|1", 0, 0x0202, "Canon EOS 50D"},
      {canon, 0x0038, 7, {12, 0, 0, 0, 'L', 'P', '-', 'E', '6', 0, 0, 0}, "56.5|LP-E6", 5},
      {canon, 0x0099, 7, function(0x0106, 1), "153:262|2 Aufnahmen", 0, 0x0106},
      // Nikon's a, b, c, 0 bytes: a × b / c EV, a signed; no divisor shows 0.
      {nikon, 0x000E, 7, {255, 1, 12, 0}, "14|-0.08"}, {nikon, 0x0012, 7, {250, 1, 6, 0}, "18|-1"},
      {nikon, 0x008B, 7, {64, 1, 12, 0}, "139|5.33"}, {nikon, 0x001C, 7, {3, 1, 6}, "28|0.5"},
      {nikon, 0x000D, 7, {6, 1, 0, 0}, "13|0"},
      {nikon, 0x0017, 3, Cat({word(300), word(1)}), "23|300,1"},
      // Canon's image id: sixteen binary bytes as hexadecimal digits.
      {canon, 0x0028, 7,
       {0x54, 0xE8, 0xB2, 0xB5, 0x53, 0x93, 0x47, 0x47, 0x88, 0x41, 0x86, 0x4F, 0x8B, 0xE0, 0xDC, 0xC5},
       "40|54e8b2b5539347478841864f8be0dcc5"},
      // Olympus's sub-directories: value names of a single value.
      {olympus(0x2020), 0x0501, 3, word(0), "8224:1281|automatisch"},
      {olympus(0x2020), 0x0301, 3, word(10), "8224:769|manuelle Fokussierung"},
      {olympus(0x2020), 0x0302, 3, word(1), "8224:770|Autofokus benutzt"},
      {olympus(0x2020), 0x050A, 3, word(8), "8224:1290|automatisch"},
      {olympus(0x2030), 0x010B, 3, word(1), "8240:267|bearbeitet (Landschaft)"},
      {olympus(0x2040), 0x1010, 3, word(0), "8256:4112|keine"},
      {olympus(0x2050), 0x1204, 3, word(0), "8272:4612|indirekt oder aus"},
      {olympus(0x2020), 0x0400, 3, word(2), "8224:1024|Aufhellblitz"},
      {olympus(0x2020), 0x0400, 3, word(9), "8224:1024|ein, Langzeitsynchronisation"},
      {nikon, 0x0089, 3, word(0), "137|Einzelbild"}, {nikon, 0x0089, 3, word(1), "137|Serienbild"},
      {olympus(0x2050), 0x120A, 3, word(1), "8272:4618|ein"},
      {canon, 0x4008, 3, Cat({word(129), word(131), word(0x21)}),
       "16392|Standard, Landschaft, benutzerdefiniert 1"},
      // Canon's lists: the value names of one position.
      {canon, 0x00A0, 3, Cat({word(14), word(0), word(0), word(3)}), "160.4|Standard", 4},
      {canon, 0x0035, 4,
       Cat({order.U32(16), order.U32(0), order.U32(32766), order.U32(0)}), "53.3|nicht eingestellt", 3},
      // A value name above 2^31 - 1 (written in decimal) names the unsigned 32-bit number.
      {canon, 0x0015, 4, order.U32(0xA0000000), "21|Format 2"},
      {canon, 0x0015, 4, order.U32(0xB0000000), "21|2952790016"},
      // Canon's firmware revision: the bytes of one number in hexadecimal digits.
      {canon, 0x001E, 4, order.U32(0x01000200), "30|1.00 rev 2.00"},
      {canon, 0x001E, 4, order.U32(0x1A0B0C0D), "30|1a.0b rev c.0d"},
      {canon, 0x001E, 3, words({1, 2}), "30|1,2"},
      // Lists named as a whole; a list without such a name, or a single number, as stored.
      {nikon, 0x0E22, 3, words({0, 0, 0, 0}), "3618|nicht zutreffend (JPEG)"},
      {nikon, 0x0E22, 3, words({8, 8, 8, 0}), "3618|8 × 3"},
      {nikon, 0x0E22, 3, words({8, 8, 0, 0}), "3618|8,8,0,0"},
      {nikon, 0x009E, 3, words({0, 0, 0, 0, 0, 0}), "158|keine"},
      {nikon, 0x009E, 3, words({0}), "158|0"},
      {olympus(0x2020), 0x0601, 3, words({0, 0}), "8224:1537|aus"},
      // Minolta's camera settings: big-endian 32-bit numbers, computed (ISO, f-number, EV, level).
      {minoltaNote, 0x0001, 7, minolta(9, 43), "1.9|64.84", 9},
      {minoltaNote, 0x0001, 7, minolta(11, 36), "1.11|f/3.4", 11},
      {minoltaNote, 0x0001, 7, minolta(14, 7), "1.14|0.33", 14},
      {minoltaNote, 0x0001, 7, minolta(45, 88), "1.45|5", 45},
      {minoltaNote, 0x0001, 7, minolta(33, 3), "1.33|normal", 33},
      {minoltaNote, 0x0001, 7, minolta(33, 0x105), "1.33|258", 33},
      // Its date and time packed into words, the exposure time as a power of two, the model.
      {minoltaNote, 0x0001, 7, minolta(22, 0x07D10901), "1.22|2001:09:01", 22},
      {minoltaNote, 0x0003, 7, minolta(23, 0x000B0E18), "3.23|11:14:24", 23},
      {minoltaNote, 0x0001, 7, minolta(10, 112), "1.10|1/256", 10},
      {minoltaNote, 0x0003, 7, minolta(38, 6), "3.38|DiMAGE A1", 38},
      {minoltaNote, 0x0003, 7, minolta(4, 0x800000), "3.4|automatisch", 4},
      // The stabiliser's block exists only while the stabiliser is on.
      {minoltaNote, 0x0018, 7, {0, 0, 0, 0}, "24|ein"},
      // The first value named, the others as numbers.
      {olympus(0x2020), 0x0404, 3, words({3, 0}), "8224:1028|TTL, 0"},
      {olympus(0x2020), 0x0404, 3, words({9, 3}), "8224:1028|9, 3"},
      // Nikon: a crop as a sentence, the lens type's bits, the power-up time's 16-bit year.
      {nikon, 0x001B, 3, words({0, 4352, 2868, 4352, 2868, 0, 0}),
       "27|aus (Bild 4352 × 2868, Ausschnitt 4352 × 2868 ab Pixel 0,0)"},
      {nikon, 0x001B, 3, words({2, 6000, 4000, 3936, 2624, 1032, 688}),
       "27|DX (Bild 6000 × 4000, Ausschnitt 3936 × 2624 ab Pixel 1032,688)"},
      {nikon, 0x0083, 1, {14}, "131|D, G, VR"},
      {nikon, 0x00B6, 7, {7, 218, 4, 25, 10, 51, 0, 0}, "182|2010:04:25 10:51:00"},
      {nikon, 0x009D, 2, {'0', 0}, "157|aus"},
      {nikon, 0x00B6, 7, {0, 0, 0, 0, 0, 0, 0, 0}, "182|nicht gesetzt"},
      // Olympus: lists by their parts, AF area corners in percent, the lens by the lens table.
      {olympus(0x2020), 0x0301, 3, words({0, 65}), "8224:769|Einzel-AF; S-AF, Bildsensor-AF"},
      {olympus(0x2020), 0x0305, 10,
       fractions({0, 0, 255, 510, 252, 510, 178, 510, 510, 510}), "8224:773|(50%,49%) (34%,100%)"},
      {olympus(0x2020), 0x050F, 8, words({0, 0xFFFF, 1, 1}), "8224:1295|normal; automatisch übersteuert"},
      {olympus(0x2020), 0x0520, 3, words({2, 2}), "8224:1312|natürlich; 2"},
      {olympus(0x2020), 0x052E, 8, words({0x8301, 0, 0xFFF9, 7, 0x8302, 1, 0xFFF9, 7}),
       "8224:1326|Lichter; 0; -7; 7; Schatten; 1; -7; 7"},
      {olympus(0x2010), 0x0201, 1, {0, 0, 0x13, 0x10, 0, 0},
       "8208:513|Olympus M.Zuiko Digital 14-42mm F3.5-5.6 II R"},
      {olympus(0x2010), 0x0201, 1, {0, 0, 0x7E, 0x7F, 0, 0}, "8208:513|0,0,126,127,0,0"},
      {olympus(0x2050), 0x0305, 5, fractions({0xFFFFFFFF, 10}), "8272:773|unendlich"},
      {olympus(0x2050), 0x0305, 5, fractions({1234, 10}), "8272:773|1234/10"},
      {olympus(0x2050), 0x1209, 3, words({1, 4}), "8272:4617|ein (Stärke 1/4)"},
      {{kOlympus, OlympusMain}, 0x1015, 3, words({1, 0}), "4117|automatisch"},
      {{kOlympus, OlympusMain}, 0x1017, 3, words({240, 64}), "4119.1|0.94", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MakernoteRow(GetParam(), c.layout.first, c.model, c.layout.second, c.tag, c.type, c.bytes, c.position, c.rowTag),
              c.shown)
        << c.shown;
  }
}

TEST_P(Agreement, ExifListsShowTheirMeaning) {
  const TiffBuilder order(GetParam());
  const auto words = [&](const std::vector<std::uint32_t>& list) { return Words(order, list); };
  struct Case {
    std::uint16_t tag;
    std::uint16_t type;
    Bytes_ bytes;
    const char* shown;
  };
  const std::vector<Case> cases = {
      {0x0153, 3, words({1, 1, 3}), "vorzeichenlose Ganzzahl, vorzeichenlose Ganzzahl, Gleitkommazahl"},
      {0x0153, 3, words({1, 9}), "vorzeichenlose Ganzzahl, 9"},
      {0x0212, 3, words({2, 2}), "YCbCr 4:2:0"}, {0x0212, 3, words({2, 1}), "YCbCr 4:2:2"},
      {0x0212, 3, words({3, 1}), "3,1"},
      // The pattern's sizes in either byte order: the one whose product is the colour count.
      {0xA302, 7, {0, 2, 0, 2, 0, 1, 1, 2}, "[Rot,Grün][Grün,Blau]"},
      {0xA302, 7, {2, 0, 2, 0, 1, 2, 0, 1}, "[Grün,Blau][Rot,Grün]"},
      {0xA302, 7, {0, 3, 0, 1, 3, 4, 5}, "[Cyan,Magenta,Gelb]"},
      {0xA302, 7, {0, 0, 0, 0, 0, 0, 0, 0}, "leeres Muster (Größe 0)"},
      {0xA302, 7, {0, 0, 0, 2, 0, 1, 1, 2}, "leeres Muster (Größe 0)"},
      {0xA302, 7, {0, 2, 0, 3, 0, 1, 1, 2}, "0,2,0,3,0,1,1,2"},
      {0xA401, 3, words({3}), "HDR (Original gespeichert)"}, {0xC65A, 3, words({17}), "Normlicht A"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExifRow(GetParam(), c.tag, c.type, c.bytes), c.shown) << c.shown;
  }
}

TEST(AgreementCodes, CanonLensFromTheTable) {
  const LensTable table = LensTable::FromText("canon | 5 | Objektiv A\ncanon | 5 | Objektiv B\ncanon | 7 | C\n",
                                              "canon | 7 | Eigenes C\n", nullptr);
  ExifTag lens;
  lens.setze(0x000C, 0, "Objektivtyp", kDisplayCanonLens);
  lens.addnice(65535, "nicht verfügbar");
  const auto shown = [&](std::initializer_list<std::int64_t> values) {
    ExifValues list;
    for (std::int64_t v : values) list.emplace_back(v);
    return CanonLensText(list, &lens, table);
  };
  EXPECT_EQ(shown({5}), "Objektiv A oder Objektiv B");
  EXPECT_EQ(shown({7}), "Eigenes C");  // the user's file wins
  EXPECT_EQ(shown({65535}), "nicht verfügbar");
  EXPECT_EQ(shown({6}), "6");
  EXPECT_EQ(shown({5, 7}), "5,7");
}

// The list codes' own rules: a pattern's placeholders, bits by name, fractions in percent.
TEST(AgreementCodes, PatternsBitsAndPercentages) {
  const FormatContext context =
      MakeFormatContext(TextLocaleOf(QLocale(QLocale::German, QLocale::Germany)), 1.0);
  const auto shown = [&](const ExifTag& tag, std::int32_t typ, std::vector<ExifValue> values) {
    ZetExif item{tag.tag, typ, {}, 0};
    for (const ExifValue& v : values) item.inhalt.emplace_back(v);
    return FormatGeneral(item, tag.fmt, &tag, context);
  };
  ExifTag pattern;
  pattern.setze(1, 0, "Vorlage", kDisplayPattern);
  pattern.addnice(1, "{2:3}-{3:2}-{9} {x} {2");
  pattern.addnice(4294967295, "unendlich");
  pattern.addnice(0, "Name der ganzen Liste").liste = "0 0";  // names no first value
  ExifTag second;
  second.setze(1, 2, "Zweiter", kDisplayPlain);
  second.addnice(5, "fünf");
  pattern.positions = {&second};
  EXPECT_EQ(shown(pattern, kTypNumbers, {1, 5, 7}), "fünf-07-? {x} {2");  // a name is not padded
  EXPECT_EQ(shown(pattern, kTypNumbers, {1, 6, 7}), "006-07-? {x} {2");
  EXPECT_EQ(shown(pattern, kTypNumbers, {2, 6}), "2; 6");
  EXPECT_EQ(shown(pattern, kTypTexts, {std::string("4294967295/10")}), "unendlich");
  EXPECT_EQ(shown(pattern, kTypTexts, {std::string("Text")}), "Text");
  std::vector<ExifValue> many(33, ExifValue{std::int64_t{0}});
  const std::string full = shown(pattern, kTypNumbers, many);
  EXPECT_EQ(full.size(), 32 * 3 - 2 + 8);  // "0; " 32 times, then ",...(33)"

  ExifTag bits;
  bits.setze(2, 0, "Bits", kDisplayBitNames);
  bits.addnice(0, "keins");
  bits.addnice(1, "eins");
  bits.addnice(4, "vier");
  bits.addnice(5, "eigener Name");
  EXPECT_EQ(shown(bits, kTypNumbers, {0}), "keins");
  EXPECT_EQ(shown(bits, kTypNumbers, {5}), "eigener Name");
  EXPECT_EQ(shown(bits, kTypNumbers, {7}), "eins, 2, vier");
  EXPECT_EQ(shown(bits, kTypNumbers, {-1}), "-1");
  EXPECT_EQ(shown(bits, kTypNumbers, {1, 4}), "1,4");

  ExifTag percent;
  percent.setze(3, 0, "Prozent", kDisplayPercentPairs);
  const auto texts = [](std::initializer_list<const char*> list) {
    std::vector<ExifValue> out;
    for (const char* text : list) out.emplace_back(std::string(text));
    return out;
  };
  EXPECT_EQ(shown(percent, kTypTexts, texts({"0/0", "1/4", "3/4", "999/1000"})), "(25%,75%) (99%)");
  EXPECT_EQ(shown(percent, kTypTexts, texts({"1/0", "1/2"})), "1/0,1/2");
  EXPECT_EQ(shown(percent, kTypTexts, texts({"1/2", "x"})), "1/2,x");

  ExifTag lens;
  lens.setze(4, 0, "Objektiv", kDisplayOlympusLens);
  EXPECT_EQ(shown(lens, kTypNumbers, {0, 0, 0x13}), "0,0,19");
}

// Canon's custom functions, the earlier form: the length word (the block's bytes, or as the D60
// writes it, without the length word), then one word per function: number in the high byte,
// setting in the low byte.
Bytes_ WordForm(const TiffBuilder& o, const std::vector<std::uint32_t>& functions, int lengthChange = 0) {
  return Cat({o.U16(static_cast<std::uint16_t>(2 + 2 * functions.size() + lengthChange)), Words(o, functions)});
}

// The later form from its 32-bit words after the length; the length is the block's own unless given.
Bytes_ GroupForm(const TiffBuilder& o, const std::vector<std::uint32_t>& words, int lengthChange = 0) {
  return Cat({o.U16(static_cast<std::uint16_t>(4 + 4 * words.size() + lengthChange)), o.U16(0), Words(o, words, true)});
}

TEST_P(Agreement, CanonFunctionsNamedWithTheirSettingsAndBoundedByTheirBlock) {
  const TiffBuilder o(GetParam());
  const auto minus = [](int v) { return static_cast<std::uint32_t>(v); };
  struct Case {
    const char* model;
    std::uint16_t tag;
    Bytes_ block;
    const char* shown;
  };
  const Case cases[] = {
      {"Canon EOS 20D", 0x000F, WordForm(o, {0x0101, 0x0501, 0x1004}),
       "1520:1|Rauschreduzierung bei Langzeitbelichtung|ein\n1520:5|Belichtungsstufen|1/2 Stufe\n"
       "1520:16|AF-Stopp-Taste am Objektiv|One-Shot ↔ AI Servo\n"},
      // The D60's length leaves out the length word; the D60 shares the D30's table.
      {"Canon EOS D60", 0x000F, WordForm(o, {0x0401, 0x0D01}, -2),
       "15030:4|Belichtungsstufen|1/3 Stufe\n15030:13|Sensorreinigung|möglich\n"},
      {"Canon EOS-1D Mark II", 0x0090, WordForm(o, {0x0001, 0x1403}),
       "144:0|Einstellscheibe|Ec-A, B, C, CII, CIII, D, H, I, L\n"
       "144:20|AI-Servo-Nachführempfindlichkeit|mäßig schnell\n"},
      {"Canon EOS-1Ds Mark II", 0x000F, WordForm(o, {0x0C01}), "144:12|Spiegelverriegelung|möglich\n"},
      // Whole words of the model pick the body: "REBEL XT" is not the "REBEL XTi".
      {"Canon EOS DIGITAL REBEL XT", 0x000F, WordForm(o, {0x0000}), "15350:0|Set-Taste und Kreuztasten|normal\n"},
      {"Canon EOS DIGITAL REBEL XTi", 0x000F, WordForm(o, {0x0000}),
       "15400:0|Set-Taste und Kreuztasten|Set: Bildstil\n"},
      {"Canon EOS 5D", 0x000F, WordForm(o, {0x0001}), "155:0|Einstellscheibe|Ee-D\n"},
      {"Canon EOS 7D", 0x000F, WordForm(o, {0x0101}), ""},
      // Groups: number, length from the length field on, record count; records: id, count, values
      // (signed). A value without a name stays the number; a list of values is shown as a list.
      {"Canon EOS 40D", 0x0099,
       GroupForm(o, {2, 1, 8 + 12 + 16, 2, 0x0101, 1, 0, 0x0103, 2, 1, 7, 5, 8 + 12 + 12, 2, 0x0502, 1, minus(-2),
                     0x0202, 1, 1}),
       "153:257|Belichtungsstufen|1/3 Stufe\n153:259|ISO-Erweiterung|1,7\n"
       "153:1282|AI-Servo-Nachführempfindlichkeit|langsam\n153:514|High-ISO-Rauschreduzierung|1\n"},
      // Lengths and counts are checked against the block: a block whose length disagrees adds
      // nothing, a group or record that claims more than its block holds ends the reading there, and
      // a group count of four billion costs no more than the bytes there are.
      {"Canon EOS 20D", 0x000F, WordForm(o, {0x0101}, 2), ""},
      {"Canon EOS 20D", 0x000F, WordForm(o, {0x0101, 0x0501}, -4), ""},
      {"Canon EOS 20D", 0x0099, GroupForm(o, {1, 1, 8 + 12 + 4, 1, 0x0101, 1, 0}, 2), ""},
      {"Canon EOS 20D", 0x0099, GroupForm(o, {2, 1, 8 + 12, 1, 0x0101, 1, 0, 2, 8 + 12 + 40, 1, 0x0103, 1, 1}),
       "153:257|Belichtungsstufen|1/3 Stufe\n"},
      // A group shorter than its own header ends the reading: the bytes after it are no group.
      {"Canon EOS 20D", 0x0099, GroupForm(o, {2, 1, 4, 0, 20, 1, 0x0101, 1, 0}), ""},
      {"Canon EOS 20D", 0x0099, GroupForm(o, {1, 1, 8 + 8 + 12, 2, 0x0101, 1, 0, 0x0103, 1000, 1}),
       "153:257|Belichtungsstufen|1/3 Stufe\n"},
      {"Canon EOS 20D", 0x0099, GroupForm(o, {1, 1, 8 + 12, 1, 0x0101, 2, 0, 99}), ""},  // one value too many
      {"Canon EOS 20D", 0x0099, GroupForm(o, {1, 1, 8 + 12, 5, 0x0101, 1, 0, 0x0103, 1, 1}),
       "153:257|Belichtungsstufen|1/3 Stufe\n"},
      {"Canon EOS 20D", 0x0099, GroupForm(o, {0xFFFFFFFF, 1, 8 + 12, 1, 0x0101, 1, 0}),
       "153:257|Belichtungsstufen|1/3 Stufe\n"},
  };
  for (const Case& c : cases) {
    const std::uint16_t type = c.tag == 0x0099 ? 4 : 3;
    EXPECT_EQ(RowsOf(ListedWith(GetParam(), "Canon", c.model,
                                [&](TiffBuilder& t) { return Canon(t, c.tag, type, c.block); }), -1, "\n"),
              c.shown)
        << c.model << " " << &c - cases;
  }
}

// Olympus's E-1 and E-300: "OLYMP\0\1\0", the directory after it, offsets from the TIFF header;
// each sub-directory a blob whose count holds its entries and next link but neither its entry
// count nor the values after it. A blob too short for the entries its count word names holds no
// directory.
TEST_P(Agreement, OlympusE1SubdirectoryBlobsAreReadAsTheirDirectories) {
  for (const std::uint32_t shorter : {0u, 18u}) {
    const auto note = [&](TiffBuilder& t) {
      const std::uint32_t start = t.Size();
      const std::uint32_t blob = start + 8 + 2 + 12 + 4;
      t.Append(Bytes(std::string_view("OLYMP\0\1\0", 8)));
      t.AddDirectory({t.At(0x2010, 7, 2 * 12 + 4 - shorter, blob)});
      t.AddDirectory({t.Inline(0x0100, 2, 4, Bytes(std::string_view("E-1\0", 4))),
                      t.At(0x0103, 5, 1, blob + 2 + 2 * 12 + 4)});
      t.Append(Cat({t.U32(2163), t.U32(100)}));
      return t.At(0x927C, 7, t.Size() - start, start);
    };
    EXPECT_EQ(RowsOf(ListedWith(GetParam(), kOlympus, "E-1", note), -1, "\n"),
              shorter == 0 ? "8208:256|Kameratyp|E-1\n8208:259|Sensordiagonale (mm)|21.6\n" : "");
  }
}

// Nikon's binary blocks (and Panasonic's face counts): ISO codes as ISO speeds, flash compensations
// in EV, bit fields and codes by their names; the block's rows, or (directory 0) the sub-rows of
// list values.

TEST(NikonBlockText, ShownWithTheShippedDefinitions) {
  const std::tuple<std::uint16_t, std::string, const char*> blocks[] = {
      {0x0025, "\x54\x01\x0C\0\x01\x04\x3C\0\0\0\x02\x01"s,
       "37:0|ISO-Empfindlichkeit|400; 37:4|ISO-Erweiterung|Hi 1.0; 37:6|ISO-Empfindlichkeit (2)|100; "
       "37:10|ISO-Erweiterung (2)|Lo 0.3"},
      {0x0088, "\x01\x00\x00\x04"s,
       "136:0|AF-Messfeldsteuerung|dynamisch; 136:1|AF-Messfeld|Mitte; 136:2|AF-Messfelder im Fokus|unten"},
      {0x00A8, "0102\x02\0\0\0\x05\x81\xF7\0\0\0\0\x01\x04\x35\xFA\x06\x00"s,
       "168:0|Blitzdaten-Version|0102; 168:1|Blitzquelle|eingebaut; 168:2|Firmware des externen Blitzes|nicht "
       "verfügbar; 168:3|Zustand des externen Blitzes|ausgelöst und indirekt; 168:4|Master-Steuerung|ein; "
       "168:5|Blitzsteuerung|i-TTL-Aufhellblitz; 168:6|Blitzbelichtungskorrektur (LW)|1.5; "
       "168:7|Brennweite des Blitzes (mm)|keine Angabe; 168:8|Frequenz des Stroboskopblitzes (Hz)|keine Angabe; "
       "168:9|Anzahl der Stroboskopblitze|keine Angabe; 168:10|Entfernung für die Leitzahl|0.1 m; "
       "168:12|Blitzgruppe A Steuerung|automatisch; 168:13|Blitzgruppe B Steuerung|Blendenautomatik; "
       "168:14|Blitzgruppe C Steuerung|Leitzahl (Entfernungspriorität); 168:15|Blitzgruppe A Korrektur (LW)|1; "
       "168:16|Blitzgruppe B Korrektur (LW)|-1; 168:17|Blitzgruppe C Korrektur (LW)|0"},
      {0x00B9, "\x03\xFF\xFE\x02"s,
       "185:0|AF-Feinabstimmung|ein (Zoom); 185:1|AF-Feinabstimmung Speicherplatz|nicht zutreffend; "
       "185:2|AF-Feinabstimmung Anpassung|-2; 185:3|AF-Feinabstimmung Anpassung (Tele)|2"},
  };
  for (const auto& [tag, block, shown] : blocks)
    EXPECT_EQ(RowsOf(Listed(test::NikonBlocksApp1(ByteOrder::BigEndian, {{tag, block}}, "4012345", 395)), tag, "; "),
              shown + "; "s);
  // Panasonic's face blocks: their first 16-bit number (little-endian) as a sub-row.
  const std::string note = "Panasonic\0\0\0\x02\0\x4E\0\x07\0\x04\0\0\0\x03\x01\x09\0\x61\0\x07\0\x04\0\0\0\x02\0\0\0\0\0\0\0"s;
  EXPECT_EQ(RowsOf(Listed(test::PlainMakernoteApp1(ByteOrder::LittleEndian, "Panasonic", note)), 0, "; "),
            "78.1|Zahl der Gesichtspositionen|259; 97.1|Zahl der wiedererkannten Gesichter|2; ");
}

}  // namespace
}  // namespace kelmarin
