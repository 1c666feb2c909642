#include "present/RowPairing.h"

#include <cstddef>
#include <map>
#include <tuple>
#include <utility>

namespace kelmarin {

namespace {

// Section number, tag column (or label), and which of that key's items in the file it is.
using ItemKey = std::tuple<std::int32_t, std::string, std::size_t>;

std::vector<ItemKey> Keys(const std::vector<SectionItem>& items) {
  std::map<std::pair<std::int32_t, std::string>, std::size_t> seen;
  std::vector<ItemKey> keys;
  keys.reserve(items.size());
  for (const SectionItem& item : items) {
    const ListingRow& row = *item.row;
    std::pair<std::int32_t, std::string> key{row.section, row.tag.empty() ? row.label : row.tag};
    const std::size_t n = seen[key]++;
    keys.emplace_back(key.first, std::move(key.second), n);
  }
  return keys;
}

}  // namespace

std::vector<SectionItem> SectionItems(const std::vector<ListingRow>& rows) {
  static const std::string kNoTitle;
  std::vector<SectionItem> items;
  const std::string* title = &kNoTitle;
  for (const ListingRow& row : rows) {
    if (row.kind == RowKind::Header) title = &row.label;
    if (row.kind == RowKind::Item) items.push_back({title, &row});
  }
  return items;
}

bool RowPair::Differs() const {
  if (a == nullptr || b == nullptr) return true;
  const ListingRow& x = *a->row;
  const ListingRow& y = *b->row;
  return x.label != y.label || x.information != y.information || x.raw != y.raw;
}

std::vector<RowPair> PairRows(const std::vector<SectionItem>& a, const std::vector<SectionItem>& b) {
  const std::vector<ItemKey> keysA = Keys(a), keysB = Keys(b);
  std::map<ItemKey, std::size_t> inB;
  for (std::size_t i = 0; i < keysB.size(); ++i) inB.emplace(keysB[i], i);
  std::vector<bool> paired(b.size(), false);
  std::vector<RowPair> pairs;
  pairs.reserve(a.size() + b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto found = inB.find(keysA[i]);
    if (found == inB.end()) {
      pairs.push_back({&a[i], nullptr});
      continue;
    }
    paired[found->second] = true;
    pairs.push_back({&a[i], &b[found->second]});
  }
  for (std::size_t i = 0; i < b.size(); ++i) {
    if (!paired[i]) pairs.push_back({nullptr, &b[i]});
  }
  return pairs;
}

}  // namespace kelmarin
