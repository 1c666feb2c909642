#pragma once
// What the container fuzz targets share: the fuzzer's bytes behind a header that makes the reader
// under test take them (so that the fuzzer spends its time inside the container, not before it),
// then the whole metadata reading of what the reader handed on.

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "extract/ImageMetadata.h"
#include "extract/MetadataReader.h"

namespace kelmarin::fuzz {

inline std::vector<std::uint8_t> Prefixed(std::string_view header, std::span<const std::uint8_t> data) {
  std::vector<std::uint8_t> file(header.begin(), header.end());
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

// Reads every item the source gives, as the listing would ask for it.
inline void ReadEverything(MetadataSource source, std::int32_t type) {
  source.container = true;
  const ImageMetadata image = ReadMetadata(type, std::make_shared<const MetadataSource>(std::move(source)), nullptr);
  for (std::int32_t section = 1; section <= 4; ++section) {
    const std::int32_t count = image.ExifCount(section);
    for (std::int32_t i = 1; i <= count; ++i) {
      if (image.ExifPos(section, i) == nullptr) __builtin_trap();
    }
  }
  image.IptcCount();
  image.ImageCommentCount();
}

}  // namespace kelmarin::fuzz
