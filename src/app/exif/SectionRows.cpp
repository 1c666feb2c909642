#include "SectionRows.h"

#include "present/MetadataSections.h"

namespace kelmarin::lister {

std::vector<ListingRow> EveryRow(const Definitions& definitions, const MetadataListing& listing,
                                 const TextLocale& locale) {
  return EveryListRow(&definitions, listing, locale);
}

void AppendCsvField(std::string& out, std::string_view utf8) {
  const bool formula =
      !utf8.empty() && std::string_view("=+-@\t\r").find(utf8.front()) != std::string_view::npos;
  if (!formula && utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
    out += utf8;
    return;
  }
  out += '"';
  if (formula) out += '\'';
  for (char c : utf8) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void AppendCsvRecord(std::string& out, std::initializer_list<std::string_view> fields) {
  bool first = true;
  for (std::string_view field : fields) {
    if (!first) out += ',';
    first = false;
    AppendCsvField(out, field);
  }
  out += "\r\n";
}

void AppendItemCsv(std::string& out, std::string_view fileUtf8, const SectionItem& item) {
  const ListingRow& row = *item.row;
  AppendCsvRecord(out, {fileUtf8, *item.title, row.tag, row.label, row.information, row.raw});
}

}  // namespace kelmarin::lister
