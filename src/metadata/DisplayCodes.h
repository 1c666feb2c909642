#pragma once
// Display codes: the number on a definition line of metadata.def that picks how a value is shown.
// The loader reads them (ReadsScale: which codes take a scale and an offset); src/present shows
// values by them. Several codes mean one thing for a number list and another for a text list or a
// single tag, so some numbers have more than one name here.

#include <cstdint>

namespace kelmarin {

// No rule of its own: a number list's value name or its numbers, a text list's first text.
inline constexpr std::int32_t kDisplayPlain = 0;

// Number lists: their bytes as characters of the code page, "_" for a control byte (1); as digits,
// "_" for a value above 9 (2); as UTF-16LE text up to its first NUL (3). Text lists: an EXIF date
// in the German form (1).
inline constexpr std::int32_t kDisplayCharacters = 1;
inline constexpr std::int32_t kDisplayDigits = 2;
inline constexpr std::int32_t kDisplayUtf16Text = 3;
inline constexpr std::int32_t kDisplayDate = 1;

// Lengths, for number lists (whole numbers) and text lists (one fraction): no unit, millimetres,
// centimetres, decimetres, metres.
inline constexpr std::int32_t kDisplayNoUnit = 10;
inline constexpr std::int32_t kDisplayMillimetres = 11;
inline constexpr std::int32_t kDisplayCentimetres = 12;
inline constexpr std::int32_t kDisplayDecimetres = 13;
inline constexpr std::int32_t kDisplayMetres = 14;

// GPS coordinates: degrees, minutes and seconds with the degree sign (0), the same with the web
// page's "&deg;" (1), decimal degrees (2), the web form with decimal minutes (3).
inline constexpr std::int32_t kDisplayGpsDegrees = 0;
inline constexpr std::int32_t kDisplayGpsWeb = 1;
inline constexpr std::int32_t kDisplayGpsDecimal = 2;
inline constexpr std::int32_t kDisplayGpsWebDecimalMinutes = 3;

// A version (EXIF, FlashPix, GPS, print image matching) as a number ("2.2"); the focal length with
// its 35 mm equivalent.
inline constexpr std::int32_t kDisplayVersionNumber = 1;
inline constexpr std::int32_t kDisplayFocalEquivalent = 1;

// The copyright notice: the photographer (1), the editor (2); any other code joins both with ";".
inline constexpr std::int32_t kDisplayPhotographer = 1;
inline constexpr std::int32_t kDisplayEditor = 2;

// Fraction lists: a lens's focal range and apertures (4), a time of day (5), every value in point
// form (15).
inline constexpr std::int32_t kDisplayLensRange = 4;
inline constexpr std::int32_t kDisplayTimeOfDay = 5;
inline constexpr std::int32_t kDisplayFractionList = 15;

// A signed list, for the whole list and its single values: SHORTs (16) or bytes (17) read as
// signed numbers.
inline constexpr std::int32_t kDisplaySigned16 = 16;
inline constexpr std::int32_t kDisplaySigned8 = 17;

// Byte lists that hold numbers of several bytes, position n the n-th number: unsigned big-endian
// 32-bit (18), signed big-endian 16-bit (19), unsigned little-endian 16-bit (20); a text inside a
// byte list from byte n to the first NUL (21).
inline constexpr std::int32_t kDisplayBigEndianWords = 18;
inline constexpr std::int32_t kDisplaySignedBigEndianShorts = 19;
inline constexpr std::int32_t kDisplayLittleEndianShorts = 20;
inline constexpr std::int32_t kDisplayTextFromByte = 21;

// Codes that compute a value. Those that read a scale and an offset from the definition line,
// after the display code ("+tag,position,code,scale,offset,name"; an offset alone is not possible,
// a missing offset is 0, a missing
// scale 1): value × scale + offset as a plain number (22), as the APEX value of an aperture shown as
// its f-number (24), as the exponent of a power of two (32: Nikon's lens data store focal lengths as
// 24 × log2(mm / 5)). Canon's exposure value in 1/32 EV (23), Canon's ISO code (25), the f-number of
// a Canon exposure value (26).
inline constexpr std::int32_t kDisplayScaled = 22;
inline constexpr std::int32_t kDisplayCanonEv = 23;
inline constexpr std::int32_t kDisplayApexAperture = 24;
inline constexpr std::int32_t kDisplayCanonIso = 25;
inline constexpr std::int32_t kDisplayCanonAperture = 26;
inline constexpr std::int32_t kDisplayPowerOfTwo = 32;
// 39, 40 and 41 compute as 22, 24 and 32 from the n-th big-endian 32-bit number of a byte list
// (Minolta's camera settings).
inline constexpr std::int32_t kDisplayWordScaled = 39;
inline constexpr std::int32_t kDisplayWordApexAperture = 40;
inline constexpr std::int32_t kDisplayWordPowerOfTwo = 41;
// An exposure time from its APEX value Tv = value × scale + offset: 2^-Tv seconds, shown as the
// EXIF exposure time is ("1/256", "2"); Canon's camera information stores Tv in eighths of a stop.
inline constexpr std::int32_t kDisplayApexExposureTime = 45;
// 55 computes as 45 with the n-th big-endian 32-bit number of a byte list, as 39 to 41 do
// (Minolta's exposure time, Tv = value / 8 - 6).
inline constexpr std::int32_t kDisplayWordExposureTime = 55;
constexpr bool ReadsScale(std::int32_t code) {
  return code == kDisplayScaled || code == kDisplayApexAperture || code == kDisplayPowerOfTwo ||
         code == kDisplayWordScaled || code == kDisplayWordApexAperture || code == kDisplayWordPowerOfTwo ||
         code == kDisplayApexExposureTime || code == kDisplayWordExposureTime;
}

// Single rules: version bytes (27), a date of digit pairs (28), characters or hexadecimal (29), a
// value name counted from one (30), Pentax's shake-reduction focal length (31), Nikon's exposure
// values (33), every value by its name (34), YCbCr subsampling (35), a colour filter pattern (36).
inline constexpr std::int32_t kDisplayVersionBytes = 27;
inline constexpr std::int32_t kDisplayDigitDate = 28;
inline constexpr std::int32_t kDisplayCharactersOrHex = 29;
inline constexpr std::int32_t kDisplayNamedFromOne = 30;
inline constexpr std::int32_t kDisplayHalfOrFourfoldMm = 31;
inline constexpr std::int32_t kDisplayNikonEv = 33;
inline constexpr std::int32_t kDisplayNamedList = 34;
inline constexpr std::int32_t kDisplaySubsampling = 35;
inline constexpr std::int32_t kDisplayCfaPattern = 36;
// A list named as a whole (37), the first value named and the rest as numbers (38), Canon's
// firmware revision (42), a time with hundredths (43), one number from its two 16-bit halves (44).
inline constexpr std::int32_t kDisplayNamedWholeList = 37;
inline constexpr std::int32_t kDisplayNamedFirst = 38;
inline constexpr std::int32_t kDisplayFirmwareRevision = 42;
inline constexpr std::int32_t kDisplayTimeHundredths = 43;
inline constexpr std::int32_t kDisplayHighLowHalves = 44;
// Canon's lens code (46): its value name, else the lens of the code in the lens table (lenses.def
// and the user's own file; several lenses of one code joined by " oder "), else the number. A bit
// set of 16-bit words (47): the numbers of the set bits, bit n of word w being 16 × w + n, joined
// with ","; "keine" when none is set (Canon's AF points in focus).
inline constexpr std::int32_t kDisplayCanonLens = 46;
inline constexpr std::int32_t kDisplayBitNumbers = 47;
// A number's set bits by name (48: Nikon's lens type, Olympus's AF flags), a list by a pattern of
// its values (49: "aus (4352 × 2868 …)", a date from bytes), an Olympus lens type named by the lens
// table (50), fractions as percentages in pairs (51: the corners of an Olympus AF area).
inline constexpr std::int32_t kDisplayBitNames = 48;
inline constexpr std::int32_t kDisplayPattern = 49;
inline constexpr std::int32_t kDisplayOlympusLens = 50;
inline constexpr std::int32_t kDisplayPercentPairs = 51;
// Dates and times packed into numbers: a 32-bit number as its high 16-bit half and its two low
// bytes, of a byte list's n-th big-endian 32-bit number as 39 to 41 (52: Minolta's date 0x07D10901
// "2001:09:01" and time 0x000B0E18 "11:14:24"); numbers of two digits joined by ":" (53: Kodak's
// month and day 5, 25 "05:25"); Reconyx's dates (54): two numbers whose hexadecimal digits are the
// year and the month and day (0x2011, 0x0110 "2011:01:10"), or six numbers second, minute, hour,
// month, day, year ("2020:03:16 10:00:00").
inline constexpr std::int32_t kDisplayPackedDateOrTime = 52;
inline constexpr std::int32_t kDisplayColonPairs = 53;
inline constexpr std::int32_t kDisplayReconyxDate = 54;

}  // namespace kelmarin
