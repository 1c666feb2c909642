#pragma once
// One file's items as rows of their sections, whatever sections the listing holds: the EXIF
// sections and, after them, the sections the metadata list of the window adds (IPTC, comments and
// any later ones). The CSV form and the comparison of two files (--diff) are written over these.

#include <string>
#include <string_view>
#include <vector>

#include "present/ListingJson.h"
#include "present/RowPairing.h"

namespace kelmarin {
class Definitions;
struct TextLocale;
}  // namespace kelmarin

namespace kelmarin::lister {

// Every row of the window's metadata list for the listing, in its order (headers and separators
// included).
std::vector<ListingRow> EveryRow(const Definitions& definitions, const MetadataListing& listing,
                                 const TextLocale& locale);

// The item rows with their section titles (present/RowPairing.h).
using kelmarin::SectionItem;
using kelmarin::SectionItems;

// The first line of the CSV form, CR LF included.
inline constexpr std::string_view kListingCsvHeader =
    "Datei,Sektion,Tag,Bezeichnung,Information,Rohdaten\r\n";
inline constexpr std::string_view kInfoCsvHeader = "Datei,Name,Datum,Größe,Abmessungen,Ladezeit\r\n";

// One CSV field (RFC 4180): quoted, inner quotes doubled, when it holds a comma, a quote or a line
// break. A field that a spreadsheet would take for a formula (its first character one of = + - @,
// a TAB or a carriage return) gets a leading apostrophe first, so that it stays text.
void AppendCsvField(std::string& out, std::string_view utf8);

// The fields joined by commas and ended by CR LF.
void AppendCsvRecord(std::string& out, std::initializer_list<std::string_view> fields);

// One record per item: the file, the section's title, then the four columns.
void AppendItemCsv(std::string& out, std::string_view fileUtf8, const SectionItem& item);

}  // namespace kelmarin::lister
