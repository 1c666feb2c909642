#include "browser/QtGerman.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kelmarin {

bool InstallQtGerman(QCoreApplication& application) {
  auto* translator = new QTranslator(&application);
  // "qt_de" loads the catalogues of every Qt module it names (qtbase_de and the others).
  if (!translator->load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qt"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

}  // namespace kelmarin
