#pragma once
// The codec layer: one backend per file format over the imaging libraries (libjpeg-turbo, libpng,
// giflib, libtiff, LibRaw, Magick++, libemf2svg), shaped as the image object needs it: open a file,
// guess its type, read its dimensions, decode it to 24-bit RGB, and keep the JPEG markers and
// comments or PNG texts of the file read last.
//
// Nothing here throws, exits or prints: every library failure (libjpeg's and libpng's longjmp,
// Magick exceptions, LibRaw and libtiff error codes) becomes one of the codes below. Decoded pixels
// are a QImage of Format_RGB888 owned by the caller.

#include <QImage>
#include <cstdint>
#include <memory>
#include <string>

#include "extract/MetadataSource.h"

namespace kelmarin::codec {

// Error codes of the codec layer. The image object reports them as code + 1000.
enum Code : std::int32_t {
  kOk = 0,
  kCannotOpen = 1,  // missing, unreadable, or not a regular file (a folder, a FIFO, a device)
  kUnsupported =
      2,         // a type code without a reader (JPEG 2000, below 0, above 12), or content of no known format
  kCorrupt = 3,  // the data is not readable as this format: damaged, truncated, empty or another format
  kNoMemory = 4,      // the pixels exceed kMaxPixels or the memory for them cannot be had
  kNoLibrary = 5,     // the library for this format cannot be loaded (libemf2svg) or not used here
  kDrawFailed = 6,    // the picture box could not draw the pixels
  kResizeFailed = 7,  // scaling produced no pixels
};

// Largest decoded image accepted: 2^28 pixels (768 MiB of RGB). Larger headers are rejected before
// any pixel memory is taken.
inline constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

// The type codes the guesser reports, as the imaging library numbers them; MapGuessedType turns them
// into image type codes. PSD, RAW and JPEG 2000 have codes of their own that map to no image type.
enum GuessedType : std::int32_t {
  kGuessNone = 0,
  kGuessBmp = 1,
  kGuessGif = 2,
  kGuessJpeg = 3,
  kGuessPng = 4,
  kGuessPcx = 5,
  kGuessTiff = 6,
  kGuessWmf = 7,
  kGuessEmf = 8,
  kGuessPsd = 9,
  kGuessJpeg2000 = 10,
  kGuessRaw = 11,
  kGuessTga = 14,
  kGuessPcd = 16,
};

// What a file's first bytes say it is. Reads at most the first 4 KiB plus the last 18 bytes (TGA 2.0
// footer). kGuessNone for an unreadable or unknown file.
GuessedType GuessFileType(const std::string& path);

// 1 → 1, 2 → 3, 3 → 4, 4 → 8, 5 → 7, 6 → 12, 7 → 2, 8 → 2, 14 → 11, 16 → 6; everything else → 0.
std::int32_t MapGuessedType(std::int32_t guessed);

// kOk when the path names a regular file that can be opened for reading, else kCannotOpen.
Code CheckOpen(const std::string& path);

// Decodes the first image of the file as image type `type` (0: the content decides). On success
// `pixels` is a Format_RGB888 image and kOk is returned; otherwise `pixels` is null. Types 4 and 8
// (and type 0 content that is JPEG or PNG) replace the kept input metadata on success.
Code ReadPixels(const std::string& path, std::int32_t type, QImage& pixels);

// Width and height without decoding pixels where the format allows: JPEG reads its header up to the
// first scan and keeps its markers and comments; PNG reads its header and text chunks (texts after
// the image data are found by skipping the data) and keeps the texts. Metafiles (2) and Photo CD (6)
// are decoded whole. Types 0, 5 and above 12 give kUnsupported.
Code ReadDimensions(const std::string& path, std::int32_t type, std::int32_t& width, std::int32_t& height);

// The markers, comments and texts of the JPEG or PNG file read last (never null; empty after
// ClearInputMetadata). Shared and immutable: a later read replaces the kept pointer, not its contents.
std::shared_ptr<const MetadataSource> InputMetadata();
void ClearInputMetadata();

// Decoded pixels are kept in memory of their own: when the last copy of an image is gone its buffer
// is kept (one at most) for the next image of about the same size, which saves the cost of fresh
// pages. This gives that buffer back to the system now.
void ReleaseKeptPixelMemory();

// Each backend's one-time set-up; true when the backend can work. Safe to call more than once.
bool InitMagick();  // Magick::InitializeMagick, resource limits, the needed coders present
bool InitRaw();     // LibRaw can create a processor
bool InitEmf();     // libemf2svg.so.1 loads and has emf2svg
std::string MagickComponentName();
std::string RawComponentName();
std::string EmfComponentName();

}  // namespace kelmarin::codec
