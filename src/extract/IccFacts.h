#pragma once
// What a viewer tells of an ICC profile: the header's fields and the description and copyright
// texts. Only the header, the tag table and those two tags are read, every offset checked against
// the profile's bytes, so that listing many files stays cheap. (Pictures are converted with lcms2,
// in the image layer.)

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kelmarin {

struct IccDate {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

struct IccFacts {
  std::string description;  // UTF-8; empty when the profile has none
  std::string copyright;    // UTF-8; empty when the profile has none
  // Four-character signatures of the header (ICC.1, 7.2), as stored.
  std::uint32_t deviceClass = 0;
  std::uint32_t colourSpace = 0;
  std::uint32_t pcs = 0;
  std::uint32_t creator = 0;
  std::uint32_t version = 0;    // encoded: major in the top byte, minor and bug fix in the nibbles below
  std::uint32_t intent = 0;     // 0 perceptual, 1 relative colorimetric, 2 saturation, 3 absolute
  std::optional<IccDate> date;  // absent when the header's date is all zeros; numbers as stored
  std::size_t size = 0;         // bytes of the embedded profile
};

// The facts of a profile; empty when the bytes are no profile (shorter than a header and the tag
// count, or without the header's signature "acsp"). A text tag of another type, or one that leads
// outside the bytes, leaves its text empty; longer texts are cut at 4096 bytes. Never throws except
// std::bad_alloc.
std::optional<IccFacts> ReadIccFacts(std::span<const std::uint8_t> profile);

// A signature as its four characters without the trailing spaces ("RGB ", "mntr" -> "RGB", "mntr");
// bytes outside printable ASCII become "?". An all-zero signature is empty.
std::string SignatureText(std::uint32_t signature);

}  // namespace kelmarin
