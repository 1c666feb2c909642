#pragma once
// The ICC profile a JPEG XL file carries in its codestream's header. That profile is entropy coded,
// so libjxl reads it; the library is loaded with the first JPEG XL file whose profile is asked for
// (kelmarin-exif and the metadata path otherwise never map it), and only its decoder's header
// functions are used: no pixel is decoded.

#include <cstdint>
#include <span>
#include <vector>

namespace kelmarin::codec {

enum class JxlColourRead : std::uint8_t {
  Profile,    // `icc` holds the profile the file carries
  Described,  // the colour space is given by the codestream's own description (no profile)
  Failed,     // damaged, not JPEG XL, or libjxl cannot be loaded; `icc` empty
};

// Reads the header of the JPEG XL file (codestream or container) in `file`. A profile of more than
// 16 MiB is refused as damaged. Never throws except std::bad_alloc; safe from several threads.
// `xyb` is set when the picture is coded in XYB: its decoder then gives other colours than the
// profile's (the codec module asks for sRGB).
JxlColourRead ReadJxlIcc(std::span<const std::uint8_t> file, std::vector<std::uint8_t>& icc, bool& xyb);

}  // namespace kelmarin::codec
