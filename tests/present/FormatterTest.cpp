// The general rules of the value formatter and its dispatch.
#include <gtest/gtest.h>

#include <QDateTime>
#include <limits>

#include "PresentTestSupport.h"
#include "present/DateText.h"
#include "present/Formatter.h"

namespace kelmarin {
namespace {

using test::Bytes;
using test::German;
using test::Numbers;
using test::Q;
using test::Texts;

class GeneralRules : public ::testing::Test {
 protected:
  QString Main(const ZetExif& item) { return FormatValue(tables.defs, context, 0, item, kSectionMain); }
  QString Section(std::int32_t section, const ZetExif& item, std::int32_t maker = 0) {
    return FormatValue(tables.defs, context, maker, item, section);
  }

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
  EXPECT_EQ(Main(Numbers(999, {3})), Q("3"));         // no definition
  tables.Main(1000, 0).addnice(-1, "minus eins");
  EXPECT_EQ(Main(Numbers(1000, {-1})), Q("minus eins"));
  EXPECT_EQ(Main(Numbers(1000, {4294967295})), Q("4294967295"));
}

TEST_F(GeneralRules, ListsStopAtTenWithCount) {
  EXPECT_EQ(Main(Numbers(5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10})), Q("1,2,3,4,5,6,7,8,9,10"));
  EXPECT_EQ(Main(Numbers(5, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11})), Q("1,2,3,4,5,6,7,8,9,10,...(11)"));
  ZetExif many = Numbers(5, {});
  for (int i = 1; i <= 24; ++i) many.inhalt.emplace_back(std::int64_t{i});
  EXPECT_EQ(Main(many), Q("1,2,3,4,5,6,7,8,9,10,...(24)"));
  tables.Main(6, 11);
  ZetExif lengths = Numbers(6, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  EXPECT_EQ(Main(lengths), Q("1mm,2mm,3mm,4mm,5mm,6mm,7mm,8mm,9mm,10mm"));  // no count with units
}

TEST_F(GeneralRules, CharactersDigitsAndUtf16) {
  tables.Main(10, 1);
  tables.Main(11, 2);
  tables.Main(12, 3);
  EXPECT_EQ(Main(Numbers(10, {65, 0, 66, 200})), Q("A_B\u00C8"));
  EXPECT_EQ(Main(Numbers(10, {128, 31, 256, -1})), Q("\u20AC___"));  // Windows-1252 euro sign
  EXPECT_EQ(Main(Numbers(11, {0, 2, 2, 0})), Q("0220"));
  EXPECT_EQ(Main(Numbers(11, {1, 10, 255})), Q("1__"));
  EXPECT_EQ(Main(Numbers(12, {'H', 0, 'i', 0, 0, 0, 'x', 0})), Q("Hi"));
  EXPECT_EQ(Main(Numbers(12, {0xFC, 0, 'x'})), Q("\u00FC"));  // last odd byte ignored
  EXPECT_EQ(Main(Numbers(12, {})), QString());
}

TEST_F(GeneralRules, WholeNumbersWithUnits) {
  const char* expected[] = {"35,50,105", "35mm,50mm,105mm", "35cm,50cm,105cm", "35dm,50dm,105dm",
                            "35m,50m,105m"};
  for (int code = 10; code <= 14; ++code) {
    tables.Main(100 + code, code);
    EXPECT_EQ(Main(Numbers(100 + code, {35, 50, 105})), Q(expected[code - 10])) << code;
  }
  tables.Main(99, 16);
  EXPECT_EQ(Main(Numbers(99, {35})), QString());  // unknown code
}

TEST_F(GeneralRules, FractionsWithUnitsInPointForm) {
  const char* expected[] = {"15.5", "16mm", "15.5cm", "15.50dm", "15.500m"};
  for (int code = 10; code <= 14; ++code) {
    tables.Main(200 + code, code);
    EXPECT_EQ(Main(Texts(200 + code, {"155/10"})), Q(expected[code - 10])) << code;
  }
  EXPECT_EQ(Main(Texts(212, {"7/0"})), Q("7/0"));
  EXPECT_EQ(Main(Texts(212, {"7"})), QString());
  EXPECT_EQ(Main(Texts(212, {"1/2/3"})), QString());
  EXPECT_EQ(Main(Texts(212, {"a/2"})), QString());
  EXPECT_EQ(Main(Texts(212, {"-1/3"})), Q("-0.3cm"));
  EXPECT_EQ(Main(Texts(210, {"4294967295/1"})), Q("4294967295.0"));
}

TEST_F(GeneralRules, CommaLocaleStillGivesPoint) {
  tables.Main(210, 10);
  for (QLocale locale : {German(), QLocale(QLocale::French, QLocale::France), QLocale::c()}) {
    context = MakeFormatContext(locale, 1.0);
    EXPECT_EQ(Main(Texts(210, {"155/10"})), Q("15.5")) << locale.name().toStdString();
  }
  EXPECT_EQ(DecimalSeparator(German()), Q(","));
  EXPECT_EQ(DecimalSeparator(QLocale::c()), Q("."));
}

TEST_F(GeneralRules, HandMadeContextTakesTheLocaleForms) {
  FormatContext bare;
  bare.locale = German();
  bare.decimalSeparator = Q(",");
  tables.Main(306, 1);
  tables.Main(210, 10);
  EXPECT_EQ(FormatValue(tables.defs, bare, 0, Texts(306, {"2004:12:24 18:30:00"}), kSectionMain),
            Q("24.12.2004 18:30:00"));
  EXPECT_EQ(FormatValue(tables.defs, bare, 0, Texts(210, {"155/10"}), kSectionMain), Q("15.5"));
}

TEST_F(GeneralRules, DatesByCharacterPosition) {
  tables.Main(306, 1);
  EXPECT_EQ(Main(Texts(306, {"2004:12:24 18:30:00"})), Q("24.12.2004 18:30:00"));
  EXPECT_EQ(Main(Texts(306, {"2004:12:24 00:00:00"})), Q("24.12.2004"));
  EXPECT_EQ(Main(Texts(306, {"2004-12-24T08:05:09"})), Q("24.12.2004 08:05:09"));  // separators ignored
  EXPECT_EQ(Main(Texts(306, {"2004:13:01 10:00:00"})), Q("01.01.2005 10:00:00"));
  EXPECT_EQ(Main(Texts(306, {"2004:03:00 10:00:00"})), Q("29.02.2004 10:00:00"));
  EXPECT_EQ(Main(Texts(306, {"2004:12:31 24:00:00"})), Q("01.01.2005"));
  EXPECT_EQ(Main(Texts(306, {"0029:01:01 12:00:00"})), Q("01.01.2029 12:00:00"));
  EXPECT_EQ(Main(Texts(306, {"0030:01:01 12:00:00"})), Q("01.01.1930 12:00:00"));
  for (const char* raw : {"    :  :     :  :  ", "2004:12:24 18:30", "", "abcd:12:24 18:30:00",
                          "9999:12:31 24:00:00", "-999:01:01 00:00:00"}) {
    EXPECT_EQ(Main(Texts(306, {raw})), Q(raw)) << raw;
  }
  EXPECT_EQ(Main(Texts(306, {"0000:00:00 00:00:00"})), Q("0000:00:00 00:00:00"));
}

TEST_F(GeneralRules, TextsAreUtf8OrWindows1252) {
  EXPECT_EQ(Main(Texts(315, {"M\xC3\xBCller"})), Q("Müller"));
  EXPECT_EQ(Main(Texts(315, {"M\xFCller"})), Q("Müller"));
  EXPECT_EQ(Main(Texts(315, {"\x80 5", "second"})), Q("€ 5"));  // further texts not shown
  EXPECT_EQ(ImageText(std::string("a\0b", 3)), Q("a") + QChar(u'\0') + Q("b"));
}

TEST_F(GeneralRules, DispatchBySection) {
  tables.Makernote(2, 7, 0).addnice(1, "an");
  EXPECT_EQ(Section(kSectionMakernote, Numbers(7, {1}), 2), Q("an"));
  EXPECT_EQ(Section(kSectionMakernote, Numbers(7, {1}), 0), QString());  // no layout: nothing
  EXPECT_EQ(Section(kSectionMakernote, Texts(7, {"x"}), 0), QString());
  tables.Thumbnail(33434, 0);
  EXPECT_EQ(Section(kSectionThumbnail, Texts(33434, {"1/125"})), Q("1/125"));  // no special rule
  EXPECT_EQ(Section(kSectionThumbnail, Texts(33437, {"28/10"})), Q("28/10"));
  tables.Gps(5, 0).addnice(0, "über dem Meeresspiegel");
  EXPECT_EQ(Section(kSectionGps, Numbers(5, {0})), Q("über dem Meeresspiegel"));
  EXPECT_EQ(Section(7, Numbers(5, {0})), Q("0"));
}

TEST_F(GeneralRules, OddItemsNeverFail) {
  ZetExif empty;
  EXPECT_EQ(Main(empty), QString());
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

namespace kelmarin {
namespace {

// The date and time texts equal what QLocale itself makes of the locale's forms, in every locale.
TEST(DateText, SameAsTheLocaleInEveryLocale) {
  const QDateTime moment(QDate(2004, 2, 9), QTime(8, 5, 3), Qt::UTC);
  const QList<QLocale> locales =
      QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
  for (const QLocale& locale : locales) {
    const QString expected = locale.toString(moment.date(), ShortDateFormat(locale)) + QLatin1Char(' ') +
                             locale.toString(moment.time(), LongTimeFormat(locale));
    EXPECT_EQ(ExifDateText(QStringLiteral("2004:02:09 08:05:03"), locale), expected)
        << locale.name().toStdString();
  }
}

}  // namespace
}  // namespace kelmarin
