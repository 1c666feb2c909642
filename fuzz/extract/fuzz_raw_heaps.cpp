// libFuzzer target: the fuzzer's bytes after the first as the root heap of a CRW file (the first
// byte's lowest bit picks the byte order), as the parts of an MRW file and as an X3F file after
// its signature.

#include "ContainerFuzz.h"
#include "extract/Containers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelmarin;
  if (size == 0) return 0;
  const std::span<const std::uint8_t> rest(data + 1, size - 1);
  const std::string_view header = data[0] % 2 == 0 ? std::string_view("II\x0E\0\0\0HEAPCCDR", 14)
                                                   : std::string_view("MM\0\0\0\x0EHEAPCCDR", 14);
  MetadataSource crw;
  if (ReadCrwContainer(fuzz::Prefixed(header, rest), crw)) fuzz::ReadEverything(std::move(crw), 10);
  // The MRW blocks point into the file: it stays alive while they are read.
  const std::vector<std::uint8_t> file = fuzz::Prefixed(std::string_view("\0MRM\xFF\xFF\xFF\xFF", 8), rest);
  MetadataSource mrw;
  if (ReadMrwContainer(file, nullptr, mrw)) fuzz::ReadEverything(std::move(mrw), 10);
  MetadataSource x3f;
  if (ReadX3fContainer(fuzz::Prefixed(std::string_view("FOVb", 4), rest), x3f)) fuzz::ReadEverything(std::move(x3f), 10);
  return 0;
}
