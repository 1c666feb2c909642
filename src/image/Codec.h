#pragma once
// The codec layer: the backends of the format registry's rows (image/meta/Formats.h) over the imaging
// libraries, shaped as the image object needs it: open a file, guess its type, read its dimensions,
// decode it to 24-bit RGB, and keep the JPEG markers and comments or PNG texts of the file read last.
//
// Nothing here throws, exits or prints: every library failure (libjpeg's and libpng's longjmp,
// Magick exceptions, LibRaw and libtiff error codes) becomes one of the codes below. Decoded pixels
// are an RgbImage owned by the caller.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "extract/MetadataSource.h"
#include "image/RgbImage.h"
#include "image/meta/CodecBasics.h"
#include "image/meta/Formats.h"

namespace kelmarin::codec {

// The error codes (Code, kMaxPixels) and CheckOpen are declared in image/meta/CodecBasics.h, type
// guessing in image/meta/Formats.h, both shared with the metadata-only path.

// What a decode tells beside the pixels.
struct DecodedFacts {
  // The type the pixels were decoded as: `type`, the content's type for type 0, or the content's
  // type when the decoder of `type` refused the file (a PNG named .jpg).
  std::int32_t type = 0;
  // The picture's size as the file stores it, before it was turned upright.
  Size stored;
};

// Decodes the first image of the file as image type `type` (0: the content decides), standing
// upright as the file's EXIF Orientation says (JPEG, PNG and TIFF here; the other decoders turn
// their pictures themselves). When the decoder of `type` refuses the content as damaged, the type
// the content shows is tried once. On success `pixels` is the decoded RgbImage, `facts` (may be
// null) is filled and kOk is returned; otherwise `pixels` is null and the first decoder's code is
// returned. JPEG and PNG content replaces the kept input metadata on success.
Code ReadPixels(const std::string& path, std::int32_t type, RgbImage& pixels, DecodedFacts* facts = nullptr);
// OrientationOf (the EXIF Orientation of kept metadata) is declared in image/meta/MetadataOnly.h.

// Width and height without decoding pixels where the format allows: JPEG reads its header up to the
// first scan and keeps its markers and comments; PNG reads its header and text chunks (texts after
// the image data are found by skipping the data) and keeps the texts. Metafiles (2) and Photo CD (6)
// are decoded whole. Types 0, 5 and above 15 give kUnsupported.
Code ReadDimensions(const std::string& path, std::int32_t type, std::int32_t& width, std::int32_t& height);

// The markers, comments and texts of the JPEG or PNG file read last on this thread (never null;
// empty after ClearInputMetadata). Shared and immutable: a later read replaces the kept pointer, not
// its contents.
std::shared_ptr<const MetadataSource> InputMetadata();
void ClearInputMetadata();

// Calling off a decode that runs on another thread. While a flag is set for a thread, the backends
// of that thread look at it (JPEG between rows, the others when they are done) and end with
// kCancelled once it is true. The flag belongs to the caller and must outlive the decodes.
// Null: decodes on this thread are never called off.
void WatchCancelFlag(const std::atomic<bool>* flag);
// True when the flag watched on this thread is set. Runs the check hook first.
bool DecodeCancelled();
// Called on the decoding thread each time a decode looks at its flag; null (the default): nothing.
// For tests that need a decode to be under way at a known point.
void SetCancelCheckHook(void (*hook)());

// Decoded pixels are kept in memory of their own: when the last copy of an image is gone its buffer
// is kept (one at most) for the next image of about the same size, which saves the cost of fresh
// pages. This gives that buffer back to the system now.
void ReleaseKeptPixelMemory();

// A codec module's one-time set-up (its library loads and has the coders the formats need); true
// when the module can work. Safe to call more than once.
bool InitModule(const CodecModule& module);
// EMF pictures are drawn with the fonts of a GUI application. A program without one (the lister)
// allows the drawing module to make one of its own on the offscreen platform; FinishModules, called
// before such a program ends, gives it back. Off by default: a window program has its own.
void AllowOwnApplication(bool allowed);
void FinishModules();

}  // namespace kelmarin::codec
