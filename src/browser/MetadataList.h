#pragma once
// The metadata list "Exifliste": columns "Tag", "Bezeichnung", "Information", "Rohdaten"; section
// header rows in red. A filter shows only the matching rows. Ctrl+C copies the selected rows as tab-separated lines.

#include <QTreeWidget>
#include <array>
#include <vector>

#include "browser/MetadataFilter.h"
#include "present/Listing.h"

namespace kelmarin {

class MetadataList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit MetadataList(QWidget* parent = nullptr);

  // Replaces the rows; the filter stays and applies to them.
  void SetRows(std::vector<ListingRow> rows);
  // Removes every row.
  void ClearRows();
  // Shows only the rows the filter lets through (each change refills the list).
  void SetFilter(const RowFilter& filter);
  const std::vector<ListingRow>& Rows() const { return rows; }
  // The row behind the item, or null.
  const ListingRow* Row(const QTreeWidgetItem* item) const;
  // The selected rows in list order, each row's four columns joined by a tab, rows ended by "\n".
  QString SelectedText() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Refill();

  std::vector<ListingRow> rows;
  RowFilter filter;
};

}  // namespace kelmarin
