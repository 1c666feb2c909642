#pragma once
// Fractional values that become whole numbers (sizes, positions, scroll steps) round to the nearest
// integer with halves to the even neighbour. Independent of the floating-point rounding mode.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kelmarin {

// Nearest whole number, halves to the even neighbour, limited to the 32-bit range; a value that is
// not a finite number gives 0.
inline std::int32_t RoundHalfEven(double value) {
  if (!std::isfinite(value)) return 0;
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  constexpr double kMin = std::numeric_limits<std::int32_t>::min();
  double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return static_cast<std::int32_t>(std::clamp(whole, kMin, kMax));
}

}  // namespace kelmarin
