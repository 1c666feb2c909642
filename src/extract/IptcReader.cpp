// IPTC datasets (IPTC-NAA Information Interchange Model 4.2, record 2) inside Photoshop image
// resource blocks ("8BIM", resource 0x0404) of an APP13 marker. All numbers are big-endian.

#include "extract/ByteReader.h"
#include "extract/MetadataReader.h"

namespace kelmarin {

namespace {

constexpr std::string_view kPhotoshopSignature = "Photoshop 3.0";
constexpr std::string_view kIptcResource = "8BIM\x04\x04";
constexpr std::uint8_t kTagMarker = 0x1C;
constexpr std::uint8_t kApplicationRecord = 2;
constexpr std::uint8_t kExtendedLength = 0x80;  // IIM 4.2, 1.5.4: top bit of the length field

// Reads the datasets of one resource whose data starts at data and is size bytes long. Returns the
// position after the last dataset, or 0 when the whole reader has to stop (a byte that is not a
// record-2 dataset, or an extended dataset length, whose data this reader does not take apart).
BufferPos ReadDatasets(ImageMetadata& image, const ByteReader& reader, BufferPos data, std::int64_t size) {
  BufferPos r = data;
  while (r < data + size - 2) {
    if (reader.Byte(r) != kTagMarker || reader.Byte(r + 1) != kApplicationRecord) return 0;
    if ((reader.Byte(r + 3) & kExtendedLength) != 0) return 0;
    const std::int32_t dataset = reader.Byte(r + 2);
    const std::int64_t length = reader.ReadU16(r + 3);
    if (dataset != 0)
      image.IptcAdd(dataset, std::string(reader.Text(r + 5, length)));  // 2:00 is the record version
    r += 5 + length;
  }
  return r;
}

}  // namespace

void ReadIptcBlock(ImageMetadata& image, std::span<const std::uint8_t> block) {
  const ByteReader reader(block, ByteOrder::BigEndian);
  if (reader.FindNoCase(kPhotoshopSignature, 1) == 0) return;
  BufferPos searchFrom = 1;
  while (true) {
    const BufferPos p = reader.FindNoCase(kIptcResource, searchFrom);
    if (p == 0) return;
    // Pascal-style name: a length byte and the name, padded to an even byte count.
    const std::int64_t nameLength = reader.Byte(p + 6);
    const std::int64_t nameField = (nameLength + 2) / 2 * 2;
    const BufferPos sizeField = p + 6 + nameField;
    // Only the two low-order bytes of the four-byte size are used: APP13 data never exceeds 65535 bytes.
    const std::int64_t size = reader.ReadU16(sizeField + 2);
    const BufferPos end = ReadDatasets(image, reader, sizeField + 4, size);
    if (end == 0) return;
    // The next block may start right after this one (its data has an even length): search from
    // there. The end lies past p, so every round moves on.
    searchFrom = end;
  }
}

}  // namespace kelmarin
