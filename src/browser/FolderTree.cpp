#include "browser/FolderTree.h"

#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>
#include <new>
#include <stdexcept>

#include "browser/NameOrder.h"
#include "browser/TreeIcons.h"
#include "browser/core/FolderListing.h"

namespace kelmarin {

namespace {

const QString kDummy = QStringLiteral("Dummy");

// The number shown after "Fehler: " for a failure while adding nodes.
int FailureCode(std::exception_ptr failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    return 7;  // out of memory
  } catch (...) {
    return 51;  // internal error
  }
}

bool TextLess(const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
  return GermanNameLess(a->text(0), b->text(0));
}

void SetNode(QTreeWidgetItem* node, const QString& key, int state, const QByteArray& path) {
  node->setData(0, FolderTree::KeyRole, key);
  node->setData(0, FolderTree::StateRole, state);
  node->setData(0, FolderTree::PathRole, path);
}

}  // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent) {
  setObjectName(QStringLiteral("Pfadbaum"));
  setColumnCount(1);
  header()->hide();
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) { ExpandNode(node); });
  connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node) { emit nodeChosen(node); });
}

QByteArray FolderTree::NodePath(const QTreeWidgetItem* node) {
  return node != nullptr ? node->data(0, PathRole).toByteArray() : QByteArray();
}

QString FolderTree::NodePathText(const QTreeWidgetItem* node) {
  return QFile::decodeName(NodePath(node));
}

int FolderTree::NodeState(const QTreeWidgetItem* node) {
  return node != nullptr ? node->data(0, StateRole).toInt() : 0;
}

QString FolderTree::NodeKey(const QTreeWidgetItem* node) {
  return node != nullptr ? node->data(0, KeyRole).toString() : QString();
}

void FolderTree::Fatal(const QString& text) {
  if (fatal) fatal(text);
}

void FolderTree::SetFolderNode(QTreeWidgetItem* node, const QString& key, const QByteArray& path,
                               bool subfolders) {
  if (subfolders) {
    auto* placeholder = new QTreeWidgetItem(node, QStringList(kDummy));
    placeholder->setData(0, KeyRole, key + QStringLiteral("/") + kDummy);
  }
  SetNode(node, key, subfolders ? kUnread : kRead, path);
}

bool FolderTree::BuildDriveTree(const std::function<std::vector<DriveInfo>()>& listDrives,
                                const QString& hostName) {
  clear();
  defaultDrive = nullptr;
  const QString name = hostName.trimmed();
  root = new QTreeWidgetItem(this, QStringList(name.isEmpty() ? QStringLiteral("Arbeitsplatz")
                                                              : QStringLiteral("Arbeitsplatz ") + name));
  root->setIcon(0, TreeIcon(QStringLiteral("DriveArbeitsplatz")));
  SetNode(root, QStringLiteral("ARBEITSPLATZ"), kRead, QByteArrayLiteral("Arbeitsplatz"));
  root->setExpanded(true);

  QString driveText;
  try {
    const std::vector<DriveInfo> drives = listDrives();
    for (const DriveInfo& drive : drives) {
      driveText = QFile::decodeName(QByteArray::fromStdString(DriveText(drive)));
      AddDrive(drive);
    }
  } catch (...) {
    Fatal(QStringLiteral(
              "Schwerer Fehler bei Laufwerkseintrag\nEbene 0: <Arbeitsplatz>\nEbene 1: <%1>\n\nFehler: %2")
              .arg(driveText)
              .arg(FailureCode(std::current_exception())));
    return false;
  }
  return true;
}

QTreeWidgetItem* FolderTree::AddDrive(const DriveInfo& drive) {
  const QByteArray path = QByteArray::fromStdString(drive.mountPath);
  const QString key = QFile::decodeName(path);
  auto* node =
      new QTreeWidgetItem(root, QStringList(QFile::decodeName(QByteArray::fromStdString(DriveText(drive)))));
  node->setIcon(0, TreeIcon(QString::fromLatin1(DriveIconKey(drive.kind))));
  // A floppy is not touched until it is opened.
  const bool floppy = drive.kind == DriveKind::Floppy;
  SetFolderNode(node, key, path, floppy || HasSubfolders(drive.mountPath));
  if (defaultDrive == nullptr && !floppy) defaultDrive = node;
  return node;
}

bool FolderTree::UpdateDrives(const std::vector<DriveInfo>& drives) {
  if (root == nullptr) return false;
  const auto listed = [&](const QByteArray& path) {
    return std::find_if(drives.begin(), drives.end(),
                        [&](const DriveInfo& d) { return QByteArray::fromStdString(d.mountPath) == path; });
  };
  bool selectionLost = false;
  for (int i = root->childCount() - 1; i >= 0; --i) {
    QTreeWidgetItem* node = root->child(i);
    if (listed(NodePath(node)) != drives.end()) continue;
    for (QTreeWidgetItem* up = currentItem(); up != nullptr; up = up->parent()) {
      if (up == node) selectionLost = true;
    }
    if (selectionLost) setCurrentItem(nullptr);
    delete node;
  }
  int position = 0;
  defaultDrive = nullptr;
  for (const DriveInfo& drive : drives) {
    const QByteArray path = QByteArray::fromStdString(drive.mountPath);
    QTreeWidgetItem* node = nullptr;
    for (int i = 0; i < root->childCount() && node == nullptr; ++i) {
      if (NodePath(root->child(i)) == path) node = root->child(i);
    }
    if (node == nullptr) {
      node = AddDrive(drive);
      root->removeChild(node);
      root->insertChild(position, node);
    } else {
      node->setText(0, QFile::decodeName(QByteArray::fromStdString(DriveText(drive))));
      node->setIcon(0, TreeIcon(QString::fromLatin1(DriveIconKey(drive.kind))));
    }
    position = root->indexOfChild(node) + 1;
    if (defaultDrive == nullptr && drive.kind != DriveKind::Floppy) defaultDrive = node;
  }
  return selectionLost;
}

bool FolderTree::FillFolderNode(QTreeWidgetItem* node) {
  QByteArray base = NodePath(node);
  if (!base.endsWith('/')) base += '/';
  QList<QTreeWidgetItem*> children;
  QByteArray current;
  try {
    const QIcon folderIcon = FolderNodeIcon();
    const std::vector<std::string> names = ListSubfolders(NodePath(node).toStdString());
    for (const std::string& name : names) {
      if (!showHidden && name.starts_with('.')) continue;
      current = base + QByteArray::fromStdString(name);
      auto* child = new QTreeWidgetItem(QStringList(QFile::decodeName(QByteArray::fromStdString(name))));
      children.push_back(child);
      child->setIcon(0, folderIcon);
      const QString key = QFile::decodeName(current);
      SetFolderNode(child, key, current, HasSubfolders(current.toStdString()));
    }
  } catch (...) {
    qDeleteAll(children);
    Fatal(QStringLiteral("Schwerer Fehler bei Verzeichniseintrag\nEbene 0: <%1>\nEbene 1: <%2>")
              .arg(NodeKey(node), QFile::decodeName(current)));
    return false;
  }
  std::sort(children.begin(), children.end(), &TextLess);
  node->addChildren(children);
  return true;
}

bool FolderTree::ExpandNode(QTreeWidgetItem* node) {
  if (node == nullptr || NodeState(node) != kUnread) return true;
  qDeleteAll(node->takeChildren());
  // Marked read first: filling may expand nothing, but a handler re-entering must not read twice.
  node->setData(0, StateRole, kRead);
  return FillFolderNode(node);
}

void FolderTree::SelectNode(QTreeWidgetItem* node) {
  if (node == nullptr) return;
  for (QTreeWidgetItem* up = node->parent(); up != nullptr; up = up->parent()) up->setExpanded(true);
  setCurrentItem(node);
  scrollToItem(node);
}

void FolderTree::NavigateTo(const QByteArray& path) {
  if (root == nullptr) return;
  if (path == NodePath(root)) {
    SelectNode(root);
    return;
  }
  std::vector<std::string> mounts;
  for (int i = 0; i < root->childCount(); ++i) mounts.push_back(NodePath(root->child(i)).toStdString());
  const std::string target = path.toStdString();
  if (const auto drive = DriveForPath(mounts, target)) {
    QTreeWidgetItem* node = root->child(static_cast<int>(*drive));
    bool found = ExpandNode(node);
    for (const std::string& name : NamesBelow(mounts[*drive], target)) {
      if (!found) break;
      const QByteArray wanted = NodePath(node).endsWith('/')
                                    ? NodePath(node) + QByteArray::fromStdString(name)
                                    : NodePath(node) + '/' + QByteArray::fromStdString(name);
      QTreeWidgetItem* next = nullptr;
      for (int i = 0; i < node->childCount() && next == nullptr; ++i) {
        if (NodePath(node->child(i)) == wanted) next = node->child(i);
      }
      found = next != nullptr && ExpandNode(next);
      node = next;
    }
    if (found) {
      SelectNode(node);
      return;
    }
  }
  if (defaultDrive != nullptr) {
    ExpandNode(defaultDrive);
    SelectNode(defaultDrive);
  } else {
    SelectNode(root);
  }
}

void FolderTree::keyPressEvent(QKeyEvent* event) {
  QTreeWidgetItem* before = currentItem();
  QTreeWidget::keyPressEvent(event);
  QTreeWidgetItem* after = currentItem();
  if (after != nullptr && after != before) emit nodeChosen(after);
}

}  // namespace kelmarin
