#pragma once
// The metadata-only read of one image file, without the toolkit or the imaging libraries of the full
// image layer: what kelmarin-exif needs for its listing.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "extract/MetadataSource.h"

namespace kelmarin::codec {

struct MetadataOnlyRead {
  // The image type code read as: the one asked for, or for 0 the one the content suggests (0 when
  // it suggests none). Left as asked when the file cannot be opened.
  std::int32_t type = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  // The JPEG markers and comments or the PNG texts; never null, empty unless a JPEG or PNG was read.
  std::shared_ptr<const MetadataSource> source;
  // The error number the image object's GetImageDims gives for this file (codec code + 1000).
  std::optional<std::int32_t> error;
  // The type is one of the formats read by the full image layer only (BMP, metafiles, GIF, Photo
  // CD, PCX, PSD, RAW, TGA, TIFF): nothing was read, error is empty; ask that layer.
  bool otherFormat = false;
};

// True for the formats read by the full image layer only: BMP, metafiles, GIF, Photo CD, PCX, PSD,
// RAW, TGA, TIFF, HEIF, WebP, JPEG XL.
bool NeedsFullImageLayer(std::int32_t type);

// For JPEG (4) and PNG (8), and type 0 content that is JPEG or PNG, gives exactly what
// ZetImage::GetImageDims gives: the same width, height, markers or texts, the same error numbers
// (1001 cannot open, 1002 no reader for the type, 1003 damaged ...). A type without any reader (5,
// below 0, above 15, or 0 of unknown content) gives 1002. Never throws except std::bad_alloc.
MetadataOnlyRead ReadMetadataOnly(const std::string& path, std::int32_t type);

}  // namespace kelmarin::codec
