// The reading driver, the IPTC reader and the comments.

#include <gtest/gtest.h>

#include "SampleExif.h"
#include "TiffBuilder.h"
#include "extract/MetadataReader.h"

namespace kelmarin {
namespace {

using test::App13;
using test::Cat;
using test::Dataset;
using test::IptcResource;

ImageMetadata ReadIptc(const std::vector<std::uint8_t>& block) {
  ImageMetadata image;
  ReadIptcBlock(image, block);
  return image;
}

TEST(Iptc, RepeatedDatasetsAreJoinedAndRecordVersionSkipped) {
  ImageMetadata image = ReadIptc(App13(IptcResource(
      Cat({Dataset(0, "\x00\x04"), Dataset(25, "Baum"), Dataset(120, "Titel"), Dataset(25, "Wald")}))));
  ASSERT_EQ(image.IptcCount(), 2);
  EXPECT_EQ(image.IptcPos(1)->tag, 25);
  EXPECT_EQ(image.IptcPos(1)->inhalt, "Baum,Wald");
  EXPECT_EQ(image.IptcTag(120)->inhalt, "Titel");
  EXPECT_EQ(image.IptcTag(0), nullptr);
}

TEST(Iptc, DataKeepsZeroBytes) {
  ImageMetadata image = ReadIptc(App13(IptcResource(Dataset(5, std::string_view("a\0b", 3)))));
  EXPECT_EQ(image.IptcTag(5)->inhalt, std::string("a\0b", 3));
}

TEST(Iptc, NameFieldIsPaddedToEvenLength) {
  for (std::string_view name : {"", "a", "ab", "abc", "abcd"}) {
    ImageMetadata image = ReadIptc(App13(IptcResource(Dataset(5, "Name"), name)));
    ASSERT_EQ(image.IptcCount(), 1) << name;
    EXPECT_EQ(image.IptcTag(5)->inhalt, "Name") << name;
  }
}

TEST(Iptc, TwoResourcesAreReadInOrderAndOtherResourcesSkipped) {
  const std::vector<std::uint8_t> other = {'8', 'B', 'I', 'M', 0x04, 0x0C, 0, 0, 0, 0, 0, 4, 1, 2, 3, 4};
  ImageMetadata image = ReadIptc(
      App13(Cat({other, IptcResource(Dataset(25, "eins")), other, IptcResource(Dataset(25, "zwei"))})));
  EXPECT_EQ(image.IptcTag(25)->inhalt, "eins,zwei");
}

TEST(Iptc, SignaturesCompareWithoutCase) {
  auto block = App13(IptcResource(Dataset(5, "x")));
  for (std::size_t i = 4; i < 4 + 9; ++i) block[i] = static_cast<std::uint8_t>(std::tolower(block[i]));
  block[4 + 14 + 1] = 'b';  // "8bIM"
  EXPECT_EQ(ReadIptc(block).IptcCount(), 1);
}

TEST(Iptc, ForeignBytesEndTheReader) {
  // Without "Photoshop 3.0" nothing is read.
  auto block = App13(IptcResource(Dataset(5, "x")));
  block[4] = 'X';
  EXPECT_EQ(ReadIptc(block).IptcCount(), 0);
  // A record-1 dataset first: nothing at all, not even from the next resource.
  std::vector<std::uint8_t> record1 = {0x1C, 1, 90, 0, 3, 0x1B, '%', 'G'};
  EXPECT_EQ(
      ReadIptc(App13(Cat({IptcResource(Cat({record1, Dataset(5, "x")})), IptcResource(Dataset(6, "y"))})))
          .IptcCount(),
      0);
  // Datasets read before a foreign byte stay.
  EXPECT_EQ(
      ReadIptc(App13(IptcResource(Cat({Dataset(5, "x"), {0x00, 0x00, 0x00}, Dataset(6, "y")})))).IptcCount(),
      1);
}

TEST(Iptc, LengthRunningPastTheEndGivesTheBytesThatAreThere) {
  auto block = App13(IptcResource(Dataset(5, "abcdefg")));  // 12 bytes of data: no padding
  block.resize(block.size() - 3);
  EXPECT_EQ(ReadIptc(block).IptcTag(5)->inhalt, "abcd");
}

// Resource sizes of 32768 and more are read in full (they broke 16-bit arithmetic before).
TEST(Iptc, LargeResourceSizesAreReadInFull) {
  const std::string big(20000, 'k');
  ImageMetadata image =
      ReadIptc(App13(IptcResource(Cat({Dataset(120, big), Dataset(120, big), Dataset(5, "end")}))));
  EXPECT_EQ(image.IptcTag(120)->inhalt.size(), 2 * big.size() + 1);
  EXPECT_EQ(image.IptcTag(5)->inhalt, "end");
}

// An extended dataset length (top bit set) ends the reading; what was read before stays.
TEST(Iptc, ExtendedDatasetLengthSkipsTheRest) {
  const std::vector<std::uint8_t> extended = {0x1C, 2, 120, 0x80, 0x04, 0x00, 0x01, 0x00, 0x00, 'x'};
  ImageMetadata image =
      ReadIptc(App13(Cat({IptcResource(Cat({Dataset(5, "vorher"), extended, Dataset(6, "nachher")})),
                          IptcResource(Dataset(7, "andere"))})));
  EXPECT_EQ(image.IptcCount(), 1);
  EXPECT_EQ(image.IptcTag(5)->inhalt, "vorher");
}

// Missing bytes read as 0: until the dataset number is there nothing is added (dataset 0 is
// skipped); with the number but without the rest, an empty text.
TEST(Iptc, TruncatedBlocks) {
  const auto whole = App13(IptcResource(Dataset(5, "x")));
  const std::size_t numberAt = whole.size() - 4;
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const std::vector<std::uint8_t> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    ImageMetadata image = ReadIptc(part);
    EXPECT_EQ(image.IptcCount(), size > numberAt ? 1 : 0) << size;
  }
}

TEST(ReadExifBlock, TypicalCameraBlockInBothByteOrders) {
  for (ByteOrder order : {ByteOrder::LittleEndian, ByteOrder::BigEndian}) {
    const auto block = test::SampleCameraApp1(order);
    ImageMetadata image;
    ReadExifBlock(image, block, nullptr);
    EXPECT_EQ(image.camera_id, 4);
    EXPECT_EQ(image.ExifCount(1), 13 + 31 + 2);
    EXPECT_EQ(image.ExifCount(2), 6);
    EXPECT_EQ(image.ExifCount(3), 24);
    EXPECT_EQ(image.ExifCount(4), 10);
    EXPECT_EQ(image.ExifTag(3, 0x4001)->inhalt.size(), 1250u);
    EXPECT_EQ(std::get<std::string>(image.ExifTag(4, 0x0002)->inhalt[2]), "2212/100");
  }
}

MetadataSource JpegSource() {
  MetadataSource source;
  test::TiffBuilder tiff(ByteOrder::BigEndian);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Short(0x0112, 3)}));
  source.markers.push_back({0xE0, Cat({{0xFF, 0xE0, 0, 16}, test::Bytes("JFIF")})});
  source.markers.push_back({0xE1, tiff.App1()});
  source.markers.push_back({0xE2, tiff.App1()});  // not APP1: ignored although it looks like EXIF
  source.markers.push_back({0xE1, {}});
  source.markers.push_back({0xED, App13(IptcResource(Dataset(25, "Baum")))});
  source.markers.push_back({0xE1, tiff.App1()});  // a second EXIF block adds to the same lists
  return source;
}

TEST(ReadImageMetadata, JpegMarkersGoToTheirReaders) {
  ImageMetadata image;
  ReadImageMetadata(image, 4, JpegSource(), nullptr);
  EXPECT_EQ(image.ExifCount(1), 2);
  EXPECT_EQ(image.IptcTag(25)->inhalt, "Baum");
}

TEST(ReadImageMetadata, JpegCommentsAreNumberedInFileOrder) {
  MetadataSource source;
  source.comments = {"eins", "", std::string("drei\0Rest", 9), std::string("\0", 1)};
  ImageMetadata image;
  ReadImageMetadata(image, 4, source, nullptr);
  ASSERT_EQ(image.ImageCommentCount(), 3);
  EXPECT_EQ(image.ImageCommentPos(1)->key, "P1");
  EXPECT_EQ(image.ImageCommentPos(1)->inhalt, "eins");
  // The empty comment uses up P2.
  EXPECT_EQ(image.ImageCommentPos(2)->key, "P3");
  EXPECT_EQ(image.ImageCommentPos(2)->inhalt, "drei");
  EXPECT_EQ(image.ImageCommentPos(3)->key, "P4");
  EXPECT_EQ(image.ImageCommentPos(3)->inhalt, "");
}

TEST(ReadImageMetadata, PngTextsBecomeComments) {
  MetadataSource source;
  source.texts = {{"Comment", "first"},  {"Title", "Bild"},
                  {"Comment", "second"}, {"TITLE", std::string("neu\0x", 5)},
                  {"Empty", ""},         {std::string("Key\0junk", 8), "v"}};
  ImageMetadata image;
  ReadImageMetadata(image, 8, source, nullptr);
  ASSERT_EQ(image.ImageCommentCount(), 3);
  EXPECT_EQ(image.ImageCommentPos(1)->key, "Comment");
  EXPECT_EQ(image.ImageCommentPos(1)->inhalt, "second");
  EXPECT_EQ(image.ImageCommentPos(2)->key, "Title");
  EXPECT_EQ(image.ImageCommentPos(2)->inhalt, "neu");
  EXPECT_EQ(image.ImageCommentItem("key")->inhalt, "v");
  EXPECT_EQ(image.ImageCommentItem("Empty"), nullptr);
}

TEST(ReadImageMetadata, OtherTypesAndSourcesOfTheOtherFormatAreIgnored) {
  MetadataSource source = JpegSource();
  source.comments = {"x"};
  source.texts = {{"k", "v"}};
  ImageMetadata png;
  ReadImageMetadata(png, 8, source, nullptr);
  EXPECT_EQ(png.ExifCount(), 0);
  EXPECT_EQ(png.ImageCommentCount(), 1);
  EXPECT_EQ(png.ImageCommentPos(1)->key, "k");
  for (std::int32_t type : {0, 1, 3, 12}) {
    ImageMetadata other;
    ReadImageMetadata(other, type, source, nullptr);
    EXPECT_EQ(other.ExifCount() + other.IptcCount() + other.ImageCommentCount(), 0) << type;
  }
}

}  // namespace
}  // namespace kelmarin
