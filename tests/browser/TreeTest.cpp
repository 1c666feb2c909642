// The drive and folder tree: placeholders, lazy reading, navigation, the up button.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

#include "TestSupport.h"
#include "browser/FileList.h"
#include "browser/FilterPanel.h"
#include "browser/FolderTree.h"
#include "browser/InfoPanel.h"
#include "browser/TreeIcons.h"

namespace kelmarin::test {

class TreeTest : public QObject {
  Q_OBJECT

 private:
  // A harness with folders a/inner, b, c/Dummy, alpha, Zeta.
  static void MakeFolders(Harness& harness) {
    for (const char* folder : {"a/inner", "b", "c/Dummy", "alpha", "Zeta"})
      harness.MakeFolder(QString::fromUtf8(folder));
  }
  static void StartIn(const QString& path) {
    SetSetting(QStringLiteral("Administration"), QStringLiteral("version"), QStringLiteral("1.0"));
    SetSetting(QStringLiteral("LastSession"), QStringLiteral("startpath"), path);
  }

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  void placeholdersMarkUnreadFolders() {
    Harness harness;
    MakeFolders(harness);
    auto window = harness.Start();
    FolderTree* tree = window->Tree();
    QTreeWidgetItem* drive = tree->DefaultDrive();
    QCOMPARE(drive->text(0), QStringLiteral("(") + harness.Root() + QStringLiteral(")"));
    QCOMPARE(FolderTree::NodeState(drive), FolderTree::kRead);
    // Sorted by text without regard to case.
    QCOMPARE(ChildTexts(drive),
             QStringList({QStringLiteral("a"), QStringLiteral("alpha"), QStringLiteral("b"),
                          QStringLiteral("c"), QStringLiteral("Zeta")}));
    QTreeWidgetItem* a = Child(drive, QStringLiteral("a"));
    QCOMPARE(FolderTree::NodeState(a), FolderTree::kUnread);
    QCOMPARE(ChildTexts(a), QStringList(QStringLiteral("Dummy")));
    QCOMPARE(FolderTree::NodeKey(a->child(0)), harness.Path(QStringLiteral("a/Dummy")));
    QTreeWidgetItem* b = Child(drive, QStringLiteral("b"));
    QCOMPARE(FolderTree::NodeState(b), FolderTree::kRead);
    QCOMPARE(b->childCount(), 0);
    QCOMPARE(FolderTree::NodePath(b), QFile::encodeName(harness.Path(QStringLiteral("b"))));
  }

  void realFolderNamedDummyAppearsWhenOpened() {
    Harness harness;
    MakeFolders(harness);
    auto window = harness.Start();
    QTreeWidgetItem* c = Child(window->Tree()->DefaultDrive(), QStringLiteral("c"));
    c->setExpanded(true);
    QCOMPARE(FolderTree::NodeState(c), FolderTree::kRead);
    QCOMPARE(ChildTexts(c), QStringList(QStringLiteral("Dummy")));
    QCOMPARE(FolderTree::NodePath(c->child(0)), QFile::encodeName(harness.Path(QStringLiteral("c/Dummy"))));
    QCOMPARE(FolderTree::NodeState(c->child(0)), FolderTree::kRead);
  }

  void selectingReadsWithoutExpanding() {
    Harness harness;
    MakeFolders(harness);
    harness.WriteJpeg(QStringLiteral("a/one.jpg"), 64, 48);
    auto window = harness.Start();
    QTreeWidgetItem* a = Child(window->Tree()->DefaultDrive(), QStringLiteral("a"));
    ClickItem(window->Tree(), a);
    QCOMPARE(window->Tree()->SelectedNode(), a);
    QVERIFY(!a->isExpanded());
    QCOMPARE(FolderTree::NodeState(a), FolderTree::kRead);
    QCOMPARE(ChildTexts(a), QStringList(QStringLiteral("inner")));
    QCOMPARE(window->PathLabel()->text(), harness.Path(QStringLiteral("a")));
    QCOMPARE(ItemTexts(window->Files()), QStringList(QStringLiteral("one.jpg")));
    QCOMPARE(window->Info()->NameLabel()->text(), QStringLiteral("one.jpg"));
    // A folder made now is not seen: the node is read once per run.
    harness.MakeFolder(QStringLiteral("a/later"));
    a->setExpanded(true);
    QCOMPARE(ChildTexts(a), QStringList(QStringLiteral("inner")));
  }

  void keyboardSelectionReadsTheFolder() {
    Harness harness;
    MakeFolders(harness);
    harness.WriteJpeg(QStringLiteral("alpha/x.jpg"), 32, 32);
    StartIn(harness.Path(QStringLiteral("a")));
    auto window = harness.Start();
    window->Tree()->setFocus();
    QTest::keyClick(window->Tree(), Qt::Key_Down);
    QCOMPARE(window->Tree()->SelectedNode()->text(0), QStringLiteral("alpha"));
    QCOMPARE(ItemTexts(window->Files()), QStringList(QStringLiteral("x.jpg")));
  }

  void startPathThatNoLongerExistsFallsBackToTheDefaultDrive() {
    Harness harness;
    MakeFolders(harness);
    StartIn(harness.Path(QStringLiteral("a/gone/deeper")));
    auto window = harness.Start();
    QCOMPARE(window->Tree()->SelectedNode(), window->Tree()->DefaultDrive());
    QVERIFY(harness.reporter.messages.empty());
    window.reset();
    StartIn(harness.Path(QStringLiteral("a/inner")));
    window = harness.Start();
    QCOMPARE(window->Tree()->SelectedNode()->text(0), QStringLiteral("inner"));
    QVERIFY(window->Tree()->SelectedNode()->parent()->isExpanded());
  }

  void upButtonGoesToTheParentAndStopsAtTheRoot() {
    Harness harness;
    MakeFolders(harness);
    harness.WriteJpeg(QStringLiteral("a/inner/deep.jpg"), 40, 30);
    harness.WriteJpeg(QStringLiteral("a/top.jpg"), 40, 30);
    harness.WriteJpeg(QStringLiteral("a/top2.jpg"), 40, 30);
    StartIn(harness.Path(QStringLiteral("a/inner")));
    auto window = harness.Start();
    QCOMPARE(window->Info()->NameLabel()->text(), QStringLiteral("deep.jpg"));
    window->UpAction()->trigger();
    QCOMPARE(window->Tree()->SelectedNode()->text(0), QStringLiteral("a"));
    QCOMPARE(window->Files()->topLevelItemCount(), 2);
    QCOMPARE(window->PathLabel()->text(), harness.Path(QStringLiteral("a")));
    QCOMPARE(window->Info()->NameLabel()->text(), QString());  // no file selected
    QCOMPARE(window->Files()->selectedItems().size(), 0);
    window->UpAction()->trigger();
    window->UpAction()->trigger();
    QCOMPARE(window->Tree()->SelectedNode(), window->Tree()->Root());
    QCOMPARE(window->Files()->topLevelItemCount(), 0);  // the root lists no files
    QCOMPARE(window->Filter()->StatusText(), QStringLiteral("0 Bilder mit 0 Bytes"));
    window->UpAction()->trigger();
    QCOMPARE(window->Tree()->SelectedNode(), window->Tree()->Root());
    // The root's path is stored and found again.
    window->close();
    window = harness.Start();
    QCOMPARE(window->Tree()->SelectedNode(), window->Tree()->Root());
  }

  void drivesByKind() {
    Harness harness;
    harness.MakeFolder(QStringLiteral("net/sub"));
    harness.drives.insert(
        harness.drives.begin(),
        {QFile::encodeName(harness.Path(QStringLiteral("floppy"))).toStdString(), "", DriveKind::Floppy});
    harness.drives.push_back(
        {QFile::encodeName(harness.Path(QStringLiteral("net"))).toStdString(), "FOTOS", DriveKind::Network});
    harness.drives.push_back({"/nonexistent-kelmarin-drive", "", DriveKind::Unknown});
    auto window = harness.Start();
    QTreeWidgetItem* root = window->Tree()->Root();
    QCOMPARE(root->childCount(), 4);
    QTreeWidgetItem* floppy = root->child(0);
    QCOMPARE(FolderTree::NodeState(floppy), FolderTree::kUnread);  // not touched: missing, yet expandable
    QCOMPARE(floppy->icon(0).cacheKey(), TreeIcon(QStringLiteral("DriveDiskette")).cacheKey());
    QCOMPARE(window->Tree()->DefaultDrive(), root->child(1));
    QCOMPARE(root->child(2)->text(0),
             QStringLiteral("FOTOS (") + harness.Path(QStringLiteral("net")) + QLatin1Char(')'));
    QCOMPARE(root->child(2)->icon(0).cacheKey(), TreeIcon(QStringLiteral("DriveNetzlaufwerk")).cacheKey());
    QTreeWidgetItem* unknown = root->child(3);
    QCOMPARE(unknown->icon(0).cacheKey(), TreeIcon(QStringLiteral("DriveUnbekannt")).cacheKey());
    QCOMPARE(FolderTree::NodeState(unknown), FolderTree::kRead);  // cannot be read: a leaf
    QCOMPARE(unknown->childCount(), 0);
    // A path on the nested drive starts there (longest mount path), not below the outer one.
    window->Tree()->NavigateTo(QFile::encodeName(harness.Path(QStringLiteral("net/sub"))));
    QCOMPARE(window->Tree()->SelectedNode()->parent(), root->child(2));
    // Opening the missing floppy shows nothing and does not fail.
    ClickItem(window->Tree(), floppy);
    QCOMPARE(floppy->childCount(), 0);
    QCOMPARE(window->Filter()->StatusText(), QStringLiteral("Ordner kann nicht gelesen werden"));
    QVERIFY(harness.fatalMessages.isEmpty());
  }

  void vanishedFolderListsNothing() {
    Harness harness;
    MakeFolders(harness);
    auto window = harness.Start();
    QTreeWidgetItem* b = Child(window->Tree()->DefaultDrive(), QStringLiteral("b"));
    QVERIFY(QDir(harness.Root()).rmdir(QStringLiteral("b")));
    ClickItem(window->Tree(), b);
    QCOMPARE(window->Files()->topLevelItemCount(), 0);
    QCOMPARE(window->Filter()->StatusText(), QStringLiteral("Ordner kann nicht gelesen werden"));
    QCOMPARE(window->Filter()->StatusColour(), QColor(0, 0, 0));
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::TreeTest)
#include "TreeTest.moc"
