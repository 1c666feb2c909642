#include "browser/ThumbnailGrid.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTimer>

#include <QTransform>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>
#include <span>

#include "browser/FileList.h"
#include "extract/ExifBlock.h"
#include "extract/MetadataReader.h"
#include "metadata/Definitions.h"
#include "metadata/Makers.h"
#include "image/ImageFile.h"
#include "image/meta/MetadataOnly.h"

namespace kelmarin {

namespace {

constexpr QSize kBox(128, 96);
constexpr int kTextLines = 1;
constexpr qsizetype kKeptPictures = 3000;  // about 150 MB of 128 x 96 pictures at most
// An embedded thumbnail larger than this is damaged or not meant as one: the picture is decoded instead.
constexpr std::int64_t kMaxEmbeddedBytes = std::int64_t{4} << 20;
constexpr std::int32_t kTagThumbnailOffset = 0x0201;  // JPEGInterchangeFormat, counted from the TIFF header
constexpr std::int32_t kTagThumbnailLength = 0x0202;  // JPEGInterchangeFormatLength
// Makernote previews whose place the reader knows: Nikon's preview directory (the same two tags
// inside it), Casio's preview bytes.
constexpr std::int32_t kTagNikonPreviewDirectory = 0x0011;
constexpr std::int32_t kTagCasioPreview = 0x2000;

// Draws a cell: the selection's panel, the picture centred in the box, the name below it.
class ThumbnailDelegate : public QStyledItemDelegate {
 public:
  explicit ThumbnailDelegate(ThumbnailGrid& owner) : QStyledItemDelegate(&owner), grid(owner) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const bool selected = (cell.state & QStyle::State_Selected) != 0;
    const QPalette::ColorGroup group =
        (cell.state & QStyle::State_Active) != 0 ? QPalette::Active : QPalette::Inactive;
    if (selected)
      painter->fillRect(cell.rect.adjusted(1, 1, -1, -1), cell.palette.color(group, QPalette::Highlight));
    const QRect box(cell.rect.x() + (cell.rect.width() - grid.Box().width()) / 2, cell.rect.y() + 2,
                    grid.Box().width(), grid.Box().height());
    if (const auto entry = EntryOf(index)) {
      const QImage picture = grid.Thumbnail(*entry);
      if (!picture.isNull()) {
        const QSize size = picture.size().scaled(box.size(), Qt::KeepAspectRatio);
        painter->drawImage(QRect(box.x() + (box.width() - size.width()) / 2,
                                 box.y() + (box.height() - size.height()) / 2, size.width(), size.height()),
                           picture);
      } else {
        painter->fillRect(box.adjusted(8, 8, -8, -8), cell.palette.color(QPalette::AlternateBase));
      }
    }
    const QRect text(cell.rect.x() + 2, box.bottom() + 3, cell.rect.width() - 4, cell.fontMetrics.height());
    painter->setPen(cell.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(text, Qt::AlignHCenter | Qt::AlignVCenter,
                      cell.fontMetrics.elidedText(cell.text, Qt::ElideMiddle, text.width()));
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return {grid.Box().width() + 12, grid.Box().height() + 8 + kTextLines * option.fontMetrics.height()};
  }

  std::function<std::optional<std::size_t>(const QModelIndex&)> EntryOf;

 private:
  ThumbnailGrid& grid;
};

// The picture turned as EXIF Orientation 2 to 8 says (EXIF 2.32, 4.6.4 A); other values leave it.
QImage Upright(const QImage& image, int orientation) {
  switch (orientation) {
    case 2: return image.mirrored(true, false);
    case 3: return image.mirrored(true, true);
    case 4: return image.mirrored(false, true);
    case 5: return image.transformed(QTransform().rotate(90)).mirrored(true, false);
    case 6: return image.transformed(QTransform().rotate(90));
    case 7: return image.transformed(QTransform().rotate(90)).mirrored(false, true);
    case 8: return image.transformed(QTransform().rotate(270));
    default: return image;
  }
}

// The JPEG thumbnail the thumbnail section (the next directory after directory 0) of one TIFF
// structure points to; null when there is none, its bytes leave the structure or do not decode.
QImage ThumbnailOfSection(ImageMetadata& metadata, std::span<const std::uint8_t> tiff) {
  const ZetExif* offset = metadata.ExifTag(kSectionThumbnail, kTagThumbnailOffset);
  const ZetExif* length = metadata.ExifTag(kSectionThumbnail, kTagThumbnailLength);
  if (offset == nullptr || length == nullptr || offset->inhalt.empty() || length->inhalt.empty()) return {};
  const std::optional<std::int64_t> at = offset->inhalt.Number(0);
  const std::optional<std::int64_t> size = length->inhalt.Number(0);
  const auto available = static_cast<std::int64_t>(tiff.size());
  if (!at || !size || *at <= 0 || *size <= 0 || *size > kMaxEmbeddedBytes || *at > available ||
      *size > available - *at)
    return {};
  QImage picture;
  picture.loadFromData(tiff.subspan(static_cast<std::size_t>(*at), static_cast<std::size_t>(*size)).data(),
                       static_cast<int>(*size), "JPEG");
  return picture;
}

// The bytes [at, at + size) of a block, empty when they leave it or exceed the bound.
std::span<const std::uint8_t> Within(std::span<const std::uint8_t> block, std::int64_t at, std::int64_t size) {
  const auto available = static_cast<std::int64_t>(block.size());
  if (at < 0 || size <= 0 || size > kMaxEmbeddedBytes || at > available || size > available - at) return {};
  return block.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(size));
}

QImage Decoded(std::span<const std::uint8_t> jpeg) {
  QImage picture;
  if (jpeg.size() >= 2 && jpeg[0] == 0xFF && jpeg[1] == 0xD8)
    picture.loadFromData(jpeg.data(), static_cast<int>(jpeg.size()), "JPEG");
  return picture;
}

// Nikon's later makernote: "Nikon\0", version 2, two bytes, then a TIFF header of its own, from which
// the offsets of its preview directory (tag 0x0011) count. The makernote is found by that signature
// in the block; null when it is not there or its preview does not decode.
QImage NikonPreview(ImageMetadata& metadata, std::span<const std::uint8_t> block) {
  std::int64_t at = -1;
  std::int64_t size = -1;
  for (std::int32_t i = 1; i <= metadata.ExifCount(kSectionMakernote); ++i) {
    const ZetExif* item = metadata.ExifPos(kSectionMakernote, i);
    if (item == nullptr || item->directory != kTagNikonPreviewDirectory || item->inhalt.empty()) continue;
    if (item->tag == kTagThumbnailOffset) at = item->inhalt.Number(0).value_or(-1);
    if (item->tag == kTagThumbnailLength) size = item->inhalt.Number(0).value_or(-1);
  }
  if (at < 0 || size <= 0) return {};
  static constexpr std::string_view kSignature("Nikon\0\x02", 7);
  const auto* begin = reinterpret_cast<const char*>(block.data());
  const std::string_view bytes(begin, block.size());
  for (std::size_t found = bytes.find(kSignature); found != std::string_view::npos;
       found = bytes.find(kSignature, found + 1)) {
    const std::string_view header = bytes.substr(found + 10).substr(0, 4);
    if (header != std::string_view("MM\0*", 4) && header != std::string_view("II*\0", 4)) continue;
    const auto base = static_cast<std::int64_t>(found) + 10;
    if (at > std::numeric_limits<std::int64_t>::max() - base) return {};
    return Decoded(Within(block, base + at, size));
  }
  return {};
}

// Casio's later makernote keeps its preview's JPEG bytes as the value of tag 0x2000.
QImage CasioPreview(ImageMetadata& metadata) {
  const ZetExif* item = metadata.ExifTag(kSectionMakernote, kTagCasioPreview);
  if (item == nullptr || item->inhalt.size() < 2 || item->inhalt.size() > static_cast<std::size_t>(kMaxEmbeddedBytes))
    return {};
  std::vector<std::uint8_t> jpeg(item->inhalt.size());
  for (std::size_t i = 0; i < jpeg.size(); ++i) {
    const std::optional<std::int64_t> value = item->inhalt.Number(i);
    if (!value || *value < 0 || *value > 255) return {};
    jpeg[i] = static_cast<std::uint8_t>(*value);
  }
  return Decoded(jpeg);
}

// The makernote preview the reader found the position of, null when there is none.
QImage MakernotePreview(ImageMetadata& metadata, std::span<const std::uint8_t> block) {
  switch (metadata.camera_id) {
    case kMakerNikon02: return NikonPreview(metadata, block);
    case kMakerCasio02: return CasioPreview(metadata);
    default: return {};
  }
}

bool Fills(const QImage& picture, QSize box) {
  return !picture.isNull() && (picture.width() >= box.width() || picture.height() >= box.height());
}

// The larger of two pictures (the first on a tie or when the second is null).
QImage Larger(QImage a, QImage b) {
  if (b.isNull() || (!a.isNull() && qint64{a.width()} * a.height() >= qint64{b.width()} * b.height())) return a;
  return b;
}

// The first embedded picture of the file's metadata (its APP1 markers, then its TIFF structures)
// that fills the box: the EXIF thumbnail, else the makernote's larger preview. Otherwise the
// largest that decodes (the caller rejects it), null when none does.
QImage EmbeddedThumbnail(const MetadataSource& source, QSize box) {
  QImage best;
  const auto take = [&](ImageMetadata& metadata, std::span<const std::uint8_t> tiff,
                        std::span<const std::uint8_t> block) {
    QImage picture = ThumbnailOfSection(metadata, tiff);
    if (!Fills(picture, box)) picture = Larger(std::move(picture), MakernotePreview(metadata, block));
    best = Larger(std::move(best), std::move(picture));
    return Fills(best, box);
  };
  for (const JpegMarker& marker : source.markers) {
    const auto header = static_cast<std::size_t>(kApp1TiffHeader);
    if (marker.code != 0xE1 || marker.bytes.size() <= header ||
        std::memcmp(marker.bytes.data() + 4, "Exif\0\0", 6) != 0)
      continue;
    ImageMetadata metadata;
    ReadExifBlock(metadata, marker.bytes, nullptr);
    if (take(metadata, std::span(marker.bytes).subspan(header), marker.bytes)) return best;
  }
  for (const TiffBlock& block : source.tiffBlocks) {
    if (block.role != TiffBlockRole::Whole) continue;
    ImageMetadata metadata;
    ReadTiffBlock(metadata, block.bytes, nullptr);
    if (take(metadata, block.bytes, block.bytes)) return best;
  }
  return best;
}

}  // namespace

QImage EmbeddedThumbnail(const std::string& path, std::int32_t typeCode, QSize box) {
  const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(path, typeCode);
  if (read.otherFormat || read.error || !read.source) return {};
  QImage picture = EmbeddedThumbnail(*read.source, box);
  if (picture.isNull()) return {};
  picture = Upright(picture, codec::OrientationOf(*read.source));
  // Only one that fills the box: a smaller one would be blown up, the picture itself is sharper.
  if (!Fills(picture, box)) return {};
  return picture.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB888);
}

QImage MakeThumbnail(const std::string& path, std::int32_t typeCode, QSize box) {
  if (QImage embedded = EmbeddedThumbnail(path, typeCode, box); !embedded.isNull()) return embedded;
  ImageFile file;
  RgbImage pixels;
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (file.ReadImage(path, typeCode, pixels, width, height) || pixels.isNull()) return {};
  const QImage view(pixels.constBits(), pixels.width(), pixels.height(),
                    static_cast<qsizetype>(pixels.bytesPerLine()), QImage::Format_RGB888);
  // Copies: the decoded pixels go with the file. A small picture is not blown up.
  if (view.width() <= box.width() && view.height() <= box.height()) return view.copy();
  return view.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

ThumbnailGrid::ThumbnailGrid(FileList& fileList, QWidget* parent)
    : QListView(parent), list(fileList) {
  setObjectName(QStringLiteral("miniaturen"));
  setModel(list.model());
  setSelectionModel(list.selectionModel());
  setViewMode(QListView::IconMode);
  setMovement(QListView::Static);
  setResizeMode(QListView::Adjust);
  setUniformItemSizes(true);
  setLayoutMode(QListView::Batched);
  setBatchSize(500);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setIconSize(kBox);
  setSpacing(2);
  auto* delegate = new ThumbnailDelegate(*this);
  delegate->EntryOf = [this](const QModelIndex& index) { return list.EntryIndex(list.ItemAt(index)); };
  setItemDelegate(delegate);
  connect(this, &QAbstractItemView::clicked, this,
          [this](const QModelIndex& index) { emit fileChosen(list.ItemAt(index)); });
  connect(this, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& index) { emit openRequested(list.ItemAt(index)); });
}

ThumbnailGrid::~ThumbnailGrid() = default;

void ThumbnailGrid::SetFolder(const std::string& shownFolder) {
  folder = shownFolder;
  pictures.clear();
  asked.clear();
  wanted.clear();
  Restart();
  FollowHiddenRows();
}

void ThumbnailGrid::Restart() {
  if (!work) work = std::make_unique<FolderViewWork<QImage>>(this);
  auto files = std::make_shared<std::vector<std::pair<std::string, std::int32_t>>>();
  for (const FileEntry& entry : list.Entries()) {
    files->emplace_back(folder + "/" + entry.name + "." + entry.extension, entry.typeCode);
  }
  const QSize box = Box();
  work->Start(
      files->size(), {},
      [files, box](std::size_t index) {
        return MakeThumbnail((*files)[index].first, (*files)[index].second, box);
      },
      [this](FolderViewWork<QImage>::Batch& batch) {
        if (pictures.size() + static_cast<qsizetype>(batch.size()) > kKeptPictures) pictures.clear();
        for (auto& [index, picture] : batch) {
          asked.remove(index);
          // A file that cannot be read keeps an empty cell and is not asked for again.
          pictures.insert(index, picture.isNull() ? QImage(1, 1, QImage::Format_RGB888) : std::move(picture));
        }
        viewport()->update();
      });
}

QImage ThumbnailGrid::Thumbnail(std::size_t entryIndex) {
  const auto found = pictures.constFind(entryIndex);
  if (found != pictures.cend()) return found->width() > 1 ? *found : QImage();
  if (!asked.contains(entryIndex)) {
    asked.insert(entryIndex);
    wanted.push_back(entryIndex);
    if (!flushPending) {
      flushPending = true;
      // The cells painted in one pass go together; the last painted is made first otherwise.
      QTimer::singleShot(0, this, [this] {
        flushPending = false;
        if (work) work->Prefer(wanted);
        wanted.clear();
      });
    }
  }
  return {};
}

void ThumbnailGrid::FollowHiddenRows() {
  const int rows = model()->rowCount();
  for (int row = 0; row < rows; ++row) {
    QTreeWidgetItem* item = list.ItemAt(model()->index(row, 0));
    const bool hidden = item != nullptr && item->isHidden();
    if (isRowHidden(row) != hidden) setRowHidden(row, hidden);
  }
}

void ThumbnailGrid::keyPressEvent(QKeyEvent* event) {
  const QModelIndex before = currentIndex();
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && before.isValid()) {
    emit openRequested(list.ItemAt(before));
    return;
  }
  QListView::keyPressEvent(event);
  if (currentIndex().isValid() && currentIndex() != before) emit fileChosen(list.ItemAt(currentIndex()));
}

}  // namespace kelmarin
