// The drive and folder tree: placeholders, lazy reading, navigation, the up button, media mounted
// and removed while the program runs, German name order and hidden folders on request.
#include <QAction>

#include "TestSupport.h"
#include "browser/NameOrder.h"
#include "browser/TreeIcons.h"

namespace kelmarin::test {

namespace {

QString Bracketed(const QString& path) {
  return QLatin1Char('(') + path + QLatin1Char(')');
}

// The subfolders of the selected folder, read.
QString Subfolders(Verzeichnis& window) {
  QTreeWidgetItem* node = window.Tree()->SelectedNode();
  return node != nullptr && window.Tree()->ExpandNode(node) ? ChildTexts(node).join(QLatin1Char('|'))
                                                            : QString();
}

}  // namespace

class TreeTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  void foldersAreReadWhenSelectedOrOpened() {
    Harness harness;
    for (const char* folder : {"a/inner", "b", "c/Dummy", "alpha", "Zeta"}) harness.MakeFolder(U(folder));
    harness.WriteJpeg(U("a/one.jpg"), 64, 48);
    harness.WriteJpeg(U("alpha/x.jpg"), 32, 32);
    auto window = harness.Start();
    FolderTree* tree = window->Tree();
    QTreeWidgetItem* drive = tree->DefaultDrive();
    QCOMPARE(drive->text(0), Bracketed(harness.Root()));
    // Sorted without regard to case; an unread folder with subfolders holds a placeholder.
    QCOMPARE(ChildTexts(drive).join(QLatin1Char(',')), U("a,alpha,b,c,Zeta"));
    QTreeWidgetItem* a = Child(drive, U("a"));
    QCOMPARE(FolderTree::NodeState(a), FolderTree::kUnread);
    QCOMPARE(FolderTree::NodeKey(a->child(0)), harness.Path(U("a/Dummy")));
    QCOMPARE(FolderTree::NodeState(Child(drive, U("b"))), FolderTree::kRead);
    // A real folder named Dummy appears when its parent is opened.
    QTreeWidgetItem* c = Child(drive, U("c"));
    c->setExpanded(true);
    QCOMPARE(FolderTree::NodePath(c->child(0)), QFile::encodeName(harness.Path(U("c/Dummy"))));
    // Selecting reads without expanding, once per run: a folder made later is not seen.
    ClickItem(tree, a);
    QVERIFY(!a->isExpanded());
    QCOMPARE(Shows(*window), U("a|one.jpg|one.jpg"));
    QCOMPARE(window->PathLabel()->text(), harness.Path(U("a")));
    harness.MakeFolder(U("a/later"));
    a->setExpanded(true);
    QCOMPARE(ChildTexts(a), QStringList(U("inner")));
    // The keyboard selects and reads too.
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(Shows(*window), U("inner||"));
    QTest::keyClick(tree, Qt::Key_Down);
    QCOMPARE(Shows(*window), U("alpha|x.jpg|x.jpg"));
  }

  void startPathAndUpButton() {
    Harness harness;
    harness.MakeFolder(U("a/inner"));
    for (const char* name : {"a/inner/deep.jpg", "a/top.jpg", "a/top2.jpg"})
      harness.WriteJpeg(U(name), 40, 30);
    StartIn(harness.Path(U("a/inner")));
    auto window = harness.Start();
    QVERIFY(window->Tree()->SelectedNode()->parent()->isExpanded());
    QCOMPARE(Shows(*window), U("inner|deep.jpg|deep.jpg"));
    window->UpAction()->trigger();  // no file selected
    QCOMPARE(Shows(*window), U("a|top.jpg,top2.jpg|"));
    QCOMPARE(window->Files()->selectedItems().size(), 0);
    QCOMPARE(window->PathLabel()->text(), harness.Path(U("a")));
    for (int i = 0; i < 3; ++i) window->UpAction()->trigger();
    QCOMPARE(window->Tree()->SelectedNode(), window->Tree()->Root());  // it stops at the root
    QCOMPARE(window->Files()->topLevelItemCount(), 0);
    window->close();
    window = harness.Start();  // the root's path is stored and found again
    QCOMPARE(window->Tree()->SelectedNode(), window->Tree()->Root());
  }

  void drivesByKind() {
    Harness harness;
    harness.MakeFolder(U("net/sub"));
    harness.drives.insert(harness.drives.begin(),
                          {harness.Path(U("floppy")).toStdString(), "", DriveKind::Floppy});
    harness.drives.push_back({harness.Path(U("net")).toStdString(), "FOTOS", DriveKind::Network});
    harness.drives.push_back({"/nonexistent-kelmarin-drive", "", DriveKind::Unknown});
    auto window = harness.Start();
    QTreeWidgetItem* root = window->Tree()->Root();
    QCOMPARE(root->childCount(), 4);
    QTreeWidgetItem* floppy = root->child(0);
    QCOMPARE(FolderTree::NodeState(floppy), FolderTree::kUnread);  // not touched: missing, yet expandable
    QCOMPARE(FolderTree::NodeState(root->child(3)), FolderTree::kRead);  // cannot be read: a leaf
    QCOMPARE(window->Tree()->DefaultDrive(), root->child(1));
    QCOMPARE(root->child(2)->text(0), U("FOTOS ") + Bracketed(harness.Path(U("net"))));
    for (const auto& [at, icon] :
         {std::pair{0, "DriveDiskette"}, {2, "DriveNetzlaufwerk"}, {3, "DriveUnbekannt"}})
      QCOMPARE(root->child(at)->icon(0).cacheKey(), TreeIcon(U(icon)).cacheKey());
    // A path on the nested drive starts there (longest mount path), not below the outer one.
    window->Tree()->NavigateTo(QFile::encodeName(harness.Path(U("net/sub"))));
    QCOMPARE(window->Tree()->SelectedNode()->parent(), root->child(2));
    // Opening the missing floppy shows nothing and does not fail.
    ClickItem(window->Tree(), floppy);
    QCOMPARE(floppy->childCount(), 0);
    QCOMPARE(window->Filter()->StatusText(), U("Ordner kann nicht gelesen werden"));
    QVERIFY(harness.fatalMessages.isEmpty());
  }

  void mediumMountedAndRemoved() {
    Harness harness;
    harness.MakeFolder(U("platte/alt"));
    harness.MakeFolder(U("stick/DCIM"));
    harness.WriteJpeg(U("platte/eins.jpg"), 20, 20);
    harness.WriteJpeg(U("stick/DCIM/zwei.jpg"), 20, 20);
    const DriveInfo disk{harness.Path(U("platte")).toStdString(), "", DriveKind::Fixed};
    const DriveInfo stick{harness.Path(U("stick")).toStdString(), "", DriveKind::Removable};
    const DriveInfo net{"/nirgends/netz", "NAS", DriveKind::Network};
    harness.drives = {disk};
    auto window = harness.Start();
    FolderTree* tree = window->Tree();
    QTreeWidgetItem* diskNode = tree->Root()->child(0);
    QVERIFY(tree->ExpandNode(diskNode));
    harness.drives = {disk, stick, net};  // mounted: in the list's order, after the disk
    window->DrivesChanged();
    QCOMPARE(ChildTexts(tree->Root()),
             QStringList({Bracketed(harness.Path(U("platte"))), Bracketed(harness.Path(U("stick"))),
                          U("NAS (/nirgends/netz)")}));
    QCOMPARE(tree->Root()->child(0), diskNode);  // the disk keeps its read folders
    QCOMPARE(ChildTexts(diskNode), QStringList(U("alt")));
    tree->NavigateTo(QFile::encodeName(harness.Path(U("stick/DCIM"))));
    QVERIFY(window->ReadFolder(tree->SelectedNode()));
    QCOMPARE(Shows(*window), U("DCIM|zwei.jpg|"));
    harness.drives = {disk, net};  // the stick is removed while its folder is shown
    window->DrivesChanged();
    QCOMPARE(tree->Root()->childCount(), 2);
    QCOMPARE(tree->SelectedNode(), diskNode);
    QCOMPARE(window->PathLabel()->text(), harness.Path(U("platte")));
    QCOMPARE(ItemTexts(window->Files()), QStringList(U("eins.jpg")));
    harness.drives = {net, disk};  // a change elsewhere leaves the selection alone
    window->DrivesChanged();
    QCOMPARE(tree->SelectedNode(), diskNode);
    QCOMPARE(FolderTree::NodePath(tree->DefaultDrive()), QByteArray("/nirgends/netz"));  // first listed
  }

  void germanOrderAndHiddenFoldersOnRequest() {
    // Numbers by value, an umlaut beside its letter (after the plain letter's word), case last and
    // stable for names equal but for case.
    for (const auto& [first, second] : {std::pair{"Bild 2", "Bild 10"},
                                        {"Ümlaut", "Vase"},
                                        {"Uhr", "Ümlaut"},
                                        {"apfel", "Birne"},
                                        {"Foto", "foto"}})
      QVERIFY2(GermanNameLess(U(first), U(second)) && !GermanNameLess(U(second), U(first)), first);
    Harness harness;
    for (const char* name : {"Bild 10", "Bild 2", "Ümlaut", "Vase", "Uhr", ".versteckt"})
      harness.MakeFolder(U("fotos/") + U(name));
    for (const char* name : {"Bild 10.jpg", "bild 2.jpg", "Ähre.jpg", "Zaun.jpg"})
      harness.WriteJpeg(U("fotos/") + U(name), 8, 8);
    StartIn(harness.Path(U("fotos")));
    auto window = harness.Start();
    QCOMPARE(Subfolders(*window), U("Bild 2|Bild 10|Uhr|Ümlaut|Vase"));
    QCOMPARE(ItemTexts(window->Files()).join(QLatin1Char('|')),
             U("Ähre.jpg|bild 2.jpg|Bild 10.jpg|Zaun.jpg"));
    // Shown through the tree's context menu (and Ctrl+H), kept for the next start.
    QAction* hidden = window->HiddenFoldersAction();
    QVERIFY(window->Tree()->actions().contains(hidden));
    QCOMPARE(hidden->text(), U("Versteckte Ordner anzeigen"));
    hidden->trigger();
    QCOMPARE(window->Tree()->SelectedNode()->text(0), U("fotos"));
    QVERIFY(Subfolders(*window).startsWith(U(".versteckt|")));
    window = harness.Start();
    QVERIFY(Subfolders(*window).startsWith(U(".versteckt|")));
    window->HiddenFoldersAction()->trigger();
    QCOMPARE(Subfolders(*window), U("Bild 2|Bild 10|Uhr|Ümlaut|Vase"));
    QCOMPARE(Setting(U("Ansicht"), U("showhidden")), U("0"));
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::TreeTest)
#include "TreeTest.moc"
