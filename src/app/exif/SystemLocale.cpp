#include "SystemLocale.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <system_error>
#include <vector>

#include "ImageModule.h"

namespace kelmarin::lister {

namespace {

constexpr const char* kFileName = "locale";
constexpr std::size_t kMaxFileSize = 64 * 1024;

}  // namespace

std::optional<std::string> LocaleSettingsKey() {
  std::string key = KELMARIN_IMAGE_MODULE_INTERFACE;
  for (const char* name : {"LC_ALL", "LC_NUMERIC", "LC_TIME", "LC_MONETARY", "LC_MESSAGES", "LC_MEASUREMENT",
                           "LC_COLLATE", "LC_CTYPE", "LANG", "LANGUAGE"}) {
    const char* value = std::getenv(name);
    key += ' ';
    key += name;
    key += '=';
    if (value != nullptr) key += value;
  }
  if (key.find('\n') != std::string::npos) return std::nullopt;
  return key;
}

TextLocale SystemTextLocale(ImageModule& module, const std::filesystem::path& cacheFolder) {
  const std::optional<std::string> key = LocaleSettingsKey();
  const std::filesystem::path file = cacheFolder / kFileName;
  if (key && !cacheFolder.empty()) {
    // A file of the program's is a few hundred bytes; anything much larger is none of its.
    std::ifstream in(file, std::ios::binary);
    std::string contents(kMaxFileSize + 1, '\0');
    in.read(contents.data(), static_cast<std::streamsize>(contents.size()));
    contents.resize(static_cast<std::size_t>(in.gcount()));
    if (contents.size() <= kMaxFileSize) {
      if (auto cached = ParseLocaleFile(contents, *key)) return *cached;
    }
  }
  TextLocale locale;
  if (!module.SystemLocale(locale)) return TextLocale();
  if (!key || cacheFolder.empty()) return locale;
  const std::optional<std::string> text = LocaleFileText(locale, *key);
  if (!text) return locale;
  // A file of this process's own, renamed over the old one: readers never see half a file.
  std::error_code error;
  std::filesystem::create_directories(cacheFolder, error);
  const std::string unique = std::to_string(getpid());
  const std::filesystem::path partial = cacheFolder / (std::string(kFileName) + "." + unique + ".tmp");
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << *text;
    if (!out.flush()) {
      out.close();
      std::filesystem::remove(partial, error);
      return locale;
    }
  }
  std::filesystem::rename(partial, file, error);
  if (error) std::filesystem::remove(partial, error);
  return locale;
}

}  // namespace kelmarin::lister
