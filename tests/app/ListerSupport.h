#pragma once
// What the tests of kelmarin-exif share: small generated JPEGs, files written and read whole, and
// the program run through the shell with its status and both outputs.

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "FileWriters.h"

namespace kelmarin::listertest {

namespace fs = std::filesystem;

// A width x height grey baseline JPEG with the given APP1 payload ("Exif\0\0" + TIFF; none when empty).
inline std::vector<std::uint8_t> MakeJpeg(int width, int height, const std::vector<std::uint8_t>& app1) {
  samples::RgbImage grey(width, height);
  std::fill(grey.pixels.begin(), grey.pixels.end(), std::uint8_t{128});
  std::vector<samples::Segment> segments;
  if (!app1.empty()) segments.push_back({0xE1, app1});
  return samples::EncodeJpeg(grey, 75, segments);
}

inline void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
inline std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The exit status of a shell command line (-1 when it did not exit normally) and what it wrote to
// standard output and standard error (sent to files in scratch).
struct RunResult {
  int status = -1;
  std::string out, err;
};
inline RunResult RunCommand(const std::string& commandLine, const fs::path& scratch) {
  const fs::path out = scratch / "stdout.txt", err = scratch / "stderr.txt";
  const int raw = std::system((commandLine + " >'" + out.string() + "' 2>'" + err.string() + "'").c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(out), ReadText(err)};
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace kelmarin::listertest
