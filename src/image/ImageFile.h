#pragma once
// One image file as the rest of the system sees it, without a toolkit: name and type code, pixel
// size, decoded pixels, decoding time, and the markers, texts and blocks of the file that its metadata
// is read from. The image object of the window (ZetImage) adds the scaled drawing into a picture box.
//
// The pixels are shared: a picture box that keeps what it was given keeps them alive even after
// this object is gone, and a same-size drawing hands over the decoded buffer itself, without a copy.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "extract/ImageMetadata.h"
#include "extract/ImageTypes.h"
#include "image/RgbImage.h"
#include "image/meta/ImageErrors.h"

namespace kelmarin {

class Definitions;
class Reporter;

class ImageFile {
 public:
  // definitions: for the focal-length factor while reading metadata (may be null);
  // reporter: where load and show report failures (may be null: nothing is shown).
  explicit ImageFile(const Definitions* definitions = nullptr, Reporter* reporter = nullptr);

  std::string filename;  // as passed to load (UTF-8 / the platform's bytes)
  std::int32_t imagetype = kTypeUnknown;
  std::int32_t Elapsed = 0;  // milliseconds of the last successful load
  std::int32_t Breite = 0;   // as stored in the file (the information panel's size)
  std::int32_t Höhe = 0;

  // Where later reports of load and show go (may be null). An image loaded on a worker thread
  // reports into a store there and is given the window's reporter when it is shown.
  void SetReporter(Reporter* messages) { reporter = messages; }

  // Decodes the file, timed; pixels with an embedded ICC profile are converted to sRGB (see
  // ColourConversion.h). 0 loaded, 2 failed (the reporter has shown "Fehler N\nReadImgage: file",
  // and loadError() tells why).
  std::int32_t load(const std::string& dateiname, std::int32_t bildtyp, std::int32_t& b, std::int32_t& h,
                    std::int32_t& ladezeit);
  // Why the last load failed; empty after a load that succeeded and before the first.
  const std::optional<ImageError>& loadError() const { return lastLoadError; }

  // Dimensions without decoding pixels where the format allows (JPEG: header up to the first scan;
  // PNG: header and text chunks); for JPEG and PNG also the markers or texts, so that the metadata
  // can be read. Type 0 is guessed from the content and written back. Sets filename and imagetype;
  // metafiles and Photo CD are decoded whole and the pixels dropped.
  std::optional<ImageError> GetImageDims(const std::string& dateiname, std::int32_t& bildtyp,
                                         std::int32_t& breite, std::int32_t& höhe);
  // Decodes the whole file into pixels (8-bit RGB), standing upright as the file says; breite and
  // höhe are the size as stored (before a quarter turn), readAs (may be null) the type the content
  // was read as (see codec::ReadPixels). On failure pixels is null and both sizes 0.
  std::optional<ImageError> ReadImage(const std::string& dateiname, std::int32_t bildtyp, RgbImage& pixels,
                                      std::int32_t& breite, std::int32_t& höhe,
                                      std::int32_t* readAs = nullptr);

  // The decoded picture, upright: its size is Breite x Höhe, or Höhe x Breite after a quarter turn.
  const RgbImage& pixels() const { return pRGB_image; }

  // Reads the metadata of the file last given to load or GetImageDims, as the type its content was
  // read as (a PNG named .jpg has texts, not markers); every call reads it again, so the caller keeps
  // the value. Before any load, and after a load that kept nothing, a value with every count 0.
  // Throws only std::bad_alloc.
  ImageMetadata ReadMetadata() const { return kelmarin::ReadMetadata(metaType, metaSource, definitions); }

 protected:
  // Shows "Fehler N\nOPERATION: file" through the reporter (nothing without one).
  void ReportFailure(std::int32_t number, const char* operation);

  const Definitions* definitions;
  Reporter* reporter;
  // What the last load or GetImageDims kept for the metadata: the type it was read as and the codec's
  // markers, texts and blocks of the file.
  std::int32_t metaType = kTypeUnknown;
  std::shared_ptr<const MetadataSource> metaSource;
  RgbImage pRGB_image;
  std::optional<ImageError> lastLoadError;
  std::int32_t pcd_resolution = 5;
};

}  // namespace kelmarin
