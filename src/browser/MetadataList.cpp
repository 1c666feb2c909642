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

void MetadataList::SetRows(const std::vector<ListingRow>& rows) {
  clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(rows.size()));
  for (const ListingRow& row : rows) {
    auto* item = new QTreeWidgetItem(QStringList{row.tag, row.label, row.information, row.raw});
    if (row.red) {
      for (int column = 0; column < 4; ++column) item->setForeground(column, QColor(255, 0, 0));
    }
    items.push_back(item);
  }
  addTopLevelItems(items);
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
