#pragma once
// The maker registry: the maker numbers of the makernote layouts, and the layout names the
// definition file's "#makernote NAME" sections use for them. Numbers 2 to 25 are those of the
// classic layouts; today's cameras and phones have 26 and up. The makernote reader's detection
// rows (extract/MakerTable.cpp) give these numbers; the loader files a section's tags under them.

#include <array>
#include <cstdint>
#include <string_view>

namespace kelmarin {

enum MakerNumber : std::int32_t {
  kMakerNone = 0,  // no makernote read, or none of a known layout
  kMakerAsahi01 = 2,
  kMakerAsahi02 = 3,  // Pentax's "AOC" form and its later one with a TIFF header
  kMakerCanon01 = 4,
  kMakerCasio01 = 5,
  kMakerCasio02 = 6,  // "QVC"
  kMakerFujifilm01 = 8,
  kMakerJenoptik01 = 10,  // detected, but no definition section names it
  kMakerLeica01 = 14,
  kMakerMinolta01 = 15,
  kMakerNikon01 = 16,
  kMakerNikon02 = 17,
  kMakerOlympus01 = 18,
  kMakerPanasonic01 = 19,
  kMakerRicoh01 = 21,
  kMakerSigma01 = 25,
  kMakerApple01 = 26,
  kMakerSony01 = 27,
  kMakerOlympus02 = 28,
  kMakerSamsung01 = 29,
  kMakerLeica02 = 30,
  kMakerDji01 = 31,
  kMakerSamsung02 = 32,
  kMakerKodak01 = 33,
  kMakerKodak02 = 34,
  kMakerKodak03 = 35,
  kMakerKodak04 = 36,
  kMakerMotorola01 = 37,
  kMakerReconyx01 = 38,
  kMakerSanyo01 = 39,
  kMakerRicoh02 = 40,
  kMakerJvc01 = 41,
  kMakerKodak05 = 42,
  kMakerSigma02 = 43,
};

struct MakerLayout {
  std::string_view name;  // lower case, as the definition file writes it
  MakerNumber maker;
};

// Every layout a definition file may name, in the order of their numbers.
inline constexpr std::array<MakerLayout, 32> kMakerLayouts = {{
    {"asahi01", kMakerAsahi01}, {"asahi02", kMakerAsahi02},       {"canon01", kMakerCanon01},
    {"casio01", kMakerCasio01}, {"casio02", kMakerCasio02},       {"fujifilm01", kMakerFujifilm01},
    {"leica01", kMakerLeica01}, {"minolta01", kMakerMinolta01},   {"nikon01", kMakerNikon01},
    {"nikon02", kMakerNikon02}, {"olympus01", kMakerOlympus01},   {"panasonic01", kMakerPanasonic01},
    {"ricoh01", kMakerRicoh01}, {"sigma01", kMakerSigma01},       {"apple01", kMakerApple01},
    {"sony01", kMakerSony01},   {"olympus02", kMakerOlympus02},   {"samsung01", kMakerSamsung01},
    {"leica02", kMakerLeica02}, {"dji01", kMakerDji01},           {"samsung02", kMakerSamsung02},
    {"kodak01", kMakerKodak01}, {"kodak02", kMakerKodak02},       {"kodak03", kMakerKodak03},
    {"kodak04", kMakerKodak04}, {"motorola01", kMakerMotorola01}, {"reconyx01", kMakerReconyx01},
    {"sanyo01", kMakerSanyo01}, {"ricoh02", kMakerRicoh02},       {"jvc01", kMakerJvc01},
    {"kodak05", kMakerKodak05}, {"sigma02", kMakerSigma02},
}};

// The layout of a name, compared without regard to ASCII case; null for a name of no layout.
const MakerLayout* FindMakerLayout(std::string_view name);

}  // namespace kelmarin
