#pragma once
// The "Information" column: one metadata item as display text, by section, tag and the display
// code of its definition. Pure: reads the definitions and the context, keeps no state.

#include <cstdint>
#include <string>

#include "extract/ImageMetadata.h"
#include "present/NumberText.h"

namespace kelmarin {

class Definitions;

struct FormatContext {
  TextLocale locale;        // numbers, dates, the locale number text of GPS code 2
  double camera_feq = 1.0;  // the current image's focal-length factor
  bool countsFromZero = false;  // ImageMetadata::countsFromZero of the current image
};

// A context for the locale and factor.
FormatContext MakeFormatContext(const TextLocale& locale, double cameraFeq);

// The display text of the item (possibly empty). Never fails: values a rule cannot compute are
// shown as they stand (see the rules' comments).
std::string FormatValue(const Definitions& definitions, const FormatContext& context, std::int32_t maker,
                    const ZetExif& item, std::int32_t section);

// Text bytes from an image for display: UTF-8 when valid, else read as Windows-1252.
std::string ImageText(const std::string& bytes);

}  // namespace kelmarin
