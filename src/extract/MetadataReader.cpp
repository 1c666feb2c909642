#include "extract/MetadataReader.h"

#include <charconv>

#include "extract/ExifBlock.h"
#include "metadata/Definitions.h"

namespace kelmarin {

namespace {

constexpr std::int32_t kTypeJpeg = 4;
constexpr std::int32_t kTypePng = 8;
constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::uint8_t kApp13 = 0xED;
constexpr std::uint16_t kTiffMagic = 42;  // TIFF 6.0, section 2

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

ByteOrder HeaderByteOrder(const ByteReader& reader) {
  if (reader.MatchesNoCase(kTiffHeaderPos, "II")) return ByteOrder::LittleEndian;
  if (reader.MatchesNoCase(kTiffHeaderPos, "MM")) return ByteOrder::BigEndian;
  return ByteOrder::None;
}

}  // namespace

void ReadImageMetadata(ImageMetadata& image, std::int32_t imagetype, const MetadataSource& source,
                       const Definitions* definitions) {
  if (imagetype == kTypePng) {
    ReadPngTexts(image, source);
  } else if (imagetype == kTypeJpeg) {
    ReadJpegMarkers(image, source, definitions);
    ReadJpegComments(image, source);
  }
}

void ReadExifBlock(ImageMetadata& image, std::span<const std::uint8_t> block,
                   const Definitions* definitions) {
  ExifBlockState state(block);
  state.reader.SetOrder(HeaderByteOrder(state.reader));
  if (state.reader.ReadU16(kTiffHeaderPos + 2) != kTiffMagic) return;  // XMP and other APP1 payloads
  const BufferPos directory0 = state.reader.ReadU32(kTiffHeaderPos + 4) + kTiffHeaderPos;

  image.camera_id = 0;
  image.camera_feq = 0;
  // The budget is shared by all blocks of the image: once used up, further blocks add nothing.
  state.exhausted = image.ExifStoredBytes() >= kMaxExifBytesPerImage;
  WalkDirectory(image, state, kSectionMain, directory0, kTiffHeaderPos);
  if (state.makernote != 0) ReadMakernote(image, state);
  image.camera_feq = definitions ? definitions->FocalEquivFactor(state.make, state.model) : 0.0;
}

}  // namespace kelmarin
