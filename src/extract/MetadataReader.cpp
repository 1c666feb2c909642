#include "extract/MetadataReader.h"

#include <charconv>

#include "extract/ExifBlock.h"
#include "extract/ImageTypes.h"
#include "metadata/Definitions.h"

namespace kelmarin {

namespace {

constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::uint8_t kApp13 = 0xED;
constexpr std::uint16_t kTiffMagic = 42;  // TIFF 6.0, section 2
// Camera files that are TIFF in all but the magic number: Olympus ORF ("IIRO", "IIRS", "MMOR") and
// Panasonic RW2 ("IIU\0").
constexpr std::uint16_t kOrfMagic = 0x4F52;
constexpr std::uint16_t kOrfMagicOther = 0x5352;
constexpr std::uint16_t kRw2Magic = 0x55;
constexpr BufferPos kBlockHeaderPos = 1;  // a TIFF block starts with its header

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

void ReadJpegMarkers(ImageMetadata& image, const MetadataSource& source, const Definitions* definitions) {
  for (const JpegMarker& marker : source.markers) {
    if (marker.bytes.empty()) continue;
    if (marker.code == kApp1) {
      ReadExifBlock(image, AsBytes(marker.bytes), definitions);
    } else if (marker.code == kApp13) {
      ReadIptcBlock(image, AsBytes(marker.bytes));
    }
  }
}

// An empty comment adds nothing but still uses up its number.
void ReadJpegComments(ImageMetadata& image, const MetadataSource& source) {
  for (std::size_t i = 0; i < source.comments.size(); ++i) {
    const std::string& comment = source.comments[i];
    if (comment.empty()) continue;
    image.ImageCommentAdd(CommentKey(i + 1), std::string(CutAtNul(comment)));
  }
}

ByteOrder HeaderByteOrder(const ByteReader& reader, BufferPos header) {
  if (reader.MatchesNoCase(header, "II")) return ByteOrder::LittleEndian;
  if (reader.MatchesNoCase(header, "MM")) return ByteOrder::BigEndian;
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

// Walks one TIFF structure whose header is at position `header` of the block. Whole: directory 0
// and everything it links to, then the makernote. The CR3 parts: directory 0 as their section.
void ReadTiffStructure(ImageMetadata& image, std::span<const std::uint8_t> block, BufferPos header,
                       TiffBlockRole role, bool cameraVariants, const Definitions* definitions,
                       CameraNames& camera) {
  ExifBlockState state(block);
  state.header = header;
  state.reader.SetOrder(HeaderByteOrder(state.reader, header));
  if (!AcceptedMagic(state.reader.ReadU16(header + 2), cameraVariants)) return;  // XMP, other payloads
  const BufferPos directory0 = state.reader.ReadU32(header + 4) + header;

  if (role == TiffBlockRole::Whole || role == TiffBlockRole::Main) image.camera_id = 0;
  image.camera_feq = 0;
  state.make = camera.make;
  state.model = camera.model;
  // The budget is shared by all blocks of the image: once used up, further blocks add nothing.
  state.exhausted = image.ExifStoredBytes() >= kMaxExifBytesPerImage;
  if (state.reader.ReadU16(header + 2) == kRw2Magic) state.rawMain = kRw2Magic;
  switch (role) {
    case TiffBlockRole::Whole:
    case TiffBlockRole::Main:
    case TiffBlockRole::Exif:
      WalkDirectory(image, state, kSectionMain, directory0, header);
      break;
    case TiffBlockRole::Gps:
      WalkDirectory(image, state, kSectionGps, directory0, header);
      break;
    case TiffBlockRole::Makernote:
      state.makernote = directory0;
      break;
  }
  if (state.makernote != 0) ReadMakernote(image, state);
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
    ReadTiffStructure(image, block.bytes, kBlockHeaderPos, block.role, true, definitions, camera);
  }
}

void ReadExifBlock(ImageMetadata& image, std::span<const std::uint8_t> block,
                   const Definitions* definitions) {
  CameraNames camera;
  ReadTiffStructure(image, block, kTiffHeaderPos, TiffBlockRole::Whole, false, definitions, camera);
}

void ReadTiffBlock(ImageMetadata& image, std::span<const std::uint8_t> block,
                   const Definitions* definitions) {
  CameraNames camera;
  ReadTiffStructure(image, block, kBlockHeaderPos, TiffBlockRole::Whole, true, definitions, camera);
}

}  // namespace kelmarin
