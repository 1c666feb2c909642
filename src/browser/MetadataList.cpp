#include "browser/MetadataList.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

namespace kelmarin {

MetadataList::MetadataList(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("Exifliste"));
  setColumnCount(4);
  setHeaderLabels({QStringLiteral("Tag"), QStringLiteral("Bezeichnung"), QStringLiteral("Information"),
                   QStringLiteral("Rohdaten")});
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setAllColumnsShowFocus(true);
}

void MetadataList::SetRows(std::vector<ListingRow> newRows) {
  rows = std::move(newRows);
  Refill();
}

void MetadataList::ClearRows() {
  rows.clear();
  clear();
}

void MetadataList::SetFilter(const RowFilter& newFilter) {
  filter = newFilter;
  Refill();
}

const ListingRow* MetadataList::Row(const QTreeWidgetItem* item) const {
  if (item == nullptr) return nullptr;
  bool ok = false;
  const qulonglong index = item->data(0, Qt::UserRole).toULongLong(&ok);
  return ok && index < rows.size() ? &rows[index] : nullptr;
}

void MetadataList::Refill() {
  setUpdatesEnabled(false);
  clear();
  const std::vector<std::size_t> shown = FilterRows(rows, filter);
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(shown.size()));
  for (const std::size_t index : shown) {
    const ListingRow& row = rows[index];
    auto* item = new QTreeWidgetItem(QStringList{row.tag, row.label, row.information, row.raw});
    item->setData(0, Qt::UserRole, static_cast<qulonglong>(index));
    if (row.red) {
      for (int column = 0; column < 4; ++column) item->setForeground(column, QColor(255, 0, 0));
    }
    items.push_back(item);
  }
  addTopLevelItems(items);
  setUpdatesEnabled(true);
}

QString MetadataList::SelectedText() const {
  QString text;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = topLevelItem(i);
    if (!item->isSelected()) continue;
    for (int column = 0; column < 4; ++column) {
      if (column > 0) text += QLatin1Char('\t');
      text += item->text(column);
    }
    text += QLatin1Char('\n');
  }
  return text;
}

void MetadataList::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    const QString text = SelectedText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

}  // namespace kelmarin
