#pragma once
// A file mapped read-only into memory, so that container readers can follow offsets anywhere in a
// large camera file while only the pages they touch are read from disk.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kelmarin::codec {

class MappedFile {
 public:
  // Null when the path is not a regular file that can be opened and mapped (see OpenForReading).
  // An empty file maps to an empty span.
  static std::shared_ptr<const MappedFile> Open(const std::string& path);

  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  std::span<const std::uint8_t> Bytes() const { return {data, size}; }

 private:
  MappedFile() = default;
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  void* mapping = nullptr;  // what to unmap (null: nothing)
};

}  // namespace kelmarin::codec
