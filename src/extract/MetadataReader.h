#pragma once
// Turning the metadata bytes of one image into items of its ImageMetadata. Nothing here reports to
// the user or throws: unreadable data is skipped, missing bytes read as 0.

#include <cstdint>
#include <span>

#include "extract/ImageMetadata.h"
#include "extract/MetadataSource.h"

namespace kelmarin {

class Definitions;

// Type 8 (PNG): texts as comments keyed by keyword; type 4 (JPEG) and a container's source of any
// type: APP1 blocks as EXIF, APP13 blocks as IPTC, comments as "P1", "P2", ...; other types: none
// of these. Then, for every type, the source's TIFF blocks in order (ReadTiffBlock for whole
// blocks; the parts of a CR3 file each as their section, the makernote part by the make of the
// parts before it).
// definitions may be null (no focal-length factors).
void ReadImageMetadata(ImageMetadata& image, std::int32_t imagetype, const MetadataSource& source,
                       const Definitions* definitions);

// One APP1 marker's bytes (0xFF, code, length, "Exif\0\0", TIFF header ...). A block whose TIFF
// header does not read 42 (XMP, truncated bytes) changes nothing. Otherwise camera_id is set from
// the makernote (0 when none is recognised) and camera_feq from the definitions (0 without them or
// without a factor for the model). Values: BYTE, SHORT, LONG, SBYTE, UNDEFINED, SSHORT, SLONG as
// numbers (typ 1, LONG up to 4294967295); ASCII as one text; RATIONAL, SRATIONAL as "n/d" texts;
// FLOAT, DOUBLE as the shortest decimal text that reads back exactly ("." as decimal point).
void ReadExifBlock(ImageMetadata& image, std::span<const std::uint8_t> block, const Definitions* definitions);

// A TIFF-structured block with its header at the first byte (a TIFF or TIFF-based RAW file, the EXIF
// payload of a container), read as ReadExifBlock reads an APP1 block; besides 42 the magic numbers
// of ORF (0x4F52, 0x5352) and RW2 (0x55) are accepted. Bytes the directories do not reach are never
// touched (the block may be a memory-mapped file).
void ReadTiffBlock(ImageMetadata& image, std::span<const std::uint8_t> block, const Definitions* definitions);

// One APP13 marker's bytes: the record-2 datasets of its "8BIM" 0x0404 resources, through IptcAdd.
// Bytes that are not a record-2 dataset, and extended dataset lengths (IIM 1.5.4, top bit set), end
// the reading of the marker; datasets read before stay.
void ReadIptcBlock(ImageMetadata& image, std::span<const std::uint8_t> block);

}  // namespace kelmarin
