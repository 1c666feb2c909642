// A camera RAW file of no container the metadata-only path knows is checked by LibRaw alone: the
// program without its image module beside it still lists it (or reports it), and carries on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "TestFiles.h"

namespace kelmarin {
namespace {

namespace fs = std::filesystem;

TEST(RawProbe, RawFilesNeedNoImageModule) {
  const fs::path dir = fs::temp_directory_path() / ("kelmarin-rawprobe-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "bin");
  const fs::path lonely = dir / "bin" / "kelmarin-exif";
  fs::copy_file(KELMARIN_EXIF, lonely);
  test::WriteFile(dir / "good.jpg", test::MakeJpeg(8, 4, {}));
  test::WriteFile(dir / "cut.crw", std::string("II\x1a\0\0\0HEAPCCDR\0\0\0\0", 18));
  const test::RunResult r = test::RunCommand("cd '" + dir.string() + "' && '" + lonely.string() +
                                                 "' --definitions '" + KELMARIN_DEF_FILE + "' cut.crw good.jpg",
                                             dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Fehler 1003: cut.crw\n");
  EXPECT_EQ(r.out, "# good.jpg\n\tKeine Exif Infos\t\t\n");
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kelmarin
