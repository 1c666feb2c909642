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

}  // namespace kelmarin::codec
