// The metadata-only read of today's files: which reader a type and a content lead to, and what it
// hands on. The container walkers themselves are tested in tests/extract.
#include <gtest/gtest.h>
#include <libheif/heif_cxx.h>
#include <zlib.h>

#include "TiffBuilder.h"
#include "ImageTestSupport.h"
#include "extract/ImageMetadata.h"
#include "image/meta/MetadataOnly.h"

namespace kelmarin::test {
namespace {

using Block = std::vector<std::uint8_t>;
const TiffBuilder kLe(ByteOrder::LittleEndian), kBe(ByteOrder::BigEndian);

TiffBuilder CameraTiff() {
  TiffBuilder tiff(ByteOrder::LittleEndian);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Ascii(0x010F, "Kelmarin")}));
  return tiff;
}

// A PNG with an eXIf chunk after its image data, where the metadata-only reader skips the data.
Block PngWithExif(const std::string& path) {
  EXPECT_TRUE(samples::WritePng(path, samples::Quadrants(8, 8)));
  Block png = ReadFileBytes(path);
  const Block chunk = Cat({Bytes("eXIf"), CameraTiff().Tiff()});
  const auto crc = static_cast<std::uint32_t>(crc32(0, chunk.data(), static_cast<uInt>(chunk.size())));
  const Block whole = Cat({kBe.U32(static_cast<std::uint32_t>(chunk.size() - 4)), chunk, kBe.U32(crc)});
  png.insert(png.end() - 12, whole.begin(), whole.end());  // before IEND
  return png;
}

std::string MakeOf(const codec::MetadataOnlyRead& read) {
  ImageMetadata image;
  image.SetSource(read.type, read.source, nullptr);
  const ZetExif* make = image.ExifTag(1, 0x010F);
  return make != nullptr ? std::get<std::string>(make->inhalt[0]) : "";
}

TEST(ContainerMetadata, TypeAndContentPickTheReader) {
  ScratchFolder folder;
  Block orf = CameraTiff().Tiff();
  orf[2] = 'R', orf[3] = 'O';
  const Block tiff = CameraTiff().Tiff();
  const Block webp = Cat(
      {Bytes("RIFF"), kLe.U32(0), Bytes("WEBPEXIF"), kLe.U32(static_cast<std::uint32_t>(tiff.size())), tiff});
  const Block nef = Cat({Block{0xFF, 0xD8}, CameraTiff().App1(), Block{0xFF, 0xDA}});
  const Block crw = Cat({Bytes(std::string_view("II\x1a\0\0\0HEAPCCDR", 14)), Block(32, 0)});
  const Block png = PngWithExif(folder.Path("plain.png"));
  const struct {
    const char* name;
    Block bytes;
    std::int32_t type, readAs;
    std::string make;  // empty: no rows
    std::optional<std::int32_t> error;
    bool otherFormat;
  } cases[] = {
      {"a.tif", tiff, 12, 12, "Kelmarin", {}, false},       {"orf-by-content", orf, 0, 10, "Kelmarin", {}, false},
      {"webp-by-content", webp, 0, 14, "Kelmarin", {}, false}, {"a.png", png, 8, 8, "Kelmarin", {}, false},
      {"jpeg.nef", nef, 10, 10, "Kelmarin", {}, false},     {"bare.jxl", Block{0xFF, 0x0A, 0, 0}, 15, 15, "", {}, false},
      {"text.webp", Bytes("kein Bild"), 14, 14, "", 1003, false},
      {"text.heic", Bytes("kein Bild"), 13, 13, "", 1003, false},
      {"a.crw", crw, 10, 10, "", {}, true},                 {"text.tif", Bytes("kein Bild"), 12, 12, "", {}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileBytes(folder.Path(c.name), c.bytes);
    const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(folder.Path(c.name), c.type);
    EXPECT_EQ(read.type, c.readAs);
    EXPECT_EQ(read.error, c.error);
    EXPECT_EQ(read.otherFormat, c.otherFormat);
    EXPECT_EQ(MakeOf(read), c.make);
  }
}

TEST(ContainerMetadata, HeicExifThroughLibheif) {
  ScratchFolder folder;
  const std::string path = folder.Path("a.heic");
  try {  // a 16 x 16 HEIC with the block as its EXIF item, through libheif's own encoder
    heif::Context context;
    heif::Image image;
    image.create(16, 16, heif_colorspace_RGB, heif_chroma_interleaved_RGB);
    image.add_plane(heif_channel_interleaved, 16, 16, 8);
    heif::Encoder encoder(heif_compression_HEVC);
    const Block tiff = CameraTiff().Tiff();
    context.add_exif_metadata(context.encode_image(image, encoder), tiff.data(),
                              static_cast<int>(tiff.size()));
    context.write_to_file(path);
  } catch (const heif::Error& error) {
    GTEST_SKIP() << error.get_message();
  }
  for (std::int32_t type : {13, 0}) {
    const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(path, type);
    EXPECT_EQ(read.type, 13);
    EXPECT_FALSE(read.error);
    EXPECT_EQ(MakeOf(read), "Kelmarin");
  }
}

}  // namespace
}  // namespace kelmarin::test
