#pragma once
// The EXIF blocks of a HEIF, HEIC or AVIF file through libheif.

#include <memory>
#include <span>

#include "extract/MetadataSource.h"
#include "image/meta/CodecBasics.h"

namespace kelmarin::codec {

// The "Exif" metadata blocks of the primary image, as TIFF blocks (the four-byte offset before the
// TIFF header is skipped), and the primary image's size. kCorrupt when libheif cannot read the file
// or it has no primary image; `source` is then unchanged. The bytes are not copied by libheif.
Code ReadHeifMetadata(std::span<const std::uint8_t> file, Size& size, MetadataSource& source);

}  // namespace kelmarin::codec
