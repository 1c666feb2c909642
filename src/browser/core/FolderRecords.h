#pragma once
// The folder by its metadata: one record of summary values per file, the columns of the file list
// over them (text and order), the metadata filter's small language, and the cache that keeps records
// between visits. Toolkit-free; the window fills records in the background and shows them.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "present/Summary.h"

namespace kelmarin {

class Definitions;
class SidecarFinder;
struct TextLocale;

// What the columns show of one file; small and copyable (about 20,000 of them per large folder).
struct FolderRecord {
  bool filled = false;               // read (or taken from the cache)
  std::optional<std::int64_t> takenLocal;  // capture time as local wall time, seconds since 1970-01-01
  std::optional<std::int32_t> offsetMinutes;  // its offset from UTC, when known
  std::string camera;
  std::string lens;
  std::optional<float> focalLength;  // mm
  std::optional<float> fNumber;
  std::optional<float> exposureTime;  // seconds
  std::optional<float> iso;
  std::optional<std::int8_t> rating;  // -1 … 5
  std::vector<std::string> keywords;
  std::int32_t width = 0;  // 0: not known
  std::int32_t height = 0;
};

FolderRecord RecordFromSummary(const PhotoSummary& summary);

// Reads the file's metadata (no pixels) and makes its record; a file that cannot be read gives an
// empty filled record. Safe from several threads at once.
FolderRecord ReadFolderRecord(const std::filesystem::path& file, const Definitions& definitions);
// The same with the caller's sidecar finder (the one above uses one for the whole process, which
// reads each folder's sidecar names once): a window that revisits folders forgets its own.
FolderRecord ReadFolderRecord(const std::filesystem::path& file, const Definitions& definitions,
                              SidecarFinder& sidecars);

// Reads records as ReadFolderRecord does and keeps the metadata list's tag and label texts from one
// file to the next, which makes each file after the first cheaper: one per thread that reads many
// files (not for use from two threads at once). The definitions and the sidecar finder (null: the
// process's) must outlive it.
class FolderRecordReader {
 public:
  explicit FolderRecordReader(const Definitions& definitions, SidecarFinder* sidecars = nullptr);
  ~FolderRecordReader();
  FolderRecordReader(const FolderRecordReader&) = delete;
  FolderRecordReader& operator=(const FolderRecordReader&) = delete;

  FolderRecord Read(const std::filesystem::path& file);

 private:
  struct Texts;
  const Definitions& definitions;
  SidecarFinder* sidecars;
  std::unique_ptr<Texts> texts;
};

// The columns; Name is the list's specified column "Dateiname".
enum class FolderColumn : std::int8_t {
  Name, Taken, Camera, Lens, FocalLength, Aperture, Exposure, Iso, Rating, Keywords, PixelSize
};
inline constexpr int kFolderColumnCount = 11;

// The column's header ("Dateiname", "Aufnahmedatum", "Kamera", "Objektiv", "Brennweite", "Blende",
// "Belichtung", "ISO", "Bewertung", "Stichwörter", "Bildgröße") and its settings key.
std::string_view ColumnTitle(FolderColumn column);
std::string_view ColumnKey(FolderColumn column);

// Whether the record has a value in the column (Name always has one).
bool HasColumnValue(const FolderRecord& record, FolderColumn column);

// A record's cell text (empty when the file says nothing); Name is not a record's column.
std::string ColumnText(const FolderRecord& record, FolderColumn column, const TextLocale& locale);

// Order of two files by the column: negative, 0 or positive. Capture time compares by UTC when both
// offsets are known; missing values sort after present ones; ties are left to the caller, who breaks
// them by name (stable).
int CompareRecords(const FolderRecord& a, const FolderRecord& b, FolderColumn column);

// The metadata filter: "Bewertung >= 3", "Objektiv: 85", "ISO > 3200", a keyword, a date range.
class FolderFilter {
 public:
  // An empty text matches everything. A text that does not parse gives nothing and a German message.
  static std::optional<FolderFilter> Parse(std::string_view text, std::string* message = nullptr);
  bool Matches(const FolderRecord& record, std::string_view fileName) const;

  FolderFilter();
  ~FolderFilter();
  FolderFilter(const FolderFilter&);
  FolderFilter& operator=(const FolderFilter&);

  struct Rules;

 private:
  std::shared_ptr<const Rules> rules;
};

// Records kept under $XDG_CACHE_HOME/kelmarin per (path, size, modification time), bounded in size.
// A damaged, foreign or old-version cache file is replaced, never trusted.
// One file per folder in "<directory>/ordner", named by a hash of the folder's path (the layout is
// in FolderCacheFile.h); it holds the records of that folder's files only. Find and Store may be
// called from several threads at once. After Save writes a folder's file (atomically: a temporary
// file renamed over the old one), the least recently written folder files are removed until all
// together take at most the bound.
class FolderRecordCache {
 public:
  explicit FolderRecordCache(std::filesystem::path directory);
  // With a bound other than kDefaultLimit on the bytes of all folder files together.
  FolderRecordCache(std::filesystem::path directory, std::uintmax_t limitBytes);
  static constexpr std::uintmax_t kDefaultLimit = 64u << 20;
  ~FolderRecordCache();

  std::optional<FolderRecord> Find(const std::string& path, std::int64_t size, std::int64_t modified) const;
  void Store(const std::string& path, std::int64_t size, std::int64_t modified, const FolderRecord& record);
  // Writes what was stored (for the folder just read); false when it could not be written (no
  // cache folder, a write error, or more than the bound). Nothing stored since Load: true, no write.
  // Records of paths outside the folder of the last Load (or, without one, of the first path
  // stored) are not kept.
  bool Save();
  // Reads the folder's records (the path as the stored paths begin, without a trailing "/"); an
  // invalid file is set aside (removed) and reading starts empty. Forgets the records held before.
  void Load(const std::string& folder);

 private:
  struct State;
  std::unique_ptr<State> state;
};

}  // namespace kelmarin
