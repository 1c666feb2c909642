#include "image/meta/MetadataOnly.h"

#include "image/meta/CodecBasics.h"
#include "image/meta/ImageTypes.h"
#include "image/meta/JpegReader.h"
#include "image/meta/PngReader.h"

namespace kelmarin::codec {

namespace {

const std::shared_ptr<const MetadataSource>& NoMetadata() {
  static const std::shared_ptr<const MetadataSource> empty = std::make_shared<const MetadataSource>();
  return empty;
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
    case kTypeRaw:
    case kTypeTga:
    case kTypeTiff:
    case kTypeHeif:
    case kTypeWebp:
    case kTypeJxl:
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
    result.error = ErrorNumber(kCannotOpen);
    return result;
  }
  if (type == 0) result.type = MapGuessedType(GuessFileType(file.get()));
  if (NeedsFullImageLayer(result.type)) {
    result.otherFormat = true;
    return result;
  }
  if (result.type != kTypeJpeg && result.type != kTypePng) {
    result.error = ErrorNumber(kUnsupported);
    return result;
  }
  MetadataSource metadata;
  Size size;
  const Code code = result.type == kTypeJpeg ? JpegDimensions(file.get(), size, metadata)
                                             : PngDimensions(file.get(), size, metadata);
  if (code != kOk) {
    result.error = ErrorNumber(code);
    return result;
  }
  result.width = size.width;
  result.height = size.height;
  result.source = std::make_shared<const MetadataSource>(std::move(metadata));
  return result;
}

}  // namespace kelmarin::codec
