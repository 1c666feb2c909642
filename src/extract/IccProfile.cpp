#include "extract/IccProfile.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace kelmarin {

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint8_t kApp2 = 0xE2;
constexpr std::string_view kIccSignature("ICC_PROFILE\0", 12);
// 0xFF, code and two length bytes, the signature, the sequence number and the count.
constexpr std::size_t kSegmentHead = 4 + kIccSignature.size() + 2;
constexpr std::uint16_t kPsdIccResource = 0x040F;
constexpr int kMaxPsdResources = 4096;

bool IsIccSegment(const JpegMarker& marker) {
  return marker.code == kApp2 && marker.bytes.size() >= kSegmentHead &&
         std::memcmp(marker.bytes.data() + 4, kIccSignature.data(), kIccSignature.size()) == 0;
}

std::uint32_t Be32(Bytes b, std::size_t at) {
  if (at > b.size() || b.size() - at < 4) return 0;
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) |
         b[at + 3];
}

}  // namespace

EmbeddedIcc JoinIccSegments(std::span<const JpegMarker> markers) {
  EmbeddedIcc result;
  std::vector<const JpegMarker*> byNumber;  // index: sequence number - 1
  std::size_t total = 0;
  for (const JpegMarker& marker : markers) {
    if (!IsIccSegment(marker)) continue;
    ++result.parts;
    const std::uint8_t number = marker.bytes[kSegmentHead - 2];
    const std::uint8_t count = marker.bytes[kSegmentHead - 1];
    if (byNumber.empty()) byNumber.assign(count, nullptr);
    if (count == 0 || count != byNumber.size() || number == 0 || number > count ||
        byNumber[number - 1] != nullptr) {
      result.damage = IccDamage::Inconsistent;
      continue;
    }
    byNumber[number - 1] = &marker;
    total += marker.bytes.size() - kSegmentHead;
  }
  if (result.damage == IccDamage::None &&
      std::find(byNumber.begin(), byNumber.end(), nullptr) != byNumber.end()) {
    result.damage = IccDamage::MissingPart;
  }
  if (result.damage != IccDamage::None) return result;
  result.bytes.reserve(total);
  for (const JpegMarker* marker : byNumber) {
    result.bytes.insert(result.bytes.end(), marker->bytes.begin() + kSegmentHead, marker->bytes.end());
  }
  return result;
}

EmbeddedIcc EmbeddedIccProfile(const MetadataSource& source) {
  if (!source.icc.empty()) return EmbeddedIcc{source.icc, IccDamage::None, 1};
  return JoinIccSegments(source.markers);
}

Bytes PsdIccProfile(Bytes file) {
  // Header: "8BPS", version (1 PSD, 2 PSB), 6 reserved bytes, channels, height, width, depth, mode.
  constexpr std::size_t kHeader = 26;
  if (file.size() < kHeader + 8 || std::memcmp(file.data(), "8BPS", 4) != 0) return {};
  const std::uint64_t modeData = Be32(file, kHeader);
  if (modeData > file.size() - kHeader - 4 - 4) return {};
  const std::size_t resourcesAt = kHeader + 4 + static_cast<std::size_t>(modeData);
  const std::uint64_t resourcesLength = Be32(file, resourcesAt);
  if (resourcesLength > file.size() - resourcesAt - 4) return {};
  Bytes rest = file.subspan(resourcesAt + 4, static_cast<std::size_t>(resourcesLength));
  for (int n = 0; n < kMaxPsdResources && rest.size() >= 12; ++n) {
    if (std::memcmp(rest.data(), "8BIM", 4) != 0) break;
    const auto id = static_cast<std::uint16_t>((rest[4] << 8) | rest[5]);
    // A Pascal name padded to an even length, then the data's length; the data is padded too.
    const std::size_t name = (std::size_t{rest[6]} + 2) & ~std::size_t{1};
    const std::size_t lengthAt = 6 + name;
    const std::uint64_t length = Be32(rest, lengthAt);
    if (lengthAt + 4 > rest.size() || length > rest.size() - lengthAt - 4) break;
    const Bytes data = rest.subspan(lengthAt + 4, static_cast<std::size_t>(length));
    if (id == kPsdIccResource) return data;
    const std::size_t next = lengthAt + 4 + static_cast<std::size_t>(length) + length % 2;
    rest = rest.subspan(std::min(next, rest.size()));
  }
  return {};
}

}  // namespace kelmarin
