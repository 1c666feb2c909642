// Reading the metadata of one typical camera JPEG: the EXIF block alone, and the whole reading of
// a source with the markers a camera file carries (JFIF, EXIF, ICC profile, IPTC, a comment).

#include <benchmark/benchmark.h>

#include <memory>

#include "SampleExif.h"
#include "extract/ImageMetadata.h"
#include "extract/MetadataReader.h"
#include "metadata/Definitions.h"

namespace {

using namespace kelmarin;

const Definitions& SmallDefinitions() {
  static const Definitions definitions = [] {
    Definitions d;
    d.AddFocalEquiv("Canon", "Canon EOS 40D", 1.6);
    return d;
  }();
  return definitions;
}

void ReadCameraApp1(benchmark::State& state) {
  const auto block =
      test::SampleCameraApp1(state.range(0) == 0 ? ByteOrder::LittleEndian : ByteOrder::BigEndian);
  for (auto _ : state) {
    ImageMetadata image;
    ReadExifBlock(image, block, &SmallDefinitions());
    benchmark::DoNotOptimize(image.camera_feq);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * block.size()));
  state.counters["block_bytes"] = static_cast<double>(block.size());
}
BENCHMARK(ReadCameraApp1)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

std::shared_ptr<const MetadataSource> CameraSource() {
  auto source = std::make_shared<MetadataSource>();
  source->markers.push_back(
      {0xE0, test::Cat({{0xFF, 0xE0, 0, 16}, test::Bytes("JFIF"), std::vector<std::uint8_t>(10)})});
  source->markers.push_back({0xE1, test::SampleCameraApp1()});
  source->markers.push_back(
      {0xE2, test::Cat({{0xFF, 0xE2, 0x0C, 0x5A}, std::vector<std::uint8_t>(3160, 0x11)})});
  source->markers.push_back(
      {0xED, test::App13(test::IptcResource(test::Cat(
                 {test::Dataset(25, "Baum"), test::Dataset(25, "Wald"), test::Dataset(120, "Titel")})))});
  source->comments = {"Kommentar"};
  return source;
}

void WholeExtraction(benchmark::State& state) {
  const auto source = CameraSource();
  for (auto _ : state) {
    const ImageMetadata image = ReadMetadata(4, source, &SmallDefinitions());
    benchmark::DoNotOptimize(image.ExifCount());
    benchmark::DoNotOptimize(image.IptcCount());
    benchmark::DoNotOptimize(image.ImageCommentCount());
  }
}
BENCHMARK(WholeExtraction)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
