// Reading whole files for the backends that need their bytes in memory.

#include "image/Backends.h"

namespace kelmarin::codec {

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

std::uint64_t FileLength(std::FILE* file) {
  const long here = std::ftell(file);
  if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return 0;
  const long end = std::ftell(file);
  std::fseek(file, here, SEEK_SET);
  return end > 0 ? static_cast<std::uint64_t>(end) : 0;
}

bool Plausible(std::int64_t width, std::int64_t height, std::uint64_t fileBytes,
               std::uint64_t pixelsPerByte) {
  // Small images are never refused: a few headers and tables may be all a tiny picture needs.
  constexpr std::uint64_t kAlwaysPlausible = 1u << 16;
  if (width <= 0 || height <= 0) return true;  // the size check that follows refuses those
  const auto pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  return pixels <= kAlwaysPlausible || pixels / pixelsPerByte <= fileBytes;
}

}  // namespace kelmarin::codec
