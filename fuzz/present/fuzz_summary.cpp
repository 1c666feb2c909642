// libFuzzer target: "Auf einen Blick" of an EXIF block made of the fuzzer's bytes (the TIFF stream of
// an APP1 marker), read with the shipped definitions, and its JSON member.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "extract/ImageMetadata.h"
#include "metadata/Definitions.h"
#include "metadata/Reporter.h"
#include "present/ListingJson.h"
#include "present/Summary.h"

namespace {

class Quiet : public kelmarin::Reporter {
 public:
  void Report(const kelmarin::Message&) override {}
};

const kelmarin::Definitions* Tables() {
  static const std::unique_ptr<kelmarin::Definitions> tables = [] {
    Quiet quiet;
    return kelmarin::LoadDefinitions(KELMARIN_DEF_FILE, quiet);
  }();
  return tables.get();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kelmarin::Definitions* tables = Tables();
  if (size > 60000 || tables == nullptr) return 0;
  auto source = std::make_shared<kelmarin::MetadataSource>();
  std::vector<std::uint8_t> marker = {0xFF,
                                      0xE1,
                                      static_cast<std::uint8_t>((size + 8) >> 8),
                                      static_cast<std::uint8_t>(size + 8),
                                      'E',
                                      'x',
                                      'i',
                                      'f',
                                      0,
                                      0};
  marker.insert(marker.end(), data, data + size);
  source->markers.push_back({0xE1, std::move(marker)});
  const kelmarin::ImageMetadata metadata = kelmarin::ReadMetadata(4, source, tables);
  kelmarin::MetadataListing listing;
  const kelmarin::TextLocale german;
  listing.rows = kelmarin::FillMetadataList(*tables, metadata, kelmarin::MakeFormatContext(german, 1.0));
  kelmarin::FillIptcAndComments(metadata, listing);
  const kelmarin::PhotoSummary summary = kelmarin::SummarizePhoto(*tables, metadata, listing, german);
  std::string json;
  kelmarin::AppendSummaryJson(json, summary);
  if (json.empty() || json.back() != ',') __builtin_trap();
  return 0;
}
