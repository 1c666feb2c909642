#include "image/meta/MappedFile.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include "image/meta/CodecBasics.h"

namespace kelmarin::codec {

std::shared_ptr<const MappedFile> MappedFile::Open(const std::string& path) {
  const FilePtr file = OpenForReading(path);
  if (file == nullptr) return nullptr;
  struct stat status {};
  if (::fstat(::fileno(file.get()), &status) != 0 || status.st_size < 0) return nullptr;
  std::shared_ptr<MappedFile> mapped(new MappedFile());
  if (status.st_size == 0) return mapped;
  const auto length = static_cast<std::size_t>(status.st_size);
  void* address = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, ::fileno(file.get()), 0);
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
