#include "browser/MetadataExport.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace kelmarin {

namespace {

bool WriteBytes(const QString& path, const QByteArray& bytes, QString& error) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    error = QStringLiteral("Die Datei „%1“ kann nicht geschrieben werden:\n%2").arg(path, file.errorString());
    return false;
  }
  return true;
}

// File names longer than 255 bytes are refused by most file systems; the extension and a "-2" that
// a user might add still fit.
constexpr qsizetype kMaxNameBytes = 200;

bool RefusedInNames(QChar c) {
  return c.unicode() < 0x20 || c.unicode() == 0x7F || QStringView(u"\\/:*?\"<>|").contains(c);
}

}  // namespace

QString ExportFileName(const QString& imageFile, const QString& extension) {
  QString name = QFileInfo(imageFile).completeBaseName();
  for (QChar& c : name) {
    if (RefusedInNames(c)) c = QLatin1Char('_');
  }
  while (name.toUtf8().size() > kMaxNameBytes)
    name.chop(name.size() >= 2 && name.back().isLowSurrogate() ? 2 : 1);
  while (!name.isEmpty() && (name.back() == QLatin1Char('.') || name.back().isSpace())) name.chop(1);
  while (!name.isEmpty() && name.front().isSpace()) name.remove(0, 1);
  return (name.isEmpty() ? QStringLiteral("metadaten") : name) + extension;
}

QString ExportFolder(const QString& imageFile) {
  const QFileInfo folder(QFileInfo(imageFile).absolutePath());
  if (!imageFile.isEmpty() && folder.isDir() && folder.isWritable()) return folder.absoluteFilePath();
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  return QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

QString WithExtension(const QString& path, const QString& extension) {
  return path.endsWith(extension, Qt::CaseInsensitive) ? path : path + extension;
}

QString CsvField(const QString& text) {
  const bool quote = text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) ||
                     text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                     text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' '));
  if (!quote) return text;
  QString quoted = text;
  quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString CsvText(const std::vector<ListingRow>& rows) {
  QString text = QStringLiteral("Tag;Bezeichnung;Information;Rohdaten\r\n");
  for (const ListingRow& row : rows) {
    if (row.kind == RowKind::Separator) continue;
    text += CsvField(QString::fromStdString(row.tag)) + QLatin1Char(';') +
            CsvField(QString::fromStdString(row.label)) + QLatin1Char(';') +
            CsvField(QString::fromStdString(row.information)) + QLatin1Char(';') +
            CsvField(QString::fromStdString(row.raw)) + QLatin1String("\r\n");
  }
  return text;
}

bool WriteCsvFile(const QString& path, const std::vector<ListingRow>& rows, QString& error) {
  return WriteBytes(path, QByteArray("\xEF\xBB\xBF") + CsvText(rows).toUtf8(), error);
}

bool WriteJsonFile(const QString& path, const QString& imageFile, const MetadataListing& listing,
                   QString& error) {
  const std::string json = MetadataJsonDocument(imageFile.toStdString(), listing);
  return WriteBytes(path, QByteArray(json.data(), static_cast<qsizetype>(json.size())), error);
}

}  // namespace kelmarin
