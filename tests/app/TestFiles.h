#pragma once
// Files for the lister tests: JPEGs with hand-made EXIF blocks, written with libjpeg.

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace kelmarin::test {

// A little-endian TIFF structure: directories with entries, laid out as directories first, then
// the values that do not fit into an entry. Directory 0 is the first; links point to others.
class TiffBuilder {
 public:
  TiffBuilder() : directories(1) {}
  int AddDirectory();
  void Ascii(int directory, std::uint16_t tag, const std::string& text);  // adds the closing zero
  void Bytes(int directory, std::uint16_t tag, std::uint16_t type, const std::string& bytes);
  void Short(int directory, std::uint16_t tag, std::uint16_t value);
  void Rationals(int directory, std::uint16_t tag,
                 const std::vector<std::pair<std::uint32_t, std::uint32_t>>& values);
  // A LONG entry holding the offset of another directory (Exif 0x8769, GPS 0x8825).
  void Link(int directory, std::uint16_t tag, int target);
  // The directory whose offset the next-directory field of `directory` holds (thumbnail).
  void Next(int directory, int target);
  std::vector<std::uint8_t> Build() const;

 private:
  struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::vector<std::uint8_t> data;
    int link = -1;
  };
  struct Directory {
    std::vector<Entry> entries;
    int next = -1;
  };
  std::vector<Directory> directories;
};

// The APP1 payload "Exif\0\0" + TIFF bytes.
std::vector<std::uint8_t> ExifPayload(const TiffBuilder& tiff);

// A width x height baseline JPEG (grey) with the given APP1 payload (none when empty). Returns the
// file's bytes.
std::vector<std::uint8_t> MakeJpeg(int width, int height, const std::vector<std::uint8_t>& app1);

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
void WriteFile(const std::filesystem::path& path, const std::string& text);
// The whole file as bytes; empty when it cannot be read.
std::string ReadText(const std::filesystem::path& path);

// What a program run through the shell left: its exit status (-1 when it did not exit normally)
// and what it wrote to standard output and standard error.
struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs a shell command line with standard output and error sent to files in scratch.
RunResult RunCommand(const std::string& commandLine, const std::filesystem::path& scratch);

}  // namespace kelmarin::test
