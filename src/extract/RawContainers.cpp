// Canon CRW (the CIFF heap) and Minolta MRW. A CRW file holds no TIFF structure: its records are
// written here into a small TIFF block of their own (directory 0, the Exif directory and a Canon
// makernote), so that the EXIF reader lists them in the usual sections with the usual names. An MRW
// file carries its TIFF block as one of its parts. See Containers.h for the contract.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <string_view>

#include "extract/ByteCursor.h"
#include "extract/Containers.h"
#include "extract/ExifBlock.h"
#include "extract/JpegSegments.h"
#include "extract/TiffWriter.h"

namespace kelmarin {

namespace {

using Bytes = std::span<const std::uint8_t>;
using Buffer = std::vector<std::uint8_t>;

// Against hostile heaps: nesting depth, records looked at in all heaps together, and the size of
// a record taken over into the block (the raw data and previews are never copied).
constexpr int kMaxHeapDepth = 8;
constexpr int kMaxRecords = 8192;
constexpr std::size_t kMaxRecordSize = 0x10000;
constexpr std::size_t kMaxThumbnailSize = std::size_t{1} << 20;
constexpr int kMaxMrwBlocks = 64;

// CIFF records (the low 14 bits of a record's tag: data type and number).
constexpr std::uint16_t kRecordMakeModel = 0x080A;
constexpr std::uint16_t kRecordTimeStamp = 0x180E;
constexpr std::uint16_t kRecordImageInfo = 0x1810;
constexpr std::uint16_t kRecordExposureInfo = 0x1818;
constexpr std::uint16_t kRecordBaseIso = 0x101C;
constexpr std::uint16_t kRecordFlashInfo = 0x1028;
constexpr std::uint16_t kRecordFocalLength = 0x1029;
constexpr std::uint16_t kRecordShotInfo = 0x102A;
constexpr std::uint16_t kRecordCameraSettings = 0x102D;
constexpr std::uint16_t kRecordThumbnail = 0x2008;  // a JPEG image

// The Canon arrays and texts of a CRW file and the makernote tags that hold them in other Canon
// files.
constexpr std::array<std::pair<std::uint16_t, std::uint16_t>, 16> kMakernoteRecords = {{
    {kRecordCameraSettings, 0x0001},
    {kRecordFocalLength, 0x0002},
    {kRecordFlashInfo, 0x0003},
    {kRecordShotInfo, 0x0004},
    {0x0815, 0x0006},  // image type
    {0x080B, 0x0007},  // firmware version
    {0x1817, 0x0008},  // file number
    {0x0810, 0x0009},  // owner's name
    {0x180B, 0x000C},  // serial number
    {0x1033, 0x000F},  // custom functions
    {0x1834, 0x0010},  // model number
    {0x1038, 0x0012},  // autofocus information
    {0x10A9, 0x00A9},  // colour balance
    {0x10AE, 0x00AE},  // colour temperature
    {0x10B4, 0x00B4},  // colour space
    {0x1031, 0x00E0},  // sensor information
}};

bool IsWanted(std::uint16_t id) {
  if (id == kRecordMakeModel || id == kRecordTimeStamp || id == kRecordImageInfo ||
      id == kRecordExposureInfo || id == kRecordBaseIso || id == kRecordThumbnail)
    return true;
  return std::any_of(kMakernoteRecords.begin(), kMakernoteRecords.end(),
                     [id](const auto& pair) { return pair.first == id; });
}

// Numbers in the file's byte order, 0 where they do not fit.
struct Order {
  bool big = false;

  std::uint32_t U16(Bytes b, std::size_t at) const { return ByteCursor(b, big).U16At(at); }
  std::uint32_t U32(Bytes b, std::size_t at) const { return ByteCursor(b, big).U32At(at); }
  float Float(Bytes b, std::size_t at) const {
    const std::uint32_t bits = U32(b, at);
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
};

// The first record of each wanted number met in the heaps, depth first in file order.
struct Records {
  std::map<std::uint16_t, Bytes> data;
  int looked = 0;

  Bytes Get(std::uint16_t id) const {
    const auto found = data.find(id);
    return found == data.end() ? Bytes{} : found->second;
  }
};

// A heap: its records' data, then the record table, then the table's offset in its last four bytes.
// A record's tag: bits 14 and 15 where its data is (0 in the heap, 1 in the record's own eight
// bytes), bits 11 to 13 its data type (5 and 6: a heap of its own).
void ReadHeap(Bytes heap, const Order& order, int depth, Records& records) {
  if (depth > kMaxHeapDepth || heap.size() < 6) return;
  const std::size_t table = order.U32(heap, heap.size() - 4);
  if (table > heap.size() - 4 - 2) return;
  const std::size_t count = order.U16(heap, table);
  for (std::size_t i = 0; i < count && records.looked < kMaxRecords; ++i) {
    const std::size_t at = table + 2 + 10 * i;
    if (at + 10 > heap.size() - 4) return;
    ++records.looked;
    const std::uint32_t tag = order.U16(heap, at);
    const auto id = static_cast<std::uint16_t>(tag & 0x3FFF);
    const std::uint32_t location = tag & 0xC000;
    Bytes data;
    const std::uint32_t type = id & 0x3800;
    if (location == 0x4000) {
      // Eight bytes: a text, the four numbers of the flash or focal length record, or one number
      // (the rest is filler).
      const bool array = id == kRecordFlashInfo || id == kRecordFocalLength;
      data = heap.subspan(at + 2, array ? 8 : type == 0x1000 ? 2 : type == 0x1800 ? 4 : 8);
    } else if (location == 0) {
      const std::size_t size = order.U32(heap, at + 2), offset = order.U32(heap, at + 6);
      if (offset > heap.size() || size > heap.size() - offset) continue;
      data = heap.subspan(offset, size);
    } else {
      continue;
    }
    if (type == 0x2800 || type == 0x3000) {
      if (location == 0) ReadHeap(data, order, depth + 1, records);
    } else if (IsWanted(id) && data.size() <= (id == kRecordThumbnail ? kMaxThumbnailSize : kMaxRecordSize) &&
               !records.data.contains(id)) {
      records.data.emplace(id, data);
    }
  }
}

// The text of a record, up to its first NUL.
std::string_view RecordText(Bytes data) {
  const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
  return text.substr(0, text.find('\0'));
}

// A record as a makernote entry: its values in the CIFF data type (a record kept in its own eight
// bytes holds one number or a short text).
void AddRecord(Ifd& makernote, std::uint16_t tag, std::uint16_t id, Bytes data) {
  const std::uint32_t type = id & 0x3800;
  const auto count = static_cast<std::uint32_t>(data.size());
  Buffer bytes(data.begin(), data.end());
  if (type == 0x0800) {
    makernote.Ascii(tag, RecordText(data));
  } else if (type == 0x1000) {
    makernote.Encoded(tag, kShort, count / 2, std::move(bytes));
  } else if (type == 0x1800) {
    makernote.Encoded(tag, kLong, count / 4, std::move(bytes));
  } else {
    makernote.Encoded(tag, kUndefined, count, std::move(bytes));
  }
}

// An exposure value (APEX) a camera can have used: finite and within ±20 (a compensation of 20
// stops, a million seconds to a millionth, f/1 to f/1000). Garbage values are left out.
bool Plausible(double ev) {
  return std::isfinite(ev) && std::abs(ev) < 20;
}

// Canon's exposure units: 32 to one exposure value.
double CanonEv(std::uint32_t raw) {
  return static_cast<std::int16_t>(raw) / 32.0;
}

// An exposure time as a fraction: 1/n below one second, tenths above.
Ifd::Rationals ExposureTime(double seconds) {
  if (seconds < 1.0) return {{1, static_cast<std::uint32_t>(std::lround(1.0 / seconds))}};
  return {{static_cast<std::uint32_t>(std::llround(seconds * 10)), 10}};
}


// "+01:00": the offset from UTC in seconds, as EXIF writes time zones.
std::string ZoneText(std::int32_t seconds) {
  const char sign = seconds < 0 ? '-' : '+';
  const std::int64_t minutes = std::abs(std::int64_t{seconds}) / 60;
  char text[32];
  std::snprintf(text, sizeof text, "%c%02d:%02d", sign, static_cast<int>(minutes / 60 % 100),
                static_cast<int>(minutes % 60));
  return text;
}

// The Exif directory: date, image size, exposure and focal length.
void AddExifFields(Ifd& exif, const Records& records, const Order& order) {
  if (const Bytes time = records.Get(kRecordTimeStamp); time.size() >= 4) {
    const std::string date = ExifDateOfUnixTime(order.U32(time, 0));
    if (!date.empty()) exif.Ascii(0x9003, date);
    // The third number's top bit says whether the second (the zone's offset) is set.
    if (time.size() >= 12 && (order.U32(time, 8) & 0x80000000U) != 0)
      exif.Ascii(0x9011, ZoneText(static_cast<std::int32_t>(order.U32(time, 4))));
  }
  if (const Bytes info = records.Get(kRecordImageInfo); info.size() >= 8) {
    exif.Long(0xA002, {order.U32(info, 0)});
    exif.Long(0xA003, {order.U32(info, 4)});
  }
  if (const Bytes iso = records.Get(kRecordBaseIso); iso.size() >= 2)
    exif.Short(0x8827, {static_cast<std::uint16_t>(order.U16(iso, 0))});
  // Shutter speed and aperture as exposure values: from their own record (after the exposure
  // compensation), else from the shot information's aperture (21) and exposure time (22).
  const Bytes exposure = records.Get(kRecordExposureInfo), shot = records.Get(kRecordShotInfo);
  const auto thousandths = [](double ev) { return static_cast<std::int32_t>(std::lround(ev * 1000)); };
  double tv = NAN, av = NAN;
  if (exposure.size() >= 12) {
    const double bias = order.Float(exposure, 0);
    tv = order.Float(exposure, 4), av = order.Float(exposure, 8);
    if (Plausible(bias)) exif.SRational(0x9204, {{thousandths(bias), 1000}});
    if (Plausible(tv)) exif.SRational(0x9201, {{thousandths(tv), 1000}});
    if (Plausible(av)) exif.Rational(0x9202, {{static_cast<std::uint32_t>(thousandths(av)), 1000}});
  } else if (shot.size() >= 2 * 23) {
    if (order.U16(shot, 2 * 21) != 0) av = CanonEv(order.U16(shot, 2 * 21));
    if (order.U16(shot, 2 * 22) != 0) tv = CanonEv(order.U16(shot, 2 * 22));
  }
  if (Plausible(tv)) exif.Rational(0x829A, ExposureTime(std::exp2(-tv)));
  if (Plausible(av)) exif.Rational(0x829D, {{static_cast<std::uint32_t>(std::lround(std::exp2(av / 2) * 10)), 10}});
  if (const Bytes focal = records.Get(kRecordFocalLength); focal.size() >= 4 && order.U16(focal, 2) != 0) {
    // In the camera's focal units per millimetre (camera settings 25), 1 when not given.
    const Bytes settings = records.Get(kRecordCameraSettings);
    const std::uint32_t units = settings.size() >= 2 * 26 ? order.U16(settings, 2 * 25) : 0;
    exif.Rational(0x920A, {{order.U16(focal, 2), units == 0 ? 1 : units}});
  }
}

// Directory 0: make, model and orientation.
void AddMainFields(Ifd& main, const Records& records, const Order& order) {
  if (const Bytes names = records.Get(kRecordMakeModel); !names.empty()) {
    // The make, a NUL, then the model; the make takes at most six bytes ("Canon" and its NUL).
    const std::string_view text(reinterpret_cast<const char*>(names.data()), names.size());
    const std::size_t makeEnd = std::min<std::size_t>(text.find('\0'), 6);
    main.Ascii(0x010F, text.substr(0, makeEnd));
    const std::size_t modelStart = makeEnd < text.size() && text[makeEnd] == '\0' ? makeEnd + 1 : makeEnd;
    if (modelStart < text.size()) main.Ascii(0x0110, RecordText(names.subspan(modelStart)));
  }
  if (const Bytes info = records.Get(kRecordImageInfo); info.size() >= 16) {
    // Turned clockwise by 0, 90, 180 or 270 degrees.
    static constexpr std::array<std::pair<std::int32_t, std::uint16_t>, 4> kTurns = {
        {{0, 1}, {90, 6}, {180, 3}, {270, 8}}};
    const auto rotation = static_cast<std::int32_t>(order.U32(info, 12));
    for (const auto& [degrees, orientation] : kTurns) {
      if (rotation == degrees) main.Short(0x0112, {orientation});
    }
  }
}

// The TIFF block of a CRW file's records; empty when it has none worth listing. Directory 0 and
// its values, the Exif directory with the makernote last among its values, then the thumbnail
// directory and its JPEG image.
Buffer CiffTiffBlock(const Records& records, const Order& order) {
  const ByteOrder byteOrder = order.big ? ByteOrder::BigEndian : ByteOrder::LittleEndian;
  Ifd main, makernote;
  const auto exif = std::make_shared<Ifd>();
  AddMainFields(main, records, order);
  AddExifFields(*exif, records, order);
  for (const auto& [id, tag] : kMakernoteRecords) {
    const Bytes data = records.Get(id);
    if (!data.empty()) AddRecord(makernote, tag, id, data);
  }
  if (main.Empty() && exif->Empty() && makernote.Empty()) return {};
  if (!makernote.Empty()) {
    // Offsets in the makernote count from the TIFF header, as Canon writes them; the makernote
    // ends on a word boundary, its padding counted.
    const Ifd::BlobMaker note = [makernote, byteOrder](std::int64_t offset) {
      Buffer bytes;
      makernote.Write(bytes, byteOrder, offset);
      ByteSink{byteOrder, bytes}.PadToWord();
      return bytes;
    };
    exif->Blob(0x927C, kUndefined, static_cast<std::uint32_t>(note(0).size()), note);
  }
  const bool exifLinked = !exif->Empty();
  if (exifLinked) main.Sub(0x8769, exif);
  Buffer block;
  ByteSink sink{byteOrder, block};
  PutTiffHeader(sink, 8);
  const std::size_t mainAt = main.Write(block, byteOrder, 0);
  // An Exif directory without entries is written but not linked.
  if (!exifLinked) exif->Write(block, byteOrder, 0);
  // The thumbnail directory, linked from directory 0, and its JPEG image after it.
  const Bytes jpeg = records.Get(kRecordThumbnail);
  if (!StartsJpeg(jpeg)) {
    sink.PadToWord();
    return block;
  }
  Ifd thumbnail;
  thumbnail.Short(0x0103, {6}).OffsetTo(0x0201, Buffer(jpeg.begin(), jpeg.end()));
  thumbnail.Long(0x0202, {static_cast<std::uint32_t>(jpeg.size())});
  const std::size_t thumbnailAt = thumbnail.Write(block, byteOrder, 0);
  sink.Patch32(mainAt + DirectorySize(main.EntryCount()) - 4, static_cast<std::uint32_t>(thumbnailAt));
  return block;
}

bool Starts(Bytes b, std::size_t at, std::string_view text) {
  return ByteCursor(b).HoldsAt(at, text);
}

}  // namespace

std::vector<std::uint8_t> CiffAsTiffBlock(Bytes ciff) {
  if (!Starts(ciff, 6, "HEAP") || !(Starts(ciff, 0, "II") || Starts(ciff, 0, "MM"))) return {};
  const Order order{ciff[0] == 'M'};
  const std::size_t header = order.U32(ciff, 2);
  if (header < 14 || header >= ciff.size()) return {};
  Records records;
  ReadHeap(ciff.subspan(header), order, 0, records);
  return CiffTiffBlock(records, order);
}

bool ReadCrwContainer(Bytes file, MetadataSource& source) {
  if (!Starts(file, 6, "HEAPCCDR") || !(Starts(file, 0, "II") || Starts(file, 0, "MM"))) return false;
  const Buffer block = CiffAsTiffBlock(file);
  if (!block.empty()) source.AddTiffCopy(TiffBlockRole::Whole, block);
  return true;
}

bool ReadMrwContainer(Bytes file, const std::shared_ptr<const void>& owner, MetadataSource& source) {
  if (file.size() < 8 || !Starts(file, 0, std::string_view("\0MRM", 4))) return false;
  // "\0MRM", the length of the blocks that follow (the image data starts after them), then blocks
  // of a four-byte name and a big-endian length each.
  const Order order{true};
  Bytes rest = file.subspan(8, std::min<std::size_t>(order.U32(file, 4), file.size() - 8));
  for (int n = 0; n < kMaxMrwBlocks && rest.size() >= 8; ++n) {
    const std::size_t size = order.U32(rest, 4);
    if (size > rest.size() - 8) break;
    if (Starts(rest, 0, std::string_view("\0TTW", 4)) && size > 0)
      source.tiffBlocks.push_back({TiffBlockRole::Whole, rest.subspan(8, size), owner});
    rest = rest.subspan(8 + size);
  }
  return true;
}

std::string ExifDateOfUnixTime(std::int64_t seconds) {
  const auto time = static_cast<std::time_t>(seconds);
  std::tm parts{};
  if (gmtime_r(&time, &parts) == nullptr) return {};
  char text[96];
  std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", parts.tm_year + 1900, parts.tm_mon + 1,
                parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
  return text;
}

}  // namespace kelmarin
