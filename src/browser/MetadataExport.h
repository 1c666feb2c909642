#pragma once
// The metadata of one image written to a file: CSV for spreadsheets (UTF-8 with byte order mark,
// fields separated by semicolons and quoted where they must be, as German spreadsheets read them)
// or the JSON document of kelmarin-exif --json. Where it goes: a name made from the image's, safe on
// every file system, in the image's folder.

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
// The file name proposed for the export of imageFile: its name without the last extension, every
// character that some file system refuses (\ / : * ? " < > |, control characters) made "_", no dots
// or spaces at the end, at most 200 UTF-8 bytes, and extension (".csv") appended. "metadaten" + the
// extension when nothing of the name is left.
QString ExportFileName(const QString& imageFile, const QString& extension);

// The folder the export dialog starts in: the image's folder when it can be written, else the user's
// pictures folder (the home folder when there is none).
QString ExportFolder(const QString& imageFile);

// path with extension appended unless it already ends with it (in any case).
QString WithExtension(const QString& path, const QString& extension);

bool WriteCsvFile(const QString& path, const std::vector<ListingRow>& rows, QString& error);
bool WriteJsonFile(const QString& path, const QString& imageFile, const MetadataListing& listing,
                   QString& error);

}  // namespace kelmarin
