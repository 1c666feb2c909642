// Apple's run time: the top dictionary of a binary property list. Its trailer (the last 32
// bytes) gives the sizes of offsets and references, the object count, the top object and where
// the offset table starts; each object starts with a marker byte: 0x1n a big-endian whole number
// of 2^n bytes, 0x5n an ASCII text of n bytes, 0xDn a dictionary of n keys and then n values
// (references into the offset table).

#include "extract/AppleRunTime.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "extract/ByteReader.h"
#include "metadata/Definitions.h"

namespace kelmarin {

namespace {

constexpr std::int32_t kTagRunTime = 0x0003;
constexpr std::string_view kMagic = "bplist00";
constexpr std::int64_t kTrailerBytes = 32;
constexpr std::array<std::string_view, 4> kKeys = {"flags", "value", "epoch", "timescale"};

class PropertyList {
 public:
  explicit PropertyList(std::span<const std::uint8_t> bytes) : reader(bytes, ByteOrder::BigEndian) {}

  bool Open() {
    const std::int64_t size = reader.Size();
    if (size < static_cast<std::int64_t>(kMagic.size()) + kTrailerBytes || !reader.MatchesNoCase(1, kMagic))
      return false;
    const BufferPos trailer = size - kTrailerBytes + 1;
    offsetSize = reader.Byte(trailer + 6);
    referenceSize = reader.Byte(trailer + 7);
    objects = Wide(trailer + 8, 8).value_or(0);
    top = Wide(trailer + 16, 8).value_or(0);
    table = Wide(trailer + 24, 8).value_or(0);
    return offsetSize >= 1 && offsetSize <= 8 && referenceSize >= 1 && referenceSize <= 8 && top < objects &&
           objects <= static_cast<std::uint64_t>(size) && table < static_cast<std::uint64_t>(size) &&
           reader.Has(static_cast<BufferPos>(table) + 1, static_cast<std::int64_t>(objects * offsetSize));
  }

  // Start of object n, nothing outside the list.
  std::optional<BufferPos> Object(std::uint64_t n) const {
    if (n >= objects) return std::nullopt;
    const auto at = Wide(static_cast<BufferPos>(table + n * offsetSize) + 1, offsetSize);
    if (!at || *at >= static_cast<std::uint64_t>(reader.Size())) return std::nullopt;
    return static_cast<BufferPos>(*at) + 1;
  }
  std::optional<std::uint64_t> Reference(BufferPos at) const { return Wide(at, referenceSize); }
  std::int64_t ReferenceSize() const { return referenceSize; }

  // A short ASCII text or a whole number of up to 8 bytes at object n.
  std::optional<std::string_view> Text(std::uint64_t n) const {
    const auto at = Object(n);
    if (!at || (reader.Byte(*at) & 0xF0) != 0x50) return std::nullopt;
    const std::int64_t length = reader.Byte(*at) & 0x0F;
    if (!reader.Has(*at + 1, length)) return std::nullopt;
    return reader.Text(*at + 1, length);
  }
  std::optional<std::int64_t> Number(std::uint64_t n) const {
    const auto at = Object(n);
    if (!at || (reader.Byte(*at) & 0xF0) != 0x10 || (reader.Byte(*at) & 0x0F) > 3) return std::nullopt;
    const auto value = Wide(*at + 1, 1 << (reader.Byte(*at) & 0x0F));
    if (!value) return std::nullopt;
    return static_cast<std::int64_t>(*value);
  }

  const ByteReader reader;
  std::uint64_t top = 0;

 private:
  std::optional<std::uint64_t> Wide(BufferPos at, std::int64_t width) const {
    if (!reader.Has(at, width)) return std::nullopt;
    std::uint64_t value = 0;
    for (std::int64_t i = 0; i < width; ++i) value = (value << 8) | reader.Byte(at + i);
    return value;
  }

  std::int64_t offsetSize = 0;
  std::int64_t referenceSize = 0;
  std::uint64_t objects = 0;
  std::uint64_t table = 0;
};

}  // namespace

void ReadAppleRunTime(ImageMetadata& image, const ExifBlockState& /*state*/) {
  std::optional<std::vector<std::uint8_t>> bytes;
  const std::int32_t count = image.ExifCount(kSectionMakernote);
  for (std::int32_t i = 1; i <= count && !bytes; ++i) {
    const ZetExif* item = image.ExifPos(kSectionMakernote, i);
    if (item != nullptr && item->directory == 0 && item->tag == kTagRunTime && item->typ == kTypNumbers)
      bytes = ItemBytes(*item);
  }
  if (!bytes) return;
  PropertyList list(*bytes);
  if (!list.Open()) return;
  const auto dictionary = list.Object(list.top);
  if (!dictionary || (list.reader.Byte(*dictionary) & 0xF0) != 0xD0) return;
  // A dictionary of fewer than 15 entries keeps its count in the marker; a longer one is not the run time.
  const std::int64_t entries = list.reader.Byte(*dictionary) & 0x0F;
  std::array<std::optional<std::int64_t>, kKeys.size()> found;
  for (std::int64_t e = 0; e < entries; ++e) {
    const auto key = list.Reference(*dictionary + 1 + e * list.ReferenceSize());
    const auto value = list.Reference(*dictionary + 1 + (entries + e) * list.ReferenceSize());
    if (!key || !value) return;
    const auto name = list.Text(*key);
    for (std::size_t k = 0; name && k < kKeys.size(); ++k) {
      if (*name == kKeys[k]) found[k] = list.Number(*value);
    }
  }
  for (std::size_t k = 0; k < kKeys.size(); ++k) {
    if (!found[k]) continue;
    if (ZetExif* item = image.ExifAdd(kSectionMakernote, static_cast<std::int32_t>(k + 1), kTypNumbers, {*found[k]}))
      item->directory = kTagRunTime;
  }
}

}  // namespace kelmarin
