#include "extract/TextMakernotes.h"

#include <string>
#include <string_view>

#include "metadata/Definitions.h"

namespace kelmarin {

namespace {

constexpr std::size_t kMaxKeyLetters = 4;
constexpr std::size_t kValueLetters = 4;

bool IsCapital(char c) {
  return c >= 'A' && c <= 'Z';
}

// The letters of a key starting at `at` (0 when none starts there): capitals followed by ":".
std::size_t KeyLength(std::string_view text, std::size_t at) {
  std::size_t letters = 0;
  while (at + letters < text.size() && letters <= kMaxKeyLetters && IsCapital(text[at + letters])) ++letters;
  if (letters == 0 || letters > kMaxKeyLetters || at + letters >= text.size() || text[at + letters] != ':')
    return 0;
  return letters;
}

}  // namespace

void ReadJvcText(ImageMetadata& image, const ExifBlockState& state) {
  const std::string_view text = CutAtNul(state.TextAt(*state.makernote, state.makernoteSize));
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t letters = KeyLength(text, at);
    if (letters == 0) {
      // A key begins no run of capitals in its middle.
      do ++at;
      while (at < text.size() && IsCapital(text[at - 1]) && IsCapital(text[at]));
      continue;
    }
    std::int32_t tag = 0;
    for (std::size_t i = 0; i < letters; ++i) tag = (tag << 8) | text[at + i];
    const std::size_t valueAt = at + letters + 1;
    std::size_t length = std::min(kValueLetters, text.size() - valueAt);
    if (length == kValueLetters && KeyLength(text, valueAt + length - 1) != 0) --length;
    std::string_view value = text.substr(valueAt, length);
    while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
    if (!value.empty()) image.ExifAdd(kSectionMakernote, tag, kTypTexts, {std::string(value)});
    at = valueAt + length;
  }
}

}  // namespace kelmarin
