#pragma once
// One image file as the rest of the system sees it: name and type code, pixel size, decoded pixels,
// decoding time, a scaled drawing into a picture box, and its metadata (forwarded to ImageMetadata).
//
// Pixels are held in a QImage (Format_RGB888). QImage shares its buffer implicitly, so a picture box
// that keeps the image it was given keeps the pixels alive even after this object is gone, and a
// same-size drawing hands over the decoded buffer itself, without a copy.

#include <QImage>
#include <cstdint>
#include <optional>
#include <string>

#include "extract/ImageMetadata.h"
#include "extract/ImageTypes.h"

namespace kelmarin {

class Definitions;
class Reporter;

// An error raised by GetImageDims, ReadImage or ResizeImage: codec code + 1000, the operation's
// name and a description ("IS_OpenFileSource", "IS_ReadXXX", ...).
struct ImageError {
  std::int32_t number = 0;
  std::string source;
  std::string description;
};

// What show draws into: a box measured in twips, with the screen's twips per pixel.
class PictureBox {
 public:
  virtual ~PictureBox() = default;
  virtual std::int32_t WidthTwips() const = 0;
  virtual std::int32_t HeightTwips() const = 0;
  virtual double TwipsPerPixelX() const = 0;
  virtual double TwipsPerPixelY() const = 0;
  // Removes the picture (the box shows its background).
  virtual void ClearPicture() = 0;
  // Draws the image with its top-left corner at (x, y) pixels and keeps it for repainting.
  // Returns false when it cannot draw.
  virtual bool DrawRGB(const QImage& image, std::int32_t x, std::int32_t y) = 0;
};

class ZetImage {
 public:
  // definitions: for the focal-length factor while reading metadata (may be null);
  // reporter: where load and show report failures (may be null: nothing is shown).
  explicit ZetImage(const Definitions* definitions = nullptr, Reporter* reporter = nullptr);

  std::string filename;  // as passed to load (UTF-8 / the platform's bytes)
  std::int32_t imagetype = kTypeUnknown;
  std::int32_t Elapsed = 0;  // milliseconds of the last successful load
  std::int32_t Breite = 0;
  std::int32_t Höhe = 0;

  // Where later reports of load and show go (may be null). An image loaded on a worker thread
  // reports into a store there and is given the window's reporter when it is shown.
  void SetReporter(Reporter* messages) { reporter = messages; }

  std::int32_t& camera_id() { return meta.camera_id; }
  double& camera_feq() { return meta.camera_feq; }
  ImageMetadata& metadata() { return meta; }

  // Decodes the file, timed. 0 loaded, 2 failed (the reporter has shown "Fehler N\nReadImgage: file").
  std::int32_t load(const std::string& dateiname, std::int32_t bildtyp, std::int32_t& b, std::int32_t& h,
                    std::int32_t& ladezeit);
  // Draws the pixels scaled and centred into the box. 1 drawn, 2 drawing failed (reported:
  // "Fehler N\nISDrawRGB: file"; also when the scaled pixels cannot be had). An object without
  // pixels (its load failed) clears the box and returns 2 without a message.
  std::int32_t show(PictureBox& pic);

  // Dimensions without decoding pixels where the format allows (JPEG: header up to the first scan;
  // PNG: header and text chunks); for JPEG and PNG also the markers or texts, so that the metadata
  // can be read. Type 0 is guessed from the content and written back. Sets filename and imagetype;
  // metafiles and Photo CD are decoded whole and the pixels dropped.
  std::optional<ImageError> GetImageDims(const std::string& dateiname, std::int32_t& bildtyp,
                                         std::int32_t& breite, std::int32_t& höhe);
  // Decodes the whole file into pixels (Format_RGB888). On failure pixels is null and both sizes 0.
  std::optional<ImageError> ReadImage(const std::string& dateiname, std::int32_t bildtyp, QImage& pixels,
                                      std::int32_t& breite, std::int32_t& höhe);
  // Scales 24-bit pixels to zDimX x zDimY. Same size: the source is shared, not copied. Smaller in
  // both directions: area averaging (filter -1 → mode 15, 0..13 → itself, else 14; mode 0 is nearest
  // neighbour); otherwise smooth interpolation (mode 16). A size that cannot be had → 1000 "GlobalAlloc".
  static std::optional<ImageError> ResizeImage(const QImage& source, std::int32_t zDimX, std::int32_t zDimY,
                                               QImage& target, std::int32_t filter);

  const QImage& pixels() const { return pRGB_image; }

  // Metadata, forwarded; the queries read it once, on first use.
  ZetExif* ExifAdd(std::int32_t section, std::int32_t tag, std::int32_t typ, ExifValues inhalt) {
    return meta.ExifAdd(section, tag, typ, std::move(inhalt));
  }
  const ZetExif* ExifPos(std::int32_t section, std::int32_t lfd) { return meta.ExifPos(section, lfd); }
  const ZetExif* ExifTag(std::int32_t section, std::int32_t tag) { return meta.ExifTag(section, tag); }
  std::int32_t ExifCount() { return meta.ExifCount(); }
  std::int32_t ExifCount(std::int32_t section) { return meta.ExifCount(section); }
  ZetIPTC& IptcAdd(std::int32_t tag, std::string inhalt) { return meta.IptcAdd(tag, std::move(inhalt)); }
  const ZetIPTC* IptcPos(std::int32_t lfd) { return meta.IptcPos(lfd); }
  const ZetIPTC* IptcTag(std::int32_t tag) { return meta.IptcTag(tag); }
  std::int32_t IptcCount() { return meta.IptcCount(); }
  ImageComment& ImageCommentAdd(std::string key, std::string inhalt) {
    return meta.ImageCommentAdd(std::move(key), std::move(inhalt));
  }
  const ImageComment* ImageCommentPos(std::int32_t lfd) { return meta.ImageCommentPos(lfd); }
  const ImageComment* ImageCommentItem(const std::string& key) { return meta.ImageCommentItem(key); }
  std::int32_t ImageCommentCount() { return meta.ImageCommentCount(); }

 private:
  void Report(const std::string& text);

  const Definitions* definitions;
  Reporter* reporter;
  ImageMetadata meta;
  QImage pRGB_image;
  QImage pRGB_shown;
  std::int32_t pcd_resolution = 5;
};

}  // namespace kelmarin
