#pragma once
// Where the program keeps what it may compute again: the stamps of definition files that loaded
// without fault, the folders' records.

#include <cstdlib>
#include <filesystem>

namespace kelmarin {

// The value of an environment variable when it is an absolute path, else empty.
inline std::filesystem::path AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return {};
  std::filesystem::path path(value);
  return path.is_absolute() ? path : std::filesystem::path();
}

// The user's cache folder ($XDG_CACHE_HOME, else ~/.cache) + "kelmarin". Empty when there is none
// (then every start reads the whole definition file).
inline std::filesystem::path CacheFolder() {
  if (const std::filesystem::path cache = AbsoluteFromEnvironment("XDG_CACHE_HOME"); !cache.empty()) {
    return cache / "kelmarin";
  }
  const std::filesystem::path home = AbsoluteFromEnvironment("HOME");
  return home.empty() ? home : home / ".cache" / "kelmarin";
}

}  // namespace kelmarin
