#include "browser/FilterPanel.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "browser/DesktopFit.h"
#include "browser/Twips.h"
#include "browser/core/FormatTable.h"

namespace kelmarin {

namespace {

constexpr std::array<std::int32_t, 4> kColumnLeft = {0, 1170, 2340, 3525};
constexpr std::array<std::int32_t, 4> kRowTop = {0, 300, 600, 900};
constexpr int kJp2Box = 10;
constexpr int kButtonRow = 4;      // the row of today's formats, beside "alle auswählen"
constexpr int kTypingPause = 300;  // ms after the last key before the metadata filter applies

const QString kFilterHelp = QStringLiteral(
    "Dateien nach ihren Metadaten filtern, z. B. \"Bewertung >= 3\", \"Objektiv: 85\", \"ISO > 3200\", "
    "ein Stichwort oder ein Zeitraum");
const QString kErrorFrame = QStringLiteral("QLineEdit#metadatenfilter { border: 2px solid #d00000; }");

}  // namespace

void PatternEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // Only a move of the focus inside the window counts, not another window or a menu taking it.
  if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
    emit focusLost();
}

FilterPanel::FilterPanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("Rahmen_Links"));
  auswahlInfo = new QLabel(this);
  auswahlInfo->setObjectName(QStringLiteral("auswahl_info"));
  auswahlInfo->setTextFormat(Qt::PlainText);
  rahmenDateifilter = new QGroupBox(QStringLiteral("Bildformatauswahl"), this);
  rahmenDateifilter->setObjectName(QStringLiteral("Rahmen_Dateifilter"));
  dateinamen = new PatternEdit(QStringLiteral("*"), rahmenDateifilter);
  dateinamen->setObjectName(QStringLiteral("dateinamen"));
  picture = new QWidget(rahmenDateifilter);
  picture->setObjectName(QStringLiteral("Picture"));
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    auto* box = new QCheckBox(QString::fromLatin1(kFormatBoxes[i].caption), picture);
    box->setObjectName(QStringLiteral("bild_art"));
    box->setProperty("index", static_cast<int>(i));
    box->setChecked(true);
    connect(box, &QCheckBox::toggled, this, &FilterPanel::refreshRequested);
    boxes[i] = box;
  }
  boxes[kJp2Box]->hide();  // JPEG 2000 cannot be read
  alleFormate = new QPushButton(QStringLiteral("alle auswählen"), picture);
  alleFormate->setObjectName(QStringLiteral("AlleFormate"));
  connect(alleFormate, &QPushButton::clicked, this, [this] {
    for (QCheckBox* box : boxes) box->setChecked(true);  // each box that changes refreshes the list
  });
  connect(dateinamen, &QLineEdit::returnPressed, this, &FilterPanel::refreshRequested);
  connect(dateinamen, &PatternEdit::focusLost, this, &FilterPanel::namePatternsLeft);

  metadatenfilter = new QLineEdit(rahmenDateifilter);
  metadatenfilter->setObjectName(QStringLiteral("metadatenfilter"));
  metadatenfilter->setPlaceholderText(QStringLiteral("Metadaten-Filter"));
  metadatenfilter->setClearButtonEnabled(true);
  metadatenfilter->setToolTip(kFilterHelp);
  typingPause.setSingleShot(true);
  typingPause.setInterval(kTypingPause);
  connect(&typingPause, &QTimer::timeout, this, &FilterPanel::ParseMetadataFilter);
  connect(metadatenfilter, &QLineEdit::textChanged, this, [this] { typingPause.start(); });
  connect(metadatenfilter, &QLineEdit::returnPressed, this, &FilterPanel::ParseMetadataFilter);
}

void FilterPanel::ParseMetadataFilter() {
  typingPause.stop();
  const QString text = metadatenfilter->text().trimmed();
  std::string message;
  std::optional<FolderFilter> parsed;
  if (!text.isEmpty()) parsed = FolderFilter::Parse(text.toStdString(), &message);
  const bool valid = text.isEmpty() || parsed.has_value();
  metadatenfilter->setStyleSheet(valid ? QString() : kErrorFrame);
  metadatenfilter->setToolTip(valid ? kFilterHelp : QString::fromStdString(message));
  if (!valid || text == parsedText) return;  // a wrong text leaves the list as it was
  parsedText = text;
  metadataFilter = std::move(parsed);
  emit metadataFilterChanged();
}

void FilterPanel::PlaceControls(const TwipsScale& scale) {
  auswahlInfo->setGeometry(scale.ToPixels({0, 90, 3450, 285}));
  rahmenDateifilter->setGeometry(scale.ToPixels({0, 495, 4560, 2130}));
  dateinamen->setGeometry(scale.ToPixels({135, 315, 2445, 285}));
  metadatenfilter->setGeometry(scale.ToPixels({2655, 315, 1770, 285}));
  picture->setGeometry(scale.ToPixels({135, 765, 4245, 1245}));
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const FormatBox& format = kFormatBoxes[i];
    const auto column = static_cast<std::size_t>(format.column - 1);
    const auto row = static_cast<std::size_t>(format.row - 1);
    QRect place = scale.ToPixels({kColumnLeft[column], kRowTop[row], 1050, 255});
    // A caption wider than the design's box may take the gap up to the next column.
    const int room = column + 1 < kColumnLeft.size()
                         ? scale.ToPixelsX(kColumnLeft[column + 1] - 30) - place.left()
                         : picture->width() - place.left();
    place.setWidth(std::clamp(boxes[i]->sizeHint().width(), place.width(), std::max(place.width(), room)));
    place.setHeight(std::max(place.height(), boxes[i]->sizeHint().height()));
    boxes[i]->setGeometry(place);
  }
  alleFormate->setGeometry(scale.ToPixels({0, 900, 1575, 330}));
  MoveClearOfButton(scale);
}

// The fourth row shares its height with the button: its boxes, in column order, start at their
// grid place or after the button or the box before them, whichever is further right.
void FilterPanel::MoveClearOfButton(const TwipsScale& scale) {
  const int gap = scale.ToPixelsX(60);
  int free = alleFormate->geometry().right() + 1 + gap;
  for (int column = 1; column <= static_cast<int>(kColumnLeft.size()); ++column) {
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      if (kFormatBoxes[i].row != kButtonRow || kFormatBoxes[i].column != column) continue;
      QRect place = boxes[i]->geometry();
      if (place.left() < free) place.moveLeft(free);
      boxes[i]->setGeometry(place);
      free = place.right() + 1 + gap;
    }
  }
}

std::vector<FilePattern> FilterPanel::PatternList() const {
  std::array<bool, kFormatBoxCount> active{};
  for (std::size_t i = 0; i < boxes.size(); ++i) active[i] = boxes[i]->isChecked() && !boxes[i]->isHidden();
  return BuildPatternList(dateinamen->text().toStdString(), active);
}

void FilterPanel::SetStatus(const QString& text, StatusTone shownTone) {
  tone = shownTone;
  QPalette colours = auswahlInfo->palette();
  colours.setColor(QPalette::WindowText, tone == StatusTone::Busy ? ReadableRed(palette(), QPalette::Window)
                                                                  : palette().color(QPalette::WindowText));
  auswahlInfo->setPalette(colours);
  auswahlInfo->setText(text);
}

QString FilterPanel::StatusText() const {
  return auswahlInfo->text();
}

QColor FilterPanel::StatusColour() const {
  return auswahlInfo->palette().color(QPalette::WindowText);
}

}  // namespace kelmarin
