#pragma once
// What kelmarin-exif reads of one file: its metadata rows (through the metadata-only path of the
// image object) or the information panel's labels (through a full, timed load).

#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "present/InfoLabels.h"
#include "present/Listing.h"

namespace kelmarin {
class Definitions;
}

namespace kelmarin::lister {

struct MetadataListing {
  std::int32_t maker = 0;
  std::vector<ListingRow> rows;
  std::vector<std::pair<std::int32_t, QString>> iptc;  // dataset number, text
  std::vector<std::pair<QString, QString>> comments;   // key, text
};

// The rows of the metadata list, the IPTC datasets and the comments of the file. The type code
// comes from the extension (0: guessed from the content). Returns the error number (codec code +
// 1000) when the file cannot be read; the listing is then empty. Never throws.
// The cache keeps the tag and label texts from one file to the next.
std::optional<std::int32_t> ReadMetadataListing(const std::string& path, const Definitions& definitions,
                                                const FormatContext& context, ListingCache& cache,
                                                MetadataListing& listing);

// Loads the file fully as the information panel does and fills its five labels. Returns the error
// number of the load when it fails. Never throws.
std::optional<std::int32_t> ReadInfo(const std::string& path, const Definitions& definitions,
                                     const QLocale& locale, InfoLabels& labels);

}  // namespace kelmarin::lister
