#pragma once
// The program's version as the about window writes it.

#include <QString>

namespace kelmarin {

// major + "." + minor with two digits + "." + revision with two digits, then every ".0" replaced by
// "." from left to right: 1, 0, 3 gives "1.0.3"; 1, 10, 5 gives "1.10.5"; 1, 2, 0 gives "1.2.0".
QString ProgramVersionText(int major, int minor, int revision);

// "Version " + versionText, preceded by description + " " when the description is not empty.
QString VersionCaption(const QString& description, const QString& versionText);

// This build's version text, from the project version.
QString ProgramVersionText();

}  // namespace kelmarin
