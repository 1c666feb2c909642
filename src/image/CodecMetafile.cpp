// Windows metafiles, told apart by their headers. WMF goes to Magick (libwmf) once its records are
// known whole; EMF to the EMF codec module (modules/CodecEmf.cpp).

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/Backends.h"

namespace kelmarin::codec {

namespace {

constexpr std::size_t kMaxMetafileBytes = std::size_t{64} << 20;

std::uint32_t Le32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// WMF: the placeable header's key, or a plain header (type 1 or 2, header size 9 words).
bool IsWmf(const std::uint8_t* p, std::size_t size) {
  if (size >= 4 && Le32(p) == 0x9AC6CDD7u) return true;
  return size >= 18 && (p[0] == 1 || p[0] == 2) && p[1] == 0 && p[2] == 9 && p[3] == 0;
}

std::uint16_t Le16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Records that name an object by its index in the object table as their first parameter:
// SELECTOBJECT, DELETEOBJECT, SELECTPALETTE, SELECTCLIPREGION, INVERTREGION, PAINTREGION.
bool NamesObject(std::uint16_t function) {
  return function == 0x012D || function == 0x01F0 || function == 0x0234 || function == 0x012C ||
         function == 0x012A || function == 0x012B;
}

// Records that create an object in the table: palette, pattern brushes, pen, font, brush, region.
bool CreatesObject(std::uint16_t function) {
  return function == 0x00F7 || function == 0x01F9 || function == 0x0142 || function == 0x02FA ||
         function == 0x02FB || function == 0x02FC || function == 0x06FF;
}

// The size in words a record must have at least, for records whose parameters libwmf reads without
// looking at the record's size ([MS-WMF] 2.3); 3 (the record header) for the others.
std::uint64_t MinimumWords(std::uint16_t function, const std::uint8_t* record, std::uint64_t words) {
  const auto param = [&](std::uint64_t i) -> std::uint64_t {
    return words > 3 + i ? Le16(record + 6 + 2 * i) : 0;
  };
  switch (function) {
    case 0x0102:
    case 0x0103:
    case 0x0104:
    case 0x0106:
    case 0x0107:
    case 0x012E:  // modes, text align
    case 0x012D:
    case 0x01F0:
    case 0x0234:
    case 0x012C:
    case 0x012A:
    case 0x012B:  // object indices
      return 4;
    case 0x0201:
    case 0x0209:
    case 0x020B:
    case 0x020C:
    case 0x020D:
    case 0x020E:
    case 0x0213:
    case 0x0214:
      return 5;  // colours, window and viewport origin and extent, line and move
    case 0x02FC:
    case 0x041B:
    case 0x0418:
      return 7;  // brush, rectangle, ellipse
    case 0x02FA:
      return 8;  // pen
    case 0x061C:
      return 9;  // rounded rectangle
    case 0x0817:
    case 0x081A:
    case 0x0830:
      return 11;  // arc, pie, chord
    case 0x02FB:
      return 12;  // font
    case 0x0324:
    case 0x0325:
      return 4 + 2 * param(0);  // polygon, polyline: count, points
    case 0x0521:
      return 4 + (param(0) + 1) / 2 + 2;  // text: length, string, position
    default:
      return 3;
  }
}

// A WMF whose records all lie inside the file, none larger than the header's largest record nor
// smaller than its parameters, whose object indices lie inside its object table, ending with the end
// record ([MS-WMF] 2.3.1.2, 2.3.2). libwmf prints such faults (once per missing parameter) instead of
// failing, so they are checked here first.
bool IsWholeWmf(const std::vector<std::uint8_t>& bytes) {
  const std::size_t start = bytes.size() >= 4 && Le32(bytes.data()) == 0x9AC6CDD7u ? 22 : 0;
  if (bytes.size() < start + 18 || Le16(bytes.data() + start + 2) != 9) return false;
  const std::uint16_t objects = Le16(bytes.data() + start + 10);
  std::vector<bool> used(objects, false);  // the object table: a new object takes the lowest free index
  const std::uint64_t largest = Le32(bytes.data() + start + 12);
  for (std::size_t at = start + 18; at + 6 <= bytes.size();) {
    const std::uint64_t words = Le32(bytes.data() + at);
    if (words < 3 || words > largest || words * 2 > bytes.size() - at) return false;
    const std::uint16_t function = Le16(bytes.data() + at + 4);
    if (function == 0) return true;  // the end record
    if (words < MinimumWords(function, bytes.data() + at, words)) return false;
    if (NamesObject(function) && Le16(bytes.data() + at + 6) >= objects) return false;
    if (function == 0x01F0) used[Le16(bytes.data() + at + 6)] = false;
    if (CreatesObject(function)) {
      const auto free = std::find(used.begin(), used.end(), false);
      if (free == used.end()) return false;
      *free = true;
    }
    at += static_cast<std::size_t>(words * 2);
  }
  return false;
}

}  // namespace

Code DecodeMetafile(std::FILE* file, RgbImage& pixels) {
  pixels = RgbImage();
  std::uint8_t head[88] = {};
  const std::size_t got = std::fread(head, 1, sizeof head, file);
  std::rewind(file);
  if (got >= 44 && Le32(head) == 1 && std::memcmp(head + 40, " EMF", 4) == 0)
    return DecodeByModule(kEmfModule, file, 0, pixels);
  if (IsWmf(head, got)) {
    std::vector<std::uint8_t> bytes;
    if (const Code code = ReadAll(file, kMaxMetafileBytes, bytes); code != kOk) return code;
    if (!IsWholeWmf(bytes)) return kCorrupt;  // truncated or broken records
    std::rewind(file);
    return DecodeByModule(kMagickModule, file, static_cast<int>(MagickFormat::kWmf), pixels);
  }
  return kCorrupt;
}

}  // namespace kelmarin::codec
