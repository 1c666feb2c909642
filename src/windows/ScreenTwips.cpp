#include "windows/ScreenTwips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <limits>

namespace kelmarin {

namespace {

std::int32_t Rounded(double value) {
  if (!std::isfinite(value)) return 0;
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  constexpr double kMin = std::numeric_limits<std::int32_t>::min();
  // nearbyint in the default rounding mode takes halves to the even neighbour.
  return static_cast<std::int32_t>(std::clamp(std::nearbyint(value), kMin, kMax));
}

}  // namespace

ScreenTwips ScreenTwips::Of(const QWidget* widget) {
  const QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  ScreenTwips scale;
  if (screen == nullptr) return scale;
  if (screen->logicalDotsPerInchX() > 0) scale.perPixelX = 1440.0 / screen->logicalDotsPerInchX();
  if (screen->logicalDotsPerInchY() > 0) scale.perPixelY = 1440.0 / screen->logicalDotsPerInchY();
  return scale;
}

int ScreenTwips::ToPixelsX(std::int32_t twips) const {
  return Rounded(twips / perPixelX);
}
int ScreenTwips::ToPixelsY(std::int32_t twips) const {
  return Rounded(twips / perPixelY);
}
std::int32_t ScreenTwips::ToTwipsX(int pixels) const {
  return Rounded(pixels * perPixelX);
}
std::int32_t ScreenTwips::ToTwipsY(int pixels) const {
  return Rounded(pixels * perPixelY);
}

}  // namespace kelmarin
