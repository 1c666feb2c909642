// kelmarin-exif-image: the full image layer for kelmarin-exif, loaded at run time (see
// ../ImageModule.h). Only the four extern "C" functions are exported. It knows no toolkit: only
// an EMF file loads one, with the codec module that draws it.

#include "../ImageModule.h"

#include <sys/stat.h>

#include <ctime>
#include <optional>
#include <string>
#include <type_traits>

#include "image/Codec.h"
#include "image/ImageFile.h"
#include "image/meta/ImageErrors.h"
#include "metadata/Text.h"
#include "present/InfoLabels.h"

namespace kelmarin::lister {

namespace {

// The file's name as the toolkit decodes it: UTF-8, a byte that is not part of a well-formed
// sequence read as U+FFFD.
std::string NameText(const std::string& bytes) {
  if (IsValidUtf8(bytes)) return bytes;
  std::string text;
  for (std::size_t at = 0; at < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length != 0 && at + length <= bytes.size() &&
        IsValidUtf8(std::string_view(bytes).substr(at, length))) {
      text.append(bytes, at, length);
      at += length;
    } else {
      text += "\xEF\xBF\xBD";
      ++at;
    }
  }
  return text;
}

// Size and last change of the file (local time), as the toolkit would give them; nothing when the
// file cannot be asked.
bool FileFacts(const std::string& path, std::int64_t& size, std::optional<Moment>& modified) {
  struct stat facts {};
  if (::stat(path.c_str(), &facts) != 0) return false;
  std::tm local{};
  const std::time_t seconds = facts.st_mtime;
  const bool known = localtime_r(&seconds, &local) != nullptr;
  size = static_cast<std::int64_t>(facts.st_size);
  if (known) {
    modified = Moment{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                      local.tm_hour,        local.tm_min,     local.tm_sec};
  }
  return true;
}

std::int32_t Dimensions(const std::string& path, std::int32_t type) {
  codec::AllowOwnApplication(true);
  ImageFile image;
  std::int32_t width = 0, height = 0;
  const auto failure = image.GetImageDims(path, type, width, height);
  return failure ? failure->number() : 0;
}

std::int32_t Info(const std::string& path, std::int32_t type, const Definitions& definitions,
                  const TextLocale& locale, InfoLabels& labels) {
  codec::AllowOwnApplication(true);
  ImageFile image(&definitions);
  std::int32_t width = 0, height = 0, loadTime = 0;
  if (image.load(path, type, width, height, loadTime) != 0) {
    return image.loadError() ? image.loadError()->number() : kUnexpectedNumber;
  }
  std::int64_t size = 0;
  std::optional<Moment> modified;
  FileFacts(path, size, modified);
  // The name up to its last dot, and what follows it.
  const std::size_t slash = path.rfind('/');
  const std::string name = NameText(slash == std::string::npos ? path : path.substr(slash + 1));
  const std::size_t dot = name.rfind('.');
  labels = MakeInfoLabels(locale, name.substr(0, dot),
                          dot == std::string::npos ? std::string() : name.substr(dot + 1), modified, size,
                          width, height, loadTime);
  return 0;
}

}  // namespace

}  // namespace kelmarin::lister

KELMARIN_EXPORT const char* kelmarin_exif_image_interface() {
  return KELMARIN_IMAGE_MODULE_INTERFACE;
}

KELMARIN_EXPORT std::int32_t kelmarin_exif_image_dimensions(const std::string& path, std::int32_t type) {
  return kelmarin::Guarded([&] { return kelmarin::lister::Dimensions(path, type); });
}

KELMARIN_EXPORT std::int32_t kelmarin_exif_image_info(const std::string& path, std::int32_t type,
                                                      const kelmarin::Definitions& definitions,
                                                      const kelmarin::TextLocale& locale,
                                                      kelmarin::InfoLabels& labels) {
  return kelmarin::Guarded(
      [&] { return kelmarin::lister::Info(path, type, definitions, locale, labels); });
}

KELMARIN_EXPORT void kelmarin_exif_image_finish() {
  kelmarin::codec::FinishModules();
}

static_assert(
    std::is_same_v<decltype(&kelmarin_exif_image_interface), kelmarin::lister::ImageModuleInterfaceFunction>);
static_assert(std::is_same_v<decltype(&kelmarin_exif_image_dimensions),
                             kelmarin::lister::ImageModuleDimensionsFunction>);
static_assert(std::is_same_v<decltype(&kelmarin_exif_image_info), kelmarin::lister::ImageModuleInfoFunction>);
static_assert(
    std::is_same_v<decltype(&kelmarin_exif_image_finish), kelmarin::lister::ImageModuleFinishFunction>);
