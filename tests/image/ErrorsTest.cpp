// Error numbers, sources and descriptions of the image object; the stopwatch; the component check.

#include <gtest/gtest.h>

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
