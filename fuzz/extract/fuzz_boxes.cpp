// libFuzzer target: the ISO base media box walkers (CR3, HEIF, JPEG XL) over the fuzzer's bytes,
// with and without a leading file-type box that selects them.

#include "ContainerFuzz.h"
#include "extract/Containers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelmarin;
  const std::span<const std::uint8_t> bytes(data, size);
  const std::vector<std::uint8_t> cr3 = fuzz::Prefixed(std::string_view("\0\0\0\x10"
                                                                        "ftypcrx \0\0\0\1",
                                                                        16),
                                                       bytes);
  const std::vector<std::uint8_t> heif = fuzz::Prefixed(std::string_view("\0\0\0\x18"
                                                                         "ftypheic\0\0\0\0mif1heic",
                                                                         24),
                                                        bytes);
  const std::vector<std::uint8_t> jxl =
      fuzz::Prefixed(std::string_view("\0\0\0\x0CJXL \r\n\x87\n", 12), bytes);
  for (const auto& file : {cr3, heif, jxl, std::vector<std::uint8_t>(bytes.begin(), bytes.end())}) {
    MetadataSource source;
    if (ReadCr3Container(file, nullptr, source) | ReadHeifContainer(file, source) |
        ReadJxlContainer(file, nullptr, source))
      fuzz::ReadEverything(std::move(source), 10);
  }
  return 0;
}
