// The metadata lists, the reading driver, the IPTC reader and the comments.

#include <gtest/gtest.h>

#include <functional>

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
std::string Tag(ImageMetadata& image, std::int32_t dataset) {
  const ZetIPTC* item = image.IptcTag(dataset);
  return item != nullptr ? item->inhalt : "<none>";
}

std::string Comments(ImageMetadata& image) {
  std::string out;
  for (int i = 1; i <= image.ImageCommentCount(); ++i)
    out += image.ImageCommentPos(i)->key + "=" + image.ImageCommentPos(i)->inhalt + ";";
  return out;
}

TEST(Iptc, DatasetsOfEveryResourceAreJoined) {
  // Repeated datasets joined, the record version skipped, zero bytes kept, other resources skipped;
  // a block of even length is followed at once by the next one.
  const std::vector<std::uint8_t> other = {'8', 'B', 'I', 'M', 0x04, 0x0C, 0, 0, 0, 0, 0, 4, 1, 2, 3, 4};
  ImageMetadata image = ReadIptc(App13(Cat({IptcResource(Cat({Dataset(0, "\x00\x04"), Dataset(25, "Baum"),
                                                              Dataset(120, "Titel"), Dataset(25, "Wald")})),
                                            other, IptcResource(Dataset(25, "Wege"), "abc"),
                                            IptcResource(Dataset(25, "Ende")),
                                            IptcResource(Dataset(5, std::string_view("a\0b", 3)), "ab")})));
  ASSERT_EQ(image.IptcCount(), 3);
  EXPECT_EQ(image.IptcPos(1)->tag, 25);
  EXPECT_EQ(Tag(image, 25), "Baum,Wald,Wege,Ende");
  EXPECT_EQ(Tag(image, 120), "Titel");
  EXPECT_EQ(Tag(image, 5), std::string("a\0b", 3));
  // Name fields of every length are padded to an even length, and the next block follows.
  for (std::string_view name : {"", "a", "ab", "abc", "abcd"}) {
    image = ReadIptc(App13(Cat({IptcResource(Dataset(5, "Name"), name), IptcResource(Dataset(6, "x"), name)})));
    EXPECT_EQ(Tag(image, 5) + Tag(image, 6), "Namex") << name;
  }
  // Two stray bytes at the end of a resource's data are not a dataset: the next resource is read.
  image = ReadIptc(App13(Cat({IptcResource(Cat({Dataset(5, "a"), {0, 0}})), IptcResource(Dataset(6, "b"))})));
  EXPECT_EQ(Tag(image, 6), "b");
  // Signatures compare without case.
  auto block = App13(IptcResource(Dataset(5, "x")));
  for (std::size_t i = 4; i < 4 + 9; ++i) block[i] = static_cast<std::uint8_t>(std::tolower(block[i]));
  block[4 + 14 + 1] = 'b';  // "8bIM"
  EXPECT_EQ(ReadIptc(block).IptcCount(), 1);
  // Resource sizes of 32768 and more are read in full.
  const std::string big(20000, 'k');
  image = ReadIptc(App13(IptcResource(Cat({Dataset(120, big), Dataset(120, big), Dataset(5, "end")}))));
  EXPECT_EQ(Tag(image, 120).size(), 2 * big.size() + 1);
  EXPECT_EQ(Tag(image, 5), "end");
}

TEST(Iptc, ForeignOrCutBytesEndTheReader) {
  auto block = App13(IptcResource(Dataset(5, "x")));
  block[4] = 'X';  // without "Photoshop 3.0" nothing is read
  EXPECT_EQ(ReadIptc(block).IptcCount(), 0);
  // A record-1 dataset first: nothing at all, not even from the next resource.
  const std::vector<std::uint8_t> record1 = {0x1C, 1, 90, 0, 3, 0x1B, '%', 'G'};
  EXPECT_EQ(
      ReadIptc(App13(Cat({IptcResource(Cat({record1, Dataset(5, "x")})), IptcResource(Dataset(6, "y"))})))
          .IptcCount(),
      0);
  // Datasets read before a foreign byte or an extended dataset length stay.
  EXPECT_EQ(
      ReadIptc(App13(IptcResource(Cat({Dataset(5, "x"), {0x00, 0x00, 0x00}, Dataset(6, "y")})))).IptcCount(),
      1);
  const std::vector<std::uint8_t> extended = {0x1C, 2, 120, 0x80, 0x04, 0x00, 0x01, 0x00, 0x00, 'x'};
  ImageMetadata image =
      ReadIptc(App13(Cat({IptcResource(Cat({Dataset(5, "vorher"), extended, Dataset(6, "nachher")})),
                          IptcResource(Dataset(7, "andere"))})));
  EXPECT_EQ(image.IptcCount(), 1);
  EXPECT_EQ(Tag(image, 5), "vorher");
  // A length past the end gives the bytes that are there.
  block = App13(IptcResource(Dataset(5, "abcdefg")));  // 12 bytes of data: no padding
  block.resize(block.size() - 3);
  image = ReadIptc(block);
  EXPECT_EQ(Tag(image, 5), "abcd");
  // Missing bytes read as 0: until the dataset number is there nothing is added (dataset 0 is
  // skipped); with the number but without the rest, an empty text.
  const auto whole = App13(IptcResource(Dataset(5, "x")));
  for (std::size_t size = 0; size < whole.size(); ++size) {
    const std::vector<std::uint8_t> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
    EXPECT_EQ(ReadIptc(part).IptcCount(), size > whole.size() - 4 ? 1 : 0) << size;
  }
}

TEST(ReadImageMetadata, JpegMarkersAndCommentsPngTexts) {
  MetadataSource source;
  test::TiffBuilder tiff(ByteOrder::BigEndian);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Short(0x0112, 3)}));
  source.markers.push_back({0xE0, Cat({{0xFF, 0xE0, 0, 16}, test::Bytes("JFIF")})});
  source.markers.push_back({0xE1, tiff.App1()});
  source.markers.push_back({0xE2, tiff.App1()});  // not APP1: ignored although it looks like EXIF
  source.markers.push_back({0xE1, {}});
  source.markers.push_back({0xED, App13(IptcResource(Dataset(25, "Baum")))});
  source.markers.push_back({0xE1, tiff.App1()});  // a second EXIF block adds to the same lists
  source.comments = {"eins", "", std::string("drei\0Rest", 9), std::string("\0", 1)};
  source.texts = {{"Comment", "first"},  {"Title", "Bild"},
                  {"Comment", "second"}, {"TITLE", std::string("neu\0x", 5)},
                  {"Empty", ""},         {std::string("Key\0junk", 8), "v"}};
  ImageMetadata jpeg;
  ReadImageMetadata(jpeg, 4, source, nullptr);
  EXPECT_EQ(jpeg.ExifCount(1), 2);
  EXPECT_EQ(Tag(jpeg, 25), "Baum");
  // Comments numbered in file order, cut at a zero byte; the empty one uses up P2.
  EXPECT_EQ(Comments(jpeg), "P1=eins;P3=drei;P4=;");

  ImageMetadata png;
  ReadImageMetadata(png, 8, source, nullptr);
  EXPECT_EQ(png.ExifCount() + png.IptcCount(), 0);
  EXPECT_EQ(Comments(png), "Comment=second;Title=neu;Key=v;");
  for (std::int32_t type : {0, 1, 3, 12}) {
    ImageMetadata other;
    ReadImageMetadata(other, type, source, nullptr);
    EXPECT_EQ(other.ExifCount() + other.IptcCount() + other.ImageCommentCount(), 0) << type;
  }
}

TEST(ImageMetadataCollections, SectionsAndCommentKeys) {
  ImageMetadata image;
  image.ExifAdd(4, 1, kTypTexts, {std::string("N")});
  image.ExifAdd(4, 1, kTypTexts, {std::string("S")});
  EXPECT_EQ(std::get<std::string>(image.ExifTag(4, 1)->inhalt[0]), "N");  // the first of two
  // Comment keys ignore the case of ASCII letters only and keep their first spelling and place.
  for (const char* key : {"P1", "Title", "p1", "TITLE", "\xC3\x84", "\xC3\xA4"})
    image.ImageCommentAdd(key, key);
  ASSERT_EQ(image.ImageCommentCount(), 4);
  EXPECT_EQ(image.ImageCommentPos(1)->key, "P1");
  EXPECT_EQ(image.ImageCommentPos(1)->inhalt, "p1");
  EXPECT_EQ(image.ImageCommentItem("title")->key, "Title");
  EXPECT_EQ(image.ImageCommentItem("title")->inhalt, "TITLE");
}

std::shared_ptr<MetadataSource> SourceWithExifAndIptc() {
  auto source = std::make_shared<MetadataSource>();
  test::TiffBuilder tiff(ByteOrder::LittleEndian);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Short(0x0112, 6)}));
  source->markers.push_back({0xE1, tiff.App1()});
  source->markers.push_back({0xED, test::App13(test::IptcResource(test::Dataset(25, "Baum")))});
  source->comments = {"Hallo"};
  return source;
}

TEST(ImageMetadataReading, ReadsOnceOnTheFirstQuery) {
  ImageMetadata image;
  image.SetSource(4, SourceWithExifAndIptc(), nullptr);
  image.ExifAdd(1, 0x0100, kTypNumbers, {std::int64_t{1}});  // Add does not read
  EXPECT_FALSE(image.MetadataRead());
  EXPECT_EQ(image.camera_feq, 1.0);
  EXPECT_EQ(image.ExifCount(), 2);
  EXPECT_TRUE(image.MetadataRead());
  EXPECT_EQ(image.ExifPos(1, 1)->tag, 0x0100);  // the item added before the reading stays first
  EXPECT_EQ(std::get<std::int64_t>(image.ExifPos(1, 2)->inhalt[0]), 6);
  EXPECT_EQ(image.camera_feq, 0.0);  // no definitions: factor 0
  // Asking again does not read again (the IPTC text would be joined with itself).
  EXPECT_EQ(image.ExifCount(), 2);
  EXPECT_EQ(image.IptcCount(), 1);
  EXPECT_EQ(image.ImageCommentItem("p1")->inhalt, "Hallo");
}

TEST(ImageMetadataReading, EachQueryTriggersTheReadingOnlyForJpegAndPng) {
  using Query = std::function<void(ImageMetadata&)>;
  const std::vector<Query> queries = {
      [](ImageMetadata& m) { m.ExifPos(1, 1); },       [](ImageMetadata& m) { m.ExifTag(1, 1); },
      [](ImageMetadata& m) { m.ExifCount(1); },        [](ImageMetadata& m) { m.IptcPos(1); },
      [](ImageMetadata& m) { m.IptcTag(1); },          [](ImageMetadata& m) { m.IptcCount(); },
      [](ImageMetadata& m) { m.ImageCommentPos(1); },  [](ImageMetadata& m) { m.ImageCommentItem("P1"); },
      [](ImageMetadata& m) { m.ImageCommentCount(); },
  };
  for (const Query& query : queries) {
    ImageMetadata image;
    image.SetSource(4, SourceWithExifAndIptc(), nullptr);
    query(image);
    EXPECT_TRUE(image.MetadataRead());
  }
  for (std::int32_t type : {0, 1, 2, 3, 5, 6, 7, 9, 10, 11, 12, 13}) {
    ImageMetadata image;
    image.SetSource(type, SourceWithExifAndIptc(), nullptr);
    EXPECT_EQ(image.ExifCount() + image.IptcCount() + image.ImageCommentCount(), 0) << type;
    EXPECT_FALSE(image.MetadataRead()) << type;
  }
}

}  // namespace
}  // namespace kelmarin
