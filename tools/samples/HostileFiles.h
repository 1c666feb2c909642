#pragma once
// Small files of today's formats built in code for the tests and the fuzz seeds, among them hostile
// ones that claim far more than they hold: a HEIF item table whose items list tens of thousands of
// extents in no bytes at all, a WebP frame header of a huge picture without its picture.

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "TiffBuilder.h"

namespace kelmarin::test {

// ISO base media boxes (ISO/IEC 14496-12, 4.2): size, type, payload; a full box adds version and
// flags (0).
inline std::vector<std::uint8_t> IsoBox(std::string_view type, const std::vector<std::uint8_t>& payload) {
  const TiffBuilder be(ByteOrder::BigEndian);
  return Cat({be.U32(static_cast<std::uint32_t>(8 + payload.size())), Bytes(type), payload});
}
inline std::vector<std::uint8_t> IsoFullBox(std::string_view type, std::uint8_t version,
                                            const std::vector<std::uint8_t>& payload) {
  return IsoBox(type, Cat({{version, 0, 0, 0}, payload}));
}

// Where HeifFile puts its payload: right after the file type box and the media data box's header.
inline constexpr std::uint32_t kHeifPayloadAt = 24 + 8;

// One item of a version 1 "iloc" box with four-byte offsets and lengths (field sizes 0x44), no
// base offset: its construction method (0 file, 1 "idat") and its extents as offset and length.
inline std::vector<std::uint8_t> HeifLocation(
    std::uint16_t item, std::uint16_t method,
    const std::vector<std::pair<std::uint32_t, std::uint32_t>>& extents) {
  const TiffBuilder be(ByteOrder::BigEndian);
  std::vector<std::uint8_t> out =
      Cat({be.U16(item), be.U16(method), be.U16(0), be.U16(static_cast<std::uint16_t>(extents.size()))});
  for (const auto& [offset, length] : extents) out = Cat({out, be.U32(offset), be.U32(length)});
  return out;
}

// A HEIC file: the primary picture item 1 ("hvc1") and the EXIF items 2 to exifItems + 1, each of
// which describes it; `payload` in the media data box at kHeifPayloadAt. The "iloc" box (version 1)
// holds `locationCount` items written by the caller in `locations`, with the offset and length
// sizes of `fieldSizes` (offset size << 4 | length size) and no base offset or index.
inline std::vector<std::uint8_t> HeifFile(const std::vector<std::uint8_t>& payload, std::uint16_t exifItems,
                                          std::uint8_t fieldSizes, std::uint16_t locationCount,
                                          const std::vector<std::uint8_t>& locations) {
  const TiffBuilder be(ByteOrder::BigEndian);
  const auto infe = [&](std::uint16_t id, std::string_view type) {
    return IsoFullBox("infe", 2, Cat({be.U16(id), be.U16(0), Bytes(type), {0}}));
  };
  std::vector<std::uint8_t> infos = Cat({be.U16(static_cast<std::uint16_t>(exifItems + 1)), infe(1, "hvc1")});
  std::vector<std::uint8_t> references;
  for (std::uint16_t id = 2; id < exifItems + 2; ++id) {
    infos = Cat({infos, infe(id, "Exif")});
    references = Cat({references, IsoBox("cdsc", Cat({be.U16(id), be.U16(1), be.U16(1)}))});
  }
  const std::vector<std::uint8_t> iloc =
      IsoFullBox("iloc", 1, Cat({{fieldSizes, 0}, be.U16(locationCount), locations}));
  return Cat({IsoBox("ftyp", Bytes(std::string_view("heic\0\0\0\0mif1heic", 16))), IsoBox("mdat", payload),
              IsoFullBox("meta", 0,
                         Cat({IsoFullBox("pitm", 0, be.U16(1)), IsoFullBox("iinf", 0, infos),
                              IsoFullBox("iref", 0, references), iloc}))});
}

// The item location bomb: offset and length fields of no width (every extent is the whole file)
// and 65,535 extents for each of the items 1 to `items`, eight bytes an item. With 16 EXIF items
// and 2,200 items the file has 18 KB.
inline std::vector<std::uint8_t> HeifIlocBomb(std::uint16_t exifItems, std::uint16_t items) {
  const TiffBuilder be(ByteOrder::BigEndian);
  std::vector<std::uint8_t> locations;
  locations.reserve(std::size_t{items} * 8);
  for (std::uint16_t id = 1; id <= items; ++id) {
    for (const auto& part : {be.U16(id), be.U16(0), be.U16(0), be.U16(0xFFFF)})
      locations.insert(locations.end(), part.begin(), part.end());
  }
  return HeifFile(Bytes("picture"), exifItems, 0x00, items, locations);
}

// A WebP file of a lossy (VP8) key frame claiming width × height pixels (each at most 16383) that
// holds no more than its first partition, `partition` zero bytes (none at all when 0, where the
// frame says it has one byte): the macroblocks' data is missing. 30 bytes and the partition.
inline std::vector<std::uint8_t> WebpWithoutMacroblocks(std::uint16_t width, std::uint16_t height,
                                                        std::uint32_t partition = 0) {
  const TiffBuilder le(ByteOrder::LittleEndian);
  // Frame tag: key frame, version 0, shown, the first partition's size (RFC 6386, 9.1).
  const std::uint32_t tag = (1u << 4) | (std::max<std::uint32_t>(partition, 1) << 5);
  std::vector<std::uint8_t> frame = Cat({{static_cast<std::uint8_t>(tag), static_cast<std::uint8_t>(tag >> 8),
                                          static_cast<std::uint8_t>(tag >> 16), 0x9D, 0x01, 0x2A},
                                         le.U16(width),
                                         le.U16(height)});
  frame.resize(frame.size() + partition, 0);
  const std::vector<std::uint8_t> chunk =
      Cat({Bytes("VP8 "), le.U32(static_cast<std::uint32_t>(frame.size())), frame});
  return Cat({Bytes("RIFF"), le.U32(static_cast<std::uint32_t>(4 + chunk.size())), Bytes("WEBP"), chunk});
}

}  // namespace kelmarin::test
