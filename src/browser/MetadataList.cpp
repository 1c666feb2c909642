#include "browser/MetadataList.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QStyle>
#include <QToolTip>
#include <algorithm>

#include "browser/DesktopFit.h"
#include "browser/MetadataExport.h"
#include "browser/MetadataSections.h"

namespace kelmarin {

namespace {

// The item's four columns joined by a tab, ended by "\n".
QString ItemLine(const QTreeWidgetItem* item) {
  QString line;
  for (int column = 0; column < 4; ++column) {
    if (column > 0) line += QLatin1Char('\t');
    line += item->text(column);
  }
  return line + QLatin1Char('\n');
}

}  // namespace

MetadataList::MetadataList(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("Exifliste"));
  setColumnCount(4);
  setHeaderLabels({QStringLiteral("Tag"), QStringLiteral("Bezeichnung"), QStringLiteral("Information"),
                   QStringLiteral("Rohdaten")});
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setAllColumnsShowFocus(true);
  askSavePath = [this](const QString& caption, const QString& suggested, const QString& types) {
    return QFileDialog::getSaveFileName(this, caption, suggested, types);
  };
  copyValue = AddAction(QStringLiteral("Wert kopieren"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), [this] {
    if (const QTreeWidgetItem* item = currentItem()) QApplication::clipboard()->setText(item->text(2));
  });
  copyRow = AddAction(QStringLiteral("Zeile kopieren"), QKeySequence(), [this] {
    if (const QTreeWidgetItem* item = currentItem()) QApplication::clipboard()->setText(ItemLine(item));
  });
  copyAll = AddAction(QStringLiteral("Alle Zeilen kopieren"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C),
                      [this] { QApplication::clipboard()->setText(AllText()); });
  exportCsv = AddAction(QStringLiteral("Als CSV exportieren …"), QKeySequence(Qt::CTRL | Qt::Key_E),
                        [this] { Export(false); });
  openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
  openMap = AddAction(QStringLiteral("Karte öffnen"), QKeySequence(), [this] {
    if (position) openUrl(MapUrl(*position));
  });
  exportJson = AddAction(QStringLiteral("Als JSON exportieren …"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E),
                         [this] { Export(true); });
}

QAction* MetadataList::AddAction(const QString& text, const QKeySequence& keys, const std::function<void()>& run) {
  auto* action = new QAction(text, this);
  action->setShortcut(keys);
  action->setShortcutContext(Qt::WidgetShortcut);
  connect(action, &QAction::triggered, this, run);
  addAction(action);
  return action;
}

void MetadataList::FillContextMenu(QMenu& menu) {
  const bool onRow = currentItem() != nullptr;
  copyValue->setEnabled(onRow);
  copyRow->setEnabled(onRow);
  copyAll->setEnabled(topLevelItemCount() > 0);
  exportCsv->setEnabled(!rows.empty());
  exportJson->setEnabled(!imageFile.isEmpty());
  menu.addAction(copyValue);
  menu.addAction(copyRow);
  menu.addAction(copyAll);
  menu.addSeparator();
  menu.addAction(exportCsv);
  menu.addAction(exportJson);
  if (position) {
    menu.addSeparator();
    menu.addAction(openMap);
  }
}

void MetadataList::contextMenuEvent(QContextMenuEvent* event) {
  if (QTreeWidgetItem* item = itemAt(viewport()->mapFrom(this, event->pos()))) setCurrentItem(item);
  QMenu menu(this);
  FillContextMenu(menu);
  menu.exec(event->globalPos());
}

void MetadataList::FitLabelColumn() {
  if (rows.empty()) return;
  const QFontMetrics metrics = fontMetrics();
  int widest = header()->sectionSizeHint(1);
  for (const ListingRow& row : rows) widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(row.label)));
  const int margins = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + metrics.averageCharWidth();
  // At most 45 % of the list (never less than 24 characters): the information stays readable.
  const int limit = std::max(24 * metrics.averageCharWidth(), viewport()->width() * 45 / 100);
  setColumnWidth(1, std::min(widest + margins, limit));
  emit labelColumnFitted();
}

QString MetadataList::ToolTipAt(const QPoint& at) const {
  const QModelIndex index = indexAt(at);
  const QTreeWidgetItem* item = itemFromIndex(index);
  if (item == nullptr) return {};
  const int column = index.column();
  const QString text = item->text(column);
  const int room = visualRect(index).width() - 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this);
  if (!text.isEmpty() && fontMetrics().horizontalAdvance(text) > room) {
    const QString own = item->toolTip(column);
    return own.isEmpty() ? text : text + QLatin1Char('\n') + own;
  }
  return item->toolTip(column);
}

bool MetadataList::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = ToolTipAt(help->pos());
    if (tip.isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), tip, viewport());
    }
    return true;
  }
  return QTreeWidget::viewportEvent(event);
}

void MetadataList::Export(bool json) {
  if (rows.empty() || (json && imageFile.isEmpty())) return;
  const QFileInfo image(imageFile);
  const QString base = image.completeBaseName().isEmpty() ? QStringLiteral("metadaten") : image.completeBaseName();
  const QString path =
      json ? askSavePath(QStringLiteral("Metadaten als JSON exportieren"), base + QStringLiteral(".json"),
                         QStringLiteral("JSON-Dateien (*.json)"))
           : askSavePath(QStringLiteral("Metadaten als CSV exportieren"), base + QStringLiteral(".csv"),
                         QStringLiteral("CSV-Dateien (*.csv)"));
  if (path.isEmpty()) return;
  QString error;
  const bool written = json ? WriteJsonFile(path, imageFile, listing, error) : WriteCsvFile(path, rows, error);
  if (!written) QMessageBox::warning(this, QStringLiteral("Kelmarin"), error);
}

void MetadataList::SetRows(std::vector<ListingRow> newRows) {
  rows = std::move(newRows);
  position = PositionOfRows(rows);
  Refill();
  FitLabelColumn();
}

void MetadataList::SetListing(MetadataListing newListing, const QString& file, const Definitions* definitions) {
  listing = std::move(newListing);
  imageFile = file;
  std::vector<ListingRow> shown = listing.rows;
  std::vector<ListingRow> more = IptcAndCommentRows(definitions, listing);
  shown.insert(shown.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
  if (!listing.xmp.empty()) {
    more = XmpRows(listing.xmp);
    shown.insert(shown.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
  }
  SetRows(std::move(shown));
}

void MetadataList::ClearRows() {
  rows.clear();
  position.reset();
  listing = MetadataListing();
  imageFile.clear();
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
  const QColor red = ReadableRed(palette(), QPalette::Base);
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(shown.size()));
  for (const std::size_t index : shown) {
    const ListingRow& row = rows[index];
    auto* item = new QTreeWidgetItem(QStringList{QString::fromStdString(row.tag), QString::fromStdString(row.label),
                                                 QString::fromStdString(row.information),
                                                 QString::fromStdString(row.raw)});
    item->setData(0, Qt::UserRole, static_cast<qulonglong>(index));
    if (row.red) {
      for (int column = 0; column < 4; ++column) item->setForeground(column, red);
    }
    if (const std::optional<double> degrees = position ? RowDegrees(row, *position) : std::nullopt) {
      for (int column = 0; column < 4; ++column) item->setToolTip(column, DecimalDegreesText(*degrees));
    }
    items.push_back(item);
  }
  addTopLevelItems(items);
  setUpdatesEnabled(true);
}

QString MetadataList::SelectedText() const {
  QString text;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    if (topLevelItem(i)->isSelected()) text += ItemLine(topLevelItem(i));
  }
  return text;
}

QString MetadataList::AllText() const {
  QString text;
  for (int i = 0; i < topLevelItemCount(); ++i) text += ItemLine(topLevelItem(i));
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
