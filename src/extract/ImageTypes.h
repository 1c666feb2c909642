#pragma once
// The image type codes of the file list and the image object.

#include <cstdint>

namespace kelmarin {

// Image type codes: 0 to 12 as the file list has always had them, then today's formats.
enum ImageType : std::int32_t {
  kTypeUnknown = 0,
  kTypeBmp = 1,
  kTypeMetafile = 2,
  kTypeGif = 3,
  kTypeJpeg = 4,
  kTypeJpeg2000 = 5,
  kTypePcd = 6,
  kTypePcx = 7,
  kTypePng = 8,
  kTypePsd = 9,
  kTypeRaw = 10,
  kTypeTga = 11,
  kTypeTiff = 12,
  // Today's formats take the codes after the classic twelve, each in its row of the format
  // registry (image/meta/Formats.cpp); camera RAW files of every kind keep kTypeRaw.
};

}  // namespace kelmarin
