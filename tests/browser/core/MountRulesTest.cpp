// Which mounts are drives: one mount-table line per case, and the home folder's place.
#include <gtest/gtest.h>

#include "browser/core/Drives.h"

namespace kelmarin {
namespace {

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
