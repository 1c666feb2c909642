#include "extract/xmp/XmpVocabulary.h"

#include <fstream>
#include <iterator>

namespace kelmarin {

namespace {

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::string Key(std::string_view uri, std::string_view name) {
  std::string key(uri);
  key += ' ';
  key += name;
  return key;
}

}  // namespace

XmpVocabulary XmpVocabulary::FromText(std::string_view text) {
  XmpVocabulary vocabulary;
  std::unordered_map<std::string, std::string> uris;  // prefix -> URI, of the lines read so far
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.starts_with("namespace ")) {
      const std::string_view rest = Trim(line.substr(10));
      const std::size_t space = rest.find_first_of(" \t");
      if (space == std::string_view::npos) {
        ++vocabulary.skipped;
        continue;
      }
      const std::string prefix(rest.substr(0, space));
      const std::string uri(Trim(rest.substr(space)));
      uris[prefix] = uri;
      vocabulary.prefixes.emplace(uri, prefix);
      continue;
    }
    const std::size_t colon = line.find(':');
    const std::size_t equals = line.find('=');
    const auto uri = colon < equals ? uris.find(std::string(line.substr(0, colon))) : uris.end();
    if (equals == std::string_view::npos || uri == uris.end()) {
      ++vocabulary.skipped;
      continue;
    }
    const std::string_view name = Trim(line.substr(colon + 1, equals - colon - 1));
    vocabulary.labels[Key(uri->second, name)] = std::string(Trim(line.substr(equals + 1)));
  }
  return vocabulary;
}

bool XmpVocabulary::Load(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *this = XmpVocabulary();
    return false;
  }
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  *this = FromText(text);
  return true;
}

std::string_view XmpVocabulary::Prefix(std::string_view uri) const {
  const auto found = prefixes.find(std::string(uri));
  return found == prefixes.end() ? std::string_view() : std::string_view(found->second);
}

std::string_view XmpVocabulary::Label(std::string_view uri, std::string_view name) const {
  // Asked once for every property listed: the key is built in a buffer of the thread's own.
  thread_local std::string key;
  key.assign(uri);
  key += ' ';
  key += name;
  const auto found = labels.find(key);
  return found == labels.end() ? std::string_view() : std::string_view(found->second);
}

}  // namespace kelmarin

namespace kelmarin {

namespace {
std::string& VocabularyFile() {
  static std::string path;
  return path;
}
}  // namespace

void SetXmpVocabularyFile(std::string path) {
  VocabularyFile() = std::move(path);
}

const XmpVocabulary& ProcessXmpVocabulary() {
  static const XmpVocabulary vocabulary = [] {
    XmpVocabulary read;
    if (!VocabularyFile().empty()) read.Load(VocabularyFile());
    return read;
  }();
  return vocabulary;
}

}  // namespace kelmarin
