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
Block FullBox(std::string_view type, std::uint8_t version, const Block& payload) {
  return Box(type, Cat({Block{version, 0, 0, 0}, payload}));
}
Block Infe(std::uint16_t id, std::string_view type) {
  return FullBox("infe", 2, Cat({kBe.U16(id), kBe.U16(0), Bytes(type), Block{0}}));
}
// An iloc item of version 1 (four-byte offsets and lengths, no base offset) with one or two extents.
Block Location(std::uint16_t id, std::uint16_t method, std::uint32_t offset, std::uint32_t length,
               std::uint32_t second = 0) {
  Block item = Cat({kBe.U16(id), kBe.U16(method), kBe.U16(0), kBe.U16(second > 0 ? 2 : 1), kBe.U32(offset),
                    kBe.U32(length)});
  return second > 0 ? Cat({item, kBe.U32(offset + length), kBe.U32(second)}) : item;
}

struct Variant {
  std::uint16_t primary = 1;
  bool imageLocated = true;
  std::uint16_t secondDescribes = 9;  // the EXIF item in "idat"
  std::uint8_t infeGrowth = 0;        // bytes the last "infe" box claims beyond its parent
  bool read = true;
  std::size_t blocks = 1;
};

TEST(HeifContainer, ExifItemsOfThePrimaryPicture) {
  test::TiffBuilder tiff(ByteOrder::LittleEndian);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Ascii(0x010F, "Kelmarin")}));
  const Block exif = Cat({kBe.U32(2), Block{0xAA, 0xBB}, tiff.Tiff()});  // offset 2 to the header
  const auto size = static_cast<std::uint32_t>(exif.size());
  // The first EXIF item in two file extents; the second in "idat" describing the primary or not;
  // the primary not among the items; a picture without location; an item box too long for its list.
  const Variant variants[] = {{},
                              {1, true, 1, 0, true, 2},
                              {5, true, 9, 0, false, 0},
                              {1, false, 9, 0, false, 0},
                              {1, true, 9, 4, false, 0}};
  for (const Variant& v : variants) {
    SCOPED_TRACE(&v - variants);
    const Block ftyp = Box("ftyp", Bytes(std::string_view("heic\0\0\0\0mif1heic", 16)));
    const auto meta = [&](std::uint32_t mdat) {
      Block last = Infe(3, "Exif");
      last[3] = static_cast<std::uint8_t>(last[3] + v.infeGrowth);
      const Block iinf = FullBox("iinf", 0, Cat({kBe.U16(3), Infe(1, "hvc1"), Infe(2, "Exif"), last}));
      const Block iref =
          FullBox("iref", 0,
                  Cat({Box("cdsc", Cat({kBe.U16(2), kBe.U16(1), kBe.U16(v.primary)})),
                       Box("cdsc", Cat({kBe.U16(3), kBe.U16(1), kBe.U16(v.secondDescribes)}))}));
      Block items = Cat({Location(2, 0, mdat, size / 2, size - size / 2), Location(3, 1, 0, size)});
      if (v.imageLocated) items = Cat({items, Location(1, 0, mdat, 1)});
      const Block iloc = FullBox("iloc", 1, Cat({Block{0x44, 0x00}, kBe.U16(v.imageLocated ? 3 : 2), items}));
      return FullBox("meta", 0,
                     Cat({FullBox("pitm", 0, kBe.U16(v.primary)), iinf, iref, iloc, Box("idat", exif)}));
    };
    const Block file =
        Cat({ftyp, meta(static_cast<std::uint32_t>(ftyp.size() + meta(0).size() + 8)), Box("mdat", exif)});
    MetadataSource source;
    EXPECT_EQ(ReadHeifContainer(file, source), v.read);
    ASSERT_EQ(source.tiffBlocks.size(), v.blocks);
    for (const TiffBlock& block : source.tiffBlocks)
      EXPECT_EQ(Block(block.bytes.begin(), block.bytes.end()), tiff.Tiff());
  }
}

}  // namespace
}  // namespace kelmarin
