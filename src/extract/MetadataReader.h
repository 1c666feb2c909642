#pragma once
// Turning the metadata bytes of one image into items of its ImageMetadata. Nothing here reports to
// the user or throws: unreadable data is skipped, missing bytes read as 0.

#include <cstdint>
#include <span>

#include "extract/ImageMetadata.h"
#include "extract/MetadataSource.h"

namespace kelmarin {

class Definitions;

// Type 4 (JPEG): APP1 blocks as EXIF, APP13 blocks as IPTC, comments as "P1", "P2", ...;
// type 8 (PNG): texts as comments keyed by keyword; every other type: nothing.
// definitions may be null (no focal-length factors).
void ReadImageMetadata(ImageMetadata& image, std::int32_t imagetype, const MetadataSource& source,
                       const Definitions* definitions);

// One APP1 marker's bytes (0xFF, code, length, "Exif\0\0", TIFF header ...).
void ReadExifBlock(ImageMetadata& image, std::span<const std::uint8_t> block, const Definitions* definitions);

// One APP13 marker's bytes.
void ReadIptcBlock(ImageMetadata& image, std::span<const std::uint8_t> block);

}  // namespace kelmarin
