#include "image/meta/MappedFile.h"

#include "image/meta/CodecBasics.h"

#ifdef _WIN32
#include <vector>
#else
#include <sys/mman.h>
#include <sys/stat.h>
#endif

namespace kelmarin::codec {

#ifdef _WIN32

// Without a mapping layer of its own here, the file is read whole.
std::shared_ptr<const MappedFile> MappedFile::Open(const std::string& path) {
  const FilePtr file = OpenForReading(path);
  if (file == nullptr) return nullptr;
  auto* buffer = new std::vector<std::uint8_t>();
  std::uint8_t chunk[65536];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;)
    buffer->insert(buffer->end(), chunk, chunk + got);
  std::shared_ptr<MappedFile> mapped(new MappedFile());
  mapped->data = buffer->data();
  mapped->size = buffer->size();
  mapped->mapping = buffer;
  return mapped;
}

MappedFile::~MappedFile() {
  delete static_cast<std::vector<std::uint8_t>*>(mapping);
}

#else

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

#endif

}  // namespace kelmarin::codec
