// The codec layer's entry points: type guessing, dispatch by image type code, and the kept input
// metadata of the file read last.

#include "image/Codec.h"

#include <cstring>

#include "image/Backends.h"

namespace kelmarin::codec {

namespace {

std::shared_ptr<const MetadataSource>& KeptMetadata() {
  static std::shared_ptr<const MetadataSource> kept = std::make_shared<const MetadataSource>();
  return kept;
}

void Keep(MetadataSource metadata) {
  KeptMetadata() = std::make_shared<const MetadataSource>(std::move(metadata));
}

bool StartsWith(const std::uint8_t* bytes, std::size_t size, std::size_t at, const char* text) {
  const std::size_t length = std::strlen(text);
  return size >= at + length && std::memcmp(bytes + at, text, length) == 0;
}

// TIFF-based camera formats that are not TIFF files to a TIFF reader.
bool IsRawSignature(const std::uint8_t* b, std::size_t n) {
  return StartsWith(b, n, 6, "HEAPCCDR") || StartsWith(b, n, 0, "FUJIFILMCCD-RAW") ||
         StartsWith(b, n, 0, "IIRO") || StartsWith(b, n, 0, "IIRS") || StartsWith(b, n, 0, "MMOR") ||
         (n >= 4 && std::memcmp(b, "IIU\0", 4) == 0) || (n >= 4 && std::memcmp(b, "\0MRM", 4) == 0) ||
         StartsWith(b, n, 0, "FOVb");
}

// A TGA header has no signature: its fields must hold values a TGA writer can produce.
bool LooksLikeTga(const std::uint8_t* b, std::size_t n, bool hasFooter) {
  if (hasFooter) return true;
  if (n < 18) return false;
  const int mapType = b[1], imageType = b[2], depth = b[16];
  const bool knownType = imageType == 1 || imageType == 2 || imageType == 3 || imageType == 9 ||
                         imageType == 10 || imageType == 11;
  const bool knownDepth = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
  const int width = b[12] | (b[13] << 8), height = b[14] | (b[15] << 8);
  return mapType <= 1 && knownType && knownDepth && width > 0 && height > 0 && (b[17] & 0xC0) == 0;
}

GuessedType GuessFromBytes(const std::uint8_t* b, std::size_t n, bool tgaFooter) {
  if (n >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return kGuessJpeg;
  if (n >= 8 && std::memcmp(b, "\x89PNG\r\n\x1a\n", 8) == 0) return kGuessPng;
  if (StartsWith(b, n, 0, "GIF87a") || StartsWith(b, n, 0, "GIF89a")) return kGuessGif;
  if (StartsWith(b, n, 0, "BM") && n >= 26) return kGuessBmp;
  if (StartsWith(b, n, 0, "8BPS")) return kGuessPsd;
  if (StartsWith(b, n, 0x800, "PCD_IPI")) return kGuessPcd;
  if (IsRawSignature(b, n)) return kGuessRaw;
  if (n >= 4 && (std::memcmp(b, "II*\0", 4) == 0 || std::memcmp(b, "MM\0*", 4) == 0)) return kGuessTiff;
  if (n >= 12 && std::memcmp(b, "\0\0\0\x0CjP  \r\n\x87\n", 12) == 0) return kGuessJpeg2000;
  if (n >= 4 && b[0] == 0xFF && b[1] == 0x4F && b[2] == 0xFF && b[3] == 0x51) return kGuessJpeg2000;
  if (n >= 44 && b[0] == 1 && b[1] == 0 && b[2] == 0 && b[3] == 0 && StartsWith(b, n, 40, " EMF"))
    return kGuessEmf;
  if (n >= 4 && b[0] == 0xD7 && b[1] == 0xCD && b[2] == 0xC6 && b[3] == 0x9A) return kGuessWmf;
  if (n >= 18 && (b[0] == 1 || b[0] == 2) && b[1] == 0 && b[2] == 9 && b[3] == 0) return kGuessWmf;
  if (n >= 128 && b[0] == 0x0A && b[1] <= 5 && b[2] == 1) return kGuessPcx;
  if (LooksLikeTga(b, n, tgaFooter)) return kGuessTga;
  return kGuessNone;
}

Code ReadGuessed(const std::string& path, QImage& pixels) {
  switch (GuessFileType(path)) {
    case kGuessBmp:
      return ReadPixels(path, 1, pixels);
    case kGuessGif:
      return ReadPixels(path, 3, pixels);
    case kGuessJpeg:
      return ReadPixels(path, 4, pixels);
    case kGuessPng:
      return ReadPixels(path, 8, pixels);
    case kGuessPcx:
      return ReadPixels(path, 7, pixels);
    case kGuessTiff: {
      // Camera formats built on TIFF (DNG, CR2, NEF, PEF …) are not readable as plain TIFF images.
      const Code code = ReadPixels(path, 12, pixels);
      return code == kCorrupt && ReadPixels(path, 10, pixels) == kOk ? kOk : code;
    }
    case kGuessWmf:
    case kGuessEmf:
      return ReadPixels(path, 2, pixels);
    case kGuessPsd:
      return ReadPixels(path, 9, pixels);
    case kGuessRaw:
      return ReadPixels(path, 10, pixels);
    case kGuessTga:
      return ReadPixels(path, 11, pixels);
    case kGuessPcd:
      return ReadPixels(path, 6, pixels);
    case kGuessJpeg2000:
    case kGuessNone:
      break;
  }
  return kUnsupported;
}

}  // namespace

GuessedType GuessFileType(const std::string& path) {
  FilePtr file = OpenForReading(path);
  if (file == nullptr) return kGuessNone;
  std::uint8_t head[4096];
  const std::size_t got = std::fread(head, 1, sizeof head, file.get());
  bool tgaFooter = false;
  std::uint8_t foot[18];
  if (std::fseek(file.get(), -18, SEEK_END) == 0 && std::fread(foot, 1, 18, file.get()) == 18) {
    tgaFooter = std::memcmp(foot, "TRUEVISION-XFILE.\0", 18) == 0;
  }
  return GuessFromBytes(head, got, tgaFooter);
}

std::int32_t MapGuessedType(std::int32_t guessed) {
  switch (guessed) {
    case 1:
      return 1;
    case 2:
      return 3;
    case 3:
      return 4;
    case 4:
      return 8;
    case 5:
      return 7;
    case 6:
      return 12;
    case 7:
    case 8:
      return 2;
    case 14:
      return 11;
    case 16:
      return 6;
    default:
      return 0;
  }
}

Code CheckOpen(const std::string& path) {
  return OpenForReading(path) != nullptr ? kOk : kCannotOpen;
}

Code ReadPixels(const std::string& path, std::int32_t type, QImage& pixels) {
  pixels = QImage();
  FilePtr file = OpenForReading(path);
  if (file == nullptr) return kCannotOpen;
  MetadataSource metadata;
  Code code = kUnsupported;
  switch (type) {
    case 0:
      return ReadGuessed(path, pixels);
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
    default:
      break;  // 5 (JPEG 2000), below 0 and above 12: no reader
  }
  if (code != kOk) {
    pixels = QImage();
    return code;
  }
  if (type == 4 || type == 8) Keep(std::move(metadata));
  return kOk;
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
    case 2:
    case 6: {
      // No header-only reader: the whole image is decoded and its size taken.
      QImage pixels;
      code = type == 2 ? DecodeMetafile(file.get(), pixels)
                       : DecodeMagick(file.get(), MagickFormat::kPcd, pixels);
      size = {pixels.width(), pixels.height()};
      break;
    }
    default:
      break;
  }
  if (code != kOk) return code;
  if (type == 4 || type == 8) Keep(std::move(metadata));
  width = size.width;
  height = size.height;
  return kOk;
}

std::shared_ptr<const MetadataSource> InputMetadata() {
  return KeptMetadata();
}

void ClearInputMetadata() {
  Keep(MetadataSource{});
}

}  // namespace kelmarin::codec
