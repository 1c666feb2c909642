#pragma once
// Nikon's binary blocks inside the makernote directory (layout nikon02): PictureControl (tag
// 0x0023, or 0x00BD in the Coolpix bodies, filed as 0x0023's), ColorBalance (0x0097), ShotInfo
// (0x0091), LensData (0x0098), FlashInfo (0x00A8), AFInfo2 (0x00B7), and the small ones:
// vibration reduction (0x001F), world time (0x0024), distortion control (0x002B), multiple
// exposure (0x00B0), file numbers (0x00B8), retouch data (0x00BB) and an unnamed block (0x002C).
// Each of them starts with four version characters; the version (and for some ShotInfo forms
// the model) picks the layout of the values behind it, and some versions are enciphered with the
// key of the body's serial number (0x001D) and shutter count (0x00A7). The world time, ISO data
// (0x0025), AF data (0x0088), AF fine tuning (0x00B9), face detection (0x0021) and the
// P6000's ShotInfo have no version: their values start at the block's first byte.
//
// The values are filed as makernote items of a sub-directory named by the block's tag: the
// version as tag 0, the other values under their offset in the block or, where the versions
// place them differently, under numbers of our own that keep their meaning across the versions
// (metadata.def names them). A value that lies beyond the block's bytes is left out; a version
// without a known layout, or an enciphered one without its key in the makernote, gives the
// version item alone; a versioned block whose first four bytes are not digits (some Coolpix
// bodies' binary forms) gives nothing. Never reads outside the items' values.

#include "extract/ExifBlock.h"

namespace kelmarin {

// Files the values of every known block among the makernote items read so far (section 3,
// directory 0), numbers in the state's byte order (the makernote's); the model picks the serial
// key of the bodies that write no number (NikonSerialKey).
void ReadNikonBlocks(ImageMetadata& image, const ExifBlockState& state);

}  // namespace kelmarin
