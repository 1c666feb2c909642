#pragma once
// Pictures shown as their files mean them: decoded pixels with an embedded ICC profile converted to
// sRGB with lcms2 (relative colorimetric, black point compensation), the screen's assumed space.
// Transforms are built once per profile and kept for the next picture with the same one.

#include <cstdint>
#include <span>

#include "extract/MetadataSource.h"
#include "image/RgbImage.h"

namespace kelmarin {

// Converts the picture's pixels in place from `profile` to sRGB. Returns false and leaves them as
// they are when the profile is empty, not an RGB profile lcms2 can read, or no transform can be
// built from it. The picture must not have been handed on yet (its pixels are written). Safe to
// call from several threads at once.
bool ConvertToSrgb(const RgbImage& picture, std::span<const std::uint8_t> profile);

// Whether the decoded pixels of an image type are still in the file's colour space, so that its
// profile applies: not so for camera RAW files, whose decoder already gives sRGB.
bool ProfileAppliesToPixels(std::int32_t imagetype);

// The source's embedded profile applied to a picture of that type, as the image object does after
// decoding. False when nothing was converted.
bool ApplyEmbeddedProfile(const RgbImage& picture, std::int32_t imagetype, const MetadataSource& source);

}  // namespace kelmarin
