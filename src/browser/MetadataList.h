#pragma once
// The metadata list "Exifliste": columns "Tag", "Bezeichnung", "Information", "Rohdaten"; section
// header rows in red. Ctrl+C copies the selected rows as tab-separated lines.

#include <QTreeWidget>
#include <array>
#include <vector>

#include "present/Listing.h"

namespace kelmarin {

class MetadataList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit MetadataList(QWidget* parent = nullptr);

  // Replaces the rows.
  void SetRows(const std::vector<ListingRow>& rows);
  // The selected rows in list order, each row's four columns joined by a tab, rows ended by "\n".
  QString SelectedText() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace kelmarin
