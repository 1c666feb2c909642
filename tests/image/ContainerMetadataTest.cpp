// The metadata-only read of today's files: which reader a type and a content lead to, and what it
// hands on. The container walkers themselves are tested in tests/extract.
#include <gtest/gtest.h>
#include <libheif/heif.h>
#include <zlib.h>

#include "../extract/TiffBuilder.h"
#include "ImageTestSupport.h"
#include "extract/ImageMetadata.h"
#include "image/meta/MetadataOnly.h"

namespace kelmarin::test {
namespace {

using Block = std::vector<std::uint8_t>;

Block CameraTiff() {
  TiffBuilder tiff(ByteOrder::LittleEndian);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Ascii(0x010F, "Kelmarin"), tiff.Ascii(0x0110, "Probe")}));
  return tiff.Tiff();
}

Block Le32(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
          static_cast<std::uint8_t>(v >> 24)};
}

Block Webp(const Block& tiff) {
  return Cat({Bytes("RIFF"), Le32(static_cast<std::uint32_t>(12 + tiff.size())), Bytes("WEBPEXIF"),
              Le32(static_cast<std::uint32_t>(tiff.size())), tiff});
}

// A PNG with an eXIf chunk after its image data, where the metadata-only reader skips the data.
Block PngWithExif(const ScratchFolder& folder) {
  const std::string path = folder.Path("plain.png");
  EXPECT_TRUE(samples::WritePng(path, samples::Quadrants(8, 8)));
  Block png = ReadFileBytes(path);
  const Block tiff = CameraTiff();
  Block chunk = Cat({Bytes("eXIf"), tiff});
  const auto crc = static_cast<std::uint32_t>(crc32(0, chunk.data(), static_cast<uInt>(chunk.size())));
  const auto be = [](std::uint32_t v) {
    return Block{static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                 static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
  };
  chunk = Cat({be(static_cast<std::uint32_t>(tiff.size())), chunk, be(crc)});
  png.insert(png.end() - 12, chunk.begin(), chunk.end());  // before IEND
  return png;
}

// A 16 x 16 HEIC with the block as its EXIF item, through libheif's own encoder; false when this
// libheif has no HEVC encoder.
bool WriteHeic(const std::string& path, const Block& tiff) {
  heif_context* context = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  heif_image* image = nullptr;
  heif_image_handle* handle = nullptr;
  bool ok =
      heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code == heif_error_Ok &&
      heif_image_create(16, 16, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image).code ==
          heif_error_Ok &&
      heif_image_add_plane(image, heif_channel_interleaved, 16, 16, 8).code == heif_error_Ok;
  if (ok) {
    int stride = 0;
    std::uint8_t* pixels = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < 16; ++y) std::fill_n(pixels + y * stride, 48, static_cast<std::uint8_t>(y * 16));
    ok = heif_context_encode_image(context, image, encoder, nullptr, &handle).code == heif_error_Ok &&
         heif_context_add_exif_metadata(context, handle, tiff.data(), static_cast<int>(tiff.size())).code ==
             heif_error_Ok &&
         heif_context_write_to_file(context, path.c_str()).code == heif_error_Ok;
  }
  if (handle != nullptr) heif_image_handle_release(handle);
  if (image != nullptr) heif_image_release(image);
  if (encoder != nullptr) heif_encoder_release(encoder);
  heif_context_free(context);
  return ok;
}

std::string MakeOf(const codec::MetadataOnlyRead& read) {
  ImageMetadata image;
  image.SetSource(read.type, read.source, nullptr);
  const ZetExif* make = image.ExifTag(1, 0x010F);
  return make != nullptr ? std::get<std::string>(make->inhalt[0]) : "";
}

TEST(ContainerMetadata, TypeAndContentPickTheReader) {
  ScratchFolder folder;
  Block orf = CameraTiff();
  orf[2] = 'R', orf[3] = 'O';
  struct Case {
    const char* name;
    Block bytes;
    std::int32_t type;
    std::int32_t readAs;
    std::string make;  // empty: no rows
    std::optional<std::int32_t> error;
    bool otherFormat;
  };
  const Case cases[] = {
      {"a.tif", CameraTiff(), 12, 12, "Kelmarin", {}, false},
      {"a.orf", orf, 10, 10, "Kelmarin", {}, false},
      {"orf-by-content", orf, 0, 10, "Kelmarin", {}, false},
      {"a.webp", Webp(CameraTiff()), 14, 14, "Kelmarin", {}, false},
      {"webp-by-content", Webp(CameraTiff()), 0, 14, "Kelmarin", {}, false},
      {"a.png", PngWithExif(folder), 8, 8, "Kelmarin", {}, false},
      {"bare.jxl", Block{0xFF, 0x0A, 0, 0}, 15, 15, "", {}, false},
      {"text.webp", Bytes("kein Bild"), 14, 14, "", 1003, false},
      {"text.heic", Bytes("kein Bild"), 13, 13, "", 1003, false},
      {"text.jxl", Bytes("kein Bild"), 15, 15, "", 1003, false},
      {"a.crw",
       Cat({Bytes(std::string_view("II\x1a\0\0\0HEAPCCDR", 14)), Block(32, 0)}),
       10,
       10,
       "",
       {},
       true},
      {"text.tif", Bytes("kein Bild"), 12, 12, "", {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileBytes(folder.Path(c.name), c.bytes);
    const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(folder.Path(c.name), c.type);
    EXPECT_EQ(read.type, c.readAs);
    EXPECT_EQ(read.error, c.error);
    EXPECT_EQ(read.otherFormat, c.otherFormat);
    EXPECT_EQ(MakeOf(read), c.make);
  }
  EXPECT_FALSE(codec::NeedsFullImageLayer(10));
  EXPECT_FALSE(codec::NeedsFullImageLayer(12));
}

TEST(ContainerMetadata, HeicExifThroughLibheif) {
  ScratchFolder folder;
  const std::string path = folder.Path("a.heic");
  if (!WriteHeic(path, CameraTiff())) GTEST_SKIP() << "libheif has no HEVC encoder here";
  for (std::int32_t type : {13, 0}) {
    const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(path, type);
    EXPECT_EQ(read.type, 13);
    EXPECT_FALSE(read.error);
    EXPECT_EQ(read.width, 16);
    EXPECT_EQ(MakeOf(read), "Kelmarin");
  }
}

TEST(ContainerMetadata, JpegUnderARawName) {
  ScratchFolder folder;
  TiffBuilder tiff(ByteOrder::BigEndian);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Ascii(0x010F, "Kelmarin")}));
  WriteFileBytes(folder.Path("a.nef"), Cat({Block{0xFF, 0xD8}, tiff.App1(), Block{0xFF, 0xDA, 0, 2}}));
  const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(folder.Path("a.nef"), 10);
  EXPECT_FALSE(read.error);
  EXPECT_EQ(MakeOf(read), "Kelmarin");
}

}  // namespace
}  // namespace kelmarin::test
