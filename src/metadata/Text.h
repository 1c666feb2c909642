#pragma once
// Text bytes from files (images, the definition file) whose encoding is not declared, and the
// locale-free ASCII rules for comparing and splitting them.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kelmarin {

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// The bytes as UTF-8: unchanged when they already are valid UTF-8, otherwise read as
// Windows-1252 (the five bytes that code page leaves undefined map to U+0081, U+008D, ...).
std::string BytesToUtf8(std::string_view bytes);

// One Windows-1252 byte as its Unicode code point.
char32_t Cp1252ToUnicode(unsigned char byte);

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);
// The code point of valid UTF-8 text that starts at `at`, which moves past it (at < text.size()).
// A sequence cut short by the text's end takes the bytes there are.
char32_t NextCodePoint(std::string_view text, std::size_t& at);

// ASCII-only case folding, the same in every locale (keywords, makes and signatures are ASCII).
constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
bool EqualsNoCase(std::string_view a, std::string_view b);
bool ContainsNoCase(std::string_view haystack, std::string_view needle);

// Calls piece(view) for each piece between the separators: n separators give n + 1 pieces (empty
// pieces included), the empty text gives one empty piece. The views point into `text`.
template <typename Piece>
void ForEachPiece(std::string_view text, char separator, Piece&& piece) {
  std::size_t start = 0;
  for (std::size_t at = text.find(separator); at != std::string_view::npos;
       at = text.find(separator, start)) {
    piece(text.substr(start, at - start));
    start = at + 1;
  }
  piece(text.substr(start));
}

// The pieces of ForEachPiece as a list.
std::vector<std::string_view> SplitAt(std::string_view text, char separator);

}  // namespace kelmarin
