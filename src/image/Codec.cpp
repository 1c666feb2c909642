// The codec layer's entry points: dispatch by image type code, and the kept input metadata of the
// file read last.

#include "image/Codec.h"

#include <algorithm>

#include "image/Backends.h"
#include "image/meta/Formats.h"
#include "image/meta/JpegReader.h"
#include "image/meta/MetadataOnly.h"
#include "image/meta/PngReader.h"

namespace kelmarin::codec {

namespace {

// Per thread: a decode on a worker thread must not hand its markers to a load on another.
std::shared_ptr<const MetadataSource>& KeptMetadata() {
  thread_local std::shared_ptr<const MetadataSource> kept = std::make_shared<const MetadataSource>();
  return kept;
}

thread_local const std::atomic<bool>* cancelFlag = nullptr;
std::atomic<void (*)()> cancelCheckHook = nullptr;

void Keep(MetadataSource metadata) {
  KeptMetadata() = std::make_shared<const MetadataSource>(std::move(metadata));
}

// JPEG and PNG bring their markers and texts from the decoder; the blocks of the container formats
// come from the metadata-only container readers, as in the lister, and so do those the full image
// layer's formats hold beside their pixels.
void KeepMetadata(const std::string& path, const Format& format, MetadataSource metadata) {
  if (format.metadataPath == MetadataPath::kHeader) {
    Keep(std::move(metadata));
  } else if (format.metadataPath == MetadataPath::kImageLayer) {
    if (format.readContainer != nullptr) KeptMetadata() = ReadMetadataOnly(path, format.typeCode).source;
  } else if (format.readContainer != nullptr) {
    const MetadataOnlyRead read = ReadMetadataOnly(path, format.typeCode);
    if (!read.error && !read.otherFormat) KeptMetadata() = read.source;
  }
}

// The format whose decoder reads content of the guessed kind; null for none.
const Format* DecoderFormat(const Format* guessed) {
  return guessed != nullptr && guessed->backend != PixelBackend::kNone ? guessed : nullptr;
}

Code DecodeWith(const Format& format, const std::string& path, std::FILE* file, RgbImage& pixels,
                MetadataSource& metadata) {
  switch (format.backend) {
    case PixelBackend::kJpeg:
      return DecodeJpeg(file, pixels, metadata);
    case PixelBackend::kPng:
      return DecodePng(file, pixels, metadata);
    case PixelBackend::kGif:
      return DecodeGif(file, pixels);
    case PixelBackend::kMetafile:
      return DecodeMetafile(file, pixels);
    case PixelBackend::kModule:
      return format.byPath ? DecodeByModule(*format.module, path, pixels)
                           : DecodeByModule(*format.module, file, format.variant, pixels);
    case PixelBackend::kNone:
      break;
  }
  return kUnsupported;
}

Code DimensionsWith(const Format& format, const std::string& path, std::FILE* file, Size& size,
                    MetadataSource& metadata) {
  if (format.sizeFromPixels) {
    // No header-only reader: the whole image is decoded and its size taken.
    RgbImage pixels;
    const Code code = DecodeWith(format, path, file, pixels, metadata);
    size = {pixels.width(), pixels.height()};
    return code;
  }
  switch (format.backend) {
    case PixelBackend::kJpeg:
      return JpegDimensions(file, size, metadata);
    case PixelBackend::kPng:
      return PngDimensions(file, size, metadata);
    case PixelBackend::kGif:
      return GifDimensions(file, size);
    case PixelBackend::kModule:
      return format.byPath ? DimensionsByModule(*format.module, path, size)
                           : DimensionsByModule(*format.module, file, format.variant, size);
    case PixelBackend::kMetafile:
    case PixelBackend::kNone:
      break;
  }
  return kUnsupported;
}

Code Decode(const std::string& path, std::int32_t type, RgbImage& pixels, DecodedFacts* facts);

Code ReadGuessed(const std::string& path, RgbImage& pixels, DecodedFacts* facts) {
  const Format* format = DecoderFormat(GuessFormat(path));
  if (format == nullptr) return kUnsupported;
  const Code code = Decode(path, format->typeCode, pixels, facts);
  // Camera formats built on TIFF (DNG, CR2, NEF, PEF …) are not readable as plain TIFF images.
  if (format->retryAs != kTypeUnknown && code == kCorrupt &&
      Decode(path, format->retryAs, pixels, facts) == kOk)
    return kOk;
  return code;
}

// The decoder of `type` on the file, without a second try; type 0 goes by the content.
Code Decode(const std::string& path, std::int32_t type, RgbImage& pixels, DecodedFacts* facts) {
  pixels = RgbImage();
  if (type == kTypeUnknown) return ReadGuessed(path, pixels, facts);
  FilePtr file = OpenForReading(path);
  if (file == nullptr) return kCannotOpen;
  const Format* format = FormatOf(type);
  if (format == nullptr) return kUnsupported;
  MetadataSource metadata;
  Code code = DecodeWith(*format, path, file.get(), pixels, metadata);
  if (code == kOk && DecodeCancelled()) code = kCancelled;
  if (code != kOk) {
    pixels = RgbImage();
    return code;
  }
  KeepMetadata(path, *format, std::move(metadata));
  const Size stored{pixels.width(), pixels.height()};
  // The other decoders turn their pictures as their containers say. Memory too short for a turned
  // copy leaves the picture as stored rather than losing it.
  if (format->orientByExif) (void)Orient(OrientationOf(*KeptMetadata()), pixels);
  if (facts != nullptr) *facts = {type, stored};
  return kOk;
}

}  // namespace

Code ReadPixels(const std::string& path, std::int32_t type, RgbImage& pixels, DecodedFacts* facts) {
  const Code code = Decode(path, type, pixels, facts);
  if (code != kCorrupt || type == kTypeUnknown) return code;
  // Refused as damaged: the file may be of another kind than its name says (a PNG named .jpg).
  const Format* shown = DecoderFormat(GuessFormat(path));
  if (shown == nullptr || shown->typeCode == type || shown->retryAs == type) return code;
  return Decode(path, kTypeUnknown, pixels, facts) == kOk ? kOk : code;
}

Code ReadDimensions(const std::string& path, std::int32_t type, std::int32_t& width, std::int32_t& height) {
  FilePtr file = OpenForReading(path);
  if (file == nullptr) return kCannotOpen;
  const Format* format = FormatOf(type);
  if (format == nullptr) return kUnsupported;
  MetadataSource metadata;
  Size size;
  if (const Code code = DimensionsWith(*format, path, file.get(), size, metadata); code != kOk) return code;
  KeepMetadata(path, *format, std::move(metadata));
  width = size.width;
  height = size.height;
  return kOk;
}

int ContainerOrientation(std::span<const std::uint8_t> file) {
  constexpr std::size_t kHeadBytes = 4096;  // what the type guess reads of a file
  const Format* format = GuessFormat(FileHead{file.first(std::min(file.size(), kHeadBytes))});
  if (format == nullptr || format->readContainer == nullptr) return 0;
  MetadataSource metadata;
  format->readContainer(file, nullptr, metadata);
  return OrientationOf(metadata);
}

void WatchCancelFlag(const std::atomic<bool>* flag) {
  cancelFlag = flag;
}

void SetCancelCheckHook(void (*hook)()) {
  cancelCheckHook = hook;
}

bool DecodeCancelled() {
  if (void (*hook)() = cancelCheckHook.load(); hook != nullptr) hook();
  return cancelFlag != nullptr && cancelFlag->load(std::memory_order_relaxed);
}

std::shared_ptr<const MetadataSource> InputMetadata() {
  return KeptMetadata();
}

void ClearInputMetadata() {
  Keep(MetadataSource{});
}

}  // namespace kelmarin::codec
