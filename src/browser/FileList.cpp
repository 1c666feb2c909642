#include "browser/FileList.h"

#include <QDate>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>

namespace kelmarin {

namespace {

constexpr int kEntryRole = Qt::UserRole + 1;

QString ToolTip(const FileEntry& entry, const QLocale& locale) {
  const QDate date(entry.modified.year, entry.modified.month, entry.modified.day);
  return GroupedNumber(locale, entry.size) + QStringLiteral(" Bytes, ") +
         date.toString(QStringLiteral("dd.MM.yyyy"));
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
    return QTreeWidgetItem::data(column, role);
  }

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
}

void FileList::AddNameColumn() {
  setHeaderLabels(QStringList(QStringLiteral("Dateiname")));
  setHeaderHidden(false);
}

std::int64_t FileList::SetEntries(std::vector<FileEntry> newEntries, const QLocale& shownLocale,
                                  std::vector<QString> names) {
  ClearEntries();
  entries = std::move(newEntries);
  locale = shownLocale;
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(entries.size()));
  std::int64_t total = 0;
  const bool named = names.size() == entries.size();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const FileEntry& entry = entries[i];
    QString name = named ? std::move(names[i])
                         : QFile::decodeName(QByteArray::fromStdString(entry.name + "." + entry.extension));
    items.push_back(new Item(name, i));
    total += entry.size;
  }
  addTopLevelItems(items);
  return total;
}

void FileList::ClearEntries() {
  clear();
  entries.clear();
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
  const int row = indexOfTopLevelItem(currentItem());
  if (row < 0) return nullptr;
  return topLevelItem(row + delta);  // null outside the list
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
