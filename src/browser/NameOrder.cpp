#include "browser/NameOrder.h"

#include <QCollator>
#include <QFile>
#include <algorithm>

namespace kelmarin {

namespace {

const QCollator& German() {
  static const QCollator collator = [] {
    QCollator made{QLocale(QLocale::German, QLocale::Germany)};
    made.setNumericMode(true);
    made.setCaseSensitivity(Qt::CaseInsensitive);
    return made;
  }();
  return collator;
}

QString Decoded(const FileEntry& entry) {
  return QFile::decodeName(QByteArray::fromStdString(entry.name + '.' + entry.extension));
}

}  // namespace

bool GermanNameLess(const QString& a, const QString& b) {
  const int order = German().compare(a, b);
  return order != 0 ? order < 0 : a < b;
}

std::vector<QString> SortByGermanName(std::vector<FileEntry>& entries) {
  std::vector<std::pair<QString, std::size_t>> keys;
  keys.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) keys.emplace_back(Decoded(entries[i]), i);
  const QCollator& collator = German();
  std::vector<std::pair<QCollatorSortKey, std::size_t>> sortKeys;
  sortKeys.reserve(keys.size());
  for (const auto& [name, index] : keys) sortKeys.emplace_back(collator.sortKey(name), index);
  std::stable_sort(sortKeys.begin(), sortKeys.end(), [&](const auto& a, const auto& b) {
    const int order = a.first.compare(b.first);
    return order != 0 ? order < 0 : keys[a.second].first < keys[b.second].first;
  });
  std::vector<FileEntry> sorted;
  std::vector<QString> names;
  sorted.reserve(entries.size());
  names.reserve(entries.size());
  for (const auto& key : sortKeys) {
    sorted.push_back(std::move(entries[key.second]));
    names.push_back(std::move(keys[key.second].first));
  }
  entries = std::move(sorted);
  return names;
}

}  // namespace kelmarin
