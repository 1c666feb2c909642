#include "extract/IccProfile.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "extract/Containers.h"

namespace kelmarin {

namespace {

using Bytes = std::span<const std::uint8_t>;

constexpr std::uint8_t kApp2 = 0xE2;
constexpr std::string_view kIccSignature("ICC_PROFILE\0", 12);
// 0xFF, code and two length bytes, the signature, the sequence number and the count.
constexpr std::size_t kSegmentHead = 4 + kIccSignature.size() + 2;
constexpr std::uint16_t kPsdIccResource = 0x040F;

bool IsIccSegment(const JpegMarker& marker) {
  return marker.code == kApp2 && marker.bytes.size() >= kSegmentHead &&
         std::memcmp(marker.bytes.data() + 4, kIccSignature.data(), kIccSignature.size()) == 0;
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
  return PsdResource(file, kPsdIccResource);
}

}  // namespace kelmarin
