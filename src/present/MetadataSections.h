#pragma once
// The sections the metadata list shows after GPS: "Sektion IPTC" (dataset number, its German name
// from the definition file's IPTC table, value; a date or time in the locale's form with the stored
// text as its raw value) and "Sektion Kommentare" (key, text).

#include <cstdint>
#include <filesystem>
#include <vector>

#include "present/ListingJson.h"
#include "present/TextLocale.h"

namespace kelmarin {

class Definitions;
class ImageMetadata;
class ListingCache;
struct FormatContext;

inline constexpr std::int32_t kSectionIptc = 5;
inline constexpr std::int32_t kSectionComments = 6;

// The rows of both sections, each opened by an empty row and its red title; a section without
// entries is left out. Without definitions the IPTC names are "???". IPTC dates and times take the
// forms of the locale (the window's, or the one the lister read from the system).
std::vector<ListingRow> IptcAndCommentRows(const Definitions* definitions, const MetadataListing& listing,
                                           const TextLocale& locale);

// What the metadata list shows of an image: its EXIF rows (tag and label texts through the cache
// when one is given), maker, IPTC, comments and colour profile, and the XMP of its source and of the
// sidecar files. The window, the comparison, the lister and the folder's records all read it so.
MetadataListing ImageListing(const Definitions& definitions, const ImageMetadata& metadata,
                             const FormatContext& context, ListingCache* cache,
                             const std::vector<std::filesystem::path>& sidecars);

// Every row of the metadata list in its order: the EXIF sections, IPTC and comments, one XMP section
// per source, "Farbprofil". The window shows these, the lister's CSV form and --diff are written
// over them, and the comparison of two files pairs them.
std::vector<ListingRow> EveryListRow(const Definitions* definitions, const MetadataListing& listing,
                                     const TextLocale& locale);

}  // namespace kelmarin
