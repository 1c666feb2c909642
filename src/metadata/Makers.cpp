// The maker registry's look-ups.

#include "metadata/Makers.h"

#include <algorithm>

#include "metadata/Text.h"

namespace kelmarin {

const MakerLayout* FindMakerLayout(std::string_view name) {
  const auto layout = std::find_if(kMakerLayouts.begin(), kMakerLayouts.end(),
                                   [&](const MakerLayout& l) { return EqualsNoCase(name, l.name); });
  return layout == kMakerLayouts.end() ? nullptr : &*layout;
}

}  // namespace kelmarin
