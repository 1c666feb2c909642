#pragma once
// Apple's run time (makernote tag 0x0003): a binary property list ("bplist00") holding one
// dictionary of whole numbers: "flags", "value", "epoch" and "timescale", the clock of the device
// since its start when the picture was taken (value / timescale seconds). They are filed as
// makernote items of the sub-directory 0x0003 under 1 to 4 in that order. Only this one
// dictionary of whole numbers is read: every offset, count and reference is checked against the
// list's bytes, and a list of any other shape gives nothing.

#include "extract/ExifBlock.h"

namespace kelmarin {

// Files the run time among the makernote items read so far (section 3, directory 0).
void ReadAppleRunTime(ImageMetadata& image, const ExifBlockState& state);

}  // namespace kelmarin
