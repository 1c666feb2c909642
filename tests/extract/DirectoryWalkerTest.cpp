// The directory walker through ReadExifBlock, on hand-made blocks in both byte orders.

#include <gtest/gtest.h>

#include <bit>

#include "TiffBuilder.h"
#include "extract/ExifBlock.h"
#include "extract/MetadataReader.h"

namespace kelmarin {
namespace {

using test::Cat;
using test::TiffBuilder;

std::int64_t Number(const ZetExif* item, std::size_t i = 0) {
  return std::get<std::int64_t>(item->inhalt.at(i));
}
const std::string& Text(const ZetExif* item, std::size_t i = 0) {
  return std::get<std::string>(item->inhalt.at(i));
}

class Walker : public ::testing::TestWithParam<ByteOrder> {
 protected:
  TiffBuilder tiff{GetParam()};
  ImageMetadata image;

  void Read() {
    const auto block = tiff.App1();
    ReadExifBlock(image, block, nullptr);
  }
  const ZetExif* Item(std::int32_t section, std::int32_t tag) {
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

  tiff.SetFirstDirectory(tiff.AddDirectory({
      tiff.Inline(0x0001, 1, 3, {1, 200, 255}),
      tiff.Inline(0x0002, 2, 4, {'A', 'b', 0, 0}),
      tiff.Inline(0x0003, 3, 2, Cat({tiff.U16(7), tiff.U16(8)})),
      tiff.At(0x0004, 3, 3, shortsAt),
      tiff.Long(0x0005, 0xFFFFFFFF),
      tiff.At(0x0006, 5, 2, rationalsAt),
      tiff.Inline(0x0007, 6, 1, {0xFF}),
      tiff.Inline(0x0008, 7, 4, {0, 1, 2, 3}),
      tiff.Inline(0x0009, 8, 1, tiff.U16(0xFFFE)),
      tiff.Inline(0x000A, 9, 1, tiff.U32(static_cast<std::uint32_t>(-5))),
      tiff.At(0x000B, 10, 1, srationalAt),
      tiff.Inline(0x000C, 11, 1, tiff.U32(std::bit_cast<std::uint32_t>(1.5f))),
      tiff.At(0x000D, 12, 1, doubleAt),
  }));
  Read();
  EXPECT_EQ(image.ExifCount(1), 13);
  const ZetExif* bytes = Item(1, 0x0001);
  EXPECT_EQ(bytes->typ, kTypNumbers);
  EXPECT_EQ(bytes->inhalt, (std::vector<ExifValue>{std::int64_t{1}, std::int64_t{200}, std::int64_t{255}}));
  EXPECT_EQ(Item(1, 0x0002)->typ, kTypTexts);
  EXPECT_EQ(Text(Item(1, 0x0002)), "Ab");
  EXPECT_EQ(Item(1, 0x0004)->inhalt,
            (std::vector<ExifValue>{std::int64_t{1}, std::int64_t{2}, std::int64_t{3}}));
  EXPECT_EQ(Number(Item(1, 0x0005)), 4294967295);  // LONG of 2^31 and more keeps its value
  EXPECT_EQ(Item(1, 0x0006)->typ, kTypTexts);
  EXPECT_EQ(Item(1, 0x0006)->inhalt,
            (std::vector<ExifValue>{std::string("72/1"), std::string("2147483648/3")}));
  EXPECT_EQ(Number(Item(1, 0x0007)), 255);  // SBYTE is not sign-extended
  EXPECT_EQ(Item(1, 0x0008)->inhalt.size(), 4u);
  EXPECT_EQ(Number(Item(1, 0x0009)), -2);
  EXPECT_EQ(Number(Item(1, 0x000A)), -5);
  EXPECT_EQ(Text(Item(1, 0x000B)), "-1/3");
  // FLOAT and DOUBLE are numbers in the block's byte order, shortest exact text.
  EXPECT_EQ(Item(1, 0x000C)->typ, kTypTexts);
  EXPECT_EQ(Text(Item(1, 0x000C)), "1.5");
  EXPECT_EQ(Text(Item(1, 0x000D)), "0.1");
}

TEST_P(Walker, ShortsAreInlineUpToFourBytes) {
  const auto two = Cat({tiff.U16(4), tiff.U16(5)});
  const std::uint32_t threeAt = tiff.Append(Cat({two, tiff.U16(6)}));
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Inline(0x0100, 3, 2, two), tiff.At(0x0101, 3, 3, threeAt)}));
  Read();
  EXPECT_EQ(Item(1, 0x0100)->inhalt, (std::vector<ExifValue>{std::int64_t{4}, std::int64_t{5}}));
  EXPECT_EQ(Item(1, 0x0101)->inhalt,
            (std::vector<ExifValue>{std::int64_t{4}, std::int64_t{5}, std::int64_t{6}}));
}

TEST_P(Walker, RationalsAndDoublesAreAlwaysAtTheOffset) {
  // An SRATIONAL is read at its offset although a single one would be 8 bytes in any case.
  const std::uint32_t at = tiff.Append(Cat({tiff.U32(10), tiff.U32(2)}));
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.At(0x0200, 10, 1, at)}));
  Read();
  EXPECT_EQ(Text(Item(1, 0x0200)), "10/2");
}

TEST_P(Walker, CopyrightKeepsEveryByte) {
  const std::string notice("Foto\0Edit\0", 10);
  const std::uint32_t at = tiff.AppendText(notice);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.At(0x8298, 2, 10, at), tiff.At(0x010E, 2, 10, at)}));
  Read();
  EXPECT_EQ(Text(Item(1, 0x8298)), notice);
  EXPECT_EQ(Text(Item(1, 0x010E)), "Foto");
}

TEST_P(Walker, CountZeroGivesAnOffsetTextExceptForTheSpecialTags) {
  tiff.SetFirstDirectory(tiff.AddDirectory({
      tiff.At(0x9286, 7, 0, 1000),
      tiff.At(0x010F, 2, 0, 0),
      tiff.At(0x0110, 2, 0, 0),
      tiff.At(0x8769, 4, 0, 60000),
      tiff.At(0x8825, 4, 0, 60000),
      tiff.At(0xA005, 4, 0, 60000),
  }));
  Read();
  EXPECT_EQ(image.ExifCount(), 1);
  EXPECT_EQ(Text(Item(1, 0x9286)), "Offset:1011 Bytes:0");
  EXPECT_EQ(Item(1, 0x9286)->typ, kTypTexts);
}

TEST_P(Walker, MakernoteBecomesOneOffsetItemWhenTheMakeIsUnknown) {
  const std::uint32_t make = tiff.AppendText(std::string("Acme\0", 5));
  const std::uint32_t note = tiff.Append(std::vector<std::uint8_t>(40, 0x11));
  const std::uint32_t exifIfd = tiff.AddDirectory({tiff.At(0x927C, 7, 40, note)});
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.At(0x010F, 2, 5, make), tiff.Long(0x8769, exifIfd)}));
  image.camera_id = 5;
  Read();
  EXPECT_EQ(image.camera_id, 0);
  EXPECT_EQ(image.ExifCount(), 3);
  EXPECT_EQ(Text(Item(1, 0x927C)), "Offset:" + std::to_string(TiffBuilder::Pos(note)) + " Bytes:40");
  EXPECT_EQ(image.ExifCount(3), 0);
}

TEST_P(Walker, SubDirectoriesFollowTheirPointerAndNextLinksAreThumbnails) {
  const std::uint32_t interop = tiff.AddDirectory({tiff.Short(0x0001, 11)});
  const std::uint32_t ifd1 = tiff.AddDirectory({tiff.Short(0x0103, 6)});
  const std::uint32_t gps2 = tiff.AddDirectory({tiff.Short(0x0001, 21)});
  const std::uint32_t gps = tiff.AddDirectory({tiff.Short(0x0005, 1)}, gps2);
  const std::uint32_t exif = tiff.AddDirectory({tiff.Short(0x9000, 1), tiff.Long(0xA005, interop)});
  tiff.SetFirstDirectory(tiff.AddDirectory(
      {tiff.Long(0x8769, exif), tiff.Short(0x0112, 1), tiff.Long(0x8825, gps), tiff.Short(0x0131, 2)}, ifd1));
  Read();
  std::vector<std::int32_t> main;
  for (int i = 1; i <= image.ExifCount(1); ++i) main.push_back(image.ExifPos(1, i)->tag);
  EXPECT_EQ(main, (std::vector<std::int32_t>{0x8769, 0x9000, 0xA005, 0x0001, 0x0112, 0x8825, 0x0131}));
  EXPECT_EQ(image.ExifCount(4), 1);
  EXPECT_EQ(Number(Item(4, 0x0005)), 1);
  // The GPS directory's next link and directory 0's next link both land in section 2, in walk order.
  ASSERT_EQ(image.ExifCount(2), 2);
  EXPECT_EQ(Number(image.ExifPos(2, 1)), 21);
  EXPECT_EQ(Number(image.ExifPos(2, 2)), 6);
}

TEST_P(Walker, InvalidTypeEndsTheDirectoryButKeepsEarlierSubDirectories) {
  const std::uint32_t ifd1 = tiff.AddDirectory({tiff.Short(0x0103, 6)});
  const std::uint32_t exif = tiff.AddDirectory({tiff.Short(0x9000, 1)});
  tiff.SetFirstDirectory(tiff.AddDirectory(
      {tiff.Short(0x0100, 1), tiff.Long(0x8769, exif), tiff.Inline(0x0101, 13, 1, {}), tiff.Short(0x0102, 2)},
      ifd1));
  Read();
  EXPECT_EQ(image.ExifCount(1), 3);
  EXPECT_NE(image.ExifTag(1, 0x9000), nullptr);
  EXPECT_EQ(image.ExifTag(1, 0x0102), nullptr);
  EXPECT_EQ(image.ExifCount(2), 0);
}

TEST_P(Walker, OffsetsOutsideTheBlockReadAsZero) {
  tiff.SetFirstDirectory(tiff.AddDirectory({
      tiff.At(0x0001, 5, 2, 60000),   // rationals outside: 0/0 each
      tiff.At(0x0002, 2, 20, 60000),  // text outside: empty
      tiff.Long(0x8769, 60000),       // sub-directory outside: nothing
  }));
  Read();
  EXPECT_EQ(Item(1, 0x0001)->inhalt, (std::vector<ExifValue>{std::string("0/0"), std::string("0/0")}));
  EXPECT_EQ(Text(Item(1, 0x0002)), "");
  EXPECT_EQ(image.ExifCount(), 3);
}

TEST_P(Walker, ValuesCutByTheEndOfTheBlockReadAsZero) {
  const std::uint32_t dir = tiff.AddDirectory({tiff.At(0x0001, 3, 3, 0)});
  tiff.SetFirstDirectory(dir);
  tiff.Patch(dir + 2 + 8, tiff.U32(tiff.Size()));  // three SHORTs at the very end: one whole, one cut
  tiff.Patch(tiff.Size(), tiff.U16(9));
  tiff.Patch(tiff.Size(), {0x01});
  Read();
  EXPECT_EQ(Item(1, 0x0001)->inhalt,
            (std::vector<ExifValue>{std::int64_t{9}, std::int64_t{0}, std::int64_t{0}}));
}

// A count of four billion must not make four billion values: only those that begin inside the
// block are decoded.
TEST_P(Walker, HugeCountsAreCutToTheBlock) {
  tiff.SetFirstDirectory(
      tiff.AddDirectory({tiff.At(0x0001, 1, 0xFFFFFFFF, 8), tiff.At(0x0002, 5, 0xFFFFFFFF, 8)}));
  Read();
  EXPECT_LE(Item(1, 0x0001)->inhalt.size(), tiff.App1().size());
  EXPECT_GE(Item(1, 0x0001)->inhalt.size(), 1u);
  EXPECT_LE(Item(1, 0x0002)->inhalt.size(), tiff.App1().size() / 8 + 1);
}

TEST_P(Walker, LoopsAndDepthAreBounded) {
  // Directory 0 links to itself as next directory and as its own Exif directory; an Exif directory
  // points back to directory 0.
  const std::uint32_t dir0 = tiff.Size();
  const std::uint32_t exif = dir0 + 2 + 12 * 3 + 4;
  tiff.AddDirectory({tiff.Short(0x0100, 1), tiff.Long(0x8769, dir0), tiff.Long(0x8769, exif)}, dir0);
  tiff.AddDirectory({tiff.Short(0x9000, 2), tiff.Long(0xA005, dir0)}, exif);
  tiff.SetFirstDirectory(dir0);
  Read();
  EXPECT_EQ(image.ExifCount(2), 0);
  EXPECT_LE(image.ExifCount(), 16);
  EXPECT_EQ(Number(image.ExifPos(1, 1)), 1);
}

TEST_P(Walker, LongChainsStopAtTheDepthLimit) {
  // 40 directories, each linking to the next.
  const std::uint32_t first = tiff.Size();
  for (std::uint32_t i = 0; i < 40; ++i) {
    const std::uint32_t here = first + i * 18;
    tiff.AddDirectory({tiff.Short(0x0100, static_cast<std::uint16_t>(i))}, i + 1 < 40 ? here + 18 : 0);
  }
  tiff.SetFirstDirectory(first);
  Read();
  EXPECT_EQ(image.ExifCount(), kMaxDirectoryDepth);
}

TEST_P(Walker, FanOutIsBounded) {
  // Every directory points twice to the next one: without a budget 2^30 walks.
  const std::uint32_t first = tiff.Size();
  constexpr std::uint32_t kSize = 2 + 12 * 3 + 4;
  for (std::uint32_t i = 0; i < 30; ++i) {
    const std::uint32_t next = first + (i + 1) * kSize;
    tiff.AddDirectory({tiff.Long(0x8769, next), tiff.Long(0x8769, next), tiff.Short(0x0100, 1)});
  }
  tiff.SetFirstDirectory(first);
  Read();
  EXPECT_LE(image.ExifCount(), 3 * kMaxDirectoriesPerBlock);
}

TEST_P(Walker, MemoryBudgetStopsHostileBlocks) {
  // 5000 entries of 60000 bytes each, all on the same data.
  const std::uint32_t data = tiff.Append(std::vector<std::uint8_t>(60000, 7));
  std::vector<TiffBuilder::Entry> entries(5000, tiff.At(0x0001, 1, 60000, data));
  tiff.SetFirstDirectory(tiff.AddDirectory(entries));
  const auto block = tiff.App1();
  for (int i = 0; i < 3; ++i) ReadExifBlock(image, block, nullptr);
  EXPECT_LE(image.ExifStoredBytes(), kMaxExifBytesPerImage);
  EXPECT_GT(image.ExifCount(), 0);
}

TEST_P(Walker, MakeAndModelAreTheLastOnesMet) {
  const std::uint32_t exif = tiff.AddDirectory({tiff.Ascii(0x0110, "Second")});
  const std::uint32_t dir0 =
      tiff.AddDirectory({tiff.Ascii(0x010F, "Maker"), tiff.Ascii(0x0110, "First"), tiff.Long(0x8769, exif)});
  const auto block = tiff.App1();
  ExifBlockState state(block, GetParam());
  WalkDirectory(image, state, 1, TiffBuilder::Pos(dir0), kTiffHeaderPos);
  EXPECT_EQ(state.make, "Maker");
  EXPECT_EQ(state.model, "Second");
  EXPECT_EQ(state.makernote, 0);
}

TEST(ExifBlock, HeaderDecidesByteOrderAndValidity) {
  for (std::string_view letters : {"MM", "mm", "Mm"}) {
    TiffBuilder tiff(ByteOrder::BigEndian);
    tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Short(0x0100, 0x0102)}));
    tiff.Patch(0, test::Bytes(letters));
    ImageMetadata image;
    ReadExifBlock(image, tiff.App1(), nullptr);
    ASSERT_EQ(image.ExifCount(), 1) << letters;
    EXPECT_EQ(std::get<std::int64_t>(image.ExifPos(1, 1)->inhalt[0]), 0x0102) << letters;
  }
  // Unknown letters read little-endian.
  TiffBuilder tiff(ByteOrder::LittleEndian);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Short(0x0100, 0x0102)}));
  tiff.Patch(0, test::Bytes("XY"));
  ImageMetadata image;
  ReadExifBlock(image, tiff.App1(), nullptr);
  EXPECT_EQ(image.ExifCount(), 1);
  // 42 read in the wrong order: the block is ignored and nothing is reset.
  tiff.Patch(0, test::Bytes("MM"));
  ImageMetadata ignored;
  ignored.camera_id = 7;
  ignored.camera_feq = 1.5;
  ReadExifBlock(ignored, tiff.App1(), nullptr);
  EXPECT_EQ(ignored.ExifCount(), 0);
  EXPECT_EQ(ignored.camera_id, 7);
  EXPECT_EQ(ignored.camera_feq, 1.5);
}

TEST(ExifBlock, XmpInApp1AddsNothing) {
  const std::string xmp = std::string("\xFF\xE1\x00\x40http://ns.adobe.com/xap/1.0/\0", 33) +
                          "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?>";
  const std::vector<std::uint8_t> block(xmp.begin(), xmp.end());
  ImageMetadata image;
  image.camera_id = 4;
  ReadExifBlock(image, block, nullptr);
  EXPECT_EQ(image.ExifCount(), 0);
  EXPECT_EQ(image.camera_id, 4);
  ReadExifBlock(image, {}, nullptr);
  ReadExifBlock(image, std::span(block).first(12), nullptr);
  EXPECT_EQ(image.ExifCount(), 0);
}

}  // namespace
}  // namespace kelmarin
