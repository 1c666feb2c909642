// The fixed rules of the main and GPS tags. Code -1: the tag has no definition at all.
#include <gtest/gtest.h>

#include "PresentTestSupport.h"
#include "present/Formatter.h"

namespace kelmarin {
namespace {

using test::Bytes;
using test::German;
using test::Numbers;
using test::Texts;

FormatContext English() {
  return MakeFormatContext(QLocale(QLocale::English, QLocale::UnitedStates), 1.0);
}
void Main(std::initializer_list<test::Case> cases,
          const FormatContext& context = MakeFormatContext(German(), 1.0)) {
  test::ExpectTexts(context, kSectionMain, cases);
}
void Gps(std::initializer_list<test::Case> cases,
         const FormatContext& context = MakeFormatContext(German(), 1.0)) {
  test::ExpectTexts(context, kSectionGps, cases);
}

TEST(SpecialRules, NoticeSplitsPhotographerAndEditor) {
  const ZetExif both = Texts(33432, {std::string("Hans Muster\0Verlag\0", 19)});
  Main({{both, -1, "Hans Muster;Verlag"},
        {both, 1, "Hans Muster"},
        {both, 2, "Verlag"},
        {Texts(33432, {std::string("Hans Muster\0", 12)}), -1, "Hans Muster;"},
        {Texts(33432, {"Hans Muster"}), -1, "Hans Muster;"},  // without a zero character no editor
        {Texts(33432, {"Hans Muster"}), 2, ""},
        {Texts(33432, {std::string("\xA9 M\xFCller\0Verlag", 16)}), 1, "© Müller"}});
}

TEST(SpecialRules, ExposureTimeFNumberAndApexValues) {
  Main({{Texts(33434, {"1/125"}), -1, "1/125"},
        {Texts(33434, {"10/2000"}), -1, "1/200"},
        {Texts(33434, {"1/2"}), -1, "1/2"},  // exactly 0.5 takes the reciprocal form
        {Texts(33434, {"6/10"}), -1, "0.6"},
        {Texts(33434, {"13/10"}), -1, "1.3"},
        {Texts(33434, {"1/3"}), -1, "1/3"},
        {Texts(33434, {"0/1"}), -1, "0/1"},  // no reciprocal of 0
        {Texts(33434, {"1/0"}), -1, "1/0"},
        {Texts(33434, {"kurz"}), -1, "kurz"},
        {Texts(33437, {"28/10"}), -1, "f2.8"},
        {Texts(33437, {"56/10"}), -1, "f5.6"},
        {Texts(33437, {"0/0"}), -1, "0/0"},
        {Texts(33437, {"2.8"}), -1, "f2.8"},  // a decoded FLOAT
        {Texts(37377, {"6906891/1000000"}), -1, "1/120"},
        {Texts(37377, {"0/1"}), -1, "1/1"},
        {Texts(37377, {"-2/1"}), -1, "-2/1"},          // 2^-2 would read "1/0"
        {Texts(37377, {"100000/1"}), -1, "100000/1"},  // 2^100000 is no number
        {Texts(37378, {"3/1"}), -1, "f2.8"},
        {Texts(37378, {"4/1"}), -1, "f4.0"},
        {Texts(37381, {"3/1"}), -1, "f2.8"},
        {Texts(37381, {"1/0"}), -1, "1/0"}});
}

TEST(SpecialRules, FocalLengthWithAndWithoutFactor) {
  Main({{Texts(37386, {"78/10"}), -1, "7.8mm"},
        {Texts(37386, {"0/1"}), -1, "0.0mm"},
        {Texts(37386, {"1/100"}), -1, "0.0mm"},
        {Texts(37386, {"1/101"}), -1, "0.0mm"}});
  Main({{Texts(37386, {"78/10"}), 1, "38mm"}, {Texts(37386, {"78/10"}), 2, "7.8mm"}},
       MakeFormatContext(German(), 4.86));
  Main({{Texts(37386, {"78/10"}), 1, "0mm"}}, MakeFormatContext(German(), 0.0));
}

TEST(SpecialRules, VersionsComponentsAndPrintMatching) {
  const std::string pim(
      "PrintIM\0"
      "0300\0\0",
      14);
  Main({{Numbers(36864, {'0', '2', '2', '0'}), 1, "2.2"},
        {Numbers(36864, {'0', '1', '0', '0'}), 1, "1.0"},
        {Numbers(36864, {'0', '2', '2', '1'}), 1, "2.21"},
        {Numbers(36864, {'0', '2', '2', '0'}), -1, "0220"},
        {Numbers(40960, {'0', '1', '0', '0'}), 1, "1.0"},
        {Numbers(40960, {'x', '1', '0', '0'}), 1, "x100"},
        {Texts(36864, {"0230"}), 1, "2.3"},  // written as ASCII by some programs
        {Numbers(37121, {7}), -1, "unknown"},
        {Numbers(37121, {1}), -1, "Y"},
        {Numbers(37121, {6}), -1, "Blue"},
        {Numbers(37121, {1, 2, 3, 0}), -1, "YCbCr"},
        {Numbers(37121, {4, 5, 6, 0}), -1, "RGB"},
        {Numbers(37121, {1, 2, 3, 4}), -1, "unknown"},
        {Numbers(37121, {1, 2, 3}), -1, "1,2,3"},
        {Bytes(50341, pim), 1, "3.0"},
        {Bytes(50341, pim), -1, "0300"},
        {Bytes(50341, std::string("PrintIM\0abcd", 12)), 1, "0.0"},
        {Bytes(50341, "PrintIM"), 1, "0.0"}});
  Main({{Numbers(36864, {'0', '2', '2', '0'}), 1, "2.2"}}, English());
  Gps({{Numbers(0, {2, 2, 0, 0}), 1, "2.2"},
       {Numbers(0, {2, 0, 0, 0}), 1, "2.0"},
       {Numbers(0, {2, 2, 0, 0}), 0, "2200"}});
}

TEST(SpecialRules, UserCommentHeaders) {
  Main({{Bytes(37510, std::string("UNICODE\0H\0i\0", 12)), -1, "Hi"},
        {Bytes(37510, std::string("unicode\0", 8) + std::string("\xFC\0 \0", 4)), -1, "ü"},
        {Bytes(37510, std::string("ASCII\0\0\0H\0i\0", 12)), -1, "Hi"},
        {Bytes(37510, std::string("ASCII\0\0\0", 8)), -1, ""},
        {Bytes(37510, std::string("ASCII\0\0\0   Hallo Welt  ", 23)), -1, "Hallo Welt"},
        {Bytes(37510, std::string("\0\0\0\0\0\0\0\0M\xC3\xBCller", 15)), -1, "Müller"},
        {Bytes(37510, std::string("\0\0\0\0\0\0\0\0M\xFCller", 14)), -1, "Müller"},
        {Bytes(37510, std::string(8, '\0') + std::string(100, ' ')), -1, ""}});
}

TEST(SpecialRules, Coordinates) {
  const ZetExif whole = Texts(2, {"50/1", "12/1", "3456/100"});
  const ZetExif fractional = Texts(22, {"50/1", "1234/100", "0/1"});
  Gps({{whole, 0, "50° 12' 34.56\""},
       {whole, 1, "50&deg; 12' 34.56\""},
       {whole, 2, "50,2096"},
       {whole, 3, "50&deg; 12.576'"},
       {whole, 7, "50 12' 34.56\""},
       {Texts(4, {"8/1", "5/1", "0/1"}), 0, "8° 5' 0.00\""},
       {Texts(20, {"11/1", "52/1", "448019999/10000000"}), 0, "11° 52' 44.80\""},
       {fractional, 0, "50° 12.34'"},
       {fractional, 1, "50&deg; 12' 20.40\""},
       {fractional, 2, "50,2056666666667"},
       {fractional, 3, "50° 12.34'"},
       // Minutes are the fraction's quotient whatever the denominator.
       {Texts(2, {"0/1", "22278/1000", "0/1"}), 0, "0° 22.278'"},
       {Texts(2, {"36/1", "3385/1000", "0/1"}), 1, "36&deg; 3' 23.10\""},
       // Coordinates that cannot be computed.
       {Texts(2, {"50/1", "12/1"}), 0, ""},
       {Texts(2, {"50/1", "12/1", "1/1", "1/1"}), 0, ""},
       {Texts(2, {"Nord", "12/1", "0/1"}), 0, "Nord"},
       {Texts(2, {"50/1", "12/0", "0/1"}), 0, "50/1"},
       {Texts(2, {"50/1", "12/1", "0/0"}), 2, "50/1"},
       {Numbers(2, {50, 12, 30}), 0, "50° 12' 30.00\""}});  // LONG values as n/1
  Gps({{whole, 2, "50.2096"}}, English());
}

TEST(SpecialRules, WrongKindsFallBackToGeneralRules) {
  Main({{Numbers(33434, {1, 125}), -1, "1,125"},
        {Texts(37121, {"1230"}), -1, "1230"},
        {Texts(37510, {"Kommentar"}), -1, "Kommentar"},
        {Texts(33434, {}), -1, ""},
        {Numbers(36864, {}), 1, ""}});
  Gps({{Texts(0, {}), 1, ""}});
}

}  // namespace
}  // namespace kelmarin
