// kelmarin-exif over many files in one process (read on several threads) writes exactly what
// listing each file on its own writes, in the order given: text, JSON and the error lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "FileWriters.h"
#include "TestFiles.h"
#include "TiffBuilder.h"

namespace kelmarin {
namespace {

namespace fs = std::filesystem;

TEST(ManyFiles, OneProcessListsAsEachFileAlone) {
  const fs::path dir = fs::temp_directory_path() / ("kelmarin-many-" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::vector<std::string> names;
  for (int i = 0; i < 100; ++i) {  // more than one batch of files
    const std::string name = "f" + std::to_string(i) + (i % 25 == 7 ? ".bmp" : ".jpg");
    if (i % 25 == 7) {
      ASSERT_TRUE(samples::WriteMagick((dir / name).string(), "BMP", samples::Quadrants(4, 4)));
    } else if (i % 10 == 3) {
      test::WriteFile(dir / name, std::string("kein Bild ") + std::to_string(i));
    } else {
      test::TiffBuilder tiff(i % 2 == 0 ? ByteOrder::LittleEndian : ByteOrder::BigEndian);
      tiff.SetFirstDirectory(tiff.AddDirectory({tiff.Ascii(0x010F, "Kamera " + std::to_string(i)),
                                                tiff.Short(0x0112, static_cast<std::uint16_t>(i % 8 + 1))}));
      const std::vector<std::uint8_t> app1 = tiff.App1();
      test::WriteFile(dir / name, test::MakeJpeg(8 + i, 8, {app1.begin() + 4, app1.end()}));
    }
    names.push_back(name);
  }
  const auto run = [&](const std::string& arguments) {
    return test::RunCommand(
        "cd '" + dir.string() + "' && LC_ALL=de_DE.UTF-8 '" + KELMARIN_EXIF + "' " + arguments, dir);
  };
  for (const std::string mode : {"", "--json "}) {
    std::string all, expectedOut, expectedErr;
    for (const std::string& name : names) {
      all += name + " ";
      const test::RunResult alone = run(mode + name);
      expectedErr += alone.err;
      std::string out = alone.out;
      if (!mode.empty()) {  // "[" object "]\n": the objects joined by commas
        out = out.substr(1, out.size() - 3);
        if (!expectedOut.empty()) expectedOut += ",";
      }
      expectedOut += out;
    }
    if (!mode.empty()) expectedOut = "[" + expectedOut + "]\n";
    const test::RunResult together = run(mode + all);
    EXPECT_EQ(together.status, 1);
    EXPECT_EQ(together.err, expectedErr);
    EXPECT_EQ(together.out, expectedOut) << mode;
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kelmarin
