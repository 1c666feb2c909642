#pragma once
// kelmarin-exif reads metadata through the image layer's metadata-only path, which needs no toolkit
// and no imaging library beyond libjpeg and libpng, so that the program starts fast. What needs the
// full image layer (decoding for --info, the sizes of BMP, GIF, TIFF, RAW, ... files) lives in a
// module loaded at run time only when it is needed: kelmarin-exif-image, beside the program or in
// the installed library folder.
//
// The module is built with the program from the same sources; its functions take the program's own
// C++ types. The interface text (the version and the number of this interface, given by the build as
// KELMARIN_IMAGE_MODULE_INTERFACE) names that agreement: a module of another version is refused.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kelmarin {
class Definitions;
struct LibraryVersion;
struct InfoLabels;
struct TextLocale;
}  // namespace kelmarin

namespace kelmarin::lister {

// Functions of the module (extern "C" names below). Each returns 0 on success, else the error
// number of the file (codec code + 1000, as ZetImage reports it); none throws.
extern "C" {
// The interface text of the module's build; must equal the program's.
using ImageModuleInterfaceFunction = const char* (*)();
// ZetImage::GetImageDims of the file as `type` (not 0).
using ImageModuleDimensionsFunction = std::int32_t (*)(const std::string& path, std::int32_t type);
// Loads the file fully and timed as the information panel does and fills its labels. The type
// code is the file list's (0: by content).
using ImageModuleInfoFunction = std::int32_t (*)(const std::string& path, std::int32_t type,
                                                 const Definitions& definitions, const TextLocale& locale,
                                                 InfoLabels& labels);
// The toolkit's system locale as the window takes it for its texts (in the locale module, whose
// interface function is of the type above).
using ImageModuleLocaleFunction = void (*)(TextLocale& locale);
// The imaging libraries' versions as the about window lists them (in the versions module, whose
// interface function is of the type above; it links every imaging library, so only --version
// loads it).
using ImageModuleVersionsFunction = void (*)(std::vector<LibraryVersion>& versions);
// Ends what the module set up (a GUI application object for metafiles); called once, last.
using ImageModuleFinishFunction = void (*)();
}

// How the modules export the functions above (their only exported names).
#define KELMARIN_EXPORT extern "C" __attribute__((visibility("default")))

inline constexpr const char* kImageModuleInterfaceSymbol = "kelmarin_exif_image_interface";
inline constexpr const char* kImageModuleDimensionsSymbol = "kelmarin_exif_image_dimensions";
inline constexpr const char* kImageModuleInfoSymbol = "kelmarin_exif_image_info";
inline constexpr const char* kImageModuleFinishSymbol = "kelmarin_exif_image_finish";
inline constexpr const char* kLocaleModuleInterfaceSymbol = "kelmarin_exif_locale_interface";
inline constexpr const char* kLocaleModuleLocaleSymbol = "kelmarin_exif_locale";
inline constexpr const char* kVersionsModuleInterfaceSymbol = "kelmarin_exif_versions_interface";
inline constexpr const char* kVersionsModuleVersionsSymbol = "kelmarin_exif_versions";

// The module as loaded by the program. Loading happens on the first Load() and is tried once.
class ImageModule {
 public:
  ImageModule();
  ~ImageModule();  // calls the module's finish function; the module itself stays loaded
  ImageModule(const ImageModule&) = delete;
  ImageModule& operator=(const ImageModule&) = delete;

  // True when the module is loaded and agrees with this program. Otherwise false, and problem()
  // says in German what went wrong (for standard error).
  bool Load();
  const std::string& problem() const { return failure; }

  // Only after Load() returned true.
  std::int32_t Dimensions(const std::string& path, std::int32_t type) const;
  std::int32_t Info(const std::string& path, std::int32_t type, const Definitions& definitions,
                    const TextLocale& locale, InfoLabels& labels) const;
  // Fills the locale from the locale module (kelmarin-exif-locale, loaded on the first call); false
  // (and the locale untouched) when that module cannot be loaded.
  bool SystemLocale(TextLocale& locale);
  // Fills the list from the versions module (kelmarin-exif-versions); false with problem() set when
  // that module cannot be loaded.
  bool LibraryVersions(std::vector<LibraryVersion>& versions);

 private:
  struct Functions;
  std::unique_ptr<Functions> functions;
  bool tried = false;
  std::string failure;
  ImageModuleLocaleFunction localeFunction = nullptr;
  bool localeTried = false;
};

}  // namespace kelmarin::lister
