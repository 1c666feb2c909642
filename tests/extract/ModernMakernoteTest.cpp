// Makernotes of later cameras and phones and makernotes in another byte order than their block:
// every such row, with the block in both byte orders and the makernote in the same or the opposite
// one. Each makernote directory holds a SHORT (inline) and a RATIONAL at an offset from the row's
// base, so a wrong directory, base or byte order shows up as missing or wrong items.

#include <gtest/gtest.h>

#include "TiffBuilder.h"
#include "extract/ExifBlock.h"
#include "extract/MetadataReader.h"
#include "metadata/Definitions.h"

namespace kelmarin {
namespace {

using test::Cat;
using test::TiffBuilder;

enum class Base { TiffHeader, Makernote, MakernotePlus10, Moved };

struct NoteCase {
  const char* name;
  std::string make;
  std::string prefix;  // "$O" = "II" or "MM" of the makernote's order, "$HDR" = a TIFF header
  std::uint32_t directoryOffset = 0;
  Base base = Base::TiffHeader;
  bool opposite = false;  // the makernote is written in the other byte order than the block
  std::int32_t maker = 0;
};

using namespace std::string_literals;

const NoteCase kCases[] = {
    {"NikonOwnHeader", "NIKON CORPORATION", "Nikon\0\2\x10\0\0$HDR"s, 18, Base::MakernotePlus10, true, 17},
    {"CanonOpposite", "Canon", "", 0, Base::TiffHeader, true, 4},
    {"CanonMoved", "Canon", "", 0, Base::Moved, false, 4},
    {"MinoltaOpposite", "Minolta Co., Ltd.", "", 0, Base::TiffHeader, true, 15},
    {"LeicaLater", "LEICA CAMERA AG", "LEICA\0\6\0"s, 8, Base::Makernote, false, 30},
    {"LeicaFirst", "LEICA", "LEICA\0\0\0"s, 8, Base::TiffHeader, false, 14},
    {"Apple", "Apple", "Apple iOS\0\0\1$O"s, 14, Base::Makernote, true, 26},
    {"OlympusLater", "OLYMPUS IMAGING CORP.", "OLYMPUS\0$O\3\0"s, 12, Base::Makernote, true, 28},
    {"OmSystem", "OM Digital Solutions", "OM SYSTEM\0\0\0$O\4\0"s, 16, Base::Makernote, true, 28},
    {"PentaxLater", "PENTAX", "PENTAX \0$O"s, 10, Base::Makernote, true, 3},
    {"RicohPentax", "RICOH IMAGING COMPANY, LTD.", "PENTAX \0$O"s, 10, Base::Makernote, false, 3},
    {"SonyDsc", "SONY", "SONY DSC \0\0\0"s, 12, Base::TiffHeader, false, 27},
    {"SonyCam", "SONY", "SONY CAM \0\0\0"s, 12, Base::TiffHeader, false, 27},
    {"SonyMobile", "Sony", "SONY MOBILE\0"s, 12, Base::TiffHeader, false, 27},
    {"SonyPlain", "SONY", "", 0, Base::TiffHeader, true, 27},
    {"SonyEricsson", "Sony Ericsson", "SEMC MS\0\0\0\0\0"s, 12, Base::TiffHeader, false, 0},
    {"Samsung", "SAMSUNG", "", 0, Base::TiffHeader, false, 29},
    {"Dji", "DJI FC6310", "", 0, Base::TiffHeader, true, 31},
    {"SamsungFirstForm", "Samsung Techwin", "STMN0100", 8, Base::TiffHeader, false, 0},
};

struct Built {
  std::vector<std::uint8_t> block;
};

ByteOrder Other(ByteOrder order) {
  return order == ByteOrder::BigEndian ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
}

std::vector<std::uint8_t> Prefix(const NoteCase& c, const TiffBuilder& note) {
  const std::string mark = note.Order() == ByteOrder::BigEndian ? "MM" : "II";
  std::string text = c.prefix;
  if (const auto at = text.find("$O"); at != std::string::npos) text.replace(at, 2, mark);
  std::vector<std::uint8_t> out;
  if (const auto hdr = text.find("$HDR"); hdr != std::string::npos) {
    out = Cat({test::Bytes(text.substr(0, hdr)), test::Bytes(mark), note.U16(42), note.U32(8)});
  } else {
    out = test::Bytes(text);
  }
  out.resize(c.directoryOffset, 0);
  return out;
}

// The makernote directory holds 0x0001 SHORT 0x1234, 0x0002 RATIONAL 3/4 and, given sub, a
// sub-directory pointer 0x2010 (type sub) to a directory with 0x0100 SHORT 7.
Built BuildBlock(const NoteCase& c, ByteOrder order, std::uint16_t sub = 0) {
  TiffBuilder tiff(order);
  const std::uint32_t make = tiff.AppendText(c.make + '\0');
  const std::uint32_t note = tiff.Append({});
  const std::uint32_t moved = 100;  // where a moved makernote was written first
  const std::uint32_t base = c.base == Base::TiffHeader        ? 0
                             : c.base == Base::Makernote       ? note
                             : c.base == Base::MakernotePlus10 ? note + 10
                                                               : note - moved;
  tiff.SetOrder(c.opposite ? Other(order) : order);
  tiff.Append(Prefix(c, tiff));
  const std::uint32_t entries = sub != 0 ? 3 : 2;
  const std::uint32_t rational = note + c.directoryOffset + 2 + 12 * entries + 4;
  const std::uint32_t subdirectory = rational + 8;
  std::vector<TiffBuilder::Entry> list = {tiff.Short(0x0001, 0x1234), tiff.At(0x0002, 5, 1, rational - base)};
  if (sub == 7) list.push_back(tiff.At(0x2010, 7, 18, subdirectory - base));
  if (sub == 13) list.push_back(tiff.At(0x2010, 13, 1, subdirectory - base));
  tiff.AddDirectory(list);
  tiff.Append(Cat({tiff.U32(3), tiff.U32(4)}));
  if (sub != 0) tiff.AddDirectory({tiff.Short(0x0100, 7)});
  if (c.base == Base::Moved) tiff.Append(Cat({test::Bytes("II*"s + '\0'), {moved, 0, 0, 0}}));
  tiff.SetOrder(order);

  const std::uint32_t exif = tiff.AddDirectory({tiff.At(0x927C, 7, tiff.Size() - note, note)});
  tiff.SetFirstDirectory(tiff.AddDirectory({
      tiff.At(0x010F, 2, static_cast<std::uint32_t>(c.make.size() + 1), make),
      tiff.Long(0x8769, exif),
  }));
  return {tiff.App1()};
}

class LaterRows : public ::testing::TestWithParam<std::tuple<NoteCase, ByteOrder>> {};

TEST_P(LaterRows, DetectLayoutOrderAndBase) {
  const auto& [c, order] = GetParam();
  ImageMetadata image;
  ReadExifBlock(image, BuildBlock(c, order).block, nullptr);

  EXPECT_EQ(image.camera_id, c.maker);
  if (c.maker == 0) {
    EXPECT_EQ(image.ExifCount(3), 0);
    return;
  }
  ASSERT_EQ(image.ExifCount(3), 2);
  EXPECT_EQ(std::get<std::int64_t>(image.ExifTag(3, 0x0001)->inhalt[0]), 0x1234);
  EXPECT_EQ(std::get<std::string>(image.ExifTag(3, 0x0002)->inhalt[0]), "3/4");
}

INSTANTIATE_TEST_SUITE_P(Table, LaterRows,
                         ::testing::Combine(::testing::ValuesIn(kCases),
                                            ::testing::Values(ByteOrder::LittleEndian, ByteOrder::BigEndian)),
                         [](const auto& testParam) {
                           return std::string(std::get<0>(testParam.param).name) +
                                  (std::get<1>(testParam.param) == ByteOrder::BigEndian ? "_MM" : "_II");
                         });

// Olympus sub-directories, as an IFD offset and as embedded bytes: their items follow the pointer
// item and carry its tag as their directory; no other layout walks them.
TEST(Subdirectories, FollowThePointerAndCarryItsTag) {
  const NoteCase olympus = kCases[7];
  for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    for (const std::uint16_t type : {std::uint16_t{7}, std::uint16_t{13}}) {
      ImageMetadata image;
      ReadExifBlock(image, BuildBlock(olympus, order, type).block, nullptr);
      ASSERT_EQ(image.ExifCount(3), 4) << type;
      const ZetExif* pointer = image.ExifPos(3, 3);
      const ZetExif* inner = image.ExifPos(3, 4);
      EXPECT_EQ(pointer->tag, 0x2010);
      EXPECT_EQ(pointer->directory, 0);
      EXPECT_EQ(inner->tag, 0x0100);
      EXPECT_EQ(inner->directory, 0x2010);
      EXPECT_EQ(std::get<std::int64_t>(inner->inhalt[0]), 7);
    }
  }
  ImageMetadata sony;
  ReadExifBlock(sony, BuildBlock(kCases[11], ByteOrder::BigEndian, 7).block, nullptr);
  EXPECT_EQ(sony.ExifCount(3), 3);
}

}  // namespace
}  // namespace kelmarin
