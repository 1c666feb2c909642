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

constexpr std::int32_t kTagDateTimeOriginal = 36867;

// Directory 0: Make, Model and the Exif pointer (DateTimeOriginal), linked to a thumbnail directory.
Block CameraTiff(ByteOrder order, std::string_view make = "Canon") {
  TiffBuilder tiff(order);
  const std::uint32_t exif = tiff.AddDirectory({tiff.Ascii(kTagDateTimeOriginal, "2021:05:12 12:21:21")});
  const std::uint32_t thumbnail = tiff.AddDirectory({tiff.Long(0x0201, 1234)});
  const std::uint32_t first = tiff.AddDirectory(
      {tiff.Ascii(0x010F, make), tiff.Ascii(0x0110, "Modell X"), tiff.Long(0x8769, exif)}, thumbnail);
  tiff.SetFirstDirectory(first);
  return tiff.Tiff();
}

// One directory holding one LONG, as the single directory of a CR3 part.
Block OneDirectory(std::uint16_t tag) {
  TiffBuilder tiff(ByteOrder::LittleEndian);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Long(tag, 7)}));
  return tiff.Tiff();
}

Block Be32(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}
Block Le32(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 24)};
}
Block IsoBox(std::string_view type, const Block& payload) {
  return Cat({Be32(static_cast<std::uint32_t>(8 + payload.size())), Bytes(type), payload});
}
Block RiffChunk(std::string_view type, const Block& payload) {
  Block chunk = Cat({Bytes(type), Le32(static_cast<std::uint32_t>(payload.size())), payload});
  if (payload.size() % 2 != 0) chunk.push_back(0);
  return chunk;
}
Block WithMagic(Block tiff, std::uint8_t first, std::uint8_t second) {
  tiff[2] = first;
  tiff[3] = second;
  return tiff;
}

const Block kCanonUuid = {0x85, 0xC0, 0xB6, 0x87, 0x82, 0x0F, 0x11, 0xE0,
                          0x81, 0x11, 0xF4, 0xCE, 0x46, 0x2B, 0x6A, 0x48};

Block Cr3File(const Block& canonPayload) {
  return Cat({IsoBox("ftyp", Bytes("crx \0\0\0\1")),
              IsoBox("moov", IsoBox("uuid", Cat({kCanonUuid, canonPayload}))),
              IsoBox("mdat", Block(64, 0xAB))});
}

Block RafFile(const Block& jpeg) {
  Block file = Bytes("FUJIFILMCCD-RAW 0201FF393501X100S");
  file.resize(84, 0);
  file = Cat({file, Be32(100), Be32(static_cast<std::uint32_t>(jpeg.size())), Block(8, 0), jpeg});
  return file;
}

using Reader = std::function<bool(std::span<const std::uint8_t>, MetadataSource&)>;

Reader Shared(bool (*read)(std::span<const std::uint8_t>, const std::shared_ptr<const void>&,
                           MetadataSource&)) {
  return [read](std::span<const std::uint8_t> bytes, MetadataSource& source) {
    return read(bytes, nullptr, source);
  };
}

struct Case {
  const char* name;
  Block file;
  Reader reader;
  ContainerKind kind;
};

std::vector<Case> CamerasInContainers() {
  const Block le = CameraTiff(ByteOrder::LittleEndian);
  const Block be = CameraTiff(ByteOrder::BigEndian);
  const Block exifApp1 = Cat({Bytes("Exif"), Block{0, 0}, be});
  const Block jpeg = Cat({Block{0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0xFF, 0xFF},  // APP0, fill byte
                          Block{0xFF, 0xE1, static_cast<std::uint8_t>((exifApp1.size() + 2) >> 8),
                                static_cast<std::uint8_t>(exifApp1.size() + 2)},
                          exifApp1, Block{0xFF, 0xDA, 0, 2}});
  const Block jxlSignature = {0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A};
  return {
      {"tiff-le", le, Shared(ReadTiffContainer), ContainerKind::Tiff},
      {"tiff-be", be, Shared(ReadTiffContainer), ContainerKind::Tiff},
      {"orf", WithMagic(le, 'R', 'O'), Shared(ReadTiffContainer), ContainerKind::Tiff},
      {"orf-sr", WithMagic(le, 'R', 'S'), Shared(ReadTiffContainer), ContainerKind::Tiff},
      {"orf-be", WithMagic(be, 'O', 'R'), Shared(ReadTiffContainer), ContainerKind::Tiff},
      {"rw2", WithMagic(le, 'U', 0), Shared(ReadTiffContainer), ContainerKind::Tiff},
      {"webp-prefixed",
       Cat({Bytes("RIFF"), Le32(9999), Bytes("WEBP"), RiffChunk("VP8 ", Block(5, 1)),
            RiffChunk("EXIF", exifApp1)}),
       Shared(ReadWebpContainer), ContainerKind::Webp},
      {"webp-plain", Cat({Bytes("RIFF"), Le32(0), Bytes("WEBP"), RiffChunk("EXIF", le)}),
       Shared(ReadWebpContainer), ContainerKind::Webp},
      {"jxl",
       Cat({jxlSignature, IsoBox("ftyp", Bytes("jxl \0\0\0\0")), IsoBox("brob", Bytes("Exif\x1b\x2c")),
            IsoBox("Exif", Cat({Be32(2), Block{9, 9}, le})), IsoBox("jxlc", Block{0xFF, 0x0A})}),
       Shared(ReadJxlContainer), ContainerKind::Jxl},
      {"raf", RafFile(jpeg), ReadRafContainer, ContainerKind::Raf},
  };
}

ImageMetadata ReadAll(const MetadataSource& source, std::int32_t type = 10) {
  ImageMetadata image;
  auto shared = std::make_shared<MetadataSource>(source);
  shared->container = true;
  image.SetSource(type, shared, nullptr);
  image.ExifCount();
  return image;
}

std::string Text(const ZetExif* item) {
  return item != nullptr && !item->inhalt.empty() ? std::get<std::string>(item->inhalt[0]) : "";
}

TEST(Containers, EachKindHandsOnTheSameSectionsAndRows) {
  for (const Case& c : CamerasInContainers()) {
    EXPECT_EQ(DetectContainer(c.file), c.kind) << c.name;
    MetadataSource source;
    ASSERT_TRUE(c.reader(c.file, source)) << c.name;
    ImageMetadata image = ReadAll(source);
    EXPECT_EQ(Text(image.ExifTag(kSectionMain, 0x010F)), "Canon") << c.name;
    EXPECT_EQ(Text(image.ExifTag(kSectionMain, 0x0110)), "Modell X") << c.name;
    EXPECT_EQ(Text(image.ExifTag(kSectionMain, kTagDateTimeOriginal)), "2021:05:12 12:21:21") << c.name;
    EXPECT_EQ(image.ExifCount(kSectionThumbnail), 1) << c.name;
    // A container of another kind is not taken for this one.
    MetadataSource other;
    EXPECT_FALSE(c.reader(Cat({Bytes("XXXXXXXXXXXXXXXXXXXXXXXX"), c.file}), other)) << c.name;
    EXPECT_TRUE(other.tiffBlocks.empty() && other.markers.empty()) << c.name;
  }
}

TEST(Containers, Cr3PartsGoToTheirSectionsAndTheMakernoteByTheMake) {
  const Block parts =
      Cat({IsoBox("CNCV", Bytes("CanonCR3")), IsoBox("CMT1", CameraTiff(ByteOrder::LittleEndian)),
           IsoBox("CMT2", OneDirectory(0x829A)), IsoBox("CMT3", OneDirectory(0x0006)),
           IsoBox("CMT4", OneDirectory(0x0002))});
  const Block file = Cr3File(parts);
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
  Block broken = Cr3File(Cat({IsoBox("CMT2", OneDirectory(0x829A)), Be32(4096), Bytes("CMT1"), Block(8, 0)}));
  MetadataSource partial;
  ASSERT_TRUE(ReadCr3Container(broken, nullptr, partial));
  ASSERT_EQ(partial.tiffBlocks.size(), 1u);
  EXPECT_EQ(partial.tiffBlocks[0].role, TiffBlockRole::Exif);
}

TEST(Containers, HostileLengthsEndTheWalkWithoutReadingPastTheEnd) {
  const Block le = CameraTiff(ByteOrder::LittleEndian);
  const std::pair<const char*, Block> cases[] = {
      {"riff chunk longer than the file",
       Cat({Bytes("RIFF"), Le32(0), Bytes("WEBP"), Bytes("EXIF"), Le32(0xFFFFFFF0), le})},
      {"box of size 4", Cat({Block{0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A}, Be32(4), Bytes("Exif"), le})},
      {"exif offset past the box",
       Cat({Block{0, 0, 0, 0x0C, 'J', 'X', 'L', ' ', 0x0D, 0x0A, 0x87, 0x0A}, IsoBox("Exif", Cat({Be32(0xFFFFFFFF), le}))})},
      {"raf preview past the end", [] {
         Block raf = RafFile({});
         raf[84] = 0x7F;
         return raf;
       }()},
      {"jpeg segment longer than the preview", RafFile({0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 'E', 'x'})},
  };
  for (const auto& [name, file] : cases) {
    MetadataSource source;
    const ContainerKind kind = DetectContainer(file);
    const bool read = kind == ContainerKind::Webp  ? ReadWebpContainer(file, nullptr, source)
                      : kind == ContainerKind::Jxl ? ReadJxlContainer(file, nullptr, source)
                                                   : ReadRafContainer(file, source);
    EXPECT_TRUE(read) << name;
    EXPECT_TRUE(source.tiffBlocks.empty() && source.markers.empty()) << name;
  }
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

TEST(Containers, DetectsHeifBrandsAndNothingElse) {
  const std::pair<std::string_view, ContainerKind> brands[] = {
      {"heic", ContainerKind::Heif}, {"mif1", ContainerKind::Heif}, {"avif", ContainerKind::Heif},
      {"crx ", ContainerKind::Cr3},  {"isom", ContainerKind::None}, {"jxl ", ContainerKind::None},
  };
  for (const auto& [brand, kind] : brands) {
    EXPECT_EQ(DetectContainer(IsoBox("ftyp", Cat({Bytes(brand), Block(4, 0)}))), kind) << brand;
  }
  EXPECT_EQ(DetectContainer(Bytes("II*")), ContainerKind::None);
}

}  // namespace
}  // namespace kelmarin
