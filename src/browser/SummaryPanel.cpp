#include "browser/SummaryPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <charconv>
#include <optional>
#include <string_view>

#include "browser/MetadataList.h"
#include "browser/Settings.h"

namespace kelmarin {

namespace {

const QString kOpenSetting = QStringLiteral("aufeinenblick");

// The title of the section the row stands in and the row itself, when the rows hold it.
struct FoundRow {
  const std::string* title = nullptr;
  const ListingRow* row = nullptr;
};

// The number a source names its tag by ("0x829A" or "33434"); nullopt for other names.
std::optional<std::int32_t> TagNumber(const std::string& tag) {
  std::string_view digits = tag;
  int base = 10;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    digits.remove_prefix(2);
    base = 16;
  }
  std::int32_t number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number, base);
  if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) return std::nullopt;
  return number;
}

// The row a source names: by the tag column's text, by the tag's number (the item's own row, not a
// value of its list), or for a row without a tag by its label.
FoundRow FindRow(const SummarySource& source, const std::vector<ListingRow>& rows) {
  const std::optional<std::int32_t> number = TagNumber(source.tag);
  const std::string* title = nullptr;
  for (const ListingRow& row : rows) {
    if (row.kind == RowKind::Header) title = &row.label;
    if (row.kind != RowKind::Item || row.section != source.section) continue;
    const bool byNumber = number && row.tagNumber == *number && row.position == 0 && !row.tag.empty();
    if (row.tag == source.tag || byNumber || (row.tag.empty() && row.label == source.tag))
      return {title, &row};
  }
  return {};
}

// Plain text as a tool tip shows it: tool tips take text that looks like markup for rich text, and
// the texts here come from the file.
QString PlainToolTip(const QString& text) {
  return QStringLiteral("<p style='white-space:pre'>") +
         text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")) + QStringLiteral("</p>");
}

}  // namespace

QString SummarySourcesText(const SummaryLine& line, const std::vector<ListingRow>& rows) {
  QStringList parts;
  if (!line.from.empty()) parts << QStringLiteral("Aus:");
  for (const SummarySource& source : line.from) {
    const FoundRow found = FindRow(source, rows);
    const std::string title = found.title != nullptr ? *found.title : SectionTitle(source.section);
    const std::string& tag = found.row != nullptr && !found.row->tag.empty() ? found.row->tag : source.tag;
    QString text =
        title.empty() ? VisibleText(tag) : VisibleText(title) + QStringLiteral(", ") + VisibleText(tag);
    if (found.row != nullptr && !found.row->label.empty() && found.row->label != source.tag) {
      text += QStringLiteral(" (") + VisibleText(found.row->label) + QLatin1Char(')');
    }
    parts << text;
  }
  if (!line.raw.empty()) parts << QStringLiteral("Rohdaten: ") + VisibleText(line.raw);
  return parts.join(QLatin1Char('\n'));
}

SummaryPanel::SummaryPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("AufEinenBlick"));
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 2);
  column->setSpacing(0);
  header = new QToolButton(this);
  header->setObjectName(QStringLiteral("AufEinenBlickKopf"));
  header->setText(QStringLiteral("Auf einen Blick"));
  header->setCheckable(true);
  header->setAutoRaise(true);
  header->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  QFont bold = header->font();
  bold.setBold(true);
  header->setFont(bold);
  column->addWidget(header);
  scroller = new QScrollArea(this);
  scroller->setFrameShape(QFrame::NoFrame);
  scroller->setWidgetResizable(true);
  scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  body = new QWidget(scroller);
  grid = new QGridLayout(body);
  grid->setContentsMargins(6, 0, 2, 0);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(1);
  grid->setColumnStretch(1, 1);
  scroller->setWidget(body);
  column->addWidget(scroller);
  const bool open = ReadSetting(kViewSection, kOpenSetting, QStringLiteral("1")) != QStringLiteral("0");
  header->setChecked(open);
  header->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
  scroller->setVisible(open);
  connect(header, &QToolButton::toggled, this, [this](bool opened) {
    header->setArrowType(opened ? Qt::DownArrow : Qt::RightArrow);
    scroller->setVisible(opened);
    WriteSetting(kViewSection, kOpenSetting, opened ? QStringLiteral("1") : QStringLiteral("0"));
    emit heightChanged();
  });
  setVisible(false);
}

QSize SummaryPanel::sizeHint() const {
  const QMargins margins = layout()->contentsMargins();
  int height = header->sizeHint().height() + margins.top() + margins.bottom();
  if (header->isChecked()) height += body->sizeHint().height();
  return {QWidget::sizeHint().width(), height};
}

bool SummaryPanel::IsOpen() const {
  return header->isChecked();
}

void SummaryPanel::RemoveLines() {
  for (const Line& line : lines) {
    delete line.caption;
    delete line.text;
  }
  lines.clear();
  delete mapLink;
  mapLink = nullptr;
}

void SummaryPanel::SetSummary(const PhotoSummary& summary, const std::vector<ListingRow>& rows, bool hasMap) {
  RemoveLines();
  int at = 0;
  for (const SummaryLine& line : summary.lines) {
    if (line.text.empty()) continue;
    auto* caption = new QLabel(VisibleText(line.caption), body);
    caption->setTextFormat(Qt::PlainText);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    auto* text = new QLabel(VisibleText(line.text), body);
    text->setTextFormat(Qt::PlainText);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    const QString tip = SummarySourcesText(line, rows);
    if (!tip.isEmpty()) {
      caption->setToolTip(PlainToolTip(tip));
      text->setToolTip(PlainToolTip(tip));
    }
    grid->addWidget(caption, at, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(text, at, 1);
    if (line.key == "place" && hasMap && mapLink == nullptr) {
      mapLink = new QPushButton(QStringLiteral("Karte öffnen"), body);
      mapLink->setFlat(true);
      mapLink->setCursor(Qt::PointingHandCursor);
      connect(mapLink, &QPushButton::clicked, this, &SummaryPanel::mapRequested);
      grid->addWidget(mapLink, at, 2, Qt::AlignRight | Qt::AlignTop);
    }
    lines.push_back({caption, text});
    ++at;
  }
  setVisible(!lines.empty());
  emit heightChanged();
}

void SummaryPanel::Clear() {
  const bool was = !isHidden() || !lines.empty();
  RemoveLines();
  setVisible(false);
  if (was) emit heightChanged();
}

}  // namespace kelmarin
