// TIFF through libtiff: the first page, through libtiff's RGBA interface (every photometric
// interpretation and compression libtiff knows), read in bands of rows so that no second full-size
// buffer is needed; transparency is laid on white. libtiff's messages go to handlers of this file's
// handle only: nothing is printed, and the process-wide handlers are left alone.

#include <tiffio.h>

#include <algorithm>
#include <vector>

#include "image/Backends.h"
#include "image/modules/ModuleHost.h"

namespace kelmarin::codec {

namespace {

constexpr std::uint32_t kBandRows = 64;
// Deflate packs at most 1032 bytes into one, of bilevel pixels 8 to a byte.
constexpr std::uint64_t kPixelsPerByte = 8 * 1032;
// libtiff's largest single allocation for one file (strips, tiles, tag arrays).
constexpr tmsize_t kMaxSingleAllocation = tmsize_t{256} << 20;

int SilentHandler(TIFF*, void*, const char*, const char*, va_list) {
  return 1;
}

tmsize_t ReadProc(thandle_t handle, void* data, tmsize_t size) {
  return static_cast<tmsize_t>(
      std::fread(data, 1, static_cast<std::size_t>(size), static_cast<std::FILE*>(handle)));
}
tmsize_t WriteProc(thandle_t, void*, tmsize_t) {
  return 0;
}
toff_t SeekProc(thandle_t handle, toff_t offset, int whence) {
  auto* file = static_cast<std::FILE*>(handle);
  if (offset > static_cast<toff_t>(INT64_MAX)) return static_cast<toff_t>(-1);
  if (fseeko(file, static_cast<off_t>(offset), whence) != 0) return static_cast<toff_t>(-1);
  return static_cast<toff_t>(ftello(file));
}
int CloseProc(thandle_t) {
  return 0;
}  // the caller closes the file
toff_t SizeProc(thandle_t handle) {
  auto* file = static_cast<std::FILE*>(handle);
  const off_t here = ftello(file);
  fseeko(file, 0, SEEK_END);
  const off_t size = ftello(file);
  fseeko(file, here, SEEK_SET);
  return size < 0 ? 0 : static_cast<toff_t>(size);
}
int MapProc(thandle_t, void**, toff_t*) {
  return 0;
}
void UnmapProc(thandle_t, void*, toff_t) {}

struct TiffCloser {
  void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

TiffPtr Open(std::FILE* file) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (options == nullptr) return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(options, SilentHandler, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, SilentHandler, nullptr);
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxSingleAllocation);
  // "rm": read only, no memory mapping (the file is read through the stream above).
  TIFF* tiff = TIFFClientOpenExt("image", "rm", file, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                 MapProc, UnmapProc, options);
  TIFFOpenOptionsFree(options);
  return TiffPtr(tiff);
}

struct RgbaImage {
  TIFFRGBAImage image{};
  bool begun = false;
  ~RgbaImage() {
    if (begun) TIFFRGBAImageEnd(&image);
  }
};

// RGBA words (premultiplied by libtiff) of one band into RGB rows, on white.
void StoreBand(const std::vector<std::uint32_t>& band, std::uint32_t rows, std::uint32_t firstRow,
               RgbImage& image) {
  const auto width = static_cast<std::size_t>(image.width());
  for (std::uint32_t r = 0; r < rows; ++r) {
    const std::uint32_t* in = band.data() + r * width;
    std::uint8_t* out = image.scanLine(static_cast<int>(firstRow + r));
    for (std::size_t x = 0; x < width; ++x, out += 3) {
      const std::uint32_t p = in[x];
      const std::uint32_t white = 255 - TIFFGetA(p);
      out[0] = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, TIFFGetR(p) + white));
      out[1] = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, TIFFGetG(p) + white));
      out[2] = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, TIFFGetB(p) + white));
    }
  }
}

}  // namespace

Code DecodeTiff(std::FILE* file, RgbImage& pixels) {
  pixels = RgbImage();
  TiffPtr tiff = Open(file);
  if (tiff == nullptr) return kCorrupt;
  char message[1024] = "";
  RgbaImage rgba;
  if (!TIFFRGBAImageOK(tiff.get(), message) || !TIFFRGBAImageBegin(&rgba.image, tiff.get(), 1, message)) {
    return kCorrupt;
  }
  rgba.begun = true;  // stops at the first damaged strip or tile: a truncated file fails
  // The rows as stored: the codec layer turns the whole picture as its Orientation says (libtiff
  // would only mirror it, leaving the quarter turns on their side).
  rgba.image.req_orientation = rgba.image.orientation;
  const std::uint32_t width = rgba.image.width, height = rgba.image.height;
  if (!Plausible(width, height, FileLength(file), kPixelsPerByte)) return kCorrupt;
  RgbImage image;
  if (const Code code = AllocateRgb(width, height, image); code != kOk) return code;
  std::vector<std::uint32_t> band(static_cast<std::size_t>(width) * kBandRows);
  for (std::uint32_t row = 0; row < height; row += kBandRows) {
    const std::uint32_t rows = std::min(kBandRows, height - row);
    rgba.image.row_offset = static_cast<int>(row);
    rgba.image.col_offset = 0;
    if (!TIFFRGBAImageGet(&rgba.image, band.data(), width, rows)) return kCorrupt;
    StoreBand(band, rows, row, image);
  }
  pixels = std::move(image);
  return kOk;
}

Code TiffDimensions(std::FILE* file, Size& size) {
  TiffPtr tiff = Open(file);
  if (tiff == nullptr) return kCorrupt;
  std::uint32_t width = 0, height = 0;
  if (!TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width) ||
      !TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0 ||
      width > INT32_MAX || height > INT32_MAX) {
    return kCorrupt;
  }
  size = {static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
  return kOk;
}

}  // namespace kelmarin::codec

KELMARIN_CODEC_MODULE(
    .decodeFile = [](std::FILE* file, int, RgbImage& pixels) { return DecodeTiff(file, pixels); },
    .dimensionsFile = [](std::FILE* file, int, Size& size) { return TiffDimensions(file, size); })
