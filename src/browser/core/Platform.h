#pragma once
// The few operating-system calls the browser core needs: reading a folder entry by entry, the status
// of one entry, local time, the mount table. Everything above this header is portable; the POSIX
// implementation lives in PlatformPosix.cpp.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kelmarin {

// What the folder listing tells about an entry without asking the file system again.
enum class EntryKind {
  Directory,
  Regular,
  Other,    // FIFO, device, socket: never opened, never listed
  Unknown,  // a link, or a file system that does not say: ask Stat
};

struct EntryStatus {
  bool exists = false;  // false: vanished, dangling link, no permission
  bool isDirectory = false;
  bool isRegular = false;
  std::int64_t size = 0;
  std::int64_t modifiedSeconds = 0;  // seconds since 1970-01-01 UTC
  std::int32_t modifiedNanoseconds = 0;  // and the part of a second, where the file system keeps it
};

// Reads one folder. The folder stays open while the object lives; entries "." and ".." are skipped.
class DirectoryReader {
 public:
  // Opens the folder; IsOpen() is false when it cannot be read (missing, no permission, not a folder).
  explicit DirectoryReader(const std::string& folder);
  ~DirectoryReader();
  DirectoryReader(const DirectoryReader&) = delete;
  DirectoryReader& operator=(const DirectoryReader&) = delete;

  bool IsOpen() const;
  // The next entry; false at the end or on a read error. The name stays valid until the next call.
  bool Next(std::string_view& name, EntryKind& kind);
  // The status of an entry of this folder, following links.
  EntryStatus Stat(std::string_view name) const;

 private:
  struct State;
  std::unique_ptr<State> state;
};

// The status of a file by its path, following links; exists is false when it cannot be asked for.
EntryStatus FileStatus(const std::string& path);

// A broken-down local time, to the second.
struct LocalDateTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;

  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// Seconds since 1970 UTC in the local time zone; a time the system cannot convert gives 1970-01-01.
LocalDateTime ToLocalDateTime(std::int64_t secondsSinceEpoch);

// The text of the mount table (/proc/self/mountinfo); empty when it cannot be read.
std::string ReadMountTable();

// Whether the block device (a path such as /dev/sdb1) belongs to a disk the system calls removable.
bool IsRemovableDevice(const std::string& devicePath);

// The user's home folder ($HOME, else the password database's), "" when neither tells.
std::string HomeFolder();

// The volume label of a block device, or "" when it has none or it cannot be told.
std::string VolumeLabelOfDevice(const std::string& devicePath);

}  // namespace kelmarin
