#pragma once
// The file list "dateiliste": the image files of one folder, one column "Dateiname", each item
// carrying its file entry and a tooltip with size and date.

#include <QLocale>
#include <QPalette>
#include <QTreeWidget>
#include <vector>

#include "browser/core/FolderListing.h"

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
  // The entry of an item of this list; null for null or a foreign item.
  const FileEntry* Entry(const QTreeWidgetItem* item) const;
  // The item whose file name (name + "." + extension, file-system bytes) is given, or null.
  QTreeWidgetItem* FindFile(const QByteArray& fileName) const;

  // Whether the selection is drawn while the list has no keyboard focus.
  void SetHideSelection(bool hide);
  // Selects an item without it counting as the user's choice, and scrolls it into view.
  void SelectItem(QTreeWidgetItem* item);
  // The item delta rows from the current one (next: 1, previous: -1); null beyond either end.
  QTreeWidgetItem* Neighbour(int delta) const;

 signals:
  // The user chose an item: a click, or moving the selection with the keyboard.
  void fileChosen(QTreeWidgetItem* item);
  // The user asked to see an item's image large: a double click, or Enter on the current item.
  void openRequested(QTreeWidgetItem* item);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  class Item;

  std::vector<FileEntry> entries;
  QLocale locale;           // of the tooltips
  QPalette shownSelection;  // the palette with the selection drawn also without focus
};

// "#,##0" in the locale: grouped thousands, no decimals.
QString GroupedNumber(const QLocale& locale, std::int64_t value);

}  // namespace kelmarin
