// HEIF, HEIC and AVIF through libheif (HEVC through libde265, AV1 through dav1d or libaom, as
// Debian's libheif is built). The primary image is decoded with the file's own turns, mirrors and
// crop applied, as 8-bit RGB; transparency is laid on white. libheif works on the file's bytes in
// memory and returns errors as values: nothing here throws or prints.

#include <libheif/heif.h>

#include <cstring>
#include <memory>
#include <vector>

#include "image/Backends.h"
#include "image/modules/ModuleHost.h"

namespace kelmarin::codec {

namespace {

// A HEIF file is held in memory while it is read; larger ones are refused.
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;
// libheif refuses larger sides itself, before it decodes anything.
constexpr int kMaxSide = 1'000'000;

struct ContextFree {
  void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleRelease {
  void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageRelease {
  void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsFree {
  void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

Code FromHeif(const heif_error& error) {
  switch (error.code) {
    case heif_error_Ok:
      return kOk;
    case heif_error_Memory_allocation_error:
      return kNoMemory;
    case heif_error_Unsupported_filetype:
    case heif_error_Unsupported_feature:
      return error.subcode == heif_suberror_Unsupported_codec ? kNoLibrary : kCorrupt;
    default:
      return kCorrupt;
  }
}

// The file's primary image. `bytes` must outlive the context.
struct Primary {
  std::vector<std::uint8_t> bytes;
  std::unique_ptr<heif_context, ContextFree> context;
  std::unique_ptr<heif_image_handle, HandleRelease> handle;
};

Code OpenPrimary(std::FILE* file, Primary& primary) {
  if (const Code code = ReadAll(file, kMaxFileBytes, primary.bytes); code != kOk) return code;
  if (primary.bytes.empty()) return kCorrupt;
  primary.context.reset(heif_context_alloc());
  if (primary.context == nullptr) return kNoMemory;
  heif_context_set_maximum_image_size_limit(primary.context.get(), kMaxSide);
  if (const Code code = FromHeif(heif_context_read_from_memory_without_copy(
          primary.context.get(), primary.bytes.data(), primary.bytes.size(), nullptr));
      code != kOk) {
    return code;
  }
  heif_image_handle* handle = nullptr;
  if (const Code code = FromHeif(heif_context_get_primary_image_handle(primary.context.get(), &handle));
      code != kOk) {
    return code;
  }
  primary.handle.reset(handle);
  return kOk;
}

}  // namespace

Code DecodeHeif(std::FILE* file, RgbImage& pixels) {
  pixels = RgbImage();
  Primary primary;
  if (const Code code = OpenPrimary(file, primary); code != kOk) return code;
  heif_image_handle* const handle = primary.handle.get();
  // The size as decoded (libheif gives it with the file's turns and crop): enough to refuse what
  // could never be held before anything is decoded.
  const std::int64_t width = heif_image_handle_get_width(handle),
                     height = heif_image_handle_get_height(handle);
  if (width <= 0 || height <= 0) return kCorrupt;
  if (width * height > kMaxPixels) return kNoMemory;
  const bool alpha = heif_image_handle_has_alpha_channel(handle) != 0;
  const std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
  if (options == nullptr) return kNoMemory;
  options->convert_hdr_to_8bit = 1;
  heif_image* decoded = nullptr;
  if (const Code code = FromHeif(heif_decode_image(
          handle, &decoded, heif_colorspace_RGB,
          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get()));
      code != kOk) {
    return code;
  }
  const std::unique_ptr<heif_image, ImageRelease> image(decoded);
  int stride = 0;
  const std::uint8_t* plane = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
  const int outWidth = heif_image_get_width(decoded, heif_channel_interleaved);
  const int outHeight = heif_image_get_height(decoded, heif_channel_interleaved);
  if (plane == nullptr || stride <= 0) return kCorrupt;
  RgbImage out;
  if (const Code code = AllocateRgb(outWidth, outHeight, out); code != kOk) return code;
  if (alpha) {
    CompositeOnWhite(plane, static_cast<std::size_t>(stride), out);
  } else {
    const auto rowBytes = static_cast<std::size_t>(outWidth) * 3;
    for (int y = 0; y < outHeight; ++y) {
      std::memcpy(out.scanLine(y), plane + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride),
                  rowBytes);
    }
  }
  pixels = std::move(out);
  return kOk;
}

Code HeifDimensions(std::FILE* file, Size& size) {
  Primary primary;
  if (const Code code = OpenPrimary(file, primary); code != kOk) return code;
  // libheif gives the size with the file's turns applied: what decoding gives.
  size = {heif_image_handle_get_width(primary.handle.get()),
          heif_image_handle_get_height(primary.handle.get())};
  return size.width > 0 && size.height > 0 ? kOk : kCorrupt;
}

bool InitHeif() {
  return heif_have_decoder_for_format(heif_compression_HEVC) != 0 &&
         heif_have_decoder_for_format(heif_compression_AV1) != 0;
}

}  // namespace kelmarin::codec

KELMARIN_CODEC_MODULE(
    .init = InitHeif,
    .decodeFile = [](std::FILE* file, int, RgbImage& pixels) { return DecodeHeif(file, pixels); },
    .dimensionsFile = [](std::FILE* file, int, Size& size) { return HeifDimensions(file, size); })
