#pragma once
// Why an image file could not be read, as a value, and the numbers the system shows for it
// ("Fehler 1003"). Errors travel as values (a codec code and the operation that failed) until they
// are shown or printed; only there is a number or a message text made of them, and never is a text
// read back.

#include <cstdint>
#include <exception>
#include <new>
#include <string>

#include "image/meta/CodecBasics.h"

namespace kelmarin {

// The number shown for a codec code: the code + 1000.
inline constexpr std::int32_t kErrorNumberBase = 1000;
inline constexpr std::int32_t ErrorNumber(codec::Code code) {
  return kErrorNumberBase + code;
}
// A failure that has no codec code: an unexpected exception, the memory for a scaled copy.
inline constexpr std::int32_t kUnexpectedNumber = kErrorNumberBase;
// The memory for a file's data could not be had (codec code 4).
inline constexpr std::int32_t kNoMemoryNumber = 1004;
static_assert(kNoMemoryNumber == ErrorNumber(codec::kNoMemory));

// What the work returns, or the number of what it threw: no memory, or anything else unexpected.
template <typename Work>
auto Guarded(const Work& work) -> decltype(work()) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    return kNoMemoryNumber;
  } catch (const std::exception&) {
    return kUnexpectedNumber;
  }
}

// An error raised by GetImageDims, ReadImage or ResizeImage.
struct ImageError {
  // The codec layer's code; kOk for a failure that has no code of its own (kUnexpectedNumber).
  codec::Code code = codec::kOk;
  std::string source;       // the operation: "GetImageDims", "ReadImage", "ResizeImage"
  std::string description;  // what failed in it: "IS_OpenFileSource", "IS_ReadXXX", "GlobalAlloc", ...

  std::int32_t number() const { return ErrorNumber(code); }
};

}  // namespace kelmarin
