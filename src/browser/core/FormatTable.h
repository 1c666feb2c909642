#pragma once
// The image formats of the file list: one box per row of the format registry, in its order (the
// settings keep the boxes by their place).

#include <cstddef>
#include <string_view>

#include "image/meta/Formats.h"

namespace kelmarin {

using FormatBox = Format;

inline constexpr std::size_t kFormatBoxCount = kFormatCount;

inline const std::array<Format, kFormatCount>& kFormatBoxes = kImageFormats;

// True when the extension is one of the box's, compared whole and without regard to case.
inline bool BoxHasExtension(const FormatBox& box, std::string_view extension) {
  return HasExtension(box, extension);
}

}  // namespace kelmarin
