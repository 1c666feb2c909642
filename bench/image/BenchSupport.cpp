#include "BenchSupport.h"

#include <algorithm>
#include <filesystem>

#include "FileWriters.h"
#include "SampleImage.h"

namespace kelmarin::bench {

std::string TwentyFourMegapixelJpeg(const std::string& path) {
  if (std::filesystem::exists(path)) return path;
  samples::RgbImage image = samples::Landscape(6000, 4000, 1);
  std::uint32_t seed = 12345;
  for (std::uint8_t& v : image.pixels) {
    seed = seed * 1664525u + 1013904223u;
    const int grain = static_cast<int>(seed >> 28) - 8;  // -8 … 7
    v = static_cast<std::uint8_t>(std::clamp(v + grain, 0, 255));
  }
  samples::WriteJpeg(path, image, 90);
  return path;
}

}  // namespace kelmarin::bench
