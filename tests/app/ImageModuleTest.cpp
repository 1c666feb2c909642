// kelmarin-exif and its image module: the listing of JPEG and PNG files needs no module; --info and
// the other formats load it, and without it the program says so and stops with status 2.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "TestFiles.h"

namespace kelmarin {
namespace {

namespace fs = std::filesystem;

using Outcome = test::RunResult;

class ImageModule : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("kelmarin-module-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "bin");
    // The program alone, without the module beside it.
    lonely = dir / "bin" / "kelmarin-exif";
    fs::copy_file(KELMARIN_EXIF, lonely);
    test::WriteFile(dir / "good.jpg", test::MakeJpeg(8, 4, {}));
    fs::copy_file(fs::path(KELMARIN_SAMPLES_DIR) / "landscape.gif", dir / "picture.gif");
    fs::copy_file(fs::path(KELMARIN_SAMPLES_DIR) / "landscape.gif", dir / "picture");
  }
  void TearDown() override { fs::remove_all(dir); }

  Outcome Start(const fs::path& program, const std::string& arguments) const {
    return test::RunCommand("cd '" + dir.string() + "' && LC_ALL=de_DE.UTF-8 '" + program.string() +
                                "' --definitions '" + KELMARIN_DEF_FILE + "' " + arguments,
                            dir);
  }
  bool ModuleInstalled() const {
    return fs::exists(fs::path(KELMARIN_INSTALL_MODULE_DIR) / "kelmarin-exif-image.so");
  }

  fs::path dir;
  fs::path lonely;
};

TEST_F(ImageModule, MissingModuleStopsOnlyWhatNeedsIt) {
  if (ModuleInstalled()) GTEST_SKIP() << "an installed module would be found";
  // JPEG (and PNG) files are listed without it.
  Outcome r = Start(lonely, "good.jpg");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("# good.jpg\n", 0), 0u);
  // --info and a file named as another format: the reason, before any output.
  const std::string reason = "kelmarin-exif: Das Bildmodul kelmarin-exif-image.so fehlt";
  for (const std::string arguments :
       {"--info good.jpg", "good.jpg picture.gif", "--json good.jpg picture.gif"}) {
    SCOPED_TRACE(arguments);
    r = Start(lonely, arguments);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.rfind(reason, 0), 0u) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
  }
  // Another format found by content: the files before it are listed, then the program stops.
  r = Start(lonely, "good.jpg picture good.jpg");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "# good.jpg\n\tKeine Exif Infos\t\t\n");
  EXPECT_EQ(r.err.rfind(reason, 0), 0u) << r.err;
}

TEST_F(ImageModule, EveryFormatOfTheSamplesIsListedAndLoaded) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(KELMARIN_SAMPLES_DIR)) {
    if (entry.path().stem() == "landscape") names.push_back(entry.path().string());
  }
  std::sort(names.begin(), names.end());
  ASSERT_GE(names.size(), 10u);
  std::string arguments;
  for (const std::string& name : names) arguments += "'" + name + "' ";
  Outcome r = Start(KELMARIN_EXIF, arguments);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");  // nor any chatter of the libraries or of Qt
  for (const std::string& name : names) {
    // TIFF and DNG carry their directories as metadata.
    const bool tiff = name.ends_with(".tif") || name.ends_with(".dng");
    const std::string rows = tiff ? "\tSektion Main\t\t\n" : "\tKeine Exif Infos\t\t\n";
    EXPECT_NE(r.out.find("# " + name + "\n" + rows), std::string::npos) << name;
  }
  // Fully loaded, the metafile ones included (EMF is drawn with a GUI application the module makes).
  r = Start(KELMARIN_EXIF, "--info " + arguments);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), static_cast<long>(names.size()) * 6);
}

}  // namespace
}  // namespace kelmarin
