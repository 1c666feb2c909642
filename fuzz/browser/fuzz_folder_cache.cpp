// The folder cache file reader over any bytes: what it accepts must write back to exactly the same
// bytes (the writer and reader agree, and nothing unchecked slipped through), and its records must
// be usable by the columns and the order without fault. An input whose first byte is even is taken
// as a payload instead: a header with its record count (the second byte) and a right checksum is
// put before it, so that the fuzzer reaches the records behind the checksum.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>
#include <vector>

#include "browser/core/FolderCacheFile.h"
#include "present/TextLocale.h"

namespace {

void Append(std::vector<std::uint8_t>& out, std::uint64_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> WithHeader(std::span<const std::uint8_t> payload, std::uint8_t count) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (std::uint8_t byte : payload) hash = (hash ^ byte) * 0x100000001b3ULL;
  const std::string_view magic = "KELMREC\n";
  std::vector<std::uint8_t> file(magic.begin(), magic.end());
  Append(file, kelmarin::kFolderCacheVersion, 4);
  Append(file, count, 4);
  Append(file, payload.size(), 8);
  Append(file, hash, 8);
  file.insert(file.end(), payload.begin(), payload.end());
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* input, std::size_t inputSize) {
  std::vector<std::uint8_t> framed;
  if (inputSize >= 2 && (input[0] & 1) == 0)
    framed = WithHeader(std::span(input + 2, inputSize - 2), input[1]);
  const std::uint8_t* data = framed.empty() ? input : framed.data();
  const std::size_t size = framed.empty() ? inputSize : framed.size();
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
    for (std::size_t i = 1; i < records.size(); ++i) {
      (void)kelmarin::CompareRecords(records[i - 1], records[i], static_cast<kelmarin::FolderColumn>(column));
    }
  }
  return 0;
}
