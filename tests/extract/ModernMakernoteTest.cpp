// Makernotes of later cameras and phones and makernotes in another byte order than their block:
// each such row, the block in both byte orders. The makernote directory holds a SHORT (inline) and
// a RATIONAL at an offset from the row's base, so a wrong directory, base or order shows.
#include <gtest/gtest.h>

#include "TiffBuilder.h"
#include "extract/ExifBlock.h"
#include "extract/MetadataReader.h"

namespace kelmarin {
namespace {

using namespace std::string_literals;
using test::TiffBuilder;

struct NoteCase {
  const char* name;
  std::string make;
  std::string prefix;  // "$O": "II" or "MM" of the makernote's order; "$HDR": a TIFF header
  std::uint32_t directoryOffset;
  int base;       // 0 TIFF header, else makernote + base - 1; -1 moved (Canon's footer)
  bool opposite;  // the makernote is written in the other byte order than the block
  std::int32_t maker;
};

const NoteCase kCases[] = {
    {"NikonOwnHeader", "NIKON CORPORATION", "Nikon\0\2\x10\0\0$HDR"s, 18, 11, true, 17},
    {"CanonOpposite", "Canon", "", 0, 0, true, 4},
    {"CanonMoved", "Canon", "", 0, -1, false, 4},
    {"MinoltaOpposite", "Minolta Co., Ltd.", "", 0, 0, true, 15},
    {"LeicaLater", "LEICA CAMERA AG", "LEICA\0\6\0"s, 8, 1, false, 30},
    {"LeicaFirst", "LEICA", "LEICA\0\0\0"s, 8, 0, false, 14},
    {"Apple", "Apple", "Apple iOS\0\0\1$O"s, 14, 1, true, 26},
    {"OlympusLater", "OLYMPUS IMAGING CORP.", "OLYMPUS\0$O\3\0"s, 12, 1, true, 28},
    {"OmSystem", "OM Digital Solutions", "OM SYSTEM\0\0\0$O\4\0"s, 16, 1, true, 28},
    {"PentaxLater", "PENTAX", "PENTAX \0$O"s, 10, 1, true, 3},
    {"RicohPentax", "RICOH IMAGING COMPANY, LTD.", "PENTAX \0$O"s, 10, 1, false, 3},
    {"SonyDsc", "SONY", "SONY DSC \0\0\0"s, 12, 0, false, 27},
    {"SonyCam", "SONY", "SONY CAM \0\0\0"s, 12, 0, false, 27},
    {"SonyMobile", "Sony", "SONY MOBILE\0"s, 12, 0, false, 27},
    {"SonyPlain", "SONY", "", 0, 0, true, 27},
    {"SonyEricsson", "Sony Ericsson", "SEMC MS\0\0\0\0\0"s, 12, 0, false, 0},
    {"Samsung", "SAMSUNG", "", 0, 0, false, 29},
    {"Dji", "DJI FC6310", "", 0, 0, true, 31},
    {"SamsungFirstForm", "Samsung Techwin", "STMN0100", 8, 0, false, 0},
};

// Given sub (7 or 13), the directory also points with tag 0x2010 to a sub-directory holding
// 0x0100 SHORT 7, as its own bytes (UNDEFINED) or as an offset (IFD).
std::vector<std::uint8_t> Block(const NoteCase& c, ByteOrder order, std::uint16_t sub = 0) {
  TiffBuilder tiff(order);
  const std::uint32_t make = tiff.AppendText(c.make + '\0');
  const std::uint32_t note = tiff.Append({});
  const std::uint32_t moved = 100;  // where a moved makernote was written first
  const std::uint32_t base = c.base == 0 ? 0 : c.base > 0 ? note + c.base - 1 : note - moved;
  tiff.SetOrder(c.opposite ? (order == ByteOrder::BigEndian ? ByteOrder::LittleEndian : ByteOrder::BigEndian)
                           : order);
  const std::string mark = tiff.Order() == ByteOrder::BigEndian ? "MM" : "II";
  std::string text = c.prefix;
  if (const auto at = text.find("$O"); at != std::string::npos) text.replace(at, 2, mark);
  std::vector<std::uint8_t> prefix = test::Bytes(text.substr(0, text.find("$HDR")));
  if (text.find("$HDR") != std::string::npos) prefix = test::Cat({prefix, test::Bytes(mark), tiff.U16(42), tiff.U32(8)});
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
  tiff.SetFirstDirectory(tiff.AddDirectory(
      {tiff.At(0x010F, 2, static_cast<std::uint32_t>(c.make.size() + 1), make), tiff.Long(0x8769, exif)}));
  return tiff.App1();
}

TEST(LaterMakernotes, DetectLayoutOrderAndBase) {
  for (const NoteCase& c : kCases) {
    for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
      SCOPED_TRACE(std::string(c.name) + (order == ByteOrder::BigEndian ? " MM" : " II"));
      ImageMetadata image;
      ReadExifBlock(image, Block(c, order), nullptr);
      EXPECT_EQ(image.camera_id, c.maker);
      ASSERT_EQ(image.ExifCount(3), c.maker == 0 ? 0 : 2);
      if (c.maker == 0) continue;
      EXPECT_EQ(std::get<std::int64_t>(image.ExifTag(3, 0x0001)->inhalt[0]), 0x1234);
      EXPECT_EQ(std::get<std::string>(image.ExifTag(3, 0x0002)->inhalt[0]), "3/4");
    }
  }
}

// Olympus sub-directories, as an offset and as their own bytes: their items follow the pointer item
// and carry its tag as their directory; a layout without sub-directories does not walk them.
TEST(LaterMakernotes, SubdirectoriesFollowTheirPointer) {
  for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    for (const std::uint16_t type : {std::uint16_t{7}, std::uint16_t{13}}) {
      ImageMetadata image;
      ReadExifBlock(image, Block(kCases[7], order, type), nullptr);
      ASSERT_EQ(image.ExifCount(3), 4) << type;
      EXPECT_EQ(image.ExifPos(3, 3)->directory, 0);
      EXPECT_EQ(image.ExifPos(3, 4)->tag, 0x0100);
      EXPECT_EQ(image.ExifPos(3, 4)->directory, 0x2010);
    }
  }
  ImageMetadata sony;
  ReadExifBlock(sony, Block(kCases[11], ByteOrder::BigEndian, 7), nullptr);
  EXPECT_EQ(sony.ExifCount(3), 3);
}

}  // namespace
}  // namespace kelmarin
