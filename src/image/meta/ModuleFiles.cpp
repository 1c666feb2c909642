// Finding and loading the codec modules (see image/CodecModules.h), for the codec layer and for the
// metadata-only path, which asks a module for what only its library reads.

#include <array>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "image/CodecModules.h"
#include "image/meta/SharedLibrary.h"

namespace kelmarin::codec {

namespace {

std::vector<std::filesystem::path> ModuleFolders() {
  std::vector<std::filesystem::path> folders;
  if (const std::filesystem::path own = FileHolding(reinterpret_cast<const void*>(&ModuleFolders));
      own.is_absolute()) {
    folders.push_back(own.parent_path());
    folders.push_back(own.parent_path() / KELMARIN_CODEC_MODULE_RELATIVE_DIR);
  }
  folders.emplace_back(KELMARIN_CODEC_MODULE_BUILD_DIR);
  return folders;
}

}  // namespace

const CodecModuleFunctions* LoadCodecModule(const CodecModule& kind, const CodecHost* host) {
  const std::string name = std::string(kind.file) + ".so";
  for (const std::filesystem::path& folder : ModuleFolders()) {
    const std::filesystem::path file = folder / name;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) continue;
    SharedLibrary module = SharedLibrary::Open(file);
    CodecModuleEntry entry = nullptr;
    if (!module.Find(kCodecModuleEntrySymbol, entry)) continue;
    if (const CodecModuleFunctions* functions = entry(host, KELMARIN_CODEC_MODULE_INTERFACE)) {
      module.Keep();  // for the rest of the process
      return functions;
    }
  }
  return nullptr;
}

void ReadProfileByModule(const CodecModule& kind, std::span<const std::uint8_t> file,
                         std::vector<std::uint8_t>& icc, bool& transformed) {
  static std::array<std::once_flag, kCodecModuleCount> once;
  static std::array<std::atomic<const CodecModuleFunctions*>, kCodecModuleCount> loaded{};
  icc.clear();
  transformed = false;
  std::call_once(once.at(kind.slot), [&kind] { loaded[kind.slot] = LoadCodecModule(kind, nullptr); });
  const CodecModuleFunctions* module = loaded[kind.slot];
  if (module != nullptr && module->readProfile != nullptr) module->readProfile(file, icc, transformed);
}

}  // namespace kelmarin::codec
