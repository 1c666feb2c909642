#pragma once
// The XMP of one image as the metadata list and the lister show it: one section per source (the
// embedded packet first, then the sidecars), the property path in the tag column, the German label,
// the value as a reader wants it and the value as written.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "extract/xmp/XmpSources.h"
#include "present/Listing.h"

namespace kelmarin {

class XmpVocabulary;
struct MetadataListing;

inline constexpr std::int32_t kSectionXmp = 7;
inline constexpr char kXmpEmbedded[] = "eingebettet";

struct XmpEntry {
  std::string source;  // "eingebettet" or the sidecar's file name
  std::string ns;      // namespace URI; empty on the row of a note
  std::string path;
  std::string label;
  std::string value;  // as shown
  std::string raw;    // as written
};

// The value of a property as shown: xmp:Rating as five stars ("★★★★☆", -1 "abgelehnt"), dates (parts
// named "...Date..." or "when") in the locale's form with their offset, GPS coordinates of the exif
// namespace as signed degrees; anything else as written.
std::string XmpValueText(const XmpProperty& property, const TextLocale& locale);

// What stopped a packet, in words.
std::string XmpNoteText(const XmpNote& note);

// The entries of all sources, in order; a source's notes follow its properties (label "Hinweis").
// The sources' texts are moved into the entries.
std::vector<XmpEntry> XmpEntries(std::vector<XmpSource> sources, const XmpVocabulary* vocabulary,
                                 const TextLocale& locale);

// The rows: per source an empty row and its red title ("XMP", or "XMP (" + sidecar name + ")").
std::vector<ListingRow> XmpRows(const std::vector<XmpEntry>& entries);

// The same rows one by one, without a list of them: the row handed to `each` is valid only during
// the call (one row object is refilled for every entry).
void ForEachXmpRow(const std::vector<XmpEntry>& entries, const std::function<void(const ListingRow&)>& each);

// The XMP of the embedded source (may be null) and the sidecar files into the listing, named with the
// process's vocabulary.
void FillXmp(const MetadataSource* embedded, const std::vector<std::filesystem::path>& sidecars,
             const TextLocale& locale, MetadataListing& listing);

// The member "xmp" of a file's JSON object and a comma: [{"source", "namespace", "path", "label",
// "value"}]; nothing at all when there are no entries.
void AppendXmpJson(std::string& out, const std::vector<XmpEntry>& entries);

}  // namespace kelmarin
