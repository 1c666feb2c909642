// Opening image files: the only platform-dependent file code of the codec layer.

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits>
#include <new>
#include <string>

#include "image/meta/CodecBasics.h"

namespace kelmarin::codec {

namespace {

// A stream over a regular file, read by position up to the size the file had when its name was
// looked at.
// Listing many files is mostly system calls, and each is dear where the program runs sandboxed: a
// plain stream asks again for the access mode (fdopen), for the block size (at its first read) and,
// after a short read, once more for the end of the file. This one asks only for the bytes, and seeks
// without asking at all.
struct PositionedFile {
  int fd = -1;
  off_t size = 0;
  off_t at = 0;
  // The stream's buffer: as large as the blocks the JPEG header reader asks for, so that a small
  // file is read whole at its first read.
  char buffer[16 * 1024];

  static ssize_t Read(void* cookie, char* into, std::size_t wanted) {
    auto* self = static_cast<PositionedFile*>(cookie);
    if (self->at >= self->size) return 0;
    const auto left = static_cast<std::size_t>(self->size - self->at);
    ssize_t got = -1;
    do {
      got = ::pread(self->fd, into, wanted < left ? wanted : left, self->at);
    } while (got < 0 && errno == EINTR);
    if (got > 0) self->at += got;
    return got;
  }

  static int Seek(void* cookie, off64_t* offset, int whence) {
    auto* self = static_cast<PositionedFile*>(cookie);
    if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END) return -1;
    const off_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? self->at : self->size;
    if (*offset < -base || *offset > std::numeric_limits<off_t>::max() - base) return -1;
    self->at = base + static_cast<off_t>(*offset);
    *offset = self->at;
    return 0;
  }

  static int Close(void* cookie) {
    auto* self = static_cast<PositionedFile*>(cookie);
    const int closed = ::close(self->fd);
    delete self;
    return closed;
  }
};

// Opens `path` when it names a regular file (or a link to one), setting `size` to its size. A FIFO
// or device would block, never end or act on being opened, so nothing else is opened; O_NONBLOCK
// keeps the open from waiting on a FIFO should the name be replaced in between, and means nothing
// to a regular file.
int OpenNamedRegularFile(const std::string& path, std::int64_t& size) {
  struct stat status {};
  if (path.empty() || ::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return -1;
  size = status.st_size;
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}

}  // namespace

int OpenRegularFile(const std::string& path, std::int64_t& size) {
  const int fd = OpenNamedRegularFile(path, size);
  if (fd < 0) return -1;
  // A mapping must know the open file itself: the name may have been replaced since it was looked at.
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    return -1;
  }
  size = status.st_size;
  return fd;
}

// The stream reads no further than the size the name had when it was looked at. Had the name been
// replaced before the open, a FIFO or folder fails at the first read, and anything else is read no
// further than that size, so the open file is not looked at again.
FilePtr OpenForReading(const std::string& path) {
  std::int64_t size = 0;
  const int fd = OpenNamedRegularFile(path, size);
  if (fd < 0) return nullptr;
  auto* cookie = new (std::nothrow) PositionedFile;
  if (cookie == nullptr) {
    ::close(fd);
    return nullptr;
  }
  cookie->fd = fd;
  cookie->size = static_cast<off_t>(size);
  const cookie_io_functions_t functions{PositionedFile::Read, nullptr, PositionedFile::Seek,
                                        PositionedFile::Close};
  std::FILE* file = ::fopencookie(cookie, "rb", functions);
  if (file == nullptr) {
    PositionedFile::Close(cookie);
    return nullptr;
  }
  std::setvbuf(file, cookie->buffer, _IOFBF, sizeof cookie->buffer);
  return FilePtr(file);
}

Code CheckOpen(const std::string& path) {
  std::int64_t size = 0;
  const int fd = OpenRegularFile(path, size);
  if (fd < 0) return kCannotOpen;
  ::close(fd);
  return kOk;
}

}  // namespace kelmarin::codec
