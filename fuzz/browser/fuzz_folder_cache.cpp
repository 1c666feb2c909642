// The folder cache file reader over any bytes: what it accepts must write back to exactly the same
// bytes (the writer and reader agree, and nothing unchecked slipped through), and its records must
// be usable by the columns and the order without fault.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "browser/core/FolderCacheFile.h"
#include "present/TextLocale.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const std::optional<kelmarin::FolderCacheContents> contents = kelmarin::ParseFolderCache(bytes);
  if (!contents) return 0;
  const std::vector<std::uint8_t> again = kelmarin::FolderCacheBytes(*contents);
  if (again.size() != size || !std::equal(again.begin(), again.end(), data)) std::abort();
  std::vector<kelmarin::FolderRecord> records;
  for (const kelmarin::CachedRecord& cached : contents->records) records.push_back(cached.record);
  const kelmarin::TextLocale locale;
  for (int column = 0; column < kelmarin::kFolderColumnCount; ++column) {
    for (const kelmarin::FolderRecord& record : records) {
      (void)kelmarin::ColumnText(record, static_cast<kelmarin::FolderColumn>(column), locale);
    }
    std::vector<std::size_t> positions(records.size());
    for (std::size_t i = 0; i < positions.size(); ++i) positions[i] = i;
    kelmarin::SortByColumn(positions, records, static_cast<kelmarin::FolderColumn>(column), true);
  }
  return 0;
}
