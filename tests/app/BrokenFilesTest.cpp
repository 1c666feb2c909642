// kelmarin-exif over damaged and hostile files: every file is either listed or reported, the
// program ends normally, and the JSON document stays well-formed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <filesystem>
#include <random>

#include "TestFiles.h"

namespace kelmarin {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Raw(const std::string& bytes) {
  return {bytes.begin(), bytes.end()};
}

// Little-endian bytes of each value, v[i] taking size[i] bytes.
std::string Le(std::initializer_list<std::pair<std::uint32_t, int>> values) {
  std::string s;
  for (const auto& [v, size] : values) {
    for (int i = 0; i < size; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
  }
  return s;
}

// "Exif\0\0" + a little-endian TIFF header pointing at `ifd`, followed by `body`.
std::vector<std::uint8_t> ExifBlock(std::uint32_t ifd, const std::string& body) {
  return Raw(std::string("Exif\0\0II*\0", 10) + Le({{ifd, 4}}) + body);
}
std::string Entry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value) {
  return Le({{tag, 2}, {type, 2}, {count, 4}, {value, 4}});
}
std::string Directory(const std::vector<std::string>& entries, std::uint32_t next) {
  std::string s = Le({{static_cast<std::uint32_t>(entries.size()), 2}});
  for (const std::string& e : entries) s += e;
  return s + Le({{next, 4}});
}

TEST(ListerOverBrokenFiles, EveryFileListedOrReported) {
  const fs::path dir = fs::temp_directory_path() / ("kelmarin-broken-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::vector<std::string> files;
  auto add = [&](const std::string& name, const std::vector<std::uint8_t>& bytes) {
    test::WriteFile(dir / name, bytes);
    files.push_back(name);
  };
  const std::vector<std::vector<std::uint8_t>> blocks = {
      ExifBlock(0xFFFFFFF0u, ""),                                                     // directory far outside
      ExifBlock(8, Directory({Entry(0x010F, 2, 20, 0)}, 8)),                          // next link to itself
      ExifBlock(8, Directory({Entry(0x8825, 4, 1, 8), Entry(0xA005, 4, 1, 8)}, 8)),   // every loop at once
      ExifBlock(8, Directory({Entry(0x0111, 4, 0xFFFFFFFFu, 0xFFFFFF00u)}, 0)),       // count overflow
      ExifBlock(8, Directory({Entry(0x829A, 5, 0x40000000u, 26)}, 0)),                // huge rational count
      ExifBlock(8, Directory({Entry(0x9286, 7, 0, 0), Entry(0x0100, 13, 1, 0)}, 0)),  // count 0, bad type
      ExifBlock(8,
                Directory({Entry(0x8825, 4, 1, 26)}, 0) +
                    Directory({Entry(2, 5, 3, 0xFFFF), Entry(4, 10, 3, 8), Entry(0, 1, 4, 0x00000202)}, 0)),
      ExifBlock(8,
                Directory({Entry(0x927C, 7, 100, 26), Entry(0x010F, 2, 6, 44)}, 0) + "Nikon\0\2\0\0\0MM\0*"),
      ExifBlock(8, std::string(2, '\xFF')),             // 65535 entries, no bytes
      Raw(std::string("Exif\0\0MM\0*\0\0\0\x08", 14)),  // header only
      Raw(std::string("Exif", 4)),
  };
  for (std::size_t i = 0; i < blocks.size(); ++i)
    add("hostile" + std::to_string(i) + ".jpg", test::MakeJpeg(8, 8, blocks[i]));
  const auto good = test::MakeJpeg(8, 8, blocks[6]);
  for (std::size_t cut :
       {std::size_t{2}, std::size_t{3}, std::size_t{20}, good.size() / 2, good.size() - 2}) {
    add("cut" + std::to_string(cut) + ".jpg",
        std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(cut)));
  }
  std::mt19937 random(5);
  for (int i = 0; i < 40; ++i) {
    auto bytes = good;
    for (int k = 0; k < 8; ++k) bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
    add("flipped" + std::to_string(i) + ".jpg", bytes);
  }
  for (const char* name :
       {"text.png", "text.tif", "text.gif", "text.bmp", "text.cr2", "text.jp2", "noext", "text.pcd"})
    add(name, Raw("kein Bild, nur Text\n"));
  add("soi-only", Raw("\xFF\xD8\xFF"));
  add("png-signature.png", Raw("\x89PNG\r\n\x1a\n\0\0\0\rIHDR"));

  for (const std::string mode : {"", "--json "}) {
    std::string command = "cd '" + dir.string() + "' && LC_ALL=de_DE.UTF-8 '" + KELMARIN_EXIF + "' " + mode;
    for (const std::string& f : files) command += "'" + f + "' ";
    const test::RunResult r = test::RunCommand(command, dir);
    ASSERT_TRUE(r.status == 0 || r.status == 1) << "ended by a signal or failed: " << mode;
    for (const std::string& f : files) {
      const bool listed = r.out.find(mode.empty() ? "# " + f + "\n" : "\"" + f + "\"") != std::string::npos;
      const bool reported = r.err.find(": " + f + "\n") != std::string::npos;
      EXPECT_TRUE(listed != reported || (!mode.empty() && listed)) << f;
    }
    if (!mode.empty()) {
      QJsonParseError error;
      const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
      EXPECT_EQ(error.error, QJsonParseError::NoError);
      EXPECT_EQ(doc.array().size(), static_cast<qsizetype>(files.size()));
    }
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kelmarin
