// JPEG XL through libjxl: the first frame (of an animation too), decoded as 8-bit RGB straight into
// the image's rows, turned and mirrored as the file's header says; transparency is laid on white.
// libjxl works on the file's bytes in memory, on a pool of worker threads, and returns status
// values: nothing here throws or prints.

#include <jxl/decode.h>
#include <jxl/encode.h>  // JxlColorEncodingSetToSRGB
#include <jxl/thread_parallel_runner.h>

#include <algorithm>
#include <memory>
#include <span>
#include <vector>

#include "image/Backends.h"
#include "image/modules/ModuleHost.h"

namespace kelmarin::codec {

namespace {

constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;
constexpr std::size_t kMaxWorkers = 8;
// No profile a picture is shown with comes near this; libjxl's own limit is far above it.
constexpr std::size_t kMaxIccBytes = 16u << 20;

struct DecoderDestroy {
  void operator()(JxlDecoder* decoder) const { JxlDecoderDestroy(decoder); }
};
struct RunnerDestroy {
  void operator()(void* runner) const { JxlThreadParallelRunnerDestroy(runner); }
};

// The size of the picture as decoded: with the header's turn (orientations 5 to 8 swap the sides).
Size OrientedSize(const JxlBasicInfo& info) {
  const bool swapped = info.orientation >= JXL_ORIENT_TRANSPOSE;
  return swapped ? Size{static_cast<std::int32_t>(info.ysize), static_cast<std::int32_t>(info.xsize)}
                 : Size{static_cast<std::int32_t>(info.xsize), static_cast<std::int32_t>(info.ysize)};
}

class Decoding {
 public:
  // False when libjxl cannot be set up.
  bool Start(std::FILE* file, int events, bool threads) {
    return ReadAll(file, kMaxFileBytes, bytes) == kOk && !bytes.empty() && Start(bytes, events, threads);
  }
  // The same on bytes the caller keeps while decoding.
  bool Start(std::span<const std::uint8_t> input, int events, bool threads) {
    // Other bytes are refused here: the decoder would say so on standard error, which is the
    // lister's for its own messages.
    const JxlSignature signature = JxlSignatureCheck(input.data(), input.size());
    if (signature != JXL_SIG_CODESTREAM && signature != JXL_SIG_CONTAINER) return false;
    decoder.reset(JxlDecoderCreate(nullptr));
    if (decoder == nullptr || JxlDecoderSubscribeEvents(decoder.get(), events) != JXL_DEC_SUCCESS)
      return false;
    if (threads) {
      const std::size_t workers = std::min(kMaxWorkers, JxlThreadParallelRunnerDefaultNumWorkerThreads());
      runner.reset(JxlThreadParallelRunnerCreate(nullptr, workers));
      if (runner == nullptr || JxlDecoderSetParallelRunner(decoder.get(), JxlThreadParallelRunner,
                                                           runner.get()) != JXL_DEC_SUCCESS)
        return false;
    }
    if (JxlDecoderSetInput(decoder.get(), input.data(), input.size()) != JXL_DEC_SUCCESS) return false;
    JxlDecoderCloseInput(decoder.get());
    return true;
  }

  // Up to the header's basic information; kCorrupt when the file does not hold it.
  Code BasicInfo(JxlBasicInfo& info) {
    for (int steps = 0; steps < 64; ++steps) {
      const JxlDecoderStatus status = JxlDecoderProcessInput(decoder.get());
      if (status == JXL_DEC_BASIC_INFO) {
        return JxlDecoderGetBasicInfo(decoder.get(), &info) == JXL_DEC_SUCCESS ? kOk : kCorrupt;
      }
      if (status != JXL_DEC_SUCCESS && status < JXL_DEC_BASIC_INFO) return kCorrupt;
    }
    return kCorrupt;
  }

  // The first frame into `out` (RGB, or RGBA rows into `rgba` when the image has transparency).
  // The ICC profile the header carries into `icc`; `xyb` set when the picture is coded in XYB.
  void Profile(std::vector<std::uint8_t>& icc, bool& xyb) {
    // The header comes before any frame: a few steps reach it or the file is damaged.
    for (int steps = 0; steps < 16; ++steps) {
      const JxlDecoderStatus status = JxlDecoderProcessInput(decoder.get());
      if (status == JXL_DEC_COLOR_ENCODING) break;
      JxlBasicInfo info{};
      if (status == JXL_DEC_BASIC_INFO && JxlDecoderGetBasicInfo(decoder.get(), &info) == JXL_DEC_SUCCESS) {
        xyb = info.uses_original_profile == JXL_FALSE;
      } else if (status != JXL_DEC_SUCCESS || steps == 15) {
        return;
      }
    }
    // A description the codestream encodes itself is no profile of the file's (libjxl would make
    // one up from it); an attached profile has no such description.
    JxlColorEncoding described{};
    if (JxlDecoderGetColorAsEncodedProfile(decoder.get(), nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL,
                                           &described) == JXL_DEC_SUCCESS)
      return;
    std::size_t size = 0;
    if (JxlDecoderGetICCProfileSize(decoder.get(), nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL, &size) !=
            JXL_DEC_SUCCESS ||
        size == 0 || size > kMaxIccBytes)
      return;
    icc.resize(size);
    if (JxlDecoderGetColorAsICCProfile(decoder.get(), nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL, icc.data(),
                                       size) != JXL_DEC_SUCCESS)
      icc.clear();
  }

  Code FirstFrame(const JxlBasicInfo& info, RgbImage& out) {
    const bool alpha = info.alpha_bits > 0;
    const JxlPixelFormat format{alpha ? 4u : 3u, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN,
                                alpha ? 0 : static_cast<std::size_t>(out.bytesPerLine())};
    std::vector<std::uint8_t> rgba;
    for (int steps = 0; steps < 1024; ++steps) {
      const JxlDecoderStatus status = JxlDecoderProcessInput(decoder.get());
      if (status == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
        std::size_t needed = 0;
        if (JxlDecoderImageOutBufferSize(decoder.get(), &format, &needed) != JXL_DEC_SUCCESS) return kCorrupt;
        void* target = out.bits();
        std::size_t size =
            static_cast<std::size_t>(out.bytesPerLine()) * static_cast<std::size_t>(out.height());
        if (alpha) {
          try {
            rgba.resize(needed);
          } catch (const std::bad_alloc&) {
            return kNoMemory;
          }
          target = rgba.data(), size = rgba.size();
        }
        if (needed > size ||
            JxlDecoderSetImageOutBuffer(decoder.get(), &format, target, size) != JXL_DEC_SUCCESS)
          return kCorrupt;
      } else if (status == JXL_DEC_FULL_IMAGE) {
        if (alpha) CompositeOnWhite(rgba.data(), static_cast<std::size_t>(out.width()) * 4, out);
        return kOk;
      } else if (status == JXL_DEC_COLOR_ENCODING) {
        // A picture coded in XYB comes out in linear sRGB unless asked otherwise: sRGB is what
        // the screen shows. Other pictures come out in their own colour space (their profile's,
        // which the image layer converts from); the wish does not apply to them.
        JxlColorEncoding srgb;
        JxlColorEncodingSetToSRGB(&srgb, info.num_color_channels == 1 ? JXL_TRUE : JXL_FALSE);
        (void)JxlDecoderSetPreferredColorProfile(decoder.get(), &srgb);
      } else if (status != JXL_DEC_FRAME) {
        return kCorrupt;  // an error, or the data ended before the frame did
      }
    }
    return kCorrupt;
  }

 private:
  std::vector<std::uint8_t> bytes;
  std::unique_ptr<JxlDecoder, DecoderDestroy> decoder;
  std::unique_ptr<void, RunnerDestroy> runner;
};

}  // namespace

Code DecodeJxl(std::FILE* file, RgbImage& pixels) {
  pixels = RgbImage();
  Decoding decoding;
  if (!decoding.Start(file, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE, true))
    return kCorrupt;
  JxlBasicInfo info;
  if (const Code code = decoding.BasicInfo(info); code != kOk) return code;
  const Size size = OrientedSize(info);
  RgbImage out;
  if (const Code code = AllocateRgb(size.width, size.height, out); code != kOk) return code;
  if (const Code code = decoding.FirstFrame(info, out); code != kOk) return code;
  pixels = std::move(out);
  return kOk;
}

Code JxlDimensions(std::FILE* file, Size& size) {
  Decoding decoding;
  if (!decoding.Start(file, JXL_DEC_BASIC_INFO, false)) return kCorrupt;
  JxlBasicInfo info;
  if (const Code code = decoding.BasicInfo(info); code != kOk) return code;
  size = OrientedSize(info);
  return size.width > 0 && size.height > 0 ? kOk : kCorrupt;
}

}  // namespace kelmarin::codec

KELMARIN_CODEC_MODULE(
        .decodeFile = [](std::FILE* file, int, RgbImage& pixels) { return DecodeJxl(file, pixels); },
        .dimensionsFile = [](std::FILE* file, int, Size& size) { return JxlDimensions(file, size); },
        .readProfile =
            [](std::span<const std::uint8_t> file, std::vector<std::uint8_t>& icc, bool& xyb) {
              Decoding decoding;
              if (decoding.Start(file, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING, false))
                decoding.Profile(icc, xyb);
            })
