// The main window's reactions: the tree builds and opens folders, the file list shows their images.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSysInfo>
#include <QTimer>
#include <algorithm>

#include "browser/CompareDialog.h"
#include "browser/CurrentImage.h"
#include "browser/FileList.h"
#include "browser/FilterPanel.h"
#include "browser/FolderTree.h"
#include "browser/NameOrder.h"
#include "browser/Verzeichnis.h"
#include "browser/core/Platform.h"
#include "metadata/Reporter.h"
#include "windows/Bild.h"
#include "windows/BildViewer.h"

namespace kelmarin {

namespace {

// The hourglass for as long as the object lives.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

void Verzeichnis::RefreshTree(const QByteArray& startPath, const QByteArray& fileName) {
  const auto drives =
      options.listDrives ? options.listDrives : std::function<std::vector<DriveInfo>()>(&ListDrives);
  const QString host = options.hostName.isEmpty() ? QSysInfo::machineHostName() : options.hostName;
  if (!pfadbaum->BuildDriveTree(drives, host)) return;
  rahmenLinks->SetStatus(QStringLiteral("Verzeichnisstruktur einlesen"), StatusTone::Busy);
  if (startMaximised) {
    showMaximized();
  } else {
    show();
  }
  QTimer::singleShot(0, this, &Verzeichnis::FitOnScreen);  // once the frame is known
  repaint();
  WaitCursor wait;
  pfadbaum->NavigateTo(startPath);
  if (ended || !ReadFolder(pfadbaum->SelectedNode())) return;
  pfadbaum->scrollToItem(pfadbaum->SelectedNode());
  pfadbaum->setFocus();
  SetPathLabel(pfadbaum->SelectedNode());
  SelectFirstAndShow(fileName);
}

void Verzeichnis::DrivesChanged() {
  if (ended || pfadbaum->Root() == nullptr) return;
  std::vector<DriveInfo> drives;
  try {
    drives = options.listDrives ? options.listDrives() : ListDrives();
  } catch (...) {
    return;  // the tree stays as it is until the next change
  }
  if (!pfadbaum->UpdateDrives(drives)) return;
  QTreeWidgetItem* fallback =
      pfadbaum->DefaultDrive() != nullptr ? pfadbaum->DefaultDrive() : pfadbaum->Root();
  pfadbaum->SelectNode(fallback);
  NodeChosen(fallback);
}

bool Verzeichnis::ReadFolder(QTreeWidgetItem* node) {
  if (node == nullptr) return true;
  current->currentFolder = FolderTree::NodePath(node).toStdString();
  current->Clear();  // the files of the previous folder are gone from the list, and so is their data
  const QLocale locale;
  {
    WaitCursor wait;
    rahmenLinks->SetStatus(QStringLiteral("Verzeichnis auslesen"), StatusTone::Busy);
    dateiliste->ClearEntries();
    dateiliste->setUpdatesEnabled(false);
    pfadbaum->repaint();
    const std::vector<FilePattern> patterns = rahmenLinks->PatternList();
    try {
      // The root is no folder and lists no files.
      std::vector<FileEntry> entries;
      const bool folder = node != pfadbaum->Root();
      if (folder && !DirectoryReader(current->currentFolder).IsOpen()) {
        // Missing, no permission, no longer a folder: not the same as a folder without images.
        rahmenLinks->SetStatus(QStringLiteral("Ordner kann nicht gelesen werden"), StatusTone::Done);
      } else {
        if (folder) entries = ListImageFiles(current->currentFolder, patterns, ListOrder::kAsListed);
        std::vector<QString> names = SortByGermanName(entries);
        const auto count = static_cast<qulonglong>(entries.size());
        const std::int64_t total = dateiliste->SetEntries(std::move(entries), locale, std::move(names));
        rahmenLinks->SetStatus(QString::number(count) + QStringLiteral(" Bilder mit ") +
                                   GroupedNumber(locale, total) + QStringLiteral(" Bytes"),
                               StatusTone::Done);
      }
    } catch (...) {
      dateiliste->setUpdatesEnabled(true);
      Fatal(QStringLiteral("Schwerer Fehler bei Listeneintrag 0\nSchlüssel: <%1>")
                .arg(FolderTree::NodeKey(node)));
      return false;
    }
    dateiliste->setUpdatesEnabled(true);
    FolderListed();
    rahmenLinks->StatusLabel()->repaint();
    pfadbaum->repaint();
    dateiliste->repaint();
  }
  return true;
}

void Verzeichnis::RefreshFileList() {
  QTreeWidgetItem* node = pfadbaum->SelectedNode();
  if (node == nullptr || ended) return;  // no tree (the start-up ended early)
  dateiliste->SetHideSelection(true);
  if (!ReadFolder(node)) return;
  pfadbaum->scrollToItem(node);
  pfadbaum->setFocus();
  SetPathLabel(node);
  SelectFirstAndShow();
}

void Verzeichnis::SelectFirstAndShow(const QByteArray& fileName) {
  if (dateiliste->topLevelItemCount() == 0) return;
  QTreeWidgetItem* item = fileName.isEmpty() ? nullptr : dateiliste->FindFile(fileName);
  if (item == nullptr) item = dateiliste->topLevelItem(0);
  dateiliste->SelectItem(item);
  dateiliste->SetHideSelection(false);
  if (const FileEntry* entry = dateiliste->Entry(item)) current->ShowImageInfo(*entry);
}

void Verzeichnis::SetPathLabel(QTreeWidgetItem* node) {
  basisverzeichnis->setText(FolderTree::NodePathText(node));
}

void Verzeichnis::NodeChosen(QTreeWidgetItem* node) {
  if (node == nullptr || ended) return;
  dateiliste->SetHideSelection(true);
  SetPathLabel(node);
  if (!pfadbaum->ExpandNode(node) || !ReadFolder(node)) return;
  SelectFirstAndShow();
}

void Verzeichnis::FolderUp() {
  QTreeWidgetItem* node = pfadbaum->SelectedNode();
  QTreeWidgetItem* parent = node != nullptr ? node->parent() : nullptr;
  if (parent == nullptr || ended) return;
  pfadbaum->SelectNode(parent);
  if (!pfadbaum->ExpandNode(parent) || !ReadFolder(parent)) return;
  SetPathLabel(parent);
}

void Verzeichnis::FileChosen(QTreeWidgetItem* item) {
  const FileEntry* entry = dateiliste->Entry(item);
  if (entry == nullptr) return;
  dateiliste->repaint();
  current->ShowImageInfo(*entry, /*followViewer=*/true);
}

// The viewer, once open, steps through this window's file list.
void Verzeichnis::ShowViewer() {
  current->OpenViewer();
  ConnectViewer();
}

void Verzeichnis::ConnectViewer() {
  if (viewer_open) {
    connect(Viewer(this), &BildViewer::stepRequested, this, &Verzeichnis::StepViewer, Qt::UniqueConnection);
  }
}

void Verzeichnis::StepViewer(int delta) {
  QTreeWidgetItem* item = dateiliste->Neighbour(delta);
  if (item == nullptr || ended) return;
  dateiliste->SetHideSelection(false);
  dateiliste->SelectItem(item);
  FileChosen(item);
}

void Verzeichnis::CompareSelected() {
  QList<QTreeWidgetItem*> selected = dateiliste->selectedItems();
  if (selected.size() != 2 || definitions == nullptr || ended) return;
  // In the list's order: A is the upper file.
  std::sort(selected.begin(), selected.end(), [this](QTreeWidgetItem* x, QTreeWidgetItem* y) {
    return dateiliste->indexOfTopLevelItem(x) < dateiliste->indexOfTopLevelItem(y);
  });
  CompareSide sides[2];
  for (int i = 0; i < 2; ++i) {
    const FileEntry* entry = dateiliste->Entry(selected[i]);
    if (entry == nullptr) return;
    std::string path = current->currentFolder;
    if (path.empty() || path.back() != '/') path += '/';
    path += entry->name + "." + entry->extension;
    QString error;
    std::optional<std::vector<ListingRow>> rows;
    {
      WaitCursor wait;
      rows = ReadCompareRows(path, entry->typeCode, *definitions, error);
    }
    if (!rows) {
      reporter->Report({"Kelmarin", error.toStdString(), MessageIcon::Warning});
      return;
    }
    sides[i] = {selected[i]->text(0), std::move(*rows)};
  }
  auto* dialog = new CompareDialog(std::move(sides[0]), std::move(sides[1]), this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
}

void Verzeichnis::NamePatternsLeft() {
  QLineEdit* names = rahmenLinks->NamePatterns();
  if (names->text().isEmpty()) {
    names->setText(QStringLiteral("*"));
    reporter->Report({"Kelmarin", "Suchbegriff der Bilddateien fehlt!\nEs wird die Voreinstellung gesetzt",
                      MessageIcon::Critical});
  }
  RefreshFileList();
}

}  // namespace kelmarin
