// The metadata-only image reader over arbitrary file contents: the JPEG header and marker reader,
// the PNG header and text reader, the container readers and the type guesser, then the extraction
// over what they kept, and the Orientation found in it.
// The readers take a path, so each input is written to a scratch file of this process first.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "extract/ImageMetadata.h"
#include "extract/MetadataReader.h"
#include "image/meta/MetadataOnly.h"

namespace {

// Removed again when the fuzzer exits.
struct ScratchFile {
  std::string path = "/tmp/kelmarin-fuzz-image-" + std::to_string(::getpid());
  ~ScratchFile() { std::remove(path.c_str()); }
};

const std::string& ScratchPath() {
  static const ScratchFile file;
  return file.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(ScratchPath().c_str(), "wb");
  if (file == nullptr) return 0;
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);

  // Guessed from the content, then read as JPEG, PNG, RAW, TIFF, HEIF, WebP and JPEG XL whatever it
  // holds (HEIF through libheif).
  for (std::int32_t type : {0, 4, 8, 10, 12, 13, 14, 15}) {
    const kelmarin::codec::MetadataOnlyRead read = kelmarin::codec::ReadMetadataOnly(ScratchPath(), type);
    if (read.error || read.otherFormat || read.source == nullptr) continue;
    kelmarin::ImageMetadata metadata;
    kelmarin::ReadImageMetadata(metadata, read.type, *read.source, nullptr);
    const int orientation = kelmarin::codec::OrientationOf(*read.source);
    if (orientation < 0 || orientation > 8) __builtin_trap();
  }
  return 0;
}
