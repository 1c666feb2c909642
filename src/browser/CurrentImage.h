#pragma once
// The image being shown and the current-file state: ShowImageInfo loads a file-list entry, draws the
// preview, sets the five labels and fills the metadata list; OpenViewer shows it at full size.

#include <QLocale>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "browser/FilterPanel.h"
#include "browser/ImageLoader.h"
#include "browser/core/FolderListing.h"
#include "present/InfoLabels.h"
#include "extract/xmp/XmpSidecars.h"

class QWidget;

namespace kelmarin {

class Definitions;
class ImageMetadata;
class InfoPanel;
class MetadataList;
class Reporter;
class SummaryPanel;
class ZetImage;
struct MetadataListing;
struct TextLocale;

// The listing the metadata list shows of an image: its EXIF rows, IPTC datasets, comments, colour
// profile and XMP (embedded, and of the sidecars the finder knows beside the file at path).
MetadataListing ListingOf(const Definitions& definitions, ImageMetadata& metadata, const std::string& path,
                          SidecarFinder& sidecars, const TextLocale& locale);

class CurrentImage {
 public:
  // The panels are the window's (not owned); definitions and reporter live as long as this object.
  CurrentImage(FilterPanel& status, InfoPanel& info, MetadataList& list, QWidget* window);
  ~CurrentImage();
  CurrentImage(const CurrentImage&) = delete;
  CurrentImage& operator=(const CurrentImage&) = delete;

  void SetDefinitions(const Definitions* tables) { definitions = tables; }
  void SetReporter(Reporter* messages) { reporter = messages; }
  // The block "Auf einen Blick" (not owned; may be null): filled with the list, cleared with it.
  void SetSummaryPanel(SummaryPanel* panel) { glance = panel; }

  // The folder the file list shows (file-system bytes, no trailing "/" except for "/").
  std::string currentFolder;
  // The entry last given to ShowImageInfo; width, height and load time from its load (0 when it failed).
  FileEntry current;
  // Loads the entry's file and shows it; what the previous file showed is cleared first. A file
  // that cannot be read has been reported by the image; the preview then stays empty, the labels
  // show its name, date and size, the list its metadata when that can be read without the pixels.
  // The status label is restored once the file is shown.
  // The file is decoded on a worker thread; the window's events are handled meanwhile. A selection
  // made then calls this one off: this call returns false without touching the panels, which show
  // the later file. True when this call's file is shown.
  bool ShowImageInfo(const FileEntry& entry);
  // Empties the preview, the five labels and the metadata list and forgets the current file (no
  // file is selected any more); a load under way is called off.
  void Clear();
  // Shows the current image in the viewer window. Nothing happens before any file was shown or after
  // a failed read. Asked for while the file is loading (a double click on a large file), the viewer
  // opens once the file is shown, and viewerOpened is called then.
  void OpenViewer();
  std::function<void()> viewerOpened;
  // Releases the image (shut-down).
  void Release();

  ZetImage* Image() const { return image.get(); }
  const ImageLoader& Loader() const { return loader; }

 private:
  void Show(LoadedImage loaded, const std::string& path);
  // The five labels of the current file; pixel size and load time only once its pixels are read.
  InfoLabels Labels() const;
  void List(ImageMetadata& metadata, const std::string& path);

  FilterPanel& status;
  InfoPanel& info;
  MetadataList& list;
  QWidget* window;
  const Definitions* definitions = nullptr;
  Reporter* reporter = nullptr;
  SummaryPanel* glance = nullptr;
  std::unique_ptr<ZetImage> image;
  // The status text and tone before the first of the loads under way: restored when one is shown.
  QString statusBefore;
  StatusTone toneBefore = StatusTone::Done;
  bool loading = false;
  bool viewerWanted = false;  // OpenViewer was called during the load
  bool listed = false;        // the metadata list shows the file being loaded
  ImageLoader loader;
  // The sidecar files of the folder of the file shown last, read once per visit of a folder.
  SidecarFinder sidecars;
  std::string sidecarFolder;
};

}  // namespace kelmarin
