#include "Version.h"

#include <fstream>

#include "ImageModule.h"
#include "windows/LibraryVersions.h"

namespace kelmarin::lister {

std::string DefinitionFileVersion(const std::filesystem::path& definitionFile) {
  std::ifstream in(definitionFile, std::ios::binary);
  std::string line;
  if (!in || !std::getline(in, line)) return {};
  if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  const std::string prefix = "#version ";
  if (line.compare(0, prefix.size(), prefix) != 0) return {};
  std::string number = line.substr(prefix.size());
  const std::size_t end = number.find_first_not_of("0123456789");
  if (end != std::string::npos) number.erase(end);
  return number;
}

std::string VersionText(const std::filesystem::path& definitionFile, ImageModule& module) {
  std::string text = "kelmarin-exif " KELMARIN_VERSION "\n";
  const std::string definitionVersion = DefinitionFileVersion(definitionFile);
  text += "Definitionsdatei: " + definitionFile.string() + " (Version " +
          (definitionVersion.empty() ? std::string("unbekannt") : definitionVersion) + ")\n";
  std::vector<LibraryVersion> versions;
  if (!module.LibraryVersions(versions)) return text + "Bibliotheken: " + module.problem() + "\n";
  for (const LibraryVersion& library : versions) {
    text += library.component + " " + (library.version.empty() ? std::string("NV") : library.version) + "\n";
  }
  return text;
}

}  // namespace kelmarin::lister
