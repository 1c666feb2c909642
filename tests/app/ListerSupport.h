#pragma once
// What the tests of kelmarin-exif share: small generated JPEGs, files written and read whole, and
// the program run through the shell with its status and both outputs.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

// The JSON a run wrote; text that is no JSON fails the test.
inline QJsonDocument Json(const std::string& text) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
  return document;
}

// The text form's escaping, one byte at a time: TAB, LF, CR and the backslash by their letters, the
// other control bytes as \xNN.
inline std::string EscapedByteByByte(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\t' || c == '\n' || c == '\r' || c == '\\') {
      out += c == '\t' ? "\\t" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\\\";
    } else if (u < 0x20) {
      out += "\\x" + std::string(1, "0123456789abcdef"[u >> 4]) + "0123456789abcdef"[u & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace kelmarin::listertest
