#include "windows/ComponentList.h"

#include <QSysInfo>
#include <QtGlobal>

#include "windows/LibraryVersions.h"

namespace kelmarin {

QString VersionOrNV(const std::string& version) {
  return version.empty() ? QStringLiteral("NV") : QString::fromStdString(version);
}

// The system's name and version as Qt tells them, on whatever system the program was built for.
ComponentRow OperatingSystemRow() {
  QString kernel = QSysInfo::kernelType();
  if (!kernel.isEmpty()) kernel[0] = kernel[0].toUpper();
  const QString product = QSysInfo::prettyProductName();
  const QString release = QSysInfo::kernelVersion();
  QString version = product;
  if (!release.isEmpty()) version += QStringLiteral(" (") + release + QLatin1Char(')');
  return {kernel.isEmpty() ? QStringLiteral("System") : kernel,
          version.trimmed().isEmpty() ? QStringLiteral("NV") : version.trimmed()};
}

std::vector<ComponentRow> ComponentRows() {
  std::vector<ComponentRow> rows;
  rows.push_back(OperatingSystemRow());
  rows.push_back({QStringLiteral("Qt"), VersionOrNV(qVersion())});
  rows.push_back({QString(), QString()});
  for (const LibraryVersion& library : ImagingLibraryVersions()) {
    rows.push_back({QString::fromStdString(library.component), VersionOrNV(library.version)});
  }
  return rows;
}

}  // namespace kelmarin
