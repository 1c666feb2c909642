#include "browser/core/FolderRecords.h"

#include <array>

namespace kelmarin {

FolderRecord RecordFromSummary(const PhotoSummary&) { return {}; }
FolderRecord ReadFolderRecord(const std::filesystem::path&, const Definitions&) { return {}; }

namespace {
constexpr std::array<std::string_view, kFolderColumnCount> kTitles = {
    "Dateiname", "Aufnahmedatum", "Kamera", "Objektiv", "Brennweite", "Blende",
    "Belichtung", "ISO",          "Bewertung", "Stichwörter", "Bildgröße"};
constexpr std::array<std::string_view, kFolderColumnCount> kKeys = {
    "name", "taken", "camera", "lens", "focal", "aperture", "exposure", "iso", "rating", "keywords", "size"};
}  // namespace

std::string_view ColumnTitle(FolderColumn column) { return kTitles[static_cast<std::size_t>(column)]; }
std::string_view ColumnKey(FolderColumn column) { return kKeys[static_cast<std::size_t>(column)]; }
std::string ColumnText(const FolderRecord&, FolderColumn, const TextLocale&) { return {}; }
int CompareRecords(const FolderRecord&, const FolderRecord&, FolderColumn) { return 0; }

struct FolderFilter::Rules {};
FolderFilter::FolderFilter() = default;
FolderFilter::~FolderFilter() = default;
FolderFilter::FolderFilter(const FolderFilter&) = default;
FolderFilter& FolderFilter::operator=(const FolderFilter&) = default;
std::optional<FolderFilter> FolderFilter::Parse(std::string_view, std::string*) { return FolderFilter(); }
bool FolderFilter::Matches(const FolderRecord&, std::string_view) const { return true; }

struct FolderRecordCache::State {};
FolderRecordCache::FolderRecordCache(std::filesystem::path) : state(std::make_unique<State>()) {}
FolderRecordCache::~FolderRecordCache() = default;
std::filesystem::path FolderRecordCache::DefaultDirectory() { return {}; }
std::optional<FolderRecord> FolderRecordCache::Find(const std::string&, std::int64_t, std::int64_t) const {
  return std::nullopt;
}
void FolderRecordCache::Store(const std::string&, std::int64_t, std::int64_t, const FolderRecord&) {}
bool FolderRecordCache::Save() { return false; }
void FolderRecordCache::Load(const std::string&) {}

}  // namespace kelmarin
