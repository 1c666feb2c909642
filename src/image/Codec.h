#pragma once
// The codec layer: one backend per file format over the imaging libraries (libjpeg-turbo, libpng,
// giflib, libtiff, LibRaw, Magick++, libemf2svg, libheif, libwebp, libjxl), shaped as the image object needs
// it: open a file, guess its type, read its dimensions, decode it to 24-bit RGB, and keep the JPEG markers
// and comments or PNG texts of the file read last.
//
// Nothing here throws, exits or prints: every library failure (libjpeg's and libpng's longjmp,
// Magick exceptions, LibRaw and libtiff error codes) becomes one of the codes below. Decoded pixels
// are a QImage of Format_RGB888 owned by the caller.

#include <QImage>
#include <cstdint>
#include <memory>
#include <string>

#include "extract/MetadataSource.h"
#include "image/meta/CodecBasics.h"

namespace kelmarin::codec {

// The error codes (Code, kMaxPixels), type guessing (GuessedType, GuessFileType, MapGuessedType) and
// CheckOpen are declared in image/meta/CodecBasics.h, shared with the metadata-only path.

// Decodes the first image of the file as image type `type` (0: the content decides). On success
// `pixels` is a Format_RGB888 image and kOk is returned; otherwise `pixels` is null. Types 4 and 8
// (and type 0 content that is JPEG or PNG) replace the kept input metadata on success.
Code ReadPixels(const std::string& path, std::int32_t type, QImage& pixels);

// Width and height without decoding pixels where the format allows: JPEG reads its header up to the
// first scan and keeps its markers and comments; PNG reads its header and text chunks (texts after
// the image data are found by skipping the data) and keeps the texts. Metafiles (2) and Photo CD (6)
// are decoded whole. Types 0, 5 and above 15 give kUnsupported.
Code ReadDimensions(const std::string& path, std::int32_t type, std::int32_t& width, std::int32_t& height);

// The markers, comments and texts of the JPEG or PNG file read last (never null; empty after
// ClearInputMetadata). Shared and immutable: a later read replaces the kept pointer, not its contents.
std::shared_ptr<const MetadataSource> InputMetadata();
void ClearInputMetadata();

// Decoded pixels are kept in memory of their own: when the last copy of an image is gone its buffer
// is kept (one at most) for the next image of about the same size, which saves the cost of fresh
// pages. This gives that buffer back to the system now.
void ReleaseKeptPixelMemory();

// Each backend's one-time set-up; true when the backend can work. Safe to call more than once.
bool InitMagick();  // Magick::InitializeMagick, resource limits, the needed coders present
bool InitRaw();     // LibRaw can create a processor
bool InitEmf();     // libemf2svg.so.1 loads and has emf2svg
bool InitHeif();    // libheif has decoders for HEVC (HEIC) and AV1 (AVIF)
std::string MagickComponentName();
std::string RawComponentName();
std::string EmfComponentName();
std::string HeifComponentName();

}  // namespace kelmarin::codec
