#include "present/InfoLabels.h"

#include "present/NumberText.h"

namespace kelmarin {

InfoLabels MakeInfoLabels(const TextLocale& locale, const std::string& name, const std::string& extension,
                          const std::optional<Moment>& modified, std::int64_t size, std::int32_t width,
                          std::int32_t height, std::int32_t loadTime) {
  InfoLabels labels;
  labels.name = extension.empty() ? name : name + '.' + extension;
  // "dddd, d.m.yyyy h:mm:ss": full weekday, day and month without leading zero, 24-hour clock.
  std::string quotedSeparator = "'";
  for (char c : locale.timeSeparator) quotedSeparator += c == '\'' ? std::string("''") : std::string(1, c);
  quotedSeparator += "'";
  const std::string format = "dddd, d.M.yyyy H" + quotedSeparator + "mm" + quotedSeparator + "ss";
  labels.modified = "zuletzt geändert: ";
  if (modified) labels.modified += FormatMoment(locale, *modified, format, MomentFields::Both);
  labels.size = "Dateigröße: " + FormatNumber(size, "#,##0", locale) + " Bytes";
  labels.dimensions =
      "Bildausdehnung: " + PlainNumberText(width) + " x " + PlainNumberText(height) + " Pixel";
  labels.loadtime = "Ladezeit: " + PlainNumberText(loadTime) + " Millisekunden";
  return labels;
}

}  // namespace kelmarin
