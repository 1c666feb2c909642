#pragma once
// Reading folders for the browser: the image files of a folder by pattern, and its subfolders.
// Nothing here opens a file: entries are only listed and their status asked for.

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "browser/core/PatternList.h"
#include "browser/core/Platform.h"

namespace kelmarin {

// One listed image file; the order of the fields is the order of the values the file list keeps
// with each item.
struct FileEntry {
  std::string name;       // file name up to, not including, its last dot
  std::string extension;  // the characters after the last dot, as spelled on disk
  std::int32_t typeCode = 0;
  LocalDateTime modified;  // last write, local time, to the second
  std::int64_t size = 0;
  std::int32_t width = 0;  // filled by the image load
  std::int32_t height = 0;
  std::int32_t loadTime = 0;
};

enum class ListOrder {
  kByName,    // by name without regard to case
  kAsListed,  // the folder's own order: for a caller that sorts the files itself
};

// The files of folder whose names match a pattern (the first matching pattern in list order gives
// the type code), in the given order. Only regular files and links to regular files are listed;
// folders, devices, FIFOs, sockets and dangling links are skipped. A folder that cannot be read
// gives an empty list. Never throws except std::bad_alloc.
std::vector<FileEntry> ListImageFiles(const std::string& folder, const std::vector<FilePattern>& patterns,
                                      ListOrder order = ListOrder::kByName);

// Names of the subfolders of folder (links to folders count), in the order the folder lists them,
// the first `most` of them; hidden folders included. Empty when the folder cannot be read.
std::vector<std::string> ListSubfolders(const std::string& folder,
                                        std::size_t most = std::numeric_limits<std::size_t>::max());

// True at the first subfolder found; false when there is none or the folder cannot be read.
bool HasSubfolders(const std::string& folder);

}  // namespace kelmarin
