// The image object over every codec backend, on files made at test time: decoding to size and
// colours, type codes and guessing; the preview arithmetic of show (pixels from twips, halves to
// even, 0 becomes 1, centring) and the three ways of ResizeImage; error numbers, sources and
// descriptions; damaged, empty, foreign and unreadable files of every format (load reports
// "Fehler N" and returns 2, GetImageDims returns an error; nothing crashes, hangs or ends the
// process); the codec modules, loaded one by one as their formats come; the stopwatch; the
// component check.

#include <gtest/gtest.h>
#include <link.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>
#include <set>

#include "ImageTestSupport.h"
#include "image/Codec.h"
#include "image/Components.h"
#include "image/Resize.h"
#include "image/StopWatch.h"

namespace kelmarin::test {
namespace {

using samples::Quadrants;
using samples::RgbImage;

constexpr int kW = 64, kH = 48;

// Every format made at test time decodes by its type code to its size and colours; Photo CD's YCC
// cannot hold saturated primaries exactly, and a DNG is demosaiced and colour-managed: each quadrant
// keeps its dominant channel. The library's signatures map to the image object's type codes (PSD and
// RAW have none), and type 0 still decodes a file by content.
TEST(Decoding, EveryFormatByTypeCodeAndByContent) {
  ScratchFolder folder;
  for (const auto& [format, type] : Formats()) {
    if (type == kTypeMetafile) continue;  // drawn at a size of their own
    SCOPED_TRACE(format);
    const bool pcd = format == "pcd", approximate = pcd || format == "dng";
    const int w = pcd ? 768 : kW, h = pcd ? 512 : kH;
    const std::string path = folder.Path("no-extension-" + format);
    WriteImageFile(path, format, Quadrants(w, h));
    ZetImage image;
    std::int32_t b = 0, ht = 0, t = -1;
    ASSERT_EQ(image.load(path, type, b, ht, t), 0);
    EXPECT_EQ(std::tuple(b, ht, image.Breite, image.Höhe), std::tuple(w, h, w, h));
    EXPECT_GE(t, 0);
    if (approximate) {
      auto at = [&](int x, int y) { return image.pixels().constScanLine(y) + 3 * x; };
      EXPECT_TRUE(at(w / 8, h / 8)[0] > 150 && at(w / 8, h / 8)[2] < 80);
      EXPECT_TRUE(at(w / 8, h - h / 8)[2] > 150 && at(w / 8, h - h / 8)[0] < 80);
    } else {
      ExpectQuadrants(image.pixels(), format == "jpg" ? 12 : 0);  // JPEG is lossy
    }
    const std::int32_t signature = format == "psd" ? kTypeUnknown : format == "dng" ? kTypeTiff : type;
    EXPECT_EQ(GuessTypeCode(path), signature);
    std::int32_t guessed = kTypeUnknown;
    EXPECT_EQ(std::tuple(image.GetImageDims(path, guessed, b, ht).has_value(), guessed),
              std::tuple(signature == kTypeUnknown, signature));
    if (format != "jpg" && format != "psd" && format != "gif" && format != "tga" && format != "dng") continue;
    ASSERT_EQ(Load(image, path, kTypeUnknown), 0);
    EXPECT_EQ(std::tuple(image.Breite, image.imagetype), std::tuple(w, kTypeUnknown));
  }
}

TEST(Decoding, BottomUpTiffAndInterlacedOrTransparentPng) {
  ScratchFolder folder;
  const std::string tif = folder.Path("bottom-up.tif");
  ASSERT_TRUE(samples::WriteTiff(tif, Quadrants(kW, 200), true));  // several bands of rows
  kelmarin::RgbImage pixels;
  ASSERT_EQ(codec::ReadPixels(tif, kTypeTiff, pixels), codec::kOk);
  ExpectQuadrants(pixels, 0);
  const std::string interlaced = folder.Path("interlaced.png");
  ASSERT_TRUE(samples::WritePng(interlaced, Quadrants(kW, kH), {}, true));
  ASSERT_EQ(codec::ReadPixels(interlaced, kTypePng, pixels), codec::kOk);
  ExpectQuadrants(pixels, 0);
  // The left half is transparent: laid on white.
  const std::string alpha = folder.Path("alpha.png");
  ASSERT_TRUE(samples::WritePng(alpha, Quadrants(kW, kH), {}, false, true));
  ASSERT_EQ(codec::ReadPixels(alpha, kTypePng, pixels), codec::kOk);
  ExpectPixel(pixels, 4, 4, 255, 255, 255, 0);
  ExpectPixel(pixels, kW - 4, 4, 0, 255, 0, 0);
}

TEST(Decoding, MetafilesDrawTheirPictureAndText) {
  ScratchFolder folder;
  for (const std::string format : {"wmf", "emf"}) {
    SCOPED_TRACE(format);
    const std::string path = folder.Path("drawing." + format);
    WriteImageFile(path, format, RgbImage(320, 240));
    EXPECT_EQ(GuessTypeCode(path), kTypeMetafile);
    ZetImage image;
    ASSERT_EQ(Load(image, path, kTypeMetafile), 0);
    const int b = image.Breite, h = image.Höhe;
    ASSERT_TRUE(b > 10 && h > 10);
    EXPECT_NEAR(static_cast<double>(b) / h, 320.0 / 240.0, 0.05);
    // Sky in the top left corner, the hill at the bottom left.
    ExpectPixel(image.pixels(), b / 16, h / 16, 70, 130, 200, 8);
    ExpectPixel(image.pixels(), b / 16, h - 2, 40, 110, 50, 8);
  }
  // Text needs its fonts only: the white text lies on the green hill near the bottom left.
  const std::string path = folder.Path("text.wmf");
  ASSERT_TRUE(samples::WriteBytes(path, samples::MakeWmf(320, 240, "Kelmarin")));
  kelmarin::RgbImage pixels;
  ASSERT_EQ(codec::ReadPixels(path, kTypeMetafile, pixels), codec::kOk);
  int white = 0;
  for (int y = pixels.height() * 3 / 4; y < pixels.height(); ++y) {
    const std::uint8_t* row = pixels.constScanLine(y);
    for (int x = 0; x < pixels.width() / 2; ++x) white += row[3 * x] > 200 && row[3 * x + 1] > 200;
  }
  EXPECT_GT(white, 20);
}

// A loaded image of the given size.
struct Loaded {
  Loaded(const ScratchFolder& folder, int width, int height, Reporter* reporter = nullptr)
      : image(nullptr, reporter) {
    path = folder.Path("image-" + std::to_string(width) + "x" + std::to_string(height) + ".png");
    EXPECT_TRUE(samples::WritePng(path, Quadrants(width, height)));
    EXPECT_EQ(Load(image, path, kTypePng), 0);
  }
  std::string path;
  ZetImage image;
};

struct Case {
  int imageWidth, imageHeight;
  std::int32_t boxTwipsX, boxTwipsY;
  double twipsPerPixel;
  int drawnWidth, drawnHeight, x, y;
};

TEST(Show, ScalesAndCentresIntoTheBox) {
  ScratchFolder folder;
  const Case cases[] = {{3000, 10, 1500, 1500, 15.0, 100, 1, 0, 50},   // th = 0.33 becomes 1; y = 49.5 → 50
                        {400, 300, 1500, 1500, 15.0, 100, 75, 0, 12},  // y = 12.5 → 12
                        {50, 25, 1500, 1500, 15.0, 100, 50, 0, 25},    // enlarged
                        {3, 1, 1500, 1500, 15.0, 100, 33, 0, 34},      // th = 33.3; y = 33.5 → 34
                        {200, 200, 1005, 1015, 10.0, 100, 100, 0, 1},  // box 100.5 → 100, 101.5 → 102; y = 1
                        {10, 10, 1000, 1000, 10.0, 100, 100, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.imageWidth) + "x" + std::to_string(c.imageHeight));
    Loaded loaded(folder, c.imageWidth, c.imageHeight);
    RecordingBox box;
    box.widthTwips = c.boxTwipsX, box.heightTwips = c.boxTwipsY, box.twipsX = box.twipsY = c.twipsPerPixel;
    const int shown = loaded.image.show(box);
    EXPECT_EQ(std::tuple(shown, box.clears, box.drawn.format(), box.drawn.width(), box.drawn.height(), box.x,
                         box.y),
              std::tuple(1, 1, QImage::Format_RGB888, c.drawnWidth, c.drawnHeight, c.x, c.y));
  }
}

// A same-size drawing views the decoded pixels themselves, and the box keeps them alive after the
// image object has loaded another file and is gone.
TEST(Show, SameSizeDrawingViewsTheDecodedPixelsAndOutlivesThem) {
  ScratchFolder folder;
  RecordingBox box;
  box.widthTwips = box.heightTwips = 1000, box.twipsX = box.twipsY = 10.0;  // 100 x 100 pixels
  {
    Loaded loaded(folder, 100, 100);
    ASSERT_EQ(loaded.image.show(box), 1);
    EXPECT_EQ(box.drawn.constBits(), loaded.image.pixels().constBits());
    Loaded other(folder, 30, 20);
    EXPECT_EQ(Load(loaded.image, other.path, kTypePng), 0);
  }
  ExpectQuadrants(box.drawn, 0);
}

TEST(Show, FailuresAreReported) {
  ScratchFolder folder;
  RecordingReporter reporter;
  Loaded loaded(folder, 20, 20, &reporter);
  RecordingBox box;
  box.drawSucceeds = false;
  EXPECT_EQ(loaded.image.show(box), 2);
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text, "Fehler 6\nISDrawRGB: " + loaded.path);
  // An image that failed to load draws nothing; only load's message.
  ASSERT_EQ(Load(loaded.image, folder.Path("missing.png"), kTypePng), 2);
  RecordingBox empty;
  const int shown = loaded.image.show(empty);
  EXPECT_EQ(std::tuple(shown, empty.clears, empty.drawn.isNull(), reporter.messages.size()),
            std::tuple(2, 1, true, 2u));
}

QImage Filled(int width, int height, std::uint8_t value) {
  QImage image(width, height, QImage::Format_RGB888);
  image.fill(QColor(value, value, value));
  return image;
}

TEST(Resize, SameSizeSharesSmallerAveragesLargerInterpolates) {
  const QImage source = Filled(300, 200, 90);
  QImage target;
  ASSERT_FALSE(ZetImage::ResizeImage(source, 300, 200, target, -2));
  EXPECT_EQ(target.constBits(), source.constBits());

  ASSERT_FALSE(ZetImage::ResizeImage(source, 30, 20, target, -2));
  EXPECT_EQ(target.size(), QSize(30, 20));
  ExpectPixel(target, 15, 10, 90, 90, 90, 0);

  ASSERT_FALSE(ZetImage::ResizeImage(source, 600, 100, target, 3));  // larger in one direction
  EXPECT_EQ(std::pair(target.size(), target.format()), std::pair(QSize(600, 100), QImage::Format_RGB888));
  ExpectPixel(target, 300, 50, 90, 90, 90, 1);

  ASSERT_FALSE(ZetImage::ResizeImage(source, 10, 10, target, 0));  // nearest neighbour
  ExpectPixel(target, 5, 5, 90, 90, 90, 0);
}

TEST(Resize, TargetsThatCannotBeHadFailAsGlobalAlloc) {
  const QImage source = Filled(10, 10, 0);
  QImage target = source;
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{{0, 5}, {5, -1}, {100000, 100000}}) {
    const std::optional<ImageError> error = ZetImage::ResizeImage(source, w, h, target, -2);
    ASSERT_TRUE(error);
    EXPECT_EQ(std::tuple(error->number(), error->source, error->description, target.isNull()),
              std::tuple(1000, std::string("ResizeImage"), std::string("GlobalAlloc"), true));
  }
}

// Values 10 × x + y (5 × 3) reduced by 2: blocks of columns {0,1}, {2,3,4} and rows {0,1,2}; values
// 10 × y (16 × 16) reduced by 16: one block that stands for rows 2, 6, 10 and 14.
TEST(Resize, BoxReduceAveragesWholeBlocksFoldsTheRemainderAndSamplesTallBlocks) {
  QImage source(5, 3, QImage::Format_RGB888), tall(16, 16, QImage::Format_RGB888);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      if (x < 5 && y < 3) {
        std::uint8_t* p = source.scanLine(y) + 3 * x;
        p[0] = p[1] = static_cast<std::uint8_t>(10 * x + y), p[2] = 255;
      }
      std::uint8_t* t = tall.scanLine(y) + 3 * x;
      t[0] = t[1] = t[2] = static_cast<std::uint8_t>(10 * y);
    }
  }
  const QImage reduced = BoxReduce(source, 2);
  ASSERT_EQ(reduced.size(), QSize(2, 1));
  ExpectPixel(reduced, 0, 0, 6, 6, 255, 0);    // mean of 0,1,10,11 + rows 0..2 → (5 + 1) = 6
  ExpectPixel(reduced, 1, 0, 31, 31, 255, 0);  // x 2..4 → 30, rows → +1
  const QImage one = BoxReduce(tall, 16);
  ASSERT_EQ(one.size(), QSize(1, 1));
  ExpectPixel(one, 0, 0, 80, 80, 80, 0);  // (20 + 60 + 100 + 140) / 4
}

TEST(Resize, LargeReductionMatchesAnExactAreaAverage) {
  // Vertical stripes one pixel wide, black and white: every reduction is mid grey.
  QImage source(6000, 400, QImage::Format_RGB888);
  for (int y = 0; y < source.height(); ++y) {
    std::uint8_t* row = source.scanLine(y);
    for (int x = 0; x < source.width(); ++x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = x % 2 ? 255 : 0;
  }
  QImage target;
  ASSERT_FALSE(ZetImage::ResizeImage(source, 120, 8, target, -2));
  for (int x = 0; x < 120; x += 17) ExpectPixel(target, x, 4, 128, 128, 128, 2);
}

void ExpectError(const std::optional<ImageError>& error, std::int32_t number, const std::string& source,
                 const std::string& description) {
  ASSERT_TRUE(error);
  EXPECT_EQ(std::tuple(error->number(), error->source, error->description),
            std::tie(number, source, description));
}

// A type of no decoder (1002) and a path that cannot be opened (1001): load reports it, GetImageDims
// and ReadImage return it. Content of no known kind is refused by the type's decoder (1003; a JPEG
// would be read as what it is).
TEST(Errors, NumbersSourcesAndDescriptions) {
  ScratchFolder folder;
  const std::string jpg = folder.Path("image.jpg"), fifo = folder.Path("pipe.jpg");
  WriteImageFile(jpg, "jpg", samples::Quadrants(16, 16));
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::pair<std::string, std::int32_t> cases[] = {{jpg, kTypeJpeg2000},
                                                        {jpg, 16},
                                                        {jpg, 99},
                                                        {jpg, -1},
                                                        {folder.Path(""), kTypeJpeg},
                                                        {fifo, kTypeJpeg},
                                                        {folder.Path("missing.jpg"), kTypeJpeg},
                                                        {std::string(), kTypeJpeg}};
  for (const auto& [path, type] : cases) {
    SCOPED_TRACE(path + " as " + std::to_string(type));
    const std::int32_t number = path == jpg ? 1002 : 1001;
    RecordingReporter reporter;
    ZetImage image(nullptr, &reporter);
    kelmarin::RgbImage pixels;
    std::int32_t w = 0, h = 0, t = type;
    EXPECT_EQ(image.load(path, type, w, h, t), 2);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text, "Fehler " + std::to_string(number) + "\nReadImgage: " + path);
    ExpectError(image.ReadImage(path, type, pixels, w, h), number, "ReadImage",
                number == 1001 ? "IS_OpenFileSource" : "IS_ReadXXX");
    t = type;
    ExpectError(image.GetImageDims(path, t, w, h), number, "GetImageDims",
                number == 1001 ? "IS_OpenFileSource" : "IS_GetXXXDims");
  }
  const std::string text = folder.Path("text.gif");
  WriteFileBytes(text, std::vector<std::uint8_t>(64, 'x'));
  ZetImage image;
  kelmarin::RgbImage pixels;
  std::int32_t w = 0, h = 0, t = kTypePng;
  ExpectError(image.ReadImage(text, kTypeGif, pixels, w, h), 1003, "ReadImage", "IS_ReadXXX");
  ExpectError(image.GetImageDims(jpg, t, w, h), 1003, "GetImageDims", "IS_GetXXXDims");
}

TEST(Errors, LoadReportsAndSetsFields) {
  ScratchFolder folder;
  const std::string jp2 = folder.Path("image.jp2");
  WriteFileBytes(jp2, {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A});
  const std::string png = folder.Path("image.png");
  WriteImageFile(png, "png", samples::Quadrants(33, 17));
  RecordingReporter reporter;
  ZetImage image(nullptr, &reporter);
  std::int32_t b = 0, h = 0, t = -5;
  EXPECT_EQ(image.load(png, kTypePng, b, h, t), 0);
  EXPECT_EQ(std::tuple(image.filename, image.imagetype, b, h, t),
            std::tuple(png, kTypePng, 33, 17, image.Elapsed));
  EXPECT_TRUE(reporter.messages.empty());
  EXPECT_FALSE(image.loadError());
  EXPECT_EQ(image.load(jp2, kTypeJpeg2000, b, h, t), 2);
  EXPECT_EQ(std::tuple(image.filename, image.imagetype, image.Breite, image.Höhe),
            std::tuple(jp2, kTypeJpeg2000, 0, 0));
  ExpectError(image.loadError(), 1002, "ReadImage", "IS_ReadXXX");
  // A file name in the message is UTF-8 (here from a Latin-1 byte).
  EXPECT_EQ(image.load(folder.Path("bild\xE4.jpg"), kTypeJpeg, b, h, t), 2);
  ExpectError(image.loadError(), 1001, "ReadImage", "IS_OpenFileSource");
  ASSERT_EQ(reporter.messages.size(), 2u);
  // A later load that succeeds forgets the failure.
  EXPECT_EQ(image.load(png, kTypePng, b, h, t), 0);
  EXPECT_FALSE(image.loadError());
  // An OK button and no icon.
  EXPECT_EQ(std::pair(reporter.messages[0].text, reporter.messages[0].icon),
            std::pair("Fehler 1002\nReadImgage: " + jp2, MessageIcon::None));
  EXPECT_EQ(reporter.messages[1].text, "Fehler 1001\nReadImgage: " + folder.Path("bild\xC3\xA4.jpg"));
}

using samples::Landscape;

// Loads `path` as `type` and expects exactly the failure message of load.
void ExpectLoadFails(const std::string& path, std::int32_t type, const std::string& start = "Fehler 100") {
  RecordingReporter reporter;
  ZetImage image(nullptr, &reporter);
  image.Elapsed = 77;
  std::int32_t b = -1, h = -1, t = -1;
  EXPECT_EQ(image.load(path, type, b, h, t), 2);
  EXPECT_EQ(std::tuple(b, h, t), std::tuple(0, 0, 77));  // the load time is left as it was
  EXPECT_TRUE(image.pixels().isNull());
  ASSERT_EQ(reporter.messages.size(), 1u);
  const Message& m = reporter.messages[0];
  EXPECT_TRUE(m.caption == "Kelmarin" && m.text.starts_with(start) &&
              m.text.find("\nReadImgage: " + path) != std::string::npos)
      << m.caption << ": " << m.text;
}

TEST(BadInput, TruncatedFilesOfEveryFormat) {
  ScratchFolder folder;
  for (const auto& [format, type] : Formats()) {
    SCOPED_TRACE(format);
    const std::string whole = folder.Path("whole." + format);
    const bool pcd = format == "pcd";
    WriteImageFile(whole, format, Landscape(pcd ? 768 : 96, pcd ? 512 : 64));
    const std::vector<std::uint8_t> bytes = ReadFileBytes(whole);
    std::vector<std::size_t> keeps = {bytes.size() / 2, std::size_t{30}};
    // A PSD file holds the picture twice, as layer and as composite at the end; cut within the
    // composite it is still read whole from the layer, which is right.
    if (format != "psd") keeps.push_back(bytes.size() * 9 / 10);
    for (const std::size_t keep : keeps) {
      SCOPED_TRACE(keep);
      const std::string cut = folder.Path("cut-" + std::to_string(keep) + "." + format);
      WriteFileBytes(
          cut, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(keep)));
      ExpectLoadFails(cut, type);
    }
  }
}

TEST(BadInput, EmptyGarbageForeignAndHugeFilesOfEveryType) {
  ScratchFolder folder;
  const std::string empty = folder.Path("empty");
  WriteFileBytes(empty, {});
  const std::string garbage = folder.Path("garbage");
  std::vector<std::uint8_t> noise(5000);
  std::mt19937 random(7);
  for (auto& byte : noise) byte = static_cast<std::uint8_t>(random());
  WriteFileBytes(garbage, noise);
  const std::string png = folder.Path("really-a-png");
  WriteImageFile(png, "png", Landscape(32, 32));
  const std::string jpg = folder.Path("really-a-jpg");
  WriteImageFile(jpg, "jpg", Landscape(32, 32));
  for (std::int32_t type = 1; type <= 12; ++type) {
    SCOPED_TRACE(type);
    ExpectLoadFails(empty, type);
    ExpectLoadFails(garbage, type);
    ZetImage image;
    // Content of another kind than the type says is read as what it is, when the type's decoder
    // refuses it; JPEG 2000 has no decoder to refuse anything.
    if (type == kTypeJpeg2000) {
      ExpectLoadFails(png, type);
    } else {
      std::int32_t b = 0, h = 0, t = 0;
      EXPECT_EQ(image.load(type == kTypePng ? jpg : png, type, b, h, t), 0);
      EXPECT_EQ(std::pair(b, h), std::pair(32, 32));
    }
    std::int32_t t = type, w = 0, h = 0;
    EXPECT_TRUE(image.GetImageDims(garbage, t, w, h) && image.GetImageDims(empty, t, w, h));
  }
  ExpectLoadFails(empty, kTypeUnknown);
  ExpectLoadFails(garbage, kTypeUnknown);
  // A GIF header claiming 65535 × 65535 pixels, then nothing: refused before any pixel memory.
  const std::string gif = folder.Path("huge.gif");
  WriteFileBytes(gif, {'G', 'I',  'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0,
                       0,   0x2C, 0,   0,   0,   0,   0xFF, 0xFF, 0xFF, 0xFF, 0, 8});
  ExpectLoadFails(gif, kTypeGif, "Fehler 1004");
}

// The position of the first record of a WMF with that function number.
std::size_t WmfRecord(const std::vector<std::uint8_t>& wmf, std::uint16_t function) {
  for (std::size_t at = 22 + 18; at + 6 <= wmf.size();) {
    const std::uint32_t words = wmf[at] | wmf[at + 1] << 8 | wmf[at + 2] << 16 | wmf[at + 3] << 24;
    if ((wmf[at + 4] | wmf[at + 5] << 8) == function) return at;
    at += 2 * words;
  }
  ADD_FAILURE() << "no record " << function;
  return 0;
}

TEST(BadInput, BrokenMetafileRecordsFailWithoutLibraryChatter) {
  ScratchFolder folder;
  const std::vector<std::uint8_t> wmf = samples::MakeWmf(200, 100, "Text");
  std::vector<std::vector<std::uint8_t>> broken(4, wmf);
  broken[0][WmfRecord(wmf, 0x012D) + 6] = 7;     // SELECTOBJECT of an object the table cannot hold
  broken[1][WmfRecord(wmf, 0x0324) + 7] = 0x70;  // POLYGON claiming 28676 points
  broken[2][22 + 12] = 5;                        // largest record smaller than the records
  broken[3][WmfRecord(wmf, 0x0521) + 6] = 200;   // TEXTOUT longer than its record
  for (std::size_t i = 0; i < broken.size(); ++i) {
    SCOPED_TRACE(i);
    const std::string path = folder.Path("broken-" + std::to_string(i) + ".wmf");
    WriteFileBytes(path, broken[i]);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    ExpectLoadFails(path, kTypeMetafile);
    EXPECT_EQ(testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr(), "");
  }
}

std::set<std::string> LoadedCodecModules() {
  std::set<std::string> names;
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* found) {
        const std::string name = std::filesystem::path(info->dlpi_name).filename().string();
        if (name.starts_with("kelmarin-codec-")) static_cast<std::set<std::string>*>(found)->insert(name);
        return 0;
      },
      &names);
  return names;
}

// The formats of the light libraries load no codec module; the first file of a heavy library's
// format loads its module alone, and decodes through it.
TEST(Decoding, CodecModulesComeWithTheFirstFileOfTheirKind) {
  if (!LoadedCodecModules().empty()) GTEST_SKIP() << "needs a process of its own, as ctest runs it";
  ScratchFolder folder;
  std::set<std::string> loaded;
  for (const auto& [format, type, module] : {std::tuple("jpg", kTypeJpeg, ""),
                                             {"png", kTypePng, ""},
                                             {"gif", kTypeGif, ""},
                                             {"tif", kTypeTiff, "tiff"},
                                             {"bmp", kTypeBmp, "magick"},
                                             {"dng", kTypeRaw, "raw"}}) {
    const std::string path = folder.Path(std::string("f.") + format);
    WriteImageFile(path, format, Quadrants(kW, kH));
    ZetImage image;
    EXPECT_EQ(Load(image, path, type), 0) << format;
    if (*module != '\0') loaded.insert(std::string("kelmarin-codec-") + module + ".so");
    EXPECT_EQ(LoadedCodecModules(), loaded) << format;
  }
}

// Past 2^31 ms a 32-bit count would overflow; the reading stays at the largest value instead.
TEST(StopWatch, DoesNotWrap) {
  for (const auto& [in, out] :
       {std::pair(2147483648LL, 2147483647), {5000000000LL, 2147483647}, {1234LL, 1234}})
    EXPECT_EQ(CStopWatch::ToMilliseconds(std::chrono::milliseconds(in)), out) << in;
}

TEST(Components, TheFirstMissingComponentIsNamedAndTheRestUntouched) {
  RecordingReporter reporter;
  int touched = 0;
  const std::vector<Component> components = {{"eins", [&] { return ++touched, true; }},
                                             {"libemf2svg.so.1", [&] { return ++touched, false; }},
                                             {"drei", [&] { return ++touched, true; }}};
  EXPECT_FALSE(InitComponents(reporter, components));
  EXPECT_EQ(touched, 2);
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(std::tuple(reporter.messages[0].caption, reporter.messages[0].icon, reporter.messages[0].text),
            std::tuple("Kelmarin", MessageIcon::Critical,
                       "Die benötigte Komponente\r\nlibemf2svg.so.1\r\nist nicht vorhanden\r\n\r\n"
                       "Bitte eine andere Installationsvariante von Kelmarin wählen!"));
}

}  // namespace
}  // namespace kelmarin::test
