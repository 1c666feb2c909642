#include "TestFiles.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "FileWriters.h"

namespace kelmarin::test {

std::vector<std::uint8_t> MakeJpeg(int width, int height, const std::vector<std::uint8_t>& app1) {
  samples::RgbImage grey(width, height);
  std::fill(grey.pixels.begin(), grey.pixels.end(), std::uint8_t{128});
  std::vector<samples::Segment> segments;
  if (!app1.empty()) segments.push_back({0xE1, app1});
  return samples::EncodeJpeg(grey, 75, segments);
}

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  WriteFile(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

RunResult RunCommand(const std::string& commandLine, const std::filesystem::path& scratch) {
  const std::filesystem::path out = scratch / "stdout.txt";
  const std::filesystem::path err = scratch / "stderr.txt";
  const int raw = std::system((commandLine + " >'" + out.string() + "' 2>'" + err.string() + "'").c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(out), ReadText(err)};
}

}  // namespace kelmarin::test
