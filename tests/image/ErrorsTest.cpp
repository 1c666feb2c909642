// Error numbers, sources and descriptions of the image object; damaged, empty, foreign and
// unreadable files of every format (load reports "Fehler N" and returns 2, GetImageDims returns an
// error; nothing crashes, hangs or ends the process); the stopwatch; the component check.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ImageTestSupport.h"
#include "image/Components.h"
#include "image/StopWatch.h"

namespace kelmarin::test {
namespace {

void ExpectError(const std::optional<ImageError>& error, std::int32_t number, const std::string& source,
                 const std::string& description) {
  ASSERT_TRUE(error);
  EXPECT_EQ(std::tie(error->number, error->source, error->description),
            std::tie(number, source, description));
}

TEST(Errors, NumbersSourcesAndDescriptions) {
  ScratchFolder folder;
  const std::string jpg = folder.Path("image.jpg");
  WriteImageFile(jpg, "jpg", samples::Quadrants(16, 16));
  ZetImage image;
  QImage pixels;
  std::int32_t w = 0, h = 0;
  for (const std::int32_t type : {std::int32_t{kTypeJpeg2000}, 16, 99, -1}) {
    SCOPED_TRACE(type);
    ExpectError(image.ReadImage(jpg, type, pixels, w, h), 1002, "ReadImage", "IS_ReadXXX");
    std::int32_t t = type;
    ExpectError(image.GetImageDims(jpg, t, w, h), 1002, "GetImageDims", "IS_GetXXXDims");
  }
  ExpectError(image.ReadImage(jpg, kTypeGif, pixels, w, h), 1003, "ReadImage", "IS_ReadXXX");
  std::int32_t t = kTypePng;
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
  EXPECT_EQ(image.load(jp2, kTypeJpeg2000, b, h, t), 2);
  EXPECT_EQ(std::tuple(image.filename, image.imagetype, image.Breite, image.Höhe),
            std::tuple(jp2, kTypeJpeg2000, 0, 0));
  // A file name in the message is UTF-8 (here from a Latin-1 byte).
  EXPECT_EQ(image.load(folder.Path("bild\xE4.jpg"), kTypeJpeg, b, h, t), 2);
  ASSERT_EQ(reporter.messages.size(), 2u);
  EXPECT_EQ(reporter.messages[0].text, "Fehler 1002\nReadImgage: " + jp2);
  EXPECT_EQ(reporter.messages[0].icon, MessageIcon::None);  // an OK button and no icon
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
  EXPECT_EQ(m.caption, "Kelmarin");
  EXPECT_EQ(m.text.rfind(start, 0), 0u) << m.text;
  EXPECT_NE(m.text.find("\nReadImgage: " + path), std::string::npos) << m.text;
}

std::vector<std::uint8_t> Garbage(std::size_t size, std::uint32_t seed) {
  std::vector<std::uint8_t> bytes(size);
  for (auto& b : bytes) {
    seed = seed * 1664525u + 1013904223u;
    b = static_cast<std::uint8_t>(seed >> 24);
  }
  return bytes;
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

TEST(BadInput, EmptyGarbageAndForeignFilesOfEveryType) {
  ScratchFolder folder;
  const std::string empty = folder.Path("empty");
  WriteFileBytes(empty, {});
  const std::string garbage = folder.Path("garbage");
  WriteFileBytes(garbage, Garbage(5000, 7));
  const std::string png = folder.Path("really-a-png");
  WriteImageFile(png, "png", Landscape(32, 32));
  const std::string jpg = folder.Path("really-a-jpg");
  WriteImageFile(jpg, "jpg", Landscape(32, 32));
  for (std::int32_t type = 1; type <= 12; ++type) {
    SCOPED_TRACE(type);
    ExpectLoadFails(empty, type);
    ExpectLoadFails(garbage, type);
    ExpectLoadFails(type == kTypePng ? jpg : png, type);
    ZetImage image;
    std::int32_t t = type, w = 0, h = 0;
    EXPECT_TRUE(image.GetImageDims(garbage, t, w, h));
    EXPECT_TRUE(image.GetImageDims(empty, t, w, h));
  }
  ExpectLoadFails(empty, kTypeUnknown);
  ExpectLoadFails(garbage, kTypeUnknown);
}

TEST(BadInput, HugeDimensionsAreRefusedBeforeAnyPixelMemory) {
  ScratchFolder folder;
  // A GIF header claiming 65535 × 65535 pixels, then nothing.
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
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  }
}

TEST(BadInput, FoldersFifosAndMissingFilesCannotBeOpened) {
  ScratchFolder folder;
  const std::string fifo = folder.Path("pipe.jpg");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {folder.Path(""), fifo, folder.Path("missing.jpg"), std::string()}) {
    SCOPED_TRACE(path);
    RecordingReporter reporter;
    ZetImage image(nullptr, &reporter);
    std::int32_t b = 0, h = 0, t = 0;
    EXPECT_EQ(image.load(path, kTypeJpeg, b, h, t), 2);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text, "Fehler 1001\nReadImgage: " + path);
    std::int32_t type = kTypeJpeg;
    ExpectError(image.GetImageDims(path, type, b, h), 1001, "GetImageDims", "IS_OpenFileSource");
    QImage pixels;
    ExpectError(image.ReadImage(path, kTypeJpeg, pixels, b, h), 1001, "ReadImage", "IS_OpenFileSource");
  }
}

// Past 2^31 ms a 32-bit count would overflow; the reading stays at the largest value instead.
TEST(StopWatch, DoesNotWrap) {
  for (const auto& [in, out] : {std::pair(2147483648LL, 2147483647), {5000000000LL, 2147483647}, {1234LL, 1234}})
    EXPECT_EQ(CStopWatch::ToMilliseconds(std::chrono::milliseconds(in)), out) << in;
}

TEST(Components, TheFirstMissingComponentIsNamedAndTheRestUntouched) {
  RecordingReporter reporter;
  int touched = 0;
  const std::vector<Component> components = {
      {"eins", [&] { return ++touched, true; }},
      {"libemf2svg.so.1", [&] { return ++touched, false; }},
      {"drei", [&] { return ++touched, true; }},
  };
  EXPECT_FALSE(InitComponents(reporter, components));
  EXPECT_EQ(touched, 2);
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].caption, "Kelmarin");
  EXPECT_EQ(reporter.messages[0].icon, MessageIcon::Critical);
  EXPECT_EQ(reporter.messages[0].text,
            "Die benötigte Komponente\r\nlibemf2svg.so.1\r\nist nicht vorhanden\r\n\r\n"
            "Bitte eine andere Installationsvariante von Kelmarin wählen!");
}

}  // namespace
}  // namespace kelmarin::test
