#pragma once
// Versions of the libraries the program runs on, for the about window. No Qt here: the imaging
// libraries' C headers are kept away from the window code.

#include <cstdint>
#include <string>
#include <vector>

namespace kelmarin {

struct LibraryVersion {
  std::string component;  // the library's name as the about window lists it
  std::string version;    // empty when it cannot be told
};

// The imaging libraries in the order the about window lists them: those of the pixel decoders, then
// those of colour profiles, XMP and compressed boxes. Run-time versions where the library can tell
// them; libraries without such a call give the version of the headers built against.
std::vector<LibraryVersion> ImagingLibraryVersions();

// The version in the file name of the shared library the dynamic linker finds for soname (its real
// path after ".so."), e.g. "1.1.0" for libemf2svg.so.1 -> libemf2svg.so.1.1.0. Empty when no such
// library can be loaded or on systems without that naming.
std::string SharedLibraryFileVersion(const char* soname);

// lcms2's encoded version (2140) as "2.14"; empty for none.
std::string LcmsVersionText(int encoded);
// Brotli's encoded version (major << 24 | minor << 12 | patch) as "1.0.9".
std::string BrotliVersionText(std::uint32_t encoded);

// The word after the first blank of ImageMagick's version banner ("ImageMagick 6.9.11-60 Q16 ..."
// gives "6.9.11-60"); empty when there is none.
std::string MagickVersionFromBanner(const std::string& banner);

// The text after "Version " up to the end of its line in libtiff's banner; empty when there is none.
std::string TiffVersionFromBanner(const std::string& banner);

}  // namespace kelmarin
