// The backends of the heavier imaging libraries as the rest of the codec layer calls them: each loads
// its codec module on first use (once per process, on any thread) and passes the call on. A module
// that cannot be loaded makes its backend report kNoLibrary and its set-up fail.

#include "image/CodecModules.h"

#include <array>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <system_error>

#include "image/Backends.h"
#include "image/LibraryOutput.h"
#include "image/meta/JpegReader.h"
#include "image/meta/SharedLibrary.h"

namespace kelmarin::codec {

namespace {

constexpr const char* kSuffix = ".so";

std::atomic<bool> ownApplication{false};

bool OwnApplicationAllowed() {
  return ownApplication.load();
}

const CodecHost kHost{AllocateRgb, CompositeOnWhite, ReadAll,        FileLength, Plausible,
                      DecodeJpeg,  JpegDimensions,   OpenForReading, Orient,     OwnApplicationAllowed};

// Beside the program or shared object that holds the codec layer (the build tree, a copied folder,
// the installed image module of kelmarin-exif), in the installed module folder seen from the
// installed programs, then in the build tree's module folder (tests, benchmarks).
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

// The first module of that name that loads and belongs to this build; null when there is none.
const CodecModuleFunctions* Find(const CodecModule& kind) {
  const std::string name = std::string(kind.file) + kSuffix;
  for (const std::filesystem::path& folder : ModuleFolders()) {
    const std::filesystem::path file = folder / name;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) continue;
    SharedLibrary module = SharedLibrary::Open(file);
    CodecModuleEntry entry = nullptr;
    if (!module.Find(kCodecModuleEntrySymbol, entry)) continue;
    if (const CodecModuleFunctions* functions = entry(&kHost, KELMARIN_CODEC_MODULE_INTERFACE)) {
      module.Keep();  // for the rest of the process
      return functions;
    }
  }
  return nullptr;
}

std::array<std::once_flag, kCodecModuleCount> once;
std::array<std::atomic<const CodecModuleFunctions*>, kCodecModuleCount> loaded{};

const CodecModuleFunctions* Module(const CodecModule& kind) {
  std::call_once(once.at(kind.slot), [&kind] { loaded[kind.slot] = Find(kind); });
  return loaded[kind.slot];
}

}  // namespace

void AllowOwnApplication(bool allowed) {
  ownApplication = allowed;
}

void FinishModules() {
  for (const auto& module : loaded) {
    if (const CodecModuleFunctions* functions = module.load();
        functions != nullptr && functions->finish != nullptr)
      functions->finish();
  }
}

// The libraries behind the modules say on standard error what they find wrong with a file; the
// codec layer's error codes say it for the program.
Code DecodeByModule(const CodecModule& kind, std::FILE* file, int variant, RgbImage& pixels) {
  const CodecModuleFunctions* module = Module(kind);
  const LibraryOutputSilenced quiet;
  return module != nullptr ? module->decodeFile(file, variant, pixels) : kNoLibrary;
}

Code DimensionsByModule(const CodecModule& kind, std::FILE* file, int variant, Size& size) {
  const CodecModuleFunctions* module = Module(kind);
  const LibraryOutputSilenced quiet;
  return module != nullptr ? module->dimensionsFile(file, variant, size) : kNoLibrary;
}

Code DecodeByModule(const CodecModule& kind, const std::string& path, RgbImage& pixels) {
  const CodecModuleFunctions* module = Module(kind);
  const LibraryOutputSilenced quiet;
  return module != nullptr ? module->decodePath(path, pixels) : kNoLibrary;
}

Code DimensionsByModule(const CodecModule& kind, const std::string& path, Size& size) {
  const CodecModuleFunctions* module = Module(kind);
  const LibraryOutputSilenced quiet;
  return module != nullptr ? module->dimensionsPath(path, size) : kNoLibrary;
}

bool InitModule(const CodecModule& kind) {
  const CodecModuleFunctions* module = Module(kind);
  return module != nullptr && module->init();
}

}  // namespace kelmarin::codec
