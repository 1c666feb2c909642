#pragma once
// "Auf einen Blick": the facts a photographer looks for first (camera, lens, exposure, focal length,
// capture time with its zone, place, picture, rating and words), gathered from the sections of one
// image with the rows each was taken from. Toolkit-free: the window shows it above the metadata
// list, the lister prints it (--summary) and the folder's columns are filled from it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelmarin {

class Definitions;
class ImageMetadata;
struct MetadataListing;
struct TextLocale;

// A row a line was taken from: the section (1 main … 4 GPS, 7 XMP, 8 Farbprofil) and the tag
// column's text of that row ("0x829A", "xmp:Rating", "description").
struct SummarySource {
  std::int32_t section = 0;
  std::string tag;
};

// One line of the block: its key ("camera", "lens", "exposure", "focal", "taken", "place", "picture",
// "rating", "label", "title", "keywords"), German caption ("Kamera", "Objektiv", …), the text shown,
// the raw evidence (codes as stored) and the rows it came from.
struct SummaryLine {
  std::string key;
  std::string caption;
  std::string text;
  std::string raw;
  std::vector<SummarySource> from;
};

// The facts as values; each is empty when the file says nothing of it.
struct PhotoSummary {
  std::vector<SummaryLine> lines;  // in the block's order, lines without information left out

  std::optional<std::string> camera;  // make and model without a doubled make
  std::optional<std::string> lens;
  std::optional<double> exposureTime;  // seconds
  std::optional<double> fNumber;
  std::optional<double> iso;
  std::optional<double> exposureBias;  // EV
  std::optional<double> focalLength;   // mm
  std::optional<double> focalLength35;
  std::optional<std::string> taken;         // local wall time "YYYY-MM-DDTHH:MM:SS"
  std::optional<std::string> offset;        // "+02:00"
  std::optional<std::string> offsetSource;  // "OffsetTimeOriginal", "TimeZoneOffset", "Makernote", "GPS"
  std::optional<std::string> utc;           // "YYYY-MM-DDTHH:MM:SSZ"
  std::optional<double> latitude;           // degrees, south negative
  std::optional<double> longitude;          // degrees, west negative
  std::optional<double> altitude;           // metres, below sea level negative
  std::optional<std::int32_t> width;
  std::optional<std::int32_t> height;
  std::optional<std::int32_t> rating;  // -1 rejected, 0 … 5
  std::optional<std::string> label;    // colour label
  std::optional<std::string> title;
  std::vector<std::string> keywords;
  std::optional<std::string> profile;  // ICC profile description
};

// The summary of an image whose listing was filled (EXIF rows, XMP and colour profile entries). The
// metadata is the image's own (makernote codes are read from it).
PhotoSummary SummarizePhoto(const Definitions& definitions, const ImageMetadata& metadata,
                            const MetadataListing& listing, const TextLocale& locale);

// The member "summary" of a file's JSON object and a comma; keys without a value are left out.
void AppendSummaryJson(std::string& out, const PhotoSummary& summary);

}  // namespace kelmarin
