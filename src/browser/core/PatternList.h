#pragma once
// File-name patterns of the file list: the list built from the name patterns and the format boxes,
// and the matching rules.
//
// Matching compares without regard to case. "*" matches any run of characters (also none), "?" any
// one character, "#" any one digit 0-9, "[list]" any one character of the list, "[!list]" any one
// character not in it; a list may hold ranges such as "a-f". Every other character matches itself.
// Names and patterns are UTF-8; a byte that is not part of valid UTF-8 counts as one character.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "browser/core/FormatTable.h"

namespace kelmarin {

struct FilePattern {
  std::string pattern;  // name pattern + "." + extension, e.g. "IMG*.JPG"
  std::int32_t typeCode = 0;

  friend bool operator==(const FilePattern&, const FilePattern&) = default;
};

// Splits namePatterns at every "," (an empty part stays an empty pattern) and, for each box in index
// order that takes part (checked and visible), for each name pattern, for each of the box's extensions,
// appends (trimmed name pattern + "." + extension, the box's type code). A name pattern that already
// ends in "." + an extension of a box that takes part ("*.jpg", any case) is kept whole instead: it
// is appended once, as typed, with the code of the first such box, and for no other box. Never fails.
std::vector<FilePattern> BuildPatternList(std::string_view namePatterns,
                                          const std::array<bool, kFormatBoxCount>& boxActive);

// One pattern prepared for matching many names.
class CompiledPattern {
 public:
  // Any text is a valid pattern. A "[" without its "]" matches itself; a range whose ends are in
  // descending order ("[z-a]") matches nothing; "[]" matches no character at all (it is skipped).
  explicit CompiledPattern(std::string_view pattern);

  bool Matches(std::string_view name) const;
  // The same, for a name already split into case-folded characters (see FoldName).
  bool MatchesFolded(const std::u32string& foldedName) const;

 private:
  enum class Kind : std::uint8_t { Literal, Star, AnyChar, Digit, Set, NotSet };
  struct Token {
    Kind kind;
    char32_t ch;             // Literal
    std::uint32_t setBegin;  // Set/NotSet: range index into ranges
    std::uint32_t setEnd;
  };
  std::vector<Token> tokens;
  std::vector<std::pair<char32_t, char32_t>> ranges;

  bool TokenMatches(const Token& token, char32_t c) const;
};

// The name as case-folded characters, the form MatchesFolded takes.
std::u32string FoldName(std::string_view utf8Name);

// True when the pattern matches the whole name.
bool MatchesPattern(std::string_view name, std::string_view pattern);

}  // namespace kelmarin
