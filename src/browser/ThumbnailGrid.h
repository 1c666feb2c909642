#pragma once
// The thumbnail grid "miniaturen": a second view of the file list, over the list's own model and
// selection, each cell the file's picture scaled down (turned upright) above its name. The pictures
// are decoded on all cores, the cells on screen first, and kept for the folder (bounded); a new
// folder drops the work at once.

#include <QHash>
#include <QImage>
#include <QListView>
#include <QSet>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/FolderViewWork.h"

class QTreeWidgetItem;

namespace kelmarin {

class FileList;

// A file's picture scaled to fit `box`, upright; null when it cannot be read. The EXIF thumbnail
// embedded in the file is taken when it decodes and fills the box, else the picture is decoded.
QImage MakeThumbnail(const std::string& path, std::int32_t typeCode, QSize box);
// Only an embedded picture scaled to fit `box`, upright by the file's orientation: the EXIF
// thumbnail (IFD1's JPEG of an APP1 marker or a TIFF structure) when it fills the box, else the
// larger preview of the makernote where the reader knows its place (Nikon's preview directory,
// Casio's preview bytes), read only from within the metadata block. Null when none is there, their
// bytes lie outside their block or exceed 4 MiB, none decodes, or the largest is smaller than the
// box both ways.
QImage EmbeddedThumbnail(const std::string& path, std::int32_t typeCode, QSize box);

class ThumbnailGrid : public QListView {
  Q_OBJECT

 public:
  explicit ThumbnailGrid(FileList& list, QWidget* parent = nullptr);
  ~ThumbnailGrid() override;

  // The list now shows the files of this folder: earlier pictures and work are dropped.
  void SetFolder(const std::string& folder);
  // Hides the rows the list hides (its metadata filter).
  void FollowHiddenRows();

  // The picture of the entry when made; null otherwise (it is then asked for).
  QImage Thumbnail(std::size_t entryIndex);
  // The size pictures are scaled into.
  QSize Box() const { return iconSize(); }
  std::size_t ThumbnailCount() const { return static_cast<std::size_t>(pictures.size()); }

 signals:
  void fileChosen(QTreeWidgetItem* item);
  void openRequested(QTreeWidgetItem* item);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Restart();

  FileList& list;
  std::string folder;
  QHash<std::size_t, QImage> pictures;
  std::vector<std::size_t> wanted;  // asked for since the last hand-over to the work
  QSet<std::size_t> asked;          // handed over, not yet made
  bool flushPending = false;
  std::unique_ptr<FolderViewWork<QImage>> work;
};

}  // namespace kelmarin
