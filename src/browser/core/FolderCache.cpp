// FolderRecordCache: one file per folder under "<cache>/ordner" (see FolderCacheFile.h), read
// whole when the folder is opened, written whole (temporary file, then renamed over the old one)
// when the window leaves it. After each write the oldest folder files are removed until all of
// them together take no more than the bound.

#include <algorithm>
#include <atomic>
#include <fstream>
#include <mutex>
#include <random>
#include <unordered_map>

#include "browser/core/FolderCacheFile.h"
#include "browser/core/FolderRecords.h"

namespace kelmarin {

namespace {

constexpr std::string_view kSubfolder = "ordner";

struct Entry {
  std::int64_t size = 0;
  std::int64_t modified = 0;
  FolderRecord record;
};

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::optional<std::vector<std::uint8_t>> ReadWhole(const std::filesystem::path& file, std::uintmax_t limit) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > limit) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (in.gcount() != static_cast<std::streamsize>(bytes.size())) return std::nullopt;
  return bytes;
}

bool WriteAtomically(const std::filesystem::path& file, const std::vector<std::uint8_t>& bytes) {
  // Two processes writing the same folder's file use temporary files of different names.
  static const unsigned process = std::random_device()();
  static std::atomic<unsigned> counter{0};
  std::filesystem::path temporary = file;
  temporary += ".tmp" + std::to_string(process) + "-" + std::to_string(counter++);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, file, error);
  if (error) std::filesystem::remove(temporary, error);
  return !error;
}

// Removes the oldest folder files (and temporary files left by a write that broke off) until the
// rest takes at most `limit` bytes; `keep` stays.
void Trim(const std::filesystem::path& folder, const std::filesystem::path& keep, std::uintmax_t limit) {
  struct File {
    std::filesystem::path path;
    std::filesystem::file_time_type written;
    std::uintmax_t size;
  };
  std::vector<File> files;
  std::uintmax_t total = 0;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code statError;
    if (!it->is_regular_file(statError)) continue;
    File file{it->path(), it->last_write_time(statError), it->file_size(statError)};
    if (statError) continue;
    if (file.path.extension() != ".kfr") {
      if (file.path.filename().string().find(".kfr.tmp") != std::string::npos &&
          std::filesystem::file_time_type::clock::now() - file.written > std::chrono::minutes(10)) {
        std::filesystem::remove(file.path, statError);
      }
      continue;
    }
    total += file.size;
    files.push_back(std::move(file));
  }
  std::sort(files.begin(), files.end(), [](const File& a, const File& b) { return a.written < b.written; });
  for (const File& file : files) {
    if (total <= limit) break;
    if (file.path == keep) continue;
    std::error_code removeError;
    if (std::filesystem::remove(file.path, removeError)) total -= file.size;
  }
}

}  // namespace

struct FolderRecordCache::State {
  std::filesystem::path directory;  // "<cache>/ordner"
  std::uintmax_t limit = kDefaultLimit;
  mutable std::mutex mutex;
  std::string folder;  // the folder loaded, empty before Load
  std::unordered_map<std::string, Entry> entries;
  bool changed = false;
};

FolderRecordCache::FolderRecordCache(std::filesystem::path directory)
    : FolderRecordCache(std::move(directory), kDefaultLimit) {}

FolderRecordCache::FolderRecordCache(std::filesystem::path directory, std::uintmax_t limitBytes)
    : state(std::make_unique<State>()) {
  state->directory = directory.empty() ? directory : directory / kSubfolder;
  state->limit = limitBytes;
}

FolderRecordCache::~FolderRecordCache() = default;

std::optional<FolderRecord> FolderRecordCache::Find(const std::string& path, std::int64_t size,
                                                    std::int64_t modified) const {
  const std::lock_guard lock(state->mutex);
  const auto it = state->entries.find(path);
  if (it == state->entries.end() || it->second.size != size || it->second.modified != modified) {
    return std::nullopt;
  }
  return it->second.record;
}

void FolderRecordCache::Store(const std::string& path, std::int64_t size, std::int64_t modified,
                              const FolderRecord& record) {
  const std::lock_guard lock(state->mutex);
  if (state->folder.empty()) state->folder = ParentOf(path);
  if (ParentOf(path) != state->folder || path.size() > kMaxCacheText) return;
  state->entries.insert_or_assign(path, Entry{size, modified, record});
  state->changed = true;
}

bool FolderRecordCache::Save() {
  const std::lock_guard lock(state->mutex);
  if (!state->changed) return true;
  if (state->directory.empty() || state->folder.empty()) return false;
  FolderCacheContents contents;
  contents.folder = state->folder;
  contents.records.reserve(state->entries.size());
  for (const auto& [path, entry] : state->entries) {
    contents.records.push_back({path, entry.size, entry.modified, entry.record});
  }
  const std::vector<std::uint8_t> bytes = FolderCacheBytes(contents);
  if (bytes.size() > state->limit) return false;
  std::error_code error;
  std::filesystem::create_directories(state->directory, error);
  const std::filesystem::path file = state->directory / FolderCacheFileName(state->folder);
  if (error || !WriteAtomically(file, bytes)) return false;
  state->changed = false;
  Trim(state->directory, file, state->limit);
  return true;
}

void FolderRecordCache::Load(const std::string& folder) {
  const std::lock_guard lock(state->mutex);
  state->folder = folder;
  state->entries.clear();
  state->changed = false;
  if (state->directory.empty()) return;
  const std::filesystem::path file = state->directory / FolderCacheFileName(folder);
  std::error_code error;
  if (!std::filesystem::exists(file, error)) return;
  const std::optional<std::vector<std::uint8_t>> bytes = ReadWhole(file, state->limit);
  std::optional<FolderCacheContents> contents;
  if (bytes) contents = ParseFolderCache(*bytes);
  if (!contents || contents->folder != folder) {
    // Damaged, foreign, of another version or of another folder with the same hash: never read;
    // the next Save writes this folder's file in its place.
    std::filesystem::remove(file, error);
    return;
  }
  state->entries.reserve(contents->records.size());
  for (CachedRecord& cached : contents->records) {
    if (ParentOf(cached.path) != folder) continue;
    state->entries.insert_or_assign(std::move(cached.path),
                                    Entry{cached.size, cached.modified, std::move(cached.record)});
  }
}

}  // namespace kelmarin
