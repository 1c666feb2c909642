// Canon's custom functions (the earlier per-body word form and the later group form) and the
// sub-directories of Olympus's E-1 and E-300 stored as blobs: bytes written in both byte orders,
// read by the metadata reader, listed with the shipped definition file as the window shows them.
#include <gtest/gtest.h>

#include <QLocale>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../metadata/RecordingReporter.h"
#include "TiffBuilder.h"
#include "extract/ImageMetadata.h"
#include "extract/MetadataSource.h"
#include "metadata/Definitions.h"
#include "present/Formatter.h"
#include "present/Listing.h"
#include "present/TextLocale.h"
#include "present/qt/QtTextLocale.h"

namespace kelmarin {
namespace {

using test::Bytes;
using test::Cat;
using test::TiffBuilder;
using Entry = TiffBuilder::Entry;
using Bytes_ = std::vector<std::uint8_t>;

const Definitions& Tables() { return ShippedDefinitions(); }

// Writes the makernote (at the builder's end) and returns its 0x927C entry.
using Note = std::function<Entry(TiffBuilder&)>;

// The makernote rows of a sub-directory ("directory:tag|label|shown"), one per line.
std::string SubdirectoryRows(ByteOrder order, const std::string& make, const std::string& model,
                             const Note& note) {
  TiffBuilder t(order);
  const Entry makernote = note(t);
  const std::uint32_t exif = t.AddDirectory({makernote});
  const Entry makeEntry = t.Ascii(0x010F, make);
  const Entry modelEntry = t.Ascii(0x0110, model);
  t.SetFirstDirectory(t.AddDirectory({makeEntry, modelEntry, t.Long(0x8769, exif)}));
  auto source = std::make_shared<MetadataSource>();
  source->markers.push_back({0xE1, t.App1()});
  const ImageMetadata metadata = ReadMetadata(4, source, &Tables());
  const TextLocale german = TextLocaleOf(QLocale(QLocale::German, QLocale::Germany));
  std::string text;
  for (const ListingRow& row : FillMetadataList(Tables(), metadata, MakeFormatContext(german, 1.0))) {
    if (row.section == kSectionMakernote && row.directory != 0)
      text += row.tag + '|' + row.label + '|' + row.information + '\n';
  }
  return text;
}

Bytes_ Words(const TiffBuilder& t, const std::vector<std::uint32_t>& words, bool wide = false) {
  Bytes_ out;
  for (std::uint32_t w : words) {
    const Bytes_ part = wide ? t.U32(w) : t.U16(static_cast<std::uint16_t>(w));
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

// A Canon makernote (a plain directory, offsets from the TIFF header) with one entry of the given
// tag, type and value bytes.
Note Canon(std::uint16_t tag, std::uint16_t type, std::function<Bytes_(const TiffBuilder&)> value) {
  return [=](TiffBuilder& t) {
    const Bytes_ bytes = value(t);
    const std::uint32_t unit = type == 4 ? 4 : type == 3 ? 2 : 1;
    const auto count = static_cast<std::uint32_t>(bytes.size()) / unit;
    const Entry entry =
        bytes.size() <= 4 ? t.Inline(tag, type, count, bytes) : t.At(tag, type, count, t.Append(bytes));
    const std::uint32_t dir = t.AddDirectory({entry});
    return t.At(0x927C, 7, 2 + 12 + 4, dir);
  };
}

// The earlier form: the length word (the block's bytes, or as the D60 writes it, without the
// length word), then one word per function: number in the high byte, setting in the low byte.
Note WordForm(std::uint16_t tag, std::vector<std::uint32_t> functions, int lengthChange = 0) {
  return Canon(tag, 3, [=](const TiffBuilder& t) {
    std::vector<std::uint32_t> words = {static_cast<std::uint32_t>(2 + 2 * functions.size() + lengthChange)};
    words.insert(words.end(), functions.begin(), functions.end());
    return Words(t, words);
  });
}

// The later form from its 32-bit words after the length; the length is the block's own unless given.
Note GroupForm(std::vector<std::uint32_t> words, int lengthChange = 0) {
  return Canon(0x0099, 4, [=](const TiffBuilder& t) {
    const auto length = static_cast<std::uint16_t>(4 + 4 * words.size() + lengthChange);
    return Cat({t.U16(length), t.U16(0), Words(t, words, true)});
  });
}

class Functions : public ::testing::TestWithParam<ByteOrder> {};
INSTANTIATE_TEST_SUITE_P(ByteOrders, Functions,
                         ::testing::Values(ByteOrder::LittleEndian, ByteOrder::BigEndian),
                         [](const auto& param) { return param.param == ByteOrder::BigEndian ? "MM" : "II"; });

TEST_P(Functions, EachFormShowsItsFunctionsNamedWithTheirSettings) {
  struct Case {
    const char* name;
    const char* model;
    Note note;
    const char* shown;
  };
  const std::vector<Case> cases = {
      {"20D", "Canon EOS 20D", WordForm(0x000F, {0x0101, 0x0501, 0x1004}),
       "1520:1|Rauschreduzierung bei Langzeitbelichtung|ein\n1520:5|Belichtungsstufen|1/2 Stufe\n"
       "1520:16|AF-Stopp-Taste am Objektiv|One-Shot ↔ AI Servo\n"},
      // The D60's length leaves out the length word; the D60 shares the D30's table.
      {"D60", "Canon EOS D60", WordForm(0x000F, {0x0401, 0x0D01}, -2),
       "15030:4|Belichtungsstufen|1/3 Stufe\n15030:13|Sensorreinigung|möglich\n"},
      {"1D-tag", "Canon EOS-1D Mark II", WordForm(0x0090, {0x0001, 0x1403}),
       "144:0|Einstellscheibe|Ec-A, B, C, CII, CIII, D, H, I, "
       "L\n144:20|AI-Servo-Nachführempfindlichkeit|mäßig "
       "schnell\n"},
      {"1D-series", "Canon EOS-1Ds Mark II", WordForm(0x000F, {0x0C01}),
       "144:12|Spiegelverriegelung|möglich\n"},
      // Whole words of the model pick the body: "REBEL XT" is not the "REBEL XTi".
      {"350D", "Canon EOS DIGITAL REBEL XT", WordForm(0x000F, {0x0000}),
       "15350:0|Set-Taste und Kreuztasten|normal\n"},
      {"400D", "Canon EOS DIGITAL REBEL XTi", WordForm(0x000F, {0x0000}),
       "15400:0|Set-Taste und Kreuztasten|Set: Bildstil\n"},
      {"5D", "Canon EOS 5D", WordForm(0x000F, {0x0001}), "155:0|Einstellscheibe|Ee-D\n"},
      {"unknown-body", "Canon EOS 7D", WordForm(0x000F, {0x0101}), ""},
      // Groups: number, length from the length field on, record count; records: id, count, values
      // (signed). A value without a name stays the number; a list of values is shown as a list.
      {"groups", "Canon EOS 40D",
       GroupForm({2,
                  1,
                  8 + 12 + 16,
                  2,
                  0x0101,
                  1,
                  0,
                  0x0103,
                  2,
                  1,
                  7,
                  5,
                  8 + 12 + 12,
                  2,
                  0x0502,
                  1,
                  static_cast<std::uint32_t>(-2),
                  0x0202,
                  1,
                  1}),
       "153:257|Belichtungsstufen|1/3 Stufe\n153:259|ISO-Erweiterung|1,7\n"
       "153:1282|AI-Servo-Nachführempfindlichkeit|langsam\n153:514|High-ISO-Rauschreduzierung|1\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SubdirectoryRows(GetParam(), "Canon", c.model, c.note), c.shown) << c.name;
  }
}

// Lengths and counts are checked against the block: a block whose length disagrees adds nothing,
// a group or record that claims more than its block holds ends the reading there, and a group
// count of four billion costs no more than the bytes there are.
TEST_P(Functions, CountsAndLengthsBeyondTheBlockReadNothingBeyondIt) {
  struct Case {
    const char* name;
    Note note;
    const char* shown;
  };
  const std::vector<Case> cases = {
      {"word-length-larger", WordForm(0x000F, {0x0101}, 2), ""},
      {"word-length-smaller", WordForm(0x000F, {0x0101, 0x0501}, -4), ""},
      {"group-length-larger", GroupForm({1, 1, 8 + 12 + 4, 1, 0x0101, 1, 0}, 2), ""},
      {"group-past-the-block", GroupForm({2, 1, 8 + 12, 1, 0x0101, 1, 0, 2, 8 + 12 + 40, 1, 0x0103, 1, 1}),
       "153:257|Belichtungsstufen|1/3 Stufe\n"},
      // A group shorter than its own header ends the reading: the bytes after it are no group.
      {"group-length-too-small", GroupForm({2, 1, 4, 0, 20, 1, 0x0101, 1, 0}), ""},
      {"values-past-the-group", GroupForm({1, 1, 8 + 8 + 12, 2, 0x0101, 1, 0, 0x0103, 1000, 1}),
       "153:257|Belichtungsstufen|1/3 Stufe\n"},
      {"records-past-the-group", GroupForm({1, 1, 8 + 12, 5, 0x0101, 1, 0, 0x0103, 1, 1}),
       "153:257|Belichtungsstufen|1/3 Stufe\n"},
      {"group-count-huge", GroupForm({0xFFFFFFFF, 1, 8 + 12, 1, 0x0101, 1, 0}),
       "153:257|Belichtungsstufen|1/3 Stufe\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SubdirectoryRows(GetParam(), "Canon", "Canon EOS 20D", c.note), c.shown) << c.name;
  }
}

// Olympus's E-1 and E-300: "OLYMP\0\1\0", the directory after it, offsets from the TIFF header;
// each sub-directory a blob whose count holds its entries and next link but neither its entry
// count nor the values after it.
Note OlympusE1(std::uint32_t blobCountChange = 0) {
  return [=](TiffBuilder& t) {
    const std::uint32_t start = t.Size();
    const std::uint32_t directory = start + 8;
    const std::uint32_t blob = directory + 2 + 12 + 4;
    const std::uint32_t values = blob + 2 + 2 * 12 + 4;
    t.Append(Bytes(std::string_view("OLYMP\0\1\0", 8)));
    t.AddDirectory({t.At(0x2010, 7, 2 * 12 + 4 + blobCountChange, blob)});
    t.AddDirectory({t.Inline(0x0100, 2, 4, Bytes(std::string_view("E-1\0", 4))), t.At(0x0103, 5, 1, values)});
    t.Append(Cat({t.U32(2163), t.U32(100)}));
    return t.At(0x927C, 7, t.Size() - start, start);
  };
}

TEST_P(Functions, OlympusE1SubdirectoryBlobsAreReadAsTheirDirectories) {
  EXPECT_EQ(SubdirectoryRows(GetParam(), "OLYMPUS OPTICAL CO.,LTD", "E-1", OlympusE1()),
            "8208:256|Kameratyp|E-1\n8208:259|Sensordiagonale (mm)|21.6\n");
  // A blob too short for the entries its count word names holds no directory.
  EXPECT_EQ(SubdirectoryRows(GetParam(), "OLYMPUS OPTICAL CO.,LTD", "E-1", OlympusE1(-18)), "");
}

}  // namespace
}  // namespace kelmarin
