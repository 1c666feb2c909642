#pragma once
// The block "Auf einen Blick" above the metadata list: one line per fact of the photo's summary
// (caption and text), each with a tool tip naming the rows of the list it was taken from and the raw
// evidence. A header button opens and closes the block; its state is kept in the settings. The
// block is hidden while there is nothing to show. Texts from the file are shown as plain text.

#include <QWidget>
#include <vector>

#include "present/Listing.h"
#include "present/Summary.h"

class QGridLayout;
class QLabel;
class QPushButton;
class QToolButton;

class QScrollArea;

namespace kelmarin {

class SummaryPanel : public QWidget {
  Q_OBJECT

 public:
  explicit SummaryPanel(QWidget* parent = nullptr);

  // Shows the summary's lines. `rows` are the rows of the metadata list (for the sections' titles
  // and the labels named in the tool tips); `hasMap`: the list can open the position on a map, and
  // the line "place" offers that link. A summary without lines hides the block.
  void SetSummary(const PhotoSummary& summary, const std::vector<ListingRow>& rows, bool hasMap);
  // No file: no lines, the block hidden.
  void Clear();

  // Open (the lines shown) or closed (only the header); kept in the settings.
  bool IsOpen() const;
  bool HasLines() const { return !lines.empty(); }

  QToolButton* Header() const { return header; }
  // The caption and text labels of each line, in order; the map link (null without one).
  struct Line {
    QLabel* caption;
    QLabel* text;
  };
  // The header and, while open, every line at its own height.
  QSize sizeHint() const override;
  const std::vector<Line>& Lines() const { return lines; }
  QPushButton* MapLink() const { return mapLink; }

 signals:
  // The block's height changed (opened, closed, filled, emptied): the window lays it out again.
  void heightChanged();
  // The user asked for the map of the place.
  void mapRequested();

 private:
  void RemoveLines();

  QToolButton* header;
  QScrollArea* scroller;  // the lines scroll when the window gives the block less than their height
  QWidget* body;
  QGridLayout* grid;
  std::vector<Line> lines;
  QPushButton* mapLink = nullptr;
};

// The tool tip of a line as plain text: "Aus:" and one line per source row (section title, tag
// and, when the row is found among `rows`, its label; a row is found by its tag column or its tag's
// number, "0x0110" naming the row "272", and shown as the list shows it), then "Rohdaten: " and the
// raw evidence.
QString SummarySourcesText(const SummaryLine& line, const std::vector<ListingRow>& rows);

}  // namespace kelmarin
