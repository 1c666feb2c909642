#pragma once
// The sections the metadata list shows after GPS: "Sektion IPTC" (dataset number, its German name
// from the definition file's IPTC table, value; a date or time in the locale's form with the stored
// text as its raw value) and "Sektion Kommentare" (key, text).

#include <cstdint>
#include <vector>

#include "present/ListingJson.h"
#include "present/TextLocale.h"

namespace kelmarin {

class Definitions;

inline constexpr std::int32_t kSectionIptc = 5;
inline constexpr std::int32_t kSectionComments = 6;

// The rows of both sections, each opened by an empty row and its red title; a section without
// entries is left out. Without definitions the IPTC names are "???". IPTC dates and times take the
// forms of the locale (the window's, or the one the lister read from the system).
std::vector<ListingRow> IptcAndCommentRows(const Definitions* definitions, const MetadataListing& listing,
                                           const TextLocale& locale);

// Every row of the metadata list in its order: the EXIF sections, IPTC and comments, one XMP section
// per source, "Farbprofil". The window shows these, the lister's CSV form and --diff are written
// over them, and the comparison of two files pairs them.
std::vector<ListingRow> EveryListRow(const Definitions* definitions, const MetadataListing& listing,
                                     const TextLocale& locale);

}  // namespace kelmarin
