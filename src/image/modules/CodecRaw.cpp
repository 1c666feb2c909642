// Camera RAW through LibRaw (the thread-safe libraw_r): demosaiced with the camera's white balance,
// 8 bits per channel in sRGB, copied once from LibRaw's processed image into the caller's pixels.
// LibRaw's messages about damaged data are silenced; its error codes become codec codes.
// A file LibRaw identifies but cannot develop (a pruned file without raw data, a camera whose data
// this LibRaw cannot decode) shows the preview the camera embedded, turned as the camera was held.

#include <libraw/libraw.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "image/Backends.h"
#include "image/meta/JpegReader.h"
#include "image/meta/LibRawResult.h"
#include "image/modules/ModuleHost.h"

namespace kelmarin::codec {

namespace {

// Raw data packs no more than this many pixels into one byte, even losslessly compressed: a file too
// short for the raw size its header claims holds no raw data.
constexpr std::uint64_t kRawPixelsPerByte = 64;
// Where LibRaw cannot open a file at all, its JPEG previews are looked for by their start markers:
// at most this many places are tried, in a file of at most this size.
constexpr std::size_t kMaxPreviewCandidates = 256;
constexpr std::size_t kMaxScannedBytes = std::size_t{1} << 30;

void SilentData(void*, const char*, const int) {}
void SilentMemory(void*, const char*, const char*) {}

std::unique_ptr<LibRaw> MakeProcessor() {
  std::unique_ptr<LibRaw> raw(new (std::nothrow) LibRaw(LIBRAW_OPTIONS_NONE));
  if (raw == nullptr) return nullptr;
  raw->set_dataerror_handler(SilentData, nullptr);
  raw->set_memerror_handler(SilentMemory, nullptr);
  libraw_output_params_t& params = raw->imgdata.params;
  params.use_camera_wb = 1;
  params.output_bps = 8;
  params.output_color = 1;  // sRGB
  return raw;
}

Code Open(LibRaw& raw, const std::string& path) {
  return FromLibRaw(raw.open_file(path.c_str()));
}

Code CopyProcessed(LibRaw& raw, RgbImage& pixels) {
  int width = 0, height = 0, colors = 0, bits = 0;
  raw.get_mem_image_format(&width, &height, &colors, &bits);
  if (bits != 8 || (colors != 1 && colors != 3)) return kCorrupt;
  if (colors == 3) {
    if (const Code code = AllocateRgb(width, height, pixels); code != kOk) return code;
    return FromLibRaw(raw.copy_mem_image(pixels.bits(), static_cast<int>(pixels.bytesPerLine()), 0));
  }
  // A monochrome sensor: one byte per pixel, spread over the three channels.
  std::vector<std::uint8_t> grey;
  try {
    grey.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
  if (const Code code = FromLibRaw(raw.copy_mem_image(grey.data(), width, 0)); code != kOk) return code;
  if (const Code code = AllocateRgb(width, height, pixels); code != kOk) return code;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* in = grey.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    std::uint8_t* out = pixels.scanLine(y);
    for (int x = 0; x < width; ++x, out += 3) out[0] = out[1] = out[2] = in[x];
  }
  return kOk;
}

// The camera's embedded preview: a JPEG (decoded by the JPEG backend) or an RGB bitmap.
Code Preview(LibRaw& raw, RgbImage& pixels) {
  if (raw.unpack_thumb() != LIBRAW_SUCCESS) return kCorrupt;
  const libraw_thumbnail_t& thumb = raw.imgdata.thumbnail;
  if (thumb.thumb == nullptr || thumb.tlength == 0) return kCorrupt;
  if (thumb.tformat == LIBRAW_THUMBNAIL_BITMAP) {
    const std::size_t rowBytes = std::size_t{thumb.twidth} * 3;
    if (thumb.tcolors != 3 || std::size_t{thumb.tlength} < rowBytes * thumb.theight) return kCorrupt;
    if (const Code code = AllocateRgb(thumb.twidth, thumb.theight, pixels); code != kOk) return code;
    for (int y = 0; y < thumb.theight; ++y)
      std::memcpy(pixels.scanLine(y), thumb.thumb + static_cast<std::size_t>(y) * rowBytes, rowBytes);
    return kOk;
  }
  if (thumb.tformat != LIBRAW_THUMBNAIL_JPEG) return kCorrupt;
  const FilePtr jpeg(fmemopen(thumb.thumb, thumb.tlength, "rb"));
  if (jpeg == nullptr) return kNoMemory;
  MetadataSource markers;  // the preview's own markers are not the file's metadata
  return DecodeJpeg(jpeg.get(), pixels, markers);
}

// The JPEG image starting at `at` in `bytes`: its size, or its pixels when `pixels` is given.
Code JpegAt(std::vector<std::uint8_t>& bytes, std::size_t at, Size& size, RgbImage* pixels) {
  const FilePtr jpeg(fmemopen(bytes.data() + at, bytes.size() - at, "rb"));
  if (jpeg == nullptr) return kNoMemory;
  MetadataSource markers;
  return pixels != nullptr ? DecodeJpeg(jpeg.get(), *pixels, markers)
                           : JpegDimensions(jpeg.get(), size, markers);
}

// The largest JPEG image inside a file LibRaw cannot open (a camera or layout it does not know, a
// file cut down to its previews): camera files keep their previews as whole JPEG streams.
Code LargestEmbeddedJpeg(const std::string& path, RgbImage& pixels) {
  const FilePtr file = OpenForReading(path);
  if (file == nullptr) return kCannotOpen;
  std::vector<std::uint8_t> bytes;
  if (const Code code = ReadAll(file.get(), kMaxScannedBytes, bytes); code != kOk) return code;
  struct Candidate {
    std::size_t at;
    std::int64_t area;
  };
  std::vector<Candidate> found;
  static constexpr std::uint8_t kStart[] = {0xFF, 0xD8, 0xFF};
  std::size_t tried = 0;
  for (auto it = bytes.begin(); tried < kMaxPreviewCandidates; ++it, ++tried) {
    it = std::search(it, bytes.end(), std::begin(kStart), std::end(kStart));
    if (it == bytes.end()) break;
    Size size;
    const auto at = static_cast<std::size_t>(it - bytes.begin());
    if (JpegAt(bytes, at, size, nullptr) == kOk)
      found.push_back({at, std::int64_t{size.width} * size.height});
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const Candidate& a, const Candidate& b) { return a.area > b.area; });
  for (const Candidate& candidate : found) {
    Size unused;
    if (JpegAt(bytes, candidate.at, unused, &pixels) == kOk) return kOk;
  }
  return kCorrupt;
}

// LibRaw's flip code (3: half a turn, 5: a quarter turn to the left, 6: to the right) applied to
// pixels that are stored as the sensor lies.
Code Turn(int flip, RgbImage& pixels) {
  // As EXIF orientations: half a turn 3, a quarter turn to the right 6, to the left 8.
  return Orient(flip == 3 ? 3 : flip == 5 ? 8 : flip == 6 ? 6 : 1, pixels);
}

Code Develop(LibRaw& raw, std::uint64_t fileBytes, RgbImage& pixels) {
  const libraw_image_sizes_t& sizes = raw.imgdata.sizes;
  if (std::int64_t{sizes.width} * sizes.height > kMaxPixels) return kNoMemory;
  if (!Plausible(sizes.raw_width, sizes.raw_height, fileBytes, kRawPixelsPerByte)) return kCorrupt;
  if (const Code code = FromLibRaw(raw.unpack()); code != kOk) return code;
  if (const Code code = FromLibRaw(raw.dcraw_process()); code != kOk) return code;
  return CopyProcessed(raw, pixels);
}

}  // namespace

Code DecodeRaw(const std::string& path, RgbImage& pixels) {
  pixels = RgbImage();
  std::unique_ptr<LibRaw> raw = MakeProcessor();
  if (raw == nullptr) return kNoMemory;
  if (const Code code = Open(*raw, path); code != kOk) {
    return code == kCorrupt && LargestEmbeddedJpeg(path, pixels) == kOk ? kOk : code;
  }
  std::uint64_t fileBytes = 0;
  if (const FilePtr file = OpenForReading(path); file != nullptr) fileBytes = FileLength(file.get());
  RgbImage image;
  const Code developed = Develop(*raw, fileBytes, image);
  if (developed != kOk) {
    // No picture from the raw data: the embedded preview, when there is one, is the next best.
    image = RgbImage();
    if (developed == kNoMemory) return developed;
    if (Preview(*raw, image) == kOk) {
      if (const Code code = Turn(raw->imgdata.sizes.flip, image); code != kOk) return code;
    } else if (LargestEmbeddedJpeg(path, image) != kOk) {
      return developed;
    }
  }
  pixels = std::move(image);
  return kOk;
}

Code RawDimensions(const std::string& path, Size& size) {
  std::unique_ptr<LibRaw> raw = MakeProcessor();
  if (raw == nullptr) return kNoMemory;
  if (const Code code = Open(*raw, path); code != kOk) return code;
  if (const Code code = FromLibRaw(raw->adjust_sizes_info_only()); code != kOk) return code;
  const libraw_image_sizes_t& sizes = raw->imgdata.sizes;
  // The processed image's size: LibRaw's output, turned when the camera was held upright.
  const bool turned = (sizes.flip & 4) != 0;
  size.width = turned ? sizes.iheight : sizes.iwidth;
  size.height = turned ? sizes.iwidth : sizes.iheight;
  return size.width > 0 && size.height > 0 ? kOk : kCorrupt;
}

bool InitRaw() {
  static const bool ready = MakeProcessor() != nullptr;
  return ready;
}

}  // namespace kelmarin::codec

KELMARIN_CODEC_MODULE(
    .init = InitRaw,
    .decodePath = DecodeRaw,
    .dimensionsPath = RawDimensions)
