#include "extract/MetadataReader.h"

#include <charconv>

#include "extract/ByteCursor.h"
#include "extract/Containers.h"
#include "extract/ExifBlock.h"
#include "extract/ImageTypes.h"
#include "extract/JpegSegments.h"
#include "metadata/Definitions.h"
#include "metadata/Text.h"

namespace kelmarin {

namespace {

constexpr std::uint16_t kTiffMagic = 42;  // TIFF 6.0, section 2
// Camera files that are TIFF in all but the magic number: Olympus ORF ("IIRO", "IIRS", "MMOR") and
// Panasonic RW2 ("IIU\0").
constexpr std::uint16_t kOrfMagic = 0x4F52;
constexpr std::uint16_t kOrfMagicOther = 0x5352;
constexpr std::uint16_t kRw2Magic = 0x55;
constexpr std::int64_t kBlockTiffHeader = 0;  // a TIFF block starts with its header

std::span<const std::uint8_t> AsBytes(const std::vector<std::uint8_t>& bytes) {
  return bytes;
}

std::string CommentKey(std::size_t number) {
  char buffer[24] = {'P'};
  const auto result = std::to_chars(buffer + 1, buffer + sizeof buffer, number);
  return std::string(buffer, result.ptr);
}

void ReadPngTexts(ImageMetadata& image, const MetadataSource& source) {
  for (const PngText& text : source.texts) {
    if (text.text.empty()) continue;
    image.ImageCommentAdd(std::string(CutAtNul(text.keyword)), std::string(CutAtNul(text.text)));
  }
}

// The first Canon PowerShots wrote no EXIF into their JPEGs but a CIFF heap into an APP0 segment
// ("II", the header's length, "HEAPJPGM"): read as a CRW file's heap is, when no APP1 segment
// holds EXIF.
std::vector<std::uint8_t> CiffOfJpeg(const MetadataSource& source) {
  for (const JpegMarker& marker : source.markers) {
    if (marker.code == kJpegApp1 && marker.bytes.size() >= 10 &&
        std::string_view(reinterpret_cast<const char*>(marker.bytes.data()) + 4, 6) ==
            std::string_view("Exif\0\0", 6)) {
      return {};
    }
  }
  for (const JpegMarker& marker : source.markers) {
    if (marker.code != kJpegApp0 || marker.bytes.size() < 4 + 14) continue;
    const std::span<const std::uint8_t> payload = AsBytes(marker.bytes).subspan(4);
    if (std::string_view(reinterpret_cast<const char*>(payload.data()) + 6, 8) == "HEAPJPGM")
      return CiffAsTiffBlock(payload);
  }
  return {};
}

void ReadJpegMarkers(ImageMetadata& image, const MetadataSource& source, const Definitions* definitions) {
  for (const JpegMarker& marker : source.markers) {
    if (marker.bytes.empty()) continue;
    if (marker.code == kJpegApp1) {
      ReadExifBlock(image, AsBytes(marker.bytes), definitions);
    } else if (marker.code == kJpegApp13) {
      ReadIptcBlock(image, AsBytes(marker.bytes));
    }
  }
  if (const std::vector<std::uint8_t> ciff = CiffOfJpeg(source); !ciff.empty())
    ReadTiffBlock(image, ciff, definitions);
}

// An empty comment adds nothing but still uses up its number.
void ReadJpegComments(ImageMetadata& image, const MetadataSource& source) {
  for (std::size_t i = 0; i < source.comments.size(); ++i) {
    const std::string& comment = source.comments[i];
    if (comment.empty()) continue;
    image.ImageCommentAdd(CommentKey(i + 1), std::string(CutAtNul(comment)));
  }
}

std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The byte order a TIFF header at `header` names: "II" or "MM", letters of either case.
ByteOrder HeaderByteOrder(const ByteCursor& block, std::size_t header) {
  const std::string_view mark = AsText(block.PartAt(header, 2));
  if (EqualsNoCase(mark, "II")) return ByteOrder::LittleEndian;
  if (EqualsNoCase(mark, "MM")) return ByteOrder::BigEndian;
  return ByteOrder::None;
}

// Make and model met in the blocks of one image so far: a CR3 makernote part is read by the make of
// its main part.
struct CameraNames {
  std::string make;
  std::string model;
};

bool AcceptedMagic(std::uint16_t magic, bool cameraVariants) {
  if (magic == kTiffMagic) return true;
  return cameraVariants && (magic == kOrfMagic || magic == kOrfMagicOther || magic == kRw2Magic);
}

// Panasonic's RW2 keeps its makernote in the EXIF of the JPEG picture it embeds (directory 0, tag
// 0x002E): the APP1 "Exif" marker of that JPEG, or empty. Segments are walked from the start of
// image to the first that is not an APPn marker.
constexpr std::int32_t kTagRw2Jpeg = 0x002E;

// Places count from the block's first byte; `tiff` reads in the header's byte order.
std::span<const std::uint8_t> Rw2ExifMarker(const ByteCursor& tiff, std::size_t header,
                                            std::size_t directory0) {
  const std::size_t entries = tiff.U16At(directory0);
  for (std::size_t i = 0; i < entries && tiff.PartAt(directory0 + 2 + 12 * i, 12).size() == 12; ++i) {
    const std::size_t entry = directory0 + 2 + 12 * i;
    if (tiff.U16At(entry) != kTagRw2Jpeg || tiff.U16At(entry + 2) != kUndefined) continue;
    const std::size_t size = tiff.U32At(entry + 4);
    const std::size_t jpeg = tiff.U32At(entry + 8) + header;
    const std::span<const std::uint8_t> bytes = tiff.PartAt(jpeg, size);
    if (size < 4 || bytes.size() != size || !StartsJpeg(bytes)) return {};
    JpegSegmentWalker walker(bytes);
    for (JpegSegment segment; walker.Next(segment) && segment.IsApp();) {
      const std::size_t at = jpeg + static_cast<std::size_t>(segment.bytes.data() - bytes.data());
      if (segment.code == kJpegApp1 &&
          EqualsNoCase(AsText(tiff.PartAt(at + 4, 6)), std::string_view("Exif\0\0", 6)))
        return segment.bytes;
    }
    return {};
  }
  return {};
}

// The makernote of the RW2's embedded JPEG, as the makernote of the image: its items and maker.
void ReadRw2Makernote(ImageMetadata& image, const ByteCursor& tiff, std::size_t header,
                      std::size_t directory0, const Definitions* definitions) {
  const std::span<const std::uint8_t> marker = Rw2ExifMarker(tiff, header, directory0);
  if (marker.empty()) return;
  ImageMetadata embedded;
  ReadExifBlock(embedded, marker, definitions);
  if (embedded.camera_id == 0) return;
  image.camera_id = embedded.camera_id;
  image.countsFromZero = embedded.countsFromZero;
  for (std::int32_t i = 1; i <= embedded.ExifCount(kSectionMakernote); ++i) {
    const ZetExif* item = embedded.ExifPos(kSectionMakernote, i);
    if (ZetExif* copy = image.ExifAdd(kSectionMakernote, item->tag, item->typ, item->inhalt)) {
      copy->directory = item->directory;
    }
  }
}

// Walks one TIFF structure whose header is at index `header` of the block. Whole: directory 0 and everything
// it links to, then the makernote. The CR3 parts: directory 0 as their section.
void ReadTiffStructure(ImageMetadata& image, std::span<const std::uint8_t> block, std::int64_t header,
                       TiffBlockRole role, bool cameraVariants, const Definitions* definitions,
                       CameraNames& camera) {
  const auto start = static_cast<std::size_t>(header);
  const ByteOrder order = HeaderByteOrder(ByteCursor(block), start);
  const ByteCursor tiff(block, order == ByteOrder::BigEndian);
  const std::uint16_t magic = tiff.U16At(start + 2);
  if (!AcceptedMagic(magic, cameraVariants)) return;  // XMP, other payloads
  const std::size_t directory0 = tiff.U32At(start + 4) + start;
  ExifBlockState state(block, order);
  state.header = header;

  if (role == TiffBlockRole::Whole || role == TiffBlockRole::Main) image.camera_id = 0;
  image.camera_feq = 0;
  state.make = camera.make;
  state.model = camera.model;
  // The budget is shared by all blocks of the image: once used up, further blocks add nothing.
  state.exhausted = image.ExifStoredBytes() >= kMaxExifBytesPerImage;
  if (magic == kRw2Magic) state.rawMain = kRw2Magic;
  switch (role) {
    case TiffBlockRole::Whole:
    case TiffBlockRole::Main:
    case TiffBlockRole::Exif:
      WalkDirectory(image, state, kSectionMain, static_cast<std::int64_t>(directory0), header);
      break;
    case TiffBlockRole::Gps:
      WalkDirectory(image, state, kSectionGps, static_cast<std::int64_t>(directory0), header);
      break;
    case TiffBlockRole::Makernote:
      state.makernote = static_cast<std::int64_t>(directory0);
      break;
  }
  if (state.makernote) {
    ReadMakernote(image, state);
  } else if (state.rawMain != 0 && role == TiffBlockRole::Whole) {
    ReadRw2Makernote(image, tiff, start, directory0, definitions);
  }
  camera.make = state.make;
  camera.model = state.model;
  image.camera_feq = definitions ? definitions->FocalEquivFactor(state.make, state.model) : 0.0;
}

}  // namespace

void ReadImageMetadata(ImageMetadata& image, std::int32_t imagetype, const MetadataSource& source,
                       const Definitions* definitions) {
  if (imagetype == kTypePng) {
    ReadPngTexts(image, source);
  } else if (imagetype == kTypeJpeg || source.container) {
    ReadJpegMarkers(image, source, definitions);
    ReadJpegComments(image, source);
  }
  CameraNames camera;
  for (const TiffBlock& block : source.tiffBlocks) {
    ReadTiffStructure(image, block.bytes, kBlockTiffHeader, block.role, true, definitions, camera);
  }
}

void ReadExifBlock(ImageMetadata& image, std::span<const std::uint8_t> block,
                   const Definitions* definitions) {
  CameraNames camera;
  ReadTiffStructure(image, block, kApp1TiffHeader, TiffBlockRole::Whole, false, definitions, camera);
}

void ReadTiffBlock(ImageMetadata& image, std::span<const std::uint8_t> block,
                   const Definitions* definitions) {
  CameraNames camera;
  ReadTiffStructure(image, block, kBlockTiffHeader, TiffBlockRole::Whole, true, definitions, camera);
}

}  // namespace kelmarin
