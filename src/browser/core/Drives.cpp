#include "browser/core/Drives.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

#include "browser/core/Platform.h"

namespace kelmarin {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool IsAtOrBelow(std::string_view path, std::string_view folder) {
  return path == folder ||
         (StartsWith(path, folder) && path.size() > folder.size() && path[folder.size()] == '/');
}

template <std::size_t N>
bool OneOf(std::string_view value, const std::array<std::string_view, N>& list) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

// Resolves the octal escapes of the mount table (\040 space, \011 tab, \012 line feed, \134 backslash).
std::string Unescape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out.push_back(
          static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(field[i]);
    }
  }
  return out;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    const std::size_t end = std::min(line.find(' ', pos), line.size());
    if (end > pos) fields.push_back(line.substr(pos, end - pos));
    pos = end;
  }
  return fields;
}

constexpr auto kPseudoTypes = std::to_array<std::string_view>(
    {"proc",       "sysfs",     "devtmpfs",  "devpts",          "cgroup",      "cgroup2",
     "securityfs", "pstore",    "debugfs",   "tracefs",         "configfs",    "fusectl",
     "mqueue",     "hugetlbfs", "bpf",       "autofs",          "binfmt_misc", "efivarfs",
     "rpc_pipefs", "nsfs",      "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal"});
// File systems of images and layers: snaps, live systems, container roots. Never a user's volume,
// except as "/".
constexpr auto kImageTypes = std::to_array<std::string_view>(
    {"squashfs", "overlay", "aufs", "erofs", "fuse.squashfuse", "fuse.fuse-overlayfs", "cramfs"});
// The system's own folders: nothing mounted at or below them is shown.
constexpr auto kSystemFolders = std::to_array<std::string_view>(
    {"/proc", "/sys", "/dev", "/snap", "/boot", "/efi", "/usr", "/var", "/etc", "/tmp"});
constexpr std::array<std::string_view, 14> kNetworkTypes = {
    "nfs", "nfs4",       "cifs",        "smb3",  "smbfs",       "ncpfs",     "afs",
    "9p",  "fuse.sshfs", "fuse.rclone", "davfs", "fuse.davfs2", "glusterfs", "ceph"};
constexpr std::array<std::string_view, 16> kDiskTypes = {
    "ext2",     "ext3",    "ext4", "xfs",   "btrfs", "zfs",   "f2fs",    "jfs",
    "reiserfs", "overlay", "vfat", "exfat", "ntfs",  "ntfs3", "fuseblk", "hfsplus"};

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
  std::vector<MountEntry> mounts;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::vector<std::string_view> fields = SplitFields(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    // id parent major:minor root mount-point options [optional fields...] - fstype source super-options
    const auto dash = std::find(fields.begin(), fields.end(), std::string_view("-"));
    if (fields.size() < 5 || dash == fields.end() || dash - fields.begin() < 6 || fields.end() - dash < 3)
      continue;
    const std::string_view superOptions = fields.end() - dash > 3 ? *(dash + 3) : std::string_view();
    mounts.push_back({Unescape(fields[4]), Unescape(*(dash + 1)), Unescape(*(dash + 2)), Unescape(fields[3]),
                      std::string(fields[2]), std::string(superOptions)});
  }
  return mounts;
}

bool IsBindMount(const MountEntry& mount) {
  if (mount.root.empty() || mount.root == "/") return false;
  if (mount.fsType == "btrfs") {
    // The subvolume a btrfs mount names is its root; a folder below it is bound.
    std::string_view options = mount.superOptions;
    while (!options.empty()) {
      const std::size_t comma = std::min(options.find(','), options.size());
      const std::string_view option = options.substr(0, comma);
      if (StartsWith(option, "subvol=")) return option.substr(7) != mount.root;
      options.remove_prefix(std::min(comma + 1, options.size()));
    }
  }
  return true;
}

bool IsBrowsableMount(const MountEntry& mount) {
  const std::string_view point = mount.mountPoint;
  if (point == "/") return true;
  if (point.empty() || point.front() != '/') return false;
  if (OneOf(mount.fsType, kPseudoTypes) || OneOf(mount.fsType, kImageTypes)) return false;
  if (IsBindMount(mount)) return false;
  for (std::string_view system : kSystemFolders) {
    if (IsAtOrBelow(point, system)) return false;
  }
  const bool userMedia = StartsWith(point, "/media/") || StartsWith(point, "/run/media/");
  if (IsAtOrBelow(point, "/run") && !userMedia) return false;
  if (mount.fsType == "tmpfs" || mount.fsType == "ramfs") return userMedia;
  return true;
}

DriveKind ClassifyMount(const MountEntry& mount, bool removableDevice) {
  const std::string_view type = mount.fsType;
  const std::string_view source = mount.source;
  if (OneOf(type, kNetworkTypes) || StartsWith(source, "//")) return DriveKind::Network;
  if (type == "iso9660" || type == "udf" || StartsWith(source, "/dev/sr") ||
      StartsWith(source, "/dev/cdrom")) {
    return DriveKind::Optical;
  }
  if (type == "tmpfs" || type == "ramfs") return DriveKind::Ram;
  if (StartsWith(source, "/dev/fd")) return DriveKind::Floppy;
  if (StartsWith(source, "/dev/")) return removableDevice ? DriveKind::Removable : DriveKind::Fixed;
  if (OneOf(type, kDiskTypes)) return DriveKind::Fixed;
  return DriveKind::Unknown;
}

std::string_view DriveIconKey(DriveKind kind) {
  switch (kind) {
    case DriveKind::Floppy:
      return "DriveDiskette";
    case DriveKind::Removable:
      return "DriveWechselplatte";
    case DriveKind::Fixed:
      return "DriveFestplatte";
    case DriveKind::Network:
      return "DriveNetzlaufwerk";
    case DriveKind::Optical:
      return "DriveCD";
    case DriveKind::Ram:
      return "DriveRamdisk";
    case DriveKind::Unknown:
      break;
  }
  return "DriveUnbekannt";
}

std::string DriveText(const DriveInfo& drive) {
  if (drive.label.empty()) return "(" + drive.mountPath + ")";
  return drive.label + " (" + drive.mountPath + ")";
}

std::vector<DriveInfo> DrivesFromMounts(const std::vector<MountEntry>& mounts,
                                        bool (*isRemovable)(const std::string& device),
                                        std::string (*labelOf)(const std::string& device)) {
  std::vector<DriveInfo> drives;
  std::vector<const MountEntry*> shown;
  for (const MountEntry& mount : mounts) {
    if (!IsBrowsableMount(mount)) continue;
    // The same file system mounted a second time at another place is shown at its first place only.
    const bool again =
        !mount.device.empty() && std::any_of(shown.begin(), shown.end(), [&](const MountEntry* m) {
          return m->device == mount.device && m->root == mount.root && m->mountPoint != mount.mountPoint;
        });
    if (again) continue;
    shown.push_back(&mount);
    const bool blockDevice = StartsWith(mount.source, "/dev/");
    const bool removable = blockDevice && isRemovable != nullptr && isRemovable(mount.source);
    DriveInfo drive{mount.mountPoint, "", ClassifyMount(mount, removable)};
    if (blockDevice && labelOf != nullptr &&
        (drive.kind == DriveKind::Fixed || drive.kind == DriveKind::Optical)) {
      drive.label = labelOf(mount.source);
    }
    auto same = std::find_if(drives.begin(), drives.end(),
                             [&](const DriveInfo& d) { return d.mountPath == drive.mountPath; });
    if (same != drives.end()) {
      *same = std::move(drive);  // mounted over: the later mount is the one seen
    } else {
      drives.push_back(std::move(drive));
    }
  }
  auto root =
      std::find_if(drives.begin(), drives.end(), [](const DriveInfo& d) { return d.mountPath == "/"; });
  if (root == drives.end()) {
    drives.insert(drives.begin(), DriveInfo{"/", "", DriveKind::Unknown});
  } else {
    std::rotate(drives.begin(), root, root + 1);
  }
  return drives;
}

void AddHomeDrive(std::vector<DriveInfo>& drives, const std::string& home) {
  std::string path = home;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  if (path.empty() || path.front() != '/' || path == "/") return;
  std::vector<std::string> paths;
  for (const DriveInfo& drive : drives) paths.push_back(drive.mountPath);
  if (std::find(paths.begin(), paths.end(), path) != paths.end()) return;
  const std::optional<std::size_t> holder = DriveForPath(paths, path);
  const DriveKind kind = holder ? drives[*holder].kind : DriveKind::Fixed;
  const auto at = drives.empty() ? drives.begin() : drives.begin() + 1;
  drives.insert(at, DriveInfo{path, "Persönlicher Ordner", kind});
}

std::vector<DriveInfo> ListDrives() {
  std::vector<MountEntry> mounts = ParseMountInfo(ReadMountTable());
  // Single files bound into place (containers do that with /etc/hosts) are no drives.
  std::erase_if(mounts, [](const MountEntry& m) {
    std::error_code error;
    return !std::filesystem::is_directory(m.mountPoint, error);
  });
  std::vector<DriveInfo> drives = DrivesFromMounts(mounts, &IsRemovableDevice, &VolumeLabelOfDevice);
  const std::string home = HomeFolder();
  std::error_code error;
  if (std::filesystem::is_directory(home, error)) AddHomeDrive(drives, home);
  return drives;
}

std::optional<std::size_t> DriveForPath(const std::vector<std::string>& mountPaths, std::string_view path) {
  std::optional<std::size_t> best;
  if (path.empty() || path.front() != '/') return best;
  for (std::size_t i = 0; i < mountPaths.size(); ++i) {
    const std::string& mount = mountPaths[i];
    if (mount != "/" && !IsAtOrBelow(path, mount)) continue;
    if (!best || mount.size() > mountPaths[*best].size()) best = i;
  }
  return best;
}

std::vector<std::string> NamesBelow(std::string_view mountPath, std::string_view path) {
  std::vector<std::string> names;
  std::string_view rest = path.substr(std::min(mountPath.size(), path.size()));
  while (!rest.empty()) {
    const std::size_t slash = std::min(rest.find('/'), rest.size());
    if (slash > 0) names.emplace_back(rest.substr(0, slash));
    rest.remove_prefix(std::min(slash + 1, rest.size()));
  }
  return names;
}

}  // namespace kelmarin
