// Opening image files: the only platform-dependent file code of the codec layer.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "image/meta/CodecBasics.h"

namespace kelmarin::codec {

FilePtr OpenForReading(const std::string& path) {
  if (path.empty()) return nullptr;
  // A FIFO or device would block, never end or act on being opened: only regular files (or links to
  // them) are opened. The check is made again on the open file, in case the name was replaced in
  // between; O_NONBLOCK keeps that open from waiting on a FIFO and means nothing to a regular file.
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return nullptr;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return nullptr;
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) ::close(fd);
  return FilePtr(file);
}

Code CheckOpen(const std::string& path) {
  return OpenForReading(path) != nullptr ? kOk : kCannotOpen;
}

}  // namespace kelmarin::codec
