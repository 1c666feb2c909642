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

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace kelmarin::codec {

namespace {

enum ModuleKind { kHeifModule, kJxlModule, kMagickModule, kRawModule, kTiffModule, kEmfModule, kModuleCount };

#ifdef _WIN32
constexpr const char* kSuffix = ".dll";
#else
constexpr const char* kSuffix = ".so";
#endif
constexpr std::array<const char*, kModuleCount> kModuleNames = {
    "kelmarin-codec-heif", "kelmarin-codec-jxl",  "kelmarin-codec-magick",
    "kelmarin-codec-raw",  "kelmarin-codec-tiff", "kelmarin-codec-emf"};

std::atomic<bool> ownApplication{false};

bool OwnApplicationAllowed() {
  return ownApplication.load();
}

const CodecHost kHost{AllocateRgb, CompositeOnWhite, ReadAll,        FileLength, Plausible,
                      DecodeJpeg,  JpegDimensions,   OpenForReading, Orient,     OwnApplicationAllowed};

// The file of the program or shared object this code is part of.
std::filesystem::path OwnFile() {
  std::error_code error;
#ifdef _WIN32
  HMODULE self = nullptr;
  wchar_t name[MAX_PATH] = {};
  if (GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&OwnFile), &self) &&
      GetModuleFileNameW(self, name, MAX_PATH) > 0) {
    return name;
  }
  return {};
#else
  // The main program's name as dladdr gives it may be relative to a folder left since: its link
  // in /proc is not.
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&OwnFile), &info) != 0 && info.dli_fname != nullptr &&
      std::filesystem::path(info.dli_fname).is_absolute()) {
    return std::filesystem::canonical(info.dli_fname, error);
  }
  return std::filesystem::read_symlink("/proc/self/exe", error);
#endif
}

// Beside the program or shared object that holds the codec layer (the build tree, a copied folder,
// the installed image module of kelmarin-exif), in the installed module folder seen from the
// installed programs, then in the build tree's module folder (tests, benchmarks).
std::vector<std::filesystem::path> ModuleFolders() {
  std::vector<std::filesystem::path> folders;
  if (const std::filesystem::path own = OwnFile(); own.is_absolute()) {
    folders.push_back(own.parent_path());
    folders.push_back(own.parent_path() / KELMARIN_CODEC_MODULE_RELATIVE_DIR);
  }
  folders.emplace_back(KELMARIN_CODEC_MODULE_BUILD_DIR);
  return folders;
}

void* OpenModule(const std::filesystem::path& file) {
#ifdef _WIN32
  return reinterpret_cast<void*>(LoadLibraryW(file.c_str()));
#else
  return dlopen(file.c_str(), RTLD_LAZY | RTLD_LOCAL);
#endif
}

CodecModuleEntry FindEntry(void* module) {
#ifdef _WIN32
  return reinterpret_cast<CodecModuleEntry>(
      GetProcAddress(static_cast<HMODULE>(module), kCodecModuleEntrySymbol));
#else
  return reinterpret_cast<CodecModuleEntry>(dlsym(module, kCodecModuleEntrySymbol));
#endif
}

void CloseModule(void* module) {
#ifdef _WIN32
  FreeLibrary(static_cast<HMODULE>(module));
#else
  dlclose(module);
#endif
}

// The first module of that name that loads and belongs to this build; null when there is none.
const CodecModuleFunctions* Find(ModuleKind kind) {
  const std::string name = std::string(kModuleNames[kind]) + kSuffix;
  for (const std::filesystem::path& folder : ModuleFolders()) {
    const std::filesystem::path file = folder / name;
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) continue;
    void* module = OpenModule(file);
    if (module == nullptr) continue;
    const CodecModuleEntry entry = FindEntry(module);
    if (const CodecModuleFunctions* functions =
            entry != nullptr ? entry(&kHost, KELMARIN_CODEC_MODULE_INTERFACE) : nullptr) {
      return functions;  // stays loaded for the rest of the process
    }
    CloseModule(module);
  }
  return nullptr;
}

std::array<std::once_flag, kModuleCount> once;
std::array<std::atomic<const CodecModuleFunctions*>, kModuleCount> loaded{};

const CodecModuleFunctions* Module(ModuleKind kind) {
  std::call_once(once[kind], [kind] { loaded[kind] = Find(kind); });
  return loaded[kind];
}

// The libraries behind the modules say on standard error what they find wrong with a file; the
// codec layer's error codes say it for the program.
Code DecodeFile(ModuleKind kind, std::FILE* file, int variant, RgbImage& pixels) {
  const CodecModuleFunctions* module = Module(kind);
  const LibraryOutputSilenced quiet;
  return module != nullptr ? module->decodeFile(file, variant, pixels) : kNoLibrary;
}

Code FileDimensions(ModuleKind kind, std::FILE* file, int variant, Size& size) {
  const CodecModuleFunctions* module = Module(kind);
  const LibraryOutputSilenced quiet;
  return module != nullptr ? module->dimensionsFile(file, variant, size) : kNoLibrary;
}

bool Init(ModuleKind kind) {
  const CodecModuleFunctions* module = Module(kind);
  return module != nullptr && module->init();
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

Code DecodeHeif(std::FILE* file, RgbImage& pixels) {
  return DecodeFile(kHeifModule, file, 0, pixels);
}

Code HeifDimensions(std::FILE* file, Size& size) {
  return FileDimensions(kHeifModule, file, 0, size);
}

Code DecodeJxl(std::FILE* file, RgbImage& pixels) {
  return DecodeFile(kJxlModule, file, 0, pixels);
}

Code JxlDimensions(std::FILE* file, Size& size) {
  return FileDimensions(kJxlModule, file, 0, size);
}

Code DecodeMagick(std::FILE* file, MagickFormat format, RgbImage& pixels) {
  return DecodeFile(kMagickModule, file, static_cast<int>(format), pixels);
}

Code MagickDimensions(std::FILE* file, MagickFormat format, Size& size) {
  return FileDimensions(kMagickModule, file, static_cast<int>(format), size);
}

Code DecodeTiff(std::FILE* file, RgbImage& pixels) {
  return DecodeFile(kTiffModule, file, 0, pixels);
}

Code TiffDimensions(std::FILE* file, Size& size) {
  return FileDimensions(kTiffModule, file, 0, size);
}

Code DecodeEmf(std::FILE* file, RgbImage& pixels) {
  return DecodeFile(kEmfModule, file, 0, pixels);
}

Code DecodeRaw(const std::string& path, RgbImage& pixels) {
  const CodecModuleFunctions* module = Module(kRawModule);
  const LibraryOutputSilenced quiet;
  return module != nullptr ? module->decodePath(path, pixels) : kNoLibrary;
}

Code RawDimensions(const std::string& path, Size& size) {
  const CodecModuleFunctions* module = Module(kRawModule);
  const LibraryOutputSilenced quiet;
  return module != nullptr ? module->dimensionsPath(path, size) : kNoLibrary;
}

bool InitMagick() {
  return Init(kMagickModule);
}

bool InitRaw() {
  return Init(kRawModule);
}

bool InitHeif() {
  return Init(kHeifModule);
}

bool InitEmf() {
  return Init(kEmfModule);
}

std::string MagickComponentName() {
  return "ImageMagick (Magick++)";
}

std::string RawComponentName() {
  return "LibRaw (libraw_r)";
}

std::string HeifComponentName() {
  return "libheif (HEVC, AV1)";
}

}  // namespace kelmarin::codec
