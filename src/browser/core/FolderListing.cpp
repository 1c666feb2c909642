#include "browser/core/FolderListing.h"

namespace kelmarin {

namespace {

bool IsFolder(const DirectoryReader& reader, std::string_view name, EntryKind kind) {
  if (kind == EntryKind::Directory) return true;
  if (kind != EntryKind::Unknown) return false;
  return reader.Stat(name).isDirectory;
}

// Every pattern ends in "." and three characters, so only names of at least four characters whose
// fourth-last is a dot can match; the others are not decoded at all.
bool CanMatch(std::string_view name) {
  return name.size() >= 4 && name[name.size() - 4] == '.';
}

}  // namespace

std::vector<FileEntry> ListImageFiles(const std::string& folder, const std::vector<FilePattern>& patterns) {
  std::vector<FileEntry> entries;
  if (patterns.empty()) return entries;
  DirectoryReader reader(folder);
  if (!reader.IsOpen()) return entries;

  std::vector<CompiledPattern> compiled;
  compiled.reserve(patterns.size());
  for (const FilePattern& pattern : patterns) compiled.emplace_back(pattern.pattern);

  std::string_view name;
  EntryKind kind;
  std::u32string folded;
  while (reader.Next(name, kind)) {
    if (kind == EntryKind::Directory || kind == EntryKind::Other || !CanMatch(name)) continue;
    folded = FoldName(name);
    std::size_t hit = 0;
    while (hit < compiled.size() && !compiled[hit].MatchesFolded(folded)) ++hit;
    if (hit == compiled.size()) continue;

    const EntryStatus status = reader.Stat(name);
    if (!status.exists || !status.isRegular) continue;
    FileEntry entry;
    entry.name.assign(name.substr(0, name.size() - 4));
    entry.extension.assign(name.substr(name.size() - 3));
    entry.typeCode = patterns[hit].typeCode;
    entry.modified = ToLocalDateTime(status.modifiedSeconds);
    entry.size = status.size;
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<std::string> ListSubfolders(const std::string& folder) {
  std::vector<std::string> names;
  DirectoryReader reader(folder);
  std::string_view name;
  EntryKind kind;
  while (reader.Next(name, kind)) {
    if (IsFolder(reader, name, kind)) names.emplace_back(name);
  }
  return names;
}

bool HasSubfolders(const std::string& folder) {
  DirectoryReader reader(folder);
  std::string_view name;
  EntryKind kind;
  while (reader.Next(name, kind)) {
    if (IsFolder(reader, name, kind)) return true;
  }
  return false;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

}  // namespace kelmarin
