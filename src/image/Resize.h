#pragma once
// Scaling of 24-bit pixels for the image object's ResizeImage.

#include <QImage>
#include <cstdint>

namespace kelmarin {

// Resize modes (the filter numbers of ResizeImage map onto them):
inline constexpr std::int32_t kResizeNearest = 0;  // nearest neighbour
inline constexpr std::int32_t kResizeArea = 14;    // 1 to 15: area average (reduction)
inline constexpr std::int32_t kResizeSmooth = 16;  // smooth interpolation (enlarging, mixed)

// `source` (Format_RGB888) scaled to width × height with the mode; Format_RGB888. Area averaging
// first sums whole blocks of source pixels (one pass over the source, no converted copy of it) down
// to about twice the target size, then interpolates the rest. A null image when the memory cannot be
// had or a size is not positive.
QImage ScaleRgb(const QImage& source, std::int32_t width, std::int32_t height, std::int32_t mode);

// The block average of `source` over k × k blocks (the last row and column of blocks take the
// remainder). Blocks taller than four rows average four evenly spaced rows of the block (all its
// columns). k ≥ 1; the result is (width ÷ k) × (height ÷ k), at least 1 × 1.
QImage BoxReduce(const QImage& source, std::int32_t k);

}  // namespace kelmarin
