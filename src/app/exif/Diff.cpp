#include "Diff.h"

#include <optional>

#include "FileListing.h"
#include "ImageModule.h"
#include "Lister.h"
#include "Output.h"
#include "SectionRows.h"
#include "metadata/Text.h"
#include "present/RowPairing.h"

namespace kelmarin::lister {

namespace {

using Difference = RowPair;

// The pairs that differ, in the pairing's order.
std::vector<Difference> Differences(const std::vector<SectionItem>& a, const std::vector<SectionItem>& b) {
  std::vector<Difference> differences;
  for (const RowPair& pair : PairRows(a, b)) {
    if (pair.Differs()) differences.push_back(pair);
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
  out += '{';
  AppendJsonTexts(
      out, {{"label", item->row->label}, {"information", item->row->information}, {"raw", item->row->raw}});
  out += '}';
}

void AppendDifferenceJson(std::string& out, const Difference& d) {
  const SectionItem& item = d.a != nullptr ? *d.a : *d.b;
  out += "{\"section\":" + std::to_string(item.row->section) + ',';
  AppendJsonTexts(out, {{"title", *item.title}, {"tag", item.row->tag}, {"label", item.row->label}});
  out += ",\"a\":";
  AppendSideJson(out, d.a);
  out += ",\"b\":";
  AppendSideJson(out, d.b);
  out += '}';
}

void Render(const ListerOptions& options, const std::vector<Difference>& differences, std::string& out) {
  const std::string a = BytesToUtf8(options.files[0]), b = BytesToUtf8(options.files[1]);
  if (options.json) {
    out += '{';
    AppendJsonTexts(out, {{"a", a}, {"b", b}});
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
