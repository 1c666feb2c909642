#pragma once
// A libpng reader over an open file, shared by the metadata-only path and the pixel decoder of the
// full image layer: signature, header and the chunks before the image data, the text chunks (tEXt,
// zTXt, iTXt) as keyword/text pairs.
//
// libpng reports errors by longjmp to png_jmpbuf(png()); every function that calls libpng sets that
// jump point first and creates no C++ objects with destructors after it.

#include <png.h>

#include <cstdio>
#include <vector>

#include "extract/MetadataSource.h"
#include "image/meta/CodecBasics.h"

namespace kelmarin::codec {

// Reads from a list of byte ranges of the file, as if they were one stream.
struct PngStream {
  std::FILE* file = nullptr;
  struct Range {
    long offset;
    std::size_t length;
  };
  std::vector<Range> ranges;       // empty: the file as it is
  std::size_t range = 0;           // current range
  std::size_t used = 0;            // bytes of it already read
  std::vector<std::uint8_t> tail;  // bytes served after the ranges
  std::size_t tailUsed = 0;
  // Chunk lengths are checked as libpng reads them: a chunk that claims more bytes than the stream
  // has left ends the read before libpng allocates room for it.
  std::uint64_t total = 0;         // length of the stream (set by PngReader::ReadInfo)
  std::uint64_t position = 0;      // bytes served so far
  std::uint64_t nextChunk = 8;     // where the next chunk's length field starts
  std::uint64_t imageData = 0;     // lengths of the image data chunks (IDAT) met so far
  std::uint64_t maxImageData = 0;  // more image data than this is an error; 0: no limit yet
};

// Owns libpng's read and info structures.
class PngReader {
 public:
  explicit PngReader(PngStream& input) : stream(input) {}
  ~PngReader();
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  // Signature, header and the chunks before the image data. False when that is not PNG.
  bool ReadInfo();
  // After ReadInfo, before any transformation: whether the header's image could be inflated from a
  // stream of this length (deflate's ratio bounds it), and from then on, that the image data is no
  // longer than deflate can make the header's image (libpng would inflate all of it, a gigabyte in
  // a hostile file). A file that breaks either rule is damaged.
  bool ImageDataFits();
  // The text chunks, the eXIf chunk and the iCCP profile read so far, replacing the contents of `metadata`.
  void CopyTexts(MetadataSource& metadata) const;

  png_uint_32 width() const { return png_get_image_width(read, info); }
  png_uint_32 height() const { return png_get_image_height(read, info); }
  png_structp png() const { return read; }
  png_infop png_info() const { return info; }

 private:
  PngStream& stream;
  png_structp read = nullptr;
  png_infop info = nullptr;
};

// Width and height from the header, and the text chunks before and after the image data, which is
// skipped by the chunk lengths, not inflated. kCorrupt for anything that is not a PNG with a nonzero
// size and image data; `metadata` is then untouched.
Code PngDimensions(std::FILE* file, Size& size, MetadataSource& metadata);

}  // namespace kelmarin::codec
