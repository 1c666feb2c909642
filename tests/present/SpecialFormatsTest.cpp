// The fixed rules of the main and GPS tags.
#include <gtest/gtest.h>

#include "PresentTestSupport.h"
#include "present/Formatter.h"

namespace kelmarin {
namespace {

using test::Bytes;
using test::German;
using test::Numbers;
using test::Q;
using test::Texts;

class SpecialRules : public ::testing::Test {
 protected:
  // The item under display code `code` (no definition at all for code 0).
  QString Main(const ZetExif& item, std::int32_t code = 0) {
    tables.defs.mainTags.clear();
    if (code != 0) tables.Main(item.tag, code);
    return FormatValue(tables.defs, context, 0, item, kSectionMain);
  }
  QString Gps(const ZetExif& item, std::int32_t code) {
    tables.defs.gpsTags.clear();
    tables.Gps(item.tag, code);
    return FormatValue(tables.defs, context, 0, item, kSectionGps);
  }

  test::Tables tables;
  FormatContext context = MakeFormatContext(German(), 1.0);
};

TEST_F(SpecialRules, NoticeSplitsPhotographerAndEditor) {
  const ZetExif both = Texts(33432, {std::string("Hans Muster\0Verlag\0", 19)});
  EXPECT_EQ(Main(both), Q("Hans Muster;Verlag"));
  EXPECT_EQ(Main(both, 1), Q("Hans Muster"));
  EXPECT_EQ(Main(both, 2), Q("Verlag"));
  EXPECT_EQ(Main(Texts(33432, {std::string("Hans Muster\0", 12)})), Q("Hans Muster;"));
  // Without a zero character the editor is empty.
  EXPECT_EQ(Main(Texts(33432, {"Hans Muster"})), Q("Hans Muster;"));
  EXPECT_EQ(Main(Texts(33432, {"Hans Muster"}), 2), QString());
  EXPECT_EQ(Main(Texts(33432, {std::string("\xA9 M\xFCller\0Verlag", 16)}), 1), Q("© Müller"));
}

TEST_F(SpecialRules, ExposureTimeAndFNumber) {
  EXPECT_EQ(Main(Texts(33434, {"1/125"})), Q("1/125"));
  EXPECT_EQ(Main(Texts(33434, {"10/2000"})), Q("1/200"));
  EXPECT_EQ(Main(Texts(33434, {"1/2"})), Q("1/2"));  // exactly 0.5 takes the reciprocal form
  EXPECT_EQ(Main(Texts(33434, {"6/10"})), Q("0.6"));
  EXPECT_EQ(Main(Texts(33434, {"13/10"})), Q("1.3"));
  EXPECT_EQ(Main(Texts(33434, {"1/3"})), Q("1/3"));
  EXPECT_EQ(Main(Texts(33434, {"0/1"})), Q("0/1"));  // no reciprocal of 0
  EXPECT_EQ(Main(Texts(33434, {"1/0"})), Q("1/0"));
  EXPECT_EQ(Main(Texts(33434, {"kurz"})), Q("kurz"));
  EXPECT_EQ(Main(Texts(33437, {"28/10"})), Q("f2.8"));
  EXPECT_EQ(Main(Texts(33437, {"56/10"})), Q("f5.6"));
  EXPECT_EQ(Main(Texts(33437, {"0/0"})), Q("0/0"));
  EXPECT_EQ(Main(Texts(33437, {"2.8"})), Q("f2.8"));  // a decoded FLOAT
}

TEST_F(SpecialRules, ApexValues) {
  EXPECT_EQ(Main(Texts(37377, {"6906891/1000000"})), Q("1/120"));
  EXPECT_EQ(Main(Texts(37377, {"0/1"})), Q("1/1"));
  EXPECT_EQ(Main(Texts(37377, {"-2/1"})), Q("-2/1"));          // 2^-2 would read "1/0"
  EXPECT_EQ(Main(Texts(37377, {"100000/1"})), Q("100000/1"));  // 2^100000 is no number
  EXPECT_EQ(Main(Texts(37378, {"3/1"})), Q("f2.8"));
  EXPECT_EQ(Main(Texts(37378, {"4/1"})), Q("f4.0"));
  EXPECT_EQ(Main(Texts(37381, {"3/1"})), Q("f2.8"));
  EXPECT_EQ(Main(Texts(37381, {"1/0"})), Q("1/0"));
}

TEST_F(SpecialRules, FocalLengthWithAndWithoutFactor) {
  EXPECT_EQ(Main(Texts(37386, {"78/10"})), Q("7.8mm"));
  EXPECT_EQ(Main(Texts(37386, {"0/1"})), Q("0.0mm"));
  EXPECT_EQ(Main(Texts(37386, {"1/100"})), Q("0.0mm"));
  EXPECT_EQ(Main(Texts(37386, {"1/101"})), Q("0.0mm"));
  context.camera_feq = 4.86;
  EXPECT_EQ(Main(Texts(37386, {"78/10"}), 1), Q("38mm"));
  EXPECT_EQ(Main(Texts(37386, {"78/10"}), 2), Q("7.8mm"));
  context.camera_feq = 0.0;
  EXPECT_EQ(Main(Texts(37386, {"78/10"}), 1), Q("0mm"));
}

TEST_F(SpecialRules, VersionsWithCodeOne) {
  EXPECT_EQ(Main(Numbers(36864, {'0', '2', '2', '0'}), 1), Q("2.2"));
  EXPECT_EQ(Main(Numbers(36864, {'0', '1', '0', '0'}), 1), Q("1.0"));
  EXPECT_EQ(Main(Numbers(36864, {'0', '2', '2', '1'}), 1), Q("2.21"));
  EXPECT_EQ(Main(Numbers(36864, {'0', '2', '2', '0'})), Q("0220"));
  EXPECT_EQ(Main(Numbers(40960, {'0', '1', '0', '0'}), 1), Q("1.0"));
  EXPECT_EQ(Main(Numbers(40960, {'x', '1', '0', '0'}), 1), Q("x100"));
  EXPECT_EQ(Main(Texts(36864, {"0230"}), 1), Q("2.3"));  // written as ASCII by some programs
  context = MakeFormatContext(QLocale(QLocale::English, QLocale::UnitedStates), 1.0);
  EXPECT_EQ(Main(Numbers(36864, {'0', '2', '2', '0'}), 1), Q("2.2"));
}

TEST_F(SpecialRules, ComponentsConfiguration) {
  EXPECT_EQ(Main(Numbers(37121, {7})), Q("unknown"));
  EXPECT_EQ(Main(Numbers(37121, {1})), Q("Y"));
  EXPECT_EQ(Main(Numbers(37121, {6})), Q("Blue"));
  EXPECT_EQ(Main(Numbers(37121, {1, 2, 3, 0})), Q("YCbCr"));
  EXPECT_EQ(Main(Numbers(37121, {4, 5, 6, 0})), Q("RGB"));
  EXPECT_EQ(Main(Numbers(37121, {1, 2, 3, 4})), Q("unknown"));
  EXPECT_EQ(Main(Numbers(37121, {1, 2, 3})), Q("1,2,3"));
}

TEST_F(SpecialRules, UserCommentHeaders) {
  const std::string unicode("UNICODE\0H\0i\0", 12);
  EXPECT_EQ(Main(Bytes(37510, unicode)), Q("Hi"));
  EXPECT_EQ(Main(Bytes(37510, std::string("unicode\0", 8) + std::string("\xFC\0 \0", 4))), Q("ü"));
  EXPECT_EQ(Main(Bytes(37510, std::string("ASCII\0\0\0H\0i\0", 12))), Q("Hi"));
  EXPECT_EQ(Main(Bytes(37510, std::string("ASCII\0\0\0", 8))), QString());
  EXPECT_EQ(Main(Bytes(37510, std::string("ASCII\0\0\0   Hallo Welt  ", 23))), Q("Hallo Welt"));
  EXPECT_EQ(Main(Bytes(37510, std::string("\0\0\0\0\0\0\0\0M\xC3\xBCller", 15))), Q("Müller"));
  EXPECT_EQ(Main(Bytes(37510, std::string("\0\0\0\0\0\0\0\0M\xFCller", 14))), Q("Müller"));
  EXPECT_EQ(Main(Bytes(37510, std::string(8, '\0') + std::string(100, ' '))), QString());
}

TEST_F(SpecialRules, PrintImageMatchingVersion) {
  const std::string pim(
      "PrintIM\0"
      "0300\0\0",
      14);
  EXPECT_EQ(Main(Bytes(50341, pim), 1), Q("3.0"));
  EXPECT_EQ(Main(Bytes(50341, pim)), Q("0300"));
  EXPECT_EQ(Main(Bytes(50341, std::string("PrintIM\0abcd", 12)), 1), Q("0.0"));
  EXPECT_EQ(Main(Bytes(50341, "PrintIM"), 1), Q("0.0"));
}

TEST_F(SpecialRules, GpsVersion) {
  EXPECT_EQ(Gps(Numbers(0, {2, 2, 0, 0}), 1), Q("2.2"));
  EXPECT_EQ(Gps(Numbers(0, {2, 0, 0, 0}), 1), Q("2.0"));
  EXPECT_EQ(Gps(Numbers(0, {2, 2, 0, 0}), 0), Q("2200"));
}

TEST_F(SpecialRules, CoordinatesWithWholeMinutes) {
  const ZetExif whole = Texts(2, {"50/1", "12/1", "3456/100"});
  EXPECT_EQ(Gps(whole, 0), Q("50\u00B0 12' 34.56\""));
  EXPECT_EQ(Gps(whole, 1), Q("50&deg; 12' 34.56\""));
  EXPECT_EQ(Gps(whole, 2), Q("50,2096"));
  EXPECT_EQ(Gps(whole, 3), Q("50&deg; 12.576'"));
  EXPECT_EQ(Gps(whole, 7), Q("50 12' 34.56\""));
  EXPECT_EQ(Gps(Texts(4, {"8/1", "5/1", "0/1"}), 0), Q("8\u00B0 5' 0.00\""));
  EXPECT_EQ(Gps(Texts(20, {"11/1", "52/1", "448019999/10000000"}), 0), Q("11\u00B0 52' 44.80\""));
  context = MakeFormatContext(QLocale(QLocale::English, QLocale::UnitedStates), 1.0);
  EXPECT_EQ(Gps(whole, 2), Q("50.2096"));
}

TEST_F(SpecialRules, CoordinatesWithFractionalMinutes) {
  const ZetExif fractional = Texts(22, {"50/1", "1234/100", "0/1"});
  EXPECT_EQ(Gps(fractional, 0), Q("50\u00B0 12.34'"));
  EXPECT_EQ(Gps(fractional, 1), Q("50&deg; 12' 20.40\""));
  EXPECT_EQ(Gps(fractional, 2), Q("50,2056666666667"));
  EXPECT_EQ(Gps(fractional, 3), Q("50\u00B0 12.34'"));
  // Minutes are the fraction's quotient whatever the denominator.
  EXPECT_EQ(Gps(Texts(2, {"0/1", "22278/1000", "0/1"}), 0), Q("0\u00B0 22.278'"));
  EXPECT_EQ(Gps(Texts(2, {"36/1", "3385/1000", "0/1"}), 1), Q("36&deg; 3' 23.10\""));
}

TEST_F(SpecialRules, CoordinatesThatCannotBeComputed) {
  EXPECT_EQ(Gps(Texts(2, {"50/1", "12/1"}), 0), QString());
  EXPECT_EQ(Gps(Texts(2, {"50/1", "12/1", "1/1", "1/1"}), 0), QString());
  EXPECT_EQ(Gps(Texts(2, {"Nord", "12/1", "0/1"}), 0), Q("Nord"));
  EXPECT_EQ(Gps(Texts(2, {"50/1", "12/0", "0/1"}), 0), Q("50/1"));
  EXPECT_EQ(Gps(Texts(2, {"50/1", "12/1", "0/0"}), 2), Q("50/1"));
  EXPECT_EQ(Gps(Numbers(2, {50, 12, 30}), 0), Q("50\u00B0 12' 30.00\""));  // LONG values as n/1
}

TEST_F(SpecialRules, WrongKindsFallBackToGeneralRules) {
  EXPECT_EQ(Main(Numbers(33434, {1, 125})), Q("1,125"));
  EXPECT_EQ(Main(Texts(37121, {"1230"})), Q("1230"));
  EXPECT_EQ(Main(Texts(37510, {"Kommentar"})), Q("Kommentar"));
  EXPECT_EQ(Main(Texts(33434, {})), QString());
  EXPECT_EQ(Main(Numbers(36864, {}), 1), QString());
  EXPECT_EQ(Gps(Texts(0, {}), 1), QString());
}

}  // namespace
}  // namespace kelmarin
