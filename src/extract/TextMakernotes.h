#pragma once
// Makernotes that hold text instead of a directory.

#include "extract/ExifBlock.h"

namespace kelmarin {

// JVC's and Victor's text form, "VER:0100QTY:FINE" padded with spaces: a key of capital letters
// (up to four) and ":", then a value of up to four characters (three when the fourth begins the
// next key), trailing spaces dropped (a key without value adds nothing). Each key is filed as the number of its ASCII codes ("VER"
// 0x564552) with its value as text, within the makernote's bytes and up to their first NUL.
// Characters that begin no key are passed over.
void ReadJvcText(ImageMetadata& image, const ExifBlockState& state);

}  // namespace kelmarin
