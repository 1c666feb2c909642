#include "browser/core/FolderCacheFile.h"

#include <bit>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "extract/ByteCursor.h"

namespace kelmarin {

namespace {

constexpr std::string_view kMagic = "KELMREC\n";
constexpr std::size_t kHeaderSize = 8 + 4 + 4 + 8 + 8;

// Which optional values a record holds.
enum Present : std::uint16_t {
  kFilled = 1,
  kTaken = 2,
  kOffset = 4,
  kFocal = 8,
  kFNumber = 16,
  kExposure = 32,
  kIso = 64,
  kRating = 128
};

std::uint64_t Fnv1a(std::span<const std::uint8_t> bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (std::uint8_t byte : bytes) {
    hash ^= byte;
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

class Writer {
 public:
  std::vector<std::uint8_t> bytes;
  void Number(std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  void Float(float value) { Number(std::bit_cast<std::uint32_t>(value), 4); }
  void Text(std::string_view text) {
    if (text.size() > kMaxCacheText) {
      std::size_t cut = kMaxCacheText;
      while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
      text = text.substr(0, cut);
    }
    Number(text.size(), 2);
    bytes.insert(bytes.end(), text.begin(), text.end());
  }
};

void WriteRecord(Writer& out, const CachedRecord& cached) {
  const FolderRecord& r = cached.record;
  out.Text(cached.path);
  out.Number(static_cast<std::uint64_t>(cached.size), 8);
  out.Number(static_cast<std::uint64_t>(cached.modified), 8);
  const std::uint16_t present = static_cast<std::uint16_t>(
      (r.filled ? kFilled : 0) | (r.takenLocal ? kTaken : 0) | (r.offsetMinutes ? kOffset : 0) |
      (r.focalLength ? kFocal : 0) | (r.fNumber ? kFNumber : 0) | (r.exposureTime ? kExposure : 0) |
      (r.iso ? kIso : 0) | (r.rating ? kRating : 0));
  out.Number(present, 2);
  out.Number(static_cast<std::uint64_t>(r.takenLocal.value_or(0)), 8);
  out.Number(static_cast<std::uint32_t>(r.offsetMinutes.value_or(0)), 4);
  out.Text(r.camera);
  out.Text(r.lens);
  out.Float(r.focalLength.value_or(0));
  out.Float(r.fNumber.value_or(0));
  out.Float(r.exposureTime.value_or(0));
  out.Float(r.iso.value_or(0));
  out.Number(static_cast<std::uint8_t>(r.rating.value_or(0)), 1);
  const std::size_t keywords = std::min(r.keywords.size(), kMaxCacheKeywords);
  out.Number(keywords, 2);
  for (std::size_t i = 0; i < keywords; ++i) out.Text(r.keywords[i]);
  out.Number(static_cast<std::uint32_t>(r.width), 4);
  out.Number(static_cast<std::uint32_t>(r.height), 4);
}

// Reads what the writer wrote; false (and the cursor's flag) on bytes that do not fit.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : cursor(bytes, false) {}
  ByteCursor cursor;
  bool bad = false;

  std::int64_t I64() { return static_cast<std::int64_t>(cursor.U64()); }
  std::int32_t I32() { return static_cast<std::int32_t>(cursor.U32()); }
  float Float() {
    const float value = std::bit_cast<float>(cursor.U32());
    if (!std::isfinite(value)) bad = true;
    return value;
  }
  std::string Text() {
    const std::uint16_t length = cursor.U16();
    if (length > kMaxCacheText) bad = true;
    const std::span<const std::uint8_t> bytes = cursor.Take(length);
    return std::string(bytes.begin(), bytes.end());
  }
  bool Ok() const { return !bad && !cursor.RanOut(); }
};

template <typename T>
std::optional<T> If(bool present, T value) {
  if (present) return value;
  return std::nullopt;
}

bool ReadRecord(Reader& in, CachedRecord& cached) {
  FolderRecord& r = cached.record;
  cached.path = in.Text();
  cached.size = in.I64();
  cached.modified = in.I64();
  const std::uint16_t present = in.cursor.U16();
  const std::int64_t taken = in.I64();
  const std::int32_t offset = in.I32();
  r.camera = in.Text();
  r.lens = in.Text();
  const float focal = in.Float();
  const float fNumber = in.Float();
  const float exposure = in.Float();
  const float iso = in.Float();
  const auto rating = static_cast<std::int8_t>(in.cursor.U8());
  const std::uint16_t keywords = in.cursor.U16();
  // A value that is absent was written as zeros; anything else is not this writer's file.
  const auto absentZero = [&](std::uint16_t flag, bool zero) { return (present & flag) != 0 || zero; };
  if (!in.Ok() || keywords > kMaxCacheKeywords || present > 0xFF || offset < -18 * 60 || offset > 18 * 60 ||
      rating < -1 || rating > 5 || !absentZero(kTaken, taken == 0) || !absentZero(kOffset, offset == 0) ||
      !absentZero(kFocal, std::bit_cast<std::uint32_t>(focal) == 0) ||
      !absentZero(kFNumber, std::bit_cast<std::uint32_t>(fNumber) == 0) ||
      !absentZero(kExposure, std::bit_cast<std::uint32_t>(exposure) == 0) ||
      !absentZero(kIso, std::bit_cast<std::uint32_t>(iso) == 0) || !absentZero(kRating, rating == 0)) {
    return false;
  }
  for (std::uint16_t i = 0; i < keywords && in.Ok(); ++i) r.keywords.push_back(in.Text());
  r.width = in.I32();
  r.height = in.I32();
  r.filled = (present & kFilled) != 0;
  r.takenLocal = If(present & kTaken, taken);
  r.offsetMinutes = If(present & kOffset, offset);
  r.focalLength = If(present & kFocal, focal);
  r.fNumber = If(present & kFNumber, fNumber);
  r.exposureTime = If(present & kExposure, exposure);
  r.iso = If(present & kIso, iso);
  r.rating = If(present & kRating, rating);
  return in.Ok() && r.width >= 0 && r.height >= 0 && !cached.path.empty();
}

}  // namespace

std::vector<std::uint8_t> FolderCacheBytes(const FolderCacheContents& contents) {
  Writer payload;
  payload.Text(contents.folder);
  const std::size_t count = std::min<std::size_t>(contents.records.size(), kMaxCacheRecords);
  for (std::size_t i = 0; i < count; ++i) WriteRecord(payload, contents.records[i]);
  Writer file;
  file.bytes.assign(kMagic.begin(), kMagic.end());
  file.Number(kFolderCacheVersion, 4);
  file.Number(count, 4);
  file.Number(payload.bytes.size(), 8);
  file.Number(Fnv1a(payload.bytes), 8);
  file.bytes.insert(file.bytes.end(), payload.bytes.begin(), payload.bytes.end());
  return file.bytes;
}

std::optional<FolderCacheContents> ParseFolderCache(std::span<const std::uint8_t> bytes) {
  Reader header(bytes);
  if (!header.cursor.Match(kMagic)) return std::nullopt;
  const std::uint32_t version = header.cursor.U32();
  const std::uint32_t count = header.cursor.U32();
  const std::uint64_t length = header.cursor.U64();
  const std::uint64_t checksum = header.cursor.U64();
  // The smallest record takes more than 60 bytes; a count beyond what the payload can hold is
  // refused before anything is reserved for it.
  if (!header.Ok() || version != kFolderCacheVersion || count > kMaxCacheRecords ||
      length != header.cursor.Remaining() || count > length / 60) {
    return std::nullopt;
  }
  const std::span<const std::uint8_t> payload = bytes.subspan(kHeaderSize);
  if (Fnv1a(payload) != checksum) return std::nullopt;
  Reader in(payload);
  FolderCacheContents contents;
  contents.folder = in.Text();
  contents.records.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    CachedRecord cached;
    if (!ReadRecord(in, cached)) return std::nullopt;
    contents.records.push_back(std::move(cached));
  }
  if (!in.Ok() || !in.cursor.AtEnd() || contents.folder.empty()) return std::nullopt;
  return contents;
}

std::string FolderCacheFileName(const std::string& folder) {
  const std::uint64_t hash =
      Fnv1a(std::span(reinterpret_cast<const std::uint8_t*>(folder.data()), folder.size()));
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.kfr", static_cast<unsigned long long>(hash));
  return name;
}

}  // namespace kelmarin
