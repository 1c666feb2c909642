#pragma once
// Reading one EXIF block (the bytes of one APP1 marker): the directory walker and the makernote
// layouts. Places in the block are 0-based indexes (std::int64_t, so that an offset of up to
// 2^32 - 1 plus a base never overflows and a place outside the block simply reads as missing): the
// TIFF header of an ordinary block sits at index 10, and value index = offset + base. Only the
// "Offset:" texts show a place, counted from 1 at the marker's first byte.
//
// Nothing here throws on bad bytes or reports anything: missing bytes read as 0, an entry of an
// invalid type is passed over, and the limits below end a walk that would otherwise loop or grow
// without bound.

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "extract/ByteCursor.h"
#include "extract/ImageMetadata.h"

namespace kelmarin {

// Index of the TIFF header in an APP1 buffer: 0xFF, code, two length bytes and "Exif\0\0" come first.
inline constexpr std::int64_t kApp1TiffHeader = 10;

// Limits against hostile blocks.
// Directories nested through sub-directory pointers and next links. Real files nest four deep
// (IFD0 -> Exif -> interoperability, IFD0 -> IFD1).
inline constexpr int kMaxDirectoryDepth = 16;
// Directories walked in one block, makernote included. Real blocks have fewer than ten.
inline constexpr int kMaxDirectoriesPerBlock = 64;
// Memory the EXIF items of one image may take (ImageMetadata::ExifStoredBytes); once passed, the
// reading of EXIF blocks stops. Real images stay below 1 MiB.
inline constexpr std::size_t kMaxExifBytesPerImage = std::size_t{16} << 20;
// Entries per directory need no limit of their own: the count is 16 bits, and the first entry that
// lies past the end of the buffer ends the directory.

// TIFF 6.0 field types (section 2, "Types"), as the type word of a directory entry holds them.
enum FieldType : std::int32_t {
  kByte = 1,
  kAscii,
  kShort,
  kLong,
  kRational,
  kSByte,
  kUndefined,
  kSShort,
  kSLong,
  kSRational,
  kFloat,
  kDouble,
  kIfd,  // TIFF Technical Note 1: a LONG that is the offset of a sub-directory
};
// Bytes per value of the types kByte to kDouble (index 0 unused).
inline constexpr std::array<std::int64_t, 13> kFieldTypeSize = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};

// TIFF 6.0 and TIFF/EP tags with a role in reading a block.
inline constexpr std::int32_t kTagMake = 0x010F;
inline constexpr std::int32_t kTagModel = 0x0110;
inline constexpr std::int32_t kTagOrientation = 0x0112;
inline constexpr std::int32_t kTagCopyright = 0x8298;  // all count bytes kept (several NUL-separated texts)
inline constexpr std::int32_t kTagIptc = 0x83BB;       // TIFF/EP, IPTC/NAA datasets
inline constexpr std::int32_t kTagExifIfd = 0x8769;
inline constexpr std::int32_t kTagGpsIfd = 0x8825;
inline constexpr std::int32_t kTagMakerNote = 0x927C;
inline constexpr std::int32_t kTagInteropIfd = 0xA005;

// What the walk of one block remembers: the block's bytes in the byte order being read, the
// camera make and model (the last ones met), and the makernote's index and byte count.
struct ExifBlockState {
  explicit ExifBlockState(std::span<const std::uint8_t> block, ByteOrder order = ByteOrder::LittleEndian)
      : bytes(block, order == ByteOrder::BigEndian) {}

  // The block's bytes from index `at` to its end in the state's byte order; empty when `at` lies
  // outside, so that every read from it runs out.
  ByteCursor From(std::int64_t at) const {
    const auto size = static_cast<std::int64_t>(bytes.Bytes().size());
    if (at < 0 || at > size) return ByteCursor({}, bytes.BigEndian());
    return ByteCursor(bytes.Bytes().subspan(static_cast<std::size_t>(at)), bytes.BigEndian());
  }
  // The part of the `count` bytes from `at` that lies inside the block, as text.
  std::string_view TextAt(std::int64_t at, std::int64_t count) const {
    return From(at).TextAt(0, static_cast<std::size_t>(std::max<std::int64_t>(count, 0)));
  }

  ByteCursor bytes;  // the whole block; only its byte order changes
  // Index of the TIFF header: 10 in an APP1 marker, 0 in a block that starts with it.
  std::int64_t header = kApp1TiffHeader;
  std::string make;
  std::string model;
  std::optional<std::int64_t> makernote;
  std::int64_t makernoteSize = 0;  // byte count of the makernote entry

  // While a makernote is walked: the tags that lead to its sub-directories, and the sub-directory
  // being walked (its pointer tag; 0 in the makernote directory itself).
  std::span<const std::int32_t> subdirectories;
  std::int32_t directory = 0;
  // Bytes between a makernote directory's entry count and its first entry (2 in Kodak's makernote).
  std::int64_t countPadding = 0;
  // ASCII tags of the makernote directory whose parts, separated by NULs, make one value (Casio's
  // firmware date "0504\0\01116\0\023"): all count bytes kept, not cut at the first NUL.
  std::span<const std::int32_t> wholeTexts;
  // A camera's raw directory 0 (Panasonic's RW2): its TIFF magic number, filed as the directory of
  // the items of directory 0 itself, whose tags are the raw format's own; 0 for any other.
  std::int32_t rawMain = 0;

  // The values stored outside their entries are listed as "Offset:" texts, not read, and no
  // sub-directory is followed: a makernote whose base could not be found.
  bool rawOffsets = false;

  // Loop and growth guard.
  std::vector<std::int64_t> walking;  // directories being walked, outermost first
  int directoriesWalked = 0;
  bool exhausted = false;  // the item budget is used up: nothing more is added from this block
};

// Decodes the directory whose entry count is at index `at` into items of section (1..4), with value
// index = offset + base, following the Exif, interoperability and GPS pointers and the next link
// (always walked as section 2). A pointer is followed only when it holds one SHORT, LONG or IFD
// value. An index outside the buffer is a directory of 0 entries; a
// directory already being walked, or one past the depth or per-block limit, is not walked again.
void WalkDirectory(ImageMetadata& image, ExifBlockState& state, std::int32_t section, std::int64_t at,
                   std::int64_t base);

// A value a directory stores outside its entry: its offset (from the base, not yet added) and its
// byte count (count × unit size; it may be far larger than any buffer).
struct StoredValue {
  std::int64_t offset = 0;
  std::int64_t size = 0;
};
// The values of the directory at index `at` that lie outside their entries, in entry order, with the
// state's count padding; entries of undefined types and of count 0 have none. Never reads outside
// the buffer.
std::vector<StoredValue> ValuesOutsideEntries(const ExifBlockState& state, std::int64_t at);

// One row of the makernote table: the first make word that occurs in the make picks its group,
// then the first row of that group whose condition holds gives maker number, directory, base and
// byte order.
enum class MakerCondition : std::uint8_t {
  Always,
  FoundFromMakernote,         // text occurs (any case) at or after the makernote position
  StartsAtMakernote,          // the bytes at the makernote position are text (any case)
  StartsAtMakernoteAndModel,  // as above, and the model contains one of the model texts (exact case)
  PlausibleDirectory,         // a directory at the row's position is plausible in either byte order
};
enum class MakerDirectory : std::uint8_t {
  AtOffset,          // makernote position + directoryOffset
  LittleEndianLink,  // makernote position + the little-endian LONG at makernote position + 8
};
enum class MakerBase : std::uint8_t {
  TiffHeader,   // the TIFF header
  Makernote,    // makernote position + baseOffset
  CanonFooter,  // the TIFF header, moved by as much as the makernote moved since its footer was written
};
enum class MakerOrder : std::uint8_t {
  Block,             // the block's; the opposite one when only that gives a plausible directory
  LittleEndianRest,  // little-endian for the rest of the block
  BigEndianRest,     // big-endian for the rest of the block
  OwnHeader,         // "II" or "MM" at makernote position + orderOffset (else the block's)
};

// A value at a fixed place of a makernote that has no directory, filed under `tag`: a text of
// `count` bytes (cut at the first NUL; width 0) or `count` numbers of `width` bytes (1, 2 or 4) in
// the block's byte order.
struct MakerField {
  std::int32_t tag = 0;
  std::int32_t offset = 0;  // from the makernote position
  std::int32_t width = 4;
  std::int32_t count = 1;
  bool isSigned = false;
  bool utf16 = false;  // a text of little-endian UTF-16 units (characters outside ASCII become '?')
};

struct ExifBlockState;
// Reads a makernote's values into section 3 from the state (its bytes in the makernote's byte
// order, makernote index and size, make and model).
using MakernoteRead = void (*)(ImageMetadata& image, const ExifBlockState& state);

struct MakerRow {
  std::string_view makeWord = {};
  MakerCondition condition = MakerCondition::Always;
  std::string_view text = {};
  std::span<const std::string_view> models = {};  // StartsAtMakernoteAndModel only
  std::int32_t maker = 0;
  MakerDirectory directory = MakerDirectory::AtOffset;
  std::int32_t directoryOffset = 0;
  MakerBase base = MakerBase::TiffHeader;
  std::int32_t baseOffset = 0;
  MakerOrder order = MakerOrder::Block;
  std::int32_t orderOffset = 0;
  // Tags of the makernote directory that point to sub-directories (an offset from the base, or the
  // sub-directory's own bytes); their items are filed with the pointer tag as their directory.
  std::span<const std::int32_t> subdirectories = {};
  // The fixed values of a makernote without a directory (then no directory is walked).
  std::span<const MakerField> fields = {};
  std::int32_t countPadding = 0;  // bytes after the makernote directory's entry count
  std::span<const std::int32_t> wholeTexts = {};  // ExifBlockState::wholeTexts
  // Olympus: the camera type (tag 0x0207) tells bodies that count their quality codes from 0.
  bool olympusCameraType = false;
  // A makernote of text pairs "Rv0207;Rg76;..." (Ricoh's DC and RDC bodies): each pair's leading
  // letters (up to 4) are its tag, as the number of their ASCII codes ("Rv" 0x5276), the rest its
  // text; then no directory is walked.
  bool textPairs = false;
  // A makernote of a form of its own, read by this function instead of a directory walk.
  MakernoteRead read = nullptr;
  // Blocks of the walked directory read once the walk has ended (Nikon's enciphered blocks need
  // the serial number and shutter count that follow them).
  MakernoteRead afterWalk = nullptr;
};

std::span<const MakerRow> MakerTable();

// Where a recognised makernote is walked.
struct MakernoteLayout {
  std::int32_t maker = 0;  // 0 = not recognised
  std::int64_t directory = 0;
  std::int64_t base = 0;
  // Offsets count from the TIFF header of the block, so an editor that moved the makernote without
  // rewriting them has moved its base (MakerBase TiffHeader and CanonFooter).
  bool baseMovesWithEdits = false;
  std::span<const std::int32_t> subdirectories;
  std::span<const MakerField> fields;
  std::int32_t countPadding = 0;
  std::span<const std::int32_t> wholeTexts;
  bool olympusCameraType = false;
  bool textPairs = false;
  MakernoteRead read = nullptr;
  MakernoteRead afterWalk = nullptr;
};

// Picks the layout for the state's make, model and makernote position. Sets the state's byte order
// to the makernote's: little-endian for the rows that say so, the order of a TIFF header of the
// makernote's own, or the opposite of the block's when only that makes the directory plausible.
MakernoteLayout DetectMakernote(ExifBlockState& state);

// The base at which every value the makernote directory stores outside its entries lies inside the
// buffer, outside the directory and apart from the others: the layout's base when it fits, else the
// TIFF header, else the base that puts the lowest value right after the directory (with or
// without a next link), the place an editor that moved the makernote left it. None: no base fits.
std::optional<std::int64_t> PlaceMakernote(const ExifBlockState& state, const MakernoteLayout& layout);

// Adds a makernote item (section 3) filed under `directory` (0: the makernote directory itself).
void AddMakernoteItem(ImageMetadata& image, std::int32_t directory, std::int32_t tag, std::int32_t typ,
                      ExifValues values);
// Adds the value at a fixed place `at` of `bytes` as such an item: a text of `count` bytes cut at
// its first NUL (width 0), or `count` numbers of `width` bytes (1, 2 or 4) in the cursor's byte
// order. Nothing is added when any of its bytes lies outside.
void AddField(ImageMetadata& image, std::int32_t directory, std::int32_t tag, const ByteCursor& bytes,
              std::size_t at, std::int32_t width, std::int32_t count, bool isSigned = false);

// The makernote-section item (tag kTagMakernoteNotPlaced) that says a moved makernote could not be
// placed; its values are then listed as "Offset:" texts.
inline constexpr std::int32_t kTagMakernoteNotPlaced = 0x10000;

// Sets camera_id from DetectMakernote and, when it is not 0, walks the makernote as section 3 (or
// reads its fixed values). A makernote whose values no base places is walked with raw offsets
// after the kTagMakernoteNotPlaced item.
// Called only when the state has a makernote position.
void ReadMakernote(ImageMetadata& image, ExifBlockState& state);

}  // namespace kelmarin
