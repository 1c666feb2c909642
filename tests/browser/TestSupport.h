#pragma once
// Shared pieces of the window tests, with the headers they all use: settings in a scratch folder,
// German locale, a recording reporter, a window started on a scratch drive, files and clicks.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

#include "Cameras.h"
#include "FileWriters.h"
#include "browser/FileList.h"
#include "browser/FilterPanel.h"
#include "browser/FolderTree.h"
#include "browser/InfoPanel.h"
#include "browser/MetadataList.h"
#include "browser/Settings.h"
#include "browser/Verzeichnis.h"
#include "metadata/Reporter.h"

namespace kelmarin::test {

inline QString U(const char* text) {
  return QString::fromUtf8(text);
}

struct RecordingReporter : Reporter {
  void Report(const Message& message) override;
  std::vector<Message> messages;
  std::function<void()> onReport;  // runs while the message would be on screen
};

// Settings under a scratch folder, German locale, test-mode standard paths. Call once per process.
void PrepareEnvironment();
// Removes every stored setting.
void ClearSettings();
// The stored text, or a null QString when there is none.
QString Setting(const QString& section, const QString& name);

// A row of the metadata list (the tag number read from tag).
ListingRow Row(int section, const char* tag, const char* label, const char* info = "", const char* raw = "",
               RowKind kind = RowKind::Item);

// One scratch folder that serves as the only drive of the window's tree.
class Harness {
 public:
  Harness();
  QString Root() const { return root.path(); }
  QString Path(const QString& relative) const { return root.filePath(relative); }

  void MakeFolder(const QString& relative) const;
  // A real JPEG (with a camera's EXIF block when exif is set) or PNG of the given size.
  void WriteJpeg(const QString& relative, int width, int height, bool exif = false) const;
  void WritePng(const QString& relative, int width, int height) const;
  // A 64 x 48 JPEG carrying these segments.
  void WriteJpeg(const QString& relative, const std::vector<samples::Segment>& segments) const;
  void WriteBytes(const QString& relative, const QByteArray& bytes) const;

  StartOptions Options();
  // A window started on the harness (Load called); null when the start-up ended the program.
  std::unique_ptr<Verzeichnis> Start(StartOptions options);
  std::unique_ptr<Verzeichnis> Start() { return Start(Options()); }

  RecordingReporter reporter;
  QStringList fatalMessages;
  int endCalls = 0;
  std::vector<DriveInfo> drives;

 private:
  QTemporaryDir root;
};

// Stores the settings of a start in this folder (of the current program version).
void StartIn(const QString& path);

// What the window shows: the selected folder, the files listed and the file shown, joined by "|".
QString Shows(Verzeichnis& window);
// The child of node with this text, or null.
QTreeWidgetItem* Child(QTreeWidgetItem* node, const QString& text);
QStringList ChildTexts(QTreeWidgetItem* node);
// Returns once the file the window is loading is shown (at once when none is loading).
void WaitForImage(Verzeichnis& window);
// A left (or other) click in the middle of an item; in the window, returns once the file it chose is
// shown.
void ClickItem(QTreeWidget* view, QTreeWidgetItem* item, Qt::MouseButton button = Qt::LeftButton);
// The texts of the list's items in order.
QStringList ItemTexts(QTreeWidget* view);
// Presses a splitter bar at (1, 1), moves the mouse to `to` (relative to the bar) and lets go.
void DragBar(QWidget* bar, QPoint to, Qt::MouseButton button = Qt::LeftButton);

}  // namespace kelmarin::test
