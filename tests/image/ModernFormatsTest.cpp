// Today's formats through their libraries: files written by the libraries' own encoders (WebP, HEIC,
// AVIF, JPEG XL) are decoded by type code and by content, with their size, colours, transparency,
// first animation frame and the file's turn; a camera file LibRaw cannot open shows its largest
// embedded JPEG. The metadata-only read: which reader a type and a content lead to, and what it
// hands on (the container walkers themselves are tested in tests/extract).

#include <gtest/gtest.h>
#include <jxl/encode.h>
#include <libheif/heif.h>
#include <tiffio.h>
#include <webp/encode.h>
#include <webp/mux.h>
#include <zlib.h>

#include "ImageTestSupport.h"
#include "TiffBuilder.h"
#include "extract/ImageMetadata.h"
#include "image/Codec.h"
#include "image/meta/MetadataOnly.h"

namespace kelmarin::test {
namespace {

using Block = std::vector<std::uint8_t>;
using samples::Quadrants;
using samples::RgbImage;

// Lossless frames of `image` (the first with its left half transparent when `alpha`), then
// `blackFrames` black ones: one frame gives a still image.
void WriteWebp(const std::string& path, const RgbImage& image, bool alpha, int blackFrames) {
  WebPAnimEncoder* encoder = WebPAnimEncoderNew(image.width, image.height, nullptr);
  WebPConfig config;
  ASSERT_TRUE(WebPConfigInit(&config));
  config.lossless = 1;
  for (int frame = 0; frame <= blackFrames; ++frame) {
    WebPPicture picture;
    ASSERT_TRUE(WebPPictureInit(&picture));
    picture.use_argb = 1, picture.width = image.width, picture.height = image.height;
    ASSERT_TRUE(WebPPictureAlloc(&picture));
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x) {
        const std::uint8_t* p = image.Pixel(x, y);
        const std::uint32_t a = alpha && x < image.width / 2 ? 0 : 0xFF000000u;
        picture.argb[y * picture.argb_stride + x] =
            frame > 0 ? 0xFF000000u : a | p[0] << 16 | p[1] << 8 | p[2];
      }
    ASSERT_TRUE(WebPAnimEncoderAdd(encoder, &picture, frame * 100, &config));
    WebPPictureFree(&picture);
  }
  WebPAnimEncoderAdd(encoder, nullptr, (blackFrames + 1) * 100, nullptr);
  WebPData data{nullptr, 0};
  ASSERT_TRUE(WebPAnimEncoderAssemble(encoder, &data));
  WriteFileBytes(path, Block(data.bytes, data.bytes + data.size));
  WebPDataClear(&data);
  WebPAnimEncoderDelete(encoder);
}

// With `exif` (a TIFF block) as the image's EXIF item when it is not empty.
void WriteHeif(const std::string& path, const RgbImage& image, heif_compression_format format,
               const Block& exif = {}) {
  heif_context* context = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  ASSERT_EQ(heif_context_get_encoder_for_format(context, format, &encoder).code, heif_error_Ok);
  heif_encoder_set_lossy_quality(encoder, 95);
  heif_image* picture = nullptr;
  heif_image_create(image.width, image.height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &picture);
  heif_image_add_plane(picture, heif_channel_interleaved, image.width, image.height, 8);
  int stride = 0;
  std::uint8_t* plane = heif_image_get_plane(picture, heif_channel_interleaved, &stride);
  for (int y = 0; y < image.height; ++y) std::memcpy(plane + y * stride, image.Pixel(0, y), image.width * 3u);
  heif_image_handle* handle = nullptr;
  EXPECT_EQ(heif_context_encode_image(context, picture, encoder, nullptr, &handle).code, heif_error_Ok);
  if (!exif.empty()) heif_context_add_exif_metadata(context, handle, exif.data(), static_cast<int>(exif.size()));
  heif_image_handle_release(handle);
  EXPECT_EQ(heif_context_write_to_file(context, path.c_str()).code, heif_error_Ok);
  heif_image_release(picture);
  heif_encoder_release(encoder);
  heif_context_free(context);
}

// Lossless, with the header's orientation (1: as stored, 6: to be turned a quarter to the right).
void WriteJxl(const std::string& path, const RgbImage& image, std::uint32_t orientation) {
  JxlEncoder* encoder = JxlEncoderCreate(nullptr);
  JxlBasicInfo info;
  JxlEncoderInitBasicInfo(&info);
  info.xsize = static_cast<std::uint32_t>(image.width), info.ysize = static_cast<std::uint32_t>(image.height);
  info.bits_per_sample = 8, info.uses_original_profile = JXL_TRUE;
  info.orientation = static_cast<JxlOrientation>(orientation);
  ASSERT_EQ(JxlEncoderSetBasicInfo(encoder, &info), JXL_ENC_SUCCESS);
  JxlColorEncoding colour;
  JxlColorEncodingSetToSRGB(&colour, JXL_FALSE);
  ASSERT_EQ(JxlEncoderSetColorEncoding(encoder, &colour), JXL_ENC_SUCCESS);
  JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder, nullptr);
  JxlEncoderSetFrameLossless(settings, JXL_TRUE);
  const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
  ASSERT_EQ(JxlEncoderAddImageFrame(settings, &format, image.pixels.data(), image.pixels.size()),
            JXL_ENC_SUCCESS);
  JxlEncoderCloseInput(encoder);
  Block out(1 << 16);
  std::uint8_t* next = out.data();
  std::size_t left = out.size();
  ASSERT_EQ(JxlEncoderProcessOutput(encoder, &next, &left), JXL_ENC_SUCCESS);
  out.resize(out.size() - left);
  WriteFileBytes(path, out);
  JxlEncoderDestroy(encoder);
}

// A DNG whose raw image (3000 × 2000) has lost its data, with an RGB preview of 40 × 30 (left half
// red, right half blue) that is to be turned a quarter to the right.
void WriteDngWithoutRawData(const std::string& path) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  static const std::uint8_t kVersion[4] = {1, 4, 0, 0}, kPattern[4] = {0, 1, 1, 2};
  static const std::uint16_t kRepeat[2] = {2, 2};
  static const float kMatrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  toff_t subIfd = 0;
  for (const auto& [tag, value] : {std::pair{TIFFTAG_SUBFILETYPE, FILETYPE_REDUCEDIMAGE},
                                   {TIFFTAG_IMAGEWIDTH, 40},
                                   {TIFFTAG_IMAGELENGTH, 30},
                                   {TIFFTAG_BITSPERSAMPLE, 8},
                                   {TIFFTAG_SAMPLESPERPIXEL, 3},
                                   {TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB},
                                   {TIFFTAG_ORIENTATION, 6},
                                   {TIFFTAG_ROWSPERSTRIP, 30}})
    TIFFSetField(tiff, tag, value);
  TIFFSetField(tiff, TIFFTAG_MAKE, "Kelmarin");
  TIFFSetField(tiff, TIFFTAG_DNGVERSION, kVersion);
  TIFFSetField(tiff, TIFFTAG_UNIQUECAMERAMODEL, "Kelmarin Test");
  TIFFSetField(tiff, TIFFTAG_COLORMATRIX1, 9, kMatrix);
  TIFFSetField(tiff, TIFFTAG_SUBIFD, 1, &subIfd);
  Block row;
  for (int x = 0; x < 40; ++x)
    row.insert(row.end(), {std::uint8_t(x < 20 ? 255 : 0), 0, std::uint8_t(x < 20 ? 0 : 255)});
  for (std::uint32_t y = 0; y < 30; ++y) TIFFWriteScanline(tiff, row.data(), y, 0);
  TIFFWriteDirectory(tiff);
  for (const auto& [tag, value] : {std::pair{TIFFTAG_SUBFILETYPE, 0},
                                   {TIFFTAG_IMAGEWIDTH, 3000},
                                   {TIFFTAG_IMAGELENGTH, 2000},
                                   {TIFFTAG_BITSPERSAMPLE, 16},
                                   {TIFFTAG_SAMPLESPERPIXEL, 1},
                                   {TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_CFA},
                                   {TIFFTAG_ROWSPERSTRIP, 2000}})
    TIFFSetField(tiff, tag, value);
  TIFFSetField(tiff, TIFFTAG_CFAREPEATPATTERNDIM, kRepeat);
  TIFFSetField(tiff, TIFFTAG_CFAPATTERN, 4, kPattern);
  TIFFWriteRawStrip(tiff, 0, row.data(), 16);
  TIFFClose(tiff);
}

QImage Load(const std::string& path, std::int32_t type) {
  RecordingReporter reporter;
  ZetImage image(nullptr, &reporter);
  std::int32_t b = 0, h = 0, t = 0;
  EXPECT_EQ(image.load(path, type, b, h, t), 0)
      << (reporter.messages.empty() ? "" : reporter.messages[0].text);
  std::int32_t guessedType = 0, w = 0, ht = 0;
  EXPECT_FALSE(image.GetImageDims(path, guessedType, w, ht));
  EXPECT_EQ(guessedType, type);
  EXPECT_EQ(w, b);
  EXPECT_EQ(ht, h);
  return image.pixels();
}

TEST(ModernFormats, EncodedFilesDecodeByTypeAndByContent) {
  ScratchFolder folder;
  const RgbImage image = Quadrants(64, 48);
  const std::string webp = folder.Path("a.webp"), heic = folder.Path("a.heic"), avif = folder.Path("a.avif"),
                    jxl = folder.Path("a.jxl");
  WriteWebp(webp, image, false, 0);
  WriteHeif(heic, image, heif_compression_HEVC);
  WriteHeif(avif, image, heif_compression_AV1);
  WriteJxl(jxl, image, 1);
  for (const auto& [path, type, tolerance] :
       {std::tuple{webp, kTypeWebp, 0}, std::tuple{heic, kTypeHeif, 24}, std::tuple{avif, kTypeHeif, 24},
        std::tuple{jxl, kTypeJxl, 0}}) {
    SCOPED_TRACE(path);
    const QImage pixels = Load(path, type);
    EXPECT_EQ(pixels.size(), QSize(64, 48));
    ExpectQuadrants(pixels, tolerance);
    QImage guessed;
    EXPECT_EQ(codec::ReadPixels(path, kTypeUnknown, guessed), codec::kOk);
    EXPECT_EQ(guessed, pixels);
  }
}

TEST(ModernFormats, TransparencyFirstFrameAndTurn) {
  ScratchFolder folder;
  const RgbImage image = Quadrants(64, 48);
  const std::string alpha = folder.Path("alpha.webp"), animation = folder.Path("anim.webp");
  WriteWebp(alpha, image, true, 0);
  ExpectPixel(Load(alpha, kTypeWebp), 2, 2, 255, 255, 255, 0);  // transparent: white
  WriteWebp(animation, image, false, 1);
  ExpectQuadrants(Load(animation, kTypeWebp), 0);
  const std::string turned = folder.Path("turned.jxl");
  WriteJxl(turned, image, 6);
  const QImage pixels = Load(turned, kTypeJxl);
  EXPECT_EQ(pixels.size(), QSize(48, 64));
  ExpectPixel(pixels, 45, 2, 255, 0, 0, 0);  // the red top left is now top right
  ExpectPixel(pixels, 2, 2, 0, 0, 255, 0);
}

TEST(ModernFormats, RawWithoutRawDataShowsItsTurnedPreview) {
  ScratchFolder folder;
  const std::string path = folder.Path("preview.dng");
  WriteDngWithoutRawData(path);
  QImage pixels;
  ASSERT_EQ(codec::ReadPixels(path, kTypeRaw, pixels), codec::kOk);
  EXPECT_EQ(pixels.size(), QSize(30, 40));
  ExpectPixel(pixels, 15, 2, 255, 0, 0, 0);  // the red left half is now on top
  ExpectPixel(pixels, 15, 37, 0, 0, 255, 0);
}

TEST(ModernFormats, CameraFileLibRawCannotOpenShowsItsLargestJpeg) {
  ScratchFolder folder;
  WriteImageFile(folder.Path("small.jpg"), "jpg", Quadrants(32, 24));
  WriteImageFile(folder.Path("large.jpg"), "jpg", Quadrants(96, 64));
  // An ISO base media file of a camera's brand, with its two previews and no raw data.
  Block file = {0, 0, 0, 24, 'f', 't', 'y', 'p', 'c', 'r', 'x', ' ',
                0, 0, 0, 1,  'c', 'r', 'x', ' ', 'i', 's', 'o', 'm'};
  for (const char* name : {"small.jpg", "large.jpg", "small.jpg"}) {
    const Block jpeg = ReadFileBytes(folder.Path(name));
    file.insert(file.end(), {0xFF, 0xD8, 0xFF, 0x00});  // a start marker that starts no image
    file.insert(file.end(), jpeg.begin(), jpeg.end());
  }
  const std::string path = folder.Path("camera.cr3");
  WriteFileBytes(path, file);
  QImage pixels;
  ASSERT_EQ(codec::ReadPixels(path, kTypeRaw, pixels), codec::kOk);
  EXPECT_EQ(pixels.size(), QSize(96, 64));
  ExpectQuadrants(pixels, 40);
}

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
  WriteHeif(path, Quadrants(16, 16), heif_compression_HEVC, CameraTiff().Tiff());
  for (std::int32_t type : {13, 0}) {
    const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(path, type);
    EXPECT_EQ(read.type, 13);
    EXPECT_FALSE(read.error);
    EXPECT_EQ(read.width, 16);
    EXPECT_EQ(MakeOf(read), "Kelmarin");
  }
}

}  // namespace
}  // namespace kelmarin::test
