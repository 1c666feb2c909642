// The rows of the metadata list for the EXIF blocks the sample generator writes for six camera
// makers (main, Exif, interoperability, makernote, GPS and thumbnail directories).
#include <benchmark/benchmark.h>

#include <memory>

#include "Cameras.h"
#include "extract/MetadataReader.h"
#include "metadata/Definitions.h"
#include "present/Listing.h"

namespace {

using namespace kelmarin;

class NullReporter : public Reporter {
 public:
  void Report(const Message&) override {}
};

const Definitions& Tables() {
  static const std::unique_ptr<Definitions> tables = [] {
    NullReporter reporter;
    return LoadDefinitions(KELMARIN_DEF_FILE, reporter);
  }();
  return *tables;
}

// The APP1 marker (0xFF 0xE1, length, payload) of one maker's sample.
std::vector<std::uint8_t> Marker(samples::Maker maker) {
  const samples::Bytes payload = samples::CameraExif(maker, samples::SampleShot(maker, 480, 320), {});
  std::vector<std::uint8_t> marker = {0xFF, 0xE1, static_cast<std::uint8_t>((payload.size() + 2) >> 8),
                                      static_cast<std::uint8_t>((payload.size() + 2) & 0xFF)};
  marker.insert(marker.end(), payload.begin(), payload.end());
  return marker;
}

constexpr samples::Maker kMakers[] = {samples::Maker::kCanon,   samples::Maker::kNikon,
                                      samples::Maker::kOlympus, samples::Maker::kFujifilm,
                                      samples::Maker::kPentax,  samples::Maker::kPanasonic};

void ListOnly(benchmark::State& state) {
  const Definitions& tables = Tables();
  std::vector<ImageMetadata> images(std::size(kMakers));
  for (std::size_t i = 0; i < images.size(); ++i) ReadExifBlock(images[i], Marker(kMakers[i]), &tables);
  const FormatContext context = MakeFormatContext(TextLocale(), 1.0);
  std::size_t rows = 0;
  ListingCache cache;
  for (auto _ : state) {
    for (ImageMetadata& image : images) rows += FillMetadataList(tables, image, context, cache).size();
  }
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(images.size()));
}
BENCHMARK(ListOnly);

void ReadAndList(benchmark::State& state) {
  const Definitions& tables = Tables();
  std::vector<std::vector<std::uint8_t>> markers;
  for (samples::Maker maker : kMakers) markers.push_back(Marker(maker));
  const FormatContext context = MakeFormatContext(TextLocale(), 1.0);
  ListingCache cache;
  for (auto _ : state) {
    for (const auto& marker : markers) {
      ImageMetadata image;
      ReadExifBlock(image, marker, &tables);
      benchmark::DoNotOptimize(FillMetadataList(tables, image, context, cache));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(markers.size()));
}
BENCHMARK(ReadAndList);

}  // namespace

BENCHMARK_MAIN();
