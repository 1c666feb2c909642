#pragma once
// The inside of LensTable: the rows of lenses.def and the user's file by maker and code, and the
// code form both the file and the resolution use.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "present/Lens.h"

namespace kelmarin {

// What a row says of its lens, for narrowing the candidates of a shared code. Zero is unknown.
struct LensRow {
  std::string name;
  double minFocal = 0;     // mm
  double maxFocal = 0;     // mm
  double minAperture = 0;  // largest aperture (f-number) at the short end
  double maxAperture = 0;  // at the long end
};

struct LensTable::Data {
  // Key: maker word (lower case) + '|' + the code's canonical form.
  std::unordered_map<std::string, std::vector<LensRow>> rows;
};

// The code in the form the table is keyed by: words separated by one space; a word of hex digits
// as its value in upper-case hex, at least two digits ("0e" → "0E", "0013" → "13", "137" → "137"),
// any other word in upper case. The same canonical form serves decimal and hex codes, since both
// sides of a lookup pass through it.
std::string CanonicalLensCode(std::string_view code);

// One line of the file format (see data/lenses.def): the maker word and the row, or a German
// reason why it cannot be read. Comment and empty lines give neither (both empty).
struct LensLine {
  std::string maker;
  std::string code;
  LensRow row;
  std::string error;
};
LensLine ParseLensLine(std::string_view line);

// The decimal number at the start of the text, with "." as its separator whatever the C locale
// says (the window runs under the user's locale); 0 when the text starts with none.
double PointNumber(std::string_view text);

// "18-55mm f/3.5-5.6" from the focal and aperture ranges (ends that are equal once, unknown parts
// left out); empty when the focal range is unknown.
std::string LensRangeName(double minFocal, double maxFocal, double minAperture, double maxAperture);

}  // namespace kelmarin
