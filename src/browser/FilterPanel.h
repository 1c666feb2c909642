#pragma once
// The panel "Rahmen_Links": the status label "auswahl_info" and the format filter
// "Rahmen_Dateifilter" ("Bildformatauswahl") with the name patterns "dateinamen", the format boxes
// "bild_art" (index 0 to 11 the classic twelve, the "jp2" box hidden; 12 up today's formats in a
// fourth row beside the button) and the button "AlleFormate".

#include <QColor>
#include <QFrame>
#include <QLineEdit>
#include <array>
#include <vector>

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

 signals:
  // Enter in the name patterns, a box changing its state.
  void refreshRequested();
  // The name patterns lost the focus (the window checks for an empty text, then refreshes).
  void namePatternsLeft();

 private:
  QLabel* auswahlInfo;
  QGroupBox* rahmenDateifilter;
  PatternEdit* dateinamen;
  QWidget* picture;
  void MoveClearOfButton(const TwipsScale& scale);

  std::array<QCheckBox*, kFormatBoxCount> boxes{};
  QPushButton* alleFormate;
  StatusTone tone = StatusTone::Done;
};

}  // namespace kelmarin
