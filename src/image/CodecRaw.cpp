// Camera RAW through LibRaw (the thread-safe libraw_r): demosaiced with the camera's white balance,
// 8 bits per channel in sRGB, copied once from LibRaw's processed image into the caller's pixels.
// LibRaw's messages about damaged data are silenced; its error codes become codec codes.

#include <libraw/libraw.h>

#include <memory>
#include <new>

#include "image/Backends.h"

namespace kelmarin::codec {

namespace {

void SilentData(void*, const char*, const int) {}
void SilentMemory(void*, const char*, const char*) {}

Code FromLibRaw(int result) {
  if (result == LIBRAW_SUCCESS) return kOk;
  if (result > 0) return kCannotOpen;  // an errno value from opening the file
  if (result == LIBRAW_UNSUFFICIENT_MEMORY || result == LIBRAW_TOO_BIG || result == LIBRAW_MEMPOOL_OVERFLOW) {
    return kNoMemory;
  }
  return kCorrupt;
}

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
#ifdef _WIN32
  const std::wstring wide = std::filesystem::path(std::u8string(path.begin(), path.end())).wstring();
  return FromLibRaw(raw.open_file(wide.c_str()));
#else
  return FromLibRaw(raw.open_file(path.c_str()));
#endif
}

Code CopyProcessed(LibRaw& raw, QImage& pixels) {
  int width = 0, height = 0, colors = 0, bits = 0;
  raw.get_mem_image_format(&width, &height, &colors, &bits);
  if (bits != 8 || (colors != 1 && colors != 3)) return kCorrupt;
  if (colors == 3) {
    if (const Code code = AllocateRgb(width, height, pixels); code != kOk) return code;
    return FromLibRaw(raw.copy_mem_image(pixels.bits(), static_cast<int>(pixels.bytesPerLine()), 0));
  }
  QImage grey(width, height, QImage::Format_Grayscale8);  // a monochrome sensor
  if (grey.isNull()) return kNoMemory;
  if (const Code code = FromLibRaw(raw.copy_mem_image(grey.bits(), static_cast<int>(grey.bytesPerLine()), 0));
      code != kOk) {
    return code;
  }
  pixels = grey.convertToFormat(QImage::Format_RGB888);
  return pixels.isNull() ? kNoMemory : kOk;
}

}  // namespace

Code DecodeRaw(const std::string& path, QImage& pixels) {
  pixels = QImage();
  std::unique_ptr<LibRaw> raw = MakeProcessor();
  if (raw == nullptr) return kNoMemory;
  if (const Code code = Open(*raw, path); code != kOk) return code;
  const libraw_image_sizes_t& sizes = raw->imgdata.sizes;
  if (std::int64_t{sizes.width} * sizes.height > kMaxPixels) return kNoMemory;
  if (const Code code = FromLibRaw(raw->unpack()); code != kOk) return code;
  if (const Code code = FromLibRaw(raw->dcraw_process()); code != kOk) return code;
  QImage image;
  if (const Code code = CopyProcessed(*raw, image); code != kOk) return code;
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

std::string RawComponentName() {
  return "LibRaw (libraw_r)";
}

}  // namespace kelmarin::codec
