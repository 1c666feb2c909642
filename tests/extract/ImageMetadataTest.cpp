#include <gtest/gtest.h>

#include "TiffBuilder.h"
#include "extract/ImageMetadata.h"

namespace kelmarin {
namespace {

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
