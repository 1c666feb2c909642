// The mount-table parser and the drive list built from it, over any text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "browser/core/Drives.h"

namespace {
bool NotRemovable(const std::string&) {
  return false;
}
std::string NoLabel(const std::string&) {
  return {};
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto mounts = kelmarin::ParseMountInfo(text);
  const auto drives = kelmarin::DrivesFromMounts(mounts, &NotRemovable, &NoLabel);
  // "/" is always the first drive, and every drive path is absolute.
  if (drives.empty() || drives.front().mountPath != "/") std::abort();
  std::vector<std::string> paths;
  for (const auto& drive : drives) {
    if (drive.mountPath.empty() || drive.mountPath.front() != '/') std::abort();
    paths.push_back(drive.mountPath);
  }
  for (const auto& mount : mounts) {
    const auto found = kelmarin::DriveForPath(paths, mount.mountPoint);
    if (found) kelmarin::NamesBelow(paths[*found], mount.mountPoint);
  }
  return 0;
}
