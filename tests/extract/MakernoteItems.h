#pragma once
// The makernote items a reader made, as one text a test compares in a line.

#include <cstdint>
#include <string>
#include <variant>

#include "extract/ImageMetadata.h"
#include "extract/MetadataReader.h"
#include "metadata/Definitions.h"

namespace kelmarin::test {

// The makernote items of the given directory ("tag=values", texts quoted), or of every directory
// (-1) as "directory:tag=values".
inline std::string MakernoteItems(const ImageMetadata& image, std::int32_t directory = -1) {
  std::string text;
  for (int i = 1; i <= image.ExifCount(kSectionMakernote); ++i) {
    const ZetExif* item = image.ExifPos(kSectionMakernote, i);
    if (directory >= 0 && item->directory != directory) continue;
    if (!text.empty()) text += ' ';
    if (directory < 0 && item->directory != 0) text += std::to_string(item->directory) + ':';
    text += std::to_string(item->tag) + '=';
    for (std::size_t v = 0; v < item->inhalt.size(); ++v) {
      const ExifValue value = item->inhalt[v];
      text += (v > 0 ? "," : "") +
              (value.index() == 0 ? std::to_string(std::get<0>(value)) : "'" + std::get<1>(value) + "'");
    }
  }
  return text;
}

}  // namespace kelmarin::test
