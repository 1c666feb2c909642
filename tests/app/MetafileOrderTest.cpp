// kelmarin-exif --info in a German locale: EMF and WMF files decode in one run, in either order
// (drawing an EMF sets up a GUI application, which must leave the numbers of the WMF drawing alone).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "FileWriters.h"
#include "TestFiles.h"

namespace kelmarin {
namespace {

namespace fs = std::filesystem;

TEST(MetafileOrder, EmfAndWmfDecodeInEitherOrder) {
  const fs::path dir = fs::temp_directory_path() / ("kelmarin-metafiles-" + std::to_string(getpid()));
  fs::create_directories(dir);
  ASSERT_TRUE(samples::WriteBytes((dir / "a.emf").string(), samples::MakeEmf(120, 80)));
  ASSERT_TRUE(samples::WriteBytes((dir / "b.wmf").string(), samples::MakeWmf(120, 80, "1,5")));
  for (const std::string files : {"a.emf b.wmf", "b.wmf a.emf"}) {
    SCOPED_TRACE(files);
    const test::RunResult r =
        test::RunCommand("cd '" + dir.string() + "' && LC_ALL=de_DE.UTF-8 '" + KELMARIN_EXIF +
                             "' --definitions '" + KELMARIN_DEF_FILE + "' --info " + files,
                         dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("a.emf\n"), std::string::npos);
    EXPECT_NE(r.out.find("Bildausdehnung: ", r.out.find("b.wmf\n")), std::string::npos);
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kelmarin
