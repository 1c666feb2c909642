#include "browser/CurrentImage.h"

#include <QDateTime>
#include <QFile>
#include <QLabel>

#include "browser/FilterPanel.h"
#include "browser/InfoPanel.h"
#include "browser/MetadataList.h"
#include "image/ZetImage.h"
#include "image/meta/MetadataOnly.h"
#include "present/Formatter.h"
#include "present/InfoLabels.h"
#include "present/Listing.h"
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

CurrentImage::CurrentImage(FilterPanel& statusPanel, InfoPanel& infoPanel, MetadataList& metadataList,
                           QWidget* owner)
    : status(statusPanel), info(infoPanel), list(metadataList), window(owner) {}

CurrentImage::~CurrentImage() = default;

void CurrentImage::ShowImageInfo(const FileEntry& entry) {
  const QString previousText = status.StatusText();
  const QColor previousColour = status.StatusColour();
  status.SetStatus(QStringLiteral("Bild einlesen"), QColor(255, 0, 0));
  status.StatusLabel()->repaint();
  Clear();  // nothing of the previous file stays on screen, whatever this load gives
  info.Preview()->repaint();
  current = entry;

  image = std::make_unique<ZetImage>(definitions, reporter);
  std::string path = currentFolder;
  if (path.empty() || path.back() != '/') path += '/';
  path += current.name + "." + current.extension;
  image->load(path, current.typeCode, current.width, current.height, current.loadTime);

  const QLocale locale;
  InfoLabels labels = MakeInfoLabels(locale, Decoded(current.name), Decoded(current.extension),
                                     ToDateTime(current.modified), current.size, current.width,
                                     current.height, current.loadTime);
  decimalSeparator = DecimalSeparator(locale);
  bool listed = current.width != 0 && current.height != 0;
  if (listed) {
    image->show(*info.Preview());
  } else {
    // Name, date and size need no decoding; pixel size and load time are not known.
    labels.dimensions.clear();
    labels.loadtime.clear();
    // The metadata is listed when it can be read without the pixels (a truncated JPEG whose EXIF
    // block is whole), as the lister reads it.
    const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(path, current.typeCode);
    listed = !read.error && !read.otherFormat;
    if (listed) image->metadata().SetSource(read.type, read.source, definitions);
  }
  info.SetLabels(labels);
  if (listed && definitions != nullptr) {
    MetadataListing listing;
    listing.rows =
        FillMetadataList(*definitions, image->metadata(), MakeFormatContext(locale, image->camera_feq()));
    FillIptcAndComments(image->metadata(), listing);
    list.SetListing(std::move(listing), QFile::decodeName(QByteArray::fromStdString(path)), definitions);
  }
  status.SetStatus(previousText, previousColour);
  status.StatusLabel()->repaint();
}

void CurrentImage::Clear() {
  current = FileEntry();
  image.reset();  // one image at a time: the old pixels go before the new ones are read
  info.Preview()->ClearPicture();
  info.SetLabels({});
  list.ClearRows();
}

void CurrentImage::OpenViewer() {
  if (current.name.empty() || image == nullptr || current.width == 0 || current.height == 0) return;
  ShowInViewer(*image, ViewerCaption(Decoded(current.name), current.width, current.height), current.width,
               current.height, window);
}

void CurrentImage::Release() {
  image.reset();
}

}  // namespace kelmarin
