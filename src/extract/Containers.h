#pragma once
// Small readers of the containers today's image files come in. They only find the metadata blocks
// and hand them on, as TIFF blocks or JPEG markers of a MetadataSource; the EXIF reader does the
// rest. Every length is checked against the bytes that remain and every loop is bounded; nothing
// here throws (except std::bad_alloc) or reads outside the given bytes. The bytes may be a
// memory-mapped file: only the parts the structures point to are touched.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "extract/MetadataSource.h"

namespace kelmarin {

// Each reader adds what it finds to `source` and returns false when the bytes are not its
// container at all (source then unchanged). `owner` keeps the bytes alive; TIFF blocks that point
// into them share it instead of copying.
//
// TIFF: the file is one block; IPTC (tag 33723 of directory 0) is handed on as an APP13 marker.
bool ReadTiffContainer(std::span<const std::uint8_t> file, const std::shared_ptr<const void>& owner,
                       MetadataSource& source);
// CR3: the parts CMT1 to CMT4 of Canon's box in the movie box.
bool ReadCr3Container(std::span<const std::uint8_t> file, const std::shared_ptr<const void>& owner,
                      MetadataSource& source);
// RAF: the APP markers and comments of the embedded JPEG preview.
bool ReadRafContainer(std::span<const std::uint8_t> file, MetadataSource& source);
// CRW: the records of the heaps (make and model, date and time zone, image size and rotation,
// exposure, the Canon arrays) written into one TIFF block of its own: directory 0, the Exif
// directory and a Canon makernote, in the file's byte order.
bool ReadCrwContainer(std::span<const std::uint8_t> file, MetadataSource& source);
// MRW: the TIFF block in the "\0TTW" part.
bool ReadMrwContainer(std::span<const std::uint8_t> file, const std::shared_ptr<const void>& owner,
                      MetadataSource& source);
// X3F: the header and the properties make, model and time, written into one TIFF block of its
// own (directory 0, the Exif directory and the header as a makernote that starts with "FOVb").
bool ReadX3fContainer(std::span<const std::uint8_t> file, MetadataSource& source);
// WebP: the "EXIF" chunk, with or without a leading "Exif\0\0".
bool ReadWebpContainer(std::span<const std::uint8_t> file, const std::shared_ptr<const void>& owner,
                       MetadataSource& source);
// HEIF, HEIC, AVIF: the "Exif" items that describe the primary item, in item order, copied (they
// may be split into extents). False also when the meta box lacks its primary item, item
// information or item locations.
bool ReadHeifContainer(std::span<const std::uint8_t> file, MetadataSource& source);
// At most `limit` bytes of a Brotli stream; a damaged or cut stream gives what came out before.
std::vector<std::uint8_t> BrotliInflate(std::span<const std::uint8_t> compressed, std::size_t limit);
// JPEG XL: the "Exif" boxes (a 32-bit offset to the TIFF header, then the block) and "xml " boxes,
// also inside Brotli-compressed ("brob") boxes, whose output is capped at 1032 times the file's
// size and at the XMP packet limit (and one byte more, so that a larger packet is cut with its note).
bool ReadJxlContainer(std::span<const std::uint8_t> file, const std::shared_ptr<const void>& owner,
                      MetadataSource& source);

// PSD and PSB (Photoshop File Formats, "Image Resource Blocks"): the ICC profile (resource 0x040F)
// into `icc`, the XMP packet (0x0424) into `xmpPackets` and the IPTC datasets (0x0404) as an APP13
// marker, each copied. False when the bytes are not PSD or PSB; a damaged resource section ends the
// walk with what was found before it.
bool ReadPsdContainer(std::span<const std::uint8_t> file, MetadataSource& source);
// GIF: the packet of the first XMP application extension ("XMP DataXMP"), copied into
// `xmpPackets` without the extension's trailer. False when the bytes are not GIF87a or GIF89a; a
// damaged block ends the walk.
bool ReadGifContainer(std::span<const std::uint8_t> file, MetadataSource& source);

// The data of the first image resource `id` of a PSD or PSB file; empty when the bytes are not
// PSD or PSB, hold no such resource or it lies past a damaged one. Points into `file`.
std::span<const std::uint8_t> PsdResource(std::span<const std::uint8_t> file, std::uint16_t id);

// IPTC datasets wrapped into the APP13 marker the IPTC reader takes ("Photoshop 3.0", one "8BIM"
// resource 0x0404), cut to what one marker holds. Empty when `datasets` is.
std::vector<std::uint8_t> IptcAsApp13Marker(std::span<const std::uint8_t> datasets);

// The Orientation (tag 274) of directory 0 of a TIFF block: 1 to 8, 0 when it has none or another.
int TiffOrientation(std::span<const std::uint8_t> tiff);

// Seconds since 1970 (UTC) as an EXIF date ("2005:04:23 17:54:36"); empty outside the calendar.
std::string ExifDateOfUnixTime(std::int64_t seconds);

// A CIFF heap (a CRW file, or the APP0 segment "HEAPJPGM" of a JPEG of the first Canon PowerShots)
// as a TIFF block with its header at the first byte: directory 0, the Exif directory and a Canon
// makernote. Empty when the bytes hold no heap or nothing worth listing.
std::vector<std::uint8_t> CiffAsTiffBlock(std::span<const std::uint8_t> ciff);

// The APPn markers and COM segments of a JPEG stream up to its first scan. False when the bytes
// do not start with a JPEG start-of-image marker.
bool ReadJpegSegments(std::span<const std::uint8_t> jpeg, MetadataSource& source);

}  // namespace kelmarin
