#pragma once
// The rows of the metadata list, toolkit-free: the window renders them into Exifliste, the
// command-line lister prints them.

#include <QString>
#include <cstdint>
#include <vector>

#include "present/Formatter.h"

namespace kelmarin {

class Definitions;
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
  QString tag;          // column 1 "Tag"
  QString label;        // column 2 "Bezeichnung"
  QString information;  // column 3 "Information"
  QString raw;          // column 4 "Rohdaten"
  bool red = false;
};

// Every EXIF item of the image in sections 1 to 4 (reads the metadata on first use).
// The context's camera_feq is replaced by the image's.
std::vector<ListingRow> FillMetadataList(const Definitions& definitions, ImageMetadata& image,
                                         FormatContext context);

// Section titles: 1 "Sektion Main", 2 "Sektion Thumbnail", 3 "Sektion Makernote", 4 "Sektion GPS".
QString SectionTitle(std::int32_t section);

}  // namespace kelmarin
