#include "SampleImage.h"

#include <algorithm>

namespace kelmarin::samples {

namespace {

std::uint8_t Mix(int a, int b, int t, int range) {
  return static_cast<std::uint8_t>(a + (b - a) * t / range);
}

// A soft wave of period `period` and amplitude `amplitude`, from two parabolic arcs.
int Wave(int x, int period, int amplitude) {
  const int p = ((x % period) + period) % period;
  const int half = period / 2;
  const int u = p < half ? p : p - half;                           // 0 … half
  const int arc = 4 * u * (half - u) * amplitude / (half * half);  // 0 … amplitude
  return p < half ? arc : -arc;
}

}  // namespace

RgbImage Landscape(int width, int height, int variant) {
  RgbImage image(width, height);
  const int sunX = width * (30 + 10 * (variant % 5)) / 100, sunY = height * 42 / 100;
  const int sunR = std::max(2, height / 9);
  const int farBase = height * 62 / 100, nearBase = height * 76 / 100;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = image.Pixel(x, y);
      // Sky: deep blue at the top, orange towards the horizon.
      p[0] = Mix(22, 250, y, height), p[1] = Mix(40, 160, y, height), p[2] = Mix(110, 80, y, height);
      const int dx = x - sunX, dy = y - sunY;
      const int d2 = dx * dx + dy * dy, r2 = sunR * sunR;
      if (d2 < r2) {
        p[0] = 255, p[1] = 236, p[2] = 170;
      } else if (d2 < 4 * r2) {  // the glow around the sun
        const int t = d2 - r2, range = 3 * r2;
        p[0] = Mix(255, p[0], t, range), p[1] = Mix(210, p[1], t, range), p[2] = Mix(150, p[2], t, range);
      }
      const int far = farBase + Wave(x + 37 * variant, std::max(4, width / 2), height / 14);
      const int near = nearBase + Wave(x + width / 5 + 11 * variant, std::max(4, width / 3), height / 18);
      if (y >= near) {
        p[0] = Mix(52, 18, y - near, height), p[1] = Mix(96, 46, y - near, height),
        p[2] = Mix(44, 20, y - near, height);
      } else if (y >= far) {
        p[0] = 96, p[1] = 92, p[2] = Mix(120, 90, y - far, height);
      }
    }
  }
  return image;
}

RgbImage Quadrants(int width, int height) {
  RgbImage image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = image.Pixel(x, y);
      const bool right = x >= width / 2, bottom = y >= height / 2;
      if (!right && !bottom) p[0] = 255, p[1] = 0, p[2] = 0;
      if (right && !bottom) p[0] = 0, p[1] = 255, p[2] = 0;
      if (!right && bottom) p[0] = 0, p[1] = 0, p[2] = 255;
      if (right && bottom) p[0] = 255, p[1] = 255, p[2] = 255;
    }
  }
  return image;
}

}  // namespace kelmarin::samples
