// Pictures stand as their EXIF Orientation says whatever their format, while the size the image
// object reports stays the stored one; a file whose content is of another kind than its type says
// is read as what it is, with the metadata of that kind.
#include <tiffio.h>

#include <string_view>

#include "ImageTestSupport.h"
#include "image/Codec.h"

namespace kelmarin::test {
namespace {

// A little-endian TIFF block whose directory 0 holds only the Orientation.
Block OrientationTiff(std::uint8_t orientation) {
  const std::string_view head("II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 18);
  Block tiff(head.begin(), head.end());
  tiff.insert(tiff.end(), {orientation, 0, 0, 0, 0, 0, 0, 0});
  return tiff;
}

void WriteJpegTurned(const std::string& path, const samples::RgbImage& image, std::uint8_t orientation) {
  Block exif{'E', 'x', 'i', 'f', 0, 0};
  const Block tiff = OrientationTiff(orientation);
  exif.insert(exif.end(), tiff.begin(), tiff.end());
  ASSERT_TRUE(samples::WriteJpeg(path, image, 95, {{0xE1, exif}}));
}

// The eXIf chunk (PNG 1.2 extensions, 3.7) right after the header chunk.
void WritePngTurned(const std::string& path, const samples::RgbImage& image, std::uint8_t orientation) {
  ASSERT_TRUE(samples::WritePng(path, image));
  Block file = ReadFileBytes(path);
  const Block chunk = PngChunk("eXIf", OrientationTiff(orientation));
  file.insert(file.begin() + 33, chunk.begin(), chunk.end());  // signature 8, IHDR 25
  WriteFileBytes(path, file);
}

// The rows as stored, with the Orientation tag.
void WriteTiffTurned(const std::string& path, const samples::RgbImage& image, std::uint8_t orientation) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  for (const auto& [tag, value] : {std::pair{TIFFTAG_IMAGEWIDTH, image.width},
                                   {TIFFTAG_IMAGELENGTH, image.height},
                                   {TIFFTAG_BITSPERSAMPLE, 8},
                                   {TIFFTAG_SAMPLESPERPIXEL, 3},
                                   {TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB},
                                   {TIFFTAG_ROWSPERSTRIP, 16},
                                   {TIFFTAG_ORIENTATION, int{orientation}}})
    TIFFSetField(tiff, tag, value);
  for (int y = 0; y < image.height; ++y)
    TIFFWriteScanline(tiff, const_cast<std::uint8_t*>(image.Pixel(0, y)), static_cast<std::uint32_t>(y), 0);
  TIFFClose(tiff);
}

// Lossless, with an EXIF chunk after the simple format's chunks; the RIFF length grows by its 34 bytes.
void WriteWebpTurned(const std::string& path, const samples::RgbImage& image, std::uint8_t orientation) {
  Block file = EncodeWebpLossless(image);
  const Block tiff = OrientationTiff(orientation);
  file.insert(file.end(), {'E', 'X', 'I', 'F', static_cast<std::uint8_t>(tiff.size()), 0, 0, 0});
  file.insert(file.end(), tiff.begin(), tiff.end());
  for (int i = 4, sum = 34; i < 8; ++i, sum >>= 8) file[i] = static_cast<std::uint8_t>(sum += file[i]);
  WriteFileBytes(path, file);
}

// The nearest of the quadrants' colours.
char Colour(QRgb c) {
  const auto near = [c](int r, int g, int b) {
    return std::abs(qRed(c) - r) < 60 && std::abs(qGreen(c) - g) < 60 && std::abs(qBlue(c) - b) < 60;
  };
  return near(255, 0, 0)       ? 'R'
         : near(0, 255, 0)     ? 'G'
         : near(0, 0, 255)     ? 'B'
         : near(255, 255, 255) ? 'W'
                               : '?';
}

TEST(Orientation, EveryTurnStandsUprightWithTheStoredSizeKept) {
  const struct {
    const char* format;
    std::int32_t type;
    void (*write)(const std::string&, const samples::RgbImage&, std::uint8_t);
  } formats[] = {{"jpg", kTypeJpeg, WriteJpegTurned},
                 {"png", kTypePng, WritePngTurned},
                 {"tif", kTypeTiff, WriteTiffTurned},
                 {"webp", kTypeWebp, WriteWebpTurned}};
  // samples::Quadrants is red, green / blue, white. Orientation, the size reported, the size shown,
  // the colours of the top left and top right corners. A WebP file reports the size the picture
  // stands in, by load and by its dimensions alike.
  const std::string_view expected[] = {"1 64x48 64x48 RG", "2 64x48 64x48 GR", "3 64x48 64x48 WB",
                                       "4 64x48 64x48 BW", "5 64x48 48x64 RB", "6 64x48 48x64 BR",
                                       "7 64x48 48x64 WG", "8 64x48 48x64 GW", "9 64x48 64x48 RG"};
  ScratchFolder folder;
  for (const auto& format : formats) {
    SCOPED_TRACE(format.format);
    for (const std::string_view want : expected) {
      if (format.type == kTypeTiff && want[0] == '9') continue;  // libtiff writes no value beyond 8
      const std::string path = folder.Path(std::string(1, want[0]) + "." + format.format);
      format.write(path, samples::Quadrants(64, 48), static_cast<std::uint8_t>(want[0] - '0'));
      ZetImage image;
      std::int32_t b = 0, h = 0, t = 0;
      ASSERT_EQ(image.load(path, format.type, b, h, t), 0);
      const QImage shown = AsQImage(image.pixels());
      EXPECT_EQ(image.pixels().bytesPerLine() % 4, 0u);
      std::string shownAs(want);
      if (format.type == kTypeWebp) shownAs.replace(2, 5, shownAs.substr(8, 5));
      std::int32_t dimsType = format.type, w = 0, ht = 0;
      ASSERT_FALSE(image.GetImageDims(path, dimsType, w, ht));
      EXPECT_EQ(std::to_string(w) + "x" + std::to_string(ht), shownAs.substr(2, 5));
      const std::string actual = std::string(1, want[0]) + " " + std::to_string(b) + "x" + std::to_string(h) +
                                 " " + std::to_string(shown.width()) + "x" + std::to_string(shown.height()) +
                                 " " + Colour(shown.pixel(3, 3)) + Colour(shown.pixel(shown.width() - 4, 3));
      EXPECT_EQ(actual, shownAs);
    }
  }
  // The preview draws the picture as it stands: a portrait centred in a square box.
  ZetImage image;
  ASSERT_EQ(Load(image, folder.Path("6.jpg"), kTypeJpeg), 0);
  RecordingBox box;
  ASSERT_EQ(image.show(box), 1);
  EXPECT_EQ(std::tuple(box.drawn.width(), box.drawn.height(), box.x, box.y), std::tuple(75, 100, 12, 0));
}

TEST(Orientation, ContentOfAnotherKindIsReadAsWhatItIs) {
  ScratchFolder folder;
  const std::string png = folder.Path("really-a-png.jpg");
  ASSERT_TRUE(
      samples::WritePng(png, samples::Quadrants(40, 30), {{samples::PngTextKind::kText, "Title", "Bild"}}));
  const std::string jpg = folder.Path("really-a-jpg.png");
  WriteJpegTurned(jpg, samples::Quadrants(40, 30), 6);
  const std::string text = folder.Path("text.jpg");
  WriteFileBytes(text, Block(100, 'x'));
  // Path, type by name, load status, size, comments and EXIF items read with the pixels.
  const struct {
    std::string path;
    std::int32_t type;
    std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t> want;
  } cases[] = {{png, kTypeJpeg, {0, 40, 30, 1, 0}},
               {jpg, kTypePng, {0, 40, 30, 0, 1}},  // its Orientation, and it stands upright
               {jpg, kTypeGif, {0, 40, 30, 0, 1}},
               {text, kTypeJpeg, {2, 0, 0, 0, 0}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + " as " + std::to_string(c.type));
    RecordingReporter reporter;
    ZetImage image(nullptr, &reporter);
    std::int32_t b = 0, h = 0, t = 0;
    const std::int32_t status = image.load(c.path, c.type, b, h, t);
    const ImageMetadata metadata = image.ReadMetadata();
    EXPECT_EQ(std::tuple(status, b, h, metadata.ImageCommentCount(), metadata.ExifCount()), c.want);
    EXPECT_EQ(image.pixels().width(), status != 0 ? 0 : c.path == jpg ? 30 : 40);
    // What cannot be read as anything reports the first decoder's refusal.
    const std::string refused = "Fehler 1003\nReadImgage: " + c.path;
    EXPECT_EQ(reporter.messages.empty() ? "" : reporter.messages[0].text, status == 0 ? "" : refused);
  }
}

}  // namespace
}  // namespace kelmarin::test
