#pragma once
// ICC profiles embedded in image files (ICC.1:2022): the pieces of a JPEG's profile joined, a PSD
// file's profile found, and the one profile of a metadata source. Standard library only; nothing
// here throws except std::bad_alloc.

#include <cstdint>
#include <span>
#include <vector>

#include "extract/MetadataSource.h"

namespace kelmarin {

// Why a profile's pieces could not be joined. The bytes are then left empty: a profile with a part
// missing is not guessed at.
enum class IccDamage : std::uint8_t {
  None,
  MissingPart,   // a sequence number below the count has no segment
  Inconsistent,  // counts differ between segments, a number is 0 or above the count, or repeats
};

struct EmbeddedIcc {
  std::vector<std::uint8_t> bytes;  // empty: no profile (or a damaged one)
  IccDamage damage = IccDamage::None;
  std::int32_t parts = 0;  // the segments that carry the profile's signature
};

// The APP2 markers whose payload starts with "ICC_PROFILE\0", a sequence number (from 1) and the
// count of segments, joined in the order of their numbers whatever their order in the file (ICC.1,
// annex B.4). Other markers are ignored.
EmbeddedIcc JoinIccSegments(std::span<const JpegMarker> markers);

// The source's profile: the one a container reader found whole, else the one of its APP2 markers.
EmbeddedIcc EmbeddedIccProfile(const MetadataSource& source);

// The ICC profile of a Photoshop file: image resource 0x040F (Photoshop File Formats, "Image
// Resource Blocks"). Empty when the bytes are not PSD or PSB or hold no such resource; the span
// points into `file`.
std::span<const std::uint8_t> PsdIccProfile(std::span<const std::uint8_t> file);

}  // namespace kelmarin
