#include "browser/HelpFile.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace kelmarin {

QString FindHelpFile(const QString& programFolder) {
  if (programFolder.isEmpty()) return {};
  const QFileInfo file(QDir(programFolder).filePath(QStringLiteral("Kelmarin.chm")));
  return file.isFile() ? file.absoluteFilePath() : QString();
}

void OpenHelp(const QString& helpFile) {
  if (helpFile.isEmpty()) return;
  QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile));
}

}  // namespace kelmarin
