#pragma once
// Files for the lister tests and running the lister.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kelmarin::test {

// A width x height baseline JPEG (grey) with the given APP1 payload ("Exif\0\0" + TIFF; none when
// empty). Returns the file's bytes.
std::vector<std::uint8_t> MakeJpeg(int width, int height, const std::vector<std::uint8_t>& app1);

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
void WriteFile(const std::filesystem::path& path, const std::string& text);
// The whole file as bytes; empty when it cannot be read.
std::string ReadText(const std::filesystem::path& path);

// What a shell command line left: its exit status (-1 when it did not exit normally) and what it
// wrote to standard output and standard error (sent to files in scratch).
struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};
RunResult RunCommand(const std::string& commandLine, const std::filesystem::path& scratch);

}  // namespace kelmarin::test
