#pragma once
// The main window's twips scale: the screen scale shared with the viewer (windows/ScreenTwips.h) plus
// the conversion of the layout's twips rectangles.

#include <QRect>

#include "browser/core/WindowLayout.h"
#include "windows/ScreenTwips.h"

namespace kelmarin {

struct TwipsScale : ScreenTwips {
  static TwipsScale Of(const QWidget* widget) { return {ScreenTwips::Of(widget)}; }

  // Negative sizes (a window smaller than its minimum) are drawn as empty.
  QRect ToPixels(const TwipsRect& r) const;
};

}  // namespace kelmarin
