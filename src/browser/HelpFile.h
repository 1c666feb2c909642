#pragma once
// The program's help: "Kelmarin.chm" in the program folder, registered once at start-up.

#include <QString>

namespace kelmarin {

// The full path of "Kelmarin.chm" in programFolder when a regular file of that name is there
// (a link to one counts); otherwise "" (no help).
QString FindHelpFile(const QString& programFolder);

// Opens the help file with the desktop's viewer for it, without owner window. An empty path does
// nothing; what the viewer does with the file is its own affair.
void OpenHelp(const QString& helpFile);

}  // namespace kelmarin
