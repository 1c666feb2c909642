// BMP, PCX, Photo CD, PSD, TGA and WMF through ImageMagick 6's Magick++.
//
// The file is handed to Magick as bytes with its format named, never as a file name: Magick would
// otherwise guess the format from the content and treat names with "|", "[" or a "format:" prefix
// specially. Every Magick exception is caught here. Pixels are read after converting to true colour
// (palette images and Photo CD's YCC come out wrong otherwise); transparency is laid on white.

#include <Magick++.h>

#include <array>
#include <mutex>
#include <vector>

#include "image/Backends.h"
#include "image/CNumbers.h"
#include "image/modules/ModuleHost.h"

namespace kelmarin::codec {

bool InitMagick();
Code MagickDimensions(std::FILE* file, MagickFormat format, Size& size);

namespace {

// Files read whole into memory for Magick; larger ones are refused.
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;
// Run-length coding packs at most 128 pixels into two bytes, of bilevel pixels 8 to a byte (PCX,
// PSD): twice 512 pixels per byte is allowed. Metafiles draw any size; Photo CD's is fixed.
constexpr std::uint64_t kPixelsPerByte = 1024;

// Magick's coder of each format, in the order of MagickFormat; each must be readable at start-up.
constexpr std::array<const char*, 6> kCoders = {"BMP", "PCX", "PCD", "PSD", "TGA", "WMF"};
static_assert(kCoders.size() == static_cast<std::size_t>(MagickFormat::kWmf) + 1);

const char* FormatName(MagickFormat format) {
  return kCoders[static_cast<std::size_t>(format)];
}

bool Initialise() {
  try {
    Magick::InitializeMagick(nullptr);
    // Pixels that do not fit in memory fail instead of spilling into temporary files.
    Magick::ResourceLimits::disk(0);
    Magick::ResourceLimits::width(1'000'000);
    Magick::ResourceLimits::height(1'000'000);
    for (const char* coder : kCoders) {
      if (!Magick::CoderInfo(coder).isReadable()) return false;
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

Code ToCode(const Magick::Exception& e) {
  if (dynamic_cast<const Magick::ErrorResourceLimit*>(&e) != nullptr) return kNoMemory;
  return kCorrupt;
}

// Reads (or pings) the first image of the bytes as `format`. A warning that the data is damaged
// counts as failure; other warnings (unknown tags and the like) do not.
Code Read(std::FILE* file, MagickFormat format, bool ping, Magick::Image& image) {
  if (!InitMagick()) return kNoLibrary;
  std::vector<std::uint8_t> bytes;
  if (const Code code = ReadAll(file, kMaxFileBytes, bytes); code != kOk) return code;
  if (bytes.empty()) return kCorrupt;
  const CNumbers numbers;  // the WMF coder draws through a text of drawing commands
  try {
    const Magick::Blob blob(bytes.data(), bytes.size());
    bytes = {};
    image.quiet(false);
    // The first image only: PSD's composite without its layers. Photo CD stores several
    // resolutions as "scenes"; the base resolution (768 × 512) is scene 3.
    image.subImage(format == MagickFormat::kPcd ? 3 : 0);
    image.subRange(1);
    image.backgroundColor(Magick::Color("white"));
    image.magick(FormatName(format));
    if (ping) {
      image.ping(blob);
    } else {
      image.read(blob);
    }
  } catch (const Magick::WarningCorruptImage&) {
    return kCorrupt;
  } catch (const Magick::Warning&) {
    // The image was read; a warning about it is no reason to refuse it.
  } catch (const Magick::Exception& e) {
    return ToCode(e);
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  } catch (const std::exception&) {
    return kCorrupt;
  }
  return image.columns() > 0 && image.rows() > 0 ? kOk : kCorrupt;
}

Code Export(Magick::Image& image, RgbImage& pixels) {
  const std::size_t width = image.columns(), height = image.rows();
  RgbImage out;
  if (const Code code = AllocateRgb(static_cast<std::int64_t>(width), static_cast<std::int64_t>(height), out);
      code != kOk) {
    return code;
  }
  if (image.matte()) image.alphaChannel(MagickCore::RemoveAlphaChannel);  // onto the white background
  image.type(Magick::TrueColorType);
  if (static_cast<std::size_t>(out.bytesPerLine()) == width * 3) {
    image.write(0, 0, width, height, "RGB", Magick::CharPixel, out.bits());
  } else {
    for (std::size_t y = 0; y < height; ++y) {
      image.write(0, static_cast<::ssize_t>(y), width, 1, "RGB", Magick::CharPixel,
                  out.scanLine(static_cast<int>(y)));
    }
  }
  pixels = std::move(out);
  return kOk;
}

}  // namespace

bool InitMagick() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] { ready = Initialise(); });
  return ready;
}

Code DecodeMagick(std::FILE* file, MagickFormat format, RgbImage& pixels) {
  pixels = RgbImage();
  if (format != MagickFormat::kWmf && format != MagickFormat::kPcd) {
    // The header alone first: a size the file cannot hold is refused before Magick takes memory for it.
    const std::uint64_t fileBytes = FileLength(file);
    Size size;
    if (const Code code = MagickDimensions(file, format, size); code != kOk) return code;
    if (!Plausible(size.width, size.height, fileBytes, kPixelsPerByte)) return kCorrupt;
    std::rewind(file);
  }
  Magick::Image image;
  if (const Code code = Read(file, format, false, image); code != kOk) return code;
  if (std::int64_t(image.columns()) * std::int64_t(image.rows()) > kMaxPixels) return kNoMemory;
  try {
    // ImageMagick 6 already turns bottom-up TGA rows upright while reading; its orientation
    // attribute only records how the file stored them, so the image is not auto-oriented again.
    return Export(image, pixels);
  } catch (const Magick::Exception& e) {
    pixels = RgbImage();
    return ToCode(e);
  } catch (const std::bad_alloc&) {
    pixels = RgbImage();
    return kNoMemory;
  }
}

Code MagickDimensions(std::FILE* file, MagickFormat format, Size& size) {
  Magick::Image image;
  if (const Code code = Read(file, format, true, image); code != kOk) return code;
  if (image.columns() > INT32_MAX || image.rows() > INT32_MAX) return kCorrupt;
  size = {static_cast<std::int32_t>(image.columns()), static_cast<std::int32_t>(image.rows())};
  return kOk;
}

}  // namespace kelmarin::codec

KELMARIN_CODEC_MODULE(
    .init = InitMagick,
    .decodeFile =
        [](std::FILE* file, int format, RgbImage& pixels) {
          return DecodeMagick(file, static_cast<kelmarin::MagickFormat>(format), pixels);
        },
    .dimensionsFile =
        [](std::FILE* file, int format, Size& size) {
          return MagickDimensions(file, static_cast<kelmarin::MagickFormat>(format), size);
        })
