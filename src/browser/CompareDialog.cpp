#include "browser/CompareDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <exception>
#include <memory>

#include "browser/CurrentImage.h"
#include "browser/MetadataList.h"
#include "extract/ImageMetadata.h"
#include "extract/xmp/XmpSidecars.h"
#include "image/ZetImage.h"
#include "image/meta/MetadataOnly.h"
#include "present/RowPairing.h"
#include "present/qt/QtTextLocale.h"

namespace kelmarin {

namespace {

constexpr int kDiffersRole = Qt::UserRole + 1;
enum Column { kSection, kTag, kLabel, kA, kB };

QString PlainToolTip(const QString& text) {
  return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

// A side's cell: its information, or "(fehlt)" in grey italics when the file has no such row.
void SetSide(QTreeWidgetItem& item, int column, const SectionItem* side, const QPalette& palette) {
  if (side == nullptr) {
    item.setText(column, QStringLiteral("(fehlt)"));
    QFont italic = item.font(column);
    italic.setItalic(true);
    item.setFont(column, italic);
    item.setForeground(column, palette.color(QPalette::Disabled, QPalette::Text));
    return;
  }
  item.setText(column, VisibleText(side->row->information));
  if (!side->row->raw.empty()) {
    item.setToolTip(column, PlainToolTip(QStringLiteral("Rohdaten: ") + VisibleText(side->row->raw)));
  }
}

// Between the list's base and its highlight: marked, and still readable in light and dark schemes.
QColor MarkColour(const QPalette& palette) {
  const QColor base = palette.color(QPalette::Base);
  const QColor mark = palette.color(QPalette::Highlight);
  return QColor((base.red() * 3 + mark.red()) / 4, (base.green() * 3 + mark.green()) / 4,
                (base.blue() * 3 + mark.blue()) / 4);
}

}  // namespace

std::optional<std::vector<ListingRow>> ReadCompareRows(const std::string& path, std::int32_t type,
                                                       const Definitions& definitions, QString& error) {
  const QString name = QFile::decodeName(QByteArray::fromStdString(path));
  try {
    const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(path, type);
    ImageMetadata metadata;
    if (read.error || read.otherFormat) {
      // As the window reads it: with the pixels, for the formats only the full image layer reads.
      ZetImage image(&definitions, nullptr);
      std::int32_t width = 0, height = 0, loadTime = 0;
      if (image.load(path, type, width, height, loadTime) != 0 || width == 0 || height == 0) {
        error = QStringLiteral("Die Datei „%1“ kann nicht gelesen werden.").arg(name);
        return std::nullopt;
      }
      metadata = image.ReadMetadata();
    } else {
      metadata = ReadMetadata(read.type, read.source, &definitions);
    }
    SidecarFinder sidecars;
    const MetadataListing listing =
        ListingOf(definitions, metadata, path, sidecars, TextLocaleOf(QLocale()));
    return ListRows(listing, &definitions);
  } catch (const std::exception&) {
    error = QStringLiteral("Die Metadaten der Datei „%1“ können nicht gelesen werden.").arg(name);
    return std::nullopt;
  }
}

CompareDialog::CompareDialog(CompareSide a, CompareSide b, QWidget* parent)
    : QDialog(parent), sides{std::move(a), std::move(b)} {
  setObjectName(QStringLiteral("Vergleichen"));
  setWindowTitle(QStringLiteral("Vergleichen – %1 und %2").arg(sides[0].name, sides[1].name));
  auto* column = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  onlyDifferences = new QCheckBox(QStringLiteral("Nur Unterschiede"), this);
  count = new QLabel(this);
  count->setTextFormat(Qt::PlainText);
  top->addWidget(onlyDifferences);
  top->addStretch(1);
  top->addWidget(count);
  column->addLayout(top);
  table = new QTreeWidget(this);
  table->setObjectName(QStringLiteral("Vergleichsliste"));
  table->setColumnCount(5);
  table->setHeaderLabels({QStringLiteral("Sektion"), QStringLiteral("Tag"), QStringLiteral("Bezeichnung"),
                          QStringLiteral("A: ") + sides[0].name, QStringLiteral("B: ") + sides[1].name});
  table->setRootIsDecorated(false);
  table->setUniformRowHeights(true);
  table->setSelectionMode(QAbstractItemView::ExtendedSelection);
  table->setAllColumnsShowFocus(true);
  column->addWidget(table, 1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  column->addWidget(buttons);
  connect(onlyDifferences, &QCheckBox::toggled, this, &CompareDialog::ShowOnlyDifferences);
  Fill();
  resize(1000, 640);
}

bool CompareDialog::Marked(const QTreeWidgetItem* item) {
  return item != nullptr && item->data(kSection, kDiffersRole).toBool();
}

void CompareDialog::Fill() {
  const std::vector<SectionItem> itemsA = SectionItems(sides[0].rows), itemsB = SectionItems(sides[1].rows);
  const std::vector<RowPair> pairs = PairRows(itemsA, itemsB);
  const QColor mark = MarkColour(table->palette());
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(pairs.size()));
  int differing = 0;
  for (const RowPair& pair : pairs) {
    const SectionItem& any = pair.a != nullptr ? *pair.a : *pair.b;
    auto* item = new QTreeWidgetItem(
        QStringList{VisibleText(*any.title), VisibleText(any.row->tag), VisibleText(any.row->label)});
    SetSide(*item, kA, pair.a, table->palette());
    SetSide(*item, kB, pair.b, table->palette());
    const bool differs = pair.Differs();
    item->setData(kSection, kDiffersRole, differs);
    if (differs) {
      ++differing;
      for (int c = kSection; c <= kB; ++c) item->setBackground(c, mark);
      for (int c : {kA, kB}) {
        QFont bold = item->font(c);
        bold.setBold(true);
        item->setFont(c, bold);
      }
    }
    items.push_back(item);
  }
  table->addTopLevelItems(items);
  count->setText(QStringLiteral("%1 von %2 Einträgen unterschiedlich").arg(differing).arg(pairs.size()));
  table->header()->resizeSection(
      kSection, table->fontMetrics().horizontalAdvance(QStringLiteral("Sektion Makernote")) + 16);
  table->header()->resizeSection(kTag,
                                 table->fontMetrics().horizontalAdvance(QStringLiteral("0x0000.00")) + 16);
  table->header()->resizeSection(kLabel, 200);
  table->header()->resizeSection(kA, 280);
}

void CompareDialog::ShowOnlyDifferences(bool only) {
  for (int i = 0; i < table->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = table->topLevelItem(i);
    item->setHidden(only && !Marked(item));
  }
}

}  // namespace kelmarin
