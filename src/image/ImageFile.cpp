#include "image/ImageFile.h"

#include "image/Codec.h"
#include "image/ColourConversion.h"
#include "image/StopWatch.h"
#include "metadata/Reporter.h"
#include "metadata/Text.h"

namespace kelmarin {

ImageFile::ImageFile(const Definitions* tables, Reporter* messages) : definitions(tables), reporter(messages) {}

void ImageFile::ReportFailure(std::int32_t number, const char* operation) {
  if (reporter == nullptr) return;
  const std::string text =
      "Fehler " + std::to_string(number) + "\n" + operation + ": " + BytesToUtf8(filename);
  reporter->Report({"Kelmarin", text, MessageIcon::None});
}

std::int32_t ImageFile::load(const std::string& dateiname, std::int32_t bildtyp, std::int32_t& b,
                            std::int32_t& h, std::int32_t& ladezeit) {
  filename = dateiname;
  imagetype = bildtyp;
  CStopWatch watch;
  watch.Reset();
  codec::ClearInputMetadata();
  std::int32_t readAs = imagetype;
  lastLoadError = ReadImage(filename, imagetype, pRGB_image, Breite, Höhe, &readAs);
  // The markers and texts the codec kept for this file (none after a failure), for ReadMetadata: as
  // the type the pixels were read as (a PNG named .jpg has texts, not markers).
  metaType = readAs;
  metaSource = codec::InputMetadata();
  if (!lastLoadError) ApplyEmbeddedProfile(pRGB_image, readAs, *codec::InputMetadata());
  std::int32_t status = 0;
  if (lastLoadError) {
    ReportFailure(lastLoadError->number(), "ReadImgage");
    status = 2;
  } else {
    Elapsed = watch.Elapsed();
  }
  b = Breite;
  h = Höhe;
  ladezeit = Elapsed;
  return status;
}

std::optional<ImageError> ImageFile::GetImageDims(const std::string& dateiname, std::int32_t& bildtyp,
                                                 std::int32_t& breite, std::int32_t& höhe) {
  if (const codec::Code open = codec::CheckOpen(dateiname); open != codec::kOk) {
    return ImageError{open, "GetImageDims", "IS_OpenFileSource"};
  }
  if (bildtyp == kTypeUnknown) bildtyp = GuessTypeCode(dateiname);
  filename = dateiname;
  imagetype = bildtyp;
  codec::ClearInputMetadata();
  std::int32_t width = 0, height = 0;
  const codec::Code code = codec::ReadDimensions(dateiname, bildtyp, width, height);
  metaType = bildtyp;
  metaSource = codec::InputMetadata();
  if (code != codec::kOk) return ImageError{code, "GetImageDims", "IS_GetXXXDims"};
  breite = width;
  höhe = height;
  return std::nullopt;
}

std::optional<ImageError> ImageFile::ReadImage(const std::string& dateiname, std::int32_t bildtyp,
                                               RgbImage& pixels, std::int32_t& breite, std::int32_t& höhe,
                                               std::int32_t* readAs) {
  pixels = RgbImage();
  breite = 0;
  höhe = 0;
  if (const codec::Code open = codec::CheckOpen(dateiname); open != codec::kOk) {
    return ImageError{open, "ReadImage", "IS_OpenFileSource"};
  }
  codec::DecodedFacts facts;
  const codec::Code code = codec::ReadPixels(dateiname, bildtyp, pixels, &facts);
  if (code != codec::kOk) return ImageError{code, "ReadImage", "IS_ReadXXX"};
  breite = facts.stored.width;
  höhe = facts.stored.height;
  if (readAs != nullptr) *readAs = facts.type;
  return std::nullopt;
}

}  // namespace kelmarin
