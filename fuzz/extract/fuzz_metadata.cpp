// libFuzzer target: the whole metadata reading of a JPEG and a PNG image from one metadata source
// cut out of the fuzzer's bytes, with definitions that know a few focal-length factors.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "FuzzInput.h"
#include "extract/ImageMetadata.h"
#include "metadata/Definitions.h"

namespace {

const kelmarin::Definitions& SmallDefinitions() {
  static const auto definitions = [] {
    auto d = std::make_unique<kelmarin::Definitions>();
    d->AddFocalEquiv("NIKON", "E950", 4.8);
    d->AddFocalEquiv("Canon", "Canon EOS 40D", 1.6);
    d->AddFocalEquiv("FUJIFILM", "FinePix E500", 5.6);
    return d;
  }();
  return *definitions;
}

void Query(const kelmarin::ImageMetadata& image) {
  for (std::int32_t section = 0; section <= 5; ++section) {
    const std::int32_t count = image.ExifCount(section);
    for (std::int32_t i = 1; i <= count; ++i) {
      const kelmarin::ZetExif* item = image.ExifPos(section, i);
      if (item == nullptr || image.ExifTag(section, item->tag) == nullptr) __builtin_trap();
    }
  }
  for (std::int32_t i = 1; i <= image.IptcCount(); ++i) image.IptcTag(image.IptcPos(i)->tag);
  for (std::int32_t i = 1; i <= image.ImageCommentCount(); ++i) {
    if (image.ImageCommentItem(image.ImageCommentPos(i)->key) == nullptr) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto source =
      std::make_shared<const kelmarin::MetadataSource>(kelmarin::fuzz::SourceFromBytes({data, size}));
  for (std::int32_t type : {4, 8}) {
    const kelmarin::ImageMetadata image = kelmarin::ReadMetadata(type, source, &SmallDefinitions());
    Query(image);
  }
  return 0;
}
