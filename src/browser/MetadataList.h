#pragma once
// The metadata list "Exifliste": columns "Tag", "Bezeichnung", "Information", "Rohdaten"; section
// header rows in red; control characters in texts shown as escapes. A filter shows only the matching
// rows. Ctrl+C copies the selected rows as tab-separated lines; the context menu (right click, the
// Menu key, Shift+F10) copies the value or the row it was opened on, or every row shown, exports the
// rows shown as CSV or JSON and opens the GPS position on a map; the latitude and longitude rows show
// that position in decimal degrees as their tooltip.

#include <QTreeWidget>
#include <QUrl>
#include <functional>
#include <optional>
#include <vector>

#include "browser/GpsPosition.h"
#include "browser/MetadataFilter.h"
#include "present/ListingJson.h"

class QAction;

namespace kelmarin {

class Definitions;

// The text as the list shows it: tab, line feed and carriage return as "\t", "\n", "\r", other
// control characters as "\x08" (up to "\x9f"), direction overrides and line separators as
// "\u202e"; everything else as it is (a backslash too). The text must be UTF-8.
QString VisibleText(const std::string& utf8);

// Every row the list shows of the listing, in its order: the EXIF sections, then IPTC and comments
// (named from the definitions, may be null), XMP and the colour profile.
std::vector<ListingRow> ListRows(const MetadataListing& listing, const Definitions* definitions);

class MetadataList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit MetadataList(QWidget* parent = nullptr);

  // Replaces the rows; the filter stays and applies to them.
  void SetRows(std::vector<ListingRow> rows);
  // The metadata of the image at imageFile: its rows are shown, then its IPTC datasets (named from
  // the definitions) and its comments in their own sections; the exports write it.
  void SetListing(MetadataListing listing, const QString& imageFile, const Definitions* definitions);
  // Removes every row.
  void ClearRows();
  // Shows only the rows the filter lets through (each change refills the list).
  void SetFilter(const RowFilter& filter);
  const std::vector<ListingRow>& Rows() const { return rows; }
  // The row behind the item, or null.
  const ListingRow* Row(const QTreeWidgetItem* item) const;
  // The selected rows in list order, each row's four columns joined by a tab, rows ended by "\n".
  QString SelectedText() const;
  // Every row shown, in the same form.
  QString AllText() const;

  // Asks where an export goes (caption, suggested path, file type filter); an empty answer cancels.
  // The suggested path's extension is added to an answer without it. Default: the save dialog.
  std::function<QString(const QString&, const QString&, const QString&)> askSavePath;

  // Opens a web address. Default: the desktop's browser.
  std::function<void(const QUrl&)> openUrl;
  // The GPS position of the rows, when they have one.
  const std::optional<GpsPosition>& Position() const { return position; }

  // The actions of the context menu, in its order ("Karte öffnen" only with a GPS position).
  QAction* CopyValueAction() const { return copyValue; }
  QAction* CopyAllAction() const { return copyAll; }
  QAction* ExportCsvAction() const { return exportCsv; }
  QAction* ExportJsonAction() const { return exportJson; }
  QAction* MapAction() const { return openMap; }
  // The context menu as it opens over the current row. While a filter is active, copying every row
  // and the exports name the rows as "Gefilterte Zeilen".
  void FillContextMenu(QMenu& menu);
  // The tooltip at a point of the viewport: the cell's whole text when it does not fit its column,
  // the row's own tooltip (GPS) otherwise; empty when there is none.
  QString ToolTipAt(const QPoint& at) const;

 signals:
  // The label column was fitted to the new rows (the window lays out the other columns again).
  void labelColumnFitted();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  void Refill();
  void FitLabelColumn();
  QAction* AddAction(const QString& text, const QKeySequence& keys, const std::function<void()>& run);
  void Export(bool json);
  void NameActionsForFilter();
  QPoint KeyboardMenuPoint();

  std::vector<ListingRow> rows;
  MetadataListing listing;
  QString imageFile;
  RowFilter filter;
  QAction* copyValue = nullptr;
  QAction* copyRow = nullptr;
  QAction* copyAll = nullptr;
  QAction* exportCsv = nullptr;
  QAction* exportJson = nullptr;
  QAction* openMap = nullptr;
  std::optional<GpsPosition> position;
};

}  // namespace kelmarin
