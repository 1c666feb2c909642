#pragma once
// Canon's custom functions, stored in two forms inside the makernote directory:
// - the earlier EOS bodies (D30 to 5D, tag 0x000F; the 1D series also in tag 0x0090): 16-bit
//   words, the first the block's length in bytes, then one word per function, its number in the
//   high byte and its setting in the low byte. What a number means depends on the body.
// - the later bodies (tag 0x0099): a 16-bit length and a 16-bit zero, a 32-bit group count, then
//   per group its number, its length (counted from the length field on) and its record count, and
//   per record a 32-bit function id, a value count and that many signed 32-bit values.
// Each function becomes a makernote item filed under a directory of its own (see below), so that
// its name and value names come from that directory's table in the definition file; the later
// form's functions that one body gives a meaning of its own go to that body's directory.

#include <cstdint>

#include "extract/ExifBlock.h"

namespace kelmarin {

// Directories of the function items: the later form's pointer tag, the 1D series' tag, and for the
// earlier form the tag 15 followed by the body.
inline constexpr std::int32_t kCanonFunctions2 = 0x0099;
inline constexpr std::int32_t kCanonFunctions1D = 0x0090;
inline constexpr std::int32_t kCanonFunctionsD30 = 15030;  // EOS D30 and D60
inline constexpr std::int32_t kCanonFunctions5D = 155;
inline constexpr std::int32_t kCanonFunctions10D = 1510;
inline constexpr std::int32_t kCanonFunctions20D = 1520;
inline constexpr std::int32_t kCanonFunctions30D = 1530;
inline constexpr std::int32_t kCanonFunctions350D = 15350;
inline constexpr std::int32_t kCanonFunctions400D = 15400;
// The later form's functions whose meaning is the body's own: 0x0099's number and the body.
inline constexpr std::int32_t kCanonFunctions450D = 153450;
inline constexpr std::int32_t kCanonFunctions1000D = 1531000;

// The directory of the earlier form for a model, 0 for a body whose functions are not known.
std::int32_t CanonFunctionsDirectory(std::string_view model);

// Adds the custom functions of the Canon makernote directory at index `directory` (entries after
// the state's count padding, values at offset + base) as makernote items. A block whose stored length
// disagrees with its byte count, a group or record that claims more bytes than its block holds, or
// a body without a table adds nothing more from that block; nothing is read outside the buffer,
// and nothing is added once the image's item budget is spent.
void ReadCanonCustomFunctions(ImageMetadata& image, const ExifBlockState& state, std::int64_t directory,
                              std::int64_t base);

}  // namespace kelmarin
