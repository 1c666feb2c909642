#pragma once
// The rules FormatValue dispatches to. Internal to src/present; every function accepts any item
// (empty, either value kind, values of the other kind) and returns a text, never throws.

#include <string>
#include <cstdint>

#include "extract/ImageMetadata.h"
#include "metadata/Definitions.h"
#include "present/Formatter.h"

namespace kelmarin {

// At most this many values of a list are shown.
inline constexpr std::size_t kListLimit = 10;

// Display codes of a number list: its bytes as characters of the code page, "_" for a control
// byte (1); as digits, "_" for a value above 9 (2); as UTF-16LE text up to its first NUL (3).
// Display code 1 of a text list: an EXIF date in the German form.
inline constexpr std::int32_t kCodeCharacters = 1;
inline constexpr std::int32_t kCodeDigits = 2;
inline constexpr std::int32_t kCodeUtf16Text = 3;
inline constexpr std::int32_t kCodeDate = 1;
// Display codes of lengths, for number lists (whole numbers) and text lists (one fraction): no
// unit, millimetres, centimetres, decimetres, metres.
inline constexpr std::int32_t kCodeNoUnit = 10;
inline constexpr std::int32_t kCodeMillimetres = 11;
inline constexpr std::int32_t kCodeCentimetres = 12;
inline constexpr std::int32_t kCodeDecimetres = 13;
inline constexpr std::int32_t kCodeMetres = 14;
// Display codes of the GPS coordinates: degrees, minutes and seconds with the degree sign (0), the
// same with the web page's "&deg;" (1), decimal degrees (2), the web form with decimal minutes (3).
inline constexpr std::int32_t kCodeGpsDegrees = 0;
inline constexpr std::int32_t kCodeGpsWeb = 1;
inline constexpr std::int32_t kCodeGpsDecimal = 2;
inline constexpr std::int32_t kCodeGpsWebDecimalMinutes = 3;
// Display code 1 of a version (EXIF, FlashPix, GPS, print image matching): the version as a
// number ("2.2"); of the focal length: with its 35 mm equivalent.
inline constexpr std::int32_t kCodeVersionNumber = 1;
inline constexpr std::int32_t kCodeFocalEquivalent = 1;
// Display codes of the copyright notice: the photographer (1), the editor (2); any other code
// joins both with ";".
inline constexpr std::int32_t kCodePhotographer = 1;
inline constexpr std::int32_t kCodeEditor = 2;

// Display code 0 of several numbers and the raw column of a number list: the first ten values
// joined with ",", then ",...(" + count + ")" when there are more.
std::string NumberListText(const ExifValues& values);

// Display codes of fraction lists, for either value kind (a whole number is itself over 1).
// Code 15: every value in point form (a whole quotient without decimals), joined with ",", at most
// ten and then ",...(" + count + ")".
inline constexpr std::int32_t kCodeLensRange = 4;
inline constexpr std::int32_t kCodeTimeOfDay = 5;
inline constexpr std::int32_t kCodeFractionList = 15;
std::string FractionListText(const ExifValues& values, const FormatContext& context);
// Code 4: four fractions (shortest and longest focal length, largest aperture at each) as
// "18-70mm f/3.5-4.5"; equal ends once, "?" for an unknown 0/0.
std::string LensRangeText(const ExifValues& values, const FormatContext& context);
// Code 5: three fractions (hours, minutes, seconds) as "17:17:58.65".
std::string TimeOfDayText(const ExifValues& values, const FormatContext& context);

// Display codes of a signed list, for the whole list and its single values: SHORTs (16) or bytes
// (17) read as signed numbers; value names then apply as for code 0.
inline constexpr std::int32_t kSigned16 = 16;
inline constexpr std::int32_t kSigned8 = 17;

// Display codes that compute (ComputedFormats.cpp): value × scale + offset with up to two decimals
// (22); Canon's exposure value in 1/32 EV with its thirds (23); f-number of the APEX value
// value × scale + offset (24); Canon's ISO code, the speed itself when bit 0x4000 is set (25); the
// f-number of a Canon exposure value (26). Numbers of 32768 to 65535 read as signed 16-bit; a
// single value with a value name shows the name; at most ten values, joined with ",".
inline constexpr std::int32_t kCodeScaled = kDisplayScaled;
inline constexpr std::int32_t kCodePowerOfTwo = kDisplayPowerOfTwo;  // 2^(value × scale + offset)
inline constexpr std::int32_t kCodeCanonEv = 23;
inline constexpr std::int32_t kCodeApexAperture = kDisplayApexAperture;
inline constexpr std::int32_t kCodeCanonIso = 25;
inline constexpr std::int32_t kCodeCanonAperture = 26;
bool IsComputedCode(std::int32_t code);
// Display code 27: version bytes, a value 0..9 as its digit (Nikon's 0,1,0,0 is "0100"), any other
// as code 1 shows it (so "0210" stored as characters reads the same).
inline constexpr std::int32_t kCodeVersionBytes = 27;
std::string ComputedText(const ExifValues& values, std::int32_t code, const ExifTag* definition,
                         const FormatContext& context);
// Display code 28: a date of digit pairs with NULs between them, "YYMM", "DDHH", "MM" and
// optionally "SS", each group followed by two NULs (Casio's firmware date), as
// "2003:02:28 09:45[:SS]"; a year below 70 is of the 2000s. Anything else: the bytes with each run of
// NULs as one ".", trailing ones dropped.
inline constexpr std::int32_t kCodeDigitDate = 28;
std::string DigitDateText(const ExifValues& values);
// Display code 29: bytes that are all letters, digits, "-", "_" or spaces as those characters,
// any other as lower-case hexadecimal digits, two per byte (Ricoh's binary serial number).
inline constexpr std::int32_t kCodeCharactersOrHex = 29;
std::string CharactersOrHexText(const ExifValues& values);
// Display code 30: a single number's value name, of the number + 1 where the body counts from 0
// (FormatContext::countsFromZero); else as code 0.
inline constexpr std::int32_t kCodeNamedFromOne = 30;
// Display code 31: Pentax's shake-reduction focal length in millimetres, stored even as twice its
// value up to 127 mm and, above, odd as a quarter of it (the low bit set): "35mm", "300mm".
inline constexpr std::int32_t kCodeHalfOrFourfoldMm = 31;
// Display code 33: Nikon's exposure values in three or four bytes a, b, c[, 0] (program shift,
// flash compensation, the lens's f-stops): a × b / c EV with a as a signed byte, "0" when c is 0;
// a list of another length or with a number above 255 as code 0 shows it.
inline constexpr std::int32_t kCodeNikonEv = 33;
// Display code 34: every value of a list by its value name (a number without one as it is),
// joined with ", " (TIFF's SampleFormat per component); at most ten, then the count.
inline constexpr std::int32_t kCodeNamedList = 34;
std::string NamedListText(const ExifValues& values, const ExifTag* definition);
// Display code 35: TIFF 6.0's YCbCrSubSampling (horizontal, vertical) as its usual name, "4:2:0"
// for 2, 2; another pair or count as code 0 shows it.
inline constexpr std::int32_t kCodeSubsampling = 35;
std::string SubsamplingText(const ExifValues& values);
// Display code 36: EXIF 2.32's CFAPattern: two SHORTs (columns, rows) in either byte order, then one
// byte per colour, as "[Rot,Grün][Grün,Blau]" (one bracket per row); the order is the one whose
// columns × rows is the count of colour bytes. Anything else as code 0 shows it.
inline constexpr std::int32_t kCodeCfaPattern = 36;
std::string CfaPatternText(const ExifValues& values);
// Display code 37: a list named as a whole, by the value name whose numbers ("!0 16,…") are the
// list's; a list without one as code 0 shows it (a single number by its own value name).
inline constexpr std::int32_t kCodeNamedWholeList = 37;
// Display code 38: the first value by its value name (a number without one as it is), the others
// as numbers, joined with ", " (Olympus's mode and its settings: "aus, 0, 0"); at most ten.
inline constexpr std::int32_t kCodeNamedFirst = 38;
// Display code 42: Canon's firmware revision, one 32-bit number whose bytes from the highest are
// the version, its two-digit minor, the revision and its minor, in hexadecimal: 0x01000200 is
// "1.00 rev 2.00"; anything else as code 0 shows it.
inline constexpr std::int32_t kCodeFirmwareRevision = 42;
std::string FirmwareRevisionText(const ExifValues& values);
// Display code 43: four numbers (hours, minutes, seconds, hundredths) as "21:00:09.62" (Kodak's
// time of the picture); another count or a number out of range as code 0 shows it.
inline constexpr std::int32_t kCodeTimeHundredths = 43;
std::string TimeHundredthsText(const ExifValues& values);
// Display code 44: two 16-bit numbers, the high half first, as one number (Reconyx's event
// number: 0, 8 is 8); another count or a number out of range as code 0 shows it.
inline constexpr std::int32_t kCodeHighLowHalves = 44;
std::string HighLowHalvesText(const ExifValues& values);
// Display codes 39, 40, 41 of a sub-row of a byte list: its big-endian 32-bit number computed as
// 22, 24 and 32 compute; WordComputedCode gives that code (0 for any other code).
constexpr std::int32_t WordComputedCode(std::int32_t code) {
  return code == kDisplayWordScaled         ? kCodeScaled
         : code == kDisplayWordApexAperture ? kCodeApexAperture
         : code == kDisplayWordPowerOfTwo   ? kCodePowerOfTwo
                                            : 0;
}
std::string NamedFirstText(const ExifValues& values, const ExifTag* definition);

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
