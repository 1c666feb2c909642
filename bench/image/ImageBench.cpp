// Loading a 24-megapixel JPEG (to compare with djpeg, see compare-djpeg.sh) and drawing it into a
// 120 × 120 pixel preview box.

#include <benchmark/benchmark.h>

#include "BenchSupport.h"

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
BENCHMARK(BM_Load24MegapixelJpeg)->Unit(benchmark::kMillisecond)->MinTime(3.0);

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
BENCHMARK(BM_Show24MegapixelInto120Box)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace kelmarin::bench

BENCHMARK_MAIN();
