#pragma once
// The codec modules (internal to src/image). The backends over the heavier imaging libraries
// (one per library, named by the rows of image/meta/Formats.h) live in shared objects of their own, loaded on
// the first file of their kind: a process that decodes only formats of built-in decoders never maps, relocates and
// initialises those libraries and their dozens of dependencies.
//
// A module is built with the codec layer from the same sources; its functions take the layer's own
// C++ types. It calls back into the layer through CodecHost (pixel memory, file input, the JPEG
// decoder), so that the pool of kept pixel memory stays one; whether a decode was called off is
// looked at by the layer when the module's backend returns.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "extract/MetadataSource.h"
#include "image/RgbImage.h"
#include "image/meta/CodecBasics.h"
#include "image/meta/Formats.h"

namespace kelmarin::codec {

// What the codec layer lends a module.
struct CodecHost {
  Code (*allocateRgb)(std::int64_t width, std::int64_t height, RgbImage& image);
  void (*compositeOnWhite)(const std::uint8_t* rgba, std::size_t stride, RgbImage& image);
  Code (*readAll)(std::FILE* file, std::size_t limit, std::vector<std::uint8_t>& bytes);
  std::uint64_t (*fileLength)(std::FILE* file);
  bool (*plausible)(std::int64_t width, std::int64_t height, std::uint64_t fileBytes,
                    std::uint64_t pixelsPerByte);
  Code (*decodeJpeg)(std::FILE* file, RgbImage& pixels, MetadataSource& metadata);
  Code (*jpegDimensions)(std::FILE* file, Size& size, MetadataSource& metadata);
  FilePtr (*openForReading)(const std::string& path);
  Code (*orient)(int orientation, RgbImage& pixels);
  int (*containerOrientation)(std::span<const std::uint8_t> file);
  // True when the module may make a GUI application of its own for drawing (a program without one).
  bool (*ownApplicationAllowed)();
};

// What a module gives. A backend that reads an open file fills the file functions (`variant` is
// the Magick format, 0 elsewhere); LibRaw, which opens files by name, the path functions.
struct CodecModuleFunctions {
  bool (*init)() = nullptr;  // null: nothing to set up
  Code (*decodeFile)(std::FILE* file, int variant, RgbImage& pixels) = nullptr;
  Code (*dimensionsFile)(std::FILE* file, int variant, Size& size) = nullptr;
  Code (*decodePath)(const std::string& path, RgbImage& pixels) = nullptr;
  Code (*dimensionsPath)(const std::string& path, Size& size) = nullptr;
  // Gives back what the module made for itself (a GUI application); null when it makes nothing.
  void (*finish)() = nullptr;
  // For a format whose header only its library can read: the ICC profile the header of the file
  // in `file` carries into `icc` (left empty for none, a damaged file or one of more than 16 MiB),
  // `transformed` set when the decoder gives other colours than the profile's. Needs no host.
  void (*readProfile)(std::span<const std::uint8_t> file, std::vector<std::uint8_t>& icc,
                      bool& transformed) = nullptr;
};

// The one exported function of a module: its functions, or null when `interface` is not the text
// the module was built with (a module of another build is refused).
extern "C" {
using CodecModuleEntry = const CodecModuleFunctions* (*)(const CodecHost* host, const char* interface);
}
inline constexpr const char* kCodecModuleEntrySymbol = "kelmarin_codec_module";

// The first module file of that kind that loads and belongs to this build, attached to `host`
// (null for a caller that only reads profiles: a module keeps the host it had); null when there is
// none. Looked for beside the program or shared object that holds the codec layer (the build tree,
// a copied folder, the installed image module of kelmarin-exif), in the installed module folder
// seen from the installed programs, then in the build tree's module folder (tests, benchmarks).
const CodecModuleFunctions* LoadCodecModule(const CodecModule& kind, const CodecHost* host);

// The module's readProfile, the module loaded once per process without a host: `icc` cleared and
// `transformed` false first, and left so when the module cannot be loaded or reads no profiles.
void ReadProfileByModule(const CodecModule& kind, std::span<const std::uint8_t> file,
                         std::vector<std::uint8_t>& icc, bool& transformed);

}  // namespace kelmarin::codec
