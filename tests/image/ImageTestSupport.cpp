#include "ImageTestSupport.h"

#include <jxl/encode.h>
#include <unistd.h>
#include <webp/encode.h>
#include <zlib.h>

#include <QGuiApplication>
#include <fstream>
#include <iterator>
#include <map>

namespace kelmarin::test {

ScratchFolder::ScratchFolder() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  const std::string name =
      info != nullptr ? std::string(info->test_suite_name()) + "." + info->name() : "image";
  folder = std::filesystem::temp_directory_path() / ("kelmarin-image-" + std::to_string(getpid())) / name;
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
}

ScratchFolder::~ScratchFolder() {
  std::error_code error;
  std::filesystem::remove_all(folder, error);
  std::filesystem::remove(folder.parent_path(), error);  // only when no other test uses it
}

void WriteImageFile(const std::string& path, const std::string& format, const samples::RgbImage& image) {
  bool ok = false;
  if (format == "jpg") ok = samples::WriteJpeg(path, image, 95);
  if (format == "png") ok = samples::WritePng(path, image);
  static const std::map<std::string, std::string> magick = {{"gif", "GIF"}, {"bmp", "BMP3"}, {"pcx", "PCX"},
                                                            {"psd", "PSD"}, {"tga", "TGA"},  {"tif", "TIFF"},
                                                            {"pcd", "PCD"}};
  if (magick.contains(format)) ok = samples::WriteMagick(path, magick.at(format), image);
  if (format == "dng") ok = samples::WriteDng(path, image, "Kelmarin", "Test");
  if (format == "wmf") ok = samples::WriteBytes(path, samples::MakeWmf(image.width, image.height, ""));
  if (format == "emf") ok = samples::WriteBytes(path, samples::MakeEmf(image.width, image.height));
  ASSERT_TRUE(ok) << "cannot write " << format << " to " << path;
}

const std::vector<std::pair<std::string, std::int32_t>>& Formats() {
  static const std::vector<std::pair<std::string, std::int32_t>> formats = {
      {"jpg", kTypeJpeg}, {"png", kTypePng}, {"gif", kTypeGif},      {"bmp", kTypeBmp},
      {"pcx", kTypePcx},  {"psd", kTypePsd}, {"tga", kTypeTga},      {"tif", kTypeTiff},
      {"pcd", kTypePcd},  {"dng", kTypeRaw}, {"wmf", kTypeMetafile}, {"emf", kTypeMetafile}};
  return formats;
}

Block PngChunk(const char* type, const Block& data, std::uint32_t claimed) {
  const std::uint32_t length = claimed != 0 ? claimed : static_cast<std::uint32_t>(data.size());
  Block chunk;
  for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(static_cast<std::uint8_t>(length >> shift));
  chunk.insert(chunk.end(), type, type + 4);
  chunk.insert(chunk.end(), data.begin(), data.end());
  const auto crc =
      static_cast<std::uint32_t>(crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4)));
  for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(static_cast<std::uint8_t>(crc >> shift));
  return chunk;
}

Block EncodeWebpLossless(const samples::RgbImage& image) {
  std::uint8_t* encoded = nullptr;
  const std::size_t size =
      WebPEncodeLosslessRGB(image.pixels.data(), image.width, image.height, image.width * 3, &encoded);
  Block file(encoded, encoded + size);
  WebPFree(encoded);
  return file;
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteHeif(const std::string& path, const samples::RgbImage& image, heif_compression_format format,
               const std::vector<std::uint8_t>& exif, const std::vector<std::uint8_t>& profile) {
  heif_context* context = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  ASSERT_EQ(heif_context_get_encoder_for_format(context, format, &encoder).code, heif_error_Ok);
  heif_encoder_set_lossy_quality(encoder, 95);
  heif_image* picture = nullptr;
  heif_image_create(image.width, image.height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &picture);
  heif_image_add_plane(picture, heif_channel_interleaved, image.width, image.height, 8);
  int stride = 0;
  std::uint8_t* plane = heif_image_get_plane(picture, heif_channel_interleaved, &stride);
  for (int y = 0; y < image.height; ++y) std::copy_n(image.Pixel(0, y), image.width * 3, plane + y * stride);
  if (!profile.empty()) heif_image_set_raw_color_profile(picture, "prof", profile.data(), profile.size());
  heif_image_handle* handle = nullptr;
  EXPECT_EQ(heif_context_encode_image(context, picture, encoder, nullptr, &handle).code, heif_error_Ok);
  if (!exif.empty())
    heif_context_add_exif_metadata(context, handle, exif.data(), static_cast<int>(exif.size()));
  heif_image_handle_release(handle);
  EXPECT_EQ(heif_context_write_to_file(context, path.c_str()).code, heif_error_Ok);
  heif_image_release(picture);
  heif_encoder_release(encoder);
  heif_context_free(context);
}

void WriteJxl(const std::string& path, const samples::RgbImage& image, std::uint32_t orientation,
              const std::vector<std::uint8_t>& profile, bool lossless, bool container) {
  JxlEncoder* encoder = JxlEncoderCreate(nullptr);
  if (container) JxlEncoderUseContainer(encoder, JXL_TRUE);
  JxlBasicInfo info;
  JxlEncoderInitBasicInfo(&info);
  info.xsize = static_cast<std::uint32_t>(image.width), info.ysize = static_cast<std::uint32_t>(image.height);
  info.bits_per_sample = 8, info.uses_original_profile = lossless ? JXL_TRUE : JXL_FALSE;
  info.orientation = static_cast<JxlOrientation>(orientation);
  ASSERT_EQ(JxlEncoderSetBasicInfo(encoder, &info), JXL_ENC_SUCCESS);
  JxlColorEncoding srgb;
  JxlColorEncodingSetToSRGB(&srgb, JXL_FALSE);
  ASSERT_EQ(profile.empty() ? JxlEncoderSetColorEncoding(encoder, &srgb)
                            : JxlEncoderSetICCProfile(encoder, profile.data(), profile.size()),
            JXL_ENC_SUCCESS);
  JxlEncoderFrameSettings* settings = JxlEncoderFrameSettingsCreate(encoder, nullptr);
  JxlEncoderSetFrameLossless(settings, lossless ? JXL_TRUE : JXL_FALSE);
  const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
  ASSERT_EQ(JxlEncoderAddImageFrame(settings, &format, image.pixels.data(), image.pixels.size()),
            JXL_ENC_SUCCESS);
  JxlEncoderCloseInput(encoder);
  std::vector<std::uint8_t> out(1 << 20);
  std::uint8_t* next = out.data();
  std::size_t left = out.size();
  ASSERT_EQ(JxlEncoderProcessOutput(encoder, &next, &left), JXL_ENC_SUCCESS);
  out.resize(out.size() - left);
  JxlEncoderDestroy(encoder);
  WriteFileBytes(path, out);
}

void ExpectPixel(const QImage& image, int x, int y, int r, int g, int b, int tolerance) {
  ASSERT_FALSE(image.isNull());
  ASSERT_EQ(image.format(), QImage::Format_RGB888);
  ASSERT_TRUE(image.valid(x, y)) << x << "," << y;
  const std::uint8_t* p = image.constScanLine(y) + 3 * x;
  EXPECT_TRUE(std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance &&
              std::abs(p[2] - b) <= tolerance)
      << int(p[0]) << "," << int(p[1]) << "," << int(p[2]) << " at " << x << "," << y;
}

void ExpectQuadrants(const QImage& pixels, int tolerance) {
  const int w = pixels.width(), h = pixels.height();
  ExpectPixel(pixels, w / 8, h / 8, 255, 0, 0, tolerance);
  ExpectPixel(pixels, w - w / 8, h / 8, 0, 255, 0, tolerance);
  ExpectPixel(pixels, w / 8, h - h / 8, 0, 0, 255, tolerance);
  ExpectPixel(pixels, w - w / 8, h - h / 8, 255, 255, 255, tolerance);
}

std::int32_t Load(ZetImage& image, const std::string& path, std::int32_t type) {
  std::int32_t b = 0, h = 0, t = 0;
  return image.load(path, type, b, h, t);
}

void ExpectPixel(const RgbImage& image, int x, int y, int r, int g, int b, int tolerance) {
  ExpectPixel(AsQImage(image), x, y, r, g, b, tolerance);
}

void ExpectQuadrants(const RgbImage& pixels, int tolerance) {
  ExpectQuadrants(AsQImage(pixels), tolerance);
}

}  // namespace kelmarin::test

// The image tests run inside a QGuiApplication (offscreen): drawing SVG text needs its fonts.
int main(int argc, char** argv) {
  // Also when CTest lists the tests, which runs without the test environment.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
