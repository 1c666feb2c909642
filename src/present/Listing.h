#pragma once
// The rows of the metadata list, toolkit-free: the window renders them into Exifliste, the
// command-line lister prints them.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "present/Formatter.h"

namespace kelmarin {

class Definitions;
class ExifTag;
class ImageMetadata;

enum class RowKind {
  Item,       // one metadata item
  Header,     // section title in column 2, drawn red (column 1 too)
  Separator,  // all columns empty, before the header of sections 2, 3, 4
  NoItems,    // the single "Keine Exif Infos" row
};

struct ListingRow {
  RowKind kind = RowKind::Item;
  std::int32_t section = 0;
  // The columns, UTF-8.
  std::string tag;          // column 1 "Tag"
  std::string label;        // column 2 "Bezeichnung"
  std::string information;  // column 3 "Information"
  std::string raw;          // column 4 "Rohdaten"
  bool red = false;
  // The numbers behind the tag column of an item row: its tag, the makernote sub-directory it
  // belongs to ("directory:tag", 0 = none) and, on the sub-row of one value of a list, that
  // value's position ("tag.position", from 1; 0 = the item's own row).
  std::int32_t tagNumber = 0;
  std::int32_t directory = 0;
  std::int32_t position = 0;
};

// The tag and label column texts of tags already listed, kept from one image to the next so that
// a program listing many files converts each label once. Holds at most kMaxEntries texts; belongs
// to one Definitions object; not for use from two threads at once.
class ListingCache {
 public:
  static constexpr std::size_t kMaxEntries = 8192;
  struct Texts {
    std::string tag;
    std::string label;
    const ExifTag* definition = nullptr;  // position 0, for the positions of its list
  };
  // The texts for the tag in the section (the maker counts for section 3 only).
  const Texts& Get(const Definitions& definitions, std::int32_t maker, std::int32_t section,
                   std::int32_t tag);

 private:
  std::unordered_map<std::uint64_t, Texts> entries;
  Texts scratch;  // returned when the cache is full
};

// Every EXIF item of the image in sections 1 to 4 (reads the metadata on first use). Items of a
// makernote sub-directory are named from that sub-directory's table. After the row of a list
// whose definition names single values (positions above 0), one sub-row follows for each such
// position the list reaches, formatted by the position's own definition.
// The context's camera_feq is replaced by the image's.
std::vector<ListingRow> FillMetadataList(const Definitions& definitions, const ImageMetadata& image,
                                         FormatContext context);
// The same, with the tag and label texts taken from (and added to) the cache.
std::vector<ListingRow> FillMetadataList(const Definitions& definitions, const ImageMetadata& image,
                                         FormatContext context, ListingCache& cache);

// Section titles: 1 "Sektion Main", 2 "Sektion Thumbnail", 3 "Sektion Makernote", 4 "Sektion GPS".
std::string SectionTitle(std::int32_t section);

// Opens a section after the ones before it: an empty separator row and the red title row.
void AppendSectionTitle(std::vector<ListingRow>& rows, std::int32_t section, const std::string& title);
// An item row of a section after GPS, its four columns as given (no tag number behind them).
ListingRow TextItemRow(std::int32_t section, std::string tag, std::string label, std::string information,
                       std::string raw);

}  // namespace kelmarin
