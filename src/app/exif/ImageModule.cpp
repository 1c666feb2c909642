#include "ImageModule.h"

#include <filesystem>
#include <vector>

#include "DefinitionFile.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace kelmarin::lister {

namespace {

#ifdef _WIN32
constexpr const char* kModuleFile = "kelmarin-exif-image.dll";
constexpr const char* kLocaleModuleFile = "kelmarin-exif-locale.dll";
constexpr const char* kVersionsModuleFile = "kelmarin-exif-versions.dll";
#else
constexpr const char* kModuleFile = "kelmarin-exif-image.so";
constexpr const char* kLocaleModuleFile = "kelmarin-exif-locale.so";
constexpr const char* kVersionsModuleFile = "kelmarin-exif-versions.so";
#endif

// Opens a shared object; null with `error` set when it cannot be loaded.
void* OpenLibrary(const std::filesystem::path& file, std::string& error) {
#ifdef _WIN32
  HMODULE module = LoadLibraryW(file.c_str());
  if (module == nullptr) error = "Windows-Fehler " + std::to_string(GetLastError());
  return reinterpret_cast<void*>(module);
#else
  // Lazy binding: the program pays for the symbols of the imaging libraries it calls, not for all.
  void* handle = dlopen(file.c_str(), RTLD_LAZY | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* text = dlerror();
    error = text != nullptr ? text : "unbekannter Fehler";
  }
  return handle;
#endif
}

void* FindSymbol(void* library, const char* name) {
#ifdef _WIN32
  return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(library), name));
#else
  return dlsym(library, name);
#endif
}

template <typename Function>
bool Find(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(FindSymbol(library, name));
  return function != nullptr;
}

// Opens the module file beside the program first (the build tree, a copied folder), then in the
// installed library folder seen from the program (a moved installation), then in the installed
// library folder. Only absolute paths: never a module from the current folder. Null when
// none loads, with `detail` saying why (empty when the file is nowhere).
void* OpenModuleFile(const char* name, std::string& detail) {
  std::vector<std::filesystem::path> candidates;
  if (const std::filesystem::path folder = ExecutableFolder(); folder.is_absolute()) {
    candidates.push_back(folder / name);
    candidates.push_back((folder / KELMARIN_RELATIVE_MODULE_DIR / name).lexically_normal());
  }
  candidates.push_back(std::filesystem::path(KELMARIN_INSTALL_MODULE_DIR) / name);
  for (const std::filesystem::path& candidate : candidates) {
    std::error_code error;
    if (!std::filesystem::exists(candidate, error)) continue;
    if (void* library = OpenLibrary(candidate, detail)) return library;
    detail = candidate.string() + ": " + detail;
  }
  return nullptr;
}

}  // namespace

struct ImageModule::Functions {
  ImageModuleInterfaceFunction interface = nullptr;
  ImageModuleDimensionsFunction dimensions = nullptr;
  ImageModuleInfoFunction info = nullptr;
  ImageModuleFinishFunction finish = nullptr;
};

ImageModule::ImageModule() = default;

ImageModule::~ImageModule() {
  if (functions != nullptr) functions->finish();
}

bool ImageModule::Load() {
  if (tried) return functions != nullptr;
  tried = true;
  std::string detail;
  void* library = OpenModuleFile(kModuleFile, detail);
  const std::string prefix = "Das Bildmodul " + std::string(kModuleFile) + " ";
  if (library == nullptr) {
    failure = detail.empty() ? prefix + "fehlt (weder neben dem Programm noch in " +
                                   std::string(KELMARIN_INSTALL_MODULE_DIR) + ")"
                             : prefix + "kann nicht geladen werden: " + detail;
    return false;
  }
  auto found = std::make_unique<Functions>();
  if (!Find(library, kImageModuleInterfaceSymbol, found->interface) ||
      std::string(found->interface()) != KELMARIN_IMAGE_MODULE_INTERFACE ||
      !Find(library, kImageModuleDimensionsSymbol, found->dimensions) ||
      !Find(library, kImageModuleInfoSymbol, found->info) ||
      !Find(library, kImageModuleFinishSymbol, found->finish)) {
    failure = prefix + "gehört nicht zu diesem Programm (andere Version)";
    return false;
  }
  functions = std::move(found);
  return true;
}

std::int32_t ImageModule::Dimensions(const std::string& path, std::int32_t type) const {
  return functions->dimensions(path, type);
}

std::int32_t ImageModule::Info(const std::string& path, std::int32_t type, const Definitions& definitions,
                               const TextLocale& locale, InfoLabels& labels) const {
  return functions->info(path, type, definitions, locale, labels);
}

bool ImageModule::SystemLocale(TextLocale& locale) {
  if (!localeTried) {
    localeTried = true;
    std::string detail;
    ImageModuleInterfaceFunction interface = nullptr;
    if (void* library = OpenModuleFile(kLocaleModuleFile, detail);
        library != nullptr && Find(library, kLocaleModuleInterfaceSymbol, interface) &&
        std::string(interface()) == KELMARIN_IMAGE_MODULE_INTERFACE) {
      Find(library, kLocaleModuleLocaleSymbol, localeFunction);
    }
  }
  if (localeFunction == nullptr) return false;
  localeFunction(locale);
  return true;
}

bool ImageModule::LibraryVersions(std::vector<LibraryVersion>& versions) {
  std::string detail;
  void* library = OpenModuleFile(kVersionsModuleFile, detail);
  const std::string prefix = "Das Versionsmodul " + std::string(kVersionsModuleFile) + " ";
  ImageModuleInterfaceFunction interface = nullptr;
  ImageModuleVersionsFunction list = nullptr;
  if (library == nullptr) {
    failure = prefix + (detail.empty() ? "fehlt" : "kann nicht geladen werden: " + detail);
    return false;
  }
  if (!Find(library, kVersionsModuleInterfaceSymbol, interface) ||
      std::string(interface()) != KELMARIN_IMAGE_MODULE_INTERFACE ||
      !Find(library, kVersionsModuleVersionsSymbol, list)) {
    failure = prefix + "gehört nicht zu diesem Programm (andere Version)";
    return false;
  }
  list(versions);
  return true;
}

}  // namespace kelmarin::lister
