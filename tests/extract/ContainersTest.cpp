// Container readers: the JPEG segment walker (lengths, fill bytes, standalone markers and every way a
// header ends), and files that claim more than they hold: the HEIF item locations, whose extents may
// list the same bytes over and over in no bytes of their own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostileFiles.h"
#include "extract/Containers.h"
#include "extract/JpegSegments.h"

namespace kelmarin {
namespace {

using Block = std::vector<std::uint8_t>;

// The segments walked, as "code:size" in hex and decimal, then "|" and whether a further call
// still finds nothing.
std::string Walk(const Block& jpeg) {
  JpegSegmentWalker walker(jpeg);
  std::string text;
  for (JpegSegment segment; walker.Next(segment);) {
    char part[16];
    std::snprintf(part, sizeof part, "%02X:%zu ", segment.code, segment.bytes.size());
    text += part;
  }
  JpegSegment after;
  return text + (walker.Next(after) ? "|again" : "|");
}

TEST(JpegSegments, WalksTheHeaderUpToItsEnd) {
  const struct {
    const char* name;
    Block jpeg;
    std::string walked;
  } cases[] = {
      {"app-comment-scan", {0xFF, 0xD8, 0xFF, 0xE1, 0, 4, 'a', 'b', 0xFF, 0xFE, 0, 3, 'c', 0xFF, 0xDA, 0, 2},
       "E1:6 FE:5 |"},
      {"fill-bytes", {0xFF, 0xD8, 0xFF, 0xFF, 0xFF, 0xE0, 0, 2, 0xFF, 0xD9}, "E0:4 |"},
      {"standalone", {0xFF, 0xD8, 0xFF, 0xD0, 0xFF, 0x01, 0xFF, 0xD7, 0xFF, 0xE2, 0, 2}, "D0:2 01:2 D7:2 E2:4 |"},
      {"image-end", {0xFF, 0xD8, 0xFF, 0xD9, 0xFF, 0xE0, 0, 2}, "|"},
      {"length-below-two", {0xFF, 0xD8, 0xFF, 0xE0, 0, 1, 0xFF, 0xE1, 0, 2}, "|"},
      {"length-beyond", {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0xFF, 0xE1, 0, 5, 'x', 'y'}, "E0:4 |"},
      {"exactly-to-the-end", {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0xFF, 0xE1, 0, 4, 'x', 'y'}, "E0:4 E1:6 |"},
      {"no-marker-byte", {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0x00, 0xFF, 0xE1, 0, 2}, "E0:4 |"},
      {"three-bytes-left", {0xFF, 0xD8, 0xFF, 0xE0, 0, 2, 0xFF, 0xD0, 0}, "E0:4 |"},
      {"only-the-start", {0xFF, 0xD8}, "|"},
  };
  for (const auto& c : cases) EXPECT_EQ(Walk(c.jpeg), c.walked) << c.name;

  // A header of nothing but restart markers ends after kMaxSegments of them.
  Block many = {0xFF, 0xD8};
  for (int i = 0; i < kMaxSegments + 10; ++i) many.insert(many.end(), {0xFF, 0xD0});
  many.insert(many.end(), {0xFF, 0xE0, 0, 2});
  JpegSegmentWalker walker(many);
  int count = 0;
  for (JpegSegment segment; walker.Next(segment);) ++count;
  EXPECT_EQ(count, kMaxSegments);
}

// The container reader keeps the APPn segments whole and the comments' payloads.
TEST(JpegSegments, ContainerReaderKeepsMarkersAndComments) {
  const Block jpeg = {0xFF, 0xD8, 0xFF, 0xDB, 0, 3, 9, 0xFF, 0xE1, 0, 4, 'a', 'b', 0xFF, 0xFE, 0, 4, 'h', 'i'};
  MetadataSource source;
  ASSERT_TRUE(ReadJpegSegments(jpeg, source));
  ASSERT_EQ(source.markers.size(), 1U);
  EXPECT_EQ(source.markers[0].code, kJpegApp1);
  EXPECT_EQ(source.markers[0].bytes, Block(jpeg.begin() + 7, jpeg.begin() + 13));
  EXPECT_EQ(source.comments, std::vector<std::string>{"hi"});
  EXPECT_FALSE(ReadJpegSegments(Block(jpeg.begin() + 1, jpeg.end()), source));
  EXPECT_EQ(JpegSegmentHead(kJpegApp13, 0x1234), (std::array<std::uint8_t, 4>{0xFF, 0xED, 0x12, 0x34}));
}

using test::Cat;
using test::HeifLocation;
using test::kHeifPayloadAt;

Block ExifPayload() {
  test::TiffBuilder tiff(ByteOrder::LittleEndian);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Ascii(0x010F, "Kelmarin")}));
  return Cat({test::TiffBuilder(ByteOrder::BigEndian).U32(0), tiff.Tiff()});
}

struct LocationCase {
  const char* name;
  std::uint8_t fieldSizes;
  std::vector<Block> exifLocations;  // of item 2; item 1 is located at the payload
  bool read;
  std::size_t blocks;
};

TEST(HeifItemLocations, ExtentsAreBoundedByTheFile) {
  const Block exif = ExifPayload();
  const auto size = static_cast<std::uint32_t>(exif.size());
  const Block picture = HeifLocation(1, 0, {{kHeifPayloadAt, 1}});
  const LocationCase cases[] = {
      {"one extent", 0x44, {HeifLocation(2, 0, {{kHeifPayloadAt, size}})}, true, 1},
      {"two extents", 0x44, {HeifLocation(2, 0, {{kHeifPayloadAt, 5}, {kHeifPayloadAt + 5, size - 5}})}, true,
       1},
      {"up to the end", 0x44, {HeifLocation(2, 0, {{kHeifPayloadAt, 0}})}, true, 1},
      {"the whole file twice", 0x44, {HeifLocation(2, 0, {{0, 0}, {0, 0}})}, true, 0},
      {"past the end", 0x44, {HeifLocation(2, 0, {{kHeifPayloadAt, 1 << 20}})}, true, 0},
      {"an unknown construction", 0x44, {HeifLocation(2, 2, {{kHeifPayloadAt, size}})}, true, 0},
      {"fields of no width", 0x00, {{0, 2, 0, 0, 0, 0, 0xFF, 0xFF}}, true, 0},
      {"more extents than the box holds", 0x44, {{0, 2, 0, 0, 0, 0, 0, 3, 0, 0, 0, 32, 0, 0, 0, 4}}, false,
       0},
      {"fields of three bytes", 0x33, {{0, 2, 0, 0, 0, 0, 0, 1, 0, 0, 32, 0, 0, 4}}, false, 0},
  };
  for (const LocationCase& c : cases) {
    const Block first = c.fieldSizes == 0x44 ? picture : Block{0, 1, 0, 0, 0, 0, 0, 0};
    const Block file = test::HeifFile(exif, 1, c.fieldSizes, 2, Cat({first, c.exifLocations.front()}));
    MetadataSource source;
    EXPECT_EQ(ReadHeifContainer(file, source), c.read) << c.name;
    ASSERT_EQ(source.tiffBlocks.size(), c.blocks) << c.name;
    for (const TiffBlock& block : source.tiffBlocks) {
      ASSERT_GE(block.bytes.size(), size - 4) << c.name;
      EXPECT_TRUE(std::equal(exif.begin() + 4, exif.end(), block.bytes.begin())) << c.name;
    }
  }
}

TEST(HeifItemLocations, BombOfEmptyExtentsGivesNothing) {
  // 16 EXIF items and 2,200 items of 65,535 extents each: every extent is the whole file.
  const Block file = test::HeifIlocBomb(16, 2200);
  EXPECT_LT(file.size(), std::size_t{20'000});
  MetadataSource source;
  EXPECT_TRUE(ReadHeifContainer(file, source));
  EXPECT_TRUE(source.tiffBlocks.empty());
}

TEST(HeifItemLocations, ExifItemsTogetherStayWithinFourMebibytes) {
  // Sixteen EXIF items over the same 512 KiB: eight of them fill the room.
  Block exif = ExifPayload();
  exif.resize(std::size_t{512} << 10);
  Block locations = HeifLocation(1, 0, {{kHeifPayloadAt, 1}});
  for (std::uint16_t id = 2; id < 18; ++id)
    locations =
        Cat({locations, HeifLocation(id, 0, {{kHeifPayloadAt, static_cast<std::uint32_t>(exif.size())}})});
  MetadataSource source;
  EXPECT_TRUE(ReadHeifContainer(test::HeifFile(exif, 16, 0x44, 17, locations), source));
  EXPECT_EQ(source.tiffBlocks.size(), 8u);
}

}  // namespace
}  // namespace kelmarin
