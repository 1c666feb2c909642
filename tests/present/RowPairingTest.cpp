// The pairing of two files' items that --diff prints and "Vergleichen" shows.
#include <gtest/gtest.h>

#include "present/RowPairing.h"

namespace kelmarin {
namespace {

// "section/tag=information", a header as "[title]".
ListingRow R(std::int32_t section, std::string tag, std::string information, std::string label = "L",
             std::string raw = "") {
  return TextItemRow(section, std::move(tag), std::move(label), std::move(information), std::move(raw));
}

ListingRow H(std::string title) {
  ListingRow row = R(0, "", "", std::move(title));
  row.kind = RowKind::Header;
  return row;
}

// Each pair as "A|B|+" (differs) or "A|B|=", a side as "title:information" or "-".
std::vector<std::string> Pairs(const std::vector<ListingRow>& a, const std::vector<ListingRow>& b) {
  const auto side = [](const SectionItem* item) {
    return item == nullptr ? std::string("-") : *item->title + ":" + item->row->information;
  };
  const std::vector<SectionItem> itemsA = SectionItems(a), itemsB = SectionItems(b);
  std::vector<std::string> out;
  for (const RowPair& pair : PairRows(itemsA, itemsB))
    out.push_back(side(pair.a) + "|" + side(pair.b) + (pair.Differs() ? "|+" : "|="));
  return out;
}

TEST(RowPairing, PairsBySectionAndTagInOrder) {
  struct Case {
    std::vector<ListingRow> a, b;
    std::vector<std::string> expected;
  };
  ListingRow separator;
  separator.kind = RowKind::Separator;
  const Case cases[] = {
      // Equal rows; titles from the header before; separators are no items.
      {{R(1, "1", "x"), H("Main"), R(1, "2", "y")},
       {R(1, "1", "x"), separator, H("Main"), R(1, "2", "y")},
       {":x|:x|=", "Main:y|Main:y|="}},
      // Information, label or raw column differing.
      {{R(1, "1", "x"), R(1, "2", "y"), R(1, "3", "z", "L", "r")},
       {R(1, "1", "X"), R(1, "2", "y", "M"), R(1, "3", "z", "L", "s")},
       {":x|:X|+", ":y|:y|+", ":z|:z|+"}},
      // A's order with its partners, then the items only in B in B's order; sections keep apart.
      {{R(1, "2", "a2"), R(1, "1", "a1"), R(1, "9", "a9"), R(4, "1", "g")},
       {R(1, "8", "b8"), R(1, "1", "b1"), R(2, "9", "a9"), R(1, "2", "a2"), R(4, "1", "g")},
       {":a2|:a2|=", ":a1|:b1|+", ":a9|-|+", ":g|:g|=", "-|:b8|+", "-|:a9|+"}},
      // Repeated keys n-th with n-th; items without a tag keyed by their label.
      {{R(5, "25", "Berg"), R(5, "25", "See"), R(6, "", "eins", "Comment")},
       {R(5, "25", "Berg"), R(6, "", "zwei", "Comment"), R(6, "", "eins", "Other")},
       {":Berg|:Berg|=", ":See|-|+", ":eins|:zwei|+", "-|:eins|+"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Pairs(c.a, c.b), c.expected);
}

}  // namespace
}  // namespace kelmarin
