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

#include "extract/ByteCursor.h"
#include "metadata/Definitions.h"
#include "metadata/Text.h"

namespace kelmarin {

namespace {

constexpr std::int32_t kTagRunTime = 0x0003;
constexpr std::string_view kMagic = "bplist00";
constexpr std::uint64_t kTrailerBytes = 32;
constexpr std::array<std::string_view, 4> kKeys = {"flags", "value", "epoch", "timescale"};

// Places count from the list's first byte.
class PropertyList {
 public:
  explicit PropertyList(std::span<const std::uint8_t> bytes) : list(bytes) {}

  bool Open() {
    const std::uint64_t size = list.Bytes().size();
    if (size < kMagic.size() + kTrailerBytes || !EqualsNoCase(Text(0, kMagic.size()), kMagic)) return false;
    const std::uint64_t trailer = size - kTrailerBytes;
    offsetSize = Marker(trailer + 6);
    referenceSize = Marker(trailer + 7);
    objects = Wide(trailer + 8, 8).value_or(0);
    top = Wide(trailer + 16, 8).value_or(0);
    table = Wide(trailer + 24, 8).value_or(0);
    return offsetSize >= 1 && offsetSize <= 8 && referenceSize >= 1 && referenceSize <= 8 && top < objects &&
           objects <= size && table < size && objects * offsetSize <= size - table;
  }

  // Start of object n, nothing outside the list.
  std::optional<std::uint64_t> Object(std::uint64_t n) const {
    if (n >= objects) return std::nullopt;
    const auto at = Wide(table + n * offsetSize, offsetSize);
    if (!at || *at >= list.Bytes().size()) return std::nullopt;
    return at;
  }
  std::optional<std::uint64_t> Reference(std::uint64_t at) const { return Wide(at, referenceSize); }
  std::uint64_t ReferenceSize() const { return referenceSize; }
  // The marker byte of the object at `at`, 0 outside the list.
  std::uint8_t Marker(std::uint64_t at) const { return at < list.Bytes().size() ? list.U8At(at) : 0; }

  // A short ASCII text or a whole number of up to 8 bytes at object n.
  std::optional<std::string_view> Text(std::uint64_t n) const {
    const auto at = Object(n);
    if (!at || (Marker(*at) & 0xF0) != 0x50) return std::nullopt;
    const std::uint64_t length = Marker(*at) & 0x0F;
    if (length > list.Bytes().size() - *at - 1) return std::nullopt;
    return Text(*at + 1, length);
  }
  std::optional<std::int64_t> Number(std::uint64_t n) const {
    const auto at = Object(n);
    if (!at || (Marker(*at) & 0xF0) != 0x10 || (Marker(*at) & 0x0F) > 3) return std::nullopt;
    const auto value = Wide(*at + 1, std::uint64_t{1} << (Marker(*at) & 0x0F));
    if (!value) return std::nullopt;
    return static_cast<std::int64_t>(*value);
  }

  std::uint64_t top = 0;

 private:
  std::string_view Text(std::uint64_t at, std::uint64_t length) const {
    const std::span<const std::uint8_t> part = list.PartAt(at, length);
    return {reinterpret_cast<const char*>(part.data()), part.size()};
  }
  // A big-endian number of `width` bytes at `at`; nothing when they do not all lie inside the list.
  std::optional<std::uint64_t> Wide(std::uint64_t at, std::uint64_t width) const {
    ByteCursor cursor(list.Bytes());
    if (at > list.Bytes().size()) return std::nullopt;
    cursor.Seek(at);
    const std::span<const std::uint8_t> bytes = cursor.Take(width);
    if (cursor.RanOut()) return std::nullopt;
    std::uint64_t value = 0;
    for (const std::uint8_t byte : bytes) value = (value << 8) | byte;
    return value;
  }

  ByteCursor list;
  std::uint64_t offsetSize = 0;
  std::uint64_t referenceSize = 0;
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
  if (!dictionary || (list.Marker(*dictionary) & 0xF0) != 0xD0) return;
  // A dictionary of fewer than 15 entries keeps its count in the marker; a longer one is not the run time.
  const std::uint64_t entries = list.Marker(*dictionary) & 0x0F;
  std::array<std::optional<std::int64_t>, kKeys.size()> found;
  for (std::uint64_t e = 0; e < entries; ++e) {
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
