#pragma once
// One image's metadata as a whole: the rows of the metadata list, its IPTC datasets and its
// comments, and the JSON form kelmarin-exif --json writes of it (the window exports the same).

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "present/IccListing.h"
#include "present/Listing.h"
#include "present/XmpListing.h"

namespace kelmarin {

class ImageMetadata;

struct MetadataListing {
  std::int32_t maker = 0;
  std::vector<ListingRow> rows;
  std::vector<std::pair<std::int32_t, std::string>> iptc;     // dataset number, text (UTF-8)
  std::vector<std::pair<std::string, std::string>> comments;  // key, text (UTF-8)
  std::vector<XmpEntry> xmp;                                  // every source, embedded first
  std::vector<IccEntry> icc;                                  // the "Farbprofil" section; empty: none
};

// The image's maker, IPTC datasets, comments and colour profile into the listing (the rows stay as
// they are).
void FillIptcAndComments(const ImageMetadata& metadata, MetadataListing& listing);

// A JSON string literal, quotes included (RFC 8259 escapes; the input must be valid UTF-8).
void AppendJsonString(std::string& out, std::string_view utf8);

// A member's name and its colon: "key":
void AppendJsonKey(std::string& out, std::string_view key);

// The members "key":"text", in their order with a comma between them (none before or after).
void AppendJsonTexts(std::string& out,
                     std::initializer_list<std::pair<std::string_view, std::string_view>> members);

// The members "maker", "sections", "iptc", "comments", (when there is XMP) "xmp" and (for an image
// with a colour profile) "icc" of one file's JSON object, each followed by a comma.
void AppendMetadataJson(std::string& out, const MetadataListing& listing);

// The whole JSON document of one file read without error, as kelmarin-exif --json writes it:
// [{"file":...,"maker":...,"sections":...,"iptc":...,"comments":...,"error":null}] and a line feed.
std::string MetadataJsonDocument(std::string_view fileUtf8, const MetadataListing& listing);

}  // namespace kelmarin
