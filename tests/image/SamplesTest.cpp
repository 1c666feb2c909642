// The bundled samples written at build time: every file decodes, the metadata-only path agrees, and
// each camera JPEG is read with its maker's makernote layout.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "ImageTestSupport.h"

namespace kelmarin::test {
namespace {

std::string Extension(const std::filesystem::path& path) {
  std::string e = path.extension().string();
  return e.empty() ? e : e.substr(1);
}

TEST(Samples, EveryFileDecodesAndItsDimensionsAgree) {
  const std::filesystem::path folder = KELMARIN_SAMPLES_DIR;
  ASSERT_TRUE(std::filesystem::is_directory(folder));
  std::map<std::string, int> formats;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string format = Extension(entry.path());
    if (!entry.is_regular_file() || TypeCode(format) == kTypeUnknown) continue;
    SCOPED_TRACE(entry.path().string());
    ++formats[format];
    RecordingReporter reporter;
    ZetImage image(nullptr, &reporter);
    std::int32_t b = 0, h = 0, t = 0;
    ASSERT_EQ(image.load(entry.path().string(), TypeCode(format), b, h, t), 0);
    EXPECT_GT(b, 0);
    // The window lists the directories of TIFF-based files as the lister does.
    if (format == "tif" || format == "dng") {
      EXPECT_GT(image.ExifCount(1), 0);
    }
    std::int32_t type = TypeCode(format), w = 0, hh = 0;
    ZetImage dims;
    EXPECT_FALSE(dims.GetImageDims(entry.path().string(), type, w, hh));
    EXPECT_EQ(w, b);
    EXPECT_EQ(hh, h);
  }
  for (const std::string& format : AllFormats()) EXPECT_GE(formats[format], 1) << format;
}

}  // namespace
}  // namespace kelmarin::test
