#pragma once
// Canon's binary blocks inside the makernote directory whose layout depends on the body or on
// a version word:
// - the camera information (tag 0x000D, bytes): where each value lies differs from body to
//   body; the body is picked by the model id (tag 0x0010). Its values are filed under numbers
//   of our own that keep their meaning across the bodies, among them the nine picture styles'
//   settings (0x100 + 8 × style + setting) and the three user styles' bases (0x181 to 0x183).
//   A compact body's camera information (32-bit numbers) gives only its temperature, whose place
//   the list's length tells.
// - the colour data (tag 0x4001, 16-bit words): its length tells the form, the form's version
//   word the later values; the white-balance levels and colour temperatures of each light
//   (levels 0x100 + 2 × light, temperature the number after), the colour calibration table
//   (0x200 + row) and the black and white levels.
// - the autofocus records (tags 0x0012, 0x0026, 0x003C, 16-bit words): the number of AF points
//   gives the length of the arrays that follow it; the arrays and the fields after them are filed
//   under their place in the record's sequence.
// Every value lies inside its block or is left out; a body or form without a known layout gives
// nothing. The values become makernote items filed under the block's tag as their directory.

#include "extract/ExifBlock.h"

namespace kelmarin {

inline constexpr std::int32_t kCanonCameraInfo = 0x000D;
inline constexpr std::int32_t kCanonColorData = 0x4001;

// Files the values of the camera information, the colour data and the autofocus records among the
// makernote items read so far (section 3, directory 0); numbers of the camera information in the
// state's byte order.
void ReadCanonBlocks(ImageMetadata& image, const ExifBlockState& state);

}  // namespace kelmarin
