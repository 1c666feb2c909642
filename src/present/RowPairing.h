#pragma once
// Which item rows of two images belong together: the comparison of two files, as kelmarin-exif
// --diff prints it and the window's "Vergleichen" shows it side by side. Toolkit-free.

#include <string>
#include <vector>

#include "present/Listing.h"

namespace kelmarin {

// An item row with the title of the section it stands in. Points into the rows it came from, which
// must outlive it.
struct SectionItem {
  const std::string* title;
  const ListingRow* row;
};

// The item rows in order, each with the title of the header row before it ("" before any header).
std::vector<SectionItem> SectionItems(const std::vector<ListingRow>& rows);

// One item of A with its partner in B, or an item in only one of the two (the other side null).
// Points into the item lists it came from.
struct RowPair {
  const SectionItem* a = nullptr;
  const SectionItem* b = nullptr;
  // In one file only, or the label, information or raw column differs.
  bool Differs() const;
};

// Pairs the items of A and B. An item is keyed by its section and its tag column (an item without a
// tag, such as a comment, by its label); the n-th item of the same key in A is paired with the n-th
// in B. Every item of A comes in A's order (with its partner or alone), then the items only in B, in
// B's order.
std::vector<RowPair> PairRows(const std::vector<SectionItem>& a, const std::vector<SectionItem>& b);

}  // namespace kelmarin
