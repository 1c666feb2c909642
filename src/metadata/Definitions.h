#pragma once
// The tag definition records read from metadata.def and the look-ups that turn a tag number into
// a label, a display code and value names. All tables are filled once by LoadDefinitions and only
// read afterwards; a Definitions object is therefore safe to share read-only.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "metadata/DisplayCodes.h"
#include "metadata/Reporter.h"

namespace kelmarin {

// Section numbers of metadata items.
inline constexpr std::int32_t kSectionMain = 1;       // directory 0 with its Exif and interop directories
inline constexpr std::int32_t kSectionThumbnail = 2;  // every directory reached by a next link
inline constexpr std::int32_t kSectionMakernote = 3;
inline constexpr std::int32_t kSectionGps = 4;

// One value name: a raw value of a tag and the text shown for it.
class ExifTagNice {
 public:
  std::int64_t id = 0;  // -2^31 to 2^32 - 1 (a name of an unsigned 32-bit number above 2^31 - 1)
  std::string bezeichnung;  // UTF-8
  // A name of a whole list: its numbers in decimal, joined by single spaces ("0 16"); then id is 0
  // and the name stands for no single number. Empty for the name of one number.
  std::string liste;

  void add(std::int64_t newId, std::string newBezeichnung);
};

// One tag definition.
class ExifTag {
 public:
  std::int32_t tag = 0;
  std::int32_t position = 0;  // every look-up asks for position 0
  std::string bezeichnung;    // UTF-8 label
  std::int32_t fmt = kDisplayPlain;  // display code (DisplayCodes.h)
  // The display codes that compute a value (ReadsScale) show value × scale + offset;
  // both come from the fields between the display code and the name of the definition line.
  double scale = 1.0;
  double offset = 0.0;
  // On a position-0 definition: the definitions of single values of the tag's list (position n
  // names value n), by rising position. Filled once loading has ended.
  std::vector<const ExifTag*> positions;

  void setze(std::int32_t newTag, std::int32_t newPosition, std::string newBezeichnung, std::int32_t newFmt);
  // Appends value name number inqnicecount() + 1 and returns it.
  ExifTagNice& addnice(std::int64_t i, std::string b);
  // Value name number i, 1 to inqnicecount(); another number is a caller error (asserted).
  const ExifTagNice& inqnice(int i) const;
  int inqnicecount() const { return static_cast<int>(nice.size()); }

 private:
  std::vector<ExifTagNice> nice;
};

// Tag table keyed by "T" + tag + "P" + position; stored under the packed pair for speed.
// Node-based, so references to definitions stay valid while the table grows.
using TagTable = std::unordered_map<std::uint64_t, ExifTag>;
constexpr std::uint64_t TagKey(std::int32_t tag, std::int32_t position) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(tag)) << 32) |
         static_cast<std::uint32_t>(position);
}

// One makernote layout with its own tag table.
class ExifMakernote {
 public:
  std::int32_t cameraid = 0;  // maker number
  TagTable exif_tags;
  // Tag tables of the layout's sub-directories, by the tag of the entry that points to them.
  std::unordered_map<std::int32_t, TagTable> directories;
  // Sub-directories named by the table of another layout's sub-directory of the same number (an
  // older form of a maker whose directories the later form kept): directory -> that maker.
  std::unordered_map<std::int32_t, std::int32_t> sharedDirectories;
};

// One focal-length factor.
class ExifFocalEquiv {
 public:
  std::string camname;  // normalised model: up to the first "(", no spaces, upper case
  double multiplier = 0.0;
};

// One IPTC dataset definition (record 2).
class IptcTag {
 public:
  std::int32_t tag = 0;
  std::string bezeichnung;

  void setze(std::int32_t newTag, std::string newBezeichnung);
};

// Failure of an Add operation: the key was already there (code 457); nothing was replaced.
struct DuplicateKey {
  std::int32_t code = 457;
};

struct DeferredMakernotes;

// The six tables.
class Definitions {
 public:
  TagTable mainTags;
  TagTable thumbnailTags;
  TagTable gpsTags;
  // Tables of a camera's raw directory 0 ("#main" with a word: the TIFF magic number of the raw
  // format, 0x55 for Panasonic's RW2), by that number; what they lack is named by mainTags.
  std::unordered_map<std::int32_t, TagTable> rawMainTags;
  std::unordered_map<std::int32_t, ExifMakernote> makernoteTable;   // "C" + cameraid
  std::unordered_map<std::string, ExifFocalEquiv> focalEquivTable;  // normalised model
  std::unordered_map<std::int32_t, IptcTag> iptcTags;               // "T" + dataset number

  // Adds a definition; throws DuplicateKey when the key is taken (the loader turns that into code 457).
  ExifTag& AddTagDefinition(TagTable& table, std::int32_t tag, std::int32_t position, std::string bezeichnung,
                            std::int32_t fmt);
  // Adds, or removes an entry already stored under the same normalised model (add, remove, add ...).
  void AddFocalEquiv(const std::string& make, const std::string& model, double factor);
  // The factor stored for the normalised model, 0 when there is none. The make takes no part.
  double FocalEquivFactor(const std::string& make, const std::string& model) const;
  // Throws DuplicateKey when the dataset number is taken.
  IptcTag& AddIptcDefinition(std::int32_t tag, std::string bezeichnung);

  // Section 1, 2, 4 use their table; section 3 the table of makernote "C" + maker; any other
  // section, or a maker without a layout, finds nothing. No fallback across tables.
  const ExifTag* FindTag(std::int32_t maker, std::int32_t section, std::int32_t tag,
                         std::int32_t position) const;
  // The same inside a makernote sub-directory (directory = the tag of its pointer entry; 0 is the
  // makernote directory itself, and every other section). A directory the layout shares with
  // another layout (ExifMakernote::sharedDirectories) is looked up in that layout's table; the
  // sharing is followed once, never further.
  const ExifTag* FindTag(std::int32_t maker, std::int32_t section, std::int32_t directory, std::int32_t tag,
                         std::int32_t position) const;
  // Links every definition with a position above 0 to the position-0 definition of its tag in the
  // same table (ExifTag::positions). Definitions without one stay unlinked.
  void LinkPositions();
  static void LinkPositions(ExifMakernote& note);
  // The label of FindTag's definition, or the empty string.
  const std::string& TagName(std::int32_t maker, std::int32_t section, std::int32_t tag,
                             std::int32_t position) const;

  // Makernote sections a quick load (LoadDefinitionsWithStamp) kept as text: each layout's entry of
  // makernoteTable exists from the start but is filled by the first FindTag that asks for its maker,
  // once, also when several threads ask at the same time. Null after a full load.
  std::shared_ptr<DeferredMakernotes> deferred;

 private:
  void ReadDeferred(std::int32_t maker) const;
};

// Model text -> key of focalEquivTable.
std::string NormaliseModel(const std::string& model);

// Reads the definition file. On success returns the filled tables. On any failure the reporter has
// been told (caption, text and icon exactly as the user sees them) and the result is null: nothing
// read so far remains.
// A path that does not exist gives open error 53, one that is not a regular file (a folder, a FIFO,
// a device: never opened, so nothing can block) or cannot be read gives 75, permission denied 70.
std::unique_ptr<Definitions> LoadDefinitions(const std::filesystem::path& file, Reporter& reporter);

// The same, with the same tables, messages and results, but quicker for contents that loaded
// without fault before: a full load leaves a stamp in `stampFolder`, named by a hash and the length
// of the bytes; when the stamp for the present bytes is there, the makernote sections are left for
// their first use (see Definitions::deferred). An empty folder, or one that cannot be written, means
// a full load every time. Never throws.
std::unique_ptr<Definitions> LoadDefinitionsWithStamp(const std::filesystem::path& file,
                                                      const std::filesystem::path& stampFolder,
                                                      Reporter& reporter);

// The same over the contents of an already opened definition file (read as binary; "\n" and "\r\n"
// end a line, a leading UTF-8 byte-order mark is skipped). Failures as above, except the open error.
std::unique_ptr<Definitions> LoadDefinitions(std::istream& contents, Reporter& reporter);

}  // namespace kelmarin
