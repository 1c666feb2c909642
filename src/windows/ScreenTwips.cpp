#include "windows/ScreenTwips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "metadata/Rounding.h"

namespace kelmarin {

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
  return RoundHalfEven(twips / perPixelX);
}
int ScreenTwips::ToPixelsY(std::int32_t twips) const {
  return RoundHalfEven(twips / perPixelY);
}
std::int32_t ScreenTwips::ToTwipsX(int pixels) const {
  return RoundHalfEven(pixels * perPixelX);
}
std::int32_t ScreenTwips::ToTwipsY(int pixels) const {
  return RoundHalfEven(pixels * perPixelY);
}

}  // namespace kelmarin
