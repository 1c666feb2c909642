#include "present/Listing.h"

#include "extract/ImageMetadata.h"
#include "metadata/Definitions.h"
#include "present/FormatRules.h"
#include "present/NumberText.h"
#include "present/ValueText.h"

namespace kelmarin {

namespace {

// Byte lists that hold numbers of several bytes (display codes 18 to 20): position n is the n-th
// number of the list; a text inside a byte list (21) runs from byte n to the first NUL or the end.
constexpr std::size_t kMaxTextFromByte = 256;

struct WordForm {
  std::size_t bytes = 1;
  bool littleEndian = false;
  bool isSigned = false;
};

WordForm FormOf(std::int32_t code) {
  switch (code) {
    case kDisplayBigEndianWords:
    case kDisplayWordScaled:
    case kDisplayWordApexAperture:
    case kDisplayWordPowerOfTwo:
    case kDisplayPackedDateOrTime:
    case kDisplayWordExposureTime:
      return {4, false, false};
    case kDisplaySignedBigEndianShorts:
      return {2, false, true};
    case kDisplayLittleEndianShorts:
      return {2, true, false};
    default:
      return {};
  }
}

// Value n of the list as the position's code reads it; false when the list does not reach it.
bool PositionValue(const ZetExif& item, std::int32_t position, std::int32_t code, ExifValue& value) {
  const auto n = static_cast<std::size_t>(position);
  const WordForm form = FormOf(code);
  if (code == kDisplayTextFromByte) {
    if (n > item.inhalt.size()) return false;
    std::string text;
    for (std::size_t i = n - 1; i < item.inhalt.size() && text.size() < kMaxTextFromByte; ++i) {
      const auto byte = item.inhalt.Number(i);
      if (!byte || (*byte & 0xFF) == 0) break;
      text += static_cast<char>(*byte & 0xFF);
    }
    value = std::move(text);
    return true;
  }
  if (form.bytes == 1) {
    if (n > item.inhalt.size()) return false;
    value = item.inhalt[n - 1];
    return true;
  }
  if (n > item.inhalt.size() / form.bytes) return false;
  std::int64_t word = 0;
  for (std::size_t k = 0; k < form.bytes; ++k) {
    const std::size_t i = form.bytes * (n - 1) + (form.littleEndian ? form.bytes - 1 - k : k);
    const auto byte = item.inhalt.Number(i);
    word = (word << 8) | (byte ? (*byte & 0xFF) : 0);
  }
  if (form.isSigned) word = static_cast<std::int16_t>(static_cast<std::uint16_t>(word));
  value = word;
  return true;
}

ExifValue SignedValue(const ExifValue& value, std::int32_t code) {
  const auto* number = std::get_if<std::int64_t>(&value);
  if (number == nullptr) return value;
  if (code == kDisplaySigned16) return std::int64_t{static_cast<std::int16_t>(static_cast<std::uint16_t>(*number))};
  return std::int64_t{static_cast<std::int8_t>(static_cast<std::uint8_t>(*number))};
}

// Value `position` of the item as a list of its own, with the code that shows it; false when the
// list does not reach it.
struct PositionSingle {
  ZetExif single;
  ExifValue value;
  std::int32_t code = kDisplayPlain;
};

bool SinglePosition(const ZetExif& item, const ExifTag& definition, PositionSingle& out) {
  if (!PositionValue(item, definition.position, definition.fmt, out.value)) return false;
  const bool isSigned = definition.fmt == kDisplaySigned16 || definition.fmt == kDisplaySigned8;
  const bool isText = definition.fmt == kDisplayTextFromByte;
  const bool plain = isSigned || isText || FormOf(definition.fmt).bytes > 1;
  out.single = ZetExif{item.tag, isText ? kTypTexts : item.typ,
                       {isSigned ? SignedValue(out.value, definition.fmt) : out.value}, item.directory};
  out.code = plain ? WordComputedCode(definition.fmt) : definition.fmt;
  return true;
}

// The sub-rows of a list after its own row (whose tag column is `ownerTag`).
void AppendPositionRows(ListingSink& sink, const FormatContext& context, const ExifTag& array,
                        const ZetExif& item, std::int32_t section, std::string_view ownerTag) {
  std::string tag;
  ListingItem row;
  row.section = section;
  row.tagNumber = item.tag;
  row.directory = section == kSectionMakernote ? item.directory : 0;
  for (const ExifTag* definition : array.positions) {
    PositionSingle position;
    if (!SinglePosition(item, *definition, position)) break;
    tag.assign(ownerTag);
    tag += '.';
    tag += PlainNumberText(definition->position);
    row.tag = tag;
    row.label = definition->bezeichnung;
    row.position = definition->position;
    row.information = FormatGeneral(position.single, position.code, definition, context);
    position.single.inhalt = {std::move(position.value)};
    row.raw = &position.single.inhalt;
    sink.Item(row);
  }
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

std::optional<std::string> PositionInformation(const ZetExif& item, const ExifTag& position,
                                               const FormatContext& context) {
  PositionSingle single;
  if (!SinglePosition(item, position, single)) return std::nullopt;
  return FormatGeneral(single.single, single.code, &position, context);
}

std::string SectionTitle(std::int32_t section) {
  switch (section) {
    case kSectionMain:
      return "Sektion Main";
    case kSectionThumbnail:
      return "Sektion Thumbnail";
    case kSectionMakernote:
      return "Sektion Makernote";
    case kSectionGps:
      return "Sektion GPS";
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
  texts.definition = definitions.FindTag(maker, section, tag, 0);
  const std::string& name = definitions.TagName(maker, section, tag, 0);
  texts.label = name.empty() ? std::string("???") : name;
  return Keep(entries, cacheable, key, std::move(texts));
}

const ListingCache::Texts& ListingCache::GetInDirectory(const Definitions& definitions, std::int32_t maker,
                                                        std::int32_t section, std::int32_t directory,
                                                        std::int32_t tag) {
  // Section (8 bits), maker (24 bits), directory and tag (16 bits each) make the key.
  const bool cacheable = maker >= 0 && maker < (1 << 24) && section >= 0 && section < 256 && directory >= 0 &&
                         directory < (1 << 16) && tag >= 0 && tag < (1 << 16);
  const std::uint64_t key = (static_cast<std::uint64_t>(section) << 56) |
                            (static_cast<std::uint64_t>(maker) << 32) |
                            (static_cast<std::uint64_t>(directory) << 16) | static_cast<std::uint64_t>(tag);
  if (cacheable) {
    if (const auto found = inDirectories.find(key); found != inDirectories.end()) return found->second;
  }
  Texts texts;
  texts.tag = section == kSectionMakernote ? PlainNumberText(directory) + ':' + PlainNumberText(tag)
                                           : PlainNumberText(tag);
  texts.definition = definitions.FindTag(maker, section, directory, tag, 0);
  texts.label = texts.definition == nullptr || texts.definition->bezeichnung.empty()
                    ? std::string("???")
                    : texts.definition->bezeichnung;
  return Keep(inDirectories, cacheable, key, std::move(texts));
}

const ListingCache::Texts& ListingCache::Keep(std::unordered_map<std::uint64_t, Texts>& map, bool cacheable,
                                              std::uint64_t key, Texts texts) {
  if (!cacheable || entries.size() + inDirectories.size() >= kMaxEntries) {
    scratch = std::move(texts);
    return scratch;
  }
  return map.emplace(key, std::move(texts)).first->second;
}

std::vector<ListingRow> FillMetadataList(const Definitions& definitions, const ImageMetadata& image,
                                         FormatContext context) {
  ListingCache cache;
  return FillMetadataList(definitions, image, std::move(context), cache);
}

namespace {

// Builds the list of rows.
class RowList final : public ListingSink {
 public:
  explicit RowList(std::vector<ListingRow>& list) : rows(list) {}
  void Row(ListingRow row) override { rows.push_back(std::move(row)); }
  void Item(ListingItem& item) override {
    // Made in its place: a row moved into the list would move four texts once more.
    ListingRow& row = rows.emplace_back();
    row.section = item.section;
    row.tag = item.tag;
    row.label = item.label;
    row.information = std::move(item.information);
    AppendRawText(row.raw, *item.raw);
    row.tagNumber = item.tagNumber;
    row.directory = item.directory;
    row.position = item.position;
  }

 private:
  std::vector<ListingRow>& rows;
};

}  // namespace

std::vector<ListingRow> FillMetadataList(const Definitions& definitions, const ImageMetadata& image,
                                         FormatContext context, ListingCache& cache) {
  std::vector<ListingRow> rows;
  // Room for the sub-rows of lists too (a makernote's lists often add half as many rows again):
  // growing the list would move every row made so far.
  const auto items = static_cast<std::size_t>(image.ExifCount());
  rows.reserve(items + items / 2 + 8);
  RowList sink(rows);
  FillMetadataList(definitions, image, context, cache, sink);
  return rows;
}

void FillMetadataList(const Definitions& definitions, const ImageMetadata& image, FormatContext& context,
                      ListingCache& cache, ListingSink& sink) {
  if (image.ExifCount() == 0) {
    ListingRow row;
    row.kind = RowKind::NoItems;
    row.label = "Keine Exif Infos";
    sink.Row(std::move(row));
    return;
  }
  context.camera_feq = image.camera_feq;
  context.countsFromZero = image.countsFromZero;
  const std::int32_t maker = image.camera_id;
  for (std::int32_t section = kSectionMain; section <= kSectionGps; ++section) {
    const std::int32_t n = image.ExifCount(section);
    if (n < 1) continue;
    if (section != kSectionMain) {
      ListingRow separator;
      separator.kind = RowKind::Separator;
      separator.section = section;
      sink.Row(std::move(separator));
    }
    sink.Row(HeaderRow(section));
    ListingItem row;
    row.section = section;
    for (std::int32_t i = 1; i <= n; ++i) {
      const ZetExif* item = image.ExifPos(section, i);
      if (!item) continue;
      // Items of a makernote's sub-directory or of a raw format's directory 0 are named from its table.
      const bool ownTable = item->directory != 0 && (section == kSectionMakernote || section == kSectionMain);
      const ListingCache::Texts& texts =
          ownTable ? cache.GetInDirectory(definitions, maker, section, item->directory, item->tag)
                   : cache.Get(definitions, maker, section, item->tag);
      row.tag = texts.tag;
      row.label = texts.label;
      row.information = FormatItem(context, maker, *item, section, texts.definition);
      row.raw = &item->inhalt;
      row.tagNumber = item->tag;
      row.directory = section == kSectionMakernote ? item->directory : 0;
      sink.Item(row);
      if (texts.definition != nullptr && !texts.definition->positions.empty() &&
          !(section == kSectionMakernote && maker == 0)) {
        AppendPositionRows(sink, context, *texts.definition, *item, section, texts.tag);
      }
    }
  }
}

void AppendRawText(std::string& out, const ExifValues& values) {
  AppendNumberListText(out, values);
}

void AppendSectionTitle(std::vector<ListingRow>& rows, std::int32_t section, const std::string& title) {
  ListingRow separator;
  separator.kind = RowKind::Separator;
  separator.section = section;
  rows.push_back(separator);
  ListingRow header;
  header.kind = RowKind::Header;
  header.section = section;
  header.label = title;
  header.red = true;
  rows.push_back(header);
}

ListingRow TextItemRow(std::int32_t section, std::string tag, std::string label, std::string information,
                       std::string raw) {
  ListingRow row;
  row.section = section;
  row.tag = std::move(tag);
  row.label = std::move(label);
  row.information = std::move(information);
  row.raw = std::move(raw);
  return row;
}

}  // namespace kelmarin
