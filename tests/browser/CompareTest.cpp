// "Vergleichen": two files' rows side by side, differing rows marked, "Nur Unterschiede"; in the
// window, a second file selected with Ctrl and a click, compared from the file list's context menu.
#include <QRegularExpression>
#include <QTreeWidget>

#include "TestSupport.h"
#include "browser/CompareDialog.h"

namespace kelmarin::test {

namespace {

// Each shown row's five columns joined by "|", "*" before a marked one.
QStringList Shown(const CompareDialog& dialog) {
  QStringList texts;
  for (int i = 0; i < dialog.Table()->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = dialog.Table()->topLevelItem(i);
    QStringList columns;
    for (int c = 0; c < 5; ++c) columns << item->text(c);
    if (!item->isHidden()) texts << (CompareDialog::Marked(item) ? U("*") : U("")) + columns.join(U("|"));
  }
  return texts;
}

}  // namespace

class CompareTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }

  void rowsPairedMarkedAndFiltered() {
    const ListingRow main = Row(1, "", "Sektion Main", "", "", RowKind::Header);
    CompareDialog dialog({U("a.jpg"),
                          {main, Row(1, "271", "Hersteller", "<i>C</i>"), Row(1, "272", "Modell", "5D", "r1"),
                           Row(1, "33434", "Zeit", "1/100")}},
                         {U("b.jpg"),
                          {main, Row(1, "271", "Hersteller", "<i>C</i>"), Row(1, "272", "Modell", "5D", "r2"),
                           Row(1, "34855", "ISO", "400")}});
    QCOMPARE(dialog.Table()->headerItem()->text(4), U("B: b.jpg"));
    const QStringList all = {U("Sektion Main|271|Hersteller|<i>C</i>|<i>C</i>"),
                             U("*Sektion Main|272|Modell|5D|5D"), U("*Sektion Main|33434|Zeit|1/100|(fehlt)"),
                             U("*Sektion Main|34855|ISO|(fehlt)|400")};
    QCOMPARE(Shown(dialog), all);
    QCOMPARE(dialog.Count()->text(), U("3 von 4 Einträgen unterschiedlich"));
    QVERIFY(dialog.Table()->topLevelItem(1)->toolTip(4).contains(U("Rohdaten: r2")));
    dialog.OnlyDifferences()->setChecked(true);
    QCOMPARE(Shown(dialog), all.mid(1));
    dialog.OnlyDifferences()->setChecked(false);
    QCOMPARE(Shown(dialog), all);
  }

  void windowComparesTheTwoFilesSelected() {
    Harness harness;
    harness.WriteJpeg(U("a.jpg"), 64, 48, true);
    harness.WriteJpeg(U("b.jpg"), 80, 60, true);
    harness.WriteJpeg(U("c.jpg"), 32, 32);
    auto window = harness.Start();
    FileList* files = window->Files();
    QAction* compare = window->CompareAction();
    QVERIFY(files->actions().contains(compare));
    // A click selects one file and shows it; Ctrl and a click add a second.
    ClickItem(files, files->topLevelItem(2));
    ClickItem(files, files->topLevelItem(1));
    QCOMPARE(files->selectedItems(), QList<QTreeWidgetItem*>({files->topLevelItem(1)}));
    QCOMPARE(window->Info()->NameLabel()->text(), U("b.jpg"));
    QVERIFY(!compare->isEnabled());
    const QPoint first = files->visualItemRect(files->topLevelItem(0)).center();
    QTest::mouseClick(files->viewport(), Qt::LeftButton, Qt::ControlModifier, first);
    QCOMPARE(files->selectedItems().size(), 2);
    compare->trigger();
    auto* dialog = window->findChild<CompareDialog*>();
    QVERIFY(dialog != nullptr && dialog->isVisible());
    QCOMPARE(dialog->Table()->headerItem()->text(3), U("A: a.jpg"));  // the upper file
    // The same camera, another picture size: the list's rows, some marked and some not.
    const QStringList rows = Shown(*dialog);
    QVERIFY(rows.filter(QRegularExpression(U("^\\*Sektion Main\\|"))).size() > 0);
    QVERIFY(rows.filter(QRegularExpression(U("^Sektion Makernote\\|"))).size() > 0);
    delete dialog;
    // A file gone before the comparison: told in words, no dialog.
    QVERIFY(QFile::remove(harness.Path(U("b.jpg"))));
    harness.reporter.messages.clear();
    compare->trigger();
    QVERIFY(window->findChild<CompareDialog*>() == nullptr);
    QCOMPARE(harness.reporter.messages.size(), 1U);
    QVERIFY(QString::fromStdString(harness.reporter.messages[0].text)
                .contains(U("„") + harness.Path(U("b.jpg"))));
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::CompareTest)
#include "CompareTest.moc"
