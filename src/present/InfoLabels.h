#pragma once
// The five label texts of the information panel for one image file, as the main window shows them
// and `kelmarin-exif --info` prints them.

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <cstdint>

namespace kelmarin {

struct InfoLabels {
  QString name;        // i_dateiname: name + "." + extension
  QString modified;    // i_dateidatum: "zuletzt geändert: Freitag, 24.12.2004 18:05:09"
  QString size;        // i_dateigröße: "Dateigröße: 1.234.567 Bytes"
  QString dimensions;  // i_dateidimensionen: "Bildausdehnung: 1600 x 1200 Pixel"
  QString loadtime;    // i_ladezeit: "Ladezeit: 85 Millisekunden"
};

// name and extension as the file list holds them (extension without the dot; an empty extension
// gives the name alone, without a trailing "."). modified is shown in its own time spec (the file
// list gives local time); an invalid date gives "zuletzt geändert: " alone. The weekday and the
// thousands separator come from the locale (the weekday is German in the C locale); the time
// separator is the locale's.
InfoLabels MakeInfoLabels(const QLocale& locale, const QString& name, const QString& extension,
                          const QDateTime& modified, std::int64_t size, std::int32_t width,
                          std::int32_t height, std::int32_t loadTime);

}  // namespace kelmarin
