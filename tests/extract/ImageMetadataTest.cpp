#include <gtest/gtest.h>

#include "TiffBuilder.h"
#include "extract/ImageMetadata.h"

namespace kelmarin {
namespace {

using test::TiffBuilder;

std::int64_t Number(const ZetExif* item, std::size_t i = 0) {
  return std::get<std::int64_t>(item->inhalt.at(i));
}

TEST(ImageMetadataCollections, ExifItemsBySection) {
  ImageMetadata image;
  for (int i = 0; i < 3; ++i) image.ExifAdd(1, 0x100 + i, kTypNumbers, {std::int64_t{i}});
  image.ExifAdd(4, 1, kTypTexts, {std::string("N")});
  image.ExifAdd(4, 1, kTypTexts, {std::string("S")});
  EXPECT_EQ(image.ExifAdd(0, 1, kTypNumbers, {}), nullptr);
  EXPECT_EQ(image.ExifAdd(5, 1, kTypNumbers, {}), nullptr);

  EXPECT_EQ(image.ExifCount(), 5);
  EXPECT_EQ(image.ExifCount(1), 3);
  EXPECT_EQ(image.ExifCount(2), 0);
  EXPECT_EQ(image.ExifCount(4), 2);
  EXPECT_EQ(image.ExifCount(7), 0);
  EXPECT_EQ(image.ExifPos(1, 2)->tag, 0x101);
  EXPECT_EQ(image.ExifPos(1, 0), nullptr);
  EXPECT_EQ(image.ExifPos(1, 4), nullptr);
  EXPECT_EQ(image.ExifPos(9, 1), nullptr);
  // ExifTag gives the first of two items with the same tag.
  EXPECT_EQ(std::get<std::string>(image.ExifTag(4, 1)->inhalt[0]), "N");
  EXPECT_EQ(image.ExifTag(1, 0x999), nullptr);
  EXPECT_EQ(image.ExifTag(0, 1), nullptr);
}

TEST(ImageMetadataCollections, IptcJoinsRepeatedDatasets) {
  ImageMetadata image;
  image.IptcAdd(25, "a");
  image.IptcAdd(5, "Titel");
  EXPECT_EQ(image.IptcAdd(25, "b").inhalt, "a,b");
  EXPECT_EQ(image.IptcCount(), 2);
  EXPECT_EQ(image.IptcPos(1)->tag, 25);
  EXPECT_EQ(image.IptcPos(2)->inhalt, "Titel");
  EXPECT_EQ(image.IptcPos(3), nullptr);
  EXPECT_EQ(image.IptcTag(25)->inhalt, "a,b");
  EXPECT_EQ(image.IptcTag(80), nullptr);
}

TEST(ImageMetadataCollections, CommentKeysIgnoreCaseKeepFirstSpellingAndPosition) {
  ImageMetadata image;
  image.ImageCommentAdd("P1", "first");
  image.ImageCommentAdd("Title", "x");
  image.ImageCommentAdd("p1", "second");
  image.ImageCommentAdd("TITLE", "y");
  ASSERT_EQ(image.ImageCommentCount(), 2);
  EXPECT_EQ(image.ImageCommentPos(1)->key, "P1");
  EXPECT_EQ(image.ImageCommentPos(1)->inhalt, "second");
  EXPECT_EQ(image.ImageCommentItem("title")->key, "Title");
  EXPECT_EQ(image.ImageCommentItem("title")->inhalt, "y");
  EXPECT_EQ(image.ImageCommentItem("P2"), nullptr);
  EXPECT_EQ(image.ImageCommentPos(3), nullptr);
  // Only ASCII letters fold: "Ä" and "ä" stay different keys.
  image.ImageCommentAdd("\xC3\x84", "1");
  image.ImageCommentAdd("\xC3\xA4", "2");
  EXPECT_EQ(image.ImageCommentCount(), 4);
}

std::shared_ptr<MetadataSource> SourceWithExifAndIptc() {
  auto source = std::make_shared<MetadataSource>();
  TiffBuilder tiff(ByteOrder::LittleEndian);
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
  EXPECT_EQ(Number(image.ExifPos(1, 2)), 6);
  EXPECT_EQ(image.camera_feq, 0.0);  // no definitions: factor 0
  // Asking again does not read again (the IPTC text would be joined with itself).
  EXPECT_EQ(image.ExifCount(), 2);
  EXPECT_EQ(image.IptcTag(25)->inhalt, "Baum");
  EXPECT_EQ(image.ImageCommentItem("p1")->inhalt, "Hallo");
}

TEST(ImageMetadataReading, EachQueryTriggersTheReading) {
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
    image.IptcAdd(1, "x");
    image.ImageCommentAdd("k", "v");
    EXPECT_FALSE(image.MetadataRead());
    query(image);
    EXPECT_TRUE(image.MetadataRead());
  }
}

TEST(ImageMetadataReading, OtherTypesReadNothing) {
  for (std::int32_t type : {0, 1, 2, 3, 5, 6, 7, 9, 10, 11, 12, 13}) {
    ImageMetadata image;
    image.SetSource(type, SourceWithExifAndIptc(), nullptr);
    EXPECT_EQ(image.ExifCount(), 0) << type;
    EXPECT_EQ(image.IptcCount(), 0) << type;
    EXPECT_EQ(image.ImageCommentCount(), 0) << type;
    EXPECT_FALSE(image.MetadataRead()) << type;
  }
  ImageMetadata withoutSource;
  EXPECT_EQ(withoutSource.ExifCount(), 0);
  EXPECT_FALSE(withoutSource.MetadataRead());
}

}  // namespace
}  // namespace kelmarin
