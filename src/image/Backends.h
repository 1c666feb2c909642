#pragma once
// The format backends of the codec layer (internal to src/image). Each works on an open file
// positioned at its start, returns a Code and never throws; decoded pixels are an RgbImage (8-bit RGB).

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "extract/MetadataSource.h"
#include "image/Codec.h"
#include "image/RgbImage.h"
#include "image/meta/CodecBasics.h"
#include "image/meta/Formats.h"

namespace kelmarin::codec {

// Size, FilePtr and OpenForReading are the metadata-only path's (image/meta/CodecBasics.h), and so
// are JpegDimensions (image/meta/JpegReader.h) and PngDimensions (image/meta/PngReader.h).

// The whole file from its current position, at most `limit` bytes (kNoMemory when larger).
Code ReadAll(std::FILE* file, std::size_t limit, std::vector<std::uint8_t>& bytes);

// The length of an open file, 0 when it cannot be told; the file's position is kept.
std::uint64_t FileLength(std::FILE* file);

// Whether width × height pixels can come from `fileBytes` bytes of a format that packs at most
// `pixelsPerByte` pixels into one byte at its best compression. A header that claims more is damaged
// or hostile: the backends refuse it (kCorrupt) before any pixel memory is taken.
bool Plausible(std::int64_t width, std::int64_t height, std::uint64_t fileBytes, std::uint64_t pixelsPerByte);

// The RGBA rows (`stride` bytes apart) of an image of `image`'s size laid on white into its RGB rows.
void CompositeOnWhite(const std::uint8_t* rgba, std::size_t stride, RgbImage& image);

// A checked RgbImage of that size, its pixels not yet written: kNoMemory when width × height
// exceeds kMaxPixels or cannot be allocated, kCorrupt for a zero or negative side.
Code AllocateRgb(std::int64_t width, std::int64_t height, RgbImage& image);

// EXIF orientation 2 to 8: the stored rows mirrored, turned or both to stand upright (5 to 8 swap
// width and height) into new pixel memory. Any other value leaves the picture as it is.
Code Orient(int orientation, RgbImage& pixels);

Code DecodeJpeg(std::FILE* file, RgbImage& pixels, MetadataSource& metadata);
Code DecodePng(std::FILE* file, RgbImage& pixels, MetadataSource& metadata);

Code DecodeGif(std::FILE* file, RgbImage& pixels);
Code GifDimensions(std::FILE* file, Size& size);

// The EXIF orientation of a whole file in memory (1 to 8), as the container reader of the format
// its content shows finds it; 0 when the content is of no format with a container reader or its
// metadata gives none.
int ContainerOrientation(std::span<const std::uint8_t> file);

// The codec modules (image/CodecModules.h), loaded on first use: kNoLibrary when the module cannot
// be loaded. A module that reads an open file takes the format's variant (MagickFormat, 0 elsewhere);
// one that opens files itself takes the path.
Code DecodeByModule(const CodecModule& module, std::FILE* file, int variant, RgbImage& pixels);
Code DimensionsByModule(const CodecModule& module, std::FILE* file, int variant, Size& size);
Code DecodeByModule(const CodecModule& module, const std::string& path, RgbImage& pixels);
Code DimensionsByModule(const CodecModule& module, const std::string& path, Size& size);

// EMF or WMF, told apart by their headers.
Code DecodeMetafile(std::FILE* file, RgbImage& pixels);

}  // namespace kelmarin::codec
