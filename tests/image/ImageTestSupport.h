#pragma once
// Shared pieces of the image tests: a scratch folder per test, writers for every format, a
// recording reporter and a picture box that records what it is asked to draw.

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "../metadata/RecordingReporter.h"
#include "FileWriters.h"
#include "SampleImage.h"
#include "image/ZetImage.h"

namespace kelmarin::test {

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
