#pragma once
// The five label texts of the information panel for one image file, as the main window shows them
// and `kelmarin-exif --info` prints them.

#include <cstdint>
#include <optional>
#include <string>

#include "present/TextLocale.h"

namespace kelmarin {

// UTF-8 texts.
struct InfoLabels {
  std::string name;        // i_dateiname: name + "." + extension
  std::string modified;    // i_dateidatum: "zuletzt geändert: Freitag, 24.12.2004 18:05:09"
  std::string size;        // i_dateigröße: "Dateigröße: 1.234.567 Bytes"
  std::string dimensions;  // i_dateidimensionen: "Bildausdehnung: 1600 x 1200 Pixel"
  std::string loadtime;    // i_ladezeit: "Ladezeit: 85 Millisekunden"
};

// name and extension as the file list holds them (extension without the dot; an empty extension
// gives the name alone, without a trailing "."). modified is the moment as the file list shows it
// (local time); none gives "zuletzt geändert: " alone. The weekday, the thousands separator and the
// time separator come from the locale.
InfoLabels MakeInfoLabels(const TextLocale& locale, const std::string& name, const std::string& extension,
                          const std::optional<Moment>& modified, std::int64_t size, std::int32_t width,
                          std::int32_t height, std::int32_t loadTime);

}  // namespace kelmarin
