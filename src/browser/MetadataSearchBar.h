#pragma once
// The search bar above the metadata list: the field "Suchen …" (Esc empties it) and the check box
// that hides the rows of unknown tags. Every change gives the list its new filter.

#include <QWidget>

#include "browser/MetadataFilter.h"

class QCheckBox;
class QLineEdit;

namespace kelmarin {

class MetadataSearchBar : public QWidget {
  Q_OBJECT

 public:
  explicit MetadataSearchBar(QWidget* parent = nullptr);

  RowFilter Filter() const;
  QLineEdit* Field() const { return field; }
  QCheckBox* HideUnknown() const { return hideUnknown; }

 signals:
  void filterChanged(const kelmarin::RowFilter& filter);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* field = nullptr;
  QCheckBox* hideUnknown = nullptr;
};

}  // namespace kelmarin
