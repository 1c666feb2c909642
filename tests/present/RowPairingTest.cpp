// The pairing of two files' items that --diff prints and "Vergleichen" shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "present/RowPairing.h"

namespace kelmarin {
namespace {

ListingRow Item(std::int32_t section, std::string tag, std::string label, std::string information,
                std::string raw = "") {
  ListingRow row;
  row.section = section;
  row.tag = std::move(tag);
  row.label = std::move(label);
  row.information = std::move(information);
  row.raw = std::move(raw);
  return row;
}

ListingRow Header(std::int32_t section, std::string title) {
  ListingRow row;
  row.kind = RowKind::Header;
  row.section = section;
  row.label = std::move(title);
  return row;
}

// A pair as "A-side|B-side|differs": a side is "tag=information" or "-" when missing.
std::string Describe(const RowPair& pair) {
  const auto side = [](const SectionItem* item) {
    if (item == nullptr) return std::string("-");
    return *item->title + ":" + (item->row->tag.empty() ? item->row->label : item->row->tag) + "=" +
           item->row->information;
  };
  return side(pair.a) + "|" + side(pair.b) + (pair.Differs() ? "|differs" : "|same");
}

std::vector<std::string> Pairs(const std::vector<ListingRow>& a, const std::vector<ListingRow>& b) {
  const std::vector<SectionItem> itemsA = SectionItems(a), itemsB = SectionItems(b);
  std::vector<std::string> out;
  for (const RowPair& pair : PairRows(itemsA, itemsB)) out.push_back(Describe(pair));
  return out;
}

TEST(RowPairing, PairsBySectionAndTagInOrder) {
  struct Case {
    const char* what;
    std::vector<ListingRow> a, b;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"equal rows pair and do not differ; headers name the section",
       {Header(1, "Sektion Main"), Item(1, "0x010F", "Hersteller", "Canon")},
       {Header(1, "Sektion Main"), Item(1, "0x010F", "Hersteller", "Canon")},
       {"Sektion Main:0x010F=Canon|Sektion Main:0x010F=Canon|same"}},
      {"information, label or raw column differing",
       {Item(1, "1", "L", "x"), Item(1, "2", "L", "y"), Item(1, "3", "L", "z", "r1")},
       {Item(1, "1", "L", "X"), Item(1, "2", "M", "y"), Item(1, "3", "L", "z", "r2")},
       {":1=x|:1=X|differs", ":2=y|:2=y|differs", ":3=z|:3=z|differs"}},
      {"A's order, then the items only in B in B's order",
       {Item(1, "2", "", "a2"), Item(1, "1", "", "a1"), Item(1, "9", "", "a9")},
       {Item(1, "8", "", "b8"), Item(1, "1", "", "b1"), Item(1, "7", "", "b7"), Item(1, "2", "", "a2")},
       {":2=a2|:2=a2|same", ":1=a1|:1=b1|differs", ":9=a9|-|differs", "-|:8=b8|differs", "-|:7=b7|differs"}},
      {"the same tag in another section is another item",
       {Item(1, "0x0001", "", "v"), Item(4, "0x0001", "", "N")},
       {Item(2, "0x0001", "", "v"), Item(4, "0x0001", "", "N")},
       {":0x0001=v|-|differs", ":0x0001=N|:0x0001=N|same", "-|:0x0001=v|differs"}},
      {"repeated keys pair n-th with n-th; items without a tag are keyed by their label",
       {Item(5, "25", "Stichwort", "Berg"), Item(5, "25", "Stichwort", "See"), Item(6, "", "Comment", "eins")},
       {Item(5, "25", "Stichwort", "Berg"), Item(6, "", "Comment", "zwei"), Item(6, "", "Other", "eins")},
       {":25=Berg|:25=Berg|same", ":25=See|-|differs", ":Comment=eins|:Comment=zwei|differs",
        "-|:Other=eins|differs"}},
      {"empty files", {}, {Header(1, "Sektion Main"), Item(1, "1", "", "b")}, {"-|Sektion Main:1=b|differs"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Pairs(c.a, c.b), c.expected) << c.what;
}

TEST(RowPairing, SectionItemsSkipHeadersSeparatorsAndTheEmptyRow) {
  std::vector<ListingRow> rows = {Item(1, "1", "", "before"), Header(1, "Sektion Main"), Item(1, "2", "", "x"),
                                  ListingRow{}, Header(4, "Sektion GPS"), Item(4, "3", "", "y")};
  rows[3].kind = RowKind::Separator;
  rows.push_back(ListingRow{});
  rows.back().kind = RowKind::NoItems;
  const std::vector<SectionItem> items = SectionItems(rows);
  ASSERT_EQ(items.size(), 3U);
  EXPECT_EQ(*items[0].title, "");
  EXPECT_EQ(*items[1].title, "Sektion Main");
  EXPECT_EQ(*items[2].title, "Sektion GPS");
  EXPECT_EQ(items[2].row, &rows[5]);
}

}  // namespace
}  // namespace kelmarin
