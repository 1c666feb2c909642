#pragma once
// The file list "dateiliste": the image files of one folder, one column "Dateiname", each item
// carrying its file entry and a tooltip with size and date. The header's context menu adds the
// metadata columns (Aufnahmedatum, Kamera, …); their cells show the files' records, filled later by
// whoever holds the list (SetRecords). With metadata columns a click on a header sorts by it, the
// name order breaking ties; a metadata filter hides the files it does not match.

#include <QLocale>
#include <QMenu>
#include <QPalette>
#include <QTreeWidget>
#include <optional>
#include <utility>
#include <vector>

#include "browser/core/FolderListing.h"
#include "browser/core/FolderRecords.h"
#include "present/TextLocale.h"

namespace kelmarin {

class FileList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit FileList(QWidget* parent = nullptr);

  // Gives the list its column "Dateiname" (the list has none before).
  void AddNameColumn();
  bool HasNameColumn() const { return !isHeaderHidden(); }

  // Replaces the items by the entries, in their order; returns the total size in bytes. `names`: the
  // entries' decoded file names when the caller has them (one per entry), else empty.
  std::int64_t SetEntries(std::vector<FileEntry> newEntries, const QLocale& locale,
                          std::vector<QString> names = {});
  void ClearEntries();
  // The entries, by entry index.
  const std::vector<FileEntry>& Entries() const { return entries; }
  // The entry of an item of this list; null for null or a foreign item.
  const FileEntry* Entry(const QTreeWidgetItem* item) const;
  // The item whose file name (name + "." + extension, file-system bytes) is given, or null.
  QTreeWidgetItem* FindFile(const QByteArray& fileName) const;

  // Whether the selection is drawn while the list has no keyboard focus.
  void SetHideSelection(bool hide);
  // The metadata columns shown after "Dateiname", in their order.
  const std::vector<FolderColumn>& Columns() const { return columns; }
  void SetColumns(const std::vector<FolderColumn>& shown);
  // The header's context menu: one checkable entry per metadata column.
  QMenu* ColumnMenu() const { return columnMenu; }
  // Columns and widths as a setting text ("taken:120,camera:95"), and back; unknown keys and bad
  // widths are skipped.
  QString ColumnSetting() const;
  void ApplyColumnSetting(const QString& text);
  // Whether the metadata columns or the filter need the files' records.
  bool NeedsRecords() const { return !columns.empty() || filter.has_value(); }

  // The records of the entries (by entry index, the order SetEntries was given); unfilled until set.
  const std::vector<FolderRecord>& Records() const { return records; }
  std::size_t FilledCount() const { return filledCount; }
  // Takes the records for these entry indices (out-of-range ones are skipped), re-applies the filter
  // to them and redraws; the sort follows at most every half second and when all are filled.
  void SetRecords(std::vector<std::pair<std::size_t, FolderRecord>>& batch);
  // The entry indices of the rows on screen, top to bottom.
  std::vector<std::size_t> VisibleEntries() const;
  // The entry index of an item of this list, when it has one.
  std::optional<std::size_t> EntryIndex(const QTreeWidgetItem* item) const;
  // The item of a model index of this list (for views sharing the list's model), or null.
  QTreeWidgetItem* ItemAt(const QModelIndex& index) const { return itemFromIndex(index); }

  // The metadata filter (none: every file shown); returns how many files are shown.
  std::size_t SetMetadataFilter(std::optional<FolderFilter> shownFilter);
  std::size_t ShownCount() const { return shownCount; }
  bool Filtered() const { return filter.has_value(); }

  // Selects an item without it counting as the user's choice, and scrolls it into view.
  void SelectItem(QTreeWidgetItem* item);
  // The item delta shown rows from the current one (next: 1, previous: -1); null beyond either end.
  QTreeWidgetItem* Neighbour(int delta) const;

 signals:
  // The user chose an item: a click, or moving the selection with the keyboard.
  void fileChosen(QTreeWidgetItem* item);
  // The user asked to see an item's image large: a double click, or Enter on the current item.
  void openRequested(QTreeWidgetItem* item);
  // The user chose columns in the header's menu.
  void columnsChosen();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  class Item;
  void BuildColumnMenu();
  void ApplyHeader();
  // Whether entry a comes before entry b in the current sort.
  bool Less(std::size_t a, std::size_t b) const;
  void Resort();
  bool Shown(std::size_t index) const;

  std::vector<FileEntry> entries;
  std::vector<FolderRecord> records;
  std::vector<QTreeWidgetItem*> itemsByIndex;  // owned by the tree
  std::vector<FolderColumn> columns;
  std::optional<FolderFilter> filter;
  std::size_t filledCount = 0;
  std::size_t shownCount = 0;
  TextLocale textLocale;
  QMenu* columnMenu = nullptr;
  qint64 lastSort = 0;      // ms since the epoch of the last sort while filling
  qint64 lastSortCost = 0;  // ms that sort took
  QLocale locale;           // of the tooltips
  QPalette shownSelection;  // the palette with the selection drawn also without focus
};

// "#,##0" in the locale: grouped thousands, no decimals.
QString GroupedNumber(const QLocale& locale, std::int64_t value);

}  // namespace kelmarin
