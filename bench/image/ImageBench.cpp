// Loading a 24-megapixel JPEG (to compare with djpeg, see compare-djpeg.sh) and drawing it into a
// 120 × 120 pixel preview box.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <span>

#include "BenchSupport.h"
#include "FileWriters.h"
#include "image/Codec.h"

namespace kelmarin::bench {
namespace {

void BM_Load24MegapixelJpeg(benchmark::State& state) {
  const std::string path = TwentyFourMegapixelJpeg();
  for (auto _ : state) {
    ZetImage image;
    std::int32_t b = 0, h = 0, t = 0;
    if (image.load(path, kTypeJpeg, b, h, t) != 0) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(image.pixels().constBits());
  }
}
BENCHMARK(BM_Load24MegapixelJpeg)->Unit(benchmark::kMillisecond)->MinTime(1.5);

// The first image of a session: no kept buffer, the pixel memory comes fresh from the system.
void BM_Load24MegapixelJpegFreshMemory(benchmark::State& state) {
  const std::string path = TwentyFourMegapixelJpeg();
  for (auto _ : state) {
    state.PauseTiming();
    codec::ReleaseKeptPixelMemory();
    state.ResumeTiming();
    ZetImage image;
    std::int32_t b = 0, h = 0, t = 0;
    if (image.load(path, kTypeJpeg, b, h, t) != 0) state.SkipWithError("load failed");
    state.PauseTiming();
    image = ZetImage();
    codec::ReleaseKeptPixelMemory();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Load24MegapixelJpegFreshMemory)->Unit(benchmark::kMillisecond)->MinTime(1.5);

// What djpeg does to the same file without its output: libjpeg's defaults (RGB, islow DCT, fancy
// upsampling), one reused row buffer. The in-process reference for load, free of process start.
void BM_DjpegWork24MegapixelJpeg(benchmark::State& state) {
  const std::string path = TwentyFourMegapixelJpeg();
  for (auto _ : state) {
    const std::uint8_t* last = nullptr;
    if (!samples::DecodeJpegRows(path, [&](int, std::span<const std::uint8_t> row) { last = row.data(); }))
      state.SkipWithError("cannot open");
    benchmark::DoNotOptimize(last);
  }
}
BENCHMARK(BM_DjpegWork24MegapixelJpeg)->Unit(benchmark::kMillisecond)->MinTime(1.5);

void BM_Show24MegapixelInto120Box(benchmark::State& state) {
  ZetImage image;
  std::int32_t b = 0, h = 0, t = 0;
  if (image.load(TwentyFourMegapixelJpeg(), kTypeJpeg, b, h, t) != 0) state.SkipWithError("load failed");
  NullBox box;
  for (auto _ : state) {
    if (image.show(box) != 1) state.SkipWithError("show failed");
    benchmark::DoNotOptimize(box.shown.constBits());
  }
}
BENCHMARK(BM_Show24MegapixelInto120Box)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
}  // namespace kelmarin::bench

BENCHMARK_MAIN();
