// kelmarin: the image browser. One optional argument: a folder to open, or an image file whose
// folder is opened with that file selected; without it, the folder of the last session.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>

#include "browser/QtGerman.h"
#include "browser/Verzeichnis.h"
#include "extract/xmp/XmpVocabulary.h"

namespace {

// The first existing file of: beside the program, the installed data folder relative to the program
// (a moved installation), the installed data folder, the source tree's data folder. When none
// exists, the one beside the program.
QString FindDataFile(const QString& name, const QString& subFolder) {
  const QString programFolder = QCoreApplication::applicationDirPath();
  const QStringList candidates = {
      QDir(programFolder).filePath(name),
      QDir(programFolder).filePath(QStringLiteral("../share/kelmarin/") + subFolder + name),
      QDir(QStringLiteral(KELMARIN_INSTALL_DATA_DIR)).filePath(subFolder + name),
      QDir(QStringLiteral(KELMARIN_SOURCE_DATA_DIR)).filePath(subFolder + name),
  };
  for (const QString& candidate : candidates) {
    if (QFileInfo(candidate).isFile()) return QDir::cleanPath(candidate);
  }
  return candidates.front();
}

QIcon ProgramIcon() {
  QIcon icon = QIcon::fromTheme(QStringLiteral("kelmarin"));
  if (!icon.isNull()) return icon;
  const QStringList candidates = {
      QDir(QCoreApplication::applicationDirPath())
          .filePath(QStringLiteral("../share/icons/hicolor/scalable/apps/kelmarin.svg")),
      QDir(QStringLiteral(KELMARIN_SOURCE_DATA_DIR)).filePath(QStringLiteral("icons/kelmarin.svg")),
  };
  for (const QString& candidate : candidates) {
    if (QFileInfo(candidate).isFile()) return QIcon(candidate);
  }
  return icon;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QCoreApplication::setOrganizationName(QStringLiteral("Tarnwickel"));
  QCoreApplication::setApplicationName(QStringLiteral("Kelmarin"));
  QGuiApplication::setDesktopFileName(QStringLiteral("kelmarin"));
  QApplication::setWindowIcon(ProgramIcon());
  kelmarin::InstallQtGerman(application);

  kelmarin::StartOptions options;
  options.programFolder = QCoreApplication::applicationDirPath();
  options.definitionFile =
      QFile::encodeName(FindDataFile(QStringLiteral("metadata.def"), QString())).toStdString();
  kelmarin::SetXmpVocabularyFile(
      QFile::encodeName(FindDataFile(QStringLiteral("xmp.def"), QString())).toStdString());
  const QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() > 1) options.startArgument = arguments.at(1);

  kelmarin::Verzeichnis window(std::move(options));
  if (!window.Load()) return 1;
  return QApplication::exec();
}
