#pragma once
// The metadata collections of one image: EXIF items by section, IPTC datasets, comments, the maker
// number and the focal-length factor. ReadMetadata reads a file's kept markers, texts and blocks once
// and returns the value; its queries are const and never read anything. The Add operations are how
// the readers (and tests) fill a value.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "extract/ExifValues.h"
#include "extract/MetadataSource.h"

namespace kelmarin {

class Definitions;

inline constexpr std::int32_t kTypNumbers = 1;  // inhalt holds numbers
inline constexpr std::int32_t kTypTexts = 4;    // inhalt holds texts

struct ZetExif {
  std::int32_t tag = 0;
  std::int32_t typ = 0;
  ExifValues inhalt;  // inhalt[0] is position 1
  // The makernote sub-directory the item was read from, named by the tag of its pointer entry;
  // 0 for every other directory.
  std::int32_t directory = 0;
};

// The bytes of an item whose numbers each fit a byte (stored as BYTE or UNDEFINED), for the
// makernote blocks laid out byte by byte; with `textToo` a single text's bytes as well. Nothing for
// wider numbers or (without `textToo`) a text.
std::optional<std::vector<std::uint8_t>> ItemBytes(const ZetExif& item, bool textToo = false);

struct ZetIPTC {
  std::int32_t tag = 0;
  std::string inhalt;  // raw bytes, not cut at zero bytes
};

struct ImageComment {
  std::string key;
  std::string inhalt;

  void setze(std::string newKey, std::string newInhalt) {
    key = std::move(newKey);
    inhalt = std::move(newInhalt);
  }
};

class ImageMetadata {
 public:
  std::int32_t camera_id = 0;  // maker number, 0 = none
  double camera_feq = 1.0;     // focal-length factor
  // The makernote says its body counts some codes from 0 where the maker's others count from 1
  // (Olympus's "SX" camera types and D4322: quality SQ is 0, not 1).
  bool countsFromZero = false;

  // Appends to the section's list (1 main, 2 thumbnail, 3 makernote, 4 GPS) and returns the item;
  // another section number returns null and stores nothing. The pointer
  // stays valid until the next ExifAdd to the same section.
  ZetExif* ExifAdd(std::int32_t section, std::int32_t tag, std::int32_t typ, ExifValues inhalt);
  // Item at 1-based position, null outside the list or for another section.
  const ZetExif* ExifPos(std::int32_t section, std::int32_t lfd) const;
  // First item with that tag in the section, null when none.
  const ZetExif* ExifTag(std::int32_t section, std::int32_t tag) const;
  // Sum over the four sections, or one section's count (0 for another number).
  std::int32_t ExifCount() const;
  std::int32_t ExifCount(std::int32_t section) const;

  // Joins a repeated dataset number with "," into the first item.
  ZetIPTC& IptcAdd(std::int32_t tag, std::string inhalt);
  const ZetIPTC* IptcPos(std::int32_t lfd) const;
  const ZetIPTC* IptcTag(std::int32_t tag) const;
  std::int32_t IptcCount() const;

  // Keys compare without regard to ASCII case; a known key keeps its position and first spelling and
  // gets the new text.
  ImageComment& ImageCommentAdd(std::string key, std::string inhalt);
  const ImageComment* ImageCommentPos(std::int32_t lfd) const;
  const ImageComment* ImageCommentItem(const std::string& key) const;
  std::int32_t ImageCommentCount() const;

  // Whether ReadMetadata read the source: false for a type whose metadata is not read, and for a
  // value filled by hand.
  bool MetadataRead() const { return metadata_read; }
  // The source ReadMetadata was given (null for a value filled by hand): its ICC profile and XMP
  // are read from there.
  const MetadataSource* Source() const { return source.get(); }

  // Approximate memory held by the EXIF items (values and their text bytes). The reader stops
  // adding items once it passes its budget, so hostile blocks cannot exhaust memory.
  std::size_t ExifStoredBytes() const { return exifStoredBytes; }

 private:
  friend ImageMetadata ReadMetadata(std::int32_t imagetype, std::shared_ptr<const MetadataSource> source,
                                    const Definitions* definitions);

  std::shared_ptr<const MetadataSource> source;
  bool metadata_read = false;
  std::vector<ZetExif> exif[4];
  std::vector<ZetIPTC> iptc_items;
  std::vector<ImageComment> image_comments;
  std::unordered_map<std::string, std::size_t> commentIndex;  // folded key -> index in image_comments
  std::size_t exifStoredBytes = 0;
};

// Reads the metadata of one file from what the codec layer kept of it: the image type code (only 4
// JPEG and 8 PNG are read, and any type whose source a container reader filled), its markers, texts
// and blocks (null: nothing to read), and the definition tables for the focal-length factor (null:
// factor 0). Any other type gives a value with every count 0 that still holds the source. The value
// keeps the source alive; the definitions are not kept. Throws only std::bad_alloc.
ImageMetadata ReadMetadata(std::int32_t imagetype, std::shared_ptr<const MetadataSource> source,
                           const Definitions* definitions);

}  // namespace kelmarin
