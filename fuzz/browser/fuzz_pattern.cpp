// The file-name pattern matcher over any pattern and any name: the input is the pattern, a zero
// byte, the name (without a zero byte, the whole input is both). Also the pattern list built from
// the input as the text of the name-pattern box.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "browser/core/PatternList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find('\0');
  const std::string_view pattern = input.substr(0, split);
  const std::string_view name = split == std::string_view::npos ? input : input.substr(split + 1);

  const kelmarin::CompiledPattern compiled(pattern);
  const bool matches = compiled.Matches(name);
  // The same answer however the name is given; "*" matches every name, and "*" around a pattern
  // matches whatever the pattern matches.
  if (matches != compiled.MatchesFolded(kelmarin::FoldName(name))) std::abort();
  if (!kelmarin::MatchesPattern(name, "*")) std::abort();
  if (matches && !kelmarin::MatchesPattern(name, std::string("*") + std::string(pattern) + "*")) std::abort();

  std::array<bool, kelmarin::kFormatBoxCount> boxes{};
  for (std::size_t i = 0; i < boxes.size() && i < size; ++i) boxes[i] = (data[i] & 1) != 0;
  const auto patterns = kelmarin::BuildPatternList(pattern.substr(0, 256), boxes);
  for (const kelmarin::FilePattern& each : patterns) {
    kelmarin::CompiledPattern(each.pattern).Matches(name.substr(0, 256));
  }
  return 0;
}
