#include "browser/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace kelmarin {

TwipsScale TwipsScale::Of(const QWidget* widget) {
  const QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  TwipsScale scale;
  if (screen == nullptr) return scale;
  if (screen->logicalDotsPerInchX() > 0) scale.perPixelX = 1440.0 / screen->logicalDotsPerInchX();
  if (screen->logicalDotsPerInchY() > 0) scale.perPixelY = 1440.0 / screen->logicalDotsPerInchY();
  return scale;
}

QRect TwipsScale::ToPixels(const TwipsRect& r) const {
  return QRect(ToPixelsX(r.left), ToPixelsY(r.top), std::max(0, ToPixelsX(r.width)),
               std::max(0, ToPixelsY(r.height)));
}

}  // namespace kelmarin
