// Pixel memory for decoded images.
//
// A decoded photograph is tens of megabytes. Fresh memory of that size comes from the system page by
// page, and touching every page costs about a fifth of decoding a JPEG. Browsing replaces one image
// by the next of the same size, so the buffer of the last released image is kept and handed to the
// next decode that fits it. At most one buffer is kept, and only one that is not much larger than
// what is asked for; the rest goes back to the system at once. Large fresh buffers are mapped in
// huge pages (Linux), which is cheaper than one page fault per small page, and their pages are
// filled in by a second thread while the decoder starts on the first rows: the kernel's clearing of
// 70 MB of fresh pages then runs beside the decode instead of in it.

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "image/Backends.h"

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace kelmarin::codec {

namespace {

// Room in front of the pixels for the block's header; keeps the pixels 64-byte aligned.
constexpr std::size_t kHeader = 64;
// Buffers above this size are never kept (a 100-megapixel image: 300 MB).
constexpr std::size_t kMaxKept = std::size_t{320} << 20;
// Fresh buffers from this size on are mapped in huge pages, filled in by a thread of their own.
constexpr std::size_t kMapFrom = std::size_t{4} << 20;

struct BlockHeader {
  std::size_t bytes;    // pixel bytes the block holds
  void* mapping;        // start of the mapping, null for heap memory
  std::size_t mapped;   // length of the mapping
  std::thread* filler;  // the thread filling in the mapping's pages; null when none was started
};
static_assert(sizeof(BlockHeader) <= kHeader);

std::mutex poolMutex;
void* keptBlock = nullptr;  // guarded by poolMutex

std::size_t BlockSize(void* block) {
  return static_cast<BlockHeader*>(block)->bytes;
}

#ifdef __linux__
// Huge pages (2 MiB) for the mapping: the kernel's work per page (allocation, accounting, the
// fault) is most of the cost of fresh memory, and a 24-megapixel image has 18,000 small pages
// but 36 huge ones. The mapping is placed on a huge-page boundary.
constexpr std::size_t kHugePage = std::size_t{2} << 20;
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14
#endif

// Fills in the pages without changing what is written in them, so that it may run while the
// decoder writes. Older kernels know no MADV_POPULATE_WRITE: the pages then come on first touch.
void FillIn(void* block, std::size_t length) {
  madvise(block, length, MADV_POPULATE_WRITE);
}

// The thread that fills in a fresh mapping; null when the pages were filled in here (one core, or
// no thread to be had).
std::thread* StartFilling(void* block, std::size_t length) {
  if (std::thread::hardware_concurrency() > 1) {
    try {
      return new std::thread(FillIn, block, length);
    } catch (const std::system_error&) {
    } catch (const std::bad_alloc&) {
    }
  }
  FillIn(block, length);
  return nullptr;
}

void* MapBlock(std::size_t length, void*& mapping, std::size_t& mapped) {
  mapped = length + kHugePage;
  mapping = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) return nullptr;
  const auto start = (reinterpret_cast<std::uintptr_t>(mapping) + kHugePage - 1) / kHugePage * kHugePage;
  void* block = reinterpret_cast<void*>(start);
  madvise(block, length, MADV_HUGEPAGE);
  return block;
}
#endif

void* NewBlock(std::size_t bytes) {
  const std::size_t length = (kHeader + bytes + kHeader - 1) / kHeader * kHeader;
  void* block = nullptr;
  void* mapping = nullptr;
  std::size_t mapped = 0;
#ifdef __linux__
  if (bytes >= kMapFrom) block = MapBlock(length, mapping, mapped);
#endif
  if (block == nullptr) block = std::aligned_alloc(kHeader, length);
  if (block == nullptr) return nullptr;
  *static_cast<BlockHeader*>(block) = {bytes, mapping, mapped, nullptr};
#ifdef __linux__
  if (mapping != nullptr) static_cast<BlockHeader*>(block)->filler = StartFilling(block, length);
#endif
  return block;
}

// Waits for the block's filling thread, if one was started: a mapping is never unmapped or handed
// on under it.
void Settle(void* block) {
  BlockHeader& header = *static_cast<BlockHeader*>(block);
  if (header.filler == nullptr) return;
  header.filler->join();
  delete header.filler;
  header.filler = nullptr;
}

void FreeBlock(void* block) {
  if (block == nullptr) return;
  Settle(block);
#ifdef __linux__
  if (const BlockHeader& header = *static_cast<BlockHeader*>(block); header.mapping != nullptr) {
    munmap(header.mapping, header.mapped);
    return;
  }
#endif
  std::free(block);
}

void* TakeBlock(std::size_t bytes) {
  {
    const std::lock_guard lock(poolMutex);
    if (keptBlock != nullptr) {
      void* block = keptBlock;
      keptBlock = nullptr;
      const std::size_t size = BlockSize(block);
      if (size >= bytes && size - bytes <= bytes / 4) return block;
      FreeBlock(block);
    }
  }
  return NewBlock(bytes);
}

// The owner's clean-up: the last copy of the image is gone.
void GiveBlock(void* block) {
  Settle(block);
  if (BlockSize(block) > kMaxKept) {
    FreeBlock(block);
    return;
  }
  const std::lock_guard lock(poolMutex);
  FreeBlock(keptBlock);
  keptBlock = block;
}

}  // namespace

void ReleaseKeptPixelMemory() {
  const std::lock_guard lock(poolMutex);
  FreeBlock(keptBlock);
  keptBlock = nullptr;
}

Code AllocateRgb(std::int64_t width, std::int64_t height, RgbImage& image) {
  image = RgbImage();
  if (width <= 0 || height <= 0) return kCorrupt;
  if (width > kMaxPixels / height || width > 1'000'000 || height > 1'000'000) return kNoMemory;
  // Rows of whole 32-bit words, as the toolkit's images have them.
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  const std::size_t bytes = stride * static_cast<std::size_t>(height);
  void* block = TakeBlock(bytes);
  if (block == nullptr) return kNoMemory;
  auto* pixels = static_cast<std::uint8_t*>(block) + kHeader;
  try {
    image = RgbImage(pixels, static_cast<int>(width), static_cast<int>(height), stride,
                     std::shared_ptr<void>(block, GiveBlock));
  } catch (const std::bad_alloc&) {
    // The shared pointer frees the block itself when it cannot be made.
    return kNoMemory;
  }
  return kOk;
}

Code Orient(int orientation, RgbImage& pixels) {
  if (orientation < 2 || orientation > 8 || pixels.isNull()) return kOk;
  const int w = pixels.width(), h = pixels.height();
  const bool swapped = orientation >= 5;
  RgbImage turned;
  if (const Code code = AllocateRgb(swapped ? h : w, swapped ? w : h, turned); code != kOk) return code;
  for (int y = 0; y < turned.height(); ++y) {
    std::uint8_t* out = turned.scanLine(y);
    for (int x = 0; x < turned.width(); ++x, out += 3) {
      // The stored pixel that stands at (x, y) once the picture is upright.
      int sx = x, sy = y;
      switch (orientation) {
        case 2: sx = w - 1 - x; break;
        case 3: sx = w - 1 - x; sy = h - 1 - y; break;
        case 4: sy = h - 1 - y; break;
        case 5: sx = y; sy = x; break;
        case 6: sx = y; sy = h - 1 - x; break;
        case 7: sx = w - 1 - y; sy = h - 1 - x; break;
        default: sx = w - 1 - y; sy = x; break;  // 8
      }
      const std::uint8_t* in = pixels.constScanLine(sy) + static_cast<std::size_t>(sx) * 3;
      out[0] = in[0];
      out[1] = in[1];
      out[2] = in[2];
    }
  }
  pixels = std::move(turned);
  return kOk;
}

void CompositeOnWhite(const std::uint8_t* rgba, std::size_t stride, RgbImage& image) {
  const auto width = static_cast<std::size_t>(image.width());
  for (int y = 0; y < image.height(); ++y) {
    const std::uint8_t* in = rgba + static_cast<std::size_t>(y) * stride;
    std::uint8_t* out = image.scanLine(y);
    for (std::size_t x = 0; x < width; ++x, in += 4, out += 3) {
      const unsigned a = in[3];
      for (int c = 0; c < 3; ++c)
        out[c] = static_cast<std::uint8_t>((in[c] * a + 255 * (255 - a) + 127) / 255);
    }
  }
}

}  // namespace kelmarin::codec
