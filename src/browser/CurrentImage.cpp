#include "browser/CurrentImage.h"

#include <QDateTime>
#include <QFile>
#include <QLabel>

#include "browser/FilterPanel.h"
#include "browser/InfoPanel.h"
#include "browser/MetadataList.h"
#include "image/ZetImage.h"
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
  current = entry;
  const QString previousText = status.StatusText();
  const QColor previousColour = status.StatusColour();
  status.SetStatus(QStringLiteral("Bild einlesen"), QColor(255, 0, 0));
  status.StatusLabel()->repaint();
  info.Preview()->ClearPicture();
  info.Preview()->repaint();

  image.reset();  // one image at a time: the old pixels go before the new ones are read
  image = std::make_unique<ZetImage>(definitions, reporter);
  std::string path = currentFolder;
  if (path.empty() || path.back() != '/') path += '/';
  path += current.name + "." + current.extension;
  image->load(path, current.typeCode, current.width, current.height, current.loadTime);

  if (current.width != 0 && current.height != 0) {
    image->show(*info.Preview());
    list.clear();
    const QLocale locale;
    info.SetLabels(MakeInfoLabels(locale, Decoded(current.name), Decoded(current.extension),
                                  ToDateTime(current.modified), current.size, current.width, current.height,
                                  current.loadTime));
    decimalSeparator = DecimalSeparator(locale);
    if (definitions != nullptr) {
      list.SetRows(
          FillMetadataList(*definitions, image->metadata(), MakeFormatContext(locale, image->camera_feq())));
    }
  }
  status.SetStatus(previousText, previousColour);
  status.StatusLabel()->repaint();
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
