#include "windows/ProgramVersion.h"

namespace kelmarin {

QString ProgramVersionText(int major, int minor, int revision) {
  QString text = QString::number(major) + QLatin1Char('.') +
                 QStringLiteral("%1").arg(minor, 2, 10, QLatin1Char('0')) + QLatin1Char('.') +
                 QStringLiteral("%1").arg(revision, 2, 10, QLatin1Char('0'));
  return text.replace(QStringLiteral(".0"), QStringLiteral("."));
}

QString VersionCaption(const QString& description, const QString& versionText) {
  const QString caption = QStringLiteral("Version ") + versionText;
  return description.isEmpty() ? caption : description + QLatin1Char(' ') + caption;
}

QString ProgramVersionText() {
  return ProgramVersionText(KELMARIN_VERSION_MAJOR, KELMARIN_VERSION_MINOR, KELMARIN_VERSION_REVISION);
}

}  // namespace kelmarin
