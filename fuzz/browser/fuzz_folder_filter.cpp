// The metadata filter over any text: it parses or says why, never both, and a parsed filter
// answers for records of any values. The input's first bytes choose the record's values.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "browser/core/FolderRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string message;
  const std::optional<kelmarin::FolderFilter> filter = kelmarin::FolderFilter::Parse(text, &message);
  if (filter.has_value() == !message.empty()) std::abort();
  if (!filter) return 0;
  kelmarin::FolderRecord record;
  std::int64_t number = 0;
  std::memcpy(&number, data, std::min<std::size_t>(size, sizeof number));
  record.takenLocal = number;
  record.offsetMinutes = static_cast<std::int32_t>(number % 1000);
  record.iso = static_cast<float>(number % 100000);
  record.fNumber = static_cast<float>(number % 64) / 4.0f;
  record.exposureTime = static_cast<float>(number % 1000) / 997.0f;
  record.focalLength = static_cast<float>(number % 2000);
  record.rating = static_cast<std::int8_t>(number % 7 - 1);
  record.camera = std::string(text.substr(0, 16));
  record.keywords = {std::string(text.substr(size / 2))};
  (void)filter->Matches(record, text.substr(0, 64));
  (void)filter->Matches(kelmarin::FolderRecord(), text);
  return 0;
}
