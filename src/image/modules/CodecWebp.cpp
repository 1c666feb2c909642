// WebP through libwebp: a still image is decoded straight into the RGB rows (or through RGBA when it
// has transparency, laid on white); an animation gives its first frame on its canvas through
// libwebpdemux's animation decoder. libwebp works on the file's bytes in memory. The picture is
// turned and mirrored as the Orientation of the file's EXIF chunk says.

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "image/Backends.h"
#include "image/modules/ModuleHost.h"

namespace kelmarin::codec {

namespace {

constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;
// libwebp's encoder packs a one-colour picture into about 560 pixels a byte lossy (VP8) and 25,000
// lossless (VP8L), at every size; seven to ten times that is still believed. Mixed files and
// animations are measured as lossless.
constexpr std::uint64_t kLossyPixelsPerByte = 4096;
constexpr std::uint64_t kLosslessPixelsPerByte = std::uint64_t{1} << 18;
// Rows decoded to try a frame before its picture's memory is taken: one row of VP8 macroblocks.
constexpr int kTrialRows = 16;

struct AnimDecoderDelete {
  void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};

Code ReadFeatures(std::FILE* file, std::vector<std::uint8_t>& bytes, WebPBitstreamFeatures& features) {
  if (const Code code = ReadAll(file, kMaxFileBytes, bytes); code != kOk) return code;
  if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK) return kCorrupt;
  if (features.width <= 0 || features.height <= 0) return kCorrupt;
  // An animation's canvas size, from the extended header, counts as well: its decoder clears it.
  const std::uint64_t pixelsPerByte = features.format == 1 ? kLossyPixelsPerByte : kLosslessPixelsPerByte;
  if (!Plausible(features.width, features.height, bytes.size(), pixelsPerByte)) return kCorrupt;
  return kOk;
}

// A frame whose headers or first rows are damaged fails here, where libwebp decodes the top rows
// into a buffer of its own a row of pixels high, not in the picture's memory, which fresh memory
// has to fill in page by page before the decoder starts.
Code TryTopRows(const std::vector<std::uint8_t>& bytes, const WebPBitstreamFeatures& features) {
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) return kNoLibrary;
  config.options.use_cropping = 1;
  config.options.crop_width = features.width;
  config.options.crop_height = std::min(features.height, kTrialRows);
  config.output.colorspace = MODE_RGB;
  const VP8StatusCode status = WebPDecode(bytes.data(), bytes.size(), &config);
  WebPFreeDecBuffer(&config.output);
  return status == VP8_STATUS_OK ? kOk : kCorrupt;
}

// The pixel limit every decoder keeps.
Code CheckSize(std::int64_t width, std::int64_t height) {
  return width * height > kMaxPixels ? kNoMemory : kOk;
}

Code DecodeFirstFrame(const std::vector<std::uint8_t>& bytes, RgbImage& pixels) {
  WebPAnimDecoderOptions options;
  if (!WebPAnimDecoderOptionsInit(&options)) return kNoLibrary;
  options.color_mode = MODE_RGBA;
  options.use_threads = 0;
  const WebPData data{bytes.data(), bytes.size()};
  const std::unique_ptr<WebPAnimDecoder, AnimDecoderDelete> decoder(WebPAnimDecoderNew(&data, &options));
  if (decoder == nullptr) return kCorrupt;
  WebPAnimInfo info;
  if (!WebPAnimDecoderGetInfo(decoder.get(), &info)) return kCorrupt;
  if (const Code code = CheckSize(info.canvas_width, info.canvas_height); code != kOk) return code;
  std::uint8_t* canvas = nullptr;
  int timestamp = 0;
  if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || canvas == nullptr) return kCorrupt;
  RgbImage out;
  if (const Code code = AllocateRgb(info.canvas_width, info.canvas_height, out); code != kOk) return code;
  CompositeOnWhite(canvas, std::size_t{info.canvas_width} * 4, out);
  pixels = std::move(out);
  return kOk;
}

Code DecodeStored(const std::vector<std::uint8_t>& bytes, const WebPBitstreamFeatures& features,
                  RgbImage& pixels) {
  if (features.has_animation) return DecodeFirstFrame(bytes, pixels);
  if (const Code code = CheckSize(features.width, features.height); code != kOk) return code;
  if (const Code code = TryTopRows(bytes, features); code != kOk) return code;
  RgbImage out;
  if (const Code code = AllocateRgb(features.width, features.height, out); code != kOk) return code;
  const auto stride = static_cast<std::size_t>(out.bytesPerLine());
  if (!features.has_alpha) {
    const std::size_t size = stride * static_cast<std::size_t>(out.height());
    if (WebPDecodeRGBInto(bytes.data(), bytes.size(), out.bits(), size, static_cast<int>(stride)) == nullptr)
      return kCorrupt;
  } else {
    std::vector<std::uint8_t> rgba;
    const std::size_t rgbaStride = static_cast<std::size_t>(features.width) * 4;
    try {
      rgba.resize(rgbaStride * static_cast<std::size_t>(features.height));
    } catch (const std::bad_alloc&) {
      return kNoMemory;
    }
    if (WebPDecodeRGBAInto(bytes.data(), bytes.size(), rgba.data(), rgba.size(),
                           static_cast<int>(rgbaStride)) == nullptr)
      return kCorrupt;
    CompositeOnWhite(rgba.data(), rgbaStride, out);
  }
  pixels = std::move(out);
  return kOk;
}

Code DecodeWebp(std::FILE* file, RgbImage& pixels) {
  pixels = RgbImage();
  std::vector<std::uint8_t> bytes;
  WebPBitstreamFeatures features;
  if (const Code code = ReadFeatures(file, bytes, features); code != kOk) return code;
  RgbImage stored;
  if (const Code code = DecodeStored(bytes, features, stored); code != kOk) return code;
  if (const Code code = Orient(ContainerOrientation(bytes), stored); code != kOk) return code;
  pixels = std::move(stored);
  return kOk;
}

Code WebpDimensions(std::FILE* file, Size& size) {
  std::vector<std::uint8_t> bytes;
  WebPBitstreamFeatures features;
  if (const Code code = ReadFeatures(file, bytes, features); code != kOk) return code;
  if (features.has_animation) {
    // An animation's frames lie on its canvas, whose size the container gives.
    const WebPData data{bytes.data(), bytes.size()};
    WebPDemuxer* demux = WebPDemux(&data);
    if (demux == nullptr) return kCorrupt;
    size = {static_cast<std::int32_t>(WebPDemuxGetI(demux, WEBP_FF_CANVAS_WIDTH)),
            static_cast<std::int32_t>(WebPDemuxGetI(demux, WEBP_FF_CANVAS_HEIGHT))};
    WebPDemuxDelete(demux);
    if (size.width <= 0 || size.height <= 0) return kCorrupt;
  } else {
    size = {features.width, features.height};
  }
  if (ContainerOrientation(bytes) >= 5) std::swap(size.width, size.height);
  return kOk;
}

}  // namespace
}  // namespace kelmarin::codec

KELMARIN_CODEC_MODULE(
        .decodeFile = [](std::FILE* file, int, RgbImage& pixels) { return DecodeWebp(file, pixels); },
        .dimensionsFile = [](std::FILE* file, int, Size& size) { return WebpDimensions(file, size); })
