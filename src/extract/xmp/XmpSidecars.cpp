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
  const std::filesystem::path folder = image.parent_path();
  const std::string imageName = image.filename().string();
  std::vector<std::string> matches;
  {
    std::unique_lock lock(mutex);
    auto found = folders.find(folder.string());
    if (found == folders.end()) {
      lock.unlock();
      std::vector<std::string> names = SidecarNames(folder);
      lock.lock();
      if (folders.size() >= kMaxFolders) folders.clear();
      found = folders.try_emplace(folder.string(), std::move(names)).first;
    }
    for (const std::string& name : found->second) {
      if (IsSidecarOf(name, imageName)) matches.push_back(name);
    }
  }
  // "NAME.xmp" is the shorter name.
  std::sort(matches.begin(), matches.end(), [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  std::vector<std::filesystem::path> paths;
  for (const std::string& name : matches) paths.push_back(folder / name);
  return paths;
}

void SidecarFinder::Forget() {
  const std::lock_guard lock(mutex);
  folders.clear();
}

}  // namespace kelmarin
