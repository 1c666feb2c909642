// "Vergleichen": two files' rows side by side as --diff pairs them, differing rows marked, "Nur
// Unterschiede"; in the window, a second file selected with Ctrl and a click and compared from the
// file list's context menu.
#include <QTreeWidget>

#include "TestSupport.h"
#include "browser/CompareDialog.h"

namespace kelmarin::test {

namespace {

// Each shown row as "section|tag|label|A|B" with "*" before it when marked.
QStringList Shown(const CompareDialog& dialog) {
  QStringList texts;
  QTreeWidget* table = dialog.Table();
  for (int i = 0; i < table->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = table->topLevelItem(i);
    if (item->isHidden()) continue;
    QStringList columns;
    for (int c = 0; c < 5; ++c) columns << item->text(c);
    texts << (CompareDialog::Marked(item) ? U("*") : QString()) + columns.join(QLatin1Char('|'));
  }
  return texts;
}

}  // namespace

class CompareTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }

  void rowsPairedMarkedAndFiltered() {
    CompareSide a{U("a.jpg"),
                  {Row(1, "", "Sektion Main", "", "", RowKind::Header), Row(1, "271", "Hersteller", "Canon"),
                   Row(1, "272", "Modell", "EOS 5D", "Canon EOS 5D"), Row(1, "33434", "Belichtung", "1/100"),
                   Row(6, "", "Sektion Kommentare", "", "", RowKind::Header), Row(6, "", "Comment", "<i>x</i>\n")}};
    CompareSide b{U("b.jpg"),
                  {Row(1, "", "Sektion Main", "", "", RowKind::Header), Row(1, "271", "Hersteller", "Canon"),
                   Row(1, "272", "Modell", "EOS 5D", "Canon EOS 5D Mark II"), Row(1, "34855", "ISO", "400"),
                   Row(6, "", "Sektion Kommentare", "", "", RowKind::Header), Row(6, "", "Comment", "<i>x</i>\n")}};
    CompareDialog dialog(a, b);
    QCOMPARE(dialog.Table()->headerItem()->text(3), U("A: a.jpg"));
    QCOMPARE(dialog.Table()->headerItem()->text(4), U("B: b.jpg"));
    const QStringList all = {
        U("Sektion Main|271|Hersteller|Canon|Canon"),
        U("*Sektion Main|272|Modell|EOS 5D|EOS 5D"),  // the raw column differs
        U("*Sektion Main|33434|Belichtung|1/100|(fehlt)"),
        U("Sektion Kommentare||Comment|<i>x</i>\\n|<i>x</i>\\n"),
        U("*Sektion Main|34855|ISO|(fehlt)|400"),
    };
    QCOMPARE(Shown(dialog), all);
    QCOMPARE(dialog.Count()->text(), U("3 von 5 Einträgen unterschiedlich"));
    const QTreeWidgetItem* model = dialog.Table()->topLevelItem(1);
    QVERIFY(model->toolTip(4).contains(U("Rohdaten: Canon EOS 5D Mark II")));
    QVERIFY(model->background(3) != dialog.Table()->topLevelItem(0)->background(3));
    dialog.OnlyDifferences()->setChecked(true);
    QCOMPARE(Shown(dialog), QStringList({all[1], all[2], all[4]}));
    dialog.OnlyDifferences()->setChecked(false);
    QCOMPARE(Shown(dialog), all);
  }

  void windowComparesTheTwoFilesSelected() {
    Harness harness;
    harness.WriteJpeg(U("a.jpg"), 64, 48, true);
    harness.WriteJpeg(U("b.jpg"), 80, 60, true);
    harness.WriteJpeg(U("c.jpg"), 32, 32);
    auto window = harness.Start();
    QVERIFY(window != nullptr);
    FileList* files = window->Files();
    QCOMPARE(ItemTexts(files), QStringList({U("a.jpg"), U("b.jpg"), U("c.jpg")}));
    QAction* compare = window->CompareAction();
    QVERIFY(files->actions().contains(compare));
    QVERIFY(!compare->isEnabled());
    // A click selects one file and shows it; Ctrl and a click add a second.
    ClickItem(files, files->topLevelItem(2));
    QCOMPARE(files->selectedItems().size(), 1);
    QCOMPARE(window->Info()->NameLabel()->text(), U("c.jpg"));
    ClickItem(files, files->topLevelItem(1));
    QCOMPARE(files->selectedItems(), QList<QTreeWidgetItem*>({files->topLevelItem(1)}));
    QVERIFY(!compare->isEnabled());
    files->scrollToItem(files->topLevelItem(0));
    QTest::mouseClick(files->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      files->visualItemRect(files->topLevelItem(0)).center());
    QCOMPARE(files->selectedItems().size(), 2);
    QVERIFY(compare->isEnabled());
    compare->trigger();
    auto* dialog = window->findChild<CompareDialog*>();
    QVERIFY(dialog != nullptr);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->Table()->headerItem()->text(3), U("A: a.jpg"));  // the upper file is A
    // The same camera, another picture size: rows of each kind, from the list's own reading.
    int marked = 0, same = 0;
    for (int i = 0; i < dialog->Table()->topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = dialog->Table()->topLevelItem(i);
      (CompareDialog::Marked(item) ? marked : same) += 1;
      QVERIFY(item->text(3) != U("(fehlt)") || CompareDialog::Marked(item));
    }
    QVERIFY(marked > 0);
    QVERIFY(same > 0);
    dialog->close();
    // A file gone before the comparison: told in words, no dialog.
    QVERIFY(QFile::remove(harness.Path(U("b.jpg"))));
    ClickItem(files, files->topLevelItem(1));
    QTest::mouseClick(files->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      files->visualItemRect(files->topLevelItem(0)).center());
    harness.reporter.messages.clear();
    compare->trigger();
    QVERIFY(window->findChild<CompareDialog*>() == nullptr || !window->findChild<CompareDialog*>()->isVisible());
    QCOMPARE(harness.reporter.messages.size(), 1U);
    QVERIFY(QString::fromStdString(harness.reporter.messages[0].text).contains(U("b.jpg")));
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::CompareTest)
#include "CompareTest.moc"
