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
#include <string>
#include <vector>

#include "extract/MetadataSource.h"
#include "image/RgbImage.h"
#include "image/meta/CodecBasics.h"

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
  // True when the module may make a GUI application of its own for drawing (a program without one).
  bool (*ownApplicationAllowed)();
};

// What a module gives. A backend that reads an open file fills the file functions (`variant` is
// the Magick format, 0 elsewhere); LibRaw, which opens files by name, the path functions.
struct CodecModuleFunctions {
  bool (*init)() = nullptr;
  Code (*decodeFile)(std::FILE* file, int variant, RgbImage& pixels) = nullptr;
  Code (*dimensionsFile)(std::FILE* file, int variant, Size& size) = nullptr;
  Code (*decodePath)(const std::string& path, RgbImage& pixels) = nullptr;
  Code (*dimensionsPath)(const std::string& path, Size& size) = nullptr;
  // Gives back what the module made for itself (a GUI application); null when it makes nothing.
  void (*finish)() = nullptr;
};

// The one exported function of a module: its functions, or null when `interface` is not the text
// the module was built with (a module of another build is refused).
extern "C" {
using CodecModuleEntry = const CodecModuleFunctions* (*)(const CodecHost* host, const char* interface);
}
inline constexpr const char* kCodecModuleEntrySymbol = "kelmarin_codec_module";

}  // namespace kelmarin::codec
