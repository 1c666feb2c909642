// The HEIF box walker: the EXIF items that describe the primary picture, from the file or from the
// "idat" box, joined from their extents; damaged item tables make the file unreadable.

#include <gtest/gtest.h>

#include "TiffBuilder.h"
#include "extract/Containers.h"

namespace kelmarin {
namespace {

using test::Bytes;
using test::Cat;
using Block = std::vector<std::uint8_t>;

const test::TiffBuilder kBe(ByteOrder::BigEndian);

Block Box(std::string_view type, const Block& payload) {
  return Cat({kBe.U32(static_cast<std::uint32_t>(8 + payload.size())), Bytes(type), payload});
}
Block Full(std::uint8_t version, const Block& payload) {
  return Cat({Block{version, 0, 0, 0}, payload});
}
Block Infe(std::uint16_t id, std::string_view type) {
  return Box("infe", Full(2, Cat({kBe.U16(id), kBe.U16(0), Bytes(type), Block{0}})));
}
// An iloc item of version 1 with four-byte offsets and lengths and no base offset.
Block Location(std::uint16_t id, std::uint16_t method,
               const std::vector<std::pair<std::uint32_t, std::uint32_t>>& extents) {
  Block item =
      Cat({kBe.U16(id), kBe.U16(method), kBe.U16(0), kBe.U16(static_cast<std::uint16_t>(extents.size()))});
  for (const auto& [offset, length] : extents) item = Cat({item, kBe.U32(offset), kBe.U32(length)});
  return item;
}

struct Variant {
  const char* what;
  std::uint16_t primary = 1;
  bool imageLocated = true;
  std::uint16_t secondDescribes = 9;  // the EXIF item in "idat"
  std::uint32_t infeGrowth = 0;       // bytes an "infe" box claims beyond its parent
  bool read = true;
  std::size_t blocks = 1;
};

TEST(HeifContainer, ExifItemsOfThePrimaryPicture) {
  test::TiffBuilder tiff(ByteOrder::LittleEndian);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Ascii(0x010F, "Kelmarin")}));
  const Block exif = Cat({kBe.U32(2), Block{0xAA, 0xBB}, tiff.Tiff()});  // offset 2 to the header
  const Variant variants[] = {
      {"first EXIF item in two file extents"},
      {"second in idat also describes the primary", 1, true, 1, 0, true, 2},
      {"primary not among the items", 5, true, 9, 0, false, 0},
      {"picture without location", 1, false, 9, 0, false, 0},
      {"item box longer than its list", 1, true, 9, 4, false, 0},
  };
  for (const Variant& v : variants) {
    const Block ftyp = Box("ftyp", Bytes(std::string_view("heic\0\0\0\0mif1heic", 16)));
    const auto meta = [&](std::uint32_t mdat) {
      Block last = Infe(3, "Exif");
      last[3] = static_cast<std::uint8_t>(last[3] + v.infeGrowth);
      const Block iinf = Box("iinf", Full(0, Cat({kBe.U16(3), Infe(1, "hvc1"), Infe(2, "Exif"), last})));
      const Block iref =
          Box("iref", Full(0, Cat({Box("cdsc", Cat({kBe.U16(2), kBe.U16(1), kBe.U16(v.primary)})),
                                   Box("cdsc", Cat({kBe.U16(3), kBe.U16(1), kBe.U16(v.secondDescribes)}))})));
      const auto half = static_cast<std::uint32_t>(exif.size() / 2);
      Block items =
          Cat({Location(2, 0, {{mdat, half}, {mdat + half, static_cast<std::uint32_t>(exif.size()) - half}}),
               Location(3, 1, {{0, static_cast<std::uint32_t>(exif.size())}})});
      if (v.imageLocated) items = Cat({items, Location(1, 0, {{mdat, 1}})});
      const Block iloc =
          Box("iloc", Full(1, Cat({Block{0x44, 0x00}, kBe.U16(v.imageLocated ? 3 : 2), items})));
      return Box(
          "meta",
          Full(0, Cat({Box("pitm", Full(0, kBe.U16(v.primary))), iinf, iref, iloc, Box("idat", exif)})));
    };
    const std::uint32_t mdat = static_cast<std::uint32_t>(ftyp.size() + meta(0).size() + 8);
    const Block file = Cat({ftyp, meta(mdat), Box("mdat", exif)});
    MetadataSource source;
    EXPECT_EQ(ReadHeifContainer(file, source), v.read) << v.what;
    ASSERT_EQ(source.tiffBlocks.size(), v.blocks) << v.what;
    for (const TiffBlock& block : source.tiffBlocks)
      EXPECT_EQ(Block(block.bytes.begin(), block.bytes.end()), tiff.Tiff()) << v.what;
  }
}

}  // namespace
}  // namespace kelmarin
