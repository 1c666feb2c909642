#include "Diff.h"

#include <map>
#include <optional>
#include <tuple>

#include "FileListing.h"
#include "ImageModule.h"
#include "Lister.h"
#include "Output.h"
#include "SectionRows.h"
#include "metadata/Text.h"

namespace kelmarin::lister {

namespace {

// Section number, tag column (or label), and which of that key's items in the file it is.
using ItemKey = std::tuple<std::int32_t, std::string, std::size_t>;

std::vector<ItemKey> Keys(const std::vector<SectionItem>& items) {
  std::map<std::pair<std::int32_t, std::string>, std::size_t> seen;
  std::vector<ItemKey> keys;
  for (const SectionItem& item : items) {
    const ListingRow& row = *item.row;
    std::pair<std::int32_t, std::string> key{row.section, row.tag.empty() ? row.label : row.tag};
    const std::size_t n = seen[key]++;
    keys.emplace_back(key.first, std::move(key.second), n);
  }
  return keys;
}

bool SameColumns(const ListingRow& a, const ListingRow& b) {
  return a.label == b.label && a.information == b.information && a.raw == b.raw;
}

struct Difference {
  const SectionItem* a = nullptr;
  const SectionItem* b = nullptr;
};

std::vector<Difference> Differences(const std::vector<SectionItem>& a, const std::vector<SectionItem>& b) {
  const std::vector<ItemKey> keysA = Keys(a), keysB = Keys(b);
  std::map<ItemKey, std::size_t> inB;
  for (std::size_t i = 0; i < keysB.size(); ++i) inB.emplace(keysB[i], i);
  std::vector<bool> paired(b.size(), false);
  std::vector<Difference> differences;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto found = inB.find(keysA[i]);
    if (found == inB.end()) {
      differences.push_back({&a[i], nullptr});
      continue;
    }
    paired[found->second] = true;
    if (!SameColumns(*a[i].row, *b[found->second].row)) differences.push_back({&a[i], &b[found->second]});
  }
  for (std::size_t i = 0; i < b.size(); ++i) {
    if (!paired[i]) differences.push_back({nullptr, &b[i]});
  }
  return differences;
}

void AppendTextLine(std::string& out, char mark, const SectionItem& item) {
  out += mark;
  for (const std::string* column :
       {item.title, &item.row->tag, &item.row->label, &item.row->information, &item.row->raw}) {
    out += '\t';
    AppendEscapedText(out, *column);
  }
  out += '\n';
}

void AppendSideJson(std::string& out, const SectionItem* item) {
  if (item == nullptr) {
    out += "null";
    return;
  }
  out += "{\"label\":";
  AppendJsonString(out, item->row->label);
  out += ",\"information\":";
  AppendJsonString(out, item->row->information);
  out += ",\"raw\":";
  AppendJsonString(out, item->row->raw);
  out += '}';
}

void AppendDifferenceJson(std::string& out, const Difference& d) {
  const SectionItem& item = d.a != nullptr ? *d.a : *d.b;
  out += "{\"section\":" + std::to_string(item.row->section) + ",\"title\":";
  AppendJsonString(out, *item.title);
  out += ",\"tag\":";
  AppendJsonString(out, item.row->tag);
  out += ",\"label\":";
  AppendJsonString(out, item.row->label);
  out += ",\"a\":";
  AppendSideJson(out, d.a);
  out += ",\"b\":";
  AppendSideJson(out, d.b);
  out += '}';
}

void Render(const ListerOptions& options, const std::vector<Difference>& differences, std::string& out) {
  const std::string a = BytesToUtf8(options.files[0]), b = BytesToUtf8(options.files[1]);
  if (options.json) {
    out += "{\"a\":";
    AppendJsonString(out, a);
    out += ",\"b\":";
    AppendJsonString(out, b);
    out += ",\"differences\":[";
    for (std::size_t i = 0; i < differences.size(); ++i) {
      if (i > 0) out += ',';
      AppendDifferenceJson(out, differences[i]);
    }
    out += "]}\n";
  } else if (options.csv) {
    out += kListingCsvHeader;
    for (const Difference& d : differences) {
      if (d.a != nullptr) AppendItemCsv(out, a, *d.a);
      if (d.b != nullptr) AppendItemCsv(out, b, *d.b);
    }
  } else {
    for (const std::string* path : {&options.files[0], &options.files[1]}) {
      out += "# ";
      AppendEscapedPath(out, *path);
      out += '\n';
    }
    for (const Difference& d : differences) {
      if (d.a != nullptr) AppendTextLine(out, '<', *d.a);
      if (d.b != nullptr) AppendTextLine(out, '>', *d.b);
    }
  }
}

}  // namespace

int DiffFiles(const ListerOptions& options, const Definitions& definitions, const TextLocale& locale,
              ImageModule& module, std::FILE* out, std::FILE* err) {
  if (options.files.size() != 2) {
    const std::string line = "kelmarin-exif: --diff braucht genau zwei Dateien\n";
    std::fwrite(line.data(), 1, line.size(), err);
    return kExitCannotStart;
  }
  const FormatContext context = MakeFormatContext(locale, 1.0);
  ListingCache cache;
  MetadataListing listings[2];
  bool failed = false;
  for (int i = 0; i < 2; ++i) {
    const std::optional<std::int32_t> error =
        ReadMetadataListing(options.files[i], definitions, context, cache, &module, listings[i]);
    if (error == kNoImageModule) {
      ReportNoModule(err, module);
      return kExitCannotStart;
    }
    if (error) {
      ReportFailure(err, *error, options.files[i]);
      failed = true;
    }
  }
  if (failed) return kExitFileFailed;
  const std::vector<ListingRow> rowsA = EveryRow(definitions, listings[0], locale),
                                rowsB = EveryRow(definitions, listings[1], locale);
  const std::vector<SectionItem> itemsA = SectionItems(rowsA), itemsB = SectionItems(rowsB);
  const std::vector<Difference> differences = Differences(itemsA, itemsB);
  Output output(out);
  Render(options, differences, output.Buffer());
  output.Flush();
  if (output.Failed()) return kExitFileFailed;
  return differences.empty() ? kExitOk : kExitDiffer;
}

}  // namespace kelmarin::lister
