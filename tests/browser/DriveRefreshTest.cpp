// The tree follows media mounted and removed while the program runs.
#include <QLabel>
#include <QTest>

#include "TestSupport.h"
#include "browser/FileList.h"
#include "browser/FolderTree.h"

namespace kelmarin::test {

class DriveRefreshTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

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

QTEST_MAIN(kelmarin::test::DriveRefreshTest)
#include "DriveRefreshTest.moc"
