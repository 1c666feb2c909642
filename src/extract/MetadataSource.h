#pragma once
// The metadata bytes of one image file as the codec layer delivers them, in file order.

#include <cstdint>
#include <string>
#include <vector>

namespace kelmarin {

struct JpegMarker {
  std::uint8_t code = 0;            // 0xE0..0xEF for APP0..APP15 (0xE1 EXIF/XMP, 0xED Photoshop/IPTC)
  std::vector<std::uint8_t> bytes;  // 0xFF, code, two length bytes (big-endian), payload
};

struct PngText {
  std::string keyword;  // raw bytes (Latin-1 for tEXt/zTXt, UTF-8 for iTXt)
  std::string text;     // raw bytes
};

struct MetadataSource {
  std::vector<JpegMarker> markers;  // JPEG APPn markers
  std::vector<std::string>
      comments;                // JPEG COM segments, raw bytes; an empty one is kept (it uses up a number)
  std::vector<PngText> texts;  // PNG tEXt, zTXt, iTXt chunks

  void Clear() {
    markers.clear();
    comments.clear();
    texts.clear();
  }
};

}  // namespace kelmarin
