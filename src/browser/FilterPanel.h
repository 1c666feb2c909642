#pragma once
// The panel "Rahmen_Links": the status label "auswahl_info" and the format filter
// "Rahmen_Dateifilter" ("Bildformatauswahl") with the name patterns "dateinamen", the format boxes
// "bild_art" (index 0 to 11 the classic twelve, the "jp2" box hidden; 12 up today's formats in a
// fourth row beside the button) and the button "AlleFormate". Beside the name patterns the
// metadata filter "metadatenfilter" ("Bewertung >= 3", "Objektiv: 85"): a text that does not parse
// gets a red frame and the reason as its tool tip, never a dialog.

#include <QColor>
#include <QFrame>
#include <QLineEdit>
#include <QTimer>
#include <array>
#include <optional>
#include <vector>

#include "browser/core/FolderRecords.h"
#include "browser/core/FormatTable.h"
#include "browser/core/PatternList.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace kelmarin {

struct TwipsScale;

// The status label's two looks: red while the window is busy, the theme's text colour when done.
enum class StatusTone { Busy, Done };

// The name-pattern box: reports Enter and every loss of focus inside the window.
class PatternEdit : public QLineEdit {
  Q_OBJECT

 public:
  using QLineEdit::QLineEdit;

 signals:
  void focusLost();

 protected:
  void focusOutEvent(QFocusEvent* event) override;
};

class FilterPanel : public QFrame {
  Q_OBJECT

 public:
  explicit FilterPanel(QWidget* parent = nullptr);

  // Places the controls at their design places (twips) and sizes the panel.
  void PlaceControls(const TwipsScale& scale);

  // The pattern list from the name patterns and the boxes that are checked and not hidden.
  std::vector<FilePattern> PatternList() const;

  // The status label's text and tone; the tone's colour comes from the panel's palette (a red that
  // stays readable on a dark theme, the theme's text colour).
  void SetStatus(const QString& text, StatusTone tone);
  QString StatusText() const;
  StatusTone Tone() const { return tone; }
  QColor StatusColour() const;

  QLabel* StatusLabel() const { return auswahlInfo; }
  QGroupBox* Filter() const { return rahmenDateifilter; }
  PatternEdit* NamePatterns() const { return dateinamen; }
  QCheckBox* Box(int index) const { return boxes.at(static_cast<std::size_t>(index)); }
  QPushButton* AllFormats() const { return alleFormate; }
  QLineEdit* MetadataFilterField() const { return metadatenfilter; }
  // The filter of the field's last text that parsed; none while it is empty.
  const std::optional<FolderFilter>& MetadataFilter() const { return metadataFilter; }

 signals:
  // Enter in the name patterns, a box changing its state.
  void refreshRequested();
  // The name patterns lost the focus (the window checks for an empty text, then refreshes).
  void namePatternsLeft();
  // The metadata filter changed to a text that parses (Enter, or a pause in typing).
  void metadataFilterChanged();

 private:
  QLabel* auswahlInfo;
  QGroupBox* rahmenDateifilter;
  PatternEdit* dateinamen;
  QWidget* picture;
  void MoveClearOfButton(const TwipsScale& scale);

  std::array<QCheckBox*, kFormatBoxCount> boxes{};
  QPushButton* alleFormate;
  StatusTone tone = StatusTone::Done;

  void ParseMetadataFilter();
  QLineEdit* metadatenfilter;
  QTimer typingPause;
  std::optional<FolderFilter> metadataFilter;
  QString parsedText;
};

}  // namespace kelmarin
