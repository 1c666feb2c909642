#pragma once
// The metadata bytes of one image file as the codec layer delivers them, in file order.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
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

// One TIFF-structured block (TIFF header at its first byte) from a container: a whole TIFF or RAW
// file, the EXIF payload of a container, or one part of a container that splits its EXIF.
enum class TiffBlockRole : std::uint8_t {
  Whole,      // directory 0 is the main section, its next link the thumbnail, sub-directories as usual
  Main,       // CR3 CMT1: directory 0 (main section) only
  Exif,       // CR3 CMT2: the Exif directory (main section)
  Makernote,  // CR3 CMT3: the makernote directory (of the make read from the parts before)
  Gps,        // CR3 CMT4: the GPS directory
};

struct TiffBlock {
  TiffBlockRole role = TiffBlockRole::Whole;
  std::span<const std::uint8_t> bytes;
  // Keeps the bytes alive (a memory-mapped file or a buffer of their own).
  std::shared_ptr<const void> owner;
};

// "nclx" colour information of an ISO base media "colr" box: code points of ITU-T H.273 (ISO/IEC 23091-2).
struct NclxColour {
  std::uint16_t primaries = 0;
  std::uint16_t transfer = 0;
  std::uint16_t matrix = 0;
  bool fullRange = false;
};

struct MetadataSource {
  std::vector<JpegMarker> markers;  // JPEG APPn markers
  std::vector<std::string>
      comments;                // JPEG COM segments, raw bytes; an empty one is kept (it uses up a number)
  std::vector<PngText> texts;  // PNG tEXt, zTXt, iTXt chunks
  std::vector<TiffBlock> tiffBlocks;  // in file order; read after the markers of any image type
  // Filled by a container reader (image/meta/Formats.h names each format's): its markers (an embedded JPEG's,
  // IPTC of a TIFF) and blocks are read whatever the image type.
  bool container = false;
  // A whole ICC profile a container holds in one piece (PNG iCCP, TIFF tag 34675, a RIFF ICCP
  // chunk, an ISO colr box, PSD resource 0x040F); a JPEG's is split over its APP2 markers and joined when read.
  std::vector<std::uint8_t> icc;
  // The decoder gives the pixels in sRGB whatever the profile says (a picture coded in XYB):
  // the profile is listed but not applied.
  bool pixelsInSrgb = false;
  std::optional<NclxColour> nclx;
  // XMP packets found by a container reader (TIFF tag 700, RIFF chunks, ISO boxes,
  // PSD resources, GIF extensions), in file order; JPEG and PNG packets are read from the markers and texts above.
  std::vector<std::string> xmpPackets;

  void Clear() {
    markers.clear();
    comments.clear();
    texts.clear();
    tiffBlocks.clear();
    container = false;
    icc.clear();
    pixelsInSrgb = false;
    nclx.reset();
    xmpPackets.clear();
  }

  // Adds a block that owns a copy of bytes.
  void AddTiffCopy(TiffBlockRole role, std::span<const std::uint8_t> bytes) {
    auto copy = std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end());
    tiffBlocks.push_back({role, std::span<const std::uint8_t>(*copy), copy});
  }
};

}  // namespace kelmarin
