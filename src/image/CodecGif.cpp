// GIF through giflib: the first image of the file, placed on its logical screen, palette indices
// turned into RGB. The screen outside the first image and its transparent pixels are white.

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/Backends.h"

namespace kelmarin::codec {

namespace {

// An LZW code of at most 12 bits stands for at most 4096 pixels: about 2731 pixels per byte. The
// logical screen around the first image is held to the same rule.
constexpr std::uint64_t kPixelsPerByte = 4096;

int ReadFunction(GifFileType* gif, GifByteType* data, int length) {
  auto* file = static_cast<std::FILE*>(gif->UserData);
  return static_cast<int>(std::fread(data, 1, static_cast<std::size_t>(length), file));
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};
using GifPtr = std::unique_ptr<GifFileType, GifCloser>;

GifPtr Open(std::FILE* file) {
  int error = 0;
  return GifPtr(DGifOpen(file, ReadFunction, &error));
}

// Skips extension blocks up to the first image descriptor; notes the transparent index of its
// graphic control extension (-1 when none). False when the file ends or breaks before an image.
bool SeekFirstImage(GifFileType* gif, int& transparent) {
  transparent = NO_TRANSPARENT_COLOR;
  for (int records = 0; records < 100000; ++records) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return false;
    if (type == IMAGE_DESC_RECORD_TYPE) return DGifGetImageDesc(gif) != GIF_ERROR;
    if (type != EXTENSION_RECORD_TYPE) return false;
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr) {
      GraphicsControlBlock control;
      if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) transparent = control.TransparentColor;
    }
    while (block != nullptr) {
      if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
    }
  }
  return false;
}

// Reads the image's rows (in file order, interlaced or not) into index rows of `indices`.
bool ReadIndices(GifFileType* gif, std::vector<GifPixelType>& indices) {
  const GifImageDesc& desc = gif->Image;
  const auto width = static_cast<std::size_t>(desc.Width);
  const int height = desc.Height;
  indices.assign(width * static_cast<std::size_t>(height), 0);
  if (desc.Interlace) {
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      for (int y = kStart[pass]; y < height; y += kStep[pass]) {
        if (DGifGetLine(gif, &indices[static_cast<std::size_t>(y) * width], desc.Width) == GIF_ERROR)
          return false;
      }
    }
    return true;
  }
  for (int y = 0; y < height; ++y) {
    if (DGifGetLine(gif, &indices[static_cast<std::size_t>(y) * width], desc.Width) == GIF_ERROR)
      return false;
  }
  return true;
}

void Paint(const GifFileType* gif, const std::vector<GifPixelType>& indices, int transparent, RgbImage& image) {
  const GifImageDesc& desc = gif->Image;
  const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
  const int colours = map != nullptr ? map->ColorCount : 0;
  for (int y = 0; y < image.height(); ++y) std::memset(image.scanLine(y), 0xFF, static_cast<std::size_t>(image.width()) * 3);
  const int left = std::max(0, desc.Left), top = std::max(0, desc.Top);
  const int right = std::min(image.width(), desc.Left + desc.Width);
  const int bottom = std::min(image.height(), desc.Top + desc.Height);
  for (int y = top; y < bottom; ++y) {
    const GifPixelType* in =
        &indices[static_cast<std::size_t>(y - desc.Top) * static_cast<std::size_t>(desc.Width)];
    std::uint8_t* out = image.scanLine(y);
    for (int x = left; x < right; ++x) {
      const int index = in[x - desc.Left];
      if (index == transparent) continue;
      std::uint8_t* p = out + 3 * x;
      if (index < colours) {
        const GifColorType& c = map->Colors[index];
        p[0] = c.Red, p[1] = c.Green, p[2] = c.Blue;
      } else {
        p[0] = p[1] = p[2] = 0;  // an index outside the palette: black
      }
    }
  }
}

// The logical screen, or the first image's own size when the screen is empty.
Size CanvasSize(const GifFileType* gif) {
  if (gif->SWidth > 0 && gif->SHeight > 0) return {gif->SWidth, gif->SHeight};
  return {gif->Image.Width, gif->Image.Height};
}

}  // namespace

Code DecodeGif(std::FILE* file, RgbImage& pixels) {
  pixels = RgbImage();
  GifPtr gif = Open(file);
  if (gif == nullptr) return kCorrupt;
  int transparent = NO_TRANSPARENT_COLOR;
  if (!SeekFirstImage(gif.get(), transparent)) return kCorrupt;
  const GifImageDesc& desc = gif->Image;
  if (desc.Width <= 0 || desc.Height <= 0) return kCorrupt;
  if (std::int64_t{desc.Width} * desc.Height > kMaxPixels) return kNoMemory;
  const Size canvas = CanvasSize(gif.get());
  const std::uint64_t fileBytes = FileLength(file);
  if (!Plausible(desc.Width, desc.Height, fileBytes, kPixelsPerByte) ||
      !Plausible(canvas.width, canvas.height, fileBytes, kPixelsPerByte)) {
    return kCorrupt;
  }
  RgbImage image;
  if (const Code code = AllocateRgb(canvas.width, canvas.height, image); code != kOk) return code;
  std::vector<GifPixelType> indices;
  try {
    if (!ReadIndices(gif.get(), indices)) return kCorrupt;
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
  Paint(gif.get(), indices, transparent, image);
  pixels = std::move(image);
  return kOk;
}

Code GifDimensions(std::FILE* file, Size& size) {
  GifPtr gif = Open(file);
  if (gif == nullptr) return kCorrupt;
  if (gif->SWidth > 0 && gif->SHeight > 0) {
    size = {gif->SWidth, gif->SHeight};
    return kOk;
  }
  int transparent = NO_TRANSPARENT_COLOR;
  if (!SeekFirstImage(gif.get(), transparent) || gif->Image.Width <= 0 || gif->Image.Height <= 0)
    return kCorrupt;
  size = CanvasSize(gif.get());
  return kOk;
}

}  // namespace kelmarin::codec
