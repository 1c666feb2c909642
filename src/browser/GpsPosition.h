#pragma once
// The position of the metadata list's GPS section in decimal degrees, and its place on
// openstreetmap.org.

#include <QString>
#include <QUrl>
#include <optional>
#include <vector>

#include "present/Listing.h"

namespace kelmarin {

struct GpsPosition {
  double latitude = 0.0;   // north positive
  double longitude = 0.0;  // east positive
};

// Degrees from the raw text of a latitude or longitude: up to three comma-separated numbers or
// fractions (degrees, minutes, seconds). Nothing for text that is no such list, a zero
// denominator, or minutes or seconds outside 0 … 60.
std::optional<double> DegreesFromRaw(const QString& raw);

// The position the GPS section's rows give (latitude, longitude and their references "S" and
// "W"); nothing when a coordinate is missing, unreadable or out of range.
std::optional<GpsPosition> PositionOfRows(const std::vector<ListingRow>& rows);

// The position's latitude for the section's latitude row, its longitude for the longitude row.
std::optional<double> RowDegrees(const ListingRow& row, const GpsPosition& position);

// Decimal degrees with six places, in the locale's number form, and the degree sign.
QString DecimalDegreesText(double degrees);

// https://www.openstreetmap.org/?mlat=…&mlon=…#map=15/…/… for the position.
QUrl MapUrl(const GpsPosition& position);

}  // namespace kelmarin
