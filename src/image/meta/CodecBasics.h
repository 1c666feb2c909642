#pragma once
// The parts of the codec layer that need no toolkit: its error codes, type guessing from a file's
// first bytes, and opening files for reading. Shared by the metadata-only path (kelmarin_image_meta)
// and the full image layer (kelmarin_image, whose Codec.h includes this header).

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace kelmarin::codec {

// Error codes of the codec layer. The numbers shown for them are in image/meta/ImageErrors.h.
enum Code : std::int32_t {
  kOk = 0,
  kCannotOpen = 1,  // missing, unreadable, or not a regular file (a folder, a FIFO, a device)
  kUnsupported =
      2,         // a type code without a reader (JPEG 2000, below 0, above 15), or content of no known format
  kCorrupt = 3,  // the data is not readable as this format: damaged, truncated, empty or another format
  kNoMemory = 4,      // the pixels exceed kMaxPixels or the memory for them cannot be had
  kNoLibrary = 5,     // the library for this format cannot be loaded (libemf2svg) or not used here
  kDrawFailed = 6,    // the picture box could not draw the pixels
  kResizeFailed = 7,  // scaling produced no pixels
  kCancelled = 8,     // the decode was called off (WatchCancelFlag) before it ended
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
  // Today's formats, which the imaging library of old did not know.
  kGuessHeif = 20,  // ISO base media with a HEIF or AVIF brand
  kGuessWebp = 21,
  kGuessJxl = 22,
};

// What a file's first bytes say it is. Reads at most the first 4 KiB plus the last 18 bytes (TGA 2.0
// footer). kGuessNone for an unreadable or unknown file.
GuessedType GuessFileType(const std::string& path);
// The same for a file already open; it is left positioned at its start.
GuessedType GuessFileType(std::FILE* file);

// 1 → 1, 2 → 3, 3 → 4, 4 → 8, 5 → 7, 6 → 12, 7 → 2, 8 → 2, 14 → 11, 16 → 6, 20 → 13, 21 → 14,
// 22 → 15; everything else → 0.
std::int32_t MapGuessedType(std::int32_t guessed);

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for binary reading; null for anything else (missing, folder, FIFO, device,
// no permission). The path is UTF-8 (the platform's bytes on Linux).
FilePtr OpenForReading(const std::string& path);

// kOk when the path names a regular file that can be opened for reading, else kCannotOpen.
Code CheckOpen(const std::string& path);

struct Size {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

}  // namespace kelmarin::codec
