// The metadata of two older containers whose pixels the image layer reads: the image resources of a
// Photoshop file (Photoshop File Formats, "Image Resource Blocks") and the extension blocks of a GIF
// (GIF89a, sections 17 to 26, and the XMP application extension Adobe defined for it).
// See Containers.h for the contract.

#include <algorithm>
#include <string_view>

#include "extract/ByteCursor.h"
#include "extract/Containers.h"

namespace kelmarin {

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint16_t kPsdIptcResource = 0x0404;
constexpr std::uint16_t kPsdIccResource = 0x040F;
constexpr std::uint16_t kPsdXmpResource = 0x0424;
// Against endless lists of tiny resources or extension blocks.
constexpr int kMaxPsdResources = 4096;
constexpr int kMaxGifBlocks = 1 << 20;
// The application block of the XMP extension: its size, "XMP Data" and the authentication code "XMP".
constexpr std::string_view kGifXmpApplication =
    "\x0B"
    "XMP DataXMP";
// After the packet: 0x01, the bytes 0xFF down to 0x00, and the block terminator. Read as sub-block
// lengths, any byte of the packet leads into it and from there to the terminator.
constexpr std::size_t kGifXmpTrailer = 1 + 256 + 1;
constexpr std::string_view kPacketEnd = "<?xpacket end=";

std::string_view AsText(Bytes bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Moves past a run of data sub-blocks and the empty one that ends it; false when the bytes end first.
bool SkipSubBlocks(ByteCursor& cursor) {
  while (!cursor.RanOut()) {  // every pass moves on by at least one byte or sets the flag
    const std::uint8_t size = cursor.U8();
    if (size == 0) return !cursor.RanOut();
    cursor.Skip(size);
  }
  return false;
}

// The packet of an XMP application extension whose raw bytes run from `cursor` on; empty when the
// extension is cut short. The packet ends with its closing processing instruction; a writer that
// left it out is read up to the trailer.
std::string_view GifXmpPacket(ByteCursor& cursor) {
  const std::size_t start = cursor.Position();
  if (!SkipSubBlocks(cursor)) return {};
  const std::string_view data = AsText(cursor.Bytes().subspan(start, cursor.Position() - start));
  const std::size_t end = data.find(kPacketEnd);
  if (end != std::string_view::npos) {
    const std::size_t close = data.find("?>", end + kPacketEnd.size());
    if (close != std::string_view::npos) return data.substr(0, close + 2);
  }
  return data.size() >= kGifXmpTrailer ? data.substr(0, data.size() - kGifXmpTrailer) : std::string_view();
}

}  // namespace

Bytes PsdResource(Bytes file, std::uint16_t id) {
  // Header: "8BPS", version (1 PSD, 2 PSB), 6 reserved bytes, channels, height, width, depth, mode;
  // then the colour mode data and the image resources, each after its 32-bit length.
  ByteCursor cursor(file);
  if (!cursor.Match("8BPS")) return {};
  cursor.Seek(26);
  cursor.Skip(cursor.U32());
  ByteCursor resources = cursor.Sub(cursor.U32());
  if (cursor.RanOut()) return {};
  for (int n = 0; n < kMaxPsdResources && resources.Remaining() >= 12; ++n) {
    if (!resources.Match("8BIM")) break;
    const std::uint16_t type = resources.U16();
    // A Pascal name padded to an even length with its length byte, then the data's length; the
    // data is padded too.
    const std::size_t nameLength = resources.U8();
    resources.Skip(nameLength | 1);
    const std::uint32_t length = resources.U32();
    const Bytes data = resources.Take(length);
    if (resources.RanOut()) break;
    if (type == id) return data;
    resources.Skip(std::min<std::size_t>(length % 2, resources.Remaining()));
  }
  return {};
}

bool ReadPsdContainer(Bytes file, MetadataSource& source) {
  ByteCursor head(file);
  if (!head.Match("8BPS")) return false;
  const Bytes icc = PsdResource(file, kPsdIccResource);
  source.icc.assign(icc.begin(), icc.end());
  const Bytes xmp = PsdResource(file, kPsdXmpResource);
  if (!xmp.empty()) source.xmpPackets.emplace_back(xmp.begin(), xmp.end());
  std::vector<std::uint8_t> iptc = IptcAsApp13Marker(PsdResource(file, kPsdIptcResource));
  if (!iptc.empty()) source.markers.push_back({0xED, std::move(iptc)});
  return true;
}

bool ReadGifContainer(Bytes file, MetadataSource& source) {
  ByteCursor cursor(file, false);
  if (!cursor.Match("GIF87a") && !cursor.Match("GIF89a")) return false;
  cursor.Skip(4);  // logical screen width and height
  const std::uint8_t screenFlags = cursor.U8();
  cursor.Skip(2);  // background colour, aspect ratio
  if ((screenFlags & 0x80) != 0) cursor.Skip(std::size_t{3} << ((screenFlags & 7) + 1));
  for (int n = 0; n < kMaxGifBlocks && !cursor.RanOut(); ++n) {
    const std::uint8_t introducer = cursor.U8();
    if (introducer == 0x2C) {  // image descriptor: position, size, flags, colour table, LZW data
      cursor.Skip(8);
      const std::uint8_t imageFlags = cursor.U8();
      if ((imageFlags & 0x80) != 0) cursor.Skip(std::size_t{3} << ((imageFlags & 7) + 1));
      cursor.Skip(1);  // LZW minimum code size
      if (!SkipSubBlocks(cursor)) break;
    } else if (introducer == 0x21) {
      const std::uint8_t label = cursor.U8();
      if (label == 0xFF && cursor.Match(kGifXmpApplication)) {
        const std::string_view packet = GifXmpPacket(cursor);
        if (!packet.empty()) source.xmpPackets.emplace_back(packet);
        break;
      }
      if (!SkipSubBlocks(cursor)) break;
    } else {
      break;  // the trailer (0x3B) or damage
    }
  }
  return true;
}

}  // namespace kelmarin
