// The toolkit-free core of the browser: file patterns and the format table, folder listings, the
// drive list, and the window layout.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <vector>

#include "browser/core/Drives.h"
#include "browser/core/FolderListing.h"
#include "browser/core/FormatTable.h"
#include "browser/core/PatternList.h"
#include "browser/core/WindowLayout.h"

namespace kelmarin {
namespace {

std::array<bool, kFormatBoxCount> Boxes(std::initializer_list<int> indices) {
  std::array<bool, kFormatBoxCount> active{};
  for (int i : indices) active[static_cast<std::size_t>(i)] = true;
  return active;
}

// Boxes come first, then names, then extensions; empty name parts stay. A typed extension is matched
// whole for its own box only; one whose box takes no part is extended like any other name pattern.
TEST(BuildPatternList, NamePatternsTimesExtensionsInBoxOrder) {
  const struct {
    const char* names;
    std::array<bool, kFormatBoxCount> boxes;
    std::vector<FilePattern> expected;
  } cases[] = {
      {"*, IMG*", Boxes({3, 1}),  // "emf, wmf" (1) and "jpg" (3)
       {{"*.EMF", 2}, {"*.WMF", 2}, {"IMG*.EMF", 2}, {"IMG*.WMF", 2}, {"*.JPG", 4},
        {"*.JPEG", 4}, {"*.JPE", 4}, {"IMG*.JPG", 4}, {"IMG*.JPEG", 4}, {"IMG*.JPE", 4}}},
      {"a*,", Boxes({6}), {{"a*.PNG", 8}, {".PNG", 8}}},
      {"", Boxes({6}), {{".PNG", 8}}},
      {"*", Boxes({}), {}},
      {"*, IMG*.jpeg", Boxes({3, 6}), {{"*.JPG", 4}, {"*.JPEG", 4}, {"*.JPE", 4}, {"IMG*.jpeg", 4}, {"*.PNG", 8}}},
      {"*.jpg", Boxes({6}), {{"*.jpg.PNG", 8}}},
      {"x*.HEIC", Boxes({0, 11, 12}), {{"x*.HEIC", 13}}},  // today's formats and the raw row
      {" *.cr3 ", Boxes({0, 11, 12}), {{"*.cr3", 10}}},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildPatternList(c.names, c.boxes), c.expected) << c.names;
}

TEST(MatchesPattern, WildcardsBracketsCaseAndUnicode) {
  // "[!]" is a negated empty list (any one character), a "[" without "]" stands for itself, and a
  // byte that is not UTF-8 counts as one character and equals only itself.
  const std::pair<const char*, const char*> matching[] = {
      {"photo.JPG", "*.jpg"}, {"photo.jpg", "*.JPG"}, {".JPG", "*.JPG"},      {".png", ".PNG"},
      {"ab.c", "a?.c"},       {"abcabcabd", "a*b*d"}, {"x", "**x**"},         {"c1.png", "[a-f]#.png"},
      {"-", "[a-]"},          {"b", "[xa-cz]"},       {"*", "[*]"},           {"C1.png", "[a-f]#.png"},
      {"ab", "a[]b"},         {"!", "[!]"},           {"[ab.jpg", "[ab.JPG"}, {"y.png", "[!x].png"},
      {"IMG_0001.JPG", "IMG_####.JPG"}, {"Ärger.jpg", "ä*.JPG"},  {"Übung.jpg", "?bung.jpg"},
      {"ŁÓDŹ.jpg", "łódź.jpg"},         {"ФОТО.jpg", "фото.jpg"}, {"\xE4.jpg", "?.jpg"}};
  const std::pair<const char*, const char*> notMatching[] = {
      {"photo.jpeg", "*.JPG"}, {"a.png", ".PNG"},      {"IMG_00a1.JPG", "IMG_####.JPG"},
      {"a.c", "a?.c"},         {"abcabcabe", "a*b*d"}, {"g1.png", "[a-f]#.png"},
      {"X.png", "[!x].png"},   {"a", "[*]"},           {"b", "[z-a]"},
      {"\xE4.jpg", "\xC4.jpg"}};
  for (const auto& [name, pattern] : matching) EXPECT_TRUE(MatchesPattern(name, pattern)) << name << pattern;
  for (const auto& [name, pattern] : notMatching)
    EXPECT_FALSE(MatchesPattern(name, pattern)) << name << pattern;
}

namespace fs = std::filesystem;

class FolderListingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("kelmarin-listing-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  void Write(const std::string& name, std::size_t bytes) {
    std::ofstream(folder / name, std::ios::binary) << std::string(bytes, 'x');
  }
  std::vector<std::string> Names(const std::vector<FileEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name + "." + e.extension);
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path folder;
};

std::vector<FilePattern> Star(std::int32_t code = 4, const std::string& ext = "JPG") {
  return {{"*." + ext, code}};
}

TEST_F(FolderListingTest, ListsOnlyRegularFilesAndLinksToThem) {
  Write("photo.JPG", 10);
  Write("photo.jpg", 20);
  Write("photo.jpeg", 30);
  Write("notes.txt", 5);
  fs::create_directory(folder / "folder.jpg");
  ASSERT_EQ(::mkfifo((folder / "pipe.jpg").c_str(), 0600), 0);  // opening it would block
  fs::create_symlink(folder / "photo.jpg", folder / "link.jpg");
  fs::create_symlink(folder / "missing.jpg", folder / "dangling.jpg");
  fs::create_directory_symlink(folder / "folder.jpg", folder / "dirlink.jpg");

  const auto entries = ListImageFiles(folder.string(), Star());
  EXPECT_EQ(Names(entries), (std::vector<std::string>{"link.jpg", "photo.JPG", "photo.jpg"}));
  for (const auto& e : entries) {
    EXPECT_EQ(e.typeCode, 4);
    EXPECT_EQ(e.width, 0);
    EXPECT_EQ(e.loadTime, 0);
    EXPECT_EQ(e.name == "photo" && e.extension == "JPG" ? 10 : 20, e.size) << e.name << "." << e.extension;
  }
}

TEST_F(FolderListingTest, TypeOrderSizeAndLocalTime) {
  for (const char* name : {"b2.png", "a1.png", "c3.png", "B.png", "10.png", "2.png", "Ä.png"}) Write(name, 1);
  const auto when = static_cast<std::time_t>(1103907909);  // 2004-12-24 17:05:09 UTC
  fs::last_write_time(folder / "a1.png",
                      fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(when)));
  std::ofstream(folder / "huge.png").close();
  fs::resize_file(folder / "huge.png", 5'000'000'123LL);  // sparse: no disk space used
  // The first matching pattern gives the type; sorted by name without regard to case.
  std::string listed;
  for (const auto& e : ListImageFiles(folder.string(), {{"a*.PNG", 8}, {"b*.PNG", 9}, {"*.PNG", 10}}))
    listed += e.name + ":" + std::to_string(e.typeCode) + ":" + std::to_string(e.size) + " ";
  EXPECT_EQ(listed, "10:10:1 2:10:1 a1:8:1 B:9:1 b2:9:1 c3:10:1 huge:10:5000000123 Ä:10:1 ");
  std::tm local{};
  ::localtime_r(&when, &local);
  const LocalDateTime expected{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                               local.tm_hour,        local.tm_min,     local.tm_sec};
  EXPECT_EQ(ListImageFiles(folder.string(), {{"a1.png", 8}})[0].modified, expected);
}

TEST_F(FolderListingTest, LargeFolderKeepsEveryStatusInOrder) {
  // Enough files for the statuses to be read on several threads: each file's size tells its name.
  constexpr int kFiles = 4501;
  for (int i = 0; i < kFiles; ++i) Write("p" + std::to_string(i) + ".jpg", static_cast<std::size_t>(i % 13 + 1));
  fs::create_directory(folder / "z0.jpg");
  fs::create_symlink(folder / "missing.jpg", folder / "z1.jpg");
  fs::create_symlink(folder / "p7.jpg", folder / "z2.jpg");
  const auto entries = ListImageFiles(folder.string(), Star());
  ASSERT_EQ(entries.size(), std::size_t{kFiles + 1});
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const FileEntry& e = entries[i];
    const int number = std::stoi(e.name.substr(1));
    EXPECT_EQ(e.size, e.name == "z2" ? 8 : number % 13 + 1) << e.name;
    EXPECT_EQ(e.typeCode, 4);
    if (i > 0) {
      EXPECT_LT(entries[i - 1].name, e.name) << "sorted by name";
    }
  }
  EXPECT_EQ(ListImageFiles(folder.string(), Star(), ListOrder::kAsListed).size(), entries.size());
}

TEST_F(FolderListingTest, UnreadableFoldersListNothing) {
  Write("file.jpg", 1);
  EXPECT_TRUE(ListImageFiles((folder / "missing").string(), Star()).empty());
  EXPECT_TRUE(ListImageFiles((folder / "file.jpg").string(), Star()).empty());
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
  EXPECT_TRUE(ListImageFiles((folder / "pipe").string(), Star()).empty());
  EXPECT_TRUE(ListImageFiles(folder.string(), {}).empty());
  EXPECT_TRUE(ListSubfolders((folder / "missing").string()).empty());
  EXPECT_FALSE(HasSubfolders((folder / "pipe").string()));
  if (::geteuid() != 0) {  // root reads every folder
    fs::create_directory(folder / "locked");
    Write("locked/x.jpg", 1);
    fs::permissions(folder / "locked", fs::perms::none);
    EXPECT_TRUE(ListImageFiles((folder / "locked").string(), Star()).empty());
    fs::permissions(folder / "locked", fs::perms::owner_all);
  }
}

TEST_F(FolderListingTest, SubfoldersIncludeHiddenAndLinkedFolders) {
  EXPECT_FALSE(HasSubfolders(folder.string()));
  Write("plain.jpg", 1);
  EXPECT_FALSE(HasSubfolders(folder.string()));
  fs::create_directory(folder / "Dummy");
  fs::create_directory(folder / ".hidden");
  fs::create_directory_symlink(folder / "Dummy", folder / "linked");
  fs::create_symlink(folder / "plain.jpg", folder / "filelink");
  EXPECT_TRUE(HasSubfolders(folder.string()));
  auto names = ListSubfolders(folder.string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".hidden", "Dummy", "linked"}));
}

TEST_F(FolderListingTest, NamesSplitAtTheLastDotAndTypedByWholeExtension) {
  for (const char* name : {"photo.jpeg", "scan.TIFF", "a.b.jpe", "raw.CR3", "noext", "dot.", "x.jpg.txt"})
    Write(name, 1);
  std::array<bool, kFormatBoxCount> all{};
  all.fill(true);
  std::vector<std::string> listed;
  for (const FileEntry& entry : ListImageFiles(folder.string(), BuildPatternList("*", all)))
    listed.push_back(entry.name + "|" + entry.extension + "|" + std::to_string(entry.typeCode));
  EXPECT_EQ(listed, (std::vector<std::string>{"a.b|jpe|4", "photo|jpeg|4", "raw|CR3|10", "scan|TIFF|12"}));
}

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
  EXPECT_EQ(DrivesFromMounts({}, nullptr, nullptr).at(0).mountPath, "/");  // the root is always there
}

TEST(Drives, LongestMountPrefixOnSlashBoundary) {
  const std::vector<std::string> mounts = {"/", "/work", "/work/deep", "/media/x"};
  const std::pair<const char*, std::optional<std::size_t>> paths[] = {
      {"/work/main/src", 1}, {"/workshop", 0}, {"/work/deep", 2}, {"/", 0}, {"relative/path", {}}, {"", {}}};
  for (const auto& [path, drive] : paths) EXPECT_EQ(DriveForPath(mounts, path), drive) << path;
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

constexpr LayoutMetrics kMetrics{240, 45};  // 16 px scroll bar, 3 px frame at 15 twips per pixel
constexpr std::int32_t kMenu = 300;         // the window's outer height above its client area

// A window after start-up with the design size, laid out once.
struct Window {
  WindowLayout layout;
  LayoutState state;
  std::int32_t width = kDesignClientWidth;
  std::int32_t height = kDesignClientHeight + kMenu;

  Window() {
    layout.fileListHasColumn = true;
    state.minTreeWidth = 4560;
    RestoreStartSizes(layout, state, layout.tree.width, width, height, height, 19200, 14400);
    Resize(width, height);
  }
  void Resize(std::int32_t w, std::int32_t h) {
    width = w;
    height = h;
    LayoutPass(layout, state, w, h, w, h - kMenu, kMetrics);
  }
};

TEST(RestoreStartSizes, DesignClampsAndMaximise) {
  WindowLayout layout;
  LayoutState state;
  state.minTreeWidth = 4560;
  auto sizes = RestoreStartSizes(layout, state, 3495.0, 11400, 8625, 8625, 19200, 14400);
  EXPECT_EQ(layout.tree.width, 4560);  // below minTreeWidth (the filter frame)
  EXPECT_EQ(layout.tree.height, 3000);
  EXPECT_EQ(layout.vsplitter, (TwipsRect{4620, 540, 30, 3000}));
  EXPECT_EQ(layout.hsplitter, (TwipsRect{60, 3540, 4560, 30}));
  EXPECT_EQ(std::tuple(sizes.minWidth, sizes.width, sizes.minHeight, sizes.height, sizes.maximise),
            std::tuple(180 + 4605 + 6000, 11400, 8625, 8625, false));
  EXPECT_EQ(std::pair(state.prevWidth, state.prevHeight), std::pair(11400, 8625));
  sizes = RestoreStartSizes(layout, state, 5000.4, 30000, 20000, 8625, 19200, 14400);
  EXPECT_EQ(layout.tree.width, 5000);
  EXPECT_EQ(std::tuple(sizes.width, sizes.height, sizes.maximise), std::tuple(19200, 14400, true));
  sizes = RestoreStartSizes(layout, state, 4560.5, 100, 100, 8625, 19200, 14400);
  EXPECT_EQ(layout.tree.width, 4560);  // halves go to the even neighbour
  EXPECT_EQ(std::tuple(sizes.width, sizes.height, sizes.maximise), std::tuple(10785, 8625, false));
  // A screen smaller than the design height: the minimum height is the screen's.
  sizes = RestoreStartSizes(layout, state, 4560, 11400, 9000, 9500, 19200, 8000);
  EXPECT_EQ(std::pair(sizes.minHeight, sizes.height), std::pair(8000, 8000));
}

TEST(LayoutPass, TallerGrowsTheTreeWiderTheMetadataList) {
  Window w;
  const WindowLayout before = w.layout;
  const auto& b = before;
  EXPECT_EQ(std::tuple(b.dateiliste.top, b.dateiliste.height, b.rahmenLinks.top, b.rahmenRechts.left,
                       b.fileColumnWidth),
            std::tuple(3570, kDesignClientHeight - 3570 - 2625 - 240,
                       b.dateiliste.top + b.dateiliste.height + 60, b.exifliste.left, 4560 - 240 - 90));
  w.Resize(w.width + 1500, w.height + 600);
  const auto& a = w.layout;
  // Taller: the tree, the metadata list and the bar grow; the file list and the panels move down.
  EXPECT_EQ(std::tuple(a.tree.height, a.exifliste.height, a.vsplitter.height, a.dateiliste.height),
            std::tuple(b.tree.height + 600, b.exifliste.height + 600, b.vsplitter.height + 600,
                       b.dateiliste.height));
  EXPECT_EQ(std::tuple(a.dateiliste.top, a.rahmenLinks.top, a.rahmenRechts.top),
            std::tuple(b.dateiliste.top + 600, b.rahmenLinks.top + 600, b.rahmenRechts.top + 600));
  // Wider: only the metadata list, whose last two columns share the room.
  EXPECT_EQ(std::tuple(a.exifliste.width, a.tree.width, a.rahmenLinks.left, a.rahmenRechts.left),
            std::tuple(b.exifliste.width + 1500, b.tree.width, b.rahmenLinks.left, b.rahmenRechts.left));
  const auto& c = a.exifColumns;
  EXPECT_EQ(std::tuple(c[0], c[1], c[2], c[3]),
            std::tuple(600, 1750, c[3], (a.exifliste.width - 600 - 1750 - 240 - 90) / 2));
  // Shrinking stops the tree at its minimum; the file list loses what the tree could not give.
  const WindowLayout tall = w.layout;
  w.Resize(w.width, w.height - 2000);
  EXPECT_EQ(std::tuple(a.tree.height, a.dateiliste.height, a.rahmenLinks.top),
            std::tuple(3000, tall.dateiliste.height - 2000 + (tall.tree.height - 3000),
                       tall.rahmenLinks.top - 2000));
  // A narrow list keeps its columns; a minimised window changes nothing.
  w.layout.exifColumns = {600, 1750, 5000, 5000};
  w.Resize(w.width, w.height);
  EXPECT_EQ(w.layout.exifColumns[2], 5000);
  const WindowLayout kept = w.layout;
  LayoutPass(w.layout, w.state, 100, 100, 100, 100, kMetrics, true);
  EXPECT_EQ(w.layout, kept);
}

TEST(LayoutPass, BeforeStartUpTheDesignHolds) {
  // A start-up that ended before the sizes were restored: no minimum, no delta.
  WindowLayout layout;
  LayoutState state;
  state.prevWidth = kDesignClientWidth;
  state.prevHeight = kDesignClientHeight + kMenu;
  LayoutPass(layout, state, kDesignClientWidth, kDesignClientHeight + kMenu, kDesignClientWidth,
             kDesignClientHeight, kMetrics);
  EXPECT_EQ(layout.tree.height, 2160);
  EXPECT_EQ(layout.exifliste.left, 3615);
}

TEST(Splitters, HorizontalDragKeepsTreeWhenTooLow) {
  Window w;
  w.Resize(w.width, w.height + 3000);  // room for the tree to grow
  const std::int32_t start = w.layout.tree.height;
  DragHorizontalSplitter(w.layout, w.state, -200);
  EXPECT_EQ(w.layout.tree.height, start - 200);
  w.Resize(w.width, w.height);
  DragHorizontalSplitter(w.layout, w.state, 50000);  // too low: unchanged
  EXPECT_EQ(w.layout.tree.height, start - 200);
  DragHorizontalSplitter(w.layout, w.state, -50000);  // too high: the minimum
  EXPECT_EQ(w.layout.tree.height, 3000);
}

}  // namespace
}  // namespace kelmarin
