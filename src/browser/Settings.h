#pragma once
// The settings kept from one run to the next: QSettings("Tarnwickel", "Kelmarin") (the registry on
// Windows, ~/.config/Tarnwickel/Kelmarin.conf on Linux), one group per section, every value a text.
// Failures are never reported: reading gives the default, writing and deleting are ignored.

#include <QString>
#include <optional>

namespace kelmarin {

inline constexpr char16_t kOrganisation[] = u"Tarnwickel";
inline constexpr char16_t kApplication[] = u"Kelmarin";
// The section of the view's own values beyond the long-standing ones (hidden folders, column
// widths, the search).
inline const QString kViewSection = QStringLiteral("Ansicht");

// The stored text of section/name, or defaultValue when there is none.
QString ReadSetting(const QString& section, const QString& name, const QString& defaultValue);
// Stores value as text, written through to the store at once.
void WriteSetting(const QString& section, const QString& name, const QString& value);
// Removes the whole section, written through to the store at once.
void DeleteSettingSection(const QString& section);

// A stored text as a number; nullopt for text that is no number (which counts as absent), also
// for infinities and NaN. Accepts "1234", " 1234 ", "4560.5" (always "." as decimal point).
std::optional<double> SettingNumber(const QString& text);

}  // namespace kelmarin
