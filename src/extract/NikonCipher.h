#pragma once
// Nikon's enciphered makernote blocks (LensData from version 0201 on, ShotInfo, ColorBalance): the
// bytes after the block's four version characters are XORed with a running key stream that starts
// from the body's serial number (makernote tag 0x001D) and its shutter count (tag 0x00A7). The same
// transformation enciphers and deciphers.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace kelmarin {

// The two numbers the key stream starts from.
struct NikonKey {
  std::uint32_t serial = 0;        // the serial number as a number (see NikonSerialKey)
  std::uint32_t shutterCount = 0;  // the shutter count as stored (only the XOR of its bytes counts)
};

// The serial number's key: the decimal number of tag 0x001D's text; a text that is not a decimal
// number (some bodies write letters) gives the fixed key these bodies use, 0x60 (0x22 for the D50).
std::uint32_t NikonSerialKey(std::string_view serialText, std::string_view model);

// The block with every byte from `start` on deciphered (or enciphered: the stream is symmetric);
// the bytes before `start` are copied unchanged. A start beyond the end returns the block as it is.
std::vector<std::uint8_t> NikonDecipher(std::span<const std::uint8_t> block, const NikonKey& key,
                                        std::size_t start = 4);

}  // namespace kelmarin
