// POSIX implementation of Platform.h (Linux, the BSDs, macOS).
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

#include "browser/core/Platform.h"

namespace kelmarin {

namespace {

EntryStatus StatusOf(const struct stat& info) {
  EntryStatus status;
  status.exists = true;
  status.isDirectory = S_ISDIR(info.st_mode);
  status.isRegular = S_ISREG(info.st_mode);
  status.size = static_cast<std::int64_t>(info.st_size);
  status.modifiedSeconds = static_cast<std::int64_t>(info.st_mtim.tv_sec);
  status.modifiedNanoseconds = static_cast<std::int32_t>(info.st_mtim.tv_nsec);
  return status;
}

}  // namespace

struct DirectoryReader::State {
  DIR* dir = nullptr;
};

DirectoryReader::DirectoryReader(const std::string& folder) : state(std::make_unique<State>()) {
  // O_DIRECTORY refuses anything that is not a folder, so a FIFO given as a folder never blocks.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return;
  state->dir = ::fdopendir(fd);
  if (state->dir == nullptr) ::close(fd);
}

DirectoryReader::~DirectoryReader() {
  if (state->dir != nullptr) ::closedir(state->dir);
}

bool DirectoryReader::IsOpen() const {
  return state->dir != nullptr;
}

bool DirectoryReader::Next(std::string_view& name, EntryKind& kind) {
  if (state->dir == nullptr) return false;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(state->dir);
    if (entry == nullptr) return false;
    name = entry->d_name;
    if (name == "." || name == "..") continue;
#ifdef _DIRENT_HAVE_D_TYPE
    switch (entry->d_type) {
      case DT_DIR:
        kind = EntryKind::Directory;
        break;
      case DT_REG:
        kind = EntryKind::Regular;
        break;
      case DT_LNK:
      case DT_UNKNOWN:
        kind = EntryKind::Unknown;
        break;
      default:
        kind = EntryKind::Other;
        break;
    }
#else
    kind = EntryKind::Unknown;
#endif
    return true;
  }
}

EntryStatus DirectoryReader::Stat(std::string_view name) const {
  EntryStatus status;
  if (state->dir == nullptr) return status;
  const std::string nameText(name);
  struct stat info {};
  if (::fstatat(::dirfd(state->dir), nameText.c_str(), &info, 0) != 0) return status;
  return StatusOf(info);
}

EntryStatus FileStatus(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return StatusOf(info);
}

LocalDateTime ToLocalDateTime(std::int64_t secondsSinceEpoch) {
  LocalDateTime result;
  const auto seconds = static_cast<std::time_t>(secondsSinceEpoch);
  std::tm parts{};
  if (::localtime_r(&seconds, &parts) == nullptr) return result;
  result.year = parts.tm_year + 1900;
  result.month = parts.tm_mon + 1;
  result.day = parts.tm_mday;
  result.hour = parts.tm_hour;
  result.minute = parts.tm_min;
  result.second = parts.tm_sec > 59 ? 59 : parts.tm_sec;  // a leap second shows as :59
  return result;
}

std::string ReadMountTable() {
  std::ifstream in("/proc/self/mountinfo");
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

namespace {

std::string RealPath(const std::string& path) {
  char buffer[PATH_MAX];
  if (::realpath(path.c_str(), buffer) == nullptr) return {};
  return buffer;
}

std::string ReadFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  if (in) std::getline(in, line);
  return line;
}

// Names in /dev/disk/by-label escape unsafe bytes as \xHH (udev).
std::string UnescapeUdev(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x') {
      char* end = nullptr;
      const std::string hex = text.substr(i + 2, 2);
      const long value = std::strtol(hex.c_str(), &end, 16);
      if (end == hex.c_str() + 2) {
        out.push_back(static_cast<char>(value));
        i += 3;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

bool IsRemovableDevice(const std::string& devicePath) {
  const std::string device = RealPath(devicePath);
  const auto slash = device.rfind('/');
  if (device.rfind("/dev/", 0) != 0 || slash == std::string::npos) return false;
  const std::string sysPath = RealPath("/sys/class/block/" + device.substr(slash + 1));
  if (sysPath.empty()) return false;
  // A partition keeps the flag in its disk's folder, one level up.
  std::string flag = ReadFirstLine(sysPath + "/removable");
  if (flag.empty()) flag = ReadFirstLine(sysPath + "/../removable");
  return flag == "1";
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') return home;
  if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
    return entry->pw_dir;
  }
  return {};
}

std::string VolumeLabelOfDevice(const std::string& devicePath) {
  const std::string device = RealPath(devicePath);
  if (device.empty()) return {};
  DirectoryReader labels("/dev/disk/by-label");
  std::string_view name;
  EntryKind kind;
  while (labels.Next(name, kind)) {
    const std::string link = "/dev/disk/by-label/" + std::string(name);
    if (RealPath(link) == device) return UnescapeUdev(std::string(name));
  }
  return {};
}

}  // namespace kelmarin

