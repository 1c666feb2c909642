#pragma once
// A libjpeg-turbo decompressor over an open file (classic API), shared by the metadata-only path and
// the pixel decoder of the full image layer. It reads the file in large blocks, keeps the APP0 to
// APP15 and COM segments of the header in file order, and turns every libjpeg failure into a Code.
//
// libjpeg reports fatal errors through error_exit, which must not return; here it longjmps to jump().
// Every function that calls into libjpeg sets that jump point first (`if (setjmp(d.jump())) ...`)
// and holds no C++ objects with destructors between setjmp and the libjpeg calls.

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include <memory>

#include "extract/MetadataSource.h"
#include "image/meta/CodecBasics.h"

namespace kelmarin::codec {

class JpegDecompressor {
 public:
  // The file is read from its current position; it must outlive this object.
  explicit JpegDecompressor(std::FILE* file);
  ~JpegDecompressor();
  JpegDecompressor(const JpegDecompressor&) = delete;
  JpegDecompressor& operator=(const JpegDecompressor&) = delete;

  // Reads the markers up to the first scan header. False with failure() set when the data is not
  // a JPEG header (damaged, truncated before the first scan, empty, another format).
  bool ReadHeader();
  // The header's markers (0xFF, code, length, payload; APP0 to APP15) and comments, in file order.
  // Valid after a successful ReadHeader; moves them out.
  void TakeMarkers(MetadataSource& metadata);

  jpeg_decompress_struct& info() { return cinfo; }
  std::jmp_buf& jump() { return errors.jump; }
  Code failure() const { return errors.failure; }
  void Fail(Code code) { errors.failure = code; }
  // The data ended early (libjpeg went on with made-up data).
  bool truncated() const { return errors.truncated; }

 private:
  struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool truncated;
    Code failure;
  };
  struct FileSource;

  [[noreturn]] static void ErrorExit(j_common_ptr cinfo);
  static void EmitMessage(j_common_ptr cinfo, int level);
  static void LimitScans(j_common_ptr cinfo);
  static boolean SaveSegment(j_decompress_ptr cinfo);
  // Appends the markers libjpeg saved itself (APP0, APP14) since the last call.
  void SweepLibraryMarkers();

  jpeg_decompress_struct cinfo{};
  ErrorManager errors{};
  jpeg_progress_mgr progress{};
  std::unique_ptr<FileSource> source;
  MetadataSource kept;
  jpeg_saved_marker_ptr swept = nullptr;  // last of libjpeg's saved markers already in `kept`
  bool created = false;
};

// Width and height from the header (no scan data decoded) and the header's markers and comments.
// kCorrupt for anything that is not a JPEG header with a nonzero size; `metadata` is then untouched.
Code JpegDimensions(std::FILE* file, Size& size, MetadataSource& metadata);

}  // namespace kelmarin::codec
