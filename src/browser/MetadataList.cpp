#include "browser/MetadataList.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QStyle>
#include <QToolTip>
#include <algorithm>

#include "browser/DesktopFit.h"
#include "browser/MetadataExport.h"
#include "present/MetadataSections.h"
#include "present/qt/QtTextLocale.h"

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

// The save dialog, starting at suggested. The extension of suggested is added to a name chosen
// without it; when that names a file that is already there, the user is asked again (the dialog
// asked only about the name without the extension).
QString AskExportPath(QWidget* parent, const QString& caption, const QString& suggested,
                      const QString& types) {
  const QString extension = QLatin1Char('.') + QFileInfo(suggested).suffix();
  QString start = suggested;
  for (;;) {
    const QString chosen = QFileDialog::getSaveFileName(parent, caption, start, types);
    if (chosen.isEmpty()) return {};
    const QString path = WithExtension(chosen, extension);
    if (path == chosen || !QFileInfo::exists(path)) return path;
    const auto answer = QMessageBox::question(
        parent, caption, QStringLiteral("Die Datei „%1“ gibt es schon.\nSoll sie ersetzt werden?").arg(path));
    if (answer == QMessageBox::Yes) return path;
    start = path;
  }
}

// The part of the listing the rows at `shown` come from: its own rows by position, then its IPTC
// datasets and comments in the order of their rows after them.
MetadataListing ShownListing(const MetadataListing& listing, const std::vector<ListingRow>& rows,
                             const std::vector<std::size_t>& shown) {
  MetadataListing part;
  part.maker = listing.maker;
  std::vector<bool> visible(rows.size());
  for (const std::size_t index : shown) visible[index] = true;
  std::size_t iptc = 0;
  std::size_t comment = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i < listing.rows.size()) {
      if (visible[i]) part.rows.push_back(listing.rows[i]);
    } else if (rows[i].kind == RowKind::Item && rows[i].section == kSectionIptc &&
               iptc < listing.iptc.size()) {
      if (visible[i]) part.iptc.push_back(listing.iptc[iptc]);
      ++iptc;
    } else if (rows[i].kind == RowKind::Item && rows[i].section == kSectionComments &&
               comment < listing.comments.size()) {
      if (visible[i]) part.comments.push_back(listing.comments[comment]);
      ++comment;
    }
  }
  return part;
}

}  // namespace

QString VisibleText(const std::string& utf8) {
  QString text = QString::fromStdString(utf8);
  qsizetype i = 0;
  while (i < text.size()) {
    const char16_t c = text.at(i).unicode();
    const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
    // Direction overrides and isolates, and line and paragraph separators, would turn or break
    // the rest of the cell.
    const bool layout =
        (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x2028 || c == 0x2029;
    if (!control && !layout) {
      ++i;
      continue;
    }
    QString escape;
    if (c == u'\t')
      escape = QStringLiteral("\\t");
    else if (c == u'\n')
      escape = QStringLiteral("\\n");
    else if (c == u'\r')
      escape = QStringLiteral("\\r");
    else if (control)
      escape = QStringLiteral("\\x%1").arg(static_cast<uint>(c), 2, 16, QLatin1Char('0'));
    else
      escape = QStringLiteral("\\u%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0'));
    text.replace(i, 1, escape);
    i += escape.size();
  }
  return text;
}

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
    return AskExportPath(this, caption, suggested, types);
  };
  copyValue =
      AddAction(QStringLiteral("Wert kopieren"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), [this] {
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
  exportJson = AddAction(QStringLiteral("Als JSON exportieren …"),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E), [this] { Export(true); });
}

QAction* MetadataList::AddAction(const QString& text, const QKeySequence& keys,
                                 const std::function<void()>& run) {
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

void MetadataList::NameActionsForFilter() {
  // Copying every row and both exports take the rows the search shows; the entries say so.
  const bool filtered = filter.Active();
  copyAll->setText(filtered ? QStringLiteral("Gefilterte Zeilen kopieren")
                            : QStringLiteral("Alle Zeilen kopieren"));
  exportCsv->setText(filtered ? QStringLiteral("Gefilterte Zeilen als CSV exportieren …")
                              : QStringLiteral("Als CSV exportieren …"));
  exportJson->setText(filtered ? QStringLiteral("Gefilterte Zeilen als JSON exportieren …")
                               : QStringLiteral("Als JSON exportieren …"));
}

void MetadataList::contextMenuEvent(QContextMenuEvent* event) {
  QPoint at = event->globalPos();
  if (event->reason() == QContextMenuEvent::Mouse) {
    // The event comes from the viewport, in its coordinates. Outside every row the menu acts on none.
    QTreeWidgetItem* item = itemAt(event->pos());
    if (item == nullptr) {
      clearSelection();
      setCurrentItem(nullptr);
    } else if (item != currentItem() || !item->isSelected()) {
      setCurrentItem(item);
    }
  } else {
    at = KeyboardMenuPoint();
  }
  QMenu menu(this);
  FillContextMenu(menu);
  menu.exec(at);
  event->accept();
}

QPoint MetadataList::KeyboardMenuPoint() {
  // Below the current row's start, as a menu opened by the keyboard stands in file managers; at the
  // list's top when no row is current.
  QTreeWidgetItem* item = currentItem();
  if (item == nullptr) return viewport()->mapToGlobal(QPoint(0, 0));
  scrollToItem(item);
  const QRect row = visualItemRect(item);
  return viewport()->mapToGlobal(QPoint(row.left() + row.height(), row.bottom()));
}

void MetadataList::FitLabelColumn() {
  if (rows.empty()) return;
  const QFontMetrics metrics = fontMetrics();
  int widest = header()->sectionSizeHint(1);
  for (const ListingRow& row : rows)
    widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(row.label)));
  const int margins =
      2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + metrics.averageCharWidth();
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
  const int room =
      visualRect(index).width() - 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this);
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
  const QString extension = json ? QStringLiteral(".json") : QStringLiteral(".csv");
  const QString suggested = QDir(ExportFolder(imageFile)).filePath(ExportFileName(imageFile, extension));
  QString path = json ? askSavePath(QStringLiteral("Metadaten als JSON exportieren"), suggested,
                                    QStringLiteral("JSON-Dateien (*.json)"))
                      : askSavePath(QStringLiteral("Metadaten als CSV exportieren"), suggested,
                                    QStringLiteral("CSV-Dateien (*.csv)"));
  if (path.isEmpty()) return;
  path = WithExtension(path, extension);
  const std::vector<std::size_t> shown = FilterRows(rows, filter);
  QString error;
  bool written = false;
  if (json) {
    written = WriteJsonFile(path, imageFile, ShownListing(listing, rows, shown), error);
  } else {
    std::vector<ListingRow> part;
    part.reserve(shown.size());
    for (const std::size_t index : shown) part.push_back(rows[index]);
    written = WriteCsvFile(path, part, error);
  }
  if (!written) QMessageBox::warning(this, QStringLiteral("Kelmarin"), error);
}

void MetadataList::SetRows(std::vector<ListingRow> newRows) {
  rows = std::move(newRows);
  position = PositionOfRows(rows);
  Refill();
  FitLabelColumn();
}

std::vector<ListingRow> ListRows(const MetadataListing& listing, const Definitions* definitions) {
  return EveryListRow(definitions, listing, TextLocaleOf(QLocale()));
}

void MetadataList::SetListing(MetadataListing newListing, const QString& file,
                              const Definitions* definitions) {
  listing = std::move(newListing);
  imageFile = file;
  SetRows(ListRows(listing, definitions));
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
  NameActionsForFilter();
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
    auto* item = new QTreeWidgetItem(QStringList{VisibleText(row.tag), VisibleText(row.label),
                                                 VisibleText(row.information), VisibleText(row.raw)});
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
#ifndef Q_OS_WIN
  // Shift+F10 opens the context menu as on Windows, where the system itself turns it into one.
  if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
    QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, QPoint(), QPoint(), event->modifiers());
    contextMenuEvent(&menuEvent);
    event->accept();
    return;
  }
#endif
  if (event->matches(QKeySequence::Copy)) {
    const QString text = SelectedText();
    if (!text.isEmpty()) QApplication::clipboard()->setText(text);
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

}  // namespace kelmarin
