// Container walkers: ISO base media boxes (ISO/IEC 14496-12, 4.2), RIFF chunks (WebP), the RAF
// header and JPEG segments (ITU T.81, B.1.1.4). See Containers.h for the contract.

#include "extract/Containers.h"

#include <brotli/decode.h>

#include <algorithm>
#include <array>
#include <memory>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "extract/ExifBlock.h"
#include "extract/JpegSegments.h"

namespace kelmarin {

namespace {

using Bytes = std::span<const std::uint8_t>;

// Against hostile nesting and endless lists of tiny boxes or chunks.
constexpr int kMaxBoxesPerLevel = 4096;
constexpr int kMaxHeifExifBlocks = 16;
// Bytes of one HEIF metadata item, and of all EXIF items of a file together: real ones hold tens of
// kilobytes.
constexpr std::uint64_t kMaxHeifItemBytes = std::uint64_t{4} << 20;
constexpr std::uint64_t kMaxHeifXmpBytes = std::uint64_t{16} << 20;
// Deflate's largest expansion is 1032 to 1; compressed boxes are held to the same.
constexpr std::uint64_t kMaxInflateRatio = 1032;
// Items of one "iloc" box: real files list a few hundred (a grid of tiles, their thumbnails).
constexpr std::uint64_t kMaxHeifItems = 1 << 15;
constexpr std::size_t kMaxIptcMarkerPayload = 0xFFFF - 2 - 14 - 12;
constexpr std::int32_t kTagIccProfile = 0x8773;  // TIFF/EP, 4.6.5 "InterColorProfile"
constexpr std::int32_t kTagXmp = 700;            // XMP Specification Part 3, 1.1.4 (TIFF)

std::uint32_t Be32(Bytes b, std::size_t at) {
  if (at > b.size() || b.size() - at < 4) return 0;
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) |
         b[at + 3];
}

std::uint32_t Le32(Bytes b, std::size_t at) {
  if (at > b.size() || b.size() - at < 4) return 0;
  return (std::uint32_t{b[at + 3]} << 24) | (std::uint32_t{b[at + 2]} << 16) |
         (std::uint32_t{b[at + 1]} << 8) | b[at];
}

bool Starts(Bytes b, std::size_t at, std::string_view text) {
  return at <= b.size() && b.size() - at >= text.size() &&
         std::memcmp(b.data() + at, text.data(), text.size()) == 0;
}

// One ISO base media box: its four-character type and payload (after the size, type, large size
// and, for "uuid", the 16-byte extended type, which is in `uuid`).
struct Box {
  std::string_view type;
  Bytes uuid;
  Bytes payload;
};

// Takes the next box off the front of `rest`. False at the end or when the box does not fit in
// what remains (then `rest` is emptied).
bool NextBox(Bytes& rest, Box& box) {
  if (rest.size() < 8) {
    rest = {};
    return false;
  }
  std::uint64_t size = Be32(rest, 0);
  std::size_t header = 8;
  if (size == 1) {
    if (rest.size() < 16) return rest = {}, false;
    size = (std::uint64_t{Be32(rest, 8)} << 32) | Be32(rest, 12);
    header = 16;
  } else if (size == 0) {
    size = rest.size();  // the box runs to the end of the file
  }
  if (size < header || size > rest.size()) return rest = {}, false;
  box.type = std::string_view(reinterpret_cast<const char*>(rest.data() + 4), 4);
  Bytes body = rest.subspan(header, static_cast<std::size_t>(size) - header);
  box.uuid = {};
  if (box.type == "uuid") {
    if (body.size() < 16) return rest = {}, false;
    box.uuid = body.first(16);
    body = body.subspan(16);
  }
  box.payload = body;
  rest = rest.subspan(static_cast<std::size_t>(size));
  return true;
}

// The payload of the first box of the given type among the boxes of `level`; empty when none.
Bytes FindBox(Bytes level, std::string_view type, Bytes uuid = {}) {
  Box box;
  for (int n = 0; n < kMaxBoxesPerLevel && NextBox(level, box); ++n) {
    if (box.type != type) continue;
    if (!uuid.empty() && !std::equal(uuid.begin(), uuid.end(), box.uuid.begin(), box.uuid.end())) continue;
    return box.payload;
  }
  return {};
}

// A block that points into the file: shares the file's owner.
void AddShared(MetadataSource& source, TiffBlockRole role, Bytes bytes,
               const std::shared_ptr<const void>& owner) {
  if (!bytes.empty()) source.tiffBlocks.push_back({role, bytes, owner});
}

bool IsTiffHeader(Bytes b) {
  return Starts(b, 0, std::string_view("II*\0", 4)) || Starts(b, 0, std::string_view("MM\0*", 4)) ||
         Starts(b, 0, "IIRO") || Starts(b, 0, "IIRS") || Starts(b, 0, "MMOR") ||
         Starts(b, 0, std::string_view("IIU\0", 4));
}

// A TIFF block in its header's byte order ("MM" big-endian, anything else little-endian).
ByteReader TiffReader(Bytes tiff) {
  return ByteReader(tiff,
                    tiff.size() >= 2 && tiff[0] == 'M' ? ByteOrder::BigEndian : ByteOrder::LittleEndian);
}

// The position of the first entry of `tag` in directory 0 (TIFF 6.0, section 2); 0 when the
// directory holds none before its first entry cut by the end of the block.
BufferPos FirstDirectoryEntry(const ByteReader& tiff, std::int32_t tag) {
  const BufferPos directory = tiff.ReadU32(5) + 1;
  const std::int64_t entries = tiff.ReadU16(directory);
  for (std::int64_t i = 0; i < entries; ++i) {
    const BufferPos entry = directory + 2 + 12 * i;
    if (!tiff.Has(entry, 12)) break;
    if (tiff.ReadU16(entry) == tag) return entry;
  }
  return 0;
}

// The value bytes of the first entry of `tag` in directory 0 whose type is BYTE or UNDEFINED (or
// LONG when `longs`); empty when there is none or it leads outside the block.
Bytes DirectoryZeroValue(Bytes tiff, std::int32_t tag, bool longs) {
  const ByteReader reader = TiffReader(tiff);
  const BufferPos entry = FirstDirectoryEntry(reader, tag);
  if (entry == 0) return {};
  const std::int32_t type = reader.ReadU16(entry + 2);
  const std::int64_t unit = type == kLong && longs ? 4 : (type == kByte || type == kUndefined) ? 1 : 0;
  const std::int64_t length = unit * reader.ReadU32(entry + 4);
  if (length == 0) return {};
  const BufferPos at = length <= 4 ? entry + 8 : reader.ReadU32(entry + 8) + 1;
  if (!reader.Has(at, length)) return {};
  return reader.Bytes(at, length);
}

// IPTC datasets stored in tag 33723 of directory 0 (TIFF/EP, 4.6.5 "IPTC/NAA"), wrapped into the
// APP13 marker the IPTC reader takes. Empty when there is none.
std::vector<std::uint8_t> IptcMarkerOfTiff(Bytes tiff) {
  return IptcAsApp13Marker(DirectoryZeroValue(tiff, kTagIptc, true));
}

// Big-endian unsigned number of 0, 2, 4 or 8 bytes (other widths read as 0); `ok` turns false
// when the bytes run out.
std::uint64_t BeN(Bytes b, std::size_t& at, unsigned width, bool& ok) {
  if (width != 0 && width != 2 && width != 4 && width != 8) ok = false;
  if (!ok || at > b.size() || b.size() - at < width) {
    ok = false;
    return 0;
  }
  std::uint64_t value = 0;
  for (unsigned i = 0; i < width; ++i) value = (value << 8) | b[at + i];
  at += width;
  return value;
}

// The items of a HEIF meta box (ISO/IEC 23008-12, 9; ISO/IEC 14496-12, 8.11) that metadata needs.
struct HeifItems {
  std::uint32_t primary = 0;
  std::vector<std::uint32_t> known;     // every item of "iinf"
  std::vector<std::uint32_t> needData;  // image and EXIF items
  std::vector<std::uint32_t> exif;      // "Exif" items, in item order
  std::vector<std::uint32_t> xmp;       // "mime" items of content type "application/rdf+xml"
  std::vector<std::pair<std::uint32_t, std::uint32_t>> describes;  // "cdsc" references: from, to
  std::vector<std::pair<std::uint32_t, std::uint32_t>> derives;    // "dimg" references: from, to
  // An item's extents stay where "iloc" holds them and are read only for the items whose bytes
  // are taken: a hostile box lists 65,535 extents per item in no bytes at all.
  struct Location {
    std::uint32_t item;
    unsigned method;  // 0 file offsets, 1 offsets into the "idat" box
    std::uint64_t base;
    std::uint64_t extentCount;
    Bytes extents;  // extentCount entries of index, offset and length of the box's widths
    unsigned indexSize, offsetSize, lengthSize;
  };
  std::vector<Location> locations;  // sorted by item
};

// True when the boxes of `level` fit into it, one after the other (a few bytes of padding may
// follow the last). A box that claims more than its parent holds makes the whole file damaged.
bool WellFormed(Bytes level) {
  Box box;
  for (int n = 0; n < kMaxBoxesPerLevel && level.size() >= 8; ++n) {
    if (!NextBox(level, box)) return false;
  }
  return level.size() < 8;
}

// Full box header: version (flags ignored). False when the payload is too short.
bool FullBox(Bytes payload, unsigned& version, Bytes& body) {
  if (payload.size() < 4) return false;
  version = payload[0];
  body = payload.subspan(4);
  return true;
}

bool ReadPrimaryItem(Bytes pitm, HeifItems& items) {
  unsigned version = 0;
  Bytes body;
  if (!FullBox(pitm, version, body)) return false;
  bool ok = true;
  std::size_t at = 0;
  items.primary = static_cast<std::uint32_t>(BeN(body, at, version == 0 ? 2 : 4, ok));
  return ok;
}

// A "mime" item entry after its type: the item name and the content type, each ended by a zero.
bool IsXmpMimeEntry(Bytes rest) {
  const std::string_view text(reinterpret_cast<const char*>(rest.data()), rest.size());
  const std::size_t nameEnd = text.find('\0');
  if (nameEnd == std::string_view::npos) return false;
  const std::string_view type = text.substr(nameEnd + 1);
  return type.substr(0, type.find('\0')) == "application/rdf+xml";
}

// Item information entries of version 2 and 3 carry the item type; earlier ones are never EXIF.
bool ReadItemInfos(Bytes iinf, HeifItems& items) {
  unsigned version = 0;
  Bytes body;
  if (!FullBox(iinf, version, body)) return false;
  Bytes rest = body.subspan(std::min<std::size_t>(body.size(), version == 0 ? 2 : 4));
  if (!WellFormed(rest)) return false;
  Box box;
  for (int n = 0; n < kMaxBoxesPerLevel && NextBox(rest, box); ++n) {
    unsigned entryVersion = 0;
    Bytes entry;
    if (box.type != "infe" || !FullBox(box.payload, entryVersion, entry) || entryVersion < 2) continue;
    bool ok = true;
    std::size_t at = 0;
    const auto id = static_cast<std::uint32_t>(BeN(entry, at, entryVersion == 2 ? 2 : 4, ok));
    at += 2;  // protection index
    if (!ok || entry.size() - std::min(at, entry.size()) < 4) continue;
    const std::string_view type(reinterpret_cast<const char*>(entry.data() + at), 4);
    if (type == "Exif") items.exif.push_back(id);
    if (type == "mime" && IsXmpMimeEntry(entry.subspan(at + 4))) items.xmp.push_back(id);
    static constexpr std::array<std::string_view, 7> kWithData = {"hvc1", "av01", "grid", "iovl",
                                                                  "iden", "jpeg", "Exif"};
    if (std::find(kWithData.begin(), kWithData.end(), type) != kWithData.end()) items.needData.push_back(id);
    items.known.push_back(id);
  }
  return true;
}

void ReadReferences(Bytes iref, HeifItems& items) {
  unsigned version = 0;
  Bytes rest;
  if (!FullBox(iref, version, rest)) return;
  const unsigned width = version == 0 ? 2 : 4;
  Box box;
  for (int n = 0; n < kMaxBoxesPerLevel && NextBox(rest, box); ++n) {
    if (box.type != "cdsc" && box.type != "dimg") continue;
    auto& references = box.type == "cdsc" ? items.describes : items.derives;
    bool ok = true;
    std::size_t at = 0;
    const auto from = static_cast<std::uint32_t>(BeN(box.payload, at, width, ok));
    const std::uint64_t count = BeN(box.payload, at, 2, ok);
    for (std::uint64_t i = 0; ok && i < count; ++i) {
      const auto to = static_cast<std::uint32_t>(BeN(box.payload, at, width, ok));
      if (ok) references.emplace_back(from, to);
    }
  }
}

// Item locations (ISO/IEC 14496-12, 8.11.3). False when the box is damaged or lists more items
// than kMaxHeifItems.
bool ReadLocations(Bytes iloc, HeifItems& items) {
  unsigned version = 0;
  Bytes body;
  if (!FullBox(iloc, version, body) || version > 2 || body.size() < 2) return false;
  const unsigned offsetSize = body[0] >> 4, lengthSize = body[0] & 15, baseSize = body[1] >> 4;
  const unsigned indexSize = version == 0 ? 0 : body[1] & 15;
  const auto valid = [](unsigned width) { return width == 0 || width == 2 || width == 4 || width == 8; };
  if (!valid(offsetSize) || !valid(lengthSize) || !valid(indexSize)) return false;
  bool ok = true;
  std::size_t at = 2;
  const std::uint64_t count = BeN(body, at, version < 2 ? 2 : 4, ok);
  if (!ok || count > kMaxHeifItems) return false;
  const std::size_t stride = std::size_t{indexSize} + offsetSize + lengthSize;
  for (std::uint64_t i = 0; ok && i < count; ++i) {
    HeifItems::Location location{};
    location.indexSize = indexSize, location.offsetSize = offsetSize, location.lengthSize = lengthSize;
    location.item = static_cast<std::uint32_t>(BeN(body, at, version < 2 ? 2 : 4, ok));
    if (version > 0) location.method = static_cast<unsigned>(BeN(body, at, 2, ok) & 15);
    BeN(body, at, 2, ok);  // data reference index
    location.base = BeN(body, at, baseSize, ok);
    location.extentCount = BeN(body, at, 2, ok);
    // At most 65,535 × 24 bytes: no overflow.
    const std::size_t length = static_cast<std::size_t>(location.extentCount) * stride;
    if (!ok || length > body.size() - at) return false;
    location.extents = body.subspan(at, length);
    at += length;
    items.locations.push_back(location);
  }
  std::stable_sort(
      items.locations.begin(), items.locations.end(),
      [](const HeifItems::Location& a, const HeifItems::Location& b) { return a.item < b.item; });
  return ok;
}

// The first location of an item; null when it has none.
const HeifItems::Location* FindLocation(const HeifItems& items, std::uint32_t id) {
  const auto found =
      std::lower_bound(items.locations.begin(), items.locations.end(), id,
                       [](const HeifItems::Location& l, std::uint32_t item) { return l.item < item; });
  return found != items.locations.end() && found->item == id ? &*found : nullptr;
}

// Calls `take` with each extent of an item, as bytes of the file or of the "idat" box, in order.
// False (and `take` no longer called) when an extent leads outside them, when together they
// hold more than the space they lie in or more than `budget` bytes, or when the item is built
// another way.
template <typename Take>
bool WalkExtents(const HeifItems::Location& location, Bytes file, Bytes idat, std::uint64_t budget,
                 Take take) {
  if (location.method > 1) return false;
  const Bytes space = location.method == 0 ? file : idat;
  std::uint64_t total = 0;
  bool ok = true;
  std::size_t at = 0;
  for (std::uint64_t e = 0; e < location.extentCount; ++e) {
    BeN(location.extents, at, location.indexSize, ok);
    const std::uint64_t offset = BeN(location.extents, at, location.offsetSize, ok);
    const std::uint64_t stored = BeN(location.extents, at, location.lengthSize, ok);
    const std::uint64_t start = location.base + offset;
    if (!ok || start < location.base || start > space.size()) return false;
    const std::uint64_t length = stored == 0 ? space.size() - start : stored;  // 0: up to the end
    if (length > space.size() - start || length > space.size() - total || total + length > budget)
      return false;
    total += length;
    take(space.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(length)));
  }
  return true;
}

// The bytes of one item, its extents joined; empty when WalkExtents refuses them. The extents are
// measured first and the bytes copied once.
std::vector<std::uint8_t> ItemBytes(const HeifItems::Location& location, Bytes file, Bytes idat,
                                    std::uint64_t budget = kMaxHeifItemBytes) {
  std::size_t total = 0;
  if (!WalkExtents(location, file, idat, budget, [&](Bytes part) { total += part.size(); })) return {};
  std::vector<std::uint8_t> bytes;
  bytes.reserve(total);
  WalkExtents(location, file, idat, budget,
              [&](Bytes part) { bytes.insert(bytes.end(), part.begin(), part.end()); });
  return bytes;
}

// One "colr" property (ISO/IEC 14496-12, 12.1.5): an ICC profile ("prof", "rICC") or H.273 code
// points ("nclx") into the source; the first of each kind counts.
void ReadColourProperty(Bytes colr, MetadataSource& source) {
  if (Starts(colr, 0, "prof") || Starts(colr, 0, "rICC")) {
    if (source.icc.empty()) source.icc.assign(colr.begin() + 4, colr.end());
  } else if (Starts(colr, 0, "nclx") && colr.size() >= 11 && !source.nclx) {
    const auto u16 = [&](std::size_t at) {
      return static_cast<std::uint16_t>((colr[at] << 8) | colr[at + 1]);
    };
    source.nclx = NclxColour{u16(4), u16(6), u16(8), (colr[10] & 0x80) != 0};
  }
}

// The colour properties of one item: its associations in "ipma" (ISO/IEC 23008-12, 9.3) name
// properties of "ipco" by their 1-based place.
void ReadItemColour(Bytes boxes, std::uint32_t wanted, MetadataSource& source) {
  const Bytes iprp = FindBox(boxes, "iprp");
  const Bytes ipco = FindBox(iprp, "ipco");
  const Bytes ipma = FindBox(iprp, "ipma");
  if (ipma.size() < 8) return;
  const unsigned version = ipma[0];
  const bool wideIndex = (ipma[3] & 1) != 0;
  bool ok = true;
  std::size_t at = 4;
  const std::uint64_t entries = BeN(ipma, at, 4, ok);
  for (std::uint64_t e = 0; ok && e < entries && e < kMaxBoxesPerLevel; ++e) {
    const std::uint64_t item = BeN(ipma, at, version < 1 ? 2 : 4, ok);
    if (!ok || at >= ipma.size()) return;
    const unsigned count = ipma[at++];
    for (unsigned a = 0; ok && a < count; ++a) {
      std::uint64_t index = 0;
      if (wideIndex) {
        index = BeN(ipma, at, 2, ok) & 0x7FFF;
      } else if (at < ipma.size()) {
        index = ipma[at++] & 0x7F;
      } else {
        ok = false;
      }
      if (!ok || item != wanted || index == 0) continue;
      Bytes rest = ipco;
      Box box;
      for (std::uint64_t n = 1; n <= index && NextBox(rest, box); ++n) {
        if (n == index && box.type == "colr") ReadColourProperty(box.payload, source);
      }
    }
  }
}

// The primary item's colour, else (a grid that names none, as phones write them) that of the first
// tile it is derived from that has one.
void ReadHeifColour(Bytes boxes, const HeifItems& items, MetadataSource& source) {
  ReadItemColour(boxes, items.primary, source);
  int tried = 0;
  for (const auto& [from, to] : items.derives) {
    if (!source.icc.empty() || source.nclx || ++tried > kMaxHeifExifBlocks) break;
    if (from == items.primary) ReadItemColour(boxes, to, source);
  }
}

}  // namespace

std::vector<std::uint8_t> IptcAsApp13Marker(Bytes datasets) {
  if (datasets.empty()) return {};
  const Bytes data = datasets.first(std::min(datasets.size(), kMaxIptcMarkerPayload));
  const std::size_t markerLength = 2 + 14 + 12 + data.size() + data.size() % 2;
  const auto opening = JpegSegmentHead(kJpegApp13, markerLength);
  std::vector<std::uint8_t> marker(opening.begin(), opening.end());
  const std::string_view head(
      "Photoshop 3.0\0"
      "8BIM\x04\x04\0\0",
      22);
  marker.insert(marker.end(), head.begin(), head.end());
  for (int shift : {24, 16, 8, 0}) marker.push_back(static_cast<std::uint8_t>(data.size() >> shift));
  marker.insert(marker.end(), data.begin(), data.end());
  if (data.size() % 2 != 0) marker.push_back(0);
  return marker;
}

ContainerKind DetectContainer(Bytes head) {
  if (IsTiffHeader(head)) return ContainerKind::Tiff;
  if (Starts(head, 0, "FUJIFILMCCD-RAW")) return ContainerKind::Raf;
  if (Starts(head, 6, "HEAPCCDR")) return ContainerKind::Crw;
  if (Starts(head, 0, std::string_view("\0MRM", 4))) return ContainerKind::Mrw;
  if (Starts(head, 0, "FOVb")) return ContainerKind::X3f;
  if (Starts(head, 0, "RIFF") && Starts(head, 8, "WEBP")) return ContainerKind::Webp;
  if (Starts(head, 0, std::string_view("\0\0\0\x0CJXL \r\n\x87\n", 12))) return ContainerKind::Jxl;
  if (Starts(head, 4, "ftyp")) {
    if (Starts(head, 8, "crx ")) return ContainerKind::Cr3;
    static constexpr std::array<std::string_view, 10> kHeifBrands = {"heic", "heix", "hevc", "hevx", "heim",
                                                                     "heis", "mif1", "msf1", "avif", "avis"};
    for (std::string_view brand : kHeifBrands) {
      if (Starts(head, 8, brand)) return ContainerKind::Heif;
    }
  }
  return ContainerKind::None;
}

bool ReadTiffContainer(Bytes file, const std::shared_ptr<const void>& owner, MetadataSource& source) {
  if (!IsTiffHeader(file)) return false;
  AddShared(source, TiffBlockRole::Whole, file, owner);
  std::vector<std::uint8_t> iptc = IptcMarkerOfTiff(file);
  if (!iptc.empty()) source.markers.push_back({0xED, std::move(iptc)});
  const Bytes icc = DirectoryZeroValue(file, kTagIccProfile, false);
  source.icc.assign(icc.begin(), icc.end());
  const Bytes xmp = DirectoryZeroValue(file, kTagXmp, false);
  if (!xmp.empty()) source.xmpPackets.emplace_back(xmp.begin(), xmp.end());
  return true;
}

bool ReadCr3Container(Bytes file, const std::shared_ptr<const void>& owner, MetadataSource& source) {
  if (DetectContainer(file) != ContainerKind::Cr3) return false;
  // Canon's box: uuid 85c0b687-820f-11e0-8111-f4ce462b6a48.
  static constexpr std::array<std::uint8_t, 16> kCanonUuid = {0x85, 0xC0, 0xB6, 0x87, 0x82, 0x0F, 0x11, 0xE0,
                                                              0x81, 0x11, 0xF4, 0xCE, 0x46, 0x2B, 0x6A, 0x48};
  const Bytes canon = FindBox(FindBox(file, "moov"), "uuid", kCanonUuid);
  static constexpr std::array<std::pair<std::string_view, TiffBlockRole>, 4> kParts = {{
      {"CMT1", TiffBlockRole::Main},
      {"CMT2", TiffBlockRole::Exif},
      {"CMT3", TiffBlockRole::Makernote},
      {"CMT4", TiffBlockRole::Gps},
  }};
  for (const auto& [type, role] : kParts) AddShared(source, role, FindBox(canon, type), owner);
  // XMP: uuid be7acfcb-97a9-42e8-9c71-999491e3afac at the top level.
  static constexpr std::array<std::uint8_t, 16> kXmpUuid = {0xBE, 0x7A, 0xCF, 0xCB, 0x97, 0xA9, 0x42, 0xE8,
                                                            0x9C, 0x71, 0x99, 0x94, 0x91, 0xE3, 0xAF, 0xAC};
  const Bytes xmp = FindBox(file, "uuid", kXmpUuid);
  if (!xmp.empty()) source.xmpPackets.emplace_back(xmp.begin(), xmp.end());
  return true;
}

bool ReadRafContainer(Bytes file, MetadataSource& source) {
  if (!Starts(file, 0, "FUJIFILMCCD-RAW")) return false;
  // Header: signature 16, version 4, camera number 8, camera name 32, then the directory version
  // and unknown bytes up to 84: the JPEG preview's offset and length.
  const std::uint64_t offset = Be32(file, 84);
  const std::uint64_t length = Be32(file, 88);
  if (offset < file.size() && length <= file.size() - offset) {
    ReadJpegSegments(file.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length)),
                     source);
  }
  return true;
}

bool ReadWebpContainer(Bytes file, const std::shared_ptr<const void>& owner, MetadataSource& source) {
  if (!Starts(file, 0, "RIFF") || !Starts(file, 8, "WEBP")) return false;
  // The RIFF size may claim more than the file holds: the chunks are read up to the file's end.
  Bytes rest = file.subspan(12);
  for (int n = 0; n < kMaxBoxesPerLevel && rest.size() >= 8; ++n) {
    const std::uint64_t size = Le32(rest, 4);
    if (size > rest.size() - 8) break;
    Bytes payload = rest.subspan(8, static_cast<std::size_t>(size));
    if (Starts(rest, 0, "EXIF")) {
      if (Starts(payload, 0, std::string_view("Exif\0\0", 6))) payload = payload.subspan(6);
      AddShared(source, TiffBlockRole::Whole, payload, owner);
    } else if (Starts(rest, 0, "ICCP") && source.icc.empty()) {
      source.icc.assign(payload.begin(), payload.end());
    } else if (Starts(rest, 0, "XMP ")) {
      source.xmpPackets.emplace_back(payload.begin(), payload.end());
    }
    const std::uint64_t padded = 8 + size + (size % 2);
    rest = padded < rest.size() ? rest.subspan(static_cast<std::size_t>(padded)) : Bytes{};
  }
  return true;
}

std::vector<std::uint8_t> BrotliInflate(Bytes compressed, std::size_t limit) {
  std::vector<std::uint8_t> out;
  const std::unique_ptr<BrotliDecoderState, decltype(&BrotliDecoderDestroyInstance)> state(
      BrotliDecoderCreateInstance(nullptr, nullptr, nullptr), &BrotliDecoderDestroyInstance);
  if (state == nullptr) throw std::bad_alloc();
  std::size_t inLeft = compressed.size();
  const std::uint8_t* in = compressed.data();
  BrotliDecoderResult result = BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT;
  while (result == BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT && out.size() < limit) {
    const std::size_t done = out.size();
    out.resize(std::min(limit, std::max<std::size_t>(4096, done * 2)));
    std::size_t outLeft = out.size() - done;
    std::uint8_t* next = out.data() + done;
    result = BrotliDecoderDecompressStream(state.get(), &inLeft, &in, &outLeft, &next, nullptr);
    out.resize(out.size() - outLeft);
  }
  // Damaged or cut data leaves what came out before; a stream that wants more input is cut too.
  return out;
}

bool ReadJxlContainer(Bytes file, const std::shared_ptr<const void>& owner, MetadataSource& source) {
  if (DetectContainer(file) != ContainerKind::Jxl) return false;
  // Brotli packs the repetitive bytes of a packet far tighter than deflate: what a compressed box
  // can hold is bounded by the file's size times deflate's ratio, and by the packet limit.
  const std::size_t inflateLimit = static_cast<std::size_t>(
      std::min<std::uint64_t>(kMaxHeifXmpBytes + 1, file.size() * kMaxInflateRatio + 4096));
  Bytes rest = file;
  Box box;
  for (int n = 0; n < kMaxBoxesPerLevel && NextBox(rest, box); ++n) {
    if (box.type == "Exif") {
      AddShared(source, TiffBlockRole::Whole, TiffAfterOffsetPrefix(box.payload), owner);
    } else if (box.type == "xml ") {
      source.xmpPackets.emplace_back(box.payload.begin(), box.payload.end());
    } else if (box.type == "brob" && box.payload.size() > 4) {
      // ISO/IEC 18181-2, 9.3: the inner box's type, then its payload compressed with Brotli.
      const std::string_view inner(reinterpret_cast<const char*>(box.payload.data()), 4);
      if (inner != "Exif" && inner != "xml ") continue;
      const std::vector<std::uint8_t> payload = BrotliInflate(box.payload.subspan(4), inflateLimit);
      if (inner == "Exif") {
        source.AddTiffCopy(TiffBlockRole::Whole, TiffAfterOffsetPrefix(payload));
      } else {
        source.xmpPackets.emplace_back(payload.begin(), payload.end());
      }
    }
  }
  return true;
}

int TiffOrientation(Bytes tiff) {
  if (!IsTiffHeader(tiff)) return 0;
  const ByteReader reader = TiffReader(tiff);
  const BufferPos entry = FirstDirectoryEntry(reader, kTagOrientation);
  if (entry == 0) return 0;
  const std::int32_t value =
      reader.ReadU16(entry + 2) == kShort ? reader.ReadU16(entry + 8) : 0;  // one SHORT
  return value >= 1 && value <= 8 ? value : 0;
}

Bytes TiffAfterOffsetPrefix(Bytes payload) {
  if (payload.size() < 4) return {};
  const std::uint64_t offset = Be32(payload, 0);
  if (offset > payload.size() - 4) return {};
  return payload.subspan(4 + static_cast<std::size_t>(offset));
}

bool ReadJpegSegments(Bytes jpeg, MetadataSource& source) {
  if (!StartsJpeg(jpeg)) return false;
  JpegSegmentWalker walker(jpeg);
  for (JpegSegment segment; walker.Next(segment);) {
    if (segment.IsApp()) {
      source.markers.push_back({segment.code, {segment.bytes.begin(), segment.bytes.end()}});
    } else if (segment.code == kJpegComment) {
      const Bytes text = segment.Payload();
      source.comments.emplace_back(text.begin(), text.end());
    }
  }
  return true;
}

bool ReadHeifContainer(Bytes file, MetadataSource& source) {
  if (DetectContainer(file) != ContainerKind::Heif) return false;
  const Bytes meta = FindBox(file, "meta");
  unsigned version = 0;
  Bytes boxes;
  HeifItems items;
  if (!FullBox(meta, version, boxes) || !ReadPrimaryItem(FindBox(boxes, "pitm"), items) ||
      !ReadLocations(FindBox(boxes, "iloc"), items)) {
    return false;
  }
  if (!WellFormed(boxes) || !ReadItemInfos(FindBox(boxes, "iinf"), items)) return false;
  const Bytes iref = FindBox(boxes, "iref");
  if (!iref.empty() && (iref.size() < 4 || !WellFormed(iref.subspan(4)))) return false;
  ReadReferences(iref, items);
  // As the picture decoder sees it: the primary item must exist, and every picture and EXIF item
  // must have its bytes somewhere.
  const auto located = [&](std::uint32_t id) { return FindLocation(items, id) != nullptr; };
  if (std::find(items.known.begin(), items.known.end(), items.primary) == items.known.end() ||
      !std::all_of(items.needData.begin(), items.needData.end(), located)) {
    return false;
  }
  ReadHeifColour(boxes, items, source);
  std::sort(items.exif.begin(), items.exif.end());
  const Bytes idat = FindBox(boxes, "idat");
  // Only the EXIF blocks that describe the primary image, as many and as large as a sane file holds.
  int taken = 0;
  std::uint64_t budget = kMaxHeifItemBytes;
  for (std::uint32_t id : items.exif) {
    if (std::find(items.describes.begin(), items.describes.end(), std::make_pair(id, items.primary)) ==
        items.describes.end()) {
      continue;
    }
    const HeifItems::Location* location = FindLocation(items, id);
    if (location == nullptr || ++taken > kMaxHeifExifBlocks) continue;
    const std::vector<std::uint8_t> payload = ItemBytes(*location, file, idat, budget);
    budget -= payload.size();
    const Bytes tiff = TiffAfterOffsetPrefix(payload);
    if (!tiff.empty()) source.AddTiffCopy(TiffBlockRole::Whole, tiff);
  }
  // XMP items: the packets of all of them within the size the XMP reader takes of one packet.
  budget = kMaxHeifXmpBytes;
  for (std::uint32_t id : items.xmp) {
    const HeifItems::Location* location = FindLocation(items, id);
    if (location == nullptr || ++taken > kMaxHeifExifBlocks) continue;
    const std::vector<std::uint8_t> payload = ItemBytes(*location, file, idat, budget);
    budget -= payload.size();
    source.xmpPackets.emplace_back(payload.begin(), payload.end());
  }
  return true;
}
}  // namespace kelmarin
