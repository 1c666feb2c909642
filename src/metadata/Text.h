#pragma once
// Text bytes from files (images, the definition file) whose encoding is not declared.

#include <string>
#include <string_view>

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

}  // namespace kelmarin
