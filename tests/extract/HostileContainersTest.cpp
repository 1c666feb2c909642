// Container readers against files that claim more than they hold: the HEIF item locations, whose
// extents may list the same bytes over and over in no bytes of their own.
#include <gtest/gtest.h>

#include "HostileFiles.h"
#include "extract/Containers.h"

namespace kelmarin {
namespace {

using Block = std::vector<std::uint8_t>;
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
      {"two extents",
       0x44,
       {HeifLocation(2, 0, {{kHeifPayloadAt, 5}, {kHeifPayloadAt + 5, size - 5}})},
       true,
       1},
      {"up to the end", 0x44, {HeifLocation(2, 0, {{kHeifPayloadAt, 0}})}, true, 1},
      {"the whole file twice", 0x44, {HeifLocation(2, 0, {{0, 0}, {0, 0}})}, true, 0},
      {"past the end", 0x44, {HeifLocation(2, 0, {{kHeifPayloadAt, 1 << 20}})}, true, 0},
      {"an unknown construction", 0x44, {HeifLocation(2, 2, {{kHeifPayloadAt, size}})}, true, 0},
      {"fields of no width", 0x00, {{0, 2, 0, 0, 0, 0, 0xFF, 0xFF}}, true, 0},
      {"more extents than the box holds",
       0x44,
       {{0, 2, 0, 0, 0, 0, 0, 3, 0, 0, 0, 32, 0, 0, 0, 4}},
       false,
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
