#include "metadata/Definitions.h"

#include <algorithm>
#include <cassert>
#include <utility>

#include "metadata/Text.h"

namespace kelmarin {

namespace {

// Upper case for the letters a model name realistically holds: ASCII and Latin-1 ("ß" and letters of
// other scripts stay as they are). Store and look-up both go through here, so keys stay consistent.
char32_t UpperCase(char32_t cp) {
  if (cp >= U'a' && cp <= U'z') return cp - 0x20;
  if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 0x20;
  if (cp == 0xFF) return 0x178;
  return cp;
}

// Decodes one UTF-8 sequence at text[i] (the text is valid UTF-8) and advances i.
char32_t NextCodePoint(const std::string& text, std::size_t& i) {
  const auto c = static_cast<unsigned char>(text[i++]);
  if (c < 0x80) return c;
  const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
  char32_t cp = c & (0x3Fu >> extra);
  for (int k = 0; k < extra && i < text.size(); ++k) {
    cp = (cp << 6) | (static_cast<unsigned char>(text[i++]) & 0x3Fu);
  }
  return cp;
}

}  // namespace

void ExifTagNice::add(std::int64_t newId, std::string newBezeichnung) {
  id = newId;
  bezeichnung = std::move(newBezeichnung);
}

void ExifTag::setze(std::int32_t newTag, std::int32_t newPosition, std::string newBezeichnung,
                    std::int32_t newFmt) {
  tag = newTag;
  position = newPosition;
  bezeichnung = std::move(newBezeichnung);
  fmt = newFmt;
}

ExifTagNice& ExifTag::addnice(std::int64_t i, std::string b) {
  ExifTagNice& added = nice.emplace_back();
  added.add(i, std::move(b));
  return added;
}

const ExifTagNice& ExifTag::inqnice(int i) const {
  assert(i >= 1 && i <= inqnicecount());
  if (i < 1 || i > inqnicecount()) {
    static const ExifTagNice kNone;  // release builds: a wrong number reads as an empty value name
    return kNone;
  }
  return nice[static_cast<std::size_t>(i - 1)];
}

void IptcTag::setze(std::int32_t newTag, std::string newBezeichnung) {
  tag = newTag;
  bezeichnung = std::move(newBezeichnung);
}

ExifTag& Definitions::AddTagDefinition(TagTable& table, std::int32_t tag, std::int32_t position,
                                       std::string bezeichnung, std::int32_t fmt) {
  auto [it, inserted] = table.try_emplace(TagKey(tag, position));
  if (!inserted) throw DuplicateKey{};
  it->second.setze(tag, position, std::move(bezeichnung), fmt);
  return it->second;
}

void Definitions::AddFocalEquiv(const std::string& /*make*/, const std::string& model, double factor) {
  std::string key = NormaliseModel(model);
  if (focalEquivTable.erase(key) > 0) return;
  ExifFocalEquiv entry;
  entry.camname = key;
  entry.multiplier = factor;
  focalEquivTable.emplace(std::move(key), std::move(entry));
}

double Definitions::FocalEquivFactor(const std::string& /*make*/, const std::string& model) const {
  const auto it = focalEquivTable.find(NormaliseModel(model));
  return it == focalEquivTable.end() ? 0.0 : it->second.multiplier;
}

IptcTag& Definitions::AddIptcDefinition(std::int32_t tag, std::string bezeichnung) {
  auto [it, inserted] = iptcTags.try_emplace(tag);
  if (!inserted) throw DuplicateKey{};
  it->second.setze(tag, std::move(bezeichnung));
  return it->second;
}

const ExifTag* Definitions::FindTag(std::int32_t maker, std::int32_t section, std::int32_t tag,
                                    std::int32_t position) const {
  const TagTable* table = nullptr;
  switch (section) {
    case kSectionMain:
      table = &mainTags;
      break;
    case kSectionThumbnail:
      table = &thumbnailTags;
      break;
    case kSectionGps:
      table = &gpsTags;
      break;
    case kSectionMakernote: {
      if (deferred != nullptr) ReadDeferred(maker);
      const auto layout = makernoteTable.find(maker);
      if (layout == makernoteTable.end()) return nullptr;
      table = &layout->second.exif_tags;
      break;
    }
    default:
      return nullptr;
  }
  const auto it = table->find(TagKey(tag, position));
  return it == table->end() ? nullptr : &it->second;
}

const ExifTag* Definitions::FindTag(std::int32_t maker, std::int32_t section, std::int32_t directory,
                                    std::int32_t tag, std::int32_t position) const {
  if (directory != 0 && section == kSectionMain) {
    if (const auto raw = rawMainTags.find(directory); raw != rawMainTags.end()) {
      if (const auto it = raw->second.find(TagKey(tag, position)); it != raw->second.end()) return &it->second;
    }
    return FindTag(maker, section, tag, position);
  }
  if (directory == 0 || section != kSectionMakernote) return FindTag(maker, section, tag, position);
  for (int hop = 0; hop < 2; ++hop) {
    if (deferred != nullptr) ReadDeferred(maker);
    const auto layout = makernoteTable.find(maker);
    if (layout == makernoteTable.end()) return nullptr;
    const auto table = layout->second.directories.find(directory);
    if (table != layout->second.directories.end()) {
      const auto it = table->second.find(TagKey(tag, position));
      return it == table->second.end() ? nullptr : &it->second;
    }
    const auto shared = layout->second.sharedDirectories.find(directory);
    if (shared == layout->second.sharedDirectories.end()) return nullptr;
    maker = shared->second;
  }
  return nullptr;
}

namespace {

void LinkTablePositions(TagTable& table) {
  for (auto& [key, definition] : table) {
    if (definition.position <= 0) continue;
    const auto owner = table.find(TagKey(definition.tag, 0));
    if (owner != table.end()) owner->second.positions.push_back(&definition);
  }
  for (auto& [key, definition] : table) {
    std::sort(definition.positions.begin(), definition.positions.end(),
              [](const ExifTag* a, const ExifTag* b) { return a->position < b->position; });
  }
}

}  // namespace

void Definitions::LinkPositions() {
  for (TagTable* table : {&mainTags, &thumbnailTags, &gpsTags}) LinkTablePositions(*table);
  for (auto& [magic, table] : rawMainTags) LinkTablePositions(table);
  for (auto& [maker, note] : makernoteTable) LinkPositions(note);
}

void Definitions::LinkPositions(ExifMakernote& note) {
  LinkTablePositions(note.exif_tags);
  for (auto& [directory, table] : note.directories) LinkTablePositions(table);
}

const std::string& Definitions::TagName(std::int32_t maker, std::int32_t section, std::int32_t tag,
                                        std::int32_t position) const {
  static const std::string kEmpty;
  const ExifTag* definition = FindTag(maker, section, tag, position);
  return definition == nullptr ? kEmpty : definition->bezeichnung;
}

std::string NormaliseModel(const std::string& model) {
  const std::string text = BytesToUtf8(model.substr(0, model.find('(')));
  std::string key;
  key.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char32_t cp = NextCodePoint(text, i);
    if (cp != U' ') AppendUtf8(key, UpperCase(cp));
  }
  return key;
}

}  // namespace kelmarin
