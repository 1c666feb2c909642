#include "browser/core/FolderListing.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <tuple>

namespace kelmarin {

namespace {

bool IsFolder(const DirectoryReader& reader, std::string_view name, EntryKind kind) {
  if (kind == EntryKind::Directory) return true;
  if (kind != EntryKind::Unknown) return false;
  return reader.Stat(name).isDirectory;
}

// Every pattern ends in "." and an extension, so only names with a dot before their last character
// can match; the others are not decoded at all.
bool CanMatch(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot != std::string_view::npos && dot + 1 < name.size();
}

// Folders on Linux list their entries in no useful order: the files are put in name order without
// regard to case (as NTFS lists them), names equal but for case by their bytes.
void SortByName(std::vector<FileEntry>& entries, const std::vector<std::u32string>& keys) {
  std::vector<std::size_t> order(entries.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (keys[a] != keys[b]) return keys[a] < keys[b];
    return std::tie(entries[a].name, entries[a].extension) < std::tie(entries[b].name, entries[b].extension);
  });
  std::vector<FileEntry> sorted;
  sorted.reserve(entries.size());
  for (std::size_t i : order) sorted.push_back(std::move(entries[i]));
  entries = std::move(sorted);
}

// A name that matched a pattern, waiting for its status.
struct Candidate {
  std::string name;
  std::size_t pattern = 0;
  std::u32string folded;  // the sort key, when sorting by name
  EntryStatus status;
};

// Names per thread below which asking for the status on a thread of its own does not pay.
constexpr std::size_t kStatusShare = 2000;

// The status of every candidate. Each status is a system call that costs about as much as the rest
// of the listing together, so a large folder asks for them on all cores, in contiguous shares.
void ReadStatus(const DirectoryReader& reader, std::vector<Candidate>& candidates) {
  const auto share = [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) candidates[i].status = reader.Stat(candidates[i].name);
  };
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t threads = std::min(cores, std::max<std::size_t>(1, candidates.size() / kStatusShare));
  std::vector<std::thread> helpers;
  std::vector<std::exception_ptr> failures(threads);  // out of memory on a helper: thrown here
  const std::size_t each = candidates.size() / threads;
  for (std::size_t t = 1; t < threads; ++t) {
    const std::size_t begin = t * each;
    const std::size_t end = t + 1 == threads ? candidates.size() : (t + 1) * each;
    try {
      helpers.emplace_back([&, t, begin, end] {
        try {
          share(begin, end);
        } catch (...) {
          failures[t] = std::current_exception();
        }
      });
    } catch (const std::system_error&) {
      share(begin, end);  // no thread to be had
    }
  }
  try {
    share(0, threads > 1 ? each : candidates.size());
  } catch (...) {
    failures[0] = std::current_exception();
  }
  for (std::thread& helper : helpers) helper.join();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

}  // namespace

std::vector<FileEntry> ListImageFiles(const std::string& folder, const std::vector<FilePattern>& patterns,
                                      ListOrder order) {
  std::vector<FileEntry> entries;
  if (patterns.empty()) return entries;
  DirectoryReader reader(folder);
  if (!reader.IsOpen()) return entries;

  std::vector<CompiledPattern> compiled;
  compiled.reserve(patterns.size());
  for (const FilePattern& pattern : patterns) compiled.emplace_back(pattern.pattern);

  std::string_view name;
  EntryKind kind;
  std::vector<Candidate> candidates;
  while (reader.Next(name, kind)) {
    if (kind == EntryKind::Directory || kind == EntryKind::Other || !CanMatch(name)) continue;
    std::u32string folded = FoldName(name);
    std::size_t hit = 0;
    while (hit < compiled.size() && !compiled[hit].MatchesFolded(folded)) ++hit;
    if (hit == compiled.size()) continue;
    candidates.push_back({std::string(name), hit, {}, {}});
    if (order == ListOrder::kByName) candidates.back().folded = std::move(folded);
  }
  ReadStatus(reader, candidates);

  std::vector<std::u32string> sortKeys;
  entries.reserve(candidates.size());
  for (Candidate& candidate : candidates) {
    if (!candidate.status.exists || !candidate.status.isRegular) continue;
    FileEntry entry;
    // Name and extension are split at the last dot: "photo.jpeg" is "photo" and "jpeg".
    const std::size_t dot = candidate.name.rfind('.');
    entry.name.assign(candidate.name, 0, dot);
    entry.extension.assign(candidate.name, dot + 1);
    entry.typeCode = patterns[candidate.pattern].typeCode;
    entry.modified = ToLocalDateTime(candidate.status.modifiedSeconds);
    entry.size = candidate.status.size;
    entries.push_back(std::move(entry));
    if (order == ListOrder::kByName) sortKeys.push_back(std::move(candidate.folded));
  }
  if (order == ListOrder::kByName) SortByName(entries, sortKeys);
  return entries;
}

std::vector<std::string> ListSubfolders(const std::string& folder, std::size_t most) {
  std::vector<std::string> names;
  DirectoryReader reader(folder);
  std::string_view name;
  EntryKind kind;
  while (names.size() < most && reader.Next(name, kind)) {
    if (IsFolder(reader, name, kind)) names.emplace_back(name);
  }
  return names;
}

bool HasSubfolders(const std::string& folder) {
  return !ListSubfolders(folder, 1).empty();
}

}  // namespace kelmarin
