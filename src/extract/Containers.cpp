// Container walkers: ISO base media boxes (ISO/IEC 14496-12, 4.2), RIFF chunks (WebP), the RAF
// header and JPEG segments (ITU T.81, B.1.1.4). See Containers.h for the contract.

#include "extract/Containers.h"

#include <brotli/decode.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "extract/ByteCursor.h"
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

bool Starts(Bytes b, std::size_t at, std::string_view text) {
  return ByteCursor(b).HoldsAt(at, text);
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
  ByteCursor cursor(rest);
  const std::uint32_t shortSize = cursor.U32();
  cursor.Skip(4);                                                  // the type
  std::uint64_t size = shortSize == 1 ? cursor.U64() : shortSize;  // 1: a 64-bit size follows
  if (cursor.RanOut()) {
    rest = {};
    return false;
  }
  const std::size_t header = cursor.Position();
  if (shortSize == 0) {
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

// The twelve bytes of the first entry of `tag` in directory 0 (TIFF 6.0, section 2), read from
// its type on in the header's byte order ("MM" big-endian, anything else little-endian), and the
// entry's offset in the block; an empty cursor when the directory holds none before its first
// entry cut by the end of the block.
ByteCursor FirstDirectoryEntry(Bytes tiff, std::int32_t tag, std::size_t& at) {
  ByteCursor header(tiff, tiff.size() >= 2 && tiff[0] == 'M');
  header.Skip(4);
  const std::size_t directory = header.U32();
  header.Seek(directory);
  const std::uint16_t entries = header.U16();
  if (header.RanOut()) return {};
  for (std::size_t i = 0; i < entries; ++i) {
    ByteCursor entry = header.Sub(12);
    if (header.RanOut()) break;
    if (entry.U16() == tag) {
      at = directory + 2 + 12 * i;
      return entry;
    }
  }
  return {};
}

// The value bytes of the first entry of `tag` in directory 0 whose type is BYTE or UNDEFINED (or
// LONG when `longs`); empty when there is none or it leads outside the block.
Bytes DirectoryZeroValue(Bytes tiff, std::int32_t tag, bool longs) {
  std::size_t at = 0;
  ByteCursor entry = FirstDirectoryEntry(tiff, tag, at);
  if (entry.Bytes().empty()) return {};
  const std::uint16_t type = entry.U16();
  const std::uint64_t unit = type == kLong && longs ? 4 : (type == kByte || type == kUndefined) ? 1 : 0;
  const std::uint64_t length = unit * entry.U32();
  if (length == 0) return {};
  const std::uint64_t value = length <= 4 ? at + 8 : entry.U32();
  if (value > tiff.size() || length > tiff.size() - value) return {};
  return tiff.subspan(static_cast<std::size_t>(value), static_cast<std::size_t>(length));
}

// IPTC datasets stored in tag 33723 of directory 0 (TIFF/EP, 4.6.5 "IPTC/NAA"), wrapped into the
// APP13 marker the IPTC reader takes. Empty when there is none.
std::vector<std::uint8_t> IptcMarkerOfTiff(Bytes tiff) {
  return IptcAsApp13Marker(DirectoryZeroValue(tiff, kTagIptc, true));
}

// An unsigned number of a box field of 0, 2, 4 or 8 bytes; any other width reads as 0 and counts
// as running out.
std::uint64_t FieldOfWidth(ByteCursor& cursor, unsigned width) {
  switch (width) {
    case 0:
      return 0;
    case 2:
      return cursor.U16();
    case 4:
      return cursor.U32();
    case 8:
      return cursor.U64();
    default:
      cursor.Skip(cursor.Remaining() + 1);
      return 0;
  }
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
  ByteCursor cursor(body);
  items.primary = static_cast<std::uint32_t>(FieldOfWidth(cursor, version == 0 ? 2 : 4));
  return !cursor.RanOut();
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
    ByteCursor cursor(entry);
    const auto id = static_cast<std::uint32_t>(FieldOfWidth(cursor, entryVersion == 2 ? 2 : 4));
    cursor.Skip(2);  // protection index
    const Bytes typeBytes = cursor.Take(4);
    if (cursor.RanOut()) continue;
    const std::string_view type(reinterpret_cast<const char*>(typeBytes.data()), 4);
    if (type == "Exif") items.exif.push_back(id);
    if (type == "mime" && IsXmpMimeEntry(entry.subspan(cursor.Position()))) items.xmp.push_back(id);
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
    ByteCursor cursor(box.payload);
    const auto from = static_cast<std::uint32_t>(FieldOfWidth(cursor, width));
    const std::uint64_t count = cursor.U16();
    for (std::uint64_t i = 0; !cursor.RanOut() && i < count; ++i) {
      const auto to = static_cast<std::uint32_t>(FieldOfWidth(cursor, width));
      if (!cursor.RanOut()) references.emplace_back(from, to);
    }
  }
}

// Item locations (ISO/IEC 14496-12, 8.11.3). False when the box is damaged or lists more items
// than kMaxHeifItems.
bool ReadLocations(Bytes iloc, HeifItems& items) {
  unsigned version = 0;
  Bytes body;
  if (!FullBox(iloc, version, body) || version > 2 || body.size() < 2) return false;
  ByteCursor cursor(body);
  const std::uint8_t sizes = cursor.U8(), moreSizes = cursor.U8();
  const unsigned offsetSize = sizes >> 4, lengthSize = sizes & 15u, baseSize = moreSizes >> 4;
  const unsigned indexSize = version == 0 ? 0 : moreSizes & 15u;
  const auto valid = [](unsigned width) { return width == 0 || width == 2 || width == 4 || width == 8; };
  if (!valid(offsetSize) || !valid(lengthSize) || !valid(indexSize)) return false;
  const std::uint64_t count = FieldOfWidth(cursor, version < 2 ? 2 : 4);
  if (cursor.RanOut() || count > kMaxHeifItems) return false;
  const std::size_t stride = std::size_t{indexSize} + offsetSize + lengthSize;
  for (std::uint64_t i = 0; !cursor.RanOut() && i < count; ++i) {
    HeifItems::Location location{};
    location.indexSize = indexSize, location.offsetSize = offsetSize, location.lengthSize = lengthSize;
    location.item = static_cast<std::uint32_t>(FieldOfWidth(cursor, version < 2 ? 2 : 4));
    if (version > 0) location.method = cursor.U16() & 15u;
    cursor.Skip(2);  // data reference index
    location.base = FieldOfWidth(cursor, baseSize);
    location.extentCount = cursor.U16();
    // At most 65,535 × 24 bytes: no overflow.
    const std::size_t length = static_cast<std::size_t>(location.extentCount) * stride;
    if (cursor.RanOut() || length > cursor.Remaining()) return false;
    location.extents = cursor.Take(length);
    items.locations.push_back(location);
  }
  std::stable_sort(
      items.locations.begin(), items.locations.end(),
      [](const HeifItems::Location& a, const HeifItems::Location& b) { return a.item < b.item; });
  return !cursor.RanOut();
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
  ByteCursor cursor(location.extents);
  for (std::uint64_t e = 0; e < location.extentCount; ++e) {
    FieldOfWidth(cursor, location.indexSize);
    const std::uint64_t offset = FieldOfWidth(cursor, location.offsetSize);
    const std::uint64_t stored = FieldOfWidth(cursor, location.lengthSize);
    const std::uint64_t start = location.base + offset;
    if (cursor.RanOut() || start < location.base || start > space.size()) return false;
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
    ByteCursor cursor(colr);
    cursor.Skip(4);
    NclxColour nclx;
    nclx.primaries = cursor.U16();
    nclx.transfer = cursor.U16();
    nclx.matrix = cursor.U16();
    nclx.fullRange = (cursor.U8() & 0x80) != 0;
    source.nclx = nclx;
  }
}

// The colour properties of one item: its associations in "ipma" (ISO/IEC 23008-12, 9.3) name
// properties of "ipco" by their 1-based place.
void ReadItemColour(Bytes boxes, std::uint32_t wanted, MetadataSource& source) {
  const Bytes iprp = FindBox(boxes, "iprp");
  const Bytes ipco = FindBox(iprp, "ipco");
  const Bytes ipma = FindBox(iprp, "ipma");
  if (ipma.size() < 8) return;
  ByteCursor cursor(ipma);
  const unsigned version = cursor.U8();
  cursor.Skip(2);
  const bool wideIndex = (cursor.U8() & 1) != 0;  // the low bit of the flags
  const std::uint64_t entries = cursor.U32();
  for (std::uint64_t e = 0; !cursor.RanOut() && e < entries && e < kMaxBoxesPerLevel; ++e) {
    const std::uint64_t item = FieldOfWidth(cursor, version < 1 ? 2 : 4);
    const unsigned count = cursor.U8();
    if (cursor.RanOut()) return;
    for (unsigned a = 0; !cursor.RanOut() && a < count; ++a) {
      const std::uint64_t index = wideIndex ? cursor.U16() & 0x7FFFu : cursor.U8() & 0x7Fu;
      if (cursor.RanOut() || item != wanted || index == 0) continue;
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

// An EXIF payload stored with a big-endian 32-bit offset, counted from the end of those four bytes,
// to the TIFF header; empty when the offset leads outside the payload.
Bytes TiffAfterOffsetPrefix(Bytes payload) {
  if (payload.size() < 4) return {};
  const std::uint64_t offset = ByteCursor(payload).U32();
  if (offset > payload.size() - 4) return {};
  return payload.subspan(4 + static_cast<std::size_t>(offset));
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
  if (!Starts(file, 4, "ftypcrx ")) return false;
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
  ByteCursor header(file);
  header.Seek(84);
  const std::uint64_t offset = header.U32();
  const std::uint64_t length = header.U32();
  if (!header.RanOut() && offset < file.size() && length <= file.size() - offset) {
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
    ByteCursor chunk(rest, false);
    chunk.Skip(4);
    const std::uint64_t size = chunk.U32();
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
  if (!Starts(file, 0, std::string_view("\0\0\0\x0CJXL \r\n\x87\n", 12))) return false;
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
  std::size_t at = 0;
  ByteCursor entry = FirstDirectoryEntry(tiff, kTagOrientation, at);
  if (entry.Bytes().empty()) return 0;
  const std::uint16_t type = entry.U16();
  entry.Skip(4);
  const std::uint16_t value = type == kShort ? entry.U16() : 0;  // one SHORT
  return value >= 1 && value <= 8 ? value : 0;
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
  static constexpr std::array<std::string_view, 10> kBrands = {"heic", "heix", "hevc", "hevx", "heim",
                                                               "heis", "mif1", "msf1", "avif", "avis"};
  if (!Starts(file, 4, "ftyp") ||
      std::none_of(kBrands.begin(), kBrands.end(),
                   [file](std::string_view brand) { return Starts(file, 8, brand); }))
    return false;
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
