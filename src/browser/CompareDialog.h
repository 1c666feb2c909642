#pragma once
// "Vergleichen": the metadata rows of two files side by side (Sektion, Tag, Bezeichnung, the
// information of A, the information of B), paired as kelmarin-exif --diff pairs them. Differing rows
// are marked; "Nur Unterschiede" shows only those. Texts from the files are shown as plain text.

#include <QDialog>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "present/Listing.h"

class QCheckBox;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace kelmarin {

class Definitions;

// One of the two files: its name as shown and the rows of its metadata list.
struct CompareSide {
  QString name;
  std::vector<ListingRow> rows;
};

// The rows of the metadata list of the file (path in file-system bytes, type code as the file list
// gives it), read as the list reads them; the error text in German when the file cannot be read.
std::optional<std::vector<ListingRow>> ReadCompareRows(const std::string& path, std::int32_t type,
                                                       const Definitions& definitions, QString& error);

class CompareDialog : public QDialog {
  Q_OBJECT

 public:
  CompareDialog(CompareSide a, CompareSide b, QWidget* parent = nullptr);

  QTreeWidget* Table() const { return table; }
  QCheckBox* OnlyDifferences() const { return onlyDifferences; }
  QLabel* Count() const { return count; }
  // Whether the table's row is marked as differing.
  static bool Marked(const QTreeWidgetItem* item);

 private:
  void Fill();
  void ShowOnlyDifferences(bool only);

  CompareSide sides[2];
  QTreeWidget* table;
  QCheckBox* onlyDifferences;
  QLabel* count;
};

}  // namespace kelmarin
