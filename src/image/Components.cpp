#include "image/Components.h"

#include <filesystem>
#include <system_error>

#include "image/Codec.h"
#include "metadata/Reporter.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>

#include <cstdio>
#endif

namespace kelmarin {

std::string system_directory;

std::string ComponentMessage(const std::string& component) {
  return "Die benötigte Komponente\r\n" + component +
         "\r\nist nicht vorhanden\r\n\r\nBitte eine andere Installationsvariante von Kelmarin wählen!";
}

std::string SystemLibraryDirectory() {
#ifdef _WIN32
  wchar_t buffer[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  const std::u8string text = std::filesystem::path(buffer).u8string();
  return std::string(text.begin(), text.end());
#else
  // The folder the C library was loaded from, with links resolved (/lib is a link on merged-/usr
  // systems).
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&std::fopen), &info) == 0 || info.dli_fname == nullptr) return {};
  std::error_code error;
  std::filesystem::path file = std::filesystem::canonical(info.dli_fname, error);
  if (error) file = info.dli_fname;
  std::string folder = file.parent_path().string();
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
#endif
}

std::vector<Component> ImagingComponents() {
  return {
      {codec::MagickComponentName(), codec::InitMagick},
      {codec::RawComponentName(), codec::InitRaw},
      {codec::EmfComponentName(), codec::InitEmf},
      {codec::HeifComponentName(), codec::InitHeif},
  };
}

bool InitComponents(Reporter& reporter, const std::vector<Component>& components) {
  system_directory = SystemLibraryDirectory();
  for (const Component& component : components) {
    if (!component.init()) {
      reporter.Report({"Kelmarin", ComponentMessage(component.name), MessageIcon::Critical});
      return false;
    }
  }
  return true;
}

bool InitComponents(Reporter& reporter) {
  return InitComponents(reporter, ImagingComponents());
}

}  // namespace kelmarin
