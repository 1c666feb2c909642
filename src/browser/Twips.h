#pragma once
// Twips (1/1440 inch) and screen pixels: the window computes its layout in twips and converts at the
// edge with the screen's twips per pixel, 1440 / logical dots per inch in each direction.

#include <QRect>
#include <cstdint>

#include "browser/core/WindowLayout.h"

class QWidget;

namespace kelmarin {

struct TwipsScale {
  double perPixelX = 15.0;  // 96 dpi
  double perPixelY = 15.0;

  // The scale of the screen the widget is on (the primary screen when it has none yet).
  static TwipsScale Of(const QWidget* widget);

  int ToPixelsX(std::int32_t twips) const { return RoundHalfEven(twips / perPixelX); }
  int ToPixelsY(std::int32_t twips) const { return RoundHalfEven(twips / perPixelY); }
  std::int32_t ToTwipsX(int pixels) const { return RoundHalfEven(pixels * perPixelX); }
  std::int32_t ToTwipsY(int pixels) const { return RoundHalfEven(pixels * perPixelY); }
  // Negative sizes (a window smaller than its minimum) are drawn as empty.
  QRect ToPixels(const TwipsRect& r) const;
};

}  // namespace kelmarin
