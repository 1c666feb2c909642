// The codec layer's entry points: dispatch by image type code, and the kept input metadata of the
// file read last.

#include "image/Codec.h"

#include "extract/ImageTypes.h"
#include "image/Backends.h"
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

// JPEG and PNG bring their markers and texts from the decoder; the EXIF blocks of RAW, TIFF, HEIF,
// WebP and JPEG XL files come from the metadata-only container readers, as in the lister.
void KeepMetadata(const std::string& path, std::int32_t type, MetadataSource metadata) {
  switch (type) {
    case kTypeJpeg:
    case kTypePng:
      Keep(std::move(metadata));
      return;
    case kTypeRaw:
    case kTypeTiff:
    case kTypeHeif:
    case kTypeWebp:
    case kTypeJxl: {
      const MetadataOnlyRead read = ReadMetadataOnly(path, type);
      if (!read.error && !read.otherFormat) KeptMetadata() = read.source;
      return;
    }
    case kTypePsd:
    case kTypeGif:
      KeptMetadata() = ReadMetadataOnly(path, type).source;  // ICC profile, XMP, IPTC
      return;
    default:
      return;
  }
}

// The type code whose decoder reads content of the guessed kind; 0 for none.
std::int32_t DecoderType(GuessedType guessed) {
  switch (guessed) {
    case kGuessPsd:
      return 9;
    case kGuessRaw:
      return kTypeRaw;
    case kGuessWmf:
    case kGuessEmf:
      return 2;
    case kGuessJpeg2000:
    case kGuessNone:
      return 0;
    default:
      return MapGuessedType(guessed);
  }
}

Code Decode(const std::string& path, std::int32_t type, RgbImage& pixels, DecodedFacts* facts);

Code ReadGuessed(const std::string& path, RgbImage& pixels, DecodedFacts* facts) {
  const GuessedType guessed = GuessFileType(path);
  const std::int32_t type = DecoderType(guessed);
  if (type == 0) return kUnsupported;
  const Code code = Decode(path, type, pixels, facts);
  // Camera formats built on TIFF (DNG, CR2, NEF, PEF …) are not readable as plain TIFF images.
  if (guessed == kGuessTiff && code == kCorrupt && Decode(path, kTypeRaw, pixels, facts) == kOk) return kOk;
  return code;
}

// The decoder of `type` on the file, without a second try; type 0 goes by the content.
Code Decode(const std::string& path, std::int32_t type, RgbImage& pixels, DecodedFacts* facts) {
  pixels = RgbImage();
  if (type == 0) return ReadGuessed(path, pixels, facts);
  FilePtr file = OpenForReading(path);
  if (file == nullptr) return kCannotOpen;
  MetadataSource metadata;
  Code code = kUnsupported;
  switch (type) {
    case 1:
      code = DecodeMagick(file.get(), MagickFormat::kBmp, pixels);
      break;
    case 2:
      code = DecodeMetafile(file.get(), pixels);
      break;
    case 3:
      code = DecodeGif(file.get(), pixels);
      break;
    case 4:
      code = DecodeJpeg(file.get(), pixels, metadata);
      break;
    case 6:
      code = DecodeMagick(file.get(), MagickFormat::kPcd, pixels);
      break;
    case 7:
      code = DecodeMagick(file.get(), MagickFormat::kPcx, pixels);
      break;
    case 8:
      code = DecodePng(file.get(), pixels, metadata);
      break;
    case 9:
      code = DecodeMagick(file.get(), MagickFormat::kPsd, pixels);
      break;
    case 10:
      code = DecodeRaw(path, pixels);
      break;
    case 11:
      code = DecodeMagick(file.get(), MagickFormat::kTga, pixels);
      break;
    case 12:
      code = DecodeTiff(file.get(), pixels);
      break;
    case kTypeHeif:
      code = DecodeHeif(file.get(), pixels);
      break;
    case kTypeWebp:
      code = DecodeWebp(file.get(), pixels);
      break;
    case kTypeJxl:
      code = DecodeJxl(file.get(), pixels);
      break;
    default:
      break;  // 5 (JPEG 2000), below 0 and above 15: no reader
  }
  if (code == kOk && DecodeCancelled()) code = kCancelled;
  if (code != kOk) {
    pixels = RgbImage();
    return code;
  }
  KeepMetadata(path, type, std::move(metadata));
  const Size stored{pixels.width(), pixels.height()};
  // The other decoders turn their pictures as their containers say. Memory too short for a turned
  // copy leaves the picture as stored rather than losing it.
  if (type == kTypeJpeg || type == kTypePng || type == kTypeTiff) {
    (void)Orient(OrientationOf(*KeptMetadata()), pixels);
  }
  if (facts != nullptr) *facts = {type, stored};
  return kOk;
}

}  // namespace

Code ReadPixels(const std::string& path, std::int32_t type, RgbImage& pixels, DecodedFacts* facts) {
  const Code code = Decode(path, type, pixels, facts);
  if (code != kCorrupt || type == 0) return code;
  // Refused as damaged: the file may be of another kind than its name says (a PNG named .jpg).
  const std::int32_t shown = DecoderType(GuessFileType(path));
  if (shown == 0 || shown == type || (type == kTypeRaw && shown == kTypeTiff)) return code;
  return Decode(path, 0, pixels, facts) == kOk ? kOk : code;
}

Code ReadDimensions(const std::string& path, std::int32_t type, std::int32_t& width, std::int32_t& height) {
  FilePtr file = OpenForReading(path);
  if (file == nullptr) return kCannotOpen;
  MetadataSource metadata;
  Size size;
  Code code = kUnsupported;
  switch (type) {
    case 1:
      code = MagickDimensions(file.get(), MagickFormat::kBmp, size);
      break;
    case 3:
      code = GifDimensions(file.get(), size);
      break;
    case 4:
      code = JpegDimensions(file.get(), size, metadata);
      break;
    case 7:
      code = MagickDimensions(file.get(), MagickFormat::kPcx, size);
      break;
    case 8:
      code = PngDimensions(file.get(), size, metadata);
      break;
    case 9:
      code = MagickDimensions(file.get(), MagickFormat::kPsd, size);
      break;
    case 10:
      code = RawDimensions(path, size);
      break;
    case 11:
      code = MagickDimensions(file.get(), MagickFormat::kTga, size);
      break;
    case 12:
      code = TiffDimensions(file.get(), size);
      break;
    case kTypeHeif:
      code = HeifDimensions(file.get(), size);
      break;
    case kTypeWebp:
      code = WebpDimensions(file.get(), size);
      break;
    case kTypeJxl:
      code = JxlDimensions(file.get(), size);
      break;
    case 2:
    case 6: {
      // No header-only reader: the whole image is decoded and its size taken.
      RgbImage pixels;
      code = type == 2 ? DecodeMetafile(file.get(), pixels)
                       : DecodeMagick(file.get(), MagickFormat::kPcd, pixels);
      size = {pixels.width(), pixels.height()};
      break;
    }
    default:
      break;
  }
  if (code != kOk) return code;
  KeepMetadata(path, type, std::move(metadata));
  width = size.width;
  height = size.height;
  return kOk;
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
