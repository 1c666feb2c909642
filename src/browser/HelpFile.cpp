#include "browser/HelpFile.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "metadata/Reporter.h"

namespace kelmarin {

QString FindHelpFile(const QString& programFolder) {
  if (programFolder.isEmpty()) return {};
  const QDir folder(programFolder);
  for (const QString& relative :
       {QStringLiteral("help/index.html"), QStringLiteral("../share/kelmarin/help/index.html")}) {
    const QFileInfo file(QDir::cleanPath(folder.filePath(relative)));
    if (file.isFile()) return file.absoluteFilePath();
  }
  return {};
}

void OpenHelp(const QString& helpFile, Reporter& reporter) {
  if (helpFile.isEmpty() || QDesktopServices::openUrl(QUrl::fromLocalFile(helpFile))) return;
  const QString text =
      QStringLiteral(
          "Die Hilfe kann nicht im Browser geöffnet werden: Für HTML-Seiten ist kein Programm "
          "eingerichtet.\n\nDie Hilfe liegt in:\n%1")
          .arg(QDir::toNativeSeparators(helpFile));
  reporter.Report({"Kelmarin", text.toStdString(), MessageIcon::Information});
}

}  // namespace kelmarin
