#pragma once
// The program's help: a German HTML help, "help/index.html" beside the program (the build tree) or in
// the installed data folder "../share/kelmarin/help" relative to it; registered once at start-up.

#include <QString>

namespace kelmarin {

class Reporter;

// The full path of the help's start page for the program in programFolder when a regular file is
// there (a link to one counts); otherwise "" (no help).
QString FindHelpFile(const QString& programFolder);

// Opens the help file in the desktop's browser, without owner window. An empty path does nothing.
// When no browser can be started for it (no xdg-open, no desktop), the reporter tells the user so,
// with the help file's path to open by hand; what a browser does with the file is its own affair.
void OpenHelp(const QString& helpFile, Reporter& reporter);

}  // namespace kelmarin
