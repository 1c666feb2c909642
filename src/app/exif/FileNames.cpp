#include "FileNames.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "image/meta/Formats.h"

namespace kelmarin::lister {

namespace {

namespace fs = std::filesystem;

// Deeper folders than this are reported as unreadable rather than walked: only a file system
// built to trap walkers (bind mounts into themselves) reaches it.
constexpr std::size_t kMaxDepth = 256;

void Report(std::FILE* err, const std::string& what, const std::string& name, const std::error_code& error) {
  std::string line = "kelmarin-exif: " + what + ": " + name;
  if (error) line += " (" + error.message() + ")";
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), err);
}

// A list longer than this is cut there: an endless stream (a device, a runaway pipe) must not take
// all memory. It is room for some million names.
constexpr std::size_t kMaxListBytes = std::size_t{256} << 20;

enum class ListRead { Complete, Failed, TooLong };

// The bytes of the stream, at most kMaxListBytes of them; a name cut at that point is dropped.
ListRead ReadAll(std::FILE* file, std::string& bytes, char separator) {
  char block[65536];
  std::size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) {
    if (bytes.size() + got > kMaxListBytes) {
      bytes.append(block, kMaxListBytes - bytes.size());
      bytes.erase(bytes.find_last_of(separator) + 1);  // npos + 1 == 0: nothing complete
      return ListRead::TooLong;
    }
    bytes.append(block, got);
  }
  return std::ferror(file) == 0 ? ListRead::Complete : ListRead::Failed;
}

// Reports a list that could not be read whole; false then.
bool Reported(ListRead read, const std::string& name, std::FILE* err, int error) {
  if (read == ListRead::Complete) return true;
  if (read == ListRead::TooLong) {
    Report(err, "Dateiliste zu lang (nur die ersten 256 MiB gelesen)", name, {});
  } else {
    Report(err, "Dateiliste nicht lesbar", name, std::error_code(error, std::generic_category()));
  }
  return false;
}

void SplitNames(const std::string& bytes, char separator, std::vector<std::string>& names) {
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find(separator, start);
    if (end == std::string::npos) end = bytes.size();
    if (end > start) names.emplace_back(bytes, start, end - start);
    start = end + 1;
  }
}

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + '/' + name;
}

// The image files below `root`, in any order. Folders are taken from a stack, so a deep tree
// needs no deep recursion.
bool WalkFolder(const std::string& root, std::vector<std::string>& files, std::FILE* err) {
  bool complete = true;
  std::vector<std::pair<std::string, std::size_t>> folders{{root, 0}};
  while (!folders.empty()) {
    auto [folder, depth] = std::move(folders.back());
    folders.pop_back();
    std::error_code error;
    fs::directory_iterator entries(fs::path(folder), error);
    if (error) {
      Report(err, "Ordner nicht lesbar", folder, error);
      complete = false;
      continue;
    }
    for (; entries != fs::directory_iterator(); entries.increment(error)) {
      const fs::directory_entry& entry = *entries;
      const std::string name = entry.path().filename().string();
      std::error_code kindError;
      if (entry.is_symlink(kindError)) {
        // A link to a file counts as the file; a link to a folder is not walked.
        if (TypeCodeForFileName(name) != 0 && entry.is_regular_file(kindError))
          files.push_back(Join(folder, name));
      } else if (entry.is_directory(kindError)) {
        if (depth + 1 < kMaxDepth) {
          folders.emplace_back(Join(folder, name), depth + 1);
        } else {
          Report(err, "Ordner zu tief verschachtelt", Join(folder, name), {});
          complete = false;
        }
      } else if (TypeCodeForFileName(name) != 0 && entry.is_regular_file(kindError)) {
        files.push_back(Join(folder, name));
      }
    }
    if (error) {
      Report(err, "Ordner nicht vollständig lesbar", folder, error);
      complete = false;
    }
  }
  return complete;
}

bool IsFolder(const std::string& name) {
  std::error_code error;
  return fs::is_directory(fs::path(name), error);
}

}  // namespace

bool CollectFiles(ListerOptions& options, std::FILE* in, std::FILE* err) {
  bool complete = true;
  const char separator = options.nulSeparated ? '\0' : '\n';
  bool inputRead = false;
  std::vector<std::string> names;
  for (const NameArgument& argument : options.names) {
    std::string bytes;
    switch (argument.source) {
      case NameSource::Argument:
        names.push_back(argument.text);
        continue;
      case NameSource::StandardInput:
        if (inputRead) continue;
        inputRead = true;
        {
          const ListRead read = ReadAll(in, bytes, separator);
          complete = Reported(read, "-", err, errno) && complete;
        }
        break;
      case NameSource::ListFile:
        std::FILE* list = std::fopen(argument.text.c_str(), "rb");
        const ListRead read = list != nullptr ? ReadAll(list, bytes, separator) : ListRead::Failed;
        complete = Reported(read, argument.text, err, errno) && complete;
        if (list != nullptr) std::fclose(list);
        break;
    }
    SplitNames(bytes, separator, names);
  }
  options.files.clear();
  for (std::string& name : names) {
    if (!options.recursive || !IsFolder(name)) {
      options.files.push_back(std::move(name));
      continue;
    }
    std::vector<std::string> found;
    complete = WalkFolder(name, found, err) && complete;
    std::sort(found.begin(), found.end());
    options.files.insert(options.files.end(), std::make_move_iterator(found.begin()),
                         std::make_move_iterator(found.end()));
  }
  return complete;
}

}  // namespace kelmarin::lister
