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
MetadataListing ListingOf(const Definitions& definitions, const ImageMetadata& metadata, const std::string& path,
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
  // Starts loading the entry's file and returns; what the previous file showed is cleared first,
  // and the status label says "Bild einlesen" until the file is shown. The file is read on a worker
  // thread: the metadata list is filled as soon as the metadata is read, the preview and the labels
  // once the pixels are. A file that cannot be read is reported when its load ends; the preview
  // then stays empty, the labels show its name, date and size, the list its metadata when that can
  // be read without the pixels. A later call, Clear or Release calls this load off: nothing of it
  // reaches the panels. followViewer: an open viewer shows the file too once it is shown.
  void ShowImageInfo(const FileEntry& entry, bool followViewer = false);
  // Whether a file is being loaded (ShowImageInfo was called and the file is not shown yet).
  bool Loading() const { return loader.Waiting(); }
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
  // What the loader signals of the load under way.
  void MetadataRead(const ImageMetadata& metadata);
  void Loaded(LoadedImage loaded);
  void Show(LoadedImage loaded, const std::string& path);
  // The five labels of the current file; pixel size and load time only once its pixels are read.
  InfoLabels Labels() const;
  void List(const ImageMetadata& metadata, const std::string& path);

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
  std::string loadingPath;     // the file of the load under way
  bool viewerWanted = false;   // OpenViewer was called during the load
  bool viewerFollows = false;  // an open viewer shows the file of the load under way
  bool listed = false;         // the metadata list shows the file being loaded
  ImageLoader loader;
  // The sidecar files of the folder of the file shown last, read once per visit of a folder.
  SidecarFinder sidecars;
  std::string sidecarFolder;
};

}  // namespace kelmarin
