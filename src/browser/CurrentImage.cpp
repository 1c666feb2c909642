#include "browser/CurrentImage.h"

#include <QDateTime>
#include <QFile>
#include <QLabel>

#include "browser/FilterPanel.h"
#include "browser/InfoPanel.h"
#include "browser/MetadataList.h"
#include "browser/SummaryPanel.h"
#include "image/ZetImage.h"
#include "present/Formatter.h"
#include "present/InfoLabels.h"
#include "present/Listing.h"
#include "present/MetadataSections.h"
#include "present/Summary.h"
#include "present/XmpListing.h"
#include "present/qt/QtTextLocale.h"
#include "windows/Bild.h"

namespace kelmarin {

namespace {

QDateTime ToDateTime(const LocalDateTime& t) {
  return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second), Qt::LocalTime);
}

QString Decoded(const std::string& bytes) {
  return QFile::decodeName(QByteArray::fromStdString(bytes));
}

}  // namespace

MetadataListing ListingOf(const Definitions& definitions, const ImageMetadata& metadata, const std::string& path,
                          SidecarFinder& sidecars, const TextLocale& locale) {
  return ImageListing(definitions, metadata, MakeFormatContext(locale, metadata.camera_feq), nullptr,
                      sidecars.For(std::filesystem::path(path)));
}

CurrentImage::CurrentImage(FilterPanel& statusPanel, InfoPanel& infoPanel, MetadataList& metadataList,
                           QWidget* owner)
    : status(statusPanel), info(infoPanel), list(metadataList), window(owner) {
  // The loader signals only its latest request; whatever it signals belongs to the file being loaded.
  QObject::connect(&loader, &ImageLoader::metadataRead, &loader,
                   [this](ImageLoader::Request, const std::shared_ptr<const ImageMetadata>& metadata) {
                     MetadataRead(*metadata);
                   });
  QObject::connect(&loader, &ImageLoader::loaded, &loader,
                   [this](ImageLoader::Request, const std::shared_ptr<LoadedImage>& result) {
                     Loaded(std::move(*result));
                   });
}

CurrentImage::~CurrentImage() = default;

void CurrentImage::ShowImageInfo(const FileEntry& entry, bool followViewer) {
  if (!loader.Waiting()) {
    statusBefore = status.StatusText();
    toneBefore = status.Tone();
  }
  status.SetStatus(QStringLiteral("Bild einlesen"), StatusTone::Busy);
  status.StatusLabel()->repaint();
  Clear();  // nothing of the previous file stays on screen, whatever this load gives
  info.Preview()->repaint();
  current = entry;

  loadingPath = currentFolder;
  if (loadingPath.empty() || loadingPath.back() != '/') loadingPath += '/';
  loadingPath += current.name + "." + current.extension;
  listed = false;
  viewerFollows = followViewer;
  loader.Load(loadingPath, current.typeCode, definitions);
}

void CurrentImage::MetadataRead(const ImageMetadata& metadata) {
  // The list and the facts that need no decoding now; the preview follows with the pixels.
  info.SetLabels(Labels());
  List(metadata, loadingPath);
}

void CurrentImage::Loaded(LoadedImage loaded) {
  Show(std::move(loaded), loadingPath);
  status.SetStatus(statusBefore, toneBefore);
  status.StatusLabel()->repaint();
  if (viewerWanted) {
    viewerWanted = false;
    OpenViewer();
    if (viewerOpened) viewerOpened();
  } else if (viewerFollows && viewer_open) {
    OpenViewer();
  }
  viewerFollows = false;
}

InfoLabels CurrentImage::Labels() const {
  InfoLabels labels = MakeInfoLabels(
      TextLocaleOf(QLocale()), Decoded(current.name).toStdString(), Decoded(current.extension).toStdString(),
      MomentOf(ToDateTime(current.modified)), current.size, current.width, current.height, current.loadTime);
  if (image == nullptr || current.width == 0 || current.height == 0) {
    // Name, date and size need no decoding; pixel size and load time are not known (yet).
    labels.dimensions.clear();
    labels.loadtime.clear();
  }
  return labels;
}

void CurrentImage::List(const ImageMetadata& metadata, const std::string& path) {
  if (definitions == nullptr) return;
  const TextLocale locale = TextLocaleOf(QLocale());
  // The sidecars of a folder are read once per visit.
  const std::filesystem::path file(path);
  if (file.parent_path().string() != sidecarFolder) {
    sidecars.Forget();
    sidecarFolder = file.parent_path().string();
  }
  MetadataListing listing = ListingOf(*definitions, metadata, path, sidecars, locale);
  // The block is made of the same reading as the list; a summary that cannot be made leaves it empty.
  PhotoSummary summary;
  if (glance != nullptr) {
    try {
      summary = SummarizePhoto(*definitions, metadata, listing, locale);
    } catch (const std::exception&) {
      summary = PhotoSummary();
    }
  }
  list.SetListing(std::move(listing), Decoded(path), definitions);
  if (glance != nullptr) glance->SetSummary(summary, list.Rows(), list.Position().has_value());
  listed = true;
}

void CurrentImage::Show(LoadedImage loaded, const std::string& path) {
  if (reporter != nullptr) {
    for (const Message& message : loaded.messages) reporter->Report(message);
  }
  image = std::move(loaded.image);
  if (image != nullptr) image->SetReporter(reporter);
  current.width = loaded.width;
  current.height = loaded.height;
  current.loadTime = loaded.loadTime;
  if (image != nullptr && current.width != 0 && current.height != 0) image->show(*info.Preview());
  info.SetLabels(Labels());
  // Listed already when the metadata came before the pixels: the list the user may be reading stays.
  if (!listed && image != nullptr && loaded.metadata != nullptr) List(*loaded.metadata, path);
}

void CurrentImage::Clear() {
  loader.Cancel();
  viewerWanted = false;
  viewerFollows = false;
  current = FileEntry();
  image.reset();  // one image at a time: the old pixels go before the new ones are read
  info.Preview()->ClearPicture();
  info.SetLabels({});
  list.ClearRows();
  if (glance != nullptr) glance->Clear();
}

void CurrentImage::OpenViewer() {
  if (loader.Waiting()) {
    viewerWanted = true;
    return;
  }
  if (current.name.empty()) return;
  if (image == nullptr || current.width == 0 || current.height == 0) {
    // A viewer that follows the selection shows the file by its name and without a picture, never
    // the picture before it; a closed one is not opened for nothing.
    if (viewer_open) ShowNameInViewer(Decoded(current.name), window);
    return;
  }
  ShowInViewer(*image, ViewerCaption(Decoded(current.name), current.width, current.height), window);
}

void CurrentImage::Release() {
  loader.Cancel();
  viewerWanted = false;
  viewerFollows = false;
  image.reset();
}

}  // namespace kelmarin
