#pragma once
// LibRaw's result codes as the codec layer counts them: for the RAW codec module and for the
// lister's RAW probe, which loads LibRaw on its own. Needs LibRaw's header.

#include <libraw/libraw.h>

#include "image/meta/CodecBasics.h"

namespace kelmarin::codec {

// Success is kOk; an errno value (positive) from opening the file is kCannotOpen; running out of
// memory or a picture too large is kNoMemory; anything else is kCorrupt.
inline Code FromLibRaw(int result) {
  if (result == LIBRAW_SUCCESS) return kOk;
  if (result > 0) return kCannotOpen;
  if (result == LIBRAW_UNSUFFICIENT_MEMORY || result == LIBRAW_TOO_BIG || result == LIBRAW_MEMPOOL_OVERFLOW) {
    return kNoMemory;
  }
  return kCorrupt;
}

}  // namespace kelmarin::codec
