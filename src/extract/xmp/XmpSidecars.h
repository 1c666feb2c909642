#pragma once
// Finds the sidecar files of images ("NAME.xmp" and "NAME.EXT.xmp", any case) from one reading of
// each folder: no file is opened or asked for its status while looking.

#include <filesystem>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace kelmarin {

class SidecarFinder {
 public:
  // The sidecars beside the image, "NAME.xmp" before "NAME.EXT.xmp". The image's folder is read the
  // first time one of its images is asked for; a folder that cannot be read has none. Safe to call
  // from several threads; a thread asking while a folder is read waits for that reading, which
  // serves it too. Never throws except std::bad_alloc.
  std::vector<std::filesystem::path> For(const std::filesystem::path& image);
  // Forgets the folders read, so that the next question reads them again.
  void Forget();

 private:
  std::mutex mutex;
  std::unordered_map<std::string, std::vector<std::string>> folders;  // folder -> its ".xmp" names
};

}  // namespace kelmarin
