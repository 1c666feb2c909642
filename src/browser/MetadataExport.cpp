#include "browser/MetadataExport.h"

#include <QSaveFile>

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

}  // namespace

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
