#include "present/MetadataSections.h"

#include "metadata/Definitions.h"
#include "present/DateText.h"
#include "present/IccListing.h"
#include "present/Listing.h"
#include "present/XmpListing.h"

namespace kelmarin {

namespace {

std::string IptcName(const Definitions* definitions, std::int32_t dataset) {
  if (definitions != nullptr) {
    const auto found = definitions->iptcTags.find(dataset);
    if (found != definitions->iptcTags.end() && !found->second.bezeichnung.empty()) {
      return found->second.bezeichnung;
    }
  }
  return "???";
}

}  // namespace

std::vector<ListingRow> IptcAndCommentRows(const Definitions* definitions, const MetadataListing& listing,
                                           const TextLocale& locale) {
  std::vector<ListingRow> rows;
  if (!listing.iptc.empty()) AppendSectionTitle(rows, kSectionIptc, "Sektion IPTC");
  for (const auto& [dataset, value] : listing.iptc) {
    ListingRow row;
    row.section = kSectionIptc;
    row.tagNumber = dataset;
    row.tag = std::to_string(dataset);
    row.label = IptcName(definitions, dataset);
    row.information = value;
    // Dates and times as the EXIF ones are shown; the stored text stays beside them.
    if (std::optional<std::string> date = IptcDateText(dataset, value, locale)) {
      row.information = std::move(*date);
      row.raw = value;
    }
    rows.push_back(std::move(row));
  }
  if (!listing.comments.empty()) AppendSectionTitle(rows, kSectionComments, "Sektion Kommentare");
  for (const auto& [key, text] : listing.comments) {
    ListingRow row;
    row.section = kSectionComments;
    row.label = key;
    row.information = text;
    rows.push_back(std::move(row));
  }
  return rows;
}

MetadataListing ImageListing(const Definitions& definitions, const ImageMetadata& metadata,
                             const FormatContext& context, ListingCache* cache,
                             const std::vector<std::filesystem::path>& sidecars) {
  MetadataListing listing;
  listing.rows = cache != nullptr ? FillMetadataList(definitions, metadata, context, *cache)
                                  : FillMetadataList(definitions, metadata, context);
  FillIptcAndComments(metadata, listing);
  FillXmp(metadata.Source(), sidecars, context.locale, listing);
  return listing;
}

std::vector<ListingRow> EveryListRow(const Definitions* definitions, const MetadataListing& listing,
                                     const TextLocale& locale) {
  std::vector<ListingRow> rows = listing.rows;
  const auto append = [&rows](std::vector<ListingRow> more) {
    rows.insert(rows.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
  };
  append(IptcAndCommentRows(definitions, listing, locale));
  if (!listing.xmp.empty()) append(XmpRows(listing.xmp));
  append(IccRows(listing.icc));
  return rows;
}

}  // namespace kelmarin
