// Maker detection: every makernote layout, the block in both byte orders. The makernote directory
// holds a SHORT (inline) and a RATIONAL at an offset from the layout's base, so a wrong directory,
// base or byte order shows up as missing or wrong items.

#include <gtest/gtest.h>

#include "TiffBuilder.h"
#include "extract/MetadataReader.h"
#include "metadata/Definitions.h"

namespace kelmarin {
namespace {

using namespace std::string_literals;
using test::TiffBuilder;

struct NoteCase {
  const char* name;
  std::string make, model;
  std::string prefix;  // bytes at the makernote start; "$O": "II"/"MM" of its order, "$HDR": a TIFF header
  std::uint32_t directoryOffset;
  int base;   // 0 TIFF header, else makernote + base - 1; -1 moved (Canon's footer)
  int order;  // 0 the block's, 1 the other one, 2 always little-endian
  std::int32_t maker;
};

const std::string kFuji = "FUJIFILM\x0c\0\0\0"s;

const NoteCase kCases[] = {
    {"Agfa", "AGFA", "", "AGFA \0\1\0"s, 8, 0, 0, 18},
    {"AsahiAoc", "ASAHI OPTICAL CO.,LTD PENTAX", "", "AOC\0MM"s, 6, 0, 0, 3},
    // The ASAHI row comes first: without AOC it gives 2, never the PENTAX row's 0.
    {"AsahiBeforePentax", "ASAHI OPTICAL CO.,LTD PENTAX", "", "", 0, 0, 0, 2},
    {"Canon", "Canon", "Canon EOS 40D", "", 0, 0, 0, 4},
    {"CanonOpposite", "Canon", "", "", 0, 0, 1, 4},
    {"CanonMoved", "Canon", "", "", 0, -1, 0, 4},
    {"CanonBeforeNikon", "NIKON by CANON", "", "", 0, 0, 0, 4},
    {"CasioQvc", "CASIO COMPUTER CO.,LTD.", "", "QVC\0\0\0"s, 6, 0, 0, 6},
    {"Casio", "CASIO", "", "", 0, 1, 0, 5},
    {"Epson", "SEIKO EPSON CORP.", "", "EPSON\0\1\0"s, 8, 0, 0, 18},
    {"Fujifilm", "FUJIFILM", "", kFuji, 12, 1, 2, 8},
    {"FujifilmBeforeLeica", "LEICA FUJIFILM", "", kFuji, 12, 1, 2, 8},
    {"FujiPhotoFilm", "FUJI PHOTO FILM CO., LTD.", "", kFuji, 12, 1, 2, 8},
    {"LeicaFujifilm", "LEICA", "", kFuji, 12, 1, 2, 8},
    {"JenoptikSkanh", "JENOPTIK", "", "skanh\0\0\0"s, 8, 0, 0, 10},
    {"JenoptikOther", "JENOPTIK", "", "JENOP\0\0\0"s, 8, 0, 0, 0},
    // The first make word decides: JENOPTIK's group fails, LEICA is not tried.
    {"JenoptikLeica", "JENOPTIK LEICA", "", "LEICA\0\0\0"s, 8, 0, 0, 0},
    {"Leica", "LEICA", "", "LEICA\0\0\0"s, 8, 0, 0, 14},
    {"LeicaLater", "LEICA CAMERA AG", "", "LEICA\0\6\0"s, 8, 1, 0, 30},
    {"Minolta", "Minolta Co., Ltd.", "", "", 0, 0, 0, 15},
    {"MinoltaOpposite", "Minolta Co., Ltd.", "", "", 0, 0, 1, 15},
    {"NikonE950", "NIKON", "E950", "Nikon\0\1\0"s, 8, 0, 0, 16},
    {"NikonCoolpix", "NIKON", "COOLPIX E700", "Nikon\0\1\0"s, 8, 0, 0, 16},
    {"NikonE5000", "NIKON", "E5000", "Nikon\0\2\x10\0\0$HDR"s, 18, 11, 0, 17},
    {"NikonOwnHeader", "NIKON CORPORATION", "", "Nikon\0\2\x10\0\0$HDR"s, 18, 11, 1, 17},
    {"NikonNoHeader", "NIKON CORPORATION", "NIKON D1", "", 0, 0, 0, 17},
    {"Olympus", "OLYMPUS OPTICAL CO.,LTD", "C8080WZ", "OLYMP\0\1\0"s, 8, 0, 0, 18},
    {"OlympusLater", "OLYMPUS IMAGING CORP.", "", "OLYMPUS\0$O\3\0"s, 12, 1, 1, 28},
    {"OmSystem", "OM Digital Solutions", "", "OM SYSTEM\0\0\0$O\4\0"s, 16, 1, 1, 28},
    {"Panasonic", "Panasonic", "DMC-FZ30", "Panasonic\0\0\0"s, 12, 0, 0, 19},
    {"PentaxAoc", "PENTAX Corporation", "", "AOC\0MM"s, 6, 0, 0, 3},
    // "AOC" before the makernote (in the make itself) does not count.
    {"PentaxWithoutAoc", "PENTAX AOC", "", "PENTAX\0\0"s, 8, 0, 0, 0},
    {"PentaxLater", "PENTAX", "", "PENTAX \0$O"s, 10, 1, 1, 3},
    {"RicohPentax", "RICOH IMAGING COMPANY, LTD.", "", "PENTAX \0$O"s, 10, 1, 0, 3},
    {"Ricoh", "RICOH", "", "Ricoh\0\0\0"s, 8, 0, 0, 21},
    {"RicohWithout", "RICOH", "", "Rv0103\0\0"s, 8, 0, 0, 0},
    {"Sanyo", "SANYO Electric Co.,Ltd.", "", "SANYO\0\1\0"s, 8, 0, 0, 18},
    {"Sigma", "SIGMA", "", "SIGMA\0\0\0\1\0"s, 10, 0, 0, 25},
    {"Apple", "Apple", "", "Apple iOS\0\0\1$O"s, 14, 1, 1, 26},
    {"SonyDsc", "SONY", "", "SONY DSC \0\0\0"s, 12, 0, 0, 27},
    {"SonyCam", "SONY", "", "SONY CAM \0\0\0"s, 12, 0, 0, 27},
    {"SonyMobile", "Sony", "", "SONY MOBILE\0"s, 12, 0, 0, 27},
    {"SonyPlain", "SONY", "", "", 0, 0, 1, 27},
    {"SonyEricsson", "Sony Ericsson", "", "SEMC MS\0\0\0\0\0$HDR"s, 20, 13, 1, 27},
    {"Samsung", "SAMSUNG", "", "", 0, 0, 0, 29},
    {"Dji", "DJI FC6310", "", "", 0, 0, 1, 31},
    {"Motorola", "Motorola", "", "MOT\0\1\1\1\1"s, 8, 1, 0, 37},
    {"Unknown", "Acme Cameras", "", "ACME\0\0\0\0"s, 8, 0, 0, 0},
};

const NoteCase& Case(std::string_view name) {
  return *std::find_if(std::begin(kCases), std::end(kCases), [&](const NoteCase& c) { return c.name == name; });
}

ByteOrder Other(ByteOrder order) {
  return order == ByteOrder::BigEndian ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
}

// Given sub (7 or 13), the directory also points with tag 0x2010 to a sub-directory holding
// 0x0100 SHORT 7, as its own bytes (UNDEFINED) or as an offset (IFD).
std::vector<std::uint8_t> Block(const NoteCase& c, ByteOrder order, std::uint16_t sub = 0) {
  TiffBuilder tiff(order);
  const std::uint32_t make = tiff.AppendText(c.make + '\0');
  const std::uint32_t model = tiff.AppendText(c.model + '\0');
  const std::uint32_t note = tiff.Append({});
  const std::uint32_t moved = 100;  // where a moved makernote was written first
  const std::uint32_t base = c.base == 0 ? 0 : c.base > 0 ? note + c.base - 1 : note - moved;
  tiff.SetOrder(c.order == 0 ? order : c.order == 1 ? Other(order) : ByteOrder::LittleEndian);
  const std::string mark = tiff.Order() == ByteOrder::BigEndian ? "MM" : "II";
  std::string text = c.prefix;
  if (const auto at = text.find("$O"); at != std::string::npos) text.replace(at, 2, mark);
  std::vector<std::uint8_t> prefix = test::Bytes(text.substr(0, text.find("$HDR")));
  if (text.find("$HDR") != std::string::npos)
    prefix = test::Cat({prefix, test::Bytes(mark), tiff.U16(42), tiff.U32(8)});
  prefix.resize(c.directoryOffset, 0);
  tiff.Append(prefix);
  const std::uint32_t entries = sub != 0 ? 3 : 2;
  const std::uint32_t rational = note + c.directoryOffset + 2 + 12 * entries + 4;
  std::vector<TiffBuilder::Entry> list = {tiff.Short(0x0001, 0x1234), tiff.At(0x0002, 5, 1, rational - base)};
  if (sub != 0) list.push_back(tiff.At(0x2010, sub, sub == 7 ? 18 : 1, rational + 8 - base));
  tiff.AddDirectory(list);
  tiff.Append(test::Cat({tiff.U32(3), tiff.U32(4)}));
  if (sub != 0) tiff.AddDirectory({tiff.Short(0x0100, 7)});
  if (c.base < 0) tiff.Append(test::Cat({test::Bytes("II*"s + '\0'), {moved, 0, 0, 0}}));
  tiff.SetOrder(order);
  const std::uint32_t exif = tiff.AddDirectory({tiff.At(0x927C, 7, tiff.Size() - note, note)});
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.At(0x010F, 2, static_cast<std::uint32_t>(c.make.size() + 1), make),
                                            tiff.At(0x0110, 2, static_cast<std::uint32_t>(c.model.size() + 1), model),
                                            tiff.Long(0x8769, exif)}));
  return tiff.App1();
}

TEST(Makernotes, DetectLayoutOrderAndBase) {
  for (const NoteCase& c : kCases) {
    for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
      SCOPED_TRACE(std::string(c.name) + (order == ByteOrder::BigEndian ? " MM" : " II"));
      ImageMetadata image;
      image.camera_id = 99;
      ReadExifBlock(image, Block(c, order), nullptr);
      EXPECT_EQ(image.camera_id, c.maker);
      EXPECT_NE(image.ExifTag(1, 0x927C), nullptr);  // the makernote's own item stays in its section
      ASSERT_EQ(image.ExifCount(3), c.maker == 0 ? 0 : 2);
      if (c.maker == 0) continue;
      EXPECT_EQ(std::get<std::int64_t>(image.ExifTag(3, 0x0001)->inhalt[0]), 0x1234);
      EXPECT_EQ(std::get<std::string>(image.ExifTag(3, 0x0002)->inhalt[0]), "3/4");
    }
  }
}

// Olympus sub-directories, as an offset and as their own bytes: their items follow the pointer item
// and carry its tag as their directory; a layout without sub-directories does not walk them.
TEST(Makernotes, SubdirectoriesFollowTheirPointer) {
  for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    for (const std::uint16_t type : {std::uint16_t{7}, std::uint16_t{13}}) {
      ImageMetadata image;
      ReadExifBlock(image, Block(Case("OlympusLater"), order, type), nullptr);
      ASSERT_EQ(image.ExifCount(3), 4) << type;
      EXPECT_EQ(image.ExifPos(3, 3)->directory, 0);
      EXPECT_EQ(image.ExifPos(3, 4)->tag, 0x0100);
      EXPECT_EQ(image.ExifPos(3, 4)->directory, 0x2010);
    }
  }
  ImageMetadata sony;
  ReadExifBlock(sony, Block(Case("SonyDsc"), ByteOrder::BigEndian, 7), nullptr);
  EXPECT_EQ(sony.ExifCount(3), 3);
}

TEST(Makernotes, FocalLengthFactorFromTheLastMakeAndModel) {
  Definitions definitions;
  definitions.AddFocalEquiv("NIKON", "E950", 4.8);
  ImageMetadata image;
  ReadExifBlock(image, Block(Case("NikonE950"), ByteOrder::BigEndian), &definitions);
  EXPECT_DOUBLE_EQ(image.camera_feq, 4.8);
  // Another block without a known model resets the factor to 0.
  ReadExifBlock(image, Block(Case("Canon"), ByteOrder::BigEndian), &definitions);
  EXPECT_EQ(image.camera_feq, 0.0);
}

}  // namespace
}  // namespace kelmarin
