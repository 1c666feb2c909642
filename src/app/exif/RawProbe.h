#pragma once
// Camera RAW files of no container the metadata-only path knows carry no
// metadata rows; the listing only asks whether LibRaw reads their sizes, as the image object's
// GetImageDims does. Loading the whole image module for that costs many times the listing itself,
// so LibRaw alone is loaded for it, at run time, on the first such file.

#include <cstdint>
#include <optional>
#include <string>

namespace kelmarin::lister {

// 0 when LibRaw reads the file's sizes (both above 0), else the error number GetImageDims gives
// (image/meta/ImageErrors.h): cannot open, damaged or not RAW, out of memory. Empty when LibRaw
// itself cannot be loaded (the image module then decides). Safe to call from several threads at
// once; never throws.
std::optional<std::int32_t> ProbeRaw(const std::string& path);

}  // namespace kelmarin::lister
