#pragma once
// Which rows of the metadata list a search shows: the items whose tag number, label, information or
// raw text holds the search text (in any case), each under its section's title.

#include <QString>
#include <cstddef>
#include <vector>

#include "present/Listing.h"

namespace kelmarin {

struct RowFilter {
  QString text;              // empty: every item matches
  bool hideUnknown = false;  // items labelled "???" are left out
  bool Active() const { return !text.isEmpty() || hideUnknown; }
};

// Whether the item row passes the filter.
bool RowMatches(const ListingRow& row, const RowFilter& filter);

// The positions of the rows to show, in order: every matching item, the title of each section with
// a matching item and the empty row before that title (never as the first row shown). The
// "Keine Exif Infos" row shows only without a search text. An inactive filter shows every row.
std::vector<std::size_t> FilterRows(const std::vector<ListingRow>& rows, const RowFilter& filter);

}  // namespace kelmarin
