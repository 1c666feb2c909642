#pragma once
// What kelmarin-exif reads of one file: its metadata rows (through the metadata-only path of the
// image layer) or the information panel's labels (through a full, timed load in the image module).

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "present/InfoLabels.h"
#include "present/Listing.h"
#include "present/ListingJson.h"
#include "present/Summary.h"

namespace kelmarin {
class Definitions;
}

namespace kelmarin::lister {

class ImageModule;

using kelmarin::MetadataListing;

// Returned instead of an error number when the file needs the image module and it cannot be loaded
// (module.problem() says why). Error numbers of files are kErrorNumberBase and above
// (image/meta/ImageErrors.h).
inline constexpr std::int32_t kNoImageModule = -1;
// Returned when no module was given and the file needs it: read it again with the module.
inline constexpr std::int32_t kNeedsImageModule = -2;

// The rows of the metadata list, the IPTC datasets and the comments of the file, exactly as
// ZetImage::GetImageDims and the metadata list would give them. The type code comes from the
// extension (0: guessed from the content). JPEG and PNG files are read here; files of other formats
// have no metadata rows, only their error (or none), which the image module tells. Returns the error
// number (codec code + 1000) when the file cannot be read, or kNoImageModule; the listing is then
// empty. Never throws. The cache keeps the tag and label texts from one file to the next.
// Without a module (null) the read touches nothing shared but the definitions: several threads may
// read files at once, each with its own context and cache; a file that needs the module then gives
// kNeedsImageModule. With a summary given, it is filled from the listing as well (--summary).
std::optional<std::int32_t> ReadMetadataListing(const std::string& path, const Definitions& definitions,
                                                const FormatContext& context, ListingCache& cache,
                                                ImageModule* module, MetadataListing& listing,
                                                PhotoSummary* summary = nullptr);

// The same read, its rows written straight into `text` in the text form (the EXIF sections, one
// XMP section per source, "Farbprofil"; no list of rows is made): the text form of what
// ReadMetadataListing lists. On an error nothing is appended. The context's camera_feq and
// countsFromZero become the image's.
std::optional<std::int32_t> ReadMetadataText(const std::string& path, const Definitions& definitions,
                                             FormatContext& context, ListingCache& cache,
                                             ImageModule* module, std::string& text);

// Loads the file fully as the information panel does (in the image module) and fills its five
// labels. Returns the error number of the load when it fails, or kNoImageModule. Never throws.
std::optional<std::int32_t> ReadInfo(const std::string& path, const Definitions& definitions,
                                     const TextLocale& locale, ImageModule& module, InfoLabels& labels);

}  // namespace kelmarin::lister
