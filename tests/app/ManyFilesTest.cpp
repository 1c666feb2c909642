// kelmarin-exif over many files in one process (read on several threads) writes exactly what
// listing each file on its own writes, in the order given: text, JSON and the error lines. RAW
// files of no known container need LibRaw only, not the image module.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "FileWriters.h"
#include "TestFiles.h"
#include "TiffBuilder.h"

namespace kelmarin {
namespace {

namespace fs = std::filesystem;

const fs::path kDir = fs::temp_directory_path() / ("kelmarin-many-" + std::to_string(getpid()));

test::RunResult RunLister(const fs::path& program, const std::string& arguments) {
  return test::RunCommand("cd '" + kDir.string() + "' && LC_ALL=de_DE.UTF-8 '" + program.string() +
                              "' --definitions '" + KELMARIN_DEF_FILE + "' " + arguments,
                          kDir);
}

TEST(ManyFiles, OneProcessListsAsEachFileAlone) {
  fs::create_directories(kDir);
  std::vector<std::string> names;
  for (int i = 0; i < 100; ++i) {  // more than one batch of files
    names.push_back("f" + std::to_string(i) + (i % 25 == 7 ? ".bmp" : ".jpg"));
    const fs::path path = kDir / names.back();
    test::TiffBuilder tiff(i % 2 == 0 ? ByteOrder::LittleEndian : ByteOrder::BigEndian);
    tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Ascii(0x010F, "Kamera " + std::to_string(i)),
                                              tiff.Short(0x0112, static_cast<std::uint16_t>(i % 8 + 1))}));
    const std::vector<std::uint8_t> app1 = tiff.App1();
    if (i % 25 == 7) {
      ASSERT_TRUE(samples::WriteMagick(path.string(), "BMP", samples::Quadrants(4, 4)));
    } else {
      test::WriteFile(path, i % 10 == 3 ? std::vector<std::uint8_t>(9, 7)
                                        : test::MakeJpeg(8 + i, 8, {app1.begin() + 4, app1.end()}));
    }
  }
  for (const std::string mode : {"", "--json "}) {
    std::string all, out, err;
    for (const std::string& name : names) {
      all += name + " ";
      const test::RunResult alone = RunLister(KELMARIN_EXIF, mode + name);
      err += alone.err;
      // JSON: "[" object "]\n" each, the objects joined by commas
      out += mode.empty() ? alone.out : (out.empty() ? "" : ",") + alone.out.substr(1, alone.out.size() - 3);
    }
    const test::RunResult together = RunLister(KELMARIN_EXIF, mode + all);
    EXPECT_EQ(together.status, 1);
    EXPECT_EQ(together.err, err);
    EXPECT_EQ(together.out, mode.empty() ? out : "[" + out + "]\n") << mode;
  }
  fs::remove_all(kDir);
}

TEST(ManyFiles, RawFilesNeedNoImageModule) {
  fs::create_directories(kDir / "bin");
  const fs::path lonely = kDir / "bin" / "kelmarin-exif";
  fs::copy_file(KELMARIN_EXIF, lonely);
  test::WriteFile(kDir / "good.jpg", test::MakeJpeg(8, 4, {}));
  test::WriteFile(kDir / "cut.crw", std::string("II\x1a\0\0\0HEAPCCDR\0\0\0\0", 18));
  const test::RunResult r = RunLister(lonely, "cut.crw good.jpg");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Fehler 1003: cut.crw\n");
  EXPECT_EQ(r.out, "# good.jpg\n\tKeine Exif Infos\t\t\n");
  fs::remove_all(kDir);
}

}  // namespace
}  // namespace kelmarin
