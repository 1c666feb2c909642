#pragma once
// Qt's own texts (the file dialog's "Suchen in", the buttons "Speichern" and "Abbrechen", the system's
// error texts) in German, as the rest of the program speaks, whatever the user's locale.

class QCoreApplication;

namespace kelmarin {

// Installs Qt's German catalogue (Debian: qt6-translations-l10n) on the application, which owns it.
// Returns false, and leaves Qt's texts English, when the catalogue is not installed.
bool InstallQtGerman(QCoreApplication& application);

}  // namespace kelmarin
