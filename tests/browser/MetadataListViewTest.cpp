// The metadata list's widths and tooltips, and the view restored at the next start: column widths,
// the tree's height above the file list, the name patterns and the format boxes.
#include <QCheckBox>
#include <QTest>

#include "TestSupport.h"
#include "browser/FilterPanel.h"
#include "browser/FolderTree.h"
#include "browser/MetadataList.h"
#include "browser/SplitterBar.h"

namespace kelmarin::test {

namespace {
ListingRow Row(const QString& label, const QString& information) {
  ListingRow row;
  row.tag = QStringLiteral("1");
  row.label = label;
  row.information = information;
  return row;
}
}  // namespace

class MetadataListViewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  void labelColumnFitsAndLongTextsShowWhole() {
    MetadataList list;
    list.resize(900, 400);
    list.show();
    const QString longLabel = QStringLiteral("Bezeichnung ").repeated(3);
    list.SetRows({Row(QStringLiteral("Kurz"), QStringLiteral("1/250 s"))});
    const int narrow = list.columnWidth(1);
    list.SetRows({Row(longLabel, QStringLiteral("1/250 s"))});
    const int wide = list.columnWidth(1);
    QVERIFY(wide >= list.fontMetrics().horizontalAdvance(longLabel));
    QVERIFY(wide > narrow);
    list.SetRows({Row(QStringLiteral("Bezeichnung ").repeated(30), QStringLiteral("x"))});
    QVERIFY(list.columnWidth(1) <= 900 * 45 / 100);  // within the limit
    list.SetRows({Row(QStringLiteral("Kurz"), QStringLiteral("1/250 s"))});
    QCOMPARE(list.columnWidth(1), narrow);  // fitted again on each filling

    const QString longValue = QStringLiteral("Wert ").repeated(200);
    list.SetRows({Row(QStringLiteral("Kurz"), longValue), Row(QStringLiteral("Kurz"), QStringLiteral("kurz"))});
    list.setColumnWidth(2, 100);
    const auto at = [&](int row, int column) {
      return list.visualRect(list.model()->index(row, column)).center();
    };
    QCOMPARE(list.ToolTipAt(at(0, 2)), longValue);
    QVERIFY(list.ToolTipAt(at(1, 2)).isEmpty());
    QVERIFY(list.ToolTipAt(at(0, 1)).isEmpty());
  }

  void viewRestoredAtTheNextStart() {
    Harness harness;
    harness.WriteJpeg(QStringLiteral("a.jpg"), 16, 16, true);
    int treeHeight = 0;
    int rawWidth = 0;
    {
      auto window = harness.Start();
      window->Filter()->NamePatterns()->setText(QStringLiteral("a*"));
      window->Filter()->Box(2)->setChecked(false);
      window->Metadata()->setColumnWidth(3, 333);
      window->setMinimumSize(0, 0);
      window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
      window->resize(window->width(), window->height() + 200);
      QCoreApplication::processEvents();
      const int designHeight = window->Tree()->height();
      emit window->HSplitter()->dragged(QPoint(0, -40));  // 40 pixels up
      treeHeight = window->Tree()->height();
      QVERIFY(std::abs(treeHeight - designHeight) > 20);
      rawWidth = window->Metadata()->columnWidth(3);
      window->close();
    }
    auto window = harness.Start();
    QCOMPARE(window->Filter()->NamePatterns()->text(), QStringLiteral("a*"));
    QVERIFY(!window->Filter()->Box(2)->isChecked());
    QVERIFY(window->Filter()->Box(1)->isChecked());
    QCOMPARE(window->Tree()->height(), treeHeight);
    QVERIFY(std::abs(window->Metadata()->columnWidth(3) - rawWidth) <= 1);
    QCOMPARE(Setting(QStringLiteral("Ansicht"), QStringLiteral("patterns")), QStringLiteral("a*"));
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::MetadataListViewTest)
#include "MetadataListViewTest.moc"
