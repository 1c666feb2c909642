#include "image/Resize.h"

#include <algorithm>
#include <new>
#include <vector>

namespace kelmarin {

namespace {

// Bounds the rows summed into one 32-bit accumulator: 65535 × 2 rows × 255 stays below 2^32.
constexpr std::int32_t kMaxBlock = 65535;

// A block taller than this is represented by this many evenly spaced rows. Reading every row of a
// 24-megapixel image costs more than the rest of a preview; sampled rows average just as well for a
// picture a few hundred pixels tall, and every column of a sampled row still counts.
constexpr std::int32_t kSampledRows = 4;

void SumBlockColumns(const std::vector<std::uint32_t>& sums, std::int32_t k, std::int32_t sourceWidth,
                     std::uint64_t rows, std::uint8_t* out, std::int32_t outWidth) {
  for (std::int32_t ox = 0; ox < outWidth; ++ox) {
    const std::int32_t x0 = ox * k;
    const std::int32_t x1 = ox == outWidth - 1 ? sourceWidth : x0 + k;
    std::uint64_t r = 0, g = 0, b = 0;
    for (std::int32_t x = x0; x < x1; ++x) {
      r += sums[3 * static_cast<std::size_t>(x)];
      g += sums[3 * static_cast<std::size_t>(x) + 1];
      b += sums[3 * static_cast<std::size_t>(x) + 2];
    }
    const std::uint64_t count = rows * static_cast<std::uint64_t>(x1 - x0);
    out[3 * ox] = static_cast<std::uint8_t>((r + count / 2) / count);
    out[3 * ox + 1] = static_cast<std::uint8_t>((g + count / 2) / count);
    out[3 * ox + 2] = static_cast<std::uint8_t>((b + count / 2) / count);
  }
}

// Adds rows [y0, y1) of the source into acc, four rows per pass over acc: one read of every
// source byte, and the accumulator (in cache) touched a quarter as often. The loops vectorise.
void AddRows(const QImage& source, std::int32_t y0, std::int32_t y1, std::size_t rowBytes,
             std::uint32_t* __restrict acc) {
  std::int32_t y = y0;
  for (; y + 4 <= y1; y += 4) {
    const std::uint8_t* __restrict a = source.constScanLine(y);
    const std::uint8_t* __restrict b = source.constScanLine(y + 1);
    const std::uint8_t* __restrict c = source.constScanLine(y + 2);
    const std::uint8_t* __restrict d = source.constScanLine(y + 3);
    for (std::size_t i = 0; i < rowBytes; ++i) {
      acc[i] += static_cast<std::uint32_t>(static_cast<std::uint16_t>(a[i] + b[i]) +
                                           static_cast<std::uint16_t>(c[i] + d[i]));
    }
  }
  for (; y < y1; ++y) {
    const std::uint8_t* __restrict a = source.constScanLine(y);
    for (std::size_t i = 0; i < rowBytes; ++i) acc[i] += a[i];
  }
}

QImage ToRgb888(QImage image) {
  if (image.isNull() || image.format() == QImage::Format_RGB888) return image;
  return image.convertToFormat(QImage::Format_RGB888);
}

}  // namespace

QImage BoxReduce(const QImage& source, std::int32_t k) {
  k = std::clamp(k, 1, kMaxBlock);
  const std::int32_t width = source.width(), height = source.height();
  const std::int32_t outWidth = std::max(1, width / k), outHeight = std::max(1, height / k);
  QImage out(outWidth, outHeight, QImage::Format_RGB888);
  if (out.isNull()) return out;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  std::vector<std::uint32_t> sums;
  try {
    sums.resize(rowBytes);
  } catch (const std::bad_alloc&) {
    return QImage();
  }
  for (std::int32_t oy = 0; oy < outHeight; ++oy) {
    const std::int32_t y0 = oy * k;
    const std::int32_t y1 = oy == outHeight - 1 ? height : y0 + k;
    std::fill(sums.begin(), sums.end(), 0u);
    std::uint32_t* const acc = sums.data();
    const std::int32_t rows = y1 - y0;
    if (rows <= kSampledRows) {
      AddRows(source, y0, y1, rowBytes, acc);
    } else {
      for (std::int32_t j = 0; j < kSampledRows; ++j) {
        const auto y = y0 + static_cast<std::int32_t>((2 * j + 1) * std::int64_t{rows} / (2 * kSampledRows));
        AddRows(source, y, y + 1, rowBytes, acc);
      }
    }
    const std::int32_t counted = std::min(rows, kSampledRows);
    SumBlockColumns(sums, k, width, static_cast<std::uint64_t>(counted), out.scanLine(oy), outWidth);
  }
  return out;
}

QImage ScaleRgb(const QImage& source, std::int32_t width, std::int32_t height, std::int32_t mode) {
  if (source.isNull() || width <= 0 || height <= 0) return QImage();
  if (mode == kResizeNearest) {
    return ToRgb888(source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation));
  }
  QImage start = source;
  if (mode != kResizeSmooth) {
    // Whole blocks first, keeping at least twice the target size for the interpolation that follows.
    const std::int32_t k = std::min(source.width() / width, source.height() / height) / 2;
    if (k >= 2) start = BoxReduce(source, k);
    if (start.isNull()) return start;
  }
  return ToRgb888(start.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

}  // namespace kelmarin
