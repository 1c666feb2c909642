#pragma once
// The metadata-only read of one image file, without the toolkit or the imaging libraries of the full
// image layer: what kelmarin-exif needs for its listing.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "extract/MetadataSource.h"
#include "image/meta/CodecBasics.h"

namespace kelmarin::codec {

struct MetadataOnlyRead {
  // The image type code read as: the one asked for, or for 0 the one the content suggests (0 when
  // it suggests none). Left as asked when the file cannot be opened.
  std::int32_t type = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  // The JPEG markers and comments, the PNG texts, or the TIFF blocks (and IPTC markers) found in a
  // container; never null.
  std::shared_ptr<const MetadataSource> source;
  // The codec code of the error the image object's GetImageDims gives for this file.
  std::optional<Code> error;
  // The file is one the full image layer reads and this path does not (BMP, metafiles, GIF, Photo
  // CD, PCX, PSD, TGA; a RAW file of no known container, a TIFF type file whose content is not
  // TIFF): nothing was read but a PSD file's ICC profile, XMP and IPTC and a GIF's XMP, error is
  // empty; ask that layer.
  bool otherFormat = false;
};

// True for the formats read by the full image layer only: BMP, metafiles, GIF, Photo CD, PCX, PSD,
// TGA. (RAW and TIFF files are read here when their content is a known container.)
bool NeedsFullImageLayer(std::int32_t type);

// Reads as the format's row says (image/meta/Formats.h). A header format (JPEG, PNG; type 0 content
// of one) gives exactly what ZetImage::GetImageDims gives: the same width, height, markers or texts,
// the same errors (kCannotOpen, kCorrupt ...); PNG adds its eXIf chunk as a TIFF block. A container
// format gives its container's blocks (width and height 0), kCorrupt when the content is not that
// container, or otherFormat for a RAW or TIFF file of another content. Type 0 content of these
// kinds is read as its kind. A type without any reader (JPEG 2000, a code of no format, or 0 of
// unknown content) gives kUnsupported. Never throws except std::bad_alloc.
MetadataOnlyRead ReadMetadataOnly(const std::string& path, std::int32_t type);

// The EXIF Orientation (1 to 8) of the first EXIF APP1 marker or TIFF block that gives one as a
// SHORT in its directory 0; 0 when none does (damaged or missing blocks give 0).
int OrientationOf(const MetadataSource& metadata);

}  // namespace kelmarin::codec
