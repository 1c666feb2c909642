#pragma once
// The format backends of the codec layer (internal to src/image). Each works on an open file
// positioned at its start, returns a Code and never throws; decoded pixels are Format_RGB888.

#include <QImage>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "extract/MetadataSource.h"
#include "image/Codec.h"
#include "image/meta/CodecBasics.h"

namespace kelmarin::codec {

// Size, FilePtr and OpenForReading are the metadata-only path's (image/meta/CodecBasics.h), and so
// are JpegDimensions (image/meta/JpegReader.h) and PngDimensions (image/meta/PngReader.h).

// The whole file from its current position, at most `limit` bytes (kNoMemory when larger).
Code ReadAll(std::FILE* file, std::size_t limit, std::vector<std::uint8_t>& bytes);

// A zero-sized, checked Format_RGB888 image: kNoMemory when width × height exceeds kMaxPixels or
// cannot be allocated, kCorrupt for a zero or negative side.
Code AllocateRgb(std::int64_t width, std::int64_t height, QImage& image);

Code DecodeJpeg(std::FILE* file, QImage& pixels, MetadataSource& metadata);
Code DecodePng(std::FILE* file, QImage& pixels, MetadataSource& metadata);

Code DecodeGif(std::FILE* file, QImage& pixels);
Code GifDimensions(std::FILE* file, Size& size);

Code DecodeTiff(std::FILE* file, QImage& pixels);
Code TiffDimensions(std::FILE* file, Size& size);

// LibRaw opens the file itself by name.
Code DecodeRaw(const std::string& path, QImage& pixels);
Code RawDimensions(const std::string& path, Size& size);

enum class MagickFormat { kBmp, kPcx, kPcd, kPsd, kTga, kWmf };
Code DecodeMagick(std::FILE* file, MagickFormat format, QImage& pixels);
Code MagickDimensions(std::FILE* file, MagickFormat format, Size& size);

// EMF through libemf2svg, drawn by Qt Svg on white.
Code DecodeEmf(std::FILE* file, QImage& pixels);

// Type 2: EMF or WMF, told apart by their headers.
Code DecodeMetafile(std::FILE* file, QImage& pixels);

}  // namespace kelmarin::codec
