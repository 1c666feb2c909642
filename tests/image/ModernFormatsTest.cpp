// Today's formats through their libraries: files written by the libraries' own encoders (WebP, HEIC,
// AVIF, JPEG XL) are decoded by type code and by content, with their size, colours, transparency,
// first animation frame and the file's turn; a camera file LibRaw cannot open shows its largest
// embedded JPEG. The metadata-only read: which reader a type and a content lead to, and what it
// hands on (the container walkers themselves are tested in tests/extract).
//
// Small files whose headers or chunks claim far more than they hold: a text chunk of 2 GB, texts
// and image data that inflate to a gigabyte, sizes of 16000 × 16000 pixels in the header of every
// format the codec layer decodes, WebP frames without their macroblocks and HEIF items of 65,535
// extents each. Each file is read in a child process of this test under limits of
// its own (address space: what the child has at the start plus 384 MB; one second of processor time
// beyond its start-up), by load, GetImageDims and the metadata-only path. A reader that believes the
// claim runs out of one of them: the child dies or reports the wrong error.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <tiffio.h>
#include <webp/encode.h>
#include <webp/mux.h>
#include <zlib.h>

#include <QCoreApplication>
#include <QProcess>
#include <fstream>
#include <map>

#include "HostileFiles.h"
#include "ImageTestSupport.h"
#include "TiffBuilder.h"
#include "extract/ImageMetadata.h"
#include "image/Codec.h"
#include "image/meta/Formats.h"
#include "image/meta/MetadataOnly.h"

namespace kelmarin::test {
namespace {

void Put(Block& bytes, std::size_t at, std::uint32_t value, int size, bool bigEndian) {
  for (int i = 0; i < size; ++i)
    bytes[at + static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(value >> (8 * (bigEndian ? size - 1 - i : i)));
}

// A zlib stream of zeros that inflates to `megabytes` MB: one flushed block repeated (its checksum
// is wrong; no reader may get that far).
Block Inflating(int megabytes) {
  z_stream z{};
  deflateInit(&z, 9);
  const Block zeros(1 << 20, 0);
  Block first(1 << 16), block(1 << 16), out;
  for (Block* part : {&first, &block}) {
    z.next_in = const_cast<Bytef*>(zeros.data()), z.avail_in = static_cast<uInt>(zeros.size());
    z.next_out = part->data(), z.avail_out = static_cast<uInt>(part->size());
    deflate(&z, Z_FULL_FLUSH);
    part->resize(part->size() - z.avail_out);
  }
  deflateEnd(&z);
  out = first;
  for (int i = 1; i < megabytes; ++i) out.insert(out.end(), block.begin(), block.end());
  return out;
}

// An 8-bit RGB PNG header, one IDAT chunk and `extra` chunks before IEND.
Block Png(std::uint32_t width, std::uint32_t height, const Block& idat, const Block& extra = {}) {
  Block header(13, 0);
  Put(header, 0, width, 4, true), Put(header, 4, height, 4, true);
  header[8] = 8, header[9] = 2;
  Block png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (const Block& part : {PngChunk("IHDR", header), PngChunk("IDAT", idat), extra, PngChunk("IEND", {})})
    png.insert(png.end(), part.begin(), part.end());
  return png;
}

// A 16 × 16 file of `format` written by the sample writers, with its size fields set to 16000 (PCX
// stores the last column and row).
Block Claiming16000(const ScratchFolder& folder, const std::string& format) {
  const std::string path = folder.Path("source." + format);
  WriteImageFile(path, format, samples::Landscape(16, 16));
  Block b = ReadFileBytes(path);
  std::size_t at = 0;  // the two sides, `size` bytes each (both get the same value)
  int size = 2;
  bool bigEndian = false;
  if (format == "jpg") {
    while (at + 9 < b.size() && !(b[at] == 0xFF && (b[at + 1] == 0xC0 || b[at + 1] == 0xC2))) ++at;
    at += 5, bigEndian = true;
  } else if (format == "tif") {  // little-endian; the first directory's width and length entries
    const std::size_t ifd = b[4] | b[5] << 8;
    for (std::size_t e = ifd + 2; e < ifd + 2 + 12 * (b[ifd] | b[ifd + 1] << 8); e += 12)
      if (b[e + 1] == 1 && b[e] <= 1) Put(b, e + 8, 16000, b[e + 2] == 3 ? 2 : 4, false);
    return b;
  } else {
    const std::map<std::string, std::tuple<std::size_t, int, bool>> fields = {{"gif", {6, 2, false}},
                                                                              {"bmp", {18, 4, false}},
                                                                              {"pcx", {8, 2, false}},
                                                                              {"tga", {12, 2, false}},
                                                                              {"psd", {14, 4, true}}};
    std::tie(at, size, bigEndian) = fields.at(format);
  }
  const std::uint32_t value = format == "pcx" ? 15999 : 16000;
  Put(b, at, value, size, bigEndian), Put(b, at + static_cast<std::size_t>(size), value, size, bigEndian);
  return b;
}

struct Hostile {
  std::string name;
  std::int32_t type;
  Block bytes;
  std::int32_t load;  // the error number load reports, 0 when the picture loads
};

std::vector<Hostile> Cases(const ScratchFolder& folder) {
  const Block rows = [] {
    Block raw(64 * (1 + 64 * 3), 0);
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Block packed(size);
    compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(size);
    return packed;
  }();
  const Block gigabyte = Inflating(1024);
  std::vector<Hostile> cases = {
      {"png-2gb-text", kTypePng, Png(64, 64, rows, PngChunk("tEXt", {'a', 0, 'b'}, 0x79000025u)), 0},
      {"png-ztxt-gigabyte", kTypePng,
       Png(64, 64, rows, PngChunk("zTXt", Cat({Block{'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 0}, gigabyte}))),
       0},
      {"png-itxt-gigabyte", kTypePng,
       Png(64, 64, rows,
           PngChunk("iTXt", Cat({Block{'C', 'o', 'm', 'm', 'e', 'n', 't', 0, 1, 0, 0, 0}, gigabyte}))),
       0},
      {"png-idat-bomb", kTypePng, Png(64, 64, gigabyte), 1003},
      {"png-huge", kTypePng, Png(16000, 16000, rows), 1003},
      {"webp-frame-header-huge", kTypeWebp, WebpWithoutMacroblocks(16127, 16383), 1003},
      {"webp-first-partition-only", kTypeWebp, WebpWithoutMacroblocks(16383, 16383, 70'000), 1003},
      {"heif-iloc-bomb", kTypeHeif, HeifIlocBomb(16, 2200), 1003}};
  for (const auto& [format, type] : Formats()) {
    if (format == "png" || format == "pcd" || format == "dng" || type == kTypeMetafile) continue;
    cases.push_back({format + "-huge", type, Claiming16000(folder, format), 1003});
  }
  return cases;
}

std::uint64_t AddressSpace() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmSize:", 0) == 0) return std::stoull(line.substr(7)) * 1024;
  }
  return 0;
}

// The child's part: one file, given by the parent in the environment.
TEST(HostileSizes, OneFileWithinLimits) {
  const QByteArray path = qgetenv("KELMARIN_HOSTILE_FILE");
  if (path.isEmpty()) GTEST_SKIP() << "run by HostileSizes.EveryFileWithinLimits";
  const std::int32_t type = qEnvironmentVariableIntValue("KELMARIN_HOSTILE_TYPE");
  const rlimit memory{AddressSpace() + (std::uint64_t{384} << 20),
                      AddressSpace() + (std::uint64_t{384} << 20)};
  rusage used{};
  getrusage(RUSAGE_SELF, &used);
  const rlimit cpu{static_cast<rlim_t>(used.ru_utime.tv_sec + used.ru_stime.tv_sec + 2), RLIM_INFINITY};
  ASSERT_EQ(setrlimit(RLIMIT_AS, &memory), 0);
  ASSERT_EQ(setrlimit(RLIMIT_CPU, &cpu), 0);
  RecordingReporter reporter;
  ZetImage image(nullptr, &reporter);
  std::int32_t b = 0, h = 0, t = 0;
  image.load(path.toStdString(), type, b, h, t);
  const std::string expected = qgetenv("KELMARIN_HOSTILE_LOAD").toStdString();
  EXPECT_EQ(std::to_string(image.loadError() ? image.loadError()->number() : 0), expected);
  EXPECT_EQ(reporter.messages.empty(), !image.loadError());
  std::int32_t dimsType = type;
  image.GetImageDims(path.toStdString(), dimsType, b, h);
  if (type == kTypeJpeg || type == kTypePng || type == kTypeHeif) {
    const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(path.toStdString(), type);
    EXPECT_FALSE(read.error) << *read.error;
  }
}

TEST(HostileSizes, EveryFileWithinLimits) {
  ScratchFolder folder;
  for (const Hostile& hostile : Cases(folder)) {
    SCOPED_TRACE(hostile.name);
    const std::string path = folder.Path(hostile.name);
    WriteFileBytes(path, hostile.bytes);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KELMARIN_HOSTILE_FILE"), QString::fromStdString(path));
    environment.insert(QStringLiteral("KELMARIN_HOSTILE_TYPE"), QString::number(hostile.type));
    environment.insert(QStringLiteral("KELMARIN_HOSTILE_LOAD"), QString::number(hostile.load));
    environment.insert(QStringLiteral("MALLOC_ARENA_MAX"), QStringLiteral("1"));  // no reserved arenas
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=HostileSizes.OneFileWithinLimits")});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    EXPECT_TRUE(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0) << output.toStdString();
  }
}

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

kelmarin::RgbImage Load(const std::string& path, std::int32_t type) {
  RecordingReporter reporter;
  ZetImage image(nullptr, &reporter);
  std::int32_t b = 0, h = 0, t = 0;
  EXPECT_EQ(image.load(path, type, b, h, t), 0)
      << (reporter.messages.empty() ? "" : reporter.messages[0].text);
  std::int32_t guessedType = 0, w = 0, ht = 0;
  EXPECT_FALSE(image.GetImageDims(path, guessedType, w, ht));
  EXPECT_EQ(std::tuple(guessedType, w, ht), std::tuple(type, b, h));
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
  WriteJxl(jxl, image);
  for (const auto& [path, type, tolerance] :
       {std::tuple{webp, kTypeWebp, 0}, std::tuple{heic, kTypeHeif, 24}, std::tuple{avif, kTypeHeif, 24},
        std::tuple{jxl, kTypeJxl, 0}}) {
    SCOPED_TRACE(path);
    const kelmarin::RgbImage pixels = Load(path, type);
    ExpectQuadrants(pixels, tolerance);
    kelmarin::RgbImage guessed;
    const codec::Code code = codec::ReadPixels(path, kTypeUnknown, guessed);
    EXPECT_EQ(std::tuple(QSize(pixels.width(), pixels.height()), code, AsQImage(guessed) == AsQImage(pixels)),
              std::tuple(QSize(64, 48), codec::kOk, true));
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
  const kelmarin::RgbImage pixels = Load(turned, kTypeJxl);
  EXPECT_EQ(QSize(pixels.width(), pixels.height()), QSize(48, 64));
  ExpectPixel(pixels, 45, 2, 255, 0, 0, 0);  // the red top left is now top right
  ExpectPixel(pixels, 2, 2, 0, 0, 255, 0);
}

TEST(ModernFormats, RawWithoutRawDataShowsItsTurnedPreview) {
  ScratchFolder folder;
  const std::string path = folder.Path("preview.dng");
  WriteDngWithoutRawData(path);
  kelmarin::RgbImage pixels;
  ASSERT_EQ(codec::ReadPixels(path, kTypeRaw, pixels), codec::kOk);
  EXPECT_EQ(QSize(pixels.width(), pixels.height()), QSize(30, 40));
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
  kelmarin::RgbImage pixels;
  ASSERT_EQ(codec::ReadPixels(path, kTypeRaw, pixels), codec::kOk);
  EXPECT_EQ(QSize(pixels.width(), pixels.height()), QSize(96, 64));
  ExpectQuadrants(pixels, 40);
}

const TiffBuilder kLe(ByteOrder::LittleEndian);

// Damaged files whose libraries would say so on standard error: a JPEG XL code stream's signature
// alone and one cut short, an AVIF whose first AV1 unit has a reserved type. Only what the program
// writes itself remains there, also after the libraries have worked.
TEST(ModernFormats, LibrariesSayNothingOnStandardError) {
  ScratchFolder folder;
  WriteHeif(folder.Path("source.avif"), Quadrants(64, 64), heif_compression_AV1);
  WriteJxl(folder.Path("source.jxl"), Quadrants(64, 64));
  Block reserved = ReadFileBytes(folder.Path("source.avif"));
  const auto mdat = std::search(reserved.begin(), reserved.end(), std::begin("mdat"), std::end("mdat") - 1);
  ASSERT_NE(mdat, reserved.end());
  mdat[4] = 0x4A;  // type 9, with a size field
  Block cut = ReadFileBytes(folder.Path("source.jxl"));
  cut.resize(cut.size() / 2);
  const std::tuple<std::string, std::int32_t, Block> files[] = {
      {"signature.jxl", kTypeJxl, Block{0xFF, 0x0A}},
      {"cut.jxl", kTypeJxl, cut},
      {"reserved.avif", kTypeHeif, reserved}};
  for (const auto& [name, type, bytes] : files) {
    WriteFileBytes(folder.Path(name), bytes);
    testing::internal::CaptureStderr();
    RecordingReporter reporter;
    ZetImage image(nullptr, &reporter);
    std::int32_t b = 0, h = 0, t = 0;
    image.load(folder.Path(name), type, b, h, t);
    std::fputs("eigene Zeile\n", stderr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "eigene Zeile\n") << name;
  }
}

TiffBuilder CameraTiff() {
  TiffBuilder tiff(ByteOrder::LittleEndian);
  tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Ascii(0x010F, "Kelmarin")}));
  return tiff;
}

// A PNG with an eXIf chunk after its image data, where the metadata-only reader skips the data.
Block PngWithExif(const std::string& path) {
  EXPECT_TRUE(samples::WritePng(path, samples::Quadrants(8, 8)));
  Block png = ReadFileBytes(path);
  const Block chunk = PngChunk("eXIf", CameraTiff().Tiff());
  png.insert(png.end() - 12, chunk.begin(), chunk.end());  // before IEND
  return png;
}

std::string MakeOf(const codec::MetadataOnlyRead& read) {
  const ImageMetadata image = ReadMetadata(read.type, read.source, nullptr);
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
  WriteHeif(folder.Path("exif.heic"), Quadrants(16, 16), heif_compression_HEVC, CameraTiff().Tiff());
  const Block heic = ReadFileBytes(folder.Path("exif.heic"));
  const struct {
    const char* name;
    Block bytes;
    std::int32_t type, readAs;
    std::string make;  // empty: no rows
    std::optional<codec::Code> error;
    bool otherFormat;
  } cases[] = {
      {"a.tif", tiff, 12, 12, "Kelmarin", {}, false},
      {"orf-by-content", orf, 0, 10, "Kelmarin", {}, false},
      {"webp-by-content", webp, 0, 14, "Kelmarin", {}, false},
      {"a.png", png, 8, 8, "Kelmarin", {}, false},
      {"a.heic", heic, 13, 13, "Kelmarin", {}, false},
      {"heic-by-content", heic, 0, 13, "Kelmarin", {}, false},
      {"jpeg.nef", nef, 10, 10, "Kelmarin", {}, false},
      {"bare.jxl", Block{0xFF, 0x0A, 0, 0}, 15, 15, "", {}, false},
      {"text.webp", Bytes("kein Bild"), 14, 14, "", codec::kCorrupt, false},
      {"text.heic", Bytes("kein Bild"), 13, 13, "", codec::kCorrupt, false},
      {"a.crw", crw, 10, 10, "", {}, false},
      {"text.tif", Bytes("kein Bild"), 12, 12, "", {}, true},
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

}  // namespace
}  // namespace kelmarin::test
