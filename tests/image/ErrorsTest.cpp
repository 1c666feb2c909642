// Error numbers, sources and descriptions of the image object; the stopwatch; the component check.

#include <gtest/gtest.h>

#include <thread>

#include "ImageTestSupport.h"
#include "image/Components.h"
#include "image/StopWatch.h"

namespace kelmarin::test {
namespace {

void ExpectError(const std::optional<ImageError>& error, std::int32_t number, const std::string& source,
                 const std::string& description) {
  ASSERT_TRUE(error);
  EXPECT_EQ(error->number, number);
  EXPECT_EQ(error->source, source);
  EXPECT_EQ(error->description, description);
}

TEST(Errors, NumbersSourcesAndDescriptions) {
  ScratchFolder folder;
  const std::string jpg = folder.Path("image.jpg");
  WriteImageFile(jpg, "jpg", samples::Quadrants(16, 16));
  ZetImage image;
  QImage pixels;
  std::int32_t w = 0, h = 0;
  ExpectError(image.ReadImage(folder.Path("missing.jpg"), kTypeJpeg, pixels, w, h), 1001, "ReadImage",
              "IS_OpenFileSource");
  for (const std::int32_t type : {std::int32_t{kTypeJpeg2000}, 16, 99, -1}) {
    SCOPED_TRACE(type);
    ExpectError(image.ReadImage(jpg, type, pixels, w, h), 1002, "ReadImage", "IS_ReadXXX");
    std::int32_t t = type;
    ExpectError(image.GetImageDims(jpg, t, w, h), 1002, "GetImageDims", "IS_GetXXXDims");
  }
  ExpectError(image.ReadImage(jpg, kTypeGif, pixels, w, h), 1003, "ReadImage", "IS_ReadXXX");
  std::int32_t t = kTypePng;
  ExpectError(image.GetImageDims(jpg, t, w, h), 1003, "GetImageDims", "IS_GetXXXDims");
  ExpectError(image.GetImageDims(folder.Path("missing.jpg"), t, w, h), 1001, "GetImageDims",
              "IS_OpenFileSource");
}

TEST(Errors, Jpeg2000OnANewObject) {
  ScratchFolder folder;
  const std::string path = folder.Path("image.jp2");
  WriteFileBytes(path, {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A});
  RecordingReporter reporter;
  ZetImage image(nullptr, &reporter);
  std::int32_t b = 0, h = 0, t = 0;
  EXPECT_EQ(image.load(path, kTypeJpeg2000, b, h, t), 2);
  EXPECT_EQ(image.Breite, 0);
  EXPECT_EQ(image.Höhe, 0);
  EXPECT_EQ(image.filename, path);
  EXPECT_EQ(image.imagetype, kTypeJpeg2000);
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text, "Fehler 1002\nReadImgage: " + path);
  EXPECT_EQ(reporter.messages[0].icon, MessageIcon::None);  // an OK button and no icon
}

TEST(Errors, FileNamesInMessagesAreUtf8) {
  ScratchFolder folder;
  const std::string path = folder.Path("bild\xE4.jpg");  // a Latin-1 byte in the name
  RecordingReporter reporter;
  ZetImage image(nullptr, &reporter);
  std::int32_t b = 0, h = 0, t = 0;
  EXPECT_EQ(image.load(path, kTypeJpeg, b, h, t), 2);
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text, "Fehler 1001\nReadImgage: " + folder.Path("bild\xC3\xA4.jpg"));
}

TEST(Load, SetsFieldsAndOutValues) {
  ScratchFolder folder;
  const std::string path = folder.Path("image.png");
  WriteImageFile(path, "png", samples::Quadrants(33, 17));
  RecordingReporter reporter;
  ZetImage image(nullptr, &reporter);
  std::int32_t b = 0, h = 0, t = -5;
  EXPECT_EQ(image.load(path, kTypePng, b, h, t), 0);
  EXPECT_EQ(image.filename, path);
  EXPECT_EQ(image.imagetype, kTypePng);
  EXPECT_EQ(b, 33);
  EXPECT_EQ(h, 17);
  EXPECT_EQ(t, image.Elapsed);
  EXPECT_GE(t, 0);
  EXPECT_TRUE(reporter.messages.empty());
}

TEST(StopWatch, StartsAtZeroAndDoesNotWrap) {
  CStopWatch watch;
  EXPECT_LT(watch.Elapsed(), 1000);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_GE(watch.Elapsed(), 20);
  watch.Reset();
  EXPECT_LT(watch.Elapsed(), 20);
  EXPECT_GE(watch.MinimumResolution(), 1);
  EXPECT_GE(watch.MaximumResolution(), watch.MinimumResolution());
  // Past 2^31 ms a 32-bit count would overflow; the reading stays at the largest value instead.
  using std::chrono::milliseconds;
  EXPECT_EQ(CStopWatch::ToMilliseconds(milliseconds(2147483647)), 2147483647);
  EXPECT_EQ(CStopWatch::ToMilliseconds(milliseconds(2147483648LL)), 2147483647);
  EXPECT_EQ(CStopWatch::ToMilliseconds(milliseconds(5000000000LL)), 2147483647);
  EXPECT_EQ(CStopWatch::ToMilliseconds(milliseconds(1234)), 1234);
}

TEST(Components, AllBackendsAreThereAndTheSystemFolderIsKnown) {
  RecordingReporter reporter;
  EXPECT_TRUE(InitComponents(reporter));
  EXPECT_TRUE(reporter.messages.empty());
  EXPECT_FALSE(system_directory.empty());
  EXPECT_NE(system_directory.back(), '/');
  EXPECT_TRUE(std::filesystem::is_directory(system_directory)) << system_directory;
  EXPECT_TRUE(InitComponents(reporter));  // each backend initialises once; asking again is harmless
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
