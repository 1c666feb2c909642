#include "DefinitionFile.h"

#include <system_error>

namespace kelmarin::lister {

namespace {
constexpr const char* kFileName = "metadata.def";
}

std::filesystem::path ExecutableFolder() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return self.parent_path();
}

std::filesystem::path DefaultDefinitionFile() {
  return DefaultDataFile(kFileName);
}

std::filesystem::path DefaultDataFile(const char* fileName) {
  const std::filesystem::path besideProgram = ExecutableFolder() / fileName;
  const std::filesystem::path candidates[] = {
      besideProgram,
      (ExecutableFolder() / KELMARIN_RELATIVE_DATA_DIR / fileName).lexically_normal(),
      std::filesystem::path(KELMARIN_INSTALL_DATA_DIR) / fileName,
      std::filesystem::path(KELMARIN_SOURCE_DATA_DIR) / fileName,
  };
  for (const std::filesystem::path& candidate : candidates) {
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error)) return candidate;
  }
  return besideProgram;
}

}  // namespace kelmarin::lister
