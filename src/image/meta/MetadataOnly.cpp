#include "image/meta/MetadataOnly.h"

#include <span>
#include <string_view>

#include "extract/ByteCursor.h"
#include "extract/Containers.h"
#include "image/meta/Formats.h"
#include "image/meta/MappedFile.h"

namespace kelmarin::codec {

namespace {

const std::shared_ptr<const MetadataSource>& NoMetadata() {
  static const std::shared_ptr<const MetadataSource> empty = std::make_shared<const MetadataSource>();
  return empty;
}

// The blocks read (marked as read by a container reader) and the size become the result.
void SetFound(MetadataOnlyRead& result, MetadataSource metadata, Size size) {
  metadata.container = true;
  result.width = size.width;
  result.height = size.height;
  result.source = std::make_shared<const MetadataSource>(std::move(metadata));
}

// Reads the blocks of a container file into `result`.
void ReadContainer(const Format& format, const std::shared_ptr<const MappedFile>& mapped,
                   MetadataOnlyRead& result) {
  MetadataSource metadata;
  const bool read = format.readContainer(mapped->Bytes(), mapped, metadata);
  if (read) {
    SetFound(result, std::move(metadata), Size{});  // containers give no size here
  } else if (format.metadataPath == MetadataPath::kContainer) {
    result.error = kCorrupt;
  } else {
    result.otherFormat = true;  // a RAW or TIFF file of another content
  }
}

// The blocks the full image layer's formats hold beside their pixels (a Photoshop file's ICC
// profile, XMP and IPTC, a GIF's XMP); their pixels and size are the image layer's.
void ReadBesideImageLayer(const Format& format, const std::string& path, MetadataOnlyRead& result) {
  result.otherFormat = true;
  if (format.readContainer == nullptr) return;
  const std::shared_ptr<const MappedFile> mapped = MappedFile::Open(path);
  if (mapped == nullptr) return;
  MetadataSource metadata;
  if (!format.readContainer(mapped->Bytes(), mapped, metadata)) return;
  metadata.container = true;
  result.source = std::make_shared<const MetadataSource>(std::move(metadata));
}

}  // namespace

bool NeedsFullImageLayer(std::int32_t type) {
  const Format* format = FormatOf(type);
  return format != nullptr && format->metadataPath == MetadataPath::kImageLayer;
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
  if (type == kTypeUnknown) {
    const Format* guessed = GuessFormat(file.get());
    if (guessed != nullptr && (guessed->guessNamesType || guessed->readByContent))
      result.type = guessed->typeCode;
  }
  const Format* format = FormatOf(result.type);
  switch (format != nullptr ? format->metadataPath : MetadataPath::kNone) {
    case MetadataPath::kNone:
      result.error = kUnsupported;
      return result;
    case MetadataPath::kImageLayer:
      ReadBesideImageLayer(*format, path, result);
      return result;
    case MetadataPath::kContainer:
    case MetadataPath::kContainerOrImageLayer: {
      const std::shared_ptr<const MappedFile> mapped = MappedFile::Open(path);
      if (mapped == nullptr) {
        result.error = kCannotOpen;
        return result;
      }
      ReadContainer(*format, mapped, result);
      return result;
    }
    case MetadataPath::kHeader:
      break;
  }
  MetadataSource metadata;
  Size size;
  if (const Code code = format->readHeader(file.get(), size, metadata); code != kOk) {
    result.error = code;
    return result;
  }
  SetFound(result, std::move(metadata), size);
  return result;
}

int OrientationOf(const MetadataSource& metadata) {
  static constexpr std::string_view kExifHeader("Exif\0\0", 6);
  for (const JpegMarker& marker : metadata.markers) {
    ByteCursor app1(marker.bytes);
    app1.Skip(4);  // the marker and its length
    if (marker.code != 0xE1 || app1.RanOut() || !app1.Match(kExifHeader)) continue;
    if (const int orientation = TiffOrientation(app1.Take(app1.Remaining())); orientation != 0)
      return orientation;
  }
  for (const TiffBlock& block : metadata.tiffBlocks) {
    if (const int orientation = TiffOrientation(block.bytes); orientation != 0) return orientation;
  }
  return 0;
}

}  // namespace kelmarin::codec
