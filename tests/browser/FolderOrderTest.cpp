// Folder and file names in German order; hidden folders only when asked for, and the choice kept.
#include <QAction>
#include <QTest>

#include "TestSupport.h"
#include "browser/FileList.h"
#include "browser/FolderTree.h"
#include "browser/NameOrder.h"

namespace kelmarin::test {

class FolderOrderTest : public QObject {
  Q_OBJECT

 private:
  // The subfolders of the selected folder, read.
  static QStringList Subfolders(Verzeichnis& window) {
    QTreeWidgetItem* node = window.Tree()->SelectedNode();
    return node != nullptr && window.Tree()->ExpandNode(node) ? ChildTexts(node) : QStringList();
  }

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  void germanOrder_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("numbers by value") << QStringLiteral("Bild 2") << QStringLiteral("Bild 10");
    QTest::newRow("umlaut beside its letter") << QStringLiteral("Ümlaut") << QStringLiteral("Vase");
    QTest::newRow("umlaut after the plain letter's word") << QStringLiteral("Uhr") << QStringLiteral("Ümlaut");
    QTest::newRow("case last") << QStringLiteral("apfel") << QStringLiteral("Birne");
    QTest::newRow("equal but for case: stable") << QStringLiteral("Foto") << QStringLiteral("foto");
  }
  void germanOrder() {
    QFETCH(QString, first);
    QFETCH(QString, second);
    QVERIFY(GermanNameLess(first, second));
    QVERIFY(!GermanNameLess(second, first));
  }

  void treeAndFileListInGermanOrderHiddenOnRequest() {
    Harness harness;
    for (const char* name : {"Bild 10", "Bild 2", "Ümlaut", "Vase", "Uhr", ".versteckt"}) {
      harness.MakeFolder(QStringLiteral("fotos/") + QString::fromUtf8(name));
    }
    for (const char* name : {"Bild 10.jpg", "bild 2.jpg", "Ähre.jpg", "Zaun.jpg"}) {
      harness.WriteJpeg(QStringLiteral("fotos/") + QString::fromUtf8(name), 8, 8);
    }
    SetSetting(QStringLiteral("Administration"), QStringLiteral("version"), QStringLiteral("1.0"));
    SetSetting(QStringLiteral("LastSession"), QStringLiteral("startpath"), harness.Path(QStringLiteral("fotos")));
    auto window = harness.Start();
    FolderTree* tree = window->Tree();
    QCOMPARE(Subfolders(*window),
             (QStringList{QStringLiteral("Bild 2"), QStringLiteral("Bild 10"), QStringLiteral("Uhr"),
                          QStringLiteral("Ümlaut"), QStringLiteral("Vase")}));
    QCOMPARE(ItemTexts(window->Files()), (QStringList{QStringLiteral("Ähre.jpg"), QStringLiteral("bild 2.jpg"),
                                                      QStringLiteral("Bild 10.jpg"), QStringLiteral("Zaun.jpg")}));

    // Shown through the tree's context menu (and Ctrl+H), kept for the next start.
    QAction* hidden = window->HiddenFoldersAction();
    QVERIFY(tree->actions().contains(hidden));
    QCOMPARE(hidden->text(), QStringLiteral("Versteckte Ordner anzeigen"));
    hidden->trigger();
    QCOMPARE(tree->SelectedNode()->text(0), QStringLiteral("fotos"));
    QCOMPARE(Subfolders(*window).value(0), QStringLiteral(".versteckt"));
    window.reset();
    window = harness.Start();
    QVERIFY(window->HiddenFoldersAction()->isChecked());
    QCOMPARE(Subfolders(*window).size(), 6);
    window->HiddenFoldersAction()->trigger();
    QCOMPARE(Subfolders(*window).size(), 5);
    QCOMPARE(Setting(QStringLiteral("Ansicht"), QStringLiteral("showhidden")), QStringLiteral("0"));
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::FolderOrderTest)
#include "FolderOrderTest.moc"
