// IPTC datasets (IPTC-NAA Information Interchange Model 4.2, record 2) inside Photoshop image
// resource blocks ("8BIM", resource 0x0404) of an APP13 marker. All numbers are big-endian.

#include <algorithm>
#include <optional>

#include "extract/ByteCursor.h"
#include "extract/MetadataReader.h"
#include "metadata/Text.h"

namespace kelmarin {

namespace {

constexpr std::string_view kPhotoshopSignature = "Photoshop 3.0";
constexpr std::string_view kIptcResource = "8BIM\x04\x04";
constexpr std::uint8_t kTagMarker = 0x1C;
constexpr std::uint8_t kApplicationRecord = 2;
constexpr std::uint8_t kExtendedLength = 0x80;  // IIM 4.2, 1.5.4: top bit of the length field

std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The first place at or after `from` where `text` occurs, ASCII letters compared without regard to case.
std::optional<std::size_t> FindNoCase(const ByteCursor& block, std::string_view text, std::size_t from) {
  if (from >= block.Bytes().size()) return std::nullopt;
  const std::string_view rest = AsText(block.Bytes().subspan(from));
  const auto it = std::search(rest.begin(), rest.end(), text.begin(), text.end(),
                              [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
  if (it == rest.end()) return std::nullopt;
  return from + static_cast<std::size_t>(it - rest.begin());
}

// Reads the datasets of one resource whose data starts at `data` and is `size` bytes long; bytes
// past the block read as 0. Returns the place after the last dataset, or nothing when the whole
// reader has to stop (a byte that is not a record-2 dataset, or an extended dataset length, whose
// data this reader does not take apart).
std::optional<std::size_t> ReadDatasets(ImageMetadata& image, const ByteCursor& block, std::size_t data,
                                        std::size_t size) {
  std::size_t r = data;
  while (r + 2 < data + size) {
    if (block.U8At(r) != kTagMarker || block.U8At(r + 1) != kApplicationRecord) return std::nullopt;
    if ((block.U8At(r + 3) & kExtendedLength) != 0) return std::nullopt;
    const std::int32_t dataset = block.U8At(r + 2);
    const std::size_t length = block.U16At(r + 3);
    if (dataset != 0)  // 2:00 is the record version
      image.IptcAdd(dataset, std::string(AsText(block.PartAt(r + 5, length))));
    r += 5 + length;
  }
  return r;
}

}  // namespace

void ReadIptcBlock(ImageMetadata& image, std::span<const std::uint8_t> bytes) {
  const ByteCursor block(bytes);
  if (!FindNoCase(block, kPhotoshopSignature, 0)) return;
  std::size_t searchFrom = 0;
  while (const std::optional<std::size_t> resource = FindNoCase(block, kIptcResource, searchFrom)) {
    // Pascal-style name: a length byte and the name, padded to an even byte count.
    const std::size_t nameLength = block.U8At(*resource + 6);
    const std::size_t sizeField = *resource + 6 + (nameLength + 2) / 2 * 2;
    // Only the two low-order bytes of the four-byte size are used: APP13 data never exceeds 65535 bytes.
    const std::optional<std::size_t> end =
        ReadDatasets(image, block, sizeField + 4, block.U16At(sizeField + 2));
    if (!end) return;
    // The next block may start right after this one (its data has an even length): search from
    // there. The end lies past the resource's start, so every round moves on.
    searchFrom = *end;
  }
}

}  // namespace kelmarin
