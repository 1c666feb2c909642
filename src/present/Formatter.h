#pragma once
// The "Information" column: one metadata item as display text, by section, tag and the display
// code of its definition. Pure: reads the definitions and the context, keeps no state.

#include <QLocale>
#include <QString>
#include <cstdint>

#include "extract/ImageMetadata.h"

namespace kelmarin {

class Definitions;

struct FormatContext {
  QLocale locale;            // dates, the locale number text of GPS code 2
  QString decimalSeparator;  // the locale's decimal separator (DecimalSeparator(locale))
  double camera_feq = 1.0;   // the current image's focal-length factor
};

// The text that formatting 0 with the pattern "." yields in the locale: its decimal separator.
QString DecimalSeparator(const QLocale& locale);

// A context for the locale and factor, with the separator filled in.
FormatContext MakeFormatContext(const QLocale& locale, double cameraFeq);

QString FormatValue(const Definitions& definitions, const FormatContext& context, std::int32_t maker,
                    const ZetExif& item, std::int32_t section);

// Text bytes from an image for display: UTF-8 when valid, else Windows-1252.
QString ImageText(const std::string& bytes);

}  // namespace kelmarin
