#include "image/ZetImage.h"

#include <algorithm>
#include <new>

#include "image/Codec.h"
#include "image/Resize.h"
#include "metadata/Rounding.h"
#include "metadata/Text.h"

namespace kelmarin {

namespace {

// The resize mode a filter number asks for when shrinking: -1 → 15, 0 to 13 → itself, else 14.
std::int32_t ShrinkMode(std::int32_t filter) {
  if (filter == -1) return 15;
  if (filter >= 0 && filter <= 13) return filter;
  return 14;
}

}  // namespace

std::int32_t ZetImage::show(PictureBox& pic) {
  pRGB_shown = QImage();
  // The box in whole pixels.
  const std::int32_t boxWidth = RoundHalfEven(pic.WidthTwips() / pic.TwipsPerPixelX());
  const std::int32_t boxHeight = RoundHalfEven(pic.HeightTwips() / pic.TwipsPerPixelY());
  if (pRGB_image.isNull() || Breite <= 0 || Höhe <= 0) {
    // Nothing was decoded: the box is cleared and nothing is drawn.
    pic.ClearPicture();
    return 2;
  }
  // The picture as it stands, which is Höhe x Breite after a quarter turn.
  const std::int32_t width = pRGB_image.width(), height = pRGB_image.height();
  const double r = std::min(static_cast<double>(boxWidth) / width, static_cast<double>(boxHeight) / height);
  std::int32_t tw = RoundHalfEven(width * r);
  std::int32_t th = RoundHalfEven(height * r);
  if (tw <= 0) tw = 1;
  if (th <= 0) th = 1;
  const std::optional<ImageError> resized = ResizeImage(AsQImage(pRGB_image), tw, th, pRGB_shown, -2);
  pic.ClearPicture();
  if (resized) {
    // Only when the memory for the scaled pixels cannot be had: reported as a failed drawing.
    ReportFailure(resized->number(), "ISDrawRGB");
    return 2;
  }
  const std::int32_t x = RoundHalfEven((boxWidth - tw) / 2.0);
  const std::int32_t y = RoundHalfEven((boxHeight - th) / 2.0);
  if (!pic.DrawRGB(pRGB_shown, x, y)) {
    ReportFailure(codec::kDrawFailed, "ISDrawRGB");  // the bare code, as the drawing reports it
    return 2;
  }
  return 1;
}

std::optional<ImageError> ZetImage::ResizeImage(const QImage& source, std::int32_t zDimX, std::int32_t zDimY,
                                                QImage& target, std::int32_t filter) {
  target = QImage();
  if (zDimX <= 0 || zDimY <= 0 || std::int64_t{zDimX} * zDimY > codec::kMaxPixels) {
    return ImageError{codec::kOk, "ResizeImage", "GlobalAlloc"};  // shown as kUnexpectedNumber
  }
  const std::int32_t qDimX = source.width(), qDimY = source.height();
  if (qDimX == zDimX && qDimY == zDimY) {
    target = source;  // shares the pixels: no copy
    return std::nullopt;
  }
  const bool shrinking = qDimX > zDimX && qDimY > zDimY;
  target = ScaleRgb(source, zDimX, zDimY, shrinking ? ShrinkMode(filter) : kResizeSmooth);
  if (target.isNull()) {
    const char* description = "IS_ResizeImage";
    return ImageError{
        codec::kResizeFailed, "ResizeImage",
        shrinking ? std::string(description) + "(" + std::to_string(filter) + ")" : description};
  }
  return std::nullopt;
}

QImage AsQImage(const RgbImage& picture) {
  if (picture.isNull()) return {};
  auto* owner = new (std::nothrow) std::shared_ptr<void>(picture.Owner());
  if (owner == nullptr) return {};
  QImage view(picture.bits(), picture.width(), picture.height(), static_cast<qsizetype>(picture.bytesPerLine()),
              QImage::Format_RGB888, [](void* kept) { delete static_cast<std::shared_ptr<void>*>(kept); }, owner);
  if (view.isNull()) delete owner;
  return view;
}

}  // namespace kelmarin
