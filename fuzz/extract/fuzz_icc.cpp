// libFuzzer target: the joining of a JPEG's ICC profile from its APP2 segments, the profile resource
// of a PSD file, and the reading of the facts of whatever profile comes out. The fuzzer's bytes
// are records of a sequence number, a count, a big-endian 16-bit length and that many bytes, each
// one APP2 "ICC_PROFILE" segment; the whole input is also read as a profile and as a PSD file.

#include <cstdint>
#include <span>
#include <vector>

#include "ContainerFuzz.h"
#include "FuzzInput.h"
#include "extract/IccFacts.h"
#include "extract/IccProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kelmarin;
  const std::span<const std::uint8_t> bytes(data, size);
  std::vector<JpegMarker> markers;
  for (std::size_t at = 0; at + 4 <= bytes.size() && markers.size() < 300;) {
    const std::size_t length =
        std::min<std::size_t>((std::size_t{bytes[at + 2]} << 8) | bytes[at + 3], bytes.size() - at - 4);
    std::vector<std::uint8_t> payload = {'I', 'C', 'C', '_', 'P', 'R',       'O',
                                         'F', 'I', 'L', 'E', 0,   bytes[at], bytes[at + 1]};
    payload.insert(payload.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at + 4),
                   bytes.begin() + static_cast<std::ptrdiff_t>(at + 4 + length));
    markers.push_back({0xE2, fuzz::WithHeader(0xE2, {}, payload)});
    at += 4 + length;
  }
  const EmbeddedIcc joined = JoinIccSegments(markers);
  if (joined.damage != IccDamage::None && !joined.bytes.empty()) __builtin_trap();
  ReadIccFacts(joined.bytes);
  ReadIccFacts(bytes);
  const std::vector<std::uint8_t> psd = fuzz::Prefixed(std::string_view("8BPS\0\x01", 6), bytes);
  const std::span<const std::uint8_t> resource = PsdIccProfile(psd);
  if (!resource.empty() &&
      (resource.data() < psd.data() || resource.data() + resource.size() > psd.data() + psd.size()))
    __builtin_trap();
  return 0;
}
