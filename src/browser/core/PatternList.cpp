#include "browser/core/PatternList.h"

#include "browser/core/FormatTable.h"
#include "metadata/Text.h"

namespace kelmarin {

namespace {

std::string_view Trim(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

// Simple lower-case mapping for the scripts file names in Europe use: ASCII, Latin-1, Latin
// Extended-A, Greek and Cyrillic. Other characters compare as they are.
char32_t FoldChar(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
  if (c >= 0x100 && c <= 0x17F) {
    // Pairs upper/lower, even/odd, except the block 0x139-0x148 and 0x179-0x17E which are odd/even.
    const bool oddFirst = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    if (oddFirst) return (c % 2 == 1) ? c + 1 : c;
    return (c % 2 == 0) ? c + 1 : c;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
  if (c >= 0x410 && c <= 0x42F) return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  return c;
}

// Decodes one character at text[i] and advances i. A byte that does not start a well-formed sequence
// becomes U+DC00 + byte, a value no decoded character can have.
char32_t DecodeAt(std::string_view text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char b0 = byte(i);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int length = 0;
  char32_t c = 0;
  char32_t minimum = 0;
  if ((b0 & 0xE0) == 0xC0) {
    length = 2, c = b0 & 0x1F, minimum = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    length = 3, c = b0 & 0x0F, minimum = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    length = 4, c = b0 & 0x07, minimum = 0x10000;
  }
  if (length == 0 || i + static_cast<std::size_t>(length) > text.size()) {
    ++i;
    return 0xDC00 + b0;
  }
  for (int k = 1; k < length; ++k) {
    const unsigned char bk = byte(i + static_cast<std::size_t>(k));
    if ((bk & 0xC0) != 0x80) {
      ++i;
      return 0xDC00 + b0;
    }
    c = (c << 6) | (bk & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++i;
    return 0xDC00 + b0;
  }
  i += static_cast<std::size_t>(length);
  return c;
}

// The first box taking part whose extensions hold the pattern's ending after its last dot; -1 when
// the pattern ends in no such extension and gets the box extensions appended.
int BoxOfTypedExtension(std::string_view pattern, const std::array<bool, kFormatBoxCount>& boxActive) {
  if (pattern.find('.') == std::string_view::npos) return -1;
  const std::string_view extension = FileExtension(pattern);
  for (std::size_t box = 0; box < kFormatBoxes.size(); ++box) {
    if (boxActive[box] && BoxHasExtension(kFormatBoxes[box], extension)) return static_cast<int>(box);
  }
  return -1;
}

}  // namespace

std::vector<FilePattern> BuildPatternList(std::string_view namePatterns,
                                          const std::array<bool, kFormatBoxCount>& boxActive) {
  std::vector<std::string_view> names = SplitAt(namePatterns, ',');
  for (std::string_view& name : names) name = Trim(name);
  std::vector<int> typedBox(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) typedBox[i] = BoxOfTypedExtension(names[i], boxActive);
  std::vector<FilePattern> patterns;
  for (std::size_t box = 0; box < kFormatBoxes.size(); ++box) {
    if (!boxActive[box]) continue;
    const std::vector<std::string_view> extensions = SplitAt(kFormatBoxes[box].extensions, ',');
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (typedBox[i] == static_cast<int>(box)) {
        patterns.push_back({std::string(names[i]), kFormatBoxes[box].typeCode});
        continue;
      }
      if (typedBox[i] >= 0) continue;
      for (std::string_view extension : extensions) {
        std::string pattern;
        pattern.reserve(names[i].size() + 1 + extension.size());
        pattern.append(names[i]).append(".").append(extension);
        patterns.push_back({std::move(pattern), kFormatBoxes[box].typeCode});
      }
    }
  }
  return patterns;
}

std::u32string FoldName(std::string_view utf8Name) {
  std::u32string folded;
  folded.reserve(utf8Name.size());
  for (std::size_t i = 0; i < utf8Name.size();) folded.push_back(FoldChar(DecodeAt(utf8Name, i)));
  return folded;
}

CompiledPattern::CompiledPattern(std::string_view pattern) {
  const std::u32string p = FoldName(pattern);
  for (std::size_t i = 0; i < p.size(); ++i) {
    const char32_t c = p[i];
    if (c == U'*') {
      if (tokens.empty() || tokens.back().kind != Kind::Star) tokens.push_back({Kind::Star, 0, 0, 0});
    } else if (c == U'?') {
      tokens.push_back({Kind::AnyChar, 0, 0, 0});
    } else if (c == U'#') {
      tokens.push_back({Kind::Digit, 0, 0, 0});
    } else if (c == U'[' && p.find(U']', i + 1) != std::u32string::npos) {
      const std::size_t close = p.find(U']', i + 1);
      std::size_t k = i + 1;
      const bool negated = k < close && p[k] == U'!';
      if (negated) ++k;
      const auto begin = static_cast<std::uint32_t>(ranges.size());
      for (; k < close; ++k) {
        // "-" between two characters makes a range; at either end of the list it is itself.
        if (k + 2 < close && p[k + 1] == U'-') {
          if (p[k] <= p[k + 2]) ranges.emplace_back(p[k], p[k + 2]);
          k += 2;
        } else {
          ranges.emplace_back(p[k], p[k]);
        }
      }
      if (close != i + 1) {  // "[]" stands for no character at all
        tokens.push_back(
            {negated ? Kind::NotSet : Kind::Set, 0, begin, static_cast<std::uint32_t>(ranges.size())});
      }
      i = close;
    } else {
      tokens.push_back({Kind::Literal, c, 0, 0});
    }
  }
}

bool CompiledPattern::TokenMatches(const Token& token, char32_t c) const {
  switch (token.kind) {
    case Kind::Literal:
      return token.ch == c;
    case Kind::AnyChar:
      return true;
    case Kind::Digit:
      return c >= U'0' && c <= U'9';
    case Kind::Set:
    case Kind::NotSet: {
      bool inSet = false;
      for (std::uint32_t r = token.setBegin; r < token.setEnd && !inSet; ++r) {
        inSet = ranges[r].first <= c && c <= ranges[r].second;
      }
      return inSet == (token.kind == Kind::Set);
    }
    case Kind::Star:
      break;
  }
  return false;
}

bool CompiledPattern::MatchesFolded(const std::u32string& name) const {
  // Every token but "*" takes exactly one character, so one remembered "*" suffices: on a mismatch the
  // last "*" takes one more character. At most name length x pattern length steps.
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starP = kNone;
  std::size_t starN = 0;
  while (n < name.size()) {
    if (p < tokens.size() && tokens[p].kind == Kind::Star) {
      starP = ++p;
      starN = n;
    } else if (p < tokens.size() && TokenMatches(tokens[p], name[n])) {
      ++p;
      ++n;
    } else if (starP != kNone) {
      p = starP;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < tokens.size() && tokens[p].kind == Kind::Star) ++p;
  return p == tokens.size();
}

bool CompiledPattern::Matches(std::string_view name) const {
  return MatchesFolded(FoldName(name));
}

bool MatchesPattern(std::string_view name, std::string_view pattern) {
  return CompiledPattern(pattern).Matches(name);
}

}  // namespace kelmarin
