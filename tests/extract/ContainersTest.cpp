// The container walkers: each container kind carries one small EXIF block built here, and what the
// reader hands on must list the same items in the same sections.

#include <gtest/gtest.h>

#include <functional>

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
using Reader = std::function<bool(std::span<const std::uint8_t>, MetadataSource&)>;

const TiffBuilder kLe(ByteOrder::LittleEndian);
const TiffBuilder kBe(ByteOrder::BigEndian);

// Directory 0: Make, Model and the Exif pointer (DateTimeOriginal), linked to a thumbnail directory.
Block CameraTiff(ByteOrder order) {
  TiffBuilder tiff(order);
  const std::uint32_t exif = tiff.AddDirectory({tiff.Ascii(36867, "2021:05:12 12:21:21")});
  const std::uint32_t thumbnail = tiff.AddDirectory({tiff.Long(0x0201, 1234)});
  tiff.SetFirstDirectory(tiff.AddDirectory(
      {tiff.Ascii(0x010F, "Canon"), tiff.Ascii(0x0110, "Modell X"), tiff.Long(0x8769, exif)}, thumbnail));
  return tiff.Tiff();
}

// A CR3 part: one directory holding one LONG.
Block OneDirectory(std::uint16_t tag) {
  TiffBuilder tiff(ByteOrder::LittleEndian);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Long(tag, 7)}));
  return tiff.Tiff();
}

Block Box(std::string_view type, const Block& payload) {
  return Cat({kBe.U32(static_cast<std::uint32_t>(8 + payload.size())), Bytes(type), payload});
}
Block Chunk(std::string_view type, const Block& payload) {
  Block chunk = Cat({Bytes(type), kLe.U32(static_cast<std::uint32_t>(payload.size())), payload});
  if (payload.size() % 2 != 0) chunk.push_back(0);
  return chunk;
}
Block WithMagic(Block tiff, std::uint8_t first, std::uint8_t second) {
  tiff[2] = first, tiff[3] = second;
  return tiff;
}
Block Raf(const Block& jpeg) {
  Block file = Bytes("FUJIFILMCCD-RAW 0201FF393501X100S");
  file.resize(84, 0);
  return Cat({file, kBe.U32(100), kBe.U32(static_cast<std::uint32_t>(jpeg.size())), Block(8, 0), jpeg});
}
Reader Shared(bool (*read)(std::span<const std::uint8_t>, const std::shared_ptr<const void>&,
                           MetadataSource&)) {
  return [read](std::span<const std::uint8_t> bytes, MetadataSource& source) {
    return read(bytes, nullptr, source);
  };
}

ImageMetadata ReadAll(MetadataSource source, std::int32_t type = 10) {
  source.container = true;
  ImageMetadata image;
  image.SetSource(type, std::make_shared<MetadataSource>(std::move(source)), nullptr);
  image.ExifCount();
  return image;
}
std::string Text(const ZetExif* item) {
  return item != nullptr && !item->inhalt.empty() ? std::get<std::string>(item->inhalt[0]) : "";
}

TEST(Containers, EachKindHandsOnTheSameSectionsAndRows) {
  const Block le = CameraTiff(ByteOrder::LittleEndian), be = CameraTiff(ByteOrder::BigEndian);
  const Block app1 = Cat({Bytes(std::string_view("Exif\0\0", 6)), be});
  const Block jpeg =
      Cat({Block{0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0xFF, 0xFF, 0xE1},  // APP0, a fill byte
           kBe.U16(static_cast<std::uint16_t>(app1.size() + 2)), app1, Block{0xFF, 0xDA, 0, 2}});
  const Block jxl = {0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};
  const struct {
    const char* name;
    Block file;
    Reader reader;
    ContainerKind kind;
  } cases[] = {
      {"tiff", le, Shared(ReadTiffContainer), ContainerKind::Tiff},
      {"orf", WithMagic(le, 'R', 'O'), Shared(ReadTiffContainer), ContainerKind::Tiff},
      {"orf-sr", WithMagic(le, 'R', 'S'), Shared(ReadTiffContainer), ContainerKind::Tiff},
      {"orf-be", WithMagic(be, 'O', 'R'), Shared(ReadTiffContainer), ContainerKind::Tiff},
      {"rw2", WithMagic(le, 'U', 0), Shared(ReadTiffContainer), ContainerKind::Tiff},
      {"webp",
       Cat({Bytes("RIFF"), kLe.U32(0), Bytes("WEBP"), Chunk("VP8 ", Block(5, 1)), Chunk("EXIF", app1)}),
       Shared(ReadWebpContainer), ContainerKind::Webp},
      {"webp-plain", Cat({Bytes("RIFF"), kLe.U32(0), Bytes("WEBP"), Chunk("EXIF", le)}),
       Shared(ReadWebpContainer), ContainerKind::Webp},
      {"jxl",
       Cat({jxl, Box("ftyp", Bytes("jxl \0\0\0\0")), Box("brob", Bytes("Exif\x1b")),
            Box("Exif", Cat({kBe.U32(2), Block{9, 9}, le}))}),
       Shared(ReadJxlContainer), ContainerKind::Jxl},
      {"raf", Raf(jpeg), ReadRafContainer, ContainerKind::Raf},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DetectContainer(c.file), c.kind) << c.name;
    MetadataSource source;
    ASSERT_TRUE(c.reader(c.file, source)) << c.name;
    ImageMetadata image = ReadAll(source);
    EXPECT_EQ(Text(image.ExifTag(kSectionMain, 0x010F)), "Canon") << c.name;
    EXPECT_EQ(Text(image.ExifTag(kSectionMain, 0x0110)), "Modell X") << c.name;
    EXPECT_EQ(Text(image.ExifTag(kSectionMain, 36867)), "2021:05:12 12:21:21") << c.name;
    EXPECT_EQ(image.ExifCount(kSectionThumbnail), 1) << c.name;
    // Other bytes are not taken for this container; a length past the end hands nothing on.
    MetadataSource other;
    EXPECT_FALSE(c.reader(Cat({Block(24, 'X'), c.file}), other)) << c.name;
    if (c.kind == ContainerKind::Tiff) continue;  // a TIFF cut short keeps what it still holds
    MetadataSource cut;
    c.reader(Block(c.file.begin(), c.file.end() - 8), cut);
    EXPECT_EQ(ReadAll(cut).ExifCount(), 0) << c.name;
  }
}

TEST(Containers, Cr3PartsGoToTheirSectionsAndTheMakernoteByTheMake) {
  const Block uuid = {0x85, 0xC0, 0xB6, 0x87, 0x82, 0x0F, 0x11, 0xE0,
                      0x81, 0x11, 0xF4, 0xCE, 0x46, 0x2B, 0x6A, 0x48};
  const auto cr3 = [&](const Block& parts) {
    return Cat({Box("ftyp", Bytes("crx \0\0\0\1")), Box("moov", Box("uuid", Cat({uuid, parts})))});
  };
  const Block file =
      cr3(Cat({Box("CNCV", Bytes("CanonCR3")), Box("CMT1", CameraTiff(ByteOrder::LittleEndian)),
               Box("CMT2", OneDirectory(0x829A)), Box("CMT3", OneDirectory(0x0006)),
               Box("CMT4", OneDirectory(0x0002))}));
  EXPECT_EQ(DetectContainer(file), ContainerKind::Cr3);
  MetadataSource source;
  ASSERT_TRUE(ReadCr3Container(file, nullptr, source));
  ImageMetadata image = ReadAll(source);
  EXPECT_EQ(Text(image.ExifTag(kSectionMain, 0x010F)), "Canon");
  EXPECT_NE(image.ExifTag(kSectionMain, 0x829A), nullptr);
  EXPECT_NE(image.ExifTag(kSectionMakernote, 0x0006), nullptr);
  EXPECT_NE(image.ExifTag(kSectionGps, 0x0002), nullptr);
  EXPECT_EQ(image.camera_id, 4);  // Canon's layout
  // A box that claims more than remains ends the walk: the parts before it stay.
  MetadataSource partial;
  ASSERT_TRUE(ReadCr3Container(cr3(Cat({Box("CMT2", OneDirectory(1)), kBe.U32(4096), Bytes("CMT1")})),
                               nullptr, partial));
  ASSERT_EQ(partial.tiffBlocks.size(), 1u);
  EXPECT_EQ(partial.tiffBlocks[0].role, TiffBlockRole::Exif);
}

TEST(Containers, TiffIptcTagBecomesDatasets) {
  TiffBuilder tiff(ByteOrder::BigEndian);
  const Block datasets = Cat({test::Dataset(5, "Titel"), test::Dataset(25, "Wald")});
  const std::uint32_t at = tiff.Append(datasets);
  tiff.SetFirstDirectory(
      tiff.AddDirectory({tiff.At(33723, 7, static_cast<std::uint32_t>(datasets.size()), at)}));
  MetadataSource source;
  ASSERT_TRUE(ReadTiffContainer(tiff.Tiff(), nullptr, source));
  ImageMetadata image = ReadAll(source, 12);
  ASSERT_NE(image.IptcTag(5), nullptr);
  EXPECT_EQ(image.IptcTag(5)->inhalt, "Titel");
  EXPECT_EQ(image.IptcTag(25)->inhalt, "Wald");
}

}  // namespace
}  // namespace kelmarin
