#include "present/Listing.h"

#include "extract/ImageMetadata.h"
#include "metadata/Definitions.h"
#include "present/FormatRules.h"
#include "present/NumberText.h"
#include "present/ValueText.h"

namespace kelmarin {

namespace {

QString RawValueText(const ZetExif& item) {
  if (item.typ == kTypNumbers) return NumberListText(item.inhalt);
  return item.inhalt.empty() ? QString() : ValueText(item.inhalt.front());
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

std::vector<ListingRow> FillMetadataList(const Definitions& definitions, ImageMetadata& image,
                                         FormatContext context) {
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
  const QString unknown = QStringLiteral("???");
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
      ListingRow row;
      row.section = section;
      row.tag = PlainNumberText(item->tag);
      const std::string& name = definitions.TagName(maker, section, item->tag, 0);
      row.label =
          name.empty() ? unknown : QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
      row.information = FormatValue(definitions, context, maker, *item, section);
      row.raw = RawValueText(*item);
      rows.push_back(std::move(row));
    }
  }
  return rows;
}

}  // namespace kelmarin
