// The user's file of lens names, as anyone may have written it, and the lens resolution over
// makernote items of any values: the first part of the input is the file, the rest the values of
// every item the resolution reads, for each maker.
#include <cstdint>
#include <string_view>

#include "extract/ImageMetadata.h"
#include "present/Lens.h"

using namespace kelmarin;

namespace {

struct Wanted {
  std::int32_t section;
  std::int32_t tag;
  std::int32_t directory;
};

constexpr Wanted kItems[] = {
    {1, 0x0110, 0},      {1, 0x9205, 0}, {1, 0x920A, 0}, {1, 0xA432, 0}, {1, 0xA433, 0}, {1, 0xA434, 0},
    {1, 0xC630, 0},      {3, 0x0001, 0}, {3, 0x0095, 0}, {3, 0x0098, 0}, {3, 0x0083, 0}, {3, 0x0084, 0},
    {3, 0x001D, 0},      {3, 0x00A7, 0}, {3, 0xB027, 0}, {3, 0x010C, 0}, {3, 0x003F, 0}, {3, 0x0201, 0x2010},
    {3, 0x0203, 0x2010}, {3, 0xA003, 0}, {3, 0x0051, 0}, {3, 0x0310, 0}, {3, 0x0303, 0}, {3, 0x0027, 0},
    {3, 0x1404, 0},      {3, 0x1405, 0}, {3, 0x1406, 0}, {3, 0x1407, 0}};
constexpr std::int32_t kMakers[] = {2, 3, 4, 8, 14, 15, 16, 17, 19, 25, 27, 28, 29, 30};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  const std::string_view file = input.substr(0, split);
  const std::string_view rest =
      split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
  std::vector<std::string> messages;
  const LensTable table =
      LensTable::FromText("canon | 1 | A | 10-20 | 2.8\nnikon | 00 | B\n", file, &messages);
  for (std::int32_t maker : kMakers) {
    ImageMetadata metadata;
    metadata.camera_id = maker;
    std::size_t at = 0;
    for (const Wanted& wanted : kItems) {
      // Each item: its values from the next bytes, alternately as numbers and as one text.
      const std::size_t length = at < rest.size() ? static_cast<std::uint8_t>(rest[at]) % 40 : 0;
      const std::string_view bytes = rest.substr(std::min(at + 1, rest.size()), length);
      at += 1 + length;
      ExifValues values;
      if (!bytes.empty() && (bytes[0] & 1) != 0) {
        values.emplace_back(std::string(bytes.substr(1)));
      } else {
        for (char byte : bytes) values.emplace_back(std::int64_t{static_cast<std::int8_t>(byte)} * 1021);
      }
      if (ZetExif* item = metadata.ExifAdd(wanted.section, wanted.tag, kTypNumbers, values)) {
        item->directory = wanted.directory;
      }
    }
    (void)ResolveLens(metadata, table);
  }
  return 0;
}
