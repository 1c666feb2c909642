#include "image/meta/MetadataOnly.h"

#include <algorithm>
#include <span>
#include <string_view>

#include "extract/Containers.h"
#include "extract/ImageTypes.h"
#include "image/meta/CodecBasics.h"
#include "image/meta/JpegReader.h"
#include "image/meta/JxlColour.h"
#include "image/meta/MappedFile.h"
#include "image/meta/PngReader.h"

namespace kelmarin::codec {

namespace {

const std::shared_ptr<const MetadataSource>& NoMetadata() {
  static const std::shared_ptr<const MetadataSource> empty = std::make_shared<const MetadataSource>();
  return empty;
}

bool IsContainerType(std::int32_t type) {
  return type == kTypeRaw || type == kTypeTiff || type == kTypeHeif || type == kTypeWebp || type == kTypeJxl;
}

// The type of content the guesser of the classic formats does not know (or knows only as "raw").
std::int32_t ContainerType(ContainerKind kind) {
  switch (kind) {
    case ContainerKind::Tiff:
    case ContainerKind::Cr3:
    case ContainerKind::Raf:
    case ContainerKind::Crw:
    case ContainerKind::Mrw:
    case ContainerKind::X3f:
      return kTypeRaw;
    case ContainerKind::Heif:
      return kTypeHeif;
    case ContainerKind::Webp:
      return kTypeWebp;
    case ContainerKind::Jxl:
      return kTypeJxl;
    case ContainerKind::None:
      break;
  }
  return kTypeUnknown;
}

bool IsBareJxlCodestream(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0x0A;
}

// The blocks read (marked as read by a container reader) and the size become the result.
void SetFound(MetadataOnlyRead& result, MetadataSource metadata, Size size) {
  metadata.container = true;
  result.width = size.width;
  result.height = size.height;
  result.source = std::make_shared<const MetadataSource>(std::move(metadata));
}

// Reads the blocks of a container file into `result`.
void ReadContainer(const std::shared_ptr<const MappedFile>& mapped, MetadataOnlyRead& result) {
  const std::span<const std::uint8_t> bytes = mapped->Bytes();
  const ContainerKind kind = DetectContainer(bytes);
  const std::shared_ptr<const void> owner = mapped;
  MetadataSource metadata;
  bool read = false;
  switch (result.type) {
    case kTypeTiff:
      read = ReadTiffContainer(bytes, owner, metadata);
      break;
    case kTypeRaw:
      // Some cameras write plain JPEG files under a RAW name: their markers are read as they are.
      read = ReadTiffContainer(bytes, owner, metadata) || ReadCr3Container(bytes, owner, metadata) ||
             ReadRafContainer(bytes, metadata) || ReadCrwContainer(bytes, metadata) ||
             ReadMrwContainer(bytes, owner, metadata) || ReadX3fContainer(bytes, metadata) ||
             ReadJpegSegments(bytes, metadata);
      break;
    case kTypeHeif:
      read = kind == ContainerKind::Heif && ReadHeifContainer(bytes, metadata);
      if (!read) result.error = kCorrupt;
      break;
    case kTypeWebp:
      read = ReadWebpContainer(bytes, owner, metadata);
      if (!read) result.error = kCorrupt;
      break;
    case kTypeJxl:
      read = ReadJxlContainer(bytes, owner, metadata) || IsBareJxlCodestream(bytes);
      if (!read) result.error = kCorrupt;
      // The profile is coded inside the codestream's header; a damaged header leaves the rest listed.
      if (read) (void)ReadJxlIcc(bytes, metadata.icc, metadata.pixelsInSrgb);
      break;
    default:
      break;
  }
  // A RAW or TIFF file of another content is left to the full image layer.
  if (!read && !result.error) result.otherFormat = true;
  if (read) SetFound(result, std::move(metadata), Size{});  // containers give no size here
}

// The metadata of a Photoshop file (ICC profile, XMP, IPTC) or a GIF (XMP); their pixels and size
// are the image layer's.
void ReadClassicContainer(const std::string& path, MetadataOnlyRead& result) {
  const std::shared_ptr<const MappedFile> mapped = MappedFile::Open(path);
  if (mapped == nullptr) return;
  MetadataSource metadata;
  const bool read = result.type == kTypePsd ? ReadPsdContainer(mapped->Bytes(), metadata)
                                            : ReadGifContainer(mapped->Bytes(), metadata);
  if (!read) return;
  metadata.container = true;
  result.source = std::make_shared<const MetadataSource>(std::move(metadata));
}

}  // namespace

bool NeedsFullImageLayer(std::int32_t type) {
  switch (type) {
    case kTypeBmp:
    case kTypeMetafile:
    case kTypeGif:
    case kTypePcd:
    case kTypePcx:
    case kTypePsd:
    case kTypeTga:
      return true;
    default:
      return false;
  }
}

MetadataOnlyRead ReadMetadataOnly(const std::string& path, std::int32_t type) {
  MetadataOnlyRead result;
  result.type = type;
  result.source = NoMetadata();
  const FilePtr file = OpenForReading(path);
  if (file == nullptr) {
    result.error = kCannotOpen;
    return result;
  }
  if (type == 0) {
    result.type = MapGuessedType(GuessFileType(file.get()));
    if (result.type == kTypeUnknown) {
      std::uint8_t head[16] = {};
      const std::size_t got = std::fread(head, 1, sizeof head, file.get());
      std::rewind(file.get());
      result.type = ContainerType(DetectContainer({head, got}));
    }
  }
  if (IsContainerType(result.type)) {
    const std::shared_ptr<const MappedFile> mapped = MappedFile::Open(path);
    if (mapped == nullptr) {
      result.error = kCannotOpen;
      return result;
    }
    ReadContainer(mapped, result);
    return result;
  }
  if (NeedsFullImageLayer(result.type)) {
    result.otherFormat = true;
    if (result.type == kTypePsd || result.type == kTypeGif) ReadClassicContainer(path, result);
    return result;
  }
  if (result.type != kTypeJpeg && result.type != kTypePng) {
    result.error = kUnsupported;
    return result;
  }
  MetadataSource metadata;
  Size size;
  const Code code = result.type == kTypeJpeg ? JpegDimensions(file.get(), size, metadata)
                                             : PngDimensions(file.get(), size, metadata);
  if (code != kOk) {
    result.error = code;
    return result;
  }
  SetFound(result, std::move(metadata), size);
  return result;
}

int OrientationOf(const MetadataSource& metadata) {
  static constexpr std::string_view kExifHeader("Exif\0\0", 6);
  for (const JpegMarker& marker : metadata.markers) {
    const std::span<const std::uint8_t> bytes(marker.bytes);
    if (marker.code != 0xE1 || bytes.size() < 4 + kExifHeader.size() ||
        !std::equal(kExifHeader.begin(), kExifHeader.end(), bytes.begin() + 4)) {
      continue;
    }
    if (const int orientation = TiffOrientation(bytes.subspan(4 + kExifHeader.size())); orientation != 0)
      return orientation;
  }
  for (const TiffBlock& block : metadata.tiffBlocks) {
    if (const int orientation = TiffOrientation(block.bytes); orientation != 0) return orientation;
  }
  return 0;
}

}  // namespace kelmarin::codec
