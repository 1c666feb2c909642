#include "image/ZetImage.h"

#include <algorithm>

#include "image/Codec.h"
#include "image/Resize.h"
#include "image/StopWatch.h"
#include "metadata/Reporter.h"
#include "metadata/Rounding.h"
#include "metadata/Text.h"

namespace kelmarin {

namespace {

ImageError MakeError(std::int32_t code, const char* source, std::string description) {
  return ImageError{code + 1000, source, std::move(description)};
}

// The resize mode a filter number asks for when shrinking: -1 → 15, 0 to 13 → itself, else 14.
std::int32_t ShrinkMode(std::int32_t filter) {
  if (filter == -1) return 15;
  if (filter >= 0 && filter <= 13) return filter;
  return 14;
}

}  // namespace

ZetImage::ZetImage(const Definitions* tables, Reporter* messages) : definitions(tables), reporter(messages) {}

void ZetImage::Report(const std::string& text) {
  if (reporter != nullptr) reporter->Report({"Kelmarin", text, MessageIcon::None});
}

std::int32_t ZetImage::load(const std::string& dateiname, std::int32_t bildtyp, std::int32_t& b,
                            std::int32_t& h, std::int32_t& ladezeit) {
  filename = dateiname;
  imagetype = bildtyp;
  CStopWatch watch;
  watch.Reset();
  codec::ClearInputMetadata();
  const std::optional<ImageError> error = ReadImage(filename, imagetype, pRGB_image, Breite, Höhe);
  // The markers and texts the codec kept for this file (none after a failure) are read on first query.
  meta.SetSource(imagetype, codec::InputMetadata(), definitions);
  std::int32_t status = 0;
  if (error) {
    Report("Fehler " + std::to_string(error->number) + "\n" + "ReadImgage: " + BytesToUtf8(filename));
    status = 2;
  } else {
    Elapsed = watch.Elapsed();
  }
  b = Breite;
  h = Höhe;
  ladezeit = Elapsed;
  return status;
}

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
  const double r = std::min(static_cast<double>(boxWidth) / Breite, static_cast<double>(boxHeight) / Höhe);
  std::int32_t tw = RoundHalfEven(Breite * r);
  std::int32_t th = RoundHalfEven(Höhe * r);
  if (tw <= 0) tw = 1;
  if (th <= 0) th = 1;
  const std::optional<ImageError> resized = ResizeImage(pRGB_image, tw, th, pRGB_shown, -2);
  pic.ClearPicture();
  if (resized) {
    // Only when the memory for the scaled pixels cannot be had: reported as a failed drawing.
    Report("Fehler " + std::to_string(resized->number) + "\n" + "ISDrawRGB: " + BytesToUtf8(filename));
    return 2;
  }
  const std::int32_t x = RoundHalfEven((boxWidth - tw) / 2.0);
  const std::int32_t y = RoundHalfEven((boxHeight - th) / 2.0);
  if (!pic.DrawRGB(pRGB_shown, x, y)) {
    Report("Fehler " + std::to_string(codec::kDrawFailed) + "\n" + "ISDrawRGB: " + BytesToUtf8(filename));
    return 2;
  }
  return 1;
}

std::optional<ImageError> ZetImage::GetImageDims(const std::string& dateiname, std::int32_t& bildtyp,
                                                 std::int32_t& breite, std::int32_t& höhe) {
  if (const codec::Code open = codec::CheckOpen(dateiname); open != codec::kOk) {
    return MakeError(open, "GetImageDims", "IS_OpenFileSource");
  }
  if (bildtyp == kTypeUnknown) bildtyp = codec::MapGuessedType(codec::GuessFileType(dateiname));
  filename = dateiname;
  imagetype = bildtyp;
  codec::ClearInputMetadata();
  std::int32_t width = 0, height = 0;
  const codec::Code code = codec::ReadDimensions(dateiname, bildtyp, width, height);
  meta.SetSource(bildtyp, codec::InputMetadata(), definitions);
  if (code != codec::kOk) return MakeError(code, "GetImageDims", "IS_GetXXXDims");
  breite = width;
  höhe = height;
  return std::nullopt;
}

std::optional<ImageError> ZetImage::ReadImage(const std::string& dateiname, std::int32_t bildtyp,
                                              QImage& pixels, std::int32_t& breite, std::int32_t& höhe) {
  pixels = QImage();
  breite = 0;
  höhe = 0;
  if (const codec::Code open = codec::CheckOpen(dateiname); open != codec::kOk) {
    return MakeError(open, "ReadImage", "IS_OpenFileSource");
  }
  const codec::Code code = codec::ReadPixels(dateiname, bildtyp, pixels);
  if (code != codec::kOk) return MakeError(code, "ReadImage", "IS_ReadXXX");
  breite = pixels.width();
  höhe = pixels.height();
  return std::nullopt;
}

std::optional<ImageError> ZetImage::ResizeImage(const QImage& source, std::int32_t zDimX, std::int32_t zDimY,
                                                QImage& target, std::int32_t filter) {
  target = QImage();
  if (zDimX <= 0 || zDimY <= 0 || std::int64_t{zDimX} * zDimY > codec::kMaxPixels) {
    return ImageError{1000, "ResizeImage", "GlobalAlloc"};
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
    return MakeError(codec::kResizeFailed, "ResizeImage",
                     shrinking ? std::string(description) + "(" + std::to_string(filter) + ")" : description);
  }
  return std::nullopt;
}

}  // namespace kelmarin
