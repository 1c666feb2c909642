#pragma once
// Shared pieces of the image tests: a scratch folder per test, writers for every format, a
// recording reporter and a picture box that records what it is asked to draw.

#include <gtest/gtest.h>
#include <libheif/heif.h>

#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "../metadata/RecordingReporter.h"
#include "FileWriters.h"
#include "SampleImage.h"
#include "image/ZetImage.h"
#include "image/meta/Formats.h"

namespace kelmarin::test {

using Block = std::vector<std::uint8_t>;

// Today's formats by their rows in the format registry.
inline const std::int32_t kTypeHeif = TypeCodeForFileName("a.heic"),
                          kTypeWebp = TypeCodeForFileName("a.webp"), kTypeJxl = TypeCodeForFileName("a.jxl");

// A fresh folder for the running test, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  std::string Path(const std::string& name) const { return (folder / name).string(); }

 private:
  std::filesystem::path folder;
};

struct RecordingBox : PictureBox {
  std::int32_t widthTwips = 1500, heightTwips = 1500;
  double twipsX = 15.0, twipsY = 15.0;
  bool drawSucceeds = true;
  int clears = 0;
  QImage drawn;
  std::int32_t x = -1, y = -1;

  std::int32_t WidthTwips() const override { return widthTwips; }
  std::int32_t HeightTwips() const override { return heightTwips; }
  double TwipsPerPixelX() const override { return twipsX; }
  double TwipsPerPixelY() const override { return twipsY; }
  void ClearPicture() override { ++clears, drawn = QImage(); }
  bool DrawRGB(const QImage& image, std::int32_t atX, std::int32_t atY) override {
    drawn = image, x = atX, y = atY;
    return drawSucceeds;
  }
};

// Writes `image` as `format` ("jpg", "png", "gif", "bmp", "pcx", "psd", "tga", "tif", "pcd", "dng",
// "wmf", "emf") at `path`; fails the test when it cannot.
void WriteImageFile(const std::string& path, const std::string& format, const samples::RgbImage& image);

// Every format the tests write, with the image type code the file list would give it.
const std::vector<std::pair<std::string, std::int32_t>>& Formats();

// A HEIF file of `image` (quality 95), with `exif` (a TIFF block) as its EXIF item and `profile` as its
// colour profile, each when not empty.
void WriteHeif(const std::string& path, const samples::RgbImage& image, heif_compression_format format,
               const std::vector<std::uint8_t>& exif = {}, const std::vector<std::uint8_t>& profile = {});
// A JPEG XL file of `image` with the header's orientation (1: as stored, 6: to be turned a quarter to
// the right) and `profile` (none: the codestream's own sRGB description); lossless in the profile's
// colours, or lossy in XYB; a bare codestream or in the container.
void WriteJxl(const std::string& path, const samples::RgbImage& image, std::uint32_t orientation = 1,
              const std::vector<std::uint8_t>& profile = {}, bool lossless = true, bool container = false);

// A PNG chunk of `type` holding `data`, with its CRC; its length field says `claimed` when that is not 0.
Block PngChunk(const char* type, const Block& data, std::uint32_t claimed = 0);
// `image` as a lossless WebP file of the simple format.
Block EncodeWebpLossless(const samples::RgbImage& image);

// The bytes of a file, and writing bytes back.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Expects the pixel at (x, y) to be within `tolerance` of (r, g, b) in every channel.
void ExpectPixel(const QImage& image, int x, int y, int r, int g, int b, int tolerance);
void ExpectPixel(const RgbImage& image, int x, int y, int r, int g, int b, int tolerance);

// Expects the colours of samples::Quadrants (red, green / blue, white) in the four quarters.
void ExpectQuadrants(const QImage& pixels, int tolerance);
void ExpectQuadrants(const RgbImage& pixels, int tolerance);

// Loads `path` as `type` into `image`; returns what load returns.
std::int32_t Load(ZetImage& image, const std::string& path, std::int32_t type);

}  // namespace kelmarin::test
