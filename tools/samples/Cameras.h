#pragma once
// EXIF blocks as six camera makers write them: the main directory, the Exif directory with a
// makernote in the maker's own layout, GPS where the camera has a receiver, and a thumbnail
// directory. The tag numbers are those of TIFF 6.0, EXIF 2.32 and the makers' published layouts;
// the values are plausible settings of one shot.

#include <string>
#include <vector>

#include "SampleImage.h"
#include "extract/TiffWriter.h"

namespace kelmarin::samples {

struct Shot {
  std::string make;
  std::string model;
  std::string dateTime;                              // "YYYY:MM:DD HH:MM:SS"
  std::pair<std::uint32_t, std::uint32_t> exposure;  // seconds, as a fraction
  std::pair<std::uint32_t, std::uint32_t> fNumber;
  std::uint16_t iso = 100;
  std::pair<std::uint32_t, std::uint32_t> focalLength;  // millimetres
  std::uint16_t focal35 = 0;                            // 35 mm equivalent, 0 = not written
  std::string lens;
  bool gps = false;
  int width = 0;
  int height = 0;
};

enum class Maker { kCanon, kNikon, kOlympus, kFujifilm, kPentax, kPanasonic };

// The shot a sample of that maker shows.
Shot SampleShot(Maker maker, int width, int height);

// The APP1 payload ("Exif\0\0" + TIFF block) for the shot, in the maker's byte order, with its
// makernote and a JPEG thumbnail.
Bytes CameraExif(Maker maker, const Shot& shot, const Bytes& thumbnail);

}  // namespace kelmarin::samples
