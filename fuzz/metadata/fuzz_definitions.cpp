// Arbitrary bytes as the contents of metadata.def: the loader either fills the tables or reports one
// message, and never crashes, leaks or reads out of bounds.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "metadata/Definitions.h"
#include "metadata/Text.h"

namespace {

class CountingReporter : public kelmarin::Reporter {
 public:
  void Report(const kelmarin::Message& message) override {
    ++count;
    if (!kelmarin::IsValidUtf8(message.caption) || !kelmarin::IsValidUtf8(message.text)) std::abort();
  }
  int count = 0;
};

// Exercises the look-ups on what was loaded, so the tables are walked under the sanitizers.
void Probe(const kelmarin::Definitions& defs) {
  for (const auto& [key, tag] : defs.mainTags) {
    for (int i = 1; i <= tag.inqnicecount(); ++i) (void)tag.inqnice(i).bezeichnung.size();
    if (defs.FindTag(0, kelmarin::kSectionMain, tag.tag, tag.position) != &tag) std::abort();
  }
  for (const auto& [maker, layout] : defs.makernoteTable) {
    for (const auto& [key, tag] : layout.exif_tags) {
      if (defs.TagName(maker, kelmarin::kSectionMakernote, tag.tag, tag.position) != tag.bezeichnung)
        std::abort();
    }
  }
  for (const auto& [model, entry] : defs.focalEquivTable) {
    if (defs.FocalEquivFactor("", model) != entry.multiplier) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  CountingReporter reporter;
  const auto defs = kelmarin::LoadDefinitions(in, reporter);
  if ((defs == nullptr) != (reporter.count == 1) || reporter.count > 1) std::abort();
  if (defs) Probe(*defs);
  return 0;
}
