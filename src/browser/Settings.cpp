#include "browser/Settings.h"

#include <QSettings>
#include <cmath>

namespace kelmarin {

QString ReadSetting(const QString& section, const QString& name, const QString& defaultValue) {
  QSettings settings(QString::fromUtf16(kOrganisation), QString::fromUtf16(kApplication));
  settings.beginGroup(section);
  const QVariant value = settings.value(name);
  if (!value.isValid() || !value.canConvert<QString>()) return defaultValue;
  return value.toString();
}

void WriteSetting(const QString& section, const QString& name, const QString& value) {
  QSettings settings(QString::fromUtf16(kOrganisation), QString::fromUtf16(kApplication));
  settings.beginGroup(section);
  settings.setValue(name, value);
  settings.endGroup();
  settings.sync();
}

void DeleteSettingSection(const QString& section) {
  QSettings settings(QString::fromUtf16(kOrganisation), QString::fromUtf16(kApplication));
  settings.remove(section);
  settings.sync();
}

std::optional<double> SettingNumber(const QString& text) {
  bool ok = false;
  const double value = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace kelmarin
