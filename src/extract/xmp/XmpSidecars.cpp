#include "extract/xmp/XmpSidecars.h"

#include <algorithm>
#include <system_error>

#include "extract/xmp/XmpSources.h"

namespace kelmarin {

namespace {

// Bounds the memory of a lister given files of very many folders.
constexpr std::size_t kMaxFolders = 4096;

std::vector<std::string> SidecarNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator entries(folder.empty() ? std::filesystem::path(".") : folder, error);
  for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    std::string name = entries->path().filename().string();
    if (name.size() > 4 && IsSidecarOf(name, name.substr(0, name.size() - 4)))
      names.push_back(std::move(name));
  }
  return names;
}

}  // namespace

std::vector<std::filesystem::path> SidecarFinder::For(const std::filesystem::path& image) {
  // The image's folder as text without splitting the path into its parts: asked for every file.
  const std::string text = image.string();
  const std::size_t slash =
      text.find_last_of(std::string{'/', static_cast<char>(std::filesystem::path::preferred_separator)});
  const std::string folderText = slash == std::string::npos ? std::string() : text.substr(0, slash == 0 ? 1 : slash);
  std::vector<std::string> matches;
  {
    // The folder is read with the lock held: the threads that list its files all ask for it at
    // once, and would each read it.
    const std::lock_guard lock(mutex);
    auto found = folders.find(folderText);
    if (found == folders.end()) {
      std::vector<std::string> names = SidecarNames(folderText);
      if (folders.size() >= kMaxFolders) folders.clear();
      found = folders.try_emplace(folderText, std::move(names)).first;
    }
    if (found->second.empty()) return {};
    const std::string_view imageName = std::string_view(text).substr(slash == std::string::npos ? 0 : slash + 1);
    for (const std::string& name : found->second) {
      if (IsSidecarOf(name, imageName)) matches.push_back(name);
    }
  }
  // "NAME.xmp" is the shorter name.
  std::sort(matches.begin(), matches.end(), [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  std::vector<std::filesystem::path> paths;
  for (const std::string& name : matches) paths.push_back(std::filesystem::path(folderText) / name);
  return paths;
}

void SidecarFinder::Forget() {
  const std::lock_guard lock(mutex);
  folders.clear();
}

}  // namespace kelmarin
