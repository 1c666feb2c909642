// The drive and folder tree: placeholders, lazy reading, navigation, the up button, media mounted
// and removed while the program runs.
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

  void foldersAreReadWhenSelectedOrOpened() {
    Harness harness;
    MakeFolders(harness);
    harness.WriteJpeg(QStringLiteral("a/one.jpg"), 64, 48);
    harness.WriteJpeg(QStringLiteral("alpha/x.jpg"), 32, 32);
    auto window = harness.Start();
    FolderTree* tree = window->Tree();
    QTreeWidgetItem* drive = tree->DefaultDrive();
    QCOMPARE(drive->text(0), QStringLiteral("(") + harness.Root() + QStringLiteral(")"));
    // Sorted without regard to case; an unread folder with subfolders holds a placeholder.
    QCOMPARE(ChildTexts(drive).join(QLatin1Char(',')), QStringLiteral("a,alpha,b,c,Zeta"));
    QTreeWidgetItem* a = Child(drive, QStringLiteral("a"));
    QCOMPARE(FolderTree::NodeState(a), FolderTree::kUnread);
    QCOMPARE(FolderTree::NodeKey(a->child(0)), harness.Path(QStringLiteral("a/Dummy")));
    QCOMPARE(FolderTree::NodeState(Child(drive, QStringLiteral("b"))), FolderTree::kRead);
    // A real folder named Dummy appears when its parent is opened.
    QTreeWidgetItem* c = Child(drive, QStringLiteral("c"));
    c->setExpanded(true);
    QCOMPARE(FolderTree::NodePath(c->child(0)), QFile::encodeName(harness.Path(QStringLiteral("c/Dummy"))));
    // Selecting reads without expanding, once per run: a folder made later is not seen.
    ClickItem(tree, a);
    QVERIFY(!a->isExpanded());
    QCOMPARE(ChildTexts(a), QStringList(QStringLiteral("inner")));
    QCOMPARE(window->PathLabel()->text(), harness.Path(QStringLiteral("a")));
    QCOMPARE(ItemTexts(window->Files()), QStringList(QStringLiteral("one.jpg")));
    QCOMPARE(window->Info()->NameLabel()->text(), QStringLiteral("one.jpg"));
    harness.MakeFolder(QStringLiteral("a/later"));
    a->setExpanded(true);
    QCOMPARE(ChildTexts(a), QStringList(QStringLiteral("inner")));
    // The keyboard selects and reads too.
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(tree->SelectedNode()->text(0), QStringLiteral("inner"));
    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(tree->SelectedNode()->text(0), QStringLiteral("alpha"));
    QCOMPARE(ItemTexts(window->Files()), QStringList(QStringLiteral("x.jpg")));
  }

  void startPathAndUpButton() {
    Harness harness;
    MakeFolders(harness);
    StartIn(harness.Path(QStringLiteral("a/gone/deeper")));
    auto window = harness.Start();
    QCOMPARE(window->Tree()->SelectedNode(), window->Tree()->DefaultDrive());  // gone: the default drive
    QVERIFY(harness.reporter.messages.empty());
    window.reset();
    harness.WriteJpeg(QStringLiteral("a/inner/deep.jpg"), 40, 30);
    harness.WriteJpeg(QStringLiteral("a/top.jpg"), 40, 30);
    harness.WriteJpeg(QStringLiteral("a/top2.jpg"), 40, 30);
    StartIn(harness.Path(QStringLiteral("a/inner")));
    window = harness.Start();
    QVERIFY(window->Tree()->SelectedNode()->parent()->isExpanded());
    QCOMPARE(window->Info()->NameLabel()->text(), QStringLiteral("deep.jpg"));
    window->UpAction()->trigger();
    QCOMPARE(window->Tree()->SelectedNode()->text(0), QStringLiteral("a"));
    QCOMPARE(window->Files()->topLevelItemCount(), 2);
    QCOMPARE(window->PathLabel()->text(), harness.Path(QStringLiteral("a")));
    QCOMPARE(window->Files()->selectedItems().size(), 0);  // no file selected
    QCOMPARE(window->Info()->NameLabel()->text(), QString());
    for (int i = 0; i < 3; ++i) window->UpAction()->trigger();
    QCOMPARE(window->Tree()->SelectedNode(), window->Tree()->Root());  // it stops at the root
    QCOMPARE(window->Files()->topLevelItemCount(), 0);
    window->close();
    window = harness.Start();  // the root's path is stored and found again
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
    QCOMPARE(root->child(3)->icon(0).cacheKey(), TreeIcon(QStringLiteral("DriveUnbekannt")).cacheKey());
    QCOMPARE(FolderTree::NodeState(root->child(3)), FolderTree::kRead);  // cannot be read: a leaf
    // A path on the nested drive starts there (longest mount path), not below the outer one.
    window->Tree()->NavigateTo(QFile::encodeName(harness.Path(QStringLiteral("net/sub"))));
    QCOMPARE(window->Tree()->SelectedNode()->parent(), root->child(2));
    // Opening the missing floppy shows nothing and does not fail.
    ClickItem(window->Tree(), floppy);
    QCOMPARE(floppy->childCount(), 0);
    QCOMPARE(window->Filter()->StatusText(), QStringLiteral("Ordner kann nicht gelesen werden"));
    QVERIFY(harness.fatalMessages.isEmpty());
  }

  void mediumMountedAndRemoved() {
    Harness harness;
    harness.MakeFolder(QStringLiteral("platte/alt"));
    harness.MakeFolder(QStringLiteral("stick/DCIM"));
    harness.WriteJpeg(QStringLiteral("platte/eins.jpg"), 20, 20);
    harness.WriteJpeg(QStringLiteral("stick/DCIM/zwei.jpg"), 20, 20);
    harness.drives = {{harness.Path(QStringLiteral("platte")).toStdString(), "", DriveKind::Fixed}};
    auto window = harness.Start();
    FolderTree* tree = window->Tree();
    QTreeWidgetItem* disk = tree->Root()->child(0);
    QVERIFY(tree->ExpandNode(disk));
    const DriveInfo stick{harness.Path(QStringLiteral("stick")).toStdString(), "", DriveKind::Removable};
    const DriveInfo net{"/nirgends/netz", "NAS", DriveKind::Network};

    harness.drives = {harness.drives[0], stick, net};  // mounted: in the list's order, after the disk
    window->DrivesChanged();
    QCOMPARE(ChildTexts(tree->Root()),
             QStringList({QStringLiteral("(") + harness.Path(QStringLiteral("platte")) + QLatin1Char(')'),
                          QStringLiteral("(") + harness.Path(QStringLiteral("stick")) + QLatin1Char(')'),
                          QStringLiteral("NAS (/nirgends/netz)")}));
    QCOMPARE(tree->Root()->child(0), disk);  // the disk keeps its read folders
    QCOMPARE(FolderTree::NodeState(disk), FolderTree::kRead);
    QCOMPARE(ChildTexts(disk), QStringList(QStringLiteral("alt")));

    tree->NavigateTo(QFile::encodeName(harness.Path(QStringLiteral("stick/DCIM"))));
    QVERIFY(window->ReadFolder(tree->SelectedNode()));
    QCOMPARE(window->Files()->topLevelItemCount(), 1);

    harness.drives = {harness.drives[0], net};  // the stick is removed while its folder is shown
    window->DrivesChanged();
    QCOMPARE(tree->Root()->childCount(), 2);
    QCOMPARE(tree->SelectedNode(), disk);
    QCOMPARE(window->PathLabel()->text(), harness.Path(QStringLiteral("platte")));
    QCOMPARE(ItemTexts(window->Files()), QStringList(QStringLiteral("eins.jpg")));

    harness.drives = {net, harness.drives[0]};  // a change elsewhere leaves the selection alone
    window->DrivesChanged();
    QCOMPARE(tree->SelectedNode(), disk);
    QCOMPARE(FolderTree::NodePath(tree->DefaultDrive()), QByteArray("/nirgends/netz"));  // first listed
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::TreeTest)
#include "TreeTest.moc"
