// kelmarin-exif-versions: the imaging libraries' versions for kelmarin-exif --version, from the
// same list the about window shows. It links every imaging library, which no listing needs, so
// only --version loads it. Only the two extern "C" functions are exported.

#include <type_traits>

#include "../ImageModule.h"
#include "windows/LibraryVersions.h"

KELMARIN_EXPORT const char* kelmarin_exif_versions_interface() {
  return KELMARIN_IMAGE_MODULE_INTERFACE;
}

KELMARIN_EXPORT void kelmarin_exif_versions(std::vector<kelmarin::LibraryVersion>& versions) {
  versions = kelmarin::ImagingLibraryVersions();
}

static_assert(std::is_same_v<decltype(&kelmarin_exif_versions_interface),
                             kelmarin::lister::ImageModuleInterfaceFunction>);
static_assert(
    std::is_same_v<decltype(&kelmarin_exif_versions), kelmarin::lister::ImageModuleVersionsFunction>);
