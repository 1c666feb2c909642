// CRW heaps are listed as ordinary EXIF rows of a block built from their records; an MRW file hands
// on its TIFF part; a TIFF file's directory passes over entries of unknown types.

#include <gtest/gtest.h>

#include <bit>

#include "TiffBuilder.h"
#include "extract/Containers.h"
#include "extract/MetadataReader.h"
#include "metadata/Definitions.h"

namespace kelmarin {
namespace {

using test::Bytes;
using test::Cat;
using test::TiffBuilder;
using Block = std::vector<std::uint8_t>;

const TiffBuilder kBe(ByteOrder::BigEndian);

// A heap: the records' data, the table, the table's offset. A record: its tag with the location bits
// (0x4000: the data is inside the record) and its data.
Block Heap(const TiffBuilder& o, const std::vector<std::pair<std::uint16_t, Block>>& records) {
  const auto u32 = [&](std::size_t value) { return o.U32(static_cast<std::uint32_t>(value)); };
  Block heap, table = o.U16(static_cast<std::uint16_t>(records.size()));
  for (const auto& [tag, data] : records) {
    table = Cat({table, o.U16(tag), (tag & 0x4000) != 0 ? data : Cat({u32(data.size()), u32(heap.size())})});
    if ((tag & 0x4000) == 0) heap = Cat({heap, data});
  }
  return Cat({heap, table, u32(heap.size())});
}
Block Crw(const TiffBuilder& o, const Block& heap) {
  return Cat({Bytes(o.Order() == ByteOrder::BigEndian ? "MM" : "II"), o.U32(14), Bytes("HEAPCCDR"), heap});
}
// The values of the rows (section << 16 | tag), "-" for a missing one, joined by "|", after the
// maker number.
std::string Rows(MetadataSource source, std::initializer_list<std::int32_t> rows) {
  source.container = true;
  ImageMetadata image;
  image.SetSource(10, std::make_shared<MetadataSource>(std::move(source)), nullptr);
  image.ExifCount();
  std::string text = std::to_string(image.camera_id);
  for (const std::int32_t row : rows) {
    const ZetExif* item = image.ExifTag(row >> 16, row & 0xFFFF);
    text += "|";
    for (std::size_t i = 0; item != nullptr && i < item->inhalt.size(); ++i) {
      const ExifValue& v = item->inhalt[i];
      text += (i == 0 ? "" : ",") + (v.index() == 0 ? std::to_string(std::get<0>(v)) : std::get<1>(v));
    }
    if (item == nullptr) text += "-";
  }
  return text;
}
constexpr std::int32_t M = kSectionMain << 16, N = kSectionMakernote << 16, T = kSectionThumbnail << 16;

TEST(RawContainers, CrwRecordsBecomeExifRows) {
  // Little-endian: exposure from its own record, no time zone; big-endian: exposure from the shot
  // information (a long one), a time zone.
  for (const auto& [order, rotation, orientation] : {std::tuple{ByteOrder::LittleEndian, 0, "1"},
                                                     {ByteOrder::BigEndian, 90, "6"},
                                                     {ByteOrder::LittleEndian, 180, "3"},
                                                     {ByteOrder::BigEndian, 270, "8"}}) {
    const TiffBuilder o(order);
    const bool exposureRecord = order == ByteOrder::LittleEndian;
    const Block inner = Heap(o, {{0x080A, Bytes(std::string_view("Canon\0EOS D60\0", 14))},
                                 {0x102D, Cat({Block(50, 0), o.U16(32)})}});
    std::vector<std::pair<std::uint16_t, Block>> records = {
        {0x2008, {0xFF, 0xD8, 0xFF, 0xD9}},
        {0x300A, Heap(o, {{0x2804, inner}})},
        {0x180E, Cat({o.U32(1114278876), o.U32(-5400), o.U32(exposureRecord ? 0 : 0x80000000)})},
        {0x1810, Cat({o.U32(3072), o.U32(2048), o.U32(0), o.U32(static_cast<std::uint32_t>(rotation))})},
        {0x5817, Cat({o.U32(1303050), o.U32(99)})},
        {0x501C, Cat({o.U16(100), Block(6, 1)})},
        {0x5029, Cat({o.U16(2), o.U16(227), o.U16(286), o.U16(215)})},
        {0x102A, Cat({Block(42, 0), o.U16(exposureRecord ? 0 : 128), o.U16(0xFFC0)})},
        {0x1038, Block(1 << 17, 0)},
        {0x0815, Bytes("Typ")}};
    const auto bits = [&](float value) { return o.U32(std::bit_cast<std::uint32_t>(value)); };
    if (exposureRecord) records.push_back({0x1818, Cat({bits(-1.0F), bits(7.0F), bits(4.0F)})});
    const Block heap = Heap(o, records);
    MetadataSource source;
    ASSERT_TRUE(ReadCrwContainer(Crw(o, heap), source));
    EXPECT_EQ(Rows(source, {M | 0x010F, M | 0x0110, M | 0x0112, M | 0x9003, M | 0x9011, M | 0xA002,
                            M | 0xA003, M | 0x8827, M | 0x829A, M | 0x829D, M | 0x9204, M | 0x920A,
                            N | 0x0008, N | 0x0002, N | 0x0006, N | 0x0012, T | 0x0202}),
              "4|Canon|EOS D60|" + std::string(orientation) +
                  (exposureRecord ? "|2005:04:23 17:54:36|-|3072|2048|100|1/128|40/10|-1000/1000"
                                  : "|2005:04:23 17:54:36|-01:30|3072|2048|100|40/10|40/10|-") +
                  "|227/32|1303050|2,227,286,215|Typ|-|4");
  }
}

TEST(RawContainers, HostileHeapsAndMrwParts) {
  const TiffBuilder o(ByteOrder::LittleEndian);
  const Block make = Heap(o, {{0x080A, Bytes(std::string_view("CanonVModell\0", 13))}});
  Block loop = Heap(o, {{0x300A, {}}});  // a heap holding itself
  loop[4] = static_cast<std::uint8_t>(loop.size());
  TiffBuilder tiff(ByteOrder::LittleEndian);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.At(0x0001, 99, 1, 0), tiff.Ascii(0x010F, "Minolta")}));
  const Block mrw =
      Cat({Bytes(std::string_view("\0MRM", 4)), kBe.U32(static_cast<std::uint32_t>(tiff.Tiff().size() + 16)),
           Bytes(std::string_view("\0PRD", 4)), o.U32(0), Bytes(std::string_view("\0TTW", 4)),
           kBe.U32(static_cast<std::uint32_t>(tiff.Tiff().size())), tiff.Tiff()});
  const struct {
    const char* name;
    Block file;
    bool mrw;
    std::string rows;  // maker number, make and model
  } cases[] = {
      {"make-without-nul", Crw(o, make), false, "0|CanonV|Modell"},
      {"self-holding-heap", Crw(o, loop), false, "0|-|-"},
      {"table-outside", Crw(o, Cat({Block(make.begin(), make.end() - 4), o.U32(9999)})), false, "0|-|-"},
      {"mrw", mrw, true, "0|Minolta|-"},
      {"mrw-cut", Block(mrw.begin(), mrw.end() - 4), true, "0|-|-"},
  };
  for (const auto& c : cases) {
    const auto read = [&](const Block& file, MetadataSource& source) {
      return c.mrw ? ReadMrwContainer(file, nullptr, source) : ReadCrwContainer(file, source);
    };
    EXPECT_EQ(DetectContainer(c.file), c.mrw ? ContainerKind::Mrw : ContainerKind::Crw) << c.name;
    MetadataSource source;
    ASSERT_TRUE(read(c.file, source)) << c.name;
    EXPECT_EQ(Rows(source, {M | 0x010F, M | 0x0110}), c.rows) << c.name;
    EXPECT_FALSE(read(Cat({Block(8, 'X'), c.file}), source)) << c.name;
  }
  // The TIFF part's unknown type is passed over; in an APP1 marker it still ends the directory.
  ImageMetadata app1;
  ReadExifBlock(app1, tiff.App1(), nullptr);
  EXPECT_EQ(app1.ExifCount(), 0);
}

}  // namespace
}  // namespace kelmarin
