// Type guessing from a file's signature bytes.

#include <algorithm>
#include <cstring>

#include "image/meta/CodecBasics.h"

namespace kelmarin::codec {

namespace {

bool StartsWith(const std::uint8_t* bytes, std::size_t size, std::size_t at, const char* text) {
  const std::size_t length = std::strlen(text);
  return size >= at + length && std::memcmp(bytes + at, text, length) == 0;
}

// TIFF-based camera formats that are not TIFF files to a TIFF reader.
bool IsRawSignature(const std::uint8_t* b, std::size_t n) {
  return StartsWith(b, n, 6, "HEAPCCDR") || StartsWith(b, n, 0, "FUJIFILMCCD-RAW") ||
         StartsWith(b, n, 0, "IIRO") || StartsWith(b, n, 0, "IIRS") || StartsWith(b, n, 0, "MMOR") ||
         (n >= 4 && std::memcmp(b, "IIU\0", 4) == 0) || (n >= 4 && std::memcmp(b, "\0MRM", 4) == 0) ||
         StartsWith(b, n, 0, "FOVb") || StartsWith(b, n, 4, "ftypcrx ");
}

// The brand of an ISO base media file ("ftyp" box first): the major brand and up to 16 compatible
// ones. `brands` lists four-letter brands one after another.
bool HasBrand(const std::uint8_t* b, std::size_t n, const char* brands) {
  if (n < 16 || std::memcmp(b + 4, "ftyp", 4) != 0) return false;
  const std::size_t box =
      std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
  const std::size_t end = std::min({n, box < 16 ? std::size_t{16} : box, std::size_t{16 + 4 * 17}});
  for (std::size_t at = 8; at + 4 <= end; at += 4) {
    if (at == 12) continue;  // the minor version
    for (const char* brand = brands; *brand != '\0'; brand += 4) {
      if (std::memcmp(b + at, brand, 4) == 0) return true;
    }
  }
  return false;
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
  if (HasBrand(b, n, "heicheixheimheishevchevxmif1msf1avifavis")) return kGuessHeif;
  if (StartsWith(b, n, 0, "RIFF") && StartsWith(b, n, 8, "WEBP")) return kGuessWebp;
  if ((n >= 2 && b[0] == 0xFF && b[1] == 0x0A) ||
      (n >= 12 && std::memcmp(b, "\0\0\0\x0CJXL \r\n\x87\n", 12) == 0))
    return kGuessJxl;
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

}  // namespace

GuessedType GuessFileType(std::FILE* file) {
  std::uint8_t head[4096];
  const std::size_t got = std::fread(head, 1, sizeof head, file);
  bool tgaFooter = false;
  std::uint8_t foot[18];
  if (std::fseek(file, -18, SEEK_END) == 0 && std::fread(foot, 1, 18, file) == 18) {
    tgaFooter = std::memcmp(foot, "TRUEVISION-XFILE.\0", 18) == 0;
  }
  std::rewind(file);
  return GuessFromBytes(head, got, tgaFooter);
}

GuessedType GuessFileType(const std::string& path) {
  const FilePtr file = OpenForReading(path);
  return file != nullptr ? GuessFileType(file.get()) : kGuessNone;
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
    case 20:
      return 13;
    case 21:
      return 14;
    case 22:
      return 15;
    default:
      return 0;
  }
}

}  // namespace kelmarin::codec
