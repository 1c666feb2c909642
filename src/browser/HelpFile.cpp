#include "browser/HelpFile.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace kelmarin {

QString FindHelpFile(const QString& programFolder) {
  if (programFolder.isEmpty()) return {};
  const QDir folder(programFolder);
  for (const QString& relative : {QStringLiteral("help/index.html"),
                                  QStringLiteral("../share/kelmarin/help/index.html")}) {
    const QFileInfo file(QDir::cleanPath(folder.filePath(relative)));
    if (file.isFile()) return file.absoluteFilePath();
  }
  return {};
}

void OpenHelp(const QString& helpFile) {
  if (helpFile.isEmpty()) return;
  QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile));
}

}  // namespace kelmarin
