#include "image/meta/MappedFile.h"

#include <sys/mman.h>
#include <unistd.h>

#include "image/meta/CodecBasics.h"

namespace kelmarin::codec {

std::shared_ptr<const MappedFile> MappedFile::Open(const std::string& path) {
  std::int64_t size = 0;
  const int fd = OpenRegularFile(path, size);
  if (fd < 0) return nullptr;
  struct Descriptor {
    int fd;
    ~Descriptor() { ::close(fd); }
  } const open{fd};
  std::shared_ptr<MappedFile> mapped(new MappedFile());
  if (size == 0) return mapped;
  const auto length = static_cast<std::size_t>(size);
  void* address = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, open.fd, 0);
  if (address == MAP_FAILED) return nullptr;
  mapped->mapping = address;
  mapped->data = static_cast<const std::uint8_t*>(address);
  mapped->size = length;
  return mapped;
}

MappedFile::~MappedFile() {
  if (mapping != nullptr) ::munmap(mapping, size);
}

}  // namespace kelmarin::codec
