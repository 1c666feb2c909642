#include "TestFiles.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "FileWriters.h"

namespace kelmarin::test {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

int TiffBuilder::AddDirectory() {
  directories.emplace_back();
  return static_cast<int>(directories.size()) - 1;
}

void TiffBuilder::Bytes(int directory, std::uint16_t tag, std::uint16_t type, const std::string& bytes) {
  Entry e;
  e.tag = tag;
  e.type = type;
  e.count = static_cast<std::uint32_t>(bytes.size());
  e.data.assign(bytes.begin(), bytes.end());
  directories[static_cast<std::size_t>(directory)].entries.push_back(std::move(e));
}

void TiffBuilder::Ascii(int directory, std::uint16_t tag, const std::string& text) {
  Bytes(directory, tag, 2, text + std::string(1, '\0'));
}

void TiffBuilder::Short(int directory, std::uint16_t tag, std::uint16_t value) {
  Entry e;
  e.tag = tag;
  e.type = 3;
  e.count = 1;
  Put16(e.data, value);
  directories[static_cast<std::size_t>(directory)].entries.push_back(std::move(e));
}

void TiffBuilder::Rationals(int directory, std::uint16_t tag,
                            const std::vector<std::pair<std::uint32_t, std::uint32_t>>& values) {
  Entry e;
  e.tag = tag;
  e.type = 5;
  e.count = static_cast<std::uint32_t>(values.size());
  for (const auto& [n, d] : values) {
    Put32(e.data, n);
    Put32(e.data, d);
  }
  directories[static_cast<std::size_t>(directory)].entries.push_back(std::move(e));
}

void TiffBuilder::Link(int directory, std::uint16_t tag, int target) {
  Entry e;
  e.tag = tag;
  e.type = 4;
  e.count = 1;
  e.link = target;
  directories[static_cast<std::size_t>(directory)].entries.push_back(std::move(e));
}

void TiffBuilder::Next(int directory, int target) {
  directories[static_cast<std::size_t>(directory)].next = target;
}

std::vector<std::uint8_t> TiffBuilder::Build() const {
  std::vector<std::uint32_t> offsets;
  std::uint32_t at = 8;
  for (const Directory& d : directories) {
    offsets.push_back(at);
    at += static_cast<std::uint32_t>(2 + 12 * d.entries.size() + 4);
  }
  std::vector<std::uint8_t> out = {'I', 'I', 42, 0};
  Put32(out, 8);
  std::vector<std::uint8_t> data;
  for (const Directory& d : directories) {
    Put16(out, static_cast<std::uint32_t>(d.entries.size()));
    for (const Entry& e : d.entries) {
      Put16(out, e.tag);
      Put16(out, e.type);
      Put32(out, e.count);
      if (e.link >= 0) {
        Put32(out, offsets[static_cast<std::size_t>(e.link)]);
      } else if (e.data.size() <= 4) {
        std::vector<std::uint8_t> inline4 = e.data;
        inline4.resize(4, 0);
        out.insert(out.end(), inline4.begin(), inline4.end());
      } else {
        Put32(out, at + static_cast<std::uint32_t>(data.size()));
        data.insert(data.end(), e.data.begin(), e.data.end());
        if (data.size() % 2 != 0) data.push_back(0);
      }
    }
    Put32(out, d.next >= 0 ? offsets[static_cast<std::size_t>(d.next)] : 0);
  }
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

std::vector<std::uint8_t> ExifPayload(const TiffBuilder& tiff) {
  std::vector<std::uint8_t> out = {'E', 'x', 'i', 'f', 0, 0};
  const auto body = tiff.Build();
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

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
  const std::string command = commandLine + " >'" + out.string() + "' 2>'" + err.string() + "'";
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(out), ReadText(err)};
}

}  // namespace kelmarin::test
