#pragma once
// Nikon's binary blocks inside the makernote directory (layout nikon02): PictureControl (tag
// 0x0023, or 0x00BD in the Coolpix bodies, filed as 0x0023's), ColorBalance (0x0097), ShotInfo
// (0x0091), and the small ones: vibration reduction (0x001F), world time (0x0024), distortion
// control (0x002B), multiple exposure (0x00B0) and file numbers (0x00B8). Each block starts with four version characters; the version picks the layout of the
// values behind it, and some versions are enciphered with the key of the body's serial number
// (0x001D) and shutter count (0x00A7).
//
// The values are filed as makernote items of a sub-directory named by the block's tag: the
// version as tag 0, the other values under numbers of our own that keep
// their meaning across the versions (metadata.def names them). A value that lies beyond the
// block's bytes is left out; a version without a known layout, or an enciphered one without its
// key in the makernote, gives the version item alone; a block whose first four bytes are not
// digits (some Coolpix bodies' binary forms) gives nothing. Never reads outside the items' values.

#include <cstdint>
#include <span>
#include <string_view>

#include "extract/ExifBlock.h"

namespace kelmarin {

// One value of a block: a text of `count` bytes cut at the first NUL, trailing spaces dropped
// (width 0), or `count` numbers
// of `width` bytes (1, 2 or 4) in the makernote's byte order.
struct NikonBlockField {
  std::int32_t tag = 0;
  std::int32_t offset = 0;  // from the block's first byte
  std::int32_t width = 1;
  std::int32_t count = 1;
  bool versionText = false;  // a text kept only when it reads as a version number ("1.10B")
  bool isSigned = false;
};

// The layout of a block's versions: `versions` lists the version texts it serves, separated by
// ","; an entry shorter than four characters serves every version that starts with it ("03"),
// an empty list every version. A block without a version (WorldTime) has no version item.
struct NikonBlockLayout {
  std::int32_t blockTag = 0;
  std::string_view versions;
  std::int32_t decipherFrom = -1;  // first enciphered byte; -1: stored plain
  std::span<const NikonBlockField> fields;
  bool unversioned = false;
};

std::span<const NikonBlockLayout> NikonBlockLayouts();

// Files the values of every known block among the makernote items read so far (section 3,
// directory 0), numbers in the state's byte order (the makernote's); the model picks the serial
// key of the bodies that write no number (NikonSerialKey).
void ReadNikonBlocks(ImageMetadata& image, const ExifBlockState& state);

}  // namespace kelmarin
