#include "browser/MetadataFilter.h"

namespace kelmarin {

bool RowMatches(const ListingRow& row, const RowFilter& filter) {
  if (filter.hideUnknown && row.label == "???") return false;
  if (filter.text.isEmpty()) return true;
  for (const std::string* column : {&row.tag, &row.label, &row.information, &row.raw}) {
    if (QString::fromStdString(*column).contains(filter.text, Qt::CaseInsensitive)) return true;
  }
  return false;
}

std::vector<std::size_t> FilterRows(const std::vector<ListingRow>& rows, const RowFilter& filter) {
  std::vector<std::size_t> shown;
  shown.reserve(rows.size());
  if (!filter.Active()) {
    for (std::size_t i = 0; i < rows.size(); ++i) shown.push_back(i);
    return shown;
  }
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t separator = kNone;  // the pending empty row and title of the current section
  std::size_t header = kNone;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const ListingRow& row = rows[i];
    switch (row.kind) {
      case RowKind::Separator:
        separator = i;
        header = kNone;
        break;
      case RowKind::Header:
        header = i;
        if (i == 0 || rows[i - 1].kind != RowKind::Separator) separator = kNone;
        break;
      case RowKind::NoItems:
        if (filter.text.isEmpty()) shown.push_back(i);
        break;
      case RowKind::Item:
        if (!RowMatches(row, filter)) break;
        if (header != kNone) {
          if (separator != kNone && !shown.empty()) shown.push_back(separator);
          shown.push_back(header);
          separator = header = kNone;
        }
        shown.push_back(i);
        break;
    }
  }
  return shown;
}

}  // namespace kelmarin
