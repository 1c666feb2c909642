#pragma once
// The "Information" column: one metadata item as display text, by section, tag and the display
// code of its definition. Pure: reads the definitions and the context, keeps no state.

#include <QLocale>
#include <QString>
#include <cstdint>

#include "extract/ImageMetadata.h"
#include "present/NumberText.h"

namespace kelmarin {

class Definitions;

struct FormatContext {
  QLocale locale;            // dates, the locale number text of GPS code 2
  QString decimalSeparator;  // the locale's decimal separator (DecimalSeparator(locale))
  double camera_feq = 1.0;   // the current image's focal-length factor
  // The locale's number symbols and date and time forms, taken once by MakeFormatContext (asking
  // the system locale for them on every value is slow). Left empty, FormatValue takes them from
  // `locale` on each call.
  NumberSymbols symbols;
  QString shortDateFormat;
  QString longTimeFormat;
};

// The text that formatting 0 with the pattern "." yields in the locale: its decimal separator.
QString DecimalSeparator(const QLocale& locale);

// A context for the locale and factor, with the separator, symbols and forms filled in.
FormatContext MakeFormatContext(const QLocale& locale, double cameraFeq);

// The display text of the item (possibly empty). Never fails: values a rule cannot compute are
// shown as they stand (see the rules' comments).
QString FormatValue(const Definitions& definitions, const FormatContext& context, std::int32_t maker,
                    const ZetExif& item, std::int32_t section);

// Text bytes from an image for display: UTF-8 when valid, else Windows-1252.
QString ImageText(const std::string& bytes);

}  // namespace kelmarin
