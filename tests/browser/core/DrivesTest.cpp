#include <gtest/gtest.h>

#include "browser/core/Drives.h"

namespace kelmarin {
namespace {

constexpr const char* kMountInfo =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "30 27 0:27 / /dev/shm rw - tmpfs tmpfs rw\n"
    "31 27 8:17 / /media/anna/USB\\040STICK rw,nosuid shared:5 master:1 - vfat /dev/sdb1 rw\n"
    "32 27 0:40 / /mnt/fotos rw - nfs4 server:/export/fotos rw\n"
    "33 27 11:0 / /media/cdrom ro - iso9660 /dev/sr0 ro\n"
    "34 27 0:41 / /tmp rw - tmpfs tmpfs rw\n"
    "35 27 0:42 / /run/user/1000 rw - tmpfs tmpfs rw\n"
    "36 27 0:43 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
    "37 27 8:3 / /home rw - ext4 /dev/sda3 rw\n"
    "38 27 0:44 / /mnt/sandbox ro - tmpfs sandbox ro\n"
    "39 27 2:0 / /mnt/floppy rw - vfat /dev/fd0 rw\n"
    "40 27 8:18 / /home rw - ext4 /dev/sdb2 rw\n"
    "broken line\n"
    "41 27 0:45 / /srv/x rw - fuse.mystery thing rw\n";

bool RemovableSdb(const std::string& device) {
  return device.rfind("/dev/sdb", 0) == 0;
}
std::string LabelOf(const std::string& device) {
  return device == "/dev/sr0" ? "FERIEN_2004" : "";
}

TEST(Drives, MountTableToDrives) {
  const auto mounts = ParseMountInfo(kMountInfo);
  ASSERT_EQ(mounts.size(), 14u);
  EXPECT_EQ(mounts[3].mountPoint, "/media/anna/USB STICK");
  EXPECT_EQ(mounts[4].source, "server:/export/fotos");

  const auto drives = DrivesFromMounts(mounts, &RemovableSdb, &LabelOf);
  std::vector<std::string> paths;
  for (const auto& d : drives) paths.push_back(d.mountPath);
  // "/" first, then in table order; /home mounted twice keeps its first place.
  EXPECT_EQ(paths, (std::vector<std::string>{"/", "/media/anna/USB STICK", "/mnt/fotos", "/media/cdrom",
                                             "/home", "/mnt/floppy", "/srv/x"}));
  std::vector<DriveKind> kinds;
  for (const auto& d : drives) kinds.push_back(d.kind);
  // The later mount over /home is the one seen.
  EXPECT_EQ(kinds, (std::vector<DriveKind>{DriveKind::Fixed, DriveKind::Removable, DriveKind::Network,
                                           DriveKind::Optical, DriveKind::Removable, DriveKind::Floppy,
                                           DriveKind::Unknown}));
  EXPECT_EQ(DriveText(drives[3]), "FERIEN_2004 (/media/cdrom)");
  EXPECT_EQ(DriveText(drives[0]), "(/)");
  EXPECT_EQ(DriveIconKey(drives[6].kind), "DriveUnbekannt");
  EXPECT_EQ(DriveIconKey(DriveKind::Floppy), "DriveDiskette");
  EXPECT_EQ(DrivesFromMounts({}, nullptr, nullptr).at(0).mountPath, "/");  // the root is always there
}

TEST(Drives, LongestMountPrefixOnSlashBoundary) {
  const std::vector<std::string> mounts = {"/", "/work", "/work/deep", "/media/x"};
  EXPECT_EQ(DriveForPath(mounts, "/work/main/src"), 1u);
  EXPECT_EQ(DriveForPath(mounts, "/workshop"), 0u);
  EXPECT_EQ(DriveForPath(mounts, "/work/deep"), 2u);
  EXPECT_EQ(DriveForPath(mounts, "/"), 0u);
  EXPECT_FALSE(DriveForPath(mounts, "relative/path"));
  EXPECT_FALSE(DriveForPath(mounts, ""));
  EXPECT_FALSE(DriveForPath({"/media/x"}, "/home"));
  EXPECT_EQ(NamesBelow("/work", "/work/main//src/"), (std::vector<std::string>{"main", "src"}));
  EXPECT_EQ(NamesBelow("/", "/home/anna"), (std::vector<std::string>{"home", "anna"}));
  EXPECT_TRUE(NamesBelow("/work", "/work").empty());
}

struct MountCase {
  const char* line;  // one line of /proc/self/mountinfo
  bool shown;
};

TEST(MountRules, WhatAUserBrowses) {
  const MountCase cases[] = {
      {"1 0 0:30 / / rw - overlay overlay rw,lowerdir=/a", true},  // a container's root stays
      {"3 1 8:1 / /boot/efi rw - vfat /dev/sda1 rw", false},
      {"5 1 7:4 / /mnt/live ro - squashfs /dev/loop4 ro", false},
      {"6 1 0:55 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw", false},
      {"7 1 0:56 / /mnt/layer rw - overlay overlay rw", false},
      {"8 1 8:3 /home/anna/projekt /work rw - ext4 /dev/sda3 rw", false},  // bind mount
      {"9 1 0:40 /@home /home rw - btrfs /dev/sda4 rw,subvol=/@home", true},
      {"10 1 0:40 /@home/anna/x /mnt/x rw - btrfs /dev/sda4 rw,subvol=/@home", false},
      {"11 1 8:17 / /media/anna/KAMERA rw - vfat /dev/sdb1 rw", true},
      {"12 1 8:33 / /run/media/anna/USB rw - exfat /dev/sdc1 rw", true},
      {"14 1 0:61 / /mnt/fotos rw - nfs4 server:/fotos rw", true},
      {"16 1 8:5 / /data rw - ext4 /dev/sda5 rw", true},
      {"17 1 0:41 / /tmp rw - tmpfs tmpfs rw", false},
      {"18 1 8:6 / /var rw - ext4 /dev/sda6 rw", false},
      {"20 1 0:70 / /media/ram rw - tmpfs tmpfs rw", true},
  };
  for (const MountCase& c : cases) {
    const auto mounts = ParseMountInfo(c.line);
    ASSERT_EQ(mounts.size(), 1u) << c.line;
    EXPECT_EQ(IsBrowsableMount(mounts[0]), c.shown) << c.line;
  }
}

TEST(MountRules, SameFileSystemTwiceShownOnce) {
  const auto drives = DrivesFromMounts(ParseMountInfo("1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                                                      "2 1 8:5 / /data rw - ext4 /dev/sda5 rw\n"
                                                      "3 1 8:5 / /mnt/data rw - ext4 /dev/sda5 rw\n"),
                                       nullptr, nullptr);
  ASSERT_EQ(drives.size(), 2u);
  EXPECT_EQ(drives[1].mountPath, "/data");
}

TEST(MountRules, HomeFolderSecond) {
  std::vector<DriveInfo> drives = {{"/", "", DriveKind::Fixed}, {"/mnt/nas", "", DriveKind::Network}};
  AddHomeDrive(drives, "/mnt/nas/anna/");
  ASSERT_EQ(drives.size(), 3u);
  EXPECT_EQ(DriveText(drives[1]), "Persönlicher Ordner (/mnt/nas/anna)");
  EXPECT_EQ(drives[1].kind, DriveKind::Network);  // the kind of the drive it lies on
  for (const char* none : {"", "/", "relativ", "/mnt/nas"}) {
    AddHomeDrive(drives, none);
    EXPECT_EQ(drives.size(), 3u) << none;
  }
}

}  // namespace
}  // namespace kelmarin
