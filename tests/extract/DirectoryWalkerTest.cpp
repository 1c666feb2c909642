// The directory walker through ReadExifBlock on hand-made blocks in both
// byte orders; maker detection for every makernote layout. The makernote directory holds a SHORT
// (inline) and a RATIONAL at an offset from the layout's base, so a wrong directory, base or byte
// order shows up as missing or wrong items.
#include <gtest/gtest.h>

#include <bit>
#include <span>
#include <stdexcept>

#include "TiffBuilder.h"
#include "extract/ExifBlock.h"
#include "extract/MetadataReader.h"
#include "metadata/Definitions.h"
#include "metadata/Makers.h"

namespace kelmarin {
namespace {

using namespace std::string_literals;
using Values = std::vector<ExifValue>;
using test::Cat;
using test::TiffBuilder;

std::int64_t Number(const ZetExif* item, std::size_t i = 0) {
  return std::get<std::int64_t>(item->inhalt.at(i));
}

// The items of a section in order: tag, "t" (texts) or "n" (numbers), the values (texts quoted).
std::string Shown(ImageMetadata& image, std::int32_t section) {
  std::string text;
  for (int i = 1; i <= image.ExifCount(section); ++i) {
    const ZetExif* item = image.ExifPos(section, i);
    text += (i > 1 ? " " : "") + std::to_string(item->tag) + (item->typ == kTypTexts ? "t:" : "n:");
    for (std::size_t v = 0; v < item->inhalt.size(); ++v) {
      const ExifValue& value = item->inhalt[v];
      text += (v > 0 ? "," : "") +
              (value.index() == 0 ? std::to_string(std::get<0>(value)) : "'" + std::get<1>(value) + "'");
    }
  }
  return text;
}

class Walker : public ::testing::TestWithParam<ByteOrder> {
 protected:
  TiffBuilder tiff{GetParam()};
  ImageMetadata image;

  void Read(const std::vector<TiffBuilder::Entry>& entries, std::uint32_t next = 0) {
    tiff.SetFirstDirectory(tiff.AddDirectory(entries, next));
    ReadExifBlock(image, tiff.App1(), nullptr);
  }
  const ZetExif* Item(std::int32_t tag, std::int32_t section = 1) {
    const ZetExif* item = image.ExifTag(section, tag);
    EXPECT_NE(item, nullptr) << "section " << section << " tag " << tag;
    return item;
  }
};

INSTANTIATE_TEST_SUITE_P(ByteOrders, Walker, ::testing::Values(ByteOrder::LittleEndian, ByteOrder::BigEndian),
                         [](const auto& param) { return param.param == ByteOrder::BigEndian ? "MM" : "II"; });

TEST_P(Walker, DecodesEveryFieldType) {
  const std::uint32_t shortsAt = tiff.Append(Cat({tiff.U16(1), tiff.U16(2), tiff.U16(3)}));
  const std::uint32_t rationalsAt =
      tiff.Append(Cat({tiff.U32(72), tiff.U32(1), tiff.U32(0x80000000u), tiff.U32(3)}));
  const std::uint32_t srationalAt = tiff.Append(Cat({tiff.U32(static_cast<std::uint32_t>(-1)), tiff.U32(3)}));
  const std::uint32_t doubleAt = tiff.Append(tiff.U64(std::bit_cast<std::uint64_t>(0.1)));
  const std::uint32_t notice = tiff.AppendText(std::string("Foto\0Edit\0", 10));
  // SHORTs inline up to four bytes, SRATIONAL always at its offset, a FLOAT not a number and minus
  // infinity; the copyright notice keeps every byte.
  Read({tiff.Inline(0x0001, 1, 3, {1, 200, 255}), tiff.Inline(0x0002, 2, 4, {'A', 'b', 0, 0}),
        tiff.Inline(0x0003, 3, 2, Cat({tiff.U16(7), tiff.U16(8)})), tiff.At(0x0004, 3, 3, shortsAt),
        tiff.Long(0x0005, 0xFFFFFFFF), tiff.At(0x0006, 5, 2, rationalsAt), tiff.Inline(0x0007, 6, 1, {0xFF}),
        tiff.Inline(0x0008, 7, 4, {0, 1, 2, 3}), tiff.Inline(0x0009, 8, 1, tiff.U16(0xFFFE)),
        tiff.Inline(0x000A, 9, 1, tiff.U32(static_cast<std::uint32_t>(-5))),
        tiff.At(0x000B, 10, 1, srationalAt),
        tiff.Inline(0x000C, 11, 1, tiff.U32(std::bit_cast<std::uint32_t>(1.5f))),
        tiff.At(0x000D, 12, 1, doubleAt), tiff.Inline(0x000E, 11, 1, tiff.U32(0x7FC00000u)),
        tiff.Inline(0x000F, 11, 1, tiff.U32(0xFF800000u)), tiff.At(0x8298, 2, 10, notice),
        tiff.At(0x010E, 2, 10, notice)});
  // A LONG of 2^31 and more keeps its value, SBYTE is not sign-extended; FLOAT and DOUBLE are numbers
  // in the block's byte order, shortest exact text.
  EXPECT_EQ(Shown(image, 1),
            "1n:1,200,255 2t:'Ab' 3n:7,8 4n:1,2,3 5n:4294967295 6t:'72/1','2147483648/3' 7n:255 "
            "8n:0,1,2,3 9n:-2 10n:-5 11t:'-1/3' 12t:'1.5' 13t:'0.1' 14t:'keine Zahl' "
            "15t:'-unendlich' 33432t:'Foto\0Edit\0' 270t:'Foto'"s);
}

// A signed fraction written under a whole-number type whose bytes make whole fractions (a trail
// camera's exposure bias as four SHORTs) is read as the fraction it is; a shorter value, another tag
// and another section keep their stored numbers.
TEST_P(Walker, SignedFractionsUnderWholeNumberTypes) {
  const std::uint32_t bias = tiff.Append(Cat({tiff.U32(36), tiff.U32(18)}));
  const std::uint32_t brightness = tiff.Append(Cat({tiff.U32(static_cast<std::uint32_t>(-3)), tiff.U32(2)}));
  const std::uint32_t words = tiff.Append(Cat({tiff.U16(5), tiff.U16(0), tiff.U16(2), tiff.U16(0)}));
  const std::uint32_t thumbnail = tiff.AddDirectory({tiff.At(0x9204, 3, 4, words)});
  Read({tiff.At(0x9204, 3, 4, bias), tiff.At(0x9203, 9, 2, brightness), tiff.Inline(0x9201, 3, 1, tiff.U16(7)),
        tiff.At(0x9202, 3, 4, words)},
       thumbnail);
  EXPECT_EQ(Shown(image, 1), "37380t:'36/18' 37379t:'-3/2' 37377n:7 37378n:5,0,2,0");
  EXPECT_EQ(Shown(image, 2), "37380n:5,0,2,0");
}

TEST_P(Walker, CountZeroGivesAnOffsetTextExceptForTheSpecialTags) {
  Read({tiff.At(0x9286, 7, 0, 1000), tiff.At(0x010F, 2, 0, 0), tiff.At(0x0110, 2, 0, 0),
        tiff.At(0x8769, 4, 0, 60000), tiff.At(0x8825, 4, 0, 60000), tiff.At(0xA005, 4, 0, 60000)});
  EXPECT_EQ(Shown(image, 1), "37510t:'Offset:1011 Bytes:0'");
  EXPECT_EQ(image.ExifCount(), 1);
}

TEST_P(Walker, SubDirectoriesFollowTheirPointerAndNextLinksAreThumbnails) {
  const std::uint32_t interop = tiff.AddDirectory({tiff.Short(0x0001, 11)});
  const std::uint32_t ifd1 = tiff.AddDirectory({tiff.Short(0x0103, 6)});
  const std::uint32_t gps2 = tiff.AddDirectory({tiff.Short(0x0001, 21)});
  const std::uint32_t gps = tiff.AddDirectory({tiff.Short(0x0005, 1)}, gps2);
  const std::uint32_t exif = tiff.AddDirectory({tiff.Short(0x9000, 1), tiff.Long(0xA005, interop)});
  Read({tiff.Long(0x8769, exif), tiff.Short(0x0112, 1), tiff.Long(0x8825, gps), tiff.Short(0x0131, 2)}, ifd1);
  EXPECT_EQ(Shown(image, 1), "34665n:" + std::to_string(exif) +
                                 " 36864n:1 40965n:" + std::to_string(interop) +
                                 " 1n:11 274n:1 34853n:" + std::to_string(gps) + " 305n:2");
  EXPECT_EQ(Shown(image, 4), "5n:1");
  // The GPS directory's next link and directory 0's next link both land in section 2, in walk order.
  EXPECT_EQ(Shown(image, 2), "1n:21 259n:6");
}

// One entry of an undefined type (a JPEG's APP1 as much as a TIFF file) loses only itself: the
// entries after it, the sub-directories and the next link are still read.
TEST_P(Walker, InvalidTypeIsPassedOver) {
  const std::uint32_t ifd1 = tiff.AddDirectory({tiff.Short(0x0103, 6)});
  const std::uint32_t exif = tiff.AddDirectory({tiff.Short(0x9000, 1)});
  Read({tiff.Short(0x0100, 1), tiff.Inline(0x0101, 13, 1, {}), tiff.Inline(0x0106, 0, 1, {}),
        tiff.Long(0x8769, exif), tiff.Inline(0x0107, 999, 1, {}), tiff.Short(0x0102, 2)},
       ifd1);
  EXPECT_EQ(Shown(image, 1), "256n:1 34665n:" + std::to_string(exif) + " 36864n:1 258n:2");
  EXPECT_EQ(Shown(image, 2), "259n:6");
}

// A pointer is followed only when it holds one offset, or when its value's bytes can hold a
// directory (an ASCII "pointer" whose count covers the directory): a GPS pointer of count 0 or 2,
// or of four characters, would otherwise walk the directory its value bytes happen to name.
TEST_P(Walker, PointersThatCannotHoldADirectoryAreNotFollowed) {
  const std::uint32_t exif = tiff.AddDirectory({tiff.Short(0x9000, 1)});
  const std::uint32_t gps = tiff.AddDirectory({tiff.Short(0x0005, 1)});
  const std::uint32_t interop = tiff.AddDirectory({tiff.Short(0x0001, 2)});
  Read({tiff.Inline(0x8769, 4, 1, tiff.U32(exif)), tiff.Inline(0x8825, 4, 0, tiff.U32(exif)),
        tiff.Inline(0x8825, 4, 2, tiff.U32(exif)), tiff.Inline(0x8825, 2, 4, tiff.U32(exif)),
        tiff.Inline(0x8825, 7, 4, tiff.U32(gps)), tiff.At(0xA005, 2, 18, interop)});
  EXPECT_EQ(image.ExifCount(4), 0);
  EXPECT_EQ(Shown(image, 1).substr(Shown(image, 1).size() - 5), " 1n:2");  // the ASCII one is followed
  // A SHORT pointer names its offset in its first two bytes, in either byte order.
  ImageMetadata shortPointer;
  TiffBuilder other(GetParam());
  const std::uint32_t gps2 = other.AddDirectory({other.Short(0x0005, 1)});
  other.SetFirstDirectory(other.AddDirectory({other.Short(0x8825, static_cast<std::uint16_t>(gps2))}));
  ReadExifBlock(shortPointer, other.App1(), nullptr);
  EXPECT_EQ(Shown(shortPointer, 4), "5n:1");
}

// Values outside the block or cut by its end read as zero; a count of four billion must not make
// four billion values: only those that begin inside the block are decoded.
TEST_P(Walker, ValuesBeyondTheBlock) {
  const std::uint32_t end = tiff.Size() + 2 + 6 * 12 + 4;
  tiff.SetFirstDirectory(tiff.AddDirectory(
      {tiff.At(0x0001, 5, 2, 60000), tiff.At(0x0002, 2, 20, 60000), tiff.Long(0x8769, 60000),
       tiff.At(0x0003, 3, 3, end), tiff.At(0x0004, 1, 0xFFFFFFFF, 8), tiff.At(0x0005, 5, 0xFFFFFFFF, 8)}));
  tiff.Patch(end, Cat({tiff.U16(9), {0x01}}));  // three SHORTs at the very end: one whole, one cut
  ReadExifBlock(image, tiff.App1(), nullptr);
  EXPECT_EQ(Shown(image, 1).substr(0, 46), "1t:'0/0','0/0' 2t:'' 34665n:60000 3n:9,0,0 4n:");
  EXPECT_TRUE(Item(0x0004)->inhalt.size() <= tiff.App1().size() && !Item(0x0004)->inhalt.empty());
  EXPECT_LE(Item(0x0005)->inhalt.size(), tiff.App1().size() / 8 + 1);
  EXPECT_EQ(image.ExifCount(), 6);
}

TEST_P(Walker, LoopsDepthFanOutAndMemoryAreBounded) {
  // Directory 0 links to itself as next directory and as its own Exif directory; an Exif directory
  // points back to directory 0.
  const std::uint32_t dir0 = tiff.Size();
  const std::uint32_t exif = dir0 + 2 + 12 * 3 + 4;
  tiff.AddDirectory({tiff.Short(0x0100, 1), tiff.Long(0x8769, dir0), tiff.Long(0x8769, exif)}, dir0);
  tiff.AddDirectory({tiff.Short(0x9000, 2), tiff.Long(0xA005, dir0)}, exif);
  tiff.SetFirstDirectory(dir0);
  ReadExifBlock(image, tiff.App1(), nullptr);
  EXPECT_TRUE(image.ExifCount(2) == 0 && image.ExifCount() <= 16 && Number(image.ExifPos(1, 1)) == 1);

  // 40 directories, each linking to the next; then 30 that point twice to the next one.
  TiffBuilder chain(GetParam());
  for (std::uint32_t i = 0, first = chain.Size(); i < 40; ++i)
    chain.AddDirectory({chain.Short(0x0100, static_cast<std::uint16_t>(i))},
                       i + 1 < 40 ? first + (i + 1) * 18 : 0);
  ImageMetadata deep;
  ReadExifBlock(deep, chain.App1(), nullptr);
  // Directories 1 to 16 of the chain are read, the 17th is not.
  ASSERT_EQ(deep.ExifCount(1) + deep.ExifCount(2), 16);
  EXPECT_EQ(Number(deep.ExifPos(2, 15)), 15);
  TiffBuilder fan(GetParam());
  for (std::uint32_t i = 0, first = fan.Size(); i < 30; ++i) {
    const std::uint32_t next = first + (i + 1) * (2 + 12 * 3 + 4);
    fan.AddDirectory({fan.Long(0x8769, next), fan.Long(0x8769, next), fan.Short(0x0100, 1)});
  }
  ImageMetadata wide;
  ReadExifBlock(wide, fan.App1(), nullptr);
  EXPECT_LE(wide.ExifCount(), 3 * kMaxDirectoriesPerBlock);

  // 5000 entries of 60000 bytes each, all on the same data, read three times.
  TiffBuilder big(GetParam());
  const std::uint32_t data = big.Append(std::vector<std::uint8_t>(60000, 7));
  big.SetFirstDirectory(
      big.AddDirectory(std::vector<TiffBuilder::Entry>(5000, big.At(0x0001, 1, 60000, data))));
  ImageMetadata heavy;
  for (int i = 0; i < 3; ++i) ReadExifBlock(heavy, big.App1(), nullptr);
  EXPECT_TRUE(heavy.ExifStoredBytes() <= kMaxExifBytesPerImage && heavy.ExifCount() > 0);
}

TEST_P(Walker, MakeAndModelAreTheLastOnesMet) {
  const std::uint32_t exif = tiff.AddDirectory({tiff.Ascii(0x0110, "Second")});
  const std::uint32_t dir0 =
      tiff.AddDirectory({tiff.Ascii(0x010F, "Maker"), tiff.Ascii(0x0110, "First"), tiff.Long(0x8769, exif)});
  const auto block = tiff.App1();
  ExifBlockState state(block, GetParam());
  WalkDirectory(image, state, 1, TiffBuilder::Index(dir0), kApp1TiffHeader);
  EXPECT_EQ(std::tuple(state.make, state.model, state.makernote),
            std::tuple("Maker", "Second", std::nullopt));
}

// Detection at the end of the block: a directory whose entries run past it is no directory, and a
// makernote that starts past it has no bytes, not even an empty signature.
TEST(Makernotes, DetectionAtTheEndOfTheBlock) {
  const std::vector<std::uint8_t> entry = {1, 0, 3, 0, 1, 0, 0, 0, 5, 0, 0, 0};
  const struct {
    const char* make;
    const char* model;
    std::vector<std::uint8_t> bytes;
    std::int64_t at;
    std::int32_t maker;
  } cases[] = {{"SAMSUNG", "", Cat({{1, 0}, entry}), 0, kMakerSamsung01},
               {"SAMSUNG", "", Cat({{2, 0}, entry}), 0, 0},
               {"KODAK", "DC240", entry, 12, kMakerKodak03},
               {"KODAK", "DC240", entry, 13, 0}};
  for (const auto& c : cases) {
    ExifBlockState state(c.bytes);
    state.make = c.make, state.model = c.model, state.makernote = c.at;
    EXPECT_EQ(DetectMakernote(state).maker, c.maker) << c.make << " at " << c.at;
  }
}

TEST(ExifBlock, HeaderDecidesByteOrderAndValidity) {
  // "MM" in any case reads big-endian, unknown letters little-endian; 42 read in the wrong order
  // ignores the block and resets nothing.
  for (const auto& [letters, order, count] : {std::tuple{"MM", ByteOrder::BigEndian, 1},
                                              {"mm", ByteOrder::BigEndian, 1},
                                              {"Mm", ByteOrder::BigEndian, 1},
                                              {"XY", ByteOrder::LittleEndian, 1},
                                              {"MM", ByteOrder::LittleEndian, 0}}) {
    TiffBuilder tiff(order);
    tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Short(0x0100, 0x0102)}));
    tiff.Patch(0, test::Bytes(letters));
    ImageMetadata image;
    image.camera_id = 7, image.camera_feq = 1.5;
    ReadExifBlock(image, tiff.App1(), nullptr);
    ASSERT_EQ(image.ExifCount(), count) << letters;
    if (count == 1) {
      EXPECT_EQ(Number(image.ExifPos(1, 1)), 0x0102) << letters;
    } else {
      EXPECT_TRUE(image.camera_id == 7 && image.camera_feq == 1.5);
    }
  }
  // XMP in APP1, nothing at all, a cut header: nothing read, nothing reset.
  const std::string xmp =
      std::string("\xFF\xE1\x00\x40http://ns.adobe.com/xap/1.0/\0", 33) + "<?xpacket begin='' ?>";
  const std::vector<std::uint8_t> block(xmp.begin(), xmp.end());
  ImageMetadata image;
  image.camera_id = 4;
  ReadExifBlock(image, block, nullptr);
  ReadExifBlock(image, {}, nullptr);
  ReadExifBlock(image, std::span(block).first(12), nullptr);
  EXPECT_EQ(std::pair(image.ExifCount(), image.camera_id), std::pair(0, int{kMakerCanon01}));
}

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
    {"Jvc", "JVC KENWOOD", "", "JVC ", 4, 0, 0, 41},
    {"VictorOpposite", "Victor Company of Japan, Ltd.", "", "JVC ", 4, 0, 1, 41},
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
    {"RicohWithout", "RICOH", "", "Rx0103\0\0"s, 8, 0, 0, 0},
    {"Sanyo", "SANYO Electric Co.,Ltd.", "", "SANYO\0\1\0"s, 8, 0, 0, 39},
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
  return *std::find_if(std::begin(kCases), std::end(kCases),
                       [&](const NoteCase& c) { return c.name == name; });
}

ByteOrder Other(ByteOrder order) {
  return order == ByteOrder::BigEndian ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
}

// Given sub (7 or 13), the directory also points with tag 0x2010 to a sub-directory holding
// 0x0100 SHORT 7, as its own bytes (UNDEFINED) or as an offset (IFD).
std::vector<std::uint8_t> Block(const NoteCase& c, ByteOrder order, std::uint16_t sub = 0,
                                std::uint16_t pointer = 0x2010) {
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
  // A moved makernote's values lie apart from its directory: only the footer's base finds them.
  const std::uint32_t gap = c.base < 0 ? 8 : 0;
  const std::uint32_t rational = note + c.directoryOffset + 2 + 12 * entries + 4 + gap;
  std::vector<TiffBuilder::Entry> list = {tiff.Short(0x0001, 0x1234), tiff.At(0x0002, 5, 1, rational - base)};
  if (sub != 0) list.push_back(tiff.At(pointer, sub, sub == 7 ? 18 : 1, rational + 8 - base));
  tiff.AddDirectory(list);
  tiff.Append(test::Cat({std::vector<std::uint8_t>(gap, 0), tiff.U32(3), tiff.U32(4)}));
  if (sub != 0) tiff.AddDirectory({tiff.Short(0x0100, 7)});
  if (c.base < 0) tiff.Append(test::Cat({test::Bytes("II*"s + '\0'), {moved, 0, 0, 0}}));
  tiff.SetOrder(order);
  const std::uint32_t exif = tiff.AddDirectory({tiff.At(0x927C, 7, tiff.Size() - note, note)});
  tiff.SetFirstDirectory(tiff.AddDirectory(
      {tiff.At(0x010F, 2, static_cast<std::uint32_t>(c.make.size() + 1), make),
       tiff.At(0x0110, 2, static_cast<std::uint32_t>(c.model.size() + 1), model), tiff.Long(0x8769, exif)}));
  return tiff.App1();
}

TEST(Makernotes, DetectLayoutOrderAndBase) {
  for (const NoteCase& c : kCases) {
    for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
      SCOPED_TRACE(std::string(c.name) + (order == ByteOrder::BigEndian ? " MM" : " II"));
      ImageMetadata image;
      image.camera_id = 99;
      ReadExifBlock(image, Block(c, order), nullptr);
      // The makernote's own item stays in its section.
      EXPECT_EQ(std::tuple(image.camera_id, image.ExifTag(1, 0x927C) != nullptr, Shown(image, 3)),
                std::tuple(c.maker, true, c.maker == 0 ? "" : "1n:4660 2t:'3/4'"));
    }
  }
}

// A makernote whose offsets count from the TIFF header, moved by an editor by `shift` bytes
// without its offsets rewritten: a SHORT, a RATIONAL and a text after the directory and its next
// link. `textCount` and `textAt` (from the first value) make values that fit no base.
struct MovedNote {
  const char* name;
  int shift;
  std::uint32_t textCount;
  std::uint32_t textAt;
  const char* shown;
};

std::vector<std::uint8_t> MovedBlock(const MovedNote& c, ByteOrder order) {
  TiffBuilder tiff(order);
  const std::uint32_t make = tiff.AppendText("Minolta Co., Ltd."s + '\0');
  tiff.Append(std::vector<std::uint8_t>(static_cast<std::size_t>(std::max(c.shift, 0)), 0));
  const std::uint32_t note = tiff.Size();
  const std::uint32_t written = static_cast<std::uint32_t>(static_cast<int>(note) - c.shift);
  const std::uint32_t values = written + 2 + 3 * 12 + 4;
  tiff.AddDirectory({tiff.Short(0x0001, 7), tiff.At(0x0002, 5, 1, values),
                     tiff.At(0x0003, 2, c.textCount, values + c.textAt)});
  tiff.Append(test::Cat({tiff.U32(3), tiff.U32(4), test::Bytes("Text\0\0\0\0"s)}));
  const std::uint32_t exif = tiff.AddDirectory({tiff.At(0x927C, 7, tiff.Size() - note, note)});
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.At(0x010F, 2, 18, make), tiff.Long(0x8769, exif)}));
  return tiff.App1();
}

TEST(Makernotes, MovedMakernotesArePlacedOrListedRaw) {
  const std::string raw =
      "65536t:'Makernote verschoben, Lage der Werte unbekannt: Werte als Offsets' 1n:7 2t:'Offset:";
  const MovedNote cases[] = {
      {"in place", 0, 8, 8, "1n:7 2t:'3/4' 3t:'Text'"},
      {"moved back 40 bytes", 40, 8, 8, "1n:7 2t:'3/4' 3t:'Text'"},
      {"moved forward 30 bytes", -30, 8, 8, "1n:7 2t:'3/4' 3t:'Text'"},
      {"moved back 6000 bytes, out of the block", 6000, 8, 8, "1n:7 2t:'3/4' 3t:'Text'"},
      {"a value beyond the block", 0, 8, 5000, ""},
      {"two values overlapping in part", 24, 8, 4, ""},
  };
  for (const MovedNote& c : cases) {
    for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
      SCOPED_TRACE(std::string(c.name) + (order == ByteOrder::BigEndian ? " MM" : " II"));
      ImageMetadata image;
      ReadExifBlock(image, MovedBlock(c, order), nullptr);
      const std::string shown = Shown(image, 3);
      if (*c.shown != '\0') {
        EXPECT_EQ(shown, c.shown);
      } else {
        EXPECT_EQ(shown.substr(0, raw.size()), raw);
        EXPECT_EQ(image.ExifCount(3), 4);
      }
    }
  }
}

// Sub-directories of Olympus (as an offset and as their own bytes) and of Nikon (its preview
// directory, an offset from the makernote's own header): their items follow the pointer item and
// carry its tag as their directory; a layout without sub-directories (Sony's) does not walk them.
TEST(Makernotes, SubdirectoriesFollowTheirPointer) {
  const struct {
    const char* name;
    std::uint16_t type, pointer;
    std::int32_t count;
  } cases[] = {{"OlympusLater", 7, 0x2010, 4},
               {"OlympusLater", 13, 0x2010, 4},
               {"SonyDsc", 7, 0x2010, 3},
               {"NikonOwnHeader", 4, 0x0011, 4}};
  for (const auto& c : cases) {
    for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
      SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.type));
      ImageMetadata image;
      ReadExifBlock(image, Block(Case(c.name), order, c.type, c.pointer), nullptr);
      ASSERT_EQ(image.ExifCount(3), c.count);
      if (c.count == 3) continue;
      EXPECT_EQ(std::tuple(image.ExifPos(3, 3)->directory, image.ExifPos(3, 4)->tag,
                           image.ExifPos(3, 4)->directory),
                std::tuple(0, 0x0100, c.pointer));
    }
  }
}

// Reads a block of `make` whose makernote is `note` followed by a directory of `entries` (none:
// the bytes alone, of which the makernote entry counts `count` when not 0); `exif` entries follow
// the makernote's in the Exif directory.
ImageMetadata ReadNote(TiffBuilder& tiff, const std::string& make, const std::string& note,
                       const std::vector<TiffBuilder::Entry>& entries,
                       const std::vector<TiffBuilder::Entry>& exif = {}, std::uint32_t count = 0) {
  const std::uint32_t makeAt = tiff.AppendText(make + '\0');
  const std::uint32_t noteAt = tiff.AppendText(note);
  if (!entries.empty()) tiff.AddDirectory(entries);
  std::vector<TiffBuilder::Entry> exifEntries = {
      tiff.At(0x927C, 7, count != 0 ? count : tiff.Size() - noteAt, noteAt)};
  exifEntries.insert(exifEntries.end(), exif.begin(), exif.end());
  const std::uint32_t exifAt = tiff.AddDirectory(exifEntries);
  tiff.SetFirstDirectory(tiff.AddDirectory(
      {tiff.At(0x010F, 2, static_cast<std::uint32_t>(make.size() + 1), makeAt), tiff.Long(0x8769, exifAt)}));
  ImageMetadata image;
  ReadExifBlock(image, tiff.App1(), nullptr);
  return image;
}

// Casio's firmware date keeps its NUL-separated digit groups; other texts of the makernote and the
// same tag outside it are cut at the first NUL.
TEST(Makernotes, CasioFirmwareDateKeptWhole) {
  const std::string date("0302\0\0" "2809\0\0" "45\0\0\0\0", 18);
  for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    TiffBuilder tiff(order);
    const std::uint32_t text = tiff.AppendText(date);
    ImageMetadata image = ReadNote(tiff, "CASIO COMPUTER CO.,LTD.", "QVC\0\0\0"s,
                                   {tiff.At(0x2001, 2, 18, text), tiff.At(0x2002, 2, 18, text)},
                                   {tiff.At(0x2001, 2, 18, text)});
    EXPECT_EQ(Shown(image, 3), "8193t:'" + date + "' 8194t:'0302'");
    EXPECT_EQ(std::get<std::string>(image.ExifTag(1, 0x2001)->inhalt[0]), "0302");
  }
}

// Olympus's camera type tells the bodies that count their quality codes from 0.
TEST(Makernotes, OlympusCameraTypeSetsTheNumbering) {
  const std::pair<std::string, bool> cases[] = {
      {"SX753", true}, {"D4322", true}, {"SX151", false}, {"SR874", false}, {"", false}};
  for (const auto& [type, fromZero] : cases) {
    for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
      TiffBuilder tiff(order);
      const std::uint32_t text = tiff.AppendText(type + "\0\0\0\0"s);
      const ImageMetadata image = ReadNote(
          tiff, "OLYMPUS OPTICAL CO.,LTD", "OLYMP\0\1\0"s,
          {tiff.Short(0x0201, 1), tiff.At(0x0207, 2, static_cast<std::uint32_t>(type.size() + 1), text)});
      EXPECT_EQ(std::pair(image.camera_id, image.countsFromZero), std::pair(18, fromZero)) << type;
    }
  }
}

// The items of a Panasonic RW2's directory 0 (TIFF magic 0x55) carry the magic as their table;
// those of its Exif directory, and of a TIFF file's directory 0, none.
TEST(Makernotes, Rw2DirectoryZeroNamesItsTable) {
  for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    for (const std::uint16_t magic : {std::uint16_t{0x55}, std::uint16_t{42}}) {
      TiffBuilder tiff(order);
      tiff.Patch(2, tiff.U16(magic));
      const std::uint32_t exif = tiff.AddDirectory({tiff.Short(0x0002, 8)});
      tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Short(0x0002, 4000), tiff.Long(0x8769, exif)}));
      ImageMetadata image;
      ReadTiffBlock(image, tiff.Tiff(), nullptr);
      ASSERT_EQ(image.ExifCount(1), 3) << magic;
      const std::int32_t table = magic == 0x55 ? 0x55 : 0;
      EXPECT_EQ(std::tuple(image.ExifPos(1, 1)->directory, image.ExifPos(1, 2)->directory,
                           image.ExifPos(1, 3)->directory),
                std::tuple(table, table, 0));
    }
  }
}

// An RW2's makernote lies in the EXIF of its embedded JPEG (tag 0x002E), after any other APPn
// marker; a JPEG cut short or without that marker gives none.
TEST(Makernotes, Rw2MakernoteFromTheEmbeddedJpeg) {
  for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    const std::vector<std::uint8_t> app1 = Block(Case("Panasonic"), Other(order));
    const std::vector<std::uint8_t> jpeg = Cat({{0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 'J', 'F'}, app1, {0xFF, 0xD9}});
    const std::pair<std::size_t, const char*> cases[] = {
        {jpeg.size(), "1n:4660 2t:'3/4'"}, {jpeg.size() - 4, ""}, {6, ""}};
    for (const auto& [size, shown] : cases) {
      TiffBuilder tiff(order);
      tiff.Patch(2, tiff.U16(0x55));
      const std::uint32_t at = tiff.Append({jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(size)});
      tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Short(0x0002, 4000), tiff.At(0x002E, 7, static_cast<std::uint32_t>(size), at)}));
      ImageMetadata image;
      ReadTiffBlock(image, tiff.Tiff(), nullptr);
      EXPECT_EQ(std::tuple(Shown(image, 3), image.camera_id, image.ExifCount(1)),
                std::tuple(std::string(shown), *shown != '\0' ? 19 : 0, 2))
          << size;
    }
  }
}

// Ricoh's text makernote: "key value" pairs up to the makernote's end (the bytes after it are not
// read) or its first NUL; a pair without letters or without a value adds nothing.
TEST(Makernotes, RicohTextPairs) {
  const std::pair<std::string, std::string> cases[] = {
      {"Rv0207;Rg76;;7x;Ab;Bn0B02900;Gg42", "21110t:'0207' 21095t:'76' 17006t:'0B02900' 18279t:'42'"},
      {"Rev0103;Wxyzw1\0Bg60;"s, "5399926t:'0103' 1467513210t:'w1'"},
      {"Rv0207;Bg6", "21110t:'0207' 16999t:'6'"}};
  for (const auto& [text, shown] : cases) {
    TiffBuilder tiff(ByteOrder::LittleEndian);
    ImageMetadata image =
        ReadNote(tiff, "RICOH", text + "9;Xy99;", {}, {}, static_cast<std::uint32_t>(text.size()));
    EXPECT_EQ(std::pair(image.camera_id, Shown(image, 3)), std::pair(40, shown)) << text;
  }
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

// Numbers kept as their bytes read as the list they stand for, by index, by iteration and as
// numbers; a value added later turns them into a plain list without changing them.
TEST(ExifValues, PackedNumbersReadAsTheirList) {
  const std::uint8_t bytes[] = {0x12, 0x34, 0xFF, 0xFE, 0x80};
  ExifValues words = ExifValues::Packed(std::span(bytes).first(4), 3, {2, true, true});  // third: missing
  std::vector<std::int64_t> seen;
  for (const ExifValue& value : words) seen.push_back(std::get<std::int64_t>(value));
  EXPECT_EQ(seen, (std::vector<std::int64_t>{0x1234, -2, 0}));
  words.emplace_back(std::string("x"));
  ASSERT_EQ(words.size(), 4u);
  EXPECT_EQ(words.Number(1), -2);
  EXPECT_EQ(words.Number(2), 0);
  EXPECT_EQ(words.Number(3), std::nullopt);
  EXPECT_THROW((void)words.at(4), std::out_of_range);
  EXPECT_EQ(ExifValues::Packed(bytes, 2, {1, true, false}).Number(1), 0x34);
  EXPECT_EQ(ExifValues::Packed(bytes, 3, {1, true, false}).Number(2), -1);
  EXPECT_EQ(ExifValues::Packed(bytes, 1, {4, false, false}).Number(0), 0xFEFF3412);
  EXPECT_EQ(ExifValues::Packed(bytes, 1, {4, true, true}).Number(0), 0x1234FFFE);
  EXPECT_EQ(ExifValues::Packed(bytes, 1, {3, false, false}).size(),
            1u);  // read as four bytes, never past them
  EXPECT_TRUE(ExifValues::Packed(bytes, 0, {}).empty());
}

}  // namespace
}  // namespace kelmarin

namespace kelmarin {
namespace {

// The TIFF writer's tree, read back by the walker: entries in tag order whatever order they were
// added in, long values and blobs after the directory on word boundaries, the Exif directory linked
// by its entry, the thumbnail directory by the next link, and a blob made for the offset it lands at.
TEST(TiffWriter, TreeReadsBackInBothOrders) {
  for (const ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    const auto exif = std::make_shared<Ifd>();
    exif->Ascii(0x9003, "2024:05:01 12:00:00").Rational(0x829A, {{1, 250}}).SShort(0x9201, {-3});
    const auto thumbnail = std::make_shared<Ifd>();
    thumbnail->Long(0x0202, {4}).OffsetTo(0x0201, {0xFF, 0xD8, 0xFF, 0xD9});
    Ifd main;
    main.Ascii(0x0110, "Modell").Ascii(0x010F, "Hersteller").Sub(0x8769, exif).Short(0x0112, {6, 7});
    main.Blob(0x8298, kAscii, 6, [](std::int64_t offset) {
      return std::vector<std::uint8_t>{static_cast<std::uint8_t>('0' + offset % 10), 'x', 'y', 'z', 'w', '!'};
    });
    main.Next(thumbnail);
    const std::vector<std::uint8_t> block = WriteTiffBlock(order, main);
    ImageMetadata image;
    ReadTiffBlock(image, block, nullptr);
    const TiffBuilder o(order);
    const std::vector<std::uint8_t> firstTag(block.begin() + 10, block.begin() + 12);
    EXPECT_EQ(firstTag, o.U16(0x010F));
    // Directory 0 (5 entries) 8..74, "Hersteller\0" to 85, "Modell\0" from 86 to 93, the blob at
    // 94, the Exif directory at 100.
    EXPECT_EQ(Shown(image, kSectionMain),
              "271t:'Hersteller' 272t:'Modell' 274n:6,7 33432t:'4xyzw!' 34665n:100 33434t:'1/250' "
              "36867t:'2024:05:01 12:00:00' 37377n:-3");
    const ZetExif* jpeg = image.ExifTag(kSectionThumbnail, 0x0201);
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(block.at(static_cast<std::size_t>(Number(jpeg))), 0xFF);
    EXPECT_EQ(block.size(), static_cast<std::size_t>(Number(jpeg)) + 4);
  }
}

}  // namespace
}  // namespace kelmarin
