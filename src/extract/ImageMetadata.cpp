#include "extract/ImageMetadata.h"

#include <algorithm>

#include "extract/ImageTypes.h"
#include "extract/MetadataReader.h"
#include "metadata/Text.h"

namespace kelmarin {

namespace {

bool ValidSection(std::int32_t section) {
  return section >= 1 && section <= 4;
}

std::string FoldKey(std::string_view key) {
  std::string folded(key);
  for (char& c : folded) c = AsciiLower(c);
  return folded;
}

// Number lists (typ 1) are not scanned for texts: the reader never puts texts into them.
// The budget counts every value as a whole value, packed or not, so that it ends hostile blocks
// where it always did.
std::size_t StoredSize(std::int32_t typ, const ExifValues& inhalt) {
  const std::size_t bytes = sizeof(ZetExif) + inhalt.size() * sizeof(ExifValue);
  return typ == kTypNumbers ? bytes : bytes + inhalt.TextBytes();
}

constexpr std::size_t kFirstCapacity = 32;

template <typename T>
const T* AtPosition(const std::vector<T>& list, std::int32_t lfd) {
  if (lfd < 1 || static_cast<std::size_t>(lfd) > list.size()) return nullptr;
  return &list[static_cast<std::size_t>(lfd - 1)];
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ItemBytes(const ZetExif& item, bool textToo) {
  std::vector<std::uint8_t> bytes;
  if (item.typ == kTypTexts) {
    if (!textToo || item.inhalt.size() != 1) return std::nullopt;
    const ExifValue value = item.inhalt[0];
    const auto* text = std::get_if<std::string>(&value);
    if (text == nullptr) return std::nullopt;
    bytes.assign(text->begin(), text->end());
    return bytes;
  }
  if (item.typ != kTypNumbers) return std::nullopt;
  bytes.reserve(item.inhalt.size());
  for (std::size_t i = 0; i < item.inhalt.size(); ++i) {
    const auto number = item.inhalt.Number(i);
    if (!number || *number < 0 || *number > 0xFF) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(*number));
  }
  return bytes;
}

ImageMetadata ReadMetadata(std::int32_t imagetype, std::shared_ptr<const MetadataSource> source,
                           const Definitions* definitions) {
  ImageMetadata metadata;
  // Other types have metadata only when a container reader found blocks in them.
  const bool container = source && source->container;
  if (imagetype == kTypeJpeg || imagetype == kTypePng || container) {
    if (source) ReadImageMetadata(metadata, imagetype, *source, definitions);
    metadata.metadata_read = true;
  }
  metadata.source = std::move(source);
  return metadata;
}

ZetExif* ImageMetadata::ExifAdd(std::int32_t section, std::int32_t tag, std::int32_t typ,
                                ExifValues inhalt) {
  if (!ValidSection(section)) return nullptr;
  exifStoredBytes += StoredSize(typ, inhalt);
  auto& list = exif[section - 1];
  // A camera's directories hold dozens of items: growing from one item on would move them again
  // and again.
  if (list.size() == list.capacity()) list.reserve(std::max<std::size_t>(kFirstCapacity, 2 * list.size()));
  ZetExif& item = list.emplace_back();  // filled in place: no item moved in
  item.tag = tag;
  item.typ = typ;
  item.inhalt = std::move(inhalt);
  return &item;
}

const ZetExif* ImageMetadata::ExifPos(std::int32_t section, std::int32_t lfd) const {
  if (!ValidSection(section)) return nullptr;
  return AtPosition(exif[section - 1], lfd);
}

const ZetExif* ImageMetadata::ExifTag(std::int32_t section, std::int32_t tag) const {
  if (!ValidSection(section)) return nullptr;
  for (const ZetExif& item : exif[section - 1]) {
    if (item.tag == tag) return &item;
  }
  return nullptr;
}

std::int32_t ImageMetadata::ExifCount() const {
  std::size_t sum = 0;
  for (const auto& list : exif) sum += list.size();
  return static_cast<std::int32_t>(sum);
}

std::int32_t ImageMetadata::ExifCount(std::int32_t section) const {
  if (!ValidSection(section)) return 0;
  return static_cast<std::int32_t>(exif[section - 1].size());
}

ZetIPTC& ImageMetadata::IptcAdd(std::int32_t tag, std::string inhalt) {
  for (ZetIPTC& item : iptc_items) {
    if (item.tag == tag) {
      item.inhalt.reserve(item.inhalt.size() + 1 + inhalt.size());
      item.inhalt += ',';
      item.inhalt += inhalt;
      return item;
    }
  }
  iptc_items.push_back(ZetIPTC{tag, std::move(inhalt)});
  return iptc_items.back();
}

const ZetIPTC* ImageMetadata::IptcPos(std::int32_t lfd) const {
  return AtPosition(iptc_items, lfd);
}

const ZetIPTC* ImageMetadata::IptcTag(std::int32_t tag) const {
  for (const ZetIPTC& item : iptc_items) {
    if (item.tag == tag) return &item;
  }
  return nullptr;
}

std::int32_t ImageMetadata::IptcCount() const {
  return static_cast<std::int32_t>(iptc_items.size());
}

ImageComment& ImageMetadata::ImageCommentAdd(std::string key, std::string inhalt) {
  auto [it, inserted] = commentIndex.try_emplace(FoldKey(key), image_comments.size());
  if (!inserted) {
    ImageComment& known = image_comments[it->second];
    known.inhalt = std::move(inhalt);
    return known;
  }
  image_comments.emplace_back();
  image_comments.back().setze(std::move(key), std::move(inhalt));
  return image_comments.back();
}

const ImageComment* ImageMetadata::ImageCommentPos(std::int32_t lfd) const {
  return AtPosition(image_comments, lfd);
}

const ImageComment* ImageMetadata::ImageCommentItem(const std::string& key) const {
  const auto it = commentIndex.find(FoldKey(key));
  return it == commentIndex.end() ? nullptr : &image_comments[it->second];
}

std::int32_t ImageMetadata::ImageCommentCount() const {
  return static_cast<std::int32_t>(image_comments.size());
}

}  // namespace kelmarin
