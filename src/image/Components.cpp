#include "image/Components.h"

#include <cstdio>
#include <filesystem>

#include "image/Codec.h"
#include "image/meta/SharedLibrary.h"
#include "metadata/Reporter.h"

namespace kelmarin {

std::string system_directory;

std::string ComponentMessage(const std::string& component) {
  return "Die benötigte Komponente\r\n" + component +
         "\r\nist nicht vorhanden\r\n\r\nBitte eine andere Installationsvariante von Kelmarin wählen!";
}

std::string SystemLibraryDirectory() {
  // The folder the C library was loaded from, with links resolved (/lib is a link on merged-/usr
  // systems).
  const std::filesystem::path file = FileHolding(reinterpret_cast<const void*>(&std::fopen));
  if (file.empty()) return {};
  std::string folder = file.parent_path().string();
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::vector<Component> ImagingComponents() {
  std::vector<Component> components;
  for (const CodecModule* module : CodecModules()) {
    if (!module->component.empty())
      components.push_back({std::string(module->component), [module] { return codec::InitModule(*module); }});
  }
  return components;
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
