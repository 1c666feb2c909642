#pragma once
// The main window "verzeichnis": start-up and shut-down, settings, the layout of its controls and the
// splitters, and the reactions that tie the folder tree, the file list with its filter, the
// information panel and the metadata list together. Each pane is its own class; this one assembles.

#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "browser/Twips.h"
#include "browser/core/Drives.h"
#include "browser/core/WindowLayout.h"

class QLabel;
class QToolBar;
class QTreeWidgetItem;

namespace kelmarin {

class CurrentImage;
class Definitions;
struct FolderRecord;
class ThumbnailGrid;
class FileList;
class FilterPanel;
class FolderTree;
class InfoPanel;
class MetadataList;
class MetadataSearchBar;
class MessageBoxReporter;
class Reporter;
class SplitterBar;
class SummaryPanel;

// What the start-up works with. Every hook left empty takes the program's own behaviour.
struct StartOptions {
  QString programFolder;                 // where the help is looked for
  std::filesystem::path definitionFile;  // metadata.def
  QString startArgument;                 // a folder or image file to open instead of the stored folder
  Reporter* reporter = nullptr;          // the core's messages; default: message boxes on the window
  std::function<bool(Reporter&)> initComponents;       // default: InitComponents
  std::function<std::vector<DriveInfo>()> listDrives;  // default: ListDrives
  std::function<void(const QString& text)> showFatal;  // default: a message box without icon
  std::function<void()> endProgram;                    // default: ends the process at once
  QString hostName;                                    // default: the machine's host name
  // A file's record for the metadata columns, on worker threads; default: ReadFolderRecord.
  std::function<FolderRecord(const std::filesystem::path& file)> readRecord;
  // Where the records are cached; default: CacheFolder().
  std::filesystem::path recordCache;
};

class Verzeichnis : public QMainWindow {
  Q_OBJECT

 public:
  explicit Verzeichnis(StartOptions options, QWidget* parent = nullptr);
  ~Verzeichnis() override;

  // The start-up. Returns false when the components failed (the window is closed, nothing else ran).
  // A definition file that fails leaves the window usable only for closing, without tree and list.
  // Otherwise the window is shown on the start folder with its first file selected.
  bool Load();

  // Builds the tree and opens startPath (file-system bytes); selects fileName there when listed.
  void RefreshTree(const QByteArray& startPath, const QByteArray& fileName = {});
  // Lists the files of the node's folder. False after a fatal failure.
  bool ReadFolder(QTreeWidgetItem* node);
  // Lists the selected node's folder again and shows its first file.
  void RefreshFileList();
  // A medium was mounted or removed: the drive nodes follow the drive list; when the selected folder
  // went with its drive, the default drive is chosen instead.
  void DrivesChanged();

  // For the checks of the tests and the benchmarks.
  const WindowLayout& Layout() const { return layout; }
  const LayoutState& State() const { return state; }
  const StartSizes& Sizes() const { return sizes; }
  FolderTree* Tree() const { return pfadbaum; }
  FileList* Files() const { return dateiliste; }
  FilterPanel* Filter() const { return rahmenLinks; }
  InfoPanel* Info() const { return rahmenRechts; }
  MetadataList* Metadata() const { return exifliste; }
  MetadataSearchBar* Search() const { return suchleiste; }
  SummaryPanel* Glance() const { return aufEinenBlick; }
  SplitterBar* VSplitter() const { return vsplitter; }
  SplitterBar* HSplitter() const { return hsplitter; }
  QLabel* PathLabel() const { return basisverzeichnis; }
  CurrentImage& Current() const { return *current; }
  const Definitions* Tables() const { return definitions.get(); }
  QString HelpFile() const { return helpFile; }
  bool HookActive() const { return hookActive; }
  QAction* HelpAction() const { return helpAction; }
  QAction* QuitAction() const { return quitAction; }
  QAction* UpAction() const { return upAction; }
  QAction* HiddenFoldersAction() const { return hiddenAction; }
  // "Vergleichen" in the file list's context menu: enabled while two files are selected.
  QAction* CompareAction() const { return compareAction; }
  ThumbnailGrid* Thumbnails() const { return miniaturen; }
  QAction* ThumbnailAction() const { return thumbnailAction; }
  // Whether the records of the folder are being read.
  bool FillingRecords() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void CreateMenu();
  void ConnectReactions();
  void PlaceDesign();
  void RunLayoutPass();
  void ApplyLayout();
  LayoutMetrics Metrics() const;

  // Start-up steps.
  void CheckVersion();
  void RestoreSizes();
  // The view's own values: metadata column widths, the tree's height, name patterns, format boxes.
  void RestoreView();
  // The tree's height, once the window has its size.
  void RestoreTreeHeight();
  void StoreView();
  void ApplySizeLimits();
  // The size limits again once the window manager framed the window, and the frame moved and
  // shrunk into the screen's available area where it reaches past it.
  void FitOnScreen();
  // The window's minimum width after the tree's width changed: the information panel stays whole.
  void FollowTreeWidth();
  QByteArray StartFolder(QByteArray& fileName) const;
  void Unload();

  // Reactions.
  void NodeChosen(QTreeWidgetItem* node);
  void FolderUp();
  void FileChosen(QTreeWidgetItem* item);
  void ShowViewer();
  void ConnectViewer();
  void StepViewer(int delta);
  void NamePatternsLeft();
  // Opens "Vergleichen" on the two files selected in the file list.
  void CompareSelected();
  void SelectFirstAndShow(const QByteArray& fileName = {});
  void SetPathLabel(QTreeWidgetItem* node);
  void Fatal(const QString& text);

  // The folder by its metadata: columns, thumbnails, the metadata filter (VerzeichnisFolderView.cpp).
  struct FolderView;
  void SetUpFolderView();
  // The list has the folder's files (or none): the records and thumbnails start over.
  void FolderListed();
  void FillRecords();
  void ShowFolderStatus(bool now);
  void ShowThumbnails(bool shown);
  // The thumbnails take the list's place.
  void FollowListPlace();
  void StoreFolderView();

  StartOptions options;
  std::unique_ptr<MessageBoxReporter> boxes;
  Reporter* reporter = nullptr;
  std::unique_ptr<Definitions> definitions;
  std::unique_ptr<CurrentImage> current;
  QString helpFile;

  WindowLayout layout;
  LayoutState state;
  StartSizes sizes;
  bool hookActive = false;
  bool startMaximised = false;
  bool sizesRestored = false;  // the stored window and tree sizes were applied: shut-down stores them
  bool unloaded = false;
  bool ended = false;

  QWidget* rahmenGesamt = nullptr;
  QToolBar* pfadHoch = nullptr;
  QAction* upAction = nullptr;
  QLabel* label1 = nullptr;
  QLabel* basisverzeichnis = nullptr;
  FolderTree* pfadbaum = nullptr;
  SplitterBar* vsplitter = nullptr;
  SplitterBar* hsplitter = nullptr;
  FileList* dateiliste = nullptr;
  MetadataList* exifliste = nullptr;
  MetadataSearchBar* suchleiste = nullptr;
  SummaryPanel* aufEinenBlick = nullptr;
  FilterPanel* rahmenLinks = nullptr;
  InfoPanel* rahmenRechts = nullptr;
  QAction* infoAction = nullptr;
  QAction* helpAction = nullptr;
  QAction* quitAction = nullptr;
  QAction* hiddenAction = nullptr;
  QAction* compareAction = nullptr;
  ThumbnailGrid* miniaturen = nullptr;
  QAction* thumbnailAction = nullptr;
  std::shared_ptr<FolderView> folderView;  // shared: its type is complete only in its own file
};

}  // namespace kelmarin
