#include "browser/FileList.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStringList>
#include <algorithm>

#include "present/qt/QtTextLocale.h"

namespace kelmarin {

namespace {

constexpr int kEntryRole = Qt::UserRole + 1;

QString ToolTip(const FileEntry& entry, const QLocale& locale) {
  const QDate date(entry.modified.year, entry.modified.month, entry.modified.day);
  return GroupedNumber(locale, entry.size) + QStringLiteral(" Bytes, ") +
         date.toString(QStringLiteral("dd.MM.yyyy"));
}

bool Numeric(FolderColumn column) {
  return column == FolderColumn::FocalLength || column == FolderColumn::Aperture ||
         column == FolderColumn::Exposure || column == FolderColumn::Iso;
}

constexpr qint64 kSortInterval = 500;  // ms between sorts while the records arrive, at least
constexpr qint64 kSortShare = 20;      // and at least this many times the last sort's own time
constexpr int kNameWidth = 180;        // pixels of "Dateiname" beside metadata columns, at first

// A stored column width in pixels; none for text that is no sensible width.
std::optional<int> Width(const QString& text) {
  bool ok = false;
  const int width = text.trimmed().toInt(&ok);
  if (!ok || width <= 0 || width >= 10000) return std::nullopt;
  return width;
}

}  // namespace

// An item of the list. Its tooltip is made when it is asked for: a folder of many thousand files
// would otherwise spend a good part of its listing on texts hardly anyone looks at.
class FileList::Item : public QTreeWidgetItem {
 public:
  Item(const QString& text, std::size_t entryIndex) : QTreeWidgetItem(QStringList(text)), index(entryIndex) {}

  QVariant data(int column, int role) const override {
    if (column == 0 && role == Qt::ToolTipRole) {
      const auto* list = static_cast<const FileList*>(treeWidget());
      if (list != nullptr && index < list->entries.size()) return ToolTip(list->entries[index], list->locale);
    }
    if (column == 0 && role == kEntryRole) return static_cast<qulonglong>(index);
    if (column > 0 && (role == Qt::DisplayRole || role == Qt::TextAlignmentRole)) {
      const auto* list = static_cast<const FileList*>(treeWidget());
      const auto shown = static_cast<std::size_t>(column - 1);
      if (list == nullptr || shown >= list->columns.size() || index >= list->records.size()) return {};
      const FolderColumn kind = list->columns[shown];
      if (role == Qt::TextAlignmentRole)
        return Numeric(kind) ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
      return QString::fromStdString(ColumnText(list->records[index], kind, list->textLocale));
    }
    return QTreeWidgetItem::data(column, role);
  }

  bool operator<(const QTreeWidgetItem& other) const override {
    const auto* list = static_cast<const FileList*>(treeWidget());
    return list != nullptr ? list->Less(index, static_cast<const Item&>(other).index) : false;
  }

  std::size_t EntryIndex() const { return index; }

 private:
  std::size_t index;
};

QString GroupedNumber(const QLocale& locale, std::int64_t value) {
  QLocale grouped = locale;
  grouped.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
  return grouped.toString(static_cast<qlonglong>(value));
}

FileList::FileList(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("dateiliste"));
  setColumnCount(1);
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  // A click selects one file; Ctrl and a click add a second (to compare two files).
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { emit fileChosen(item); });
  connect(this, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { emit openRequested(item); });
  shownSelection = palette();
  BuildColumnMenu();
}

void FileList::AddNameColumn() {
  setHeaderHidden(false);
  ApplyHeader();
}

void FileList::BuildColumnMenu() {
  columnMenu = new QMenu(this);
  columnMenu->setObjectName(QStringLiteral("spaltenmenue"));
  for (int kind = 1; kind < kFolderColumnCount; ++kind) {
    const auto column = static_cast<FolderColumn>(kind);
    QAction* action = columnMenu->addAction(QString::fromUtf8(ColumnTitle(column)));
    action->setCheckable(true);
    action->setData(kind);
    connect(action, &QAction::triggered, this, [this] {
      std::vector<FolderColumn> chosen;
      for (QAction* entry : columnMenu->actions()) {
        if (entry->isChecked()) chosen.push_back(static_cast<FolderColumn>(entry->data().toInt()));
      }
      const bool first = columns.empty();
      SetColumns(chosen);
      if (first && !columns.empty()) setColumnWidth(0, kNameWidth);
      emit columnsChosen();
    });
  }
  header()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(header(), &QWidget::customContextMenuRequested, this,
          [this](QPoint at) { columnMenu->popup(header()->mapToGlobal(at)); });
}

void FileList::SetColumns(const std::vector<FolderColumn>& shown) {
  columns.clear();
  for (FolderColumn column : shown) {
    if (column != FolderColumn::Name && std::find(columns.begin(), columns.end(), column) == columns.end())
      columns.push_back(column);
  }
  for (QAction* action : columnMenu->actions()) {
    action->setChecked(std::find(columns.begin(), columns.end(),
                                 static_cast<FolderColumn>(action->data().toInt())) != columns.end());
  }
  ApplyHeader();
}

// The default list has the one column in name order and no sorting by its header.
void FileList::ApplyHeader() {
  setColumnCount(1 + static_cast<int>(columns.size()));
  if (!isHeaderHidden()) {
    QStringList titles(QStringLiteral("Dateiname"));
    for (FolderColumn column : columns) titles << QString::fromUtf8(ColumnTitle(column));
    setHeaderLabels(titles);
  }
  const bool sortable = !columns.empty();
  if (sortable != isSortingEnabled()) {
    if (!sortable) sortItems(0, Qt::AscendingOrder);
    setSortingEnabled(sortable);
    if (sortable) sortItems(0, Qt::AscendingOrder);
  } else if (sortable && header()->sortIndicatorSection() >= columnCount()) {
    sortItems(0, Qt::AscendingOrder);
  }
}

QString FileList::ColumnSetting() const {
  QStringList parts;
  if (!columns.empty()) parts << QStringLiteral("name:") + QString::number(columnWidth(0));
  for (std::size_t i = 0; i < columns.size(); ++i) {
    parts << QString::fromUtf8(ColumnKey(columns[i])) + QLatin1Char(':') +
                 QString::number(columnWidth(static_cast<int>(i) + 1));
  }
  return parts.join(QLatin1Char(','));
}

void FileList::ApplyColumnSetting(const QString& text) {
  std::vector<FolderColumn> shown;
  std::vector<int> widths;
  int nameWidth = kNameWidth;
  for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    const QStringList pair = part.split(QLatin1Char(':'));
    if (pair.value(0).trimmed() == QStringLiteral("name"))
      nameWidth = Width(pair.value(1)).value_or(kNameWidth);
    for (int kind = 1; kind < kFolderColumnCount; ++kind) {
      const auto column = static_cast<FolderColumn>(kind);
      if (pair.value(0).trimmed() != QString::fromUtf8(ColumnKey(column))) continue;
      if (std::find(shown.begin(), shown.end(), column) != shown.end()) break;
      shown.push_back(column);
      widths.push_back(Width(pair.value(1)).value_or(-1));
    }
  }
  SetColumns(shown);
  if (!shown.empty()) setColumnWidth(0, nameWidth);
  for (std::size_t i = 0; i < widths.size(); ++i) {
    if (widths[i] > 0) setColumnWidth(static_cast<int>(i) + 1, widths[i]);
  }
}

bool FileList::Less(std::size_t a, std::size_t b) const {
  const int section = isSortingEnabled() ? header()->sortIndicatorSection() : 0;
  const bool descending = isSortingEnabled() && header()->sortIndicatorOrder() == Qt::DescendingOrder;
  // For a descending sort Qt puts a after b when a < b: the answer is then whether b comes first.
  const std::size_t first = descending ? b : a;
  const std::size_t second = descending ? a : b;
  if (section <= 0 || static_cast<std::size_t>(section) > columns.size() || first >= records.size() ||
      second >= records.size()) {
    return descending ? second < first : first < second;  // the name order, as listed
  }
  const FolderColumn column = columns[static_cast<std::size_t>(section) - 1];
  const FolderRecord& x = records[first];
  const FolderRecord& y = records[second];
  const bool hasX = HasColumnValue(x, column);
  const bool hasY = HasColumnValue(y, column);
  bool before = first < second;  // ties: the name order in either direction
  if (hasX != hasY) {
    before = hasX;  // missing values last in either direction
  } else if (hasX) {
    const int order = CompareRecords(x, y, column);
    if (order != 0) before = descending ? order > 0 : order < 0;
  }
  return before;
}

void FileList::Resort() {
  if (!isSortingEnabled() || header()->sortIndicatorSection() <= 0) return;
  const qint64 start = QDateTime::currentMSecsSinceEpoch();
  sortItems(header()->sortIndicatorSection(), header()->sortIndicatorOrder());
  lastSort = QDateTime::currentMSecsSinceEpoch();
  lastSortCost = lastSort - start;
}

bool FileList::Shown(std::size_t index) const {
  if (!filter) return true;
  const FileEntry& entry = entries[index];
  return filter->Matches(records[index], entry.name + "." + entry.extension);
}

void FileList::SetRecords(std::vector<std::pair<std::size_t, FolderRecord>>& batch) {
  // Only a batch with a row on screen redraws: once the screen is filled, the rest of a large
  // folder arrives without a paint every few dozen milliseconds.
  std::vector<std::size_t> onScreen = VisibleEntries();
  std::sort(onScreen.begin(), onScreen.end());
  bool seen = false;
  for (auto& [index, record] : batch) {
    if (index >= records.size()) continue;
    seen = seen || std::binary_search(onScreen.begin(), onScreen.end(), index);
    if (!records[index].filled && record.filled) ++filledCount;
    records[index] = std::move(record);
    if (filter) {
      QTreeWidgetItem* item = itemsByIndex[index];
      const bool shown = Shown(index);
      if (item->isHidden() == shown) {
        item->setHidden(!shown);
        shown ? ++shownCount : --shownCount;
      }
    }
  }
  if (seen) viewport()->update();
  const bool all = filledCount == records.size();
  // A large folder's sort takes a while itself: it gets at most a twentieth of the time.
  const qint64 interval = std::max(kSortInterval, kSortShare * lastSortCost);
  if (all || QDateTime::currentMSecsSinceEpoch() - lastSort >= interval) Resort();
}

std::size_t FileList::SetMetadataFilter(std::optional<FolderFilter> shownFilter) {
  filter = std::move(shownFilter);
  shownCount = 0;
  setUpdatesEnabled(false);
  for (std::size_t i = 0; i < itemsByIndex.size(); ++i) {
    const bool shown = Shown(i);
    if (itemsByIndex[i]->isHidden() == shown) itemsByIndex[i]->setHidden(!shown);
    if (shown) ++shownCount;
  }
  setUpdatesEnabled(true);
  return shownCount;
}

std::vector<std::size_t> FileList::VisibleEntries() const {
  std::vector<std::size_t> shown;
  const int bottom = viewport()->height();
  // By model index: an item's own row is searched for among all the list's items once sorted.
  for (QModelIndex row = indexAt(QPoint(0, 0)); row.isValid() && visualRect(row).top() < bottom;
       row = indexBelow(row)) {
    if (const auto index = EntryIndex(itemFromIndex(row))) shown.push_back(*index);
  }
  return shown;
}

std::optional<std::size_t> FileList::EntryIndex(const QTreeWidgetItem* item) const {
  if (item == nullptr || item->treeWidget() != this) return std::nullopt;
  const std::size_t index = static_cast<const Item*>(item)->EntryIndex();
  if (index >= entries.size()) return std::nullopt;
  return index;
}

std::int64_t FileList::SetEntries(std::vector<FileEntry> newEntries, const QLocale& shownLocale,
                                  std::vector<QString> names) {
  ClearEntries();
  entries = std::move(newEntries);
  locale = shownLocale;
  textLocale = TextLocaleOf(locale);
  records.assign(entries.size(), FolderRecord{});
  filledCount = 0;
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(entries.size()));
  std::int64_t total = 0;
  const bool named = names.size() == entries.size();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const FileEntry& entry = entries[i];
    QString name = named ? std::move(names[i])
                         : QFile::decodeName(QByteArray::fromStdString(entry.name + "." + entry.extension));
    auto* item = new Item(name, i);
    items.push_back(item);
    itemsByIndex.push_back(item);
    total += entry.size;
  }
  // With sorting on, the tree inserts item by item, each at its sorted place with a model signal of
  // its own; off, the items go in at once and are sorted once when it is turned on again.
  const bool sorted = isSortingEnabled();
  if (sorted) setSortingEnabled(false);
  addTopLevelItems(items);
  if (sorted) setSortingEnabled(true);
  if (filter) SetMetadataFilter(filter);
  shownCount = filter ? shownCount : entries.size();
  return total;
}

void FileList::ClearEntries() {
  clear();
  entries.clear();
  records.clear();
  itemsByIndex.clear();
  filledCount = 0;
  shownCount = 0;
}

const FileEntry* FileList::Entry(const QTreeWidgetItem* item) const {
  if (item == nullptr || item->treeWidget() != this) return nullptr;
  const auto index = item->data(0, kEntryRole).toULongLong();
  return index < entries.size() ? &entries[index] : nullptr;
}

QTreeWidgetItem* FileList::FindFile(const QByteArray& fileName) const {
  const std::string wanted = fileName.toStdString();
  for (int i = 0; i < topLevelItemCount(); ++i) {
    const FileEntry* entry = Entry(topLevelItem(i));
    if (entry != nullptr && entry->name + "." + entry->extension == wanted) return topLevelItem(i);
  }
  return nullptr;
}

void FileList::SetHideSelection(bool hide) {
  QPalette colours = shownSelection;
  if (hide) {
    colours.setColor(QPalette::Inactive, QPalette::Highlight,
                     colours.color(QPalette::Inactive, QPalette::Base));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Inactive, QPalette::Text));
  }
  setPalette(colours);
}

void FileList::SelectItem(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  setCurrentItem(item);
  scrollToItem(item);
}

QTreeWidgetItem* FileList::Neighbour(int delta) const {
  QTreeWidgetItem* item = currentItem();
  if (item == nullptr || indexOfTopLevelItem(item) < 0) return nullptr;
  // itemBelow and itemAbove skip the rows the filter hides; null outside the list.
  for (; delta > 0 && item != nullptr; --delta) item = itemBelow(item);
  for (; delta < 0 && item != nullptr; ++delta) item = itemAbove(item);
  return item;
}

void FileList::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem() != nullptr) {
    emit openRequested(currentItem());
    return;
  }
  QTreeWidgetItem* before = currentItem();
  QTreeWidget::keyPressEvent(event);
  QTreeWidgetItem* after = currentItem();
  if (after != nullptr && after != before) emit fileChosen(after);
}

}  // namespace kelmarin
