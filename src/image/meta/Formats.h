#pragma once
// The format registry: one constant row per image format, holding all that the program knows of it
// (type code, box of the file list and extensions, content signature, metadata reader, pixel
// backend, codec module). The file list, the type guess, the metadata-only read and the codec layer
// read these rows; adding a format is one row plus its readers. No toolkit: the lister links it.

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "extract/ImageTypes.h"
#include "extract/MetadataSource.h"
#include "image/meta/CodecBasics.h"

namespace kelmarin {

// The first bytes of a file (up to 4 KiB) and whether its last 18 bytes are the TGA 2.0 footer.
struct FileHead {
  std::span<const std::uint8_t> bytes;
  bool tgaFooter = false;
};

// A codec module: a shared object over one heavy imaging library (see image/CodecModules.h), loaded
// on the first file that needs it.
struct CodecModule {
  std::string_view file;       // without ".so"
  std::string_view component;  // its name in the start-up check; empty: not checked at start-up
  std::uint8_t slot;           // its place in CodecModules()
};

// Magick's coders, the variant the Magick module takes (in the order of its coder table).
enum class MagickFormat { kBmp, kPcx, kPcd, kPsd, kTga, kWmf };

// How the metadata-only read takes a format's metadata.
enum class MetadataPath : std::uint8_t {
  kNone,       // not at all: kUnsupported
  kHeader,     // its header reader gives the size and the blocks (readHeader)
  kContainer,  // its container reader (readContainer); content it does not know is kCorrupt
  // Its container reader; content it does not know is left to the full image layer.
  kContainerOrImageLayer,
  // Only the full image layer reads the file; a container reader, if any, adds blocks beside it.
  kImageLayer,
};

// Where a format's pixels come from: a decoder of the codec layer itself, or a codec module.
enum class PixelBackend : std::uint8_t { kNone, kJpeg, kPng, kGif, kMetafile, kModule };

using HeaderReader = codec::Code (*)(std::FILE* file, codec::Size& size, MetadataSource& metadata);
// Adds the container's blocks to `metadata`; false (metadata unchanged) when the bytes are not
// that container. `owner` keeps the bytes alive.
using ContainerReader = bool (*)(std::span<const std::uint8_t> file, const std::shared_ptr<const void>& owner,
                                 MetadataSource& metadata);

struct Format {
  std::int32_t typeCode;
  // The box of the file list: caption, extensions (upper case, comma-separated), grid place.
  std::string_view caption;
  std::string_view extensions;
  int row;     // 1..4
  int column;  // 1..4
  // The content signature; a shape check (no magic bytes) is tried after every magic one.
  bool (*signature)(const FileHead& head);
  bool shapeOnly;
  // Whether content of this format gives its type code to a file opened without one.
  bool guessNamesType;
  // Whether the metadata-only path reads content of this format as this type when the content
  // names no type (camera RAW files under a name of no format).
  bool readByContent;
  MetadataPath metadataPath;
  HeaderReader readHeader;
  ContainerReader readContainer;
  PixelBackend backend;
  const CodecModule* module;  // for kModule
  int variant;                // the module's variant (MagickFormat), 0 elsewhere
  bool byPath;                // the module opens the file by its name
  bool sizeFromPixels;        // no header-only reader: the size is the decoded picture's
  bool orientByExif;          // the decoder does not turn the picture: its EXIF orientation does
  // Content of this format that its decoder refuses as damaged is tried as this type (0: none).
  std::int32_t retryAs;
};

inline constexpr std::size_t kFormatCount = 15;

// In the order of the file list's boxes (kept in the settings by their place): the classic twelve,
// then today's formats.
extern const std::array<Format, kFormatCount> kImageFormats;

// The codec modules in the order of the start-up check.
inline constexpr std::size_t kCodecModuleCount = 7;
std::span<const CodecModule* const> CodecModules();
// The two a built-in decoder passes files on to (metafiles).
extern const CodecModule kMagickModule;
extern const CodecModule kEmfModule;

// The row of a type code; null for 0 and codes of no format.
const Format* FormatOf(std::int32_t typeCode);

// The extension of a file name (no folder part): the text after its last dot, empty when there is none.
std::string_view FileExtension(std::string_view fileName);

// True when the extension is one of the format's, compared whole and without regard to case.
bool HasExtension(const Format& format, std::string_view extension);

// The type code of a file name or path by its file name's extension, compared whole and without
// regard to case; 0 when the name has no extension of a format.
std::int32_t TypeCodeForFileName(std::string_view fileName);

// The format whose signature the head matches; null for none.
const Format* GuessFormat(const FileHead& head);
// The same for a file's first 4 KiB and last 18 bytes; the file is left at its start. Null for an
// unreadable or unknown file.
const Format* GuessFormat(std::FILE* file);
const Format* GuessFormat(const std::string& path);

// The type code a file opened without one takes from its content: 0 when the content names none
// (unknown, and PSD, camera RAW and JPEG 2000 content, as the imaging library of old had it).
std::int32_t GuessTypeCode(std::FILE* file);
std::int32_t GuessTypeCode(const std::string& path);

}  // namespace kelmarin
