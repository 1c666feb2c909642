// libFuzzer target: the IPTC reader on one APP13 marker, with and without the Photoshop signature
// put in front of the fuzzer's bytes.

#include <cstddef>
#include <cstdint>

#include "FuzzInput.h"
#include "extract/MetadataReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  kelmarin::ImageMetadata raw;
  kelmarin::ReadIptcBlock(raw, bytes);
  kelmarin::ImageMetadata framed;
  kelmarin::ReadIptcBlock(framed, kelmarin::fuzz::WithHeader(0xED, {"Photoshop 3.0\0", 14}, bytes));
  return 0;
}
