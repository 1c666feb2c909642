#pragma once
// The drives of the folder tree: the mounted volumes a user browses, in the mount table's order,
// with their kind (which picks the icon) and label; and finding the drive a path lies on.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmarin {

enum class DriveKind { Unknown, Floppy, Removable, Fixed, Network, Optical, Ram };

struct DriveInfo {
  std::string mountPath;  // the drive's path and key: "/" or a path without trailing "/"
  std::string label;      // volume label, "" when none (read only for fixed and optical drives)
  DriveKind kind = DriveKind::Unknown;
};

// One line of the mount table, with the octal escapes (\040 ...) resolved.
struct MountEntry {
  std::string mountPoint;
  std::string fsType;
  std::string source;        // device or server path
  std::string root = "/";    // the folder of the file system mounted there ("/": all of it)
  std::string device;        // "major:minor" of the file system, "" when not known
  std::string superOptions;  // the file system's own options ("rw,subvol=/@home", ...)
};

// Parses /proc/self/mountinfo text; malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

// Whether a mount shows a part of a file system mounted elsewhere (a bind mount, as containers and
// sandboxes use): its root is not the file system's top. A btrfs subvolume mounted by name is none.
bool IsBindMount(const MountEntry& mount);

// What a user browses: "/", and otherwise no pseudo or system file systems (proc, sysfs, cgroup,
// devpts, ...), no image and layer file systems (squashfs, overlay: snaps, live systems, containers),
// no bind mounts, nothing below the system's own folders (/boot, /efi, /usr, /var, /etc, /tmp, /proc,
// /sys, /dev, /snap, /run except /run/media), and RAM file systems only below /media and /run/media.
bool IsBrowsableMount(const MountEntry& mount);

// The kind by file system type and device; removable asks the system about the device.
DriveKind ClassifyMount(const MountEntry& mount, bool removableDevice);

// The image-list key of a drive kind ("DriveFestplatte", ...).
std::string_view DriveIconKey(DriveKind kind);

// The drive node text: label + " (" + path + ")", or "(" + path + ")" without a label.
std::string DriveText(const DriveInfo& drive);

// The browsable drives from a parsed mount table, "/" first. A mount point mounted over another keeps
// the earlier place in the list. removable and label are asked per block device (may be null).
std::vector<DriveInfo> DrivesFromMounts(const std::vector<MountEntry>& mounts,
                                        bool (*isRemovable)(const std::string& device),
                                        std::string (*labelOf)(const std::string& device));

// Adds the home folder as a drive after "/" (label "Persönlicher Ordner", the kind of the drive it is
// on) unless it is "/" or already a drive; an empty or relative home adds nothing.
void AddHomeDrive(std::vector<DriveInfo>& drives, const std::string& home);

// The drives of this machine (reads the mount table), the home folder second. A machine without a
// readable table gives "/".
std::vector<DriveInfo> ListDrives();

// The index of the drive whose path is the longest prefix of path on a "/" boundary; none when no
// drive holds it (path not absolute, or no "/" drive).
std::optional<std::size_t> DriveForPath(const std::vector<std::string>& mountPaths, std::string_view path);

// The folder names of path below the drive's path, empty parts (doubled "/") dropped.
std::vector<std::string> NamesBelow(std::string_view mountPath, std::string_view path);

}  // namespace kelmarin
