#pragma once
// The metadata of one image written to a file: CSV for spreadsheets (UTF-8 with byte order mark,
// fields separated by semicolons and quoted where they must be, as German spreadsheets read them)
// or the JSON document of kelmarin-exif --json.

#include <QString>
#include <vector>

#include "present/ListingJson.h"

namespace kelmarin {

// One CSV field: quoted (inner quotes doubled) when it holds a semicolon, a quote, a line break or
// starts or ends with a space; otherwise as it is.
QString CsvField(const QString& text);

// The CSV text: the line "Tag;Bezeichnung;Information;Rohdaten", then one line per row (section
// titles included, empty rows left out), lines ended by CR LF.
QString CsvText(const std::vector<ListingRow>& rows);

// Writes the text as UTF-8 (the CSV with a byte order mark) to path, replacing the file only when
// all of it was written. On failure returns false and a German message in error.
bool WriteCsvFile(const QString& path, const std::vector<ListingRow>& rows, QString& error);
bool WriteJsonFile(const QString& path, const QString& imageFile, const MetadataListing& listing,
                   QString& error);

}  // namespace kelmarin
