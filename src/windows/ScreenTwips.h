#pragma once
// Twips (1/1440 inch) and screen pixels. Window lengths are measured in twips and converted at the edge
// with the screen's twips per pixel, 1440 / logical dots per inch in each direction. The main window's
// layout, the viewer and every picture box use this one scale.

#include <cstdint>

class QWidget;

namespace kelmarin {

struct ScreenTwips {
  double perPixelX = 15.0;  // 96 dpi
  double perPixelY = 15.0;

  // The scale of the screen the widget is on (the primary screen when the widget is null or has no
  // screen yet); 15 twips per pixel in a direction whose dots per inch the screen does not report.
  static ScreenTwips Of(const QWidget* widget);

  // Conversions round to the nearest whole number, halves to the even neighbour, limited to the 32-bit
  // range; a result that is not a finite number is 0.
  int ToPixelsX(std::int32_t twips) const;
  int ToPixelsY(std::int32_t twips) const;
  std::int32_t ToTwipsX(int pixels) const;
  std::int32_t ToTwipsY(int pixels) const;
};

}  // namespace kelmarin
