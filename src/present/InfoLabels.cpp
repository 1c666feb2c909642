#include "present/InfoLabels.h"

#include "present/DateText.h"
#include "present/NumberText.h"

namespace kelmarin {

InfoLabels MakeInfoLabels(const QLocale& locale, const QString& name, const QString& extension,
                          const QDateTime& modified, std::int64_t size, std::int32_t width,
                          std::int32_t height, std::int32_t loadTime) {
  InfoLabels labels;
  labels.name = extension.isEmpty() ? name : name + QLatin1Char('.') + extension;
  // "dddd, d.m.yyyy h:mm:ss": full weekday, day and month without leading zero, 24-hour clock.
  const QString separator = TimeSeparator(locale);
  QString format = QStringLiteral("dddd, d.M.yyyy H'") + separator + QStringLiteral("'mm'") + separator +
                   QStringLiteral("'ss");
  labels.modified = QStringLiteral("zuletzt geändert: ");
  // The C locale (no language chosen) would name the weekday in English: the program's is German.
  const QLocale names = locale.language() == QLocale::C ? QLocale(QLocale::German, QLocale::Germany) : locale;
  if (modified.isValid()) labels.modified += names.toString(modified, format);
  labels.size =
      QStringLiteral("Dateigröße: ") + FormatNumber(size, "#,##0", locale) + QStringLiteral(" Bytes");
  labels.dimensions = QStringLiteral("Bildausdehnung: ") + PlainNumberText(width) + QStringLiteral(" x ") +
                      PlainNumberText(height) + QStringLiteral(" Pixel");
  labels.loadtime =
      QStringLiteral("Ladezeit: ") + PlainNumberText(loadTime) + QStringLiteral(" Millisekunden");
  return labels;
}

}  // namespace kelmarin
