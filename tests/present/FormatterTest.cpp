// The general rules of the value formatter and its dispatch.
#include <gtest/gtest.h>

#include <QDateTime>
#include <limits>

#include "PresentTestSupport.h"
#include "present/DateText.h"
#include "present/Formatter.h"

namespace kelmarin {
namespace {

using test::German;
using test::Numbers;
using test::Q;
using test::Texts;

class GeneralRules : public ::testing::Test {
 protected:
  QString Main(const ZetExif& item) { return FormatValue(tables.defs, context, 0, item, kSectionMain); }
  void Expect(std::initializer_list<test::Case> cases) { test::ExpectTexts(context, kSectionMain, cases); }

  test::Tables tables;
  FormatContext context = MakeFormatContext(German(), 1.0);
};

TEST_F(GeneralRules, ValueNamesFirstMatchInStoredOrder) {
  ExifTag& tag = tables.Main(41992, 0);
  tag.addnice(1, "normal");
  tag.addnice(3, "hoch");
  tag.addnice(3, "sehr hoch");
  EXPECT_EQ(Main(Numbers(41992, {3})), Q("hoch"));
  EXPECT_EQ(Main(Numbers(41992, {7})), Q("7"));
  EXPECT_EQ(Main(Numbers(41992, {3, 1})), Q("3,1"));  // value names only for one value
  tables.Main(1000, 0).addnice(-1, "minus eins");
  EXPECT_EQ(Main(Numbers(1000, {-1})), Q("minus eins"));
  EXPECT_EQ(Main(Numbers(1000, {4294967295})), Q("4294967295"));
}

TEST_F(GeneralRules, ListsCharactersDigitsAndUtf16) {
  ZetExif many = Numbers(5, {});
  for (int i = 1; i <= 24; ++i) many.inhalt.emplace_back(std::int64_t{i});
  Expect({{Numbers(5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), -1, "1,2,3,4,5,6,7,8,9,10"},
          {Numbers(5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), -1, "1,2,3,4,5,6,7,8,9,10,...(11)"},
          {many, -1, "1,2,3,4,5,6,7,8,9,10,...(24)"},
          {Numbers(6, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), 11, "1mm,2mm,3mm,4mm,5mm,6mm,7mm,8mm,9mm,10mm"},
          {Numbers(10, {65, 0, 66, 200}), 1, "A_BÈ"},
          {Numbers(10, {128, 31, 256, -1}), 1, "€___"},
          {Numbers(11, {0, 2, 2, 0}), 2, "0220"},
          {Numbers(11, {1, 10, 255}), 2, "1__"},
          {Numbers(12, {'H', 0, 'i', 0, 0, 0, 'x', 0}), 3, "Hi"},
          {Numbers(12, {0xFC, 0, 'x'}), 3, "ü"},  // last odd byte ignored
          {Numbers(12, {}), 3, ""},
          {Numbers(99, {35}), 16, ""}});
}

TEST_F(GeneralRules, NumbersAndFractionsWithUnits) {
  const char* whole[] = {"35,50,105", "35mm,50mm,105mm", "35cm,50cm,105cm", "35dm,50dm,105dm",
                         "35m,50m,105m"};
  const char* fraction[] = {"15.5", "16mm", "15.5cm", "15.50dm", "15.500m"};
  for (int code = 10; code <= 14; ++code) {
    Expect({{Numbers(100 + code, {35, 50, 105}), code, whole[code - 10]},
            {Texts(200 + code, {"155/10"}), code, fraction[code - 10]}});
  }
  Expect({{Texts(212, {"7/0"}), 12, "7/0"},
          {Texts(212, {"7"}), 12, ""},
          {Texts(212, {"1/2/3"}), 12, ""},
          {Texts(212, {"a/2"}), 12, ""},
          {Texts(212, {"-1/3"}), 12, "-0.3cm"},
          {Texts(210, {"4294967295/1"}), 10, "4294967295.0"}});
  // A comma locale still gives a point; a hand-made context takes the locale's forms.
  for (QLocale locale : {German(), QLocale(QLocale::French, QLocale::France), QLocale::c()}) {
    test::ExpectTexts(MakeFormatContext(locale, 1.0), kSectionMain, {{Texts(210, {"155/10"}), 10, "15.5"}});
  }
  EXPECT_EQ(DecimalSeparator(German()), Q(","));
  EXPECT_EQ(DecimalSeparator(QLocale::c()), Q("."));
  FormatContext bare;
  bare.locale = German();
  bare.decimalSeparator = Q(",");
  test::ExpectTexts(bare, kSectionMain,
                    {{Texts(306, {"2004:12:24 18:30:00"}), 1, "24.12.2004 18:30:00"},
                     {Texts(210, {"155/10"}), 10, "15.5"}});
}

TEST_F(GeneralRules, DatesByCharacterPosition) {
  Expect({{Texts(306, {"2004:12:24 18:30:00"}), 1, "24.12.2004 18:30:00"},
          {Texts(306, {"2004:12:24 00:00:00"}), 1, "24.12.2004"},
          {Texts(306, {"2004-12-24T08:05:09"}), 1, "24.12.2004 08:05:09"},  // separators ignored
          {Texts(306, {"2004:13:01 10:00:00"}), 1, "01.01.2005 10:00:00"},
          {Texts(306, {"2004:03:00 10:00:00"}), 1, "29.02.2004 10:00:00"},
          {Texts(306, {"2004:12:31 24:00:00"}), 1, "01.01.2005"},
          {Texts(306, {"0029:01:01 12:00:00"}), 1, "01.01.2029 12:00:00"},
          {Texts(306, {"0030:01:01 12:00:00"}), 1, "01.01.1930 12:00:00"},
          {Texts(306, {"0000:00:00 00:00:00"}), 1, "0000:00:00 00:00:00"}});
  for (const char* raw : {"    :  :     :  :  ", "2004:12:24 18:30", "", "abcd:12:24 18:30:00",
                          "9999:12:31 24:00:00", "-999:01:01 00:00:00"}) {
    Expect({{Texts(306, {raw}), 1, raw}});
  }
}

TEST_F(GeneralRules, TextsAreUtf8OrWindows1252) {
  Expect({{Texts(315, {"M\xC3\xBCller"}), -1, "Müller"},
          {Texts(315, {"M\xFCller"}), -1, "Müller"},
          {Texts(315, {"\x80 5", "second"}), -1, "€ 5"}});  // further texts not shown
  EXPECT_EQ(ImageText(std::string("a\0b", 3)), Q("a") + QChar(u'\0') + Q("b"));
}

TEST_F(GeneralRules, DispatchBySection) {
  tables.Makernote(2, 7, 0).addnice(1, "an");
  tables.Thumbnail(33434, 0);
  tables.Gps(5, 0).addnice(0, "über dem Meeresspiegel");
  const auto section = [&](std::int32_t s, const ZetExif& item, std::int32_t maker = 0) {
    return FormatValue(tables.defs, context, maker, item, s);
  };
  EXPECT_EQ(section(kSectionMakernote, Numbers(7, {1}), 2), Q("an"));
  EXPECT_EQ(section(kSectionMakernote, Numbers(7, {1})), QString());  // no layout: nothing
  EXPECT_EQ(section(kSectionMakernote, Texts(7, {"x"})), QString());
  EXPECT_EQ(section(kSectionThumbnail, Texts(33434, {"1/125"})), Q("1/125"));  // no special rule
  EXPECT_EQ(section(kSectionThumbnail, Texts(33437, {"28/10"})), Q("28/10"));
  EXPECT_EQ(section(kSectionGps, Numbers(5, {0})), Q("über dem Meeresspiegel"));
  EXPECT_EQ(section(7, Numbers(5, {0})), Q("0"));
}

TEST_F(GeneralRules, OddItemsNeverFail) {
  EXPECT_EQ(Main(ZetExif()), QString());
  for (std::int32_t typ : {0, 1, 4, 7, -1}) {
    for (std::int32_t code : {0, 1, 2, 3, 10, 11, 12, 13, 14, 99, -5}) {
      tables.defs.mainTags.clear();
      tables.Main(1, code);
      ZetExif item;
      item.tag = 1;
      item.typ = typ;
      (void)Main(item);
      item.inhalt = {std::int64_t{std::numeric_limits<std::int64_t>::min()}, std::string("1/0"),
                     std::string("\xFF\xFE"), std::int64_t{std::numeric_limits<std::int64_t>::max()}};
      (void)Main(item);
    }
  }
  ZetExif mixed = Numbers(2, {});
  mixed.inhalt = {std::string("x"), std::int64_t{1}};
  EXPECT_EQ(Main(mixed), Q("x,1"));
  ZetExif other;
  other.typ = 9;
  other.inhalt = {std::string("abc")};
  EXPECT_EQ(Main(other), Q("abc"));
}

}  // namespace
}  // namespace kelmarin
