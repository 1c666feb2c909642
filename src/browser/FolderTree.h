#pragma once
// The drive and folder tree "Pfadbaum": the computer as root, the mounted volumes as drives and,
// read only when a node is opened or selected, their folders. A node that may have subfolders carries
// one placeholder child "Dummy" until then, so that it shows as expandable without touching the disk.

#include <QByteArray>
#include <QTreeWidget>
#include <functional>
#include <vector>

#include "browser/core/Drives.h"

namespace kelmarin {

class FolderTree : public QTreeWidget {
  Q_OBJECT

 public:
  // Per-node data: key (unique per parent, upper-case-free here: Linux names differ by case), state
  // (2: only the placeholder, folders not read; 1: read or none), path (file-system bytes).
  enum Role { KeyRole = Qt::UserRole + 1, StateRole, PathRole };
  static constexpr int kUnread = 2;
  static constexpr int kRead = 1;

  explicit FolderTree(QWidget* parent = nullptr);

  // Called with the message text when adding nodes fails (out of memory, a failing drive list); the
  // operation stops at once and returns false. The handler is expected to end the program.
  void SetFatalHandler(std::function<void(const QString& text)> handler) { fatal = std::move(handler); }

  // Root "Arbeitsplatz " + host name (expanded), and one collapsed node per drive.
  bool BuildDriveTree(const std::function<std::vector<DriveInfo>()>& listDrives, const QString& hostName);
  // Brings the drive nodes in line with a new drive list (a medium was mounted or removed): nodes of
  // drives gone are removed with their folders, new drives are added at their place in the list, and
  // the nodes of the remaining drives keep their folders and state. True when the selected node was
  // removed (nothing is selected then).
  bool UpdateDrives(const std::vector<DriveInfo>& drives);
  // Reads the folders of a node in state 2 and sets it to 1; a node in state 1 is left alone.
  bool ExpandNode(QTreeWidgetItem* node);
  // Opens the tree along path (bytes) and selects the node; when any part is missing, the default
  // drive (else the root) is selected instead. "Arbeitsplatz" selects the root.
  void NavigateTo(const QByteArray& path);
  // Selects a node without it counting as the user's choice, and scrolls it into view.
  void SelectNode(QTreeWidgetItem* node);

  // Whether folders whose names start with "." are listed (from the next reading of a folder on).
  void SetShowHidden(bool show) { showHidden = show; }

  QTreeWidgetItem* Root() const { return root; }
  QTreeWidgetItem* DefaultDrive() const { return defaultDrive; }
  // The selected node, or null.
  QTreeWidgetItem* SelectedNode() const { return currentItem(); }

  static QByteArray NodePath(const QTreeWidgetItem* node);
  static QString NodePathText(const QTreeWidgetItem* node);
  static int NodeState(const QTreeWidgetItem* node);
  static QString NodeKey(const QTreeWidgetItem* node);

 signals:
  // The user selected a node, with the mouse or the keyboard (also the node already selected).
  void nodeChosen(QTreeWidgetItem* node);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool showHidden = false;
  QTreeWidgetItem* AddDrive(const DriveInfo& drive);
  bool FillFolderNode(QTreeWidgetItem* node);
  // Sets the node's key, path and state; a node with subfolders is unread and gets a placeholder
  // child, so that it shows its expand mark.
  void SetFolderNode(QTreeWidgetItem* node, const QString& key, const QByteArray& path, bool subfolders);
  void Fatal(const QString& text);

  QTreeWidgetItem* root = nullptr;
  QTreeWidgetItem* defaultDrive = nullptr;
  std::function<void(const QString&)> fatal;
};

}  // namespace kelmarin
