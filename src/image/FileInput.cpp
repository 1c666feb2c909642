// Opening image files: the only platform-dependent file code of the codec layer.

#include <filesystem>
#include <system_error>

#include "image/Backends.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kelmarin::codec {

namespace {

std::filesystem::path PathFromUtf8(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

}  // namespace

FilePtr OpenForReading(const std::string& path) {
  if (path.empty()) return nullptr;
  std::error_code error;
  // A FIFO or device would block or never end: only regular files (or links to them) are opened.
  if (!std::filesystem::is_regular_file(PathFromUtf8(path), error) || error) return nullptr;
#ifdef _WIN32
  return FilePtr(_wfopen(PathFromUtf8(path).c_str(), L"rb"));
#else
  return FilePtr(std::fopen(path.c_str(), "rb"));
#endif
}

Code ReadAll(std::FILE* file, std::size_t limit, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  std::uint8_t chunk[65536];
  for (;;) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
    if (got == 0) break;
    if (bytes.size() + got > limit) {
      bytes.clear();
      return kNoMemory;
    }
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  if (std::ferror(file)) return kCannotOpen;
  return kOk;
}

}  // namespace kelmarin::codec
