#pragma once
// The parts of the codec layer that need no toolkit: its error codes and opening files for reading
// (type guessing is the format registry's, image/meta/Formats.h). Shared by the metadata-only path
// (kelmarin_image_meta) and the full image layer (kelmarin_image, whose Codec.h includes this header).

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace kelmarin::codec {

// Error codes of the codec layer. The numbers shown for them are in image/meta/ImageErrors.h.
enum Code : std::int32_t {
  kOk = 0,
  kCannotOpen = 1,    // missing, unreadable, or not a regular file (a folder, a FIFO, a device)
  kUnsupported = 2,   // a type code without a reader, or content of no known format
  kCorrupt = 3,       // the data is not readable as this format: damaged, truncated, empty or another format
  kNoMemory = 4,      // the pixels exceed kMaxPixels or the memory for them cannot be had
  kNoLibrary = 5,     // the library for this format cannot be loaded (libemf2svg) or not used here
  kDrawFailed = 6,    // the picture box could not draw the pixels
  kResizeFailed = 7,  // scaling produced no pixels
  kCancelled = 8,     // the decode was called off (WatchCancelFlag) before it ended
};

// Largest decoded image accepted: 2^28 pixels (768 MiB of RGB). Larger headers are rejected before
// any pixel memory is taken.
inline constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for binary reading; null for anything else (missing, folder, FIFO, device,
// no permission). The path is UTF-8 (the platform's bytes on Linux).
FilePtr OpenForReading(const std::string& path);

// The descriptor of a regular file opened for reading as OpenForReading opens it, checked again once
// open, and its size; -1 for anything else. The caller closes it.
int OpenRegularFile(const std::string& path, std::int64_t& size);

// kOk when the path names a regular file that can be opened for reading, else kCannotOpen.
Code CheckOpen(const std::string& path);

struct Size {
  std::int32_t width = 0;
  std::int32_t height = 0;
};

}  // namespace kelmarin::codec
