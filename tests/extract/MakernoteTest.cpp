// Maker detection: every row of the makernote table, in both byte orders. Each block carries a
// makernote whose directory holds a SHORT (inline) and a RATIONAL (at an offset counted from the
// layout's base), so a wrong directory or a wrong base shows up as missing or wrong items.

#include <gtest/gtest.h>

#include "TiffBuilder.h"
#include "extract/ExifBlock.h"
#include "extract/MetadataReader.h"
#include "metadata/Definitions.h"

namespace kelmarin {
namespace {

using test::Cat;
using test::TiffBuilder;

enum class Base { TiffHeader, Makernote, NikonHeader };

struct MakerCase {
  const char* name;
  std::string make;
  std::string model;
  std::string prefix;  // bytes at the makernote start; "$HDR" = Nikon's TIFF header, "$LINK" = LE 12
  std::uint32_t directoryOffset = 0;  // from the makernote start
  Base base = Base::TiffHeader;
  bool littleEndianNote = false;
  std::int32_t maker = 0;
};

const MakerCase kCases[] = {
    {"Agfa", "AGFA", "", std::string("AGFA \0\1\0", 8), 8, Base::TiffHeader, false, 18},
    {"AsahiAoc", "ASAHI OPTICAL CO.,LTD PENTAX", "", std::string("AOC\0MM", 6), 6, Base::TiffHeader, false,
     3},
    // The ASAHI row comes first: without AOC it gives 2, never the PENTAX row's 0.
    {"AsahiBeforePentax", "ASAHI OPTICAL CO.,LTD PENTAX", "", "", 0, Base::TiffHeader, false, 2},
    {"Canon", "Canon", "Canon EOS 40D", "", 0, Base::TiffHeader, false, 4},
    {"CasioQvc", "CASIO COMPUTER CO.,LTD.", "", std::string("QVC\0\0\0", 6), 6, Base::TiffHeader, false, 6},
    {"Casio", "CASIO", "", "", 0, Base::Makernote, false, 5},
    {"Epson", "SEIKO EPSON CORP.", "", std::string("EPSON\0\1\0", 8), 8, Base::TiffHeader, false, 18},
    {"Fujifilm", "FUJIFILM", "", "FUJIFILM$LINK", 12, Base::Makernote, true, 8},
    {"JenoptikSkanh", "JENOPTIK", "", std::string("skanh\0\0\0", 8), 8, Base::TiffHeader, false, 10},
    {"JenoptikOther", "JENOPTIK", "", std::string("JENOP\0\0\0", 8), 8, Base::TiffHeader, false, 0},
    // The first make word decides: JENOPTIK's group fails, LEICA is not tried.
    {"JenoptikLeica", "JENOPTIK LEICA", "", std::string("LEICA\0\0\0", 8), 8, Base::TiffHeader, false, 0},
    {"LeicaFujifilm", "LEICA", "", "FUJIFILM$LINK", 12, Base::Makernote, true, 8},
    {"Leica", "LEICA", "", std::string("LEICA\0\0\0", 8), 8, Base::TiffHeader, false, 14},
    {"Minolta", "Minolta Co., Ltd.", "", "", 0, Base::TiffHeader, false, 15},
    {"NikonE950", "NIKON", "E950", std::string("Nikon\0\1\0", 8), 8, Base::TiffHeader, false, 16},
    {"NikonE5000", "NIKON", "E5000", std::string("Nikon\0\2\x10\0\0", 10) + "$HDR", 18, Base::NikonHeader,
     false, 17},
    {"NikonNoHeader", "NIKON CORPORATION", "NIKON D1", "", 0, Base::TiffHeader, false, 17},
    {"Olympus", "OLYMPUS OPTICAL CO.,LTD", "C8080WZ", std::string("OLYMP\0\1\0", 8), 8, Base::TiffHeader,
     false, 18},
    {"Panasonic", "Panasonic", "DMC-FZ30", std::string("Panasonic\0\0\0", 12), 12, Base::TiffHeader, false,
     19},
    {"PentaxAoc", "PENTAX Corporation", "", std::string("AOC\0MM", 6), 6, Base::TiffHeader, false, 3},
    // "AOC" before the makernote (in the make itself) does not count.
    {"PentaxWithoutAoc", "PENTAX AOC", "", std::string("PENTAX\0\0", 8), 8, Base::TiffHeader, false, 0},
    {"Ricoh", "RICOH", "", std::string("Ricoh\0\0\0", 8), 8, Base::TiffHeader, false, 21},
    {"RicohWithout", "RICOH", "", std::string("Rv0103\0\0", 8), 8, Base::TiffHeader, false, 0},
    {"Sanyo", "SANYO Electric Co.,Ltd.", "", std::string("SANYO\0\1\0", 8), 8, Base::TiffHeader, false, 18},
    {"Sigma", "SIGMA", "", std::string("SIGMA\0\0\0\1\0", 10), 10, Base::TiffHeader, false, 25},
    {"Unknown", "Acme Cameras", "", std::string("ACME\0\0\0\0", 8), 8, Base::TiffHeader, false, 0},
};

const MakerCase& Case(std::string_view name) {
  return *std::find_if(std::begin(kCases), std::end(kCases),
                       [&](const MakerCase& c) { return c.name == name; });
}

std::vector<std::uint8_t> Prefix(const MakerCase& c, const TiffBuilder& tiff) {
  std::string text = c.prefix;
  std::vector<std::uint8_t> out;
  if (const auto at = text.find("$LINK"); at != std::string::npos) {
    out = Cat({test::Bytes(text.substr(0, at)), {12, 0, 0, 0}});
  } else if (const auto hdr = text.find("$HDR"); hdr != std::string::npos) {
    out = Cat({test::Bytes(text.substr(0, hdr)),
               test::Bytes(tiff.Order() == ByteOrder::BigEndian ? "MM" : "II"), tiff.U16(42), tiff.U32(8)});
  } else {
    out = test::Bytes(text);
  }
  out.resize(c.directoryOffset, 0);
  return out;
}

struct Built {
  std::vector<std::uint8_t> block;
  BufferPos makernote = 0;
};

Built BuildBlock(const MakerCase& c, ByteOrder order) {
  TiffBuilder tiff(order);
  const std::uint32_t make = tiff.AppendText(std::string(c.make) + '\0');
  const std::uint32_t model = tiff.AppendText(std::string(c.model) + '\0');

  const std::uint32_t note = tiff.Append(Prefix(c, tiff));
  const std::uint32_t base = c.base == Base::TiffHeader ? 0 : c.base == Base::Makernote ? note : note + 10;
  if (c.littleEndianNote) tiff.SetOrder(ByteOrder::LittleEndian);
  constexpr std::uint32_t kDirectorySize = 2 + 2 * 12 + 4;
  const std::uint32_t rational = note + c.directoryOffset + kDirectorySize;
  tiff.AddDirectory({tiff.Short(0x0001, 0x1234), tiff.At(0x0002, 5, 1, rational - base)});
  tiff.Append(Cat({tiff.U32(3), tiff.U32(4)}));
  tiff.SetOrder(order);

  const std::uint32_t exif = tiff.AddDirectory({tiff.At(0x927C, 7, tiff.Size() - note, note)});
  tiff.SetFirstDirectory(tiff.AddDirectory({
      tiff.At(0x010F, 2, static_cast<std::uint32_t>(c.make.size() + 1), make),
      tiff.At(0x0110, 2, static_cast<std::uint32_t>(c.model.size() + 1), model),
      tiff.Long(0x8769, exif),
  }));
  return {tiff.App1(), TiffBuilder::Pos(note)};
}

class MakerRows : public ::testing::TestWithParam<std::tuple<MakerCase, ByteOrder>> {};

TEST_P(MakerRows, DetectsTheLayoutAndWalksItsDirectory) {
  const auto& [c, order] = GetParam();
  const Built built = BuildBlock(c, order);
  ImageMetadata image;
  image.camera_id = 99;
  ReadExifBlock(image, built.block, nullptr);

  EXPECT_EQ(image.camera_id, c.maker);
  // The makernote's own item stays in the section of its entry.
  const ZetExif* noteItem = image.ExifTag(1, 0x927C);
  ASSERT_NE(noteItem, nullptr);
  EXPECT_TRUE(
      std::get<std::string>(noteItem->inhalt[0]).starts_with("Offset:" + std::to_string(built.makernote)));
  if (c.maker == 0) {
    EXPECT_EQ(image.ExifCount(3), 0);
    return;
  }
  ASSERT_EQ(image.ExifCount(3), 2);
  EXPECT_EQ(std::get<std::int64_t>(image.ExifTag(3, 0x0001)->inhalt[0]), 0x1234);
  EXPECT_EQ(std::get<std::string>(image.ExifTag(3, 0x0002)->inhalt[0]), "3/4");
}

INSTANTIATE_TEST_SUITE_P(Table, MakerRows,
                         ::testing::Combine(::testing::ValuesIn(kCases),
                                            ::testing::Values(ByteOrder::LittleEndian, ByteOrder::BigEndian)),
                         [](const auto& testParam) {
                           return std::string(std::get<0>(testParam.param).name) +
                                  (std::get<1>(testParam.param) == ByteOrder::BigEndian ? "_MM" : "_II");
                         });

TEST(MakerTable, FirstMakeWordDecides) {
  // CANON comes before NIKON in the table, FUJIFILM before LEICA.
  for (const auto& [make, maker] : {std::pair{"NIKON by CANON", 4}, {"LEICA FUJIFILM", 8}}) {
    MakerCase c{"", make, "", "FUJIFILM$LINK", 12, Base::Makernote, true, maker};
    ImageMetadata image;
    ReadExifBlock(image, BuildBlock(c, ByteOrder::BigEndian).block, nullptr);
    EXPECT_EQ(image.camera_id, maker) << make;
  }
}

TEST(MakerTable, NikonLayoutsGiveDirectoryAndBase) {
  for (const auto& [model, maker, directory, base] :
       {std::tuple{"E950", 16, 8, -1}, {"E5000", 17, 18, 10}, {"COOLPIX E700", 16, 8, -1}}) {
    const Built built = BuildBlock({"", "NIKON", model, std::string("Nikon\0\2\x10\0\0", 10) + "$HDR", 18},
                                   ByteOrder::LittleEndian);
    ExifBlockState state(built.block);
    state.make = "NIKON";
    state.model = model;
    state.makernote = built.makernote;
    const MakernoteLayout layout = DetectMakernote(state);
    EXPECT_EQ(layout.maker, maker) << model;
    EXPECT_EQ(layout.directory, built.makernote + directory) << model;
    EXPECT_EQ(layout.base, base < 0 ? kTiffHeaderPos : built.makernote + base) << model;
  }
}

TEST(MakerTable, FujiSwitchesTheRestOfTheBlockToLittleEndian) {
  const Built built = BuildBlock(Case("Fujifilm"), ByteOrder::BigEndian);
  ExifBlockState state(built.block, ByteOrder::BigEndian);
  state.make = "FUJIFILM";
  state.makernote = built.makernote;
  const MakernoteLayout layout = DetectMakernote(state);
  EXPECT_EQ(layout.directory, built.makernote + 12);
  EXPECT_EQ(layout.base, built.makernote);
  EXPECT_EQ(state.reader.Order(), ByteOrder::LittleEndian);
}

TEST(MakerTable, FocalLengthFactorFromTheLastMakeAndModel) {
  Definitions definitions;
  definitions.AddFocalEquiv("NIKON", "E950", 4.8);
  const Built built = BuildBlock(Case("NikonE950"), ByteOrder::BigEndian);
  ImageMetadata image;
  ReadExifBlock(image, built.block, &definitions);
  EXPECT_EQ(image.camera_id, 16);
  EXPECT_DOUBLE_EQ(image.camera_feq, 4.8);
  // Another block without a known model resets the factor to 0.
  ReadExifBlock(image, BuildBlock(Case("Canon"), ByteOrder::BigEndian).block, &definitions);
  EXPECT_EQ(image.camera_id, 4);
  EXPECT_EQ(image.camera_feq, 0.0);
}

}  // namespace
}  // namespace kelmarin
