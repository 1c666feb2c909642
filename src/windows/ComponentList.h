#pragma once
// The rows of the about window's component list: the operating system, the toolkit, a separator
// row, and the imaging libraries, each with its version.

#include <QString>
#include <string>
#include <vector>

namespace kelmarin {

struct ComponentRow {
  QString komponente;
  QString version;
};

// The version column's text: the version, or "NV" when it cannot be told (empty).
QString VersionOrNV(const std::string& version);

// The operating-system row, from QSysInfo: the kernel's name ("Linux") with the product name and the
// kernel version, e.g. "Debian GNU/Linux 12 (bookworm) (6.1.0-18-amd64)"; "NV" when neither is known.
ComponentRow OperatingSystemRow();

// All rows in display order. The separator row has empty texts.
std::vector<ComponentRow> ComponentRows();

}  // namespace kelmarin
