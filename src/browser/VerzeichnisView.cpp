// The view's own settings, kept beside the long-standing ones: the widths of the metadata list's
// columns, the height of the folder tree above the file list, the name patterns and the format boxes.
#include <QCheckBox>
#include <QSignalBlocker>
#include <QStringList>

#include "browser/FilterPanel.h"
#include "browser/MetadataList.h"
#include "browser/Settings.h"
#include "browser/Verzeichnis.h"

namespace kelmarin {

namespace {

const QString kColumns = QStringLiteral("exifcolumns");  // four widths in twips, comma-separated
const QString kTreeHeight = QStringLiteral("treeheight");  // twips
const QString kPatterns = QStringLiteral("patterns");
const QString kFormats = QStringLiteral("formats");  // one "1" or "0" per format box

}  // namespace

void Verzeichnis::RestoreView() {
  const TwipsScale scale = TwipsScale::Of(this);
  const QStringList columns = ReadSetting(kViewSection, kColumns, QString()).split(QLatin1Char(','));
  if (columns.size() == 4) {
    for (int column = 0; column < 4; ++column) {
      const std::optional<double> twips = SettingNumber(columns[column]);
      if (twips && *twips >= 0 && *twips < 100000) exifliste->setColumnWidth(column, scale.ToPixelsX(static_cast<int>(*twips)));
    }
  }
  RunLayoutPass();
  const QString patterns = ReadSetting(kViewSection, kPatterns, QString());
  if (!patterns.trimmed().isEmpty()) rahmenLinks->NamePatterns()->setText(patterns);
  const QString formats = ReadSetting(kViewSection, kFormats, QString());
  if (formats.size() == static_cast<qsizetype>(kFormatBoxCount)) {
    for (int box = 0; box < static_cast<int>(kFormatBoxCount); ++box) {
      const QSignalBlocker quiet(rahmenLinks->Box(box));
      rahmenLinks->Box(box)->setChecked(formats.at(box) == QLatin1Char('1'));
    }
  }
}

void Verzeichnis::RestoreTreeHeight() {
  if (const std::optional<double> height = SettingNumber(ReadSetting(kViewSection, kTreeHeight, QString()));
      height && *height > 0 && *height < 100000) {
    DragHorizontalSplitter(layout, state, layout.tree.top + static_cast<std::int32_t>(*height) - layout.hsplitter.top);
  }
  RunLayoutPass();
}

void Verzeichnis::StoreView() {
  const TwipsScale scale = TwipsScale::Of(this);
  QStringList columns;
  for (int column = 0; column < 4; ++column) columns << QString::number(scale.ToTwipsX(exifliste->columnWidth(column)));
  WriteSetting(kViewSection, kColumns, columns.join(QLatin1Char(',')));
  WriteSetting(kViewSection, kTreeHeight, QString::number(layout.tree.height));
  WriteSetting(kViewSection, kPatterns, rahmenLinks->NamePatterns()->text());
  QString formats;
  for (int box = 0; box < static_cast<int>(kFormatBoxCount); ++box) {
    formats += rahmenLinks->Box(box)->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
  }
  WriteSetting(kViewSection, kFormats, formats);
  StoreFolderView();
}

}  // namespace kelmarin
