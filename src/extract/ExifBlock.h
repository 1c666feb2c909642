#pragma once
// Reading one EXIF block (the bytes of one APP1 marker): the directory walker and the makernote
// layouts. Everything here works on 1-based buffer positions (ByteReader.h): the TIFF header of an
// ordinary block sits at position 11, and value position = offset + base.
//
// Nothing here throws on bad bytes or reports anything: missing bytes read as 0, an invalid entry
// type ends its directory, and the limits below end a walk that would otherwise loop or grow
// without bound.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "extract/ByteReader.h"
#include "extract/ImageMetadata.h"

namespace kelmarin {

// Position of the TIFF header in an APP1 buffer: 0xFF, code, two length bytes and "Exif\0\0" come first.
inline constexpr BufferPos kTiffHeaderPos = 11;

// Limits against hostile blocks.
// Directories nested through sub-directory pointers and next links. Real files nest four deep
// (IFD0 -> Exif -> interoperability, IFD0 -> IFD1).
inline constexpr int kMaxDirectoryDepth = 16;
// Directories walked in one block, makernote included. Real blocks have fewer than ten.
inline constexpr int kMaxDirectoriesPerBlock = 64;
// Memory the EXIF items of one image may take (ImageMetadata::ExifStoredBytes); once passed, the
// reading of EXIF blocks stops. Real images stay below 1 MiB.
inline constexpr std::size_t kMaxExifBytesPerImage = std::size_t{16} << 20;
// Entries per directory need no limit of their own: the count is 16 bits, and an entry that lies
// past the end of the buffer reads as type 0, which ends the directory.

// TIFF 6.0 tags with a role in the walk.
inline constexpr std::int32_t kTagMake = 0x010F;
inline constexpr std::int32_t kTagModel = 0x0110;
inline constexpr std::int32_t kTagCopyright = 0x8298;  // all count bytes kept (several NUL-separated texts)
inline constexpr std::int32_t kTagExifIfd = 0x8769;
inline constexpr std::int32_t kTagGpsIfd = 0x8825;
inline constexpr std::int32_t kTagMakerNote = 0x927C;
inline constexpr std::int32_t kTagInteropIfd = 0xA005;

// What the walk of one block remembers: the buffer with its byte order, the camera make and model
// (the last ones met), and the makernote's value position (0 = none yet).
struct ExifBlockState {
  explicit ExifBlockState(std::span<const std::uint8_t> block, ByteOrder order = ByteOrder::LittleEndian)
      : reader(block, order) {}

  ByteReader reader;
  // Position of the TIFF header: 11 in an APP1 marker, 1 in a block that starts with it.
  BufferPos header = kTiffHeaderPos;
  std::string make;
  std::string model;
  BufferPos makernote = 0;

  // Loop and growth guard.
  std::vector<BufferPos> walking;  // directories being walked, outermost first
  int directoriesWalked = 0;
  bool exhausted = false;  // the item budget is used up: nothing more is added from this block
};

// Decodes the directory whose entry count is at position into items of section (1..4), with value
// position = offset + base, following the Exif, interoperability and GPS pointers and the next link
// (always walked as section 2). A position outside the buffer is a directory of 0 entries; a
// directory already being walked, or one past the depth or per-block limit, is not walked again.
void WalkDirectory(ImageMetadata& image, ExifBlockState& state, std::int32_t section, BufferPos position,
                   BufferPos base);

// One row of the makernote table: the first make word that occurs in the make picks its group,
// then the first row of that group whose condition holds gives maker number, directory and base.
enum class MakerCondition : std::uint8_t {
  Always,
  FoundFromMakernote,         // text occurs (any case) at or after the makernote position
  StartsAtMakernote,          // the bytes at the makernote position are text (any case)
  StartsAtMakernoteAndModel,  // as above, and the model contains one of the model texts (exact case)
};
enum class MakerDirectory : std::uint8_t {
  AtOffset,          // makernote position + directoryOffset
  LittleEndianLink,  // makernote position + ReadU32 (little-endian) at makernote position + 8
};
enum class MakerBase : std::uint8_t { TiffHeader, Makernote };  // 11, or makernote position + baseOffset

struct MakerRow {
  std::string_view makeWord;
  MakerCondition condition = MakerCondition::Always;
  std::string_view text;
  std::span<const std::string_view> models;  // StartsAtMakernoteAndModel only
  std::int32_t maker = 0;
  MakerDirectory directory = MakerDirectory::AtOffset;
  std::int32_t directoryOffset = 0;
  MakerBase base = MakerBase::TiffHeader;
  std::int32_t baseOffset = 0;
  bool littleEndian = false;  // the rest of the block reads little-endian
};

std::span<const MakerRow> MakerTable();

// Where a recognised makernote is walked.
struct MakernoteLayout {
  std::int32_t maker = 0;  // 0 = not recognised
  BufferPos directory = 0;
  BufferPos base = 0;
};

// Picks the layout for the state's make, model and makernote position. May switch the state's byte
// order to little-endian (the rows that say so).
MakernoteLayout DetectMakernote(ExifBlockState& state);

// Sets camera_id from DetectMakernote and, when it is not 0, walks the makernote as section 3.
// Called only when the state has a makernote position.
void ReadMakernote(ImageMetadata& image, ExifBlockState& state);

}  // namespace kelmarin
