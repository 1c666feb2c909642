// libFuzzer target: the RIFF chunk walker of WebP over the fuzzer's bytes as the chunks of a file.

#include "ContainerFuzz.h"
#include "extract/Containers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelmarin;
  const std::span<const std::uint8_t> bytes(data, size);
  for (const auto& file : {fuzz::Prefixed("RIFF\xff\xff\xff\xffWEBP", bytes),
                           std::vector<std::uint8_t>(bytes.begin(), bytes.end())}) {
    MetadataSource source;
    if (ReadWebpContainer(file, nullptr, source)) fuzz::ReadEverything(std::move(source), 14);
  }
  return 0;
}
