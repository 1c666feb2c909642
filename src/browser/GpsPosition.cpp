#include "browser/GpsPosition.h"

#include <QLocale>
#include <QStringList>
#include <cmath>

#include "metadata/Definitions.h"

namespace kelmarin {

namespace {

constexpr std::int32_t kLatitudeRef = 1;
constexpr std::int32_t kLatitude = 2;
constexpr std::int32_t kLongitudeRef = 3;
constexpr std::int32_t kLongitude = 4;

std::optional<double> Number(const QString& text) {
  const qsizetype slash = text.indexOf(QLatin1Char('/'));
  bool ok = false;
  if (slash < 0) {
    const double value = text.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
  }
  bool denominatorOk = false;
  const double numerator = text.left(slash).trimmed().toDouble(&ok);
  const double denominator = text.mid(slash + 1).trimmed().toDouble(&denominatorOk);
  if (!ok || !denominatorOk || denominator == 0.0) return std::nullopt;
  return numerator / denominator;
}

// An item row of the GPS directory (not a title row, not the sub-row of one value of a list).
bool IsGpsItem(const ListingRow& row) {
  return row.kind == RowKind::Item && row.section == kSectionGps && row.position == 0 && row.directory == 0;
}

QString CoordinateText(double degrees) {
  return QString::number(degrees, 'f', 6);
}

}  // namespace

std::optional<double> DegreesFromRaw(const QString& raw) {
  const QStringList parts = raw.split(QLatin1Char(','));
  if (raw.trimmed().isEmpty() || parts.size() > 3) return std::nullopt;
  double degrees = 0.0;
  double scale = 1.0;
  for (qsizetype i = 0; i < parts.size(); ++i) {
    const std::optional<double> value = Number(parts[i]);
    if (!value || !std::isfinite(*value) || *value < 0.0 || (i > 0 && *value >= 60.0)) return std::nullopt;
    degrees += *value / scale;
    scale *= 60.0;
  }
  return degrees;
}

std::optional<GpsPosition> PositionOfRows(const std::vector<ListingRow>& rows) {
  std::optional<double> latitude;
  std::optional<double> longitude;
  bool south = false;
  bool west = false;
  for (const ListingRow& row : rows) {
    if (!IsGpsItem(row)) continue;
    switch (row.tagNumber) {
      case kLatitudeRef:
        south = QString::fromStdString(row.raw).trimmed().startsWith(QLatin1Char('S'), Qt::CaseInsensitive);
        break;
      case kLatitude:
        latitude = DegreesFromRaw(QString::fromStdString(row.raw));
        break;
      case kLongitudeRef:
        west = QString::fromStdString(row.raw).trimmed().startsWith(QLatin1Char('W'), Qt::CaseInsensitive);
        break;
      case kLongitude:
        longitude = DegreesFromRaw(QString::fromStdString(row.raw));
        break;
      default:
        break;
    }
  }
  if (!latitude || !longitude || *latitude > 90.0 || *longitude > 180.0) return std::nullopt;
  return GpsPosition{south ? -*latitude : *latitude, west ? -*longitude : *longitude};
}

std::optional<double> RowDegrees(const ListingRow& row, const GpsPosition& position) {
  if (!IsGpsItem(row)) return {};
  if (row.tagNumber == kLatitude) return position.latitude;
  if (row.tagNumber == kLongitude) return position.longitude;
  return {};
}

QString DecimalDegreesText(double degrees) {
  return QLocale().toString(degrees, 'f', 6) + QChar(0x00B0);
}

QUrl MapUrl(const GpsPosition& position) {
  const QString latitude = CoordinateText(position.latitude);
  const QString longitude = CoordinateText(position.longitude);
  return QUrl(QStringLiteral("https://www.openstreetmap.org/?mlat=%1&mlon=%2#map=15/%1/%2").arg(latitude, longitude));
}

}  // namespace kelmarin
