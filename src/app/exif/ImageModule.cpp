#include "ImageModule.h"

#include <filesystem>
#include <vector>

#include "DefinitionFile.h"
#include "image/meta/SharedLibrary.h"

namespace kelmarin::lister {

namespace {

constexpr const char* kModuleFile = "kelmarin-exif-image.so";
constexpr const char* kLocaleModuleFile = "kelmarin-exif-locale.so";
constexpr const char* kVersionsModuleFile = "kelmarin-exif-versions.so";

// Opens the module file beside the program first (the build tree, a copied folder), then in the
// installed library folder seen from the program (a moved installation), then in the installed
// library folder. Only absolute paths: never a module from the current folder. Empty when
// none loads, with `detail` saying why (empty when the file is nowhere).
SharedLibrary OpenModuleFile(const char* name, std::string& detail) {
  std::vector<std::filesystem::path> candidates;
  if (const std::filesystem::path folder = ExecutableFolder(); folder.is_absolute()) {
    candidates.push_back(folder / name);
    candidates.push_back((folder / KELMARIN_RELATIVE_MODULE_DIR / name).lexically_normal());
  }
  candidates.push_back(std::filesystem::path(KELMARIN_INSTALL_MODULE_DIR) / name);
  for (const std::filesystem::path& candidate : candidates) {
    std::error_code error;
    if (!std::filesystem::exists(candidate, error)) continue;
    SharedLibrary library = SharedLibrary::Open(candidate);
    if (library) return library;
    detail = candidate.string() + ": " + library.problem();
  }
  return {};
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
  SharedLibrary library = OpenModuleFile(kModuleFile, detail);
  const std::string prefix = "Das Bildmodul " + std::string(kModuleFile) + " ";
  if (!library) {
    failure = detail.empty() ? prefix + "fehlt (weder neben dem Programm noch in " +
                                   std::string(KELMARIN_INSTALL_MODULE_DIR) + ")"
                             : prefix + "kann nicht geladen werden: " + detail;
    return false;
  }
  auto found = std::make_unique<Functions>();
  if (!library.Find(kImageModuleInterfaceSymbol, found->interface) ||
      std::string(found->interface()) != KELMARIN_IMAGE_MODULE_INTERFACE ||
      !library.Find(kImageModuleDimensionsSymbol, found->dimensions) ||
      !library.Find(kImageModuleInfoSymbol, found->info) ||
      !library.Find(kImageModuleFinishSymbol, found->finish)) {
    failure = prefix + "gehört nicht zu diesem Programm (andere Version)";
    return false;
  }
  library.Keep();  // its functions are called up to the end of the process
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
    if (SharedLibrary library = OpenModuleFile(kLocaleModuleFile, detail);
        library.Find(kLocaleModuleInterfaceSymbol, interface) &&
        std::string(interface()) == KELMARIN_IMAGE_MODULE_INTERFACE &&
        library.Find(kLocaleModuleLocaleSymbol, localeFunction)) {
      library.Keep();
    }
  }
  if (localeFunction == nullptr) return false;
  localeFunction(locale);
  return true;
}

bool ImageModule::LibraryVersions(std::vector<LibraryVersion>& versions) {
  std::string detail;
  SharedLibrary library = OpenModuleFile(kVersionsModuleFile, detail);
  const std::string prefix = "Das Versionsmodul " + std::string(kVersionsModuleFile) + " ";
  ImageModuleInterfaceFunction interface = nullptr;
  ImageModuleVersionsFunction list = nullptr;
  if (!library) {
    failure = prefix + (detail.empty() ? "fehlt" : "kann nicht geladen werden: " + detail);
    return false;
  }
  if (!library.Find(kVersionsModuleInterfaceSymbol, interface) ||
      std::string(interface()) != KELMARIN_IMAGE_MODULE_INTERFACE ||
      !library.Find(kVersionsModuleVersionsSymbol, list)) {
    failure = prefix + "gehört nicht zu diesem Programm (andere Version)";
    return false;
  }
  list(versions);
  library.Keep();  // the versions' texts may be the module's own
  return true;
}

}  // namespace kelmarin::lister
