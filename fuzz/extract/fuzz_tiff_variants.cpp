// libFuzzer target: a whole file as TIFF, ORF or RW2 (the first byte picks the byte order and the
// magic number put before the rest), and as a RAF file whose preview JPEG is the rest.

#include "ContainerFuzz.h"
#include "extract/Containers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelmarin;
  if (size == 0) return 0;
  static constexpr std::string_view kHeaders[] = {
      std::string_view("II*\0", 4), std::string_view("MM\0*", 4), "IIRO", "IIRS", "MMOR",
      std::string_view("IIU\0", 4)};
  const std::span<const std::uint8_t> rest(data + 1, size - 1);
  // The blocks point into the file: it stays alive while they are read.
  const std::vector<std::uint8_t> file = fuzz::Prefixed(kHeaders[data[0] % 6], rest);
  MetadataSource tiff;
  if (ReadTiffContainer(file, nullptr, tiff)) fuzz::ReadEverything(std::move(tiff), 12);

  // RAF: the preview at offset 92, as long as the rest.
  std::string raf("FUJIFILMCCD-RAW ");
  raf.resize(84, '\0');
  const auto length = static_cast<std::uint32_t>(rest.size());
  raf += std::string{'\0',
                     '\0',
                     '\0',
                     '\x5C',
                     static_cast<char>(length >> 24),
                     static_cast<char>(length >> 16),
                     static_cast<char>(length >> 8),
                     static_cast<char>(length)};
  MetadataSource preview;
  if (ReadRafContainer(fuzz::Prefixed(raf, rest), preview)) fuzz::ReadEverything(std::move(preview), 10);
  return 0;
}
