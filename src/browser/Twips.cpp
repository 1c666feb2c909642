#include "browser/Twips.h"

#include <algorithm>

namespace kelmarin {

QRect TwipsScale::ToPixels(const TwipsRect& r) const {
  return QRect(ToPixelsX(r.left), ToPixelsY(r.top), std::max(0, ToPixelsX(r.width)),
               std::max(0, ToPixelsY(r.height)));
}

}  // namespace kelmarin
