#pragma once
// The rows of the metadata list, toolkit-free: the window renders them into Exifliste, the
// command-line lister prints them.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "present/Formatter.h"

namespace kelmarin {

class Definitions;
class ExifTag;
class ExifValues;
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
  // The texts for an item of a sub-directory named from that sub-directory's table: "directory:tag"
  // in section 3, the tag alone in another section.
  const Texts& GetInDirectory(const Definitions& definitions, std::int32_t maker, std::int32_t section,
                              std::int32_t directory, std::int32_t tag);

 private:
  // Keeps the texts under the key while there is room; the texts kept (or the scratch copy).
  const Texts& Keep(std::unordered_map<std::uint64_t, Texts>& map, bool cacheable, std::uint64_t key,
                    Texts texts);

  std::unordered_map<std::uint64_t, Texts> entries;
  std::unordered_map<std::uint64_t, Texts> inDirectories;
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

// An item row as FillMetadataList hands it to a sink: the tag and label texts are borrowed (valid
// during the call only), the information text may be taken; the raw column comes as the values it
// is written from (AppendRawText).
struct ListingItem {
  std::int32_t section = 0;
  std::string_view tag;
  std::string_view label;
  std::string information;
  const ExifValues* raw = nullptr;
  std::int32_t tagNumber = 0;
  std::int32_t directory = 0;
  std::int32_t position = 0;
};

// Takes the rows of one image in their order, one by one, instead of a list of them (the lister
// writes them straight into its output).
class ListingSink {
 public:
  virtual ~ListingSink() = default;
  // A separator, a section's title or the "Keine Exif Infos" row.
  virtual void Row(ListingRow row) = 0;
  virtual void Item(ListingItem& item) = 0;
};

// The rows of FillMetadataList into the sink; the context's camera_feq and countsFromZero are set to
// the image's (a context of its own is not copied for every image).
void FillMetadataList(const Definitions& definitions, const ImageMetadata& image, FormatContext& context,
                      ListingCache& cache, ListingSink& sink);

// The raw column of an item row: every value as it stands (a fraction as numerator "/"
// denominator), at most ten and then ",...(" + count + ")", appended.
void AppendRawText(std::string& out, const ExifValues& values);

// Section titles: 1 "Sektion Main", 2 "Sektion Thumbnail", 3 "Sektion Makernote", 4 "Sektion GPS".
std::string SectionTitle(std::int32_t section);

// Opens a section after the ones before it: an empty separator row and the red title row.
void AppendSectionTitle(std::vector<ListingRow>& rows, std::int32_t section, const std::string& title);
// An item row of a section after GPS, its four columns as given (no tag number behind them).
ListingRow TextItemRow(std::int32_t section, std::string tag, std::string label, std::string information,
                       std::string raw);

}  // namespace kelmarin
