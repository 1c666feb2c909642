#pragma once
// The rules FormatValue dispatches to. Internal to src/present; every function accepts any item
// (empty, either value kind, values of the other kind) and returns a text, never throws.

#include <cstdint>
#include <optional>
#include <string>

#include "extract/ImageMetadata.h"
#include "metadata/Definitions.h"
#include "present/Formatter.h"
#include "present/Lens.h"

namespace kelmarin {

// At most this many values of a list are shown.
inline constexpr std::size_t kListLimit = 10;

// The display codes themselves are named in metadata/DisplayCodes.h.

// Display code 0 of several numbers and the raw column of a number list: the first ten values
// joined with ",", then ",...(" + count + ")" when there are more.
std::string NumberListText(const ExifValues& values);
// The same, appended.
void AppendNumberListText(std::string& out, const ExifValues& values);

// Display codes of fraction lists, for either value kind (a whole number is itself over 1).
// Code 15: every value in point form (a whole quotient without decimals), joined with ",", at most
// ten and then ",...(" + count + ")".
std::string FractionListText(const ExifValues& values, const FormatContext& context);
// Code 4: four fractions (shortest and longest focal length, largest aperture at each) as
// "18-70mm f/3.5-4.5"; equal ends once, "?" for an unknown 0/0.
std::string LensRangeText(const ExifValues& values, const FormatContext& context);
// Code 5: three fractions (hours, minutes, seconds) as "17:17:58.65".
std::string TimeOfDayText(const ExifValues& values, const FormatContext& context);

// Display codes that compute (ComputedFormats.cpp): value × scale + offset with up to two decimals
// (22); Canon's exposure value in 1/32 EV with its thirds (23); f-number of the APEX value
// value × scale + offset (24); Canon's ISO code, the speed itself when bit 0x4000 is set (25); the
// f-number of a Canon exposure value (26). Numbers of 32768 to 65535 read as signed 16-bit; a
// single value with a value name shows the name; at most ten values, joined with ",".
bool IsComputedCode(std::int32_t code);
// Display code 27: version bytes, a value 0..9 as its digit (Nikon's 0,1,0,0 is "0100"), any other
// as code 1 shows it (so "0210" stored as characters reads the same).
std::string ComputedText(const ExifValues& values, std::int32_t code, const ExifTag* definition,
                         const FormatContext& context);
// Display code 28: a date of digit pairs with NULs between them, "YYMM", "DDHH", "MM" and
// optionally "SS", each group followed by two NULs (Casio's firmware date), as
// "2003:02:28 09:45[:SS]"; a year below 70 is of the 2000s. Anything else: the bytes with each run of
// NULs as one ".", trailing ones dropped.
std::string DigitDateText(const ExifValues& values);
// Display code 29: bytes that are all letters, digits, "-", "_" or spaces as those characters,
// any other as lower-case hexadecimal digits, two per byte (Ricoh's binary serial number).
std::string CharactersOrHexText(const ExifValues& values);
// Display code 30: a single number's value name, of the number + 1 where the body counts from 0
// (FormatContext::countsFromZero); else as code 0.
// Display code 31: Pentax's shake-reduction focal length in millimetres, stored even as twice its
// value up to 127 mm and, above, odd as a quarter of it (the low bit set): "35mm", "300mm".
// Display code 33: Nikon's exposure values in three or four bytes a, b, c[, 0] (program shift,
// flash compensation, the lens's f-stops): a × b / c EV with a as a signed byte, "0" when c is 0;
// a list of another length or with a number above 255 as code 0 shows it.
// Display code 34: every value of a list by its value name (a number without one as it is),
// joined with ", " (TIFF's SampleFormat per component); at most ten, then the count.
std::string NamedListText(const ExifValues& values, const ExifTag* definition);
// Display code 35: TIFF 6.0's YCbCrSubSampling (horizontal, vertical) as its usual name, "4:2:0"
// for 2, 2; another pair or count as code 0 shows it.
std::string SubsamplingText(const ExifValues& values);
// Display code 36: EXIF 2.32's CFAPattern: two SHORTs (columns, rows) in either byte order, then one
// byte per colour, as "[Rot,Grün][Grün,Blau]" (one bracket per row); the order is the one whose
// columns × rows is the count of colour bytes; a pattern whose columns or rows are 0 is
// "leeres Muster (Größe 0)". Anything else as code 0 shows it.
std::string CfaPatternText(const ExifValues& values);
// Display code 37: a list named as a whole, by the value name whose numbers ("!0 16,…") are the
// list's; a list without one as code 0 shows it (a single number by its own value name).
// Display code 38: the first value by its value name (a number without one as it is), the others
// as numbers, joined with ", " (Olympus's mode and its settings: "aus, 0, 0"); at most ten.
// Display code 42: Canon's firmware revision, one 32-bit number whose bytes from the highest are
// the version, its two-digit minor, the revision and its minor, in hexadecimal: 0x01000200 is
// "1.00 rev 2.00"; anything else as code 0 shows it.
std::string FirmwareRevisionText(const ExifValues& values);
// Display code 46: one Canon lens code by its value name, else by the lenses the table names for
// it (as stored, unsigned; " oder " between several), else as the number; a list as code 0 shows it.
std::string CanonLensText(const ExifValues& values, const ExifTag* definition, const LensTable& table);
// Display code 47: a bit set of 16-bit words as the numbers of its set bits ("0,17"), "keine" when
// none is set; a value that is no 16-bit number shows the list as code 0 does.
std::string BitNumbersText(const ExifValues& values);
// Display code 43: four numbers (hours, minutes, seconds, hundredths) as "21:00:09.62" (Kodak's
// time of the picture); another count or a number out of range as code 0 shows it.
std::string TimeHundredthsText(const ExifValues& values);
// Display code 44: two 16-bit numbers, the high half first, as one number (Reconyx's event
// number: 0, 8 is 8); another count or a number out of range as code 0 shows it.
std::string HighLowHalvesText(const ExifValues& values);
// Display codes 39, 40, 41 of a sub-row of a byte list: its big-endian 32-bit number computed as
// 22, 24 and 32 compute; WordComputedCode gives that code (0 for any other code).
// 55 reads the word so and computes as 45; 52 reads it so too and keeps its own rule.
constexpr std::int32_t WordComputedCode(std::int32_t code) {
  return code == kDisplayWordScaled         ? kDisplayScaled
         : code == kDisplayWordApexAperture ? kDisplayApexAperture
         : code == kDisplayWordPowerOfTwo   ? kDisplayPowerOfTwo
         : code == kDisplayWordExposureTime ? kDisplayApexExposureTime
         : code == kDisplayPackedDateOrTime ? code
                                            : 0;
}
// Display code 52: one number of 0 to 2^32 - 1 as its high 16-bit half, then its second and its
// lowest byte, each of at least two digits, joined by ":" (Minolta's date 0x07D10901 is
// "2001:09:01", its time 0x000B0E18 "11:14:24"); 0, several numbers or a number out of range as
// code 0 shows them.
std::string PackedDateOrTimeText(const ExifValues& values);
// Display code 53: numbers of 0 to 99 as two digits joined by ":" (Kodak's month and day 5, 25 are
// "05:25"); a list holding any other value as code 0 shows it.
std::string ColonPairsText(const ExifValues& values);
// Display code 54: Reconyx's dates. Two numbers whose four hexadecimal digits each are decimal
// digits, the year and the month and day (0x2011, 0x0110: "2011:01:10"), or six numbers second,
// minute, hour, month, day, year ("2020:03:16 10:00:00"); another count, a digit above 9 or a part
// out of its range as code 0 shows them.
std::string ReconyxDateText(const ExifValues& values);
std::string NamedFirstText(const ExifValues& values, const ExifTag* definition);
// Display code 48: a single number's set bits, each by the value name of its power of two (a bit
// without one as that power's number), joined with ", " from the lowest bit; a number with a value
// name of its own (0) shows that name. A list or a negative number as code 0 shows it.
std::string BitNamesText(const ExifValues& values, const ExifTag* definition);
// Display code 49: the list by a pattern, the value name of its first value (of a text that is
// a whole number: that number; of a fraction: its numerator), in which "{n}" stands for value n
// as its sub-row (position n) shows it, else as it stands, and "{n:w}" for the same with at least
// w digits (leading zeros; digits only); "?" for a value beyond the list. Without such a name:
// "{1}; {2}; …" (at most 32, then the count). A text that is neither as code 0 shows it.
std::string PatternText(const ZetExif& item, const ExifTag* definition, const FormatContext& context);
// Display code 50: an Olympus lens type (maker, -, model, sub-model bytes) by the name the lens
// table gives its code ("0 13 10"), several joined with " oder "; a code the table does not know,
// or fewer than four numbers, as code 0 shows it.
std::string OlympusLensText(const ExifValues& values);
// Display code 51: fractions as whole percentages (cut, not rounded) in pairs, "(50%,49%) (50%,49%)"
// (the corners of an Olympus AF area); an undefined 0/0 is left out. Anything that is not a fraction,
// or a quotient beyond a million, as code 0 shows it.
std::string PercentPairsText(const ExifValues& values);
// The information column of the sub-row `position` (a definition of a position above 0) of the
// item, as the listing shows it; none when the list does not reach that position.
std::optional<std::string> PositionInformation(const ZetExif& item, const ExifTag& position,
                                               const FormatContext& context);

// FormatValue with the item's definition already looked up (null: it has none).
std::string FormatItem(const FormatContext& context, std::int32_t maker, const ZetExif& item, std::int32_t section,
                       const ExifTag* definition);

// The general rules by value kind and display code. An item of another kind than 1 or 4 shows
// its first value as text (nothing when it has none).
std::string FormatGeneral(const ZetExif& item, std::int32_t code, const ExifTag* definition,
                      const FormatContext& context);

// Tags of the main section with fixed rules: 33432, 33434, 33437, 36864, 37121, 37377, 37378,
// 37381, 37386, 37510, 40960, 50341.
bool IsMainSpecial(std::int32_t tag);
std::string FormatMainSpecial(const ZetExif& item, std::int32_t code, const ExifTag* definition,
                          const FormatContext& context);

// Tags of the GPS section with fixed rules: 0 (version) and 2, 4, 20, 22 (coordinates).
bool IsGpsSpecial(std::int32_t tag);
std::string FormatGpsSpecial(const ZetExif& item, std::int32_t code, const FormatContext& context);

}  // namespace kelmarin
