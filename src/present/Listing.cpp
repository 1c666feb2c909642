#include "present/Listing.h"

#include "extract/ImageMetadata.h"
#include "metadata/Definitions.h"
#include "present/FormatRules.h"
#include "present/NumberText.h"
#include "present/ValueText.h"

namespace kelmarin {

namespace {

// Every value as it stands (a fraction as numerator "/" denominator), limited like number lists.
QString RawValueText(const ZetExif& item) {
  return NumberListText(item.inhalt);
}

ListingRow HeaderRow(std::int32_t section) {
  ListingRow row;
  row.kind = RowKind::Header;
  row.section = section;
  row.label = SectionTitle(section);
  row.red = true;
  return row;
}

}  // namespace

QString SectionTitle(std::int32_t section) {
  switch (section) {
    case kSectionMain:
      return QStringLiteral("Sektion Main");
    case kSectionThumbnail:
      return QStringLiteral("Sektion Thumbnail");
    case kSectionMakernote:
      return QStringLiteral("Sektion Makernote");
    case kSectionGps:
      return QStringLiteral("Sektion GPS");
    default:
      return {};
  }
}

const ListingCache::Texts& ListingCache::Get(const Definitions& definitions, std::int32_t maker,
                                             std::int32_t section, std::int32_t tag) {
  // Section (8 bits), maker (24 bits, section 3 only) and tag (32 bits) make the key; a maker number
  // beyond 24 bits is never cached.
  const std::int32_t layout = section == kSectionMakernote ? maker : 0;
  const bool cacheable = layout >= 0 && layout < (1 << 24) && section >= 0 && section < 256;
  const std::uint64_t key = (static_cast<std::uint64_t>(section) << 56) |
                            (static_cast<std::uint64_t>(layout) << 32) | static_cast<std::uint32_t>(tag);
  if (cacheable) {
    if (const auto found = entries.find(key); found != entries.end()) return found->second;
  }
  Texts texts;
  texts.tag = PlainNumberText(tag);
  const std::string& name = definitions.TagName(maker, section, tag, 0);
  texts.label = name.empty() ? QStringLiteral("???")
                             : QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  if (!cacheable || entries.size() >= kMaxEntries) {
    scratch = std::move(texts);
    return scratch;
  }
  return entries.emplace(key, std::move(texts)).first->second;
}

std::vector<ListingRow> FillMetadataList(const Definitions& definitions, ImageMetadata& image,
                                         FormatContext context) {
  ListingCache cache;
  return FillMetadataList(definitions, image, std::move(context), cache);
}

std::vector<ListingRow> FillMetadataList(const Definitions& definitions, ImageMetadata& image,
                                         FormatContext context, ListingCache& cache) {
  std::vector<ListingRow> rows;
  if (image.ExifCount() == 0) {
    ListingRow row;
    row.kind = RowKind::NoItems;
    row.label = QStringLiteral("Keine Exif Infos");
    rows.push_back(std::move(row));
    return rows;
  }
  if (context.symbols.decimalPoint.isEmpty() || context.shortDateFormat.isEmpty() ||
      context.longTimeFormat.isEmpty()) {
    const QString separator = context.decimalSeparator;
    context = MakeFormatContext(context.locale, context.camera_feq);
    context.decimalSeparator = separator;
  }
  context.camera_feq = image.camera_feq;
  const std::int32_t maker = image.camera_id;
  rows.reserve(static_cast<std::size_t>(image.ExifCount()) + 8);
  for (std::int32_t section = kSectionMain; section <= kSectionGps; ++section) {
    const std::int32_t n = image.ExifCount(section);
    if (n < 1) continue;
    if (section != kSectionMain) {
      ListingRow separator;
      separator.kind = RowKind::Separator;
      separator.section = section;
      rows.push_back(std::move(separator));
    }
    rows.push_back(HeaderRow(section));
    for (std::int32_t i = 1; i <= n; ++i) {
      const ZetExif* item = image.ExifPos(section, i);
      if (!item) continue;
      const ListingCache::Texts& texts = cache.Get(definitions, maker, section, item->tag);
      ListingRow row;
      row.section = section;
      row.tag = texts.tag;
      row.label = texts.label;
      row.information = FormatValue(definitions, context, maker, *item, section);
      row.raw = RawValueText(*item);
      rows.push_back(std::move(row));
    }
  }
  return rows;
}

}  // namespace kelmarin
