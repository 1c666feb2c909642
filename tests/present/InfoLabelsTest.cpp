#include <gtest/gtest.h>

#include "PresentTestSupport.h"
#include "present/InfoLabels.h"

namespace kelmarin {
namespace {

using test::German;
using test::Q;

TEST(InfoLabels, GermanTexts) {
  const QDateTime modified(QDate(2004, 12, 24), QTime(18, 5, 9));
  const InfoLabels labels =
      MakeInfoLabels(German(), Q("urlaub01"), Q("jpg"), modified, 1234567, 1600, 1200, 85);
  EXPECT_EQ(labels.name, Q("urlaub01.jpg"));
  EXPECT_EQ(labels.modified, Q("zuletzt geändert: Freitag, 24.12.2004 18:05:09"));
  EXPECT_EQ(labels.size, Q("Dateigröße: 1.234.567 Bytes"));
  EXPECT_EQ(labels.dimensions, Q("Bildausdehnung: 1600 x 1200 Pixel"));
  EXPECT_EQ(labels.loadtime, Q("Ladezeit: 85 Millisekunden"));
}

TEST(InfoLabels, EdgeValues) {
  const QDateTime morning(QDate(2024, 3, 4), QTime(7, 0, 0));
  const InfoLabels labels = MakeInfoLabels(German(), Q("ohne"), QString(), morning, 0, 0, 0, 0);
  EXPECT_EQ(labels.name, Q("ohne"));
  EXPECT_EQ(labels.modified, Q("zuletzt geändert: Montag, 4.3.2024 7:00:00"));
  EXPECT_EQ(labels.size, Q("Dateigröße: 0 Bytes"));
  EXPECT_EQ(MakeInfoLabels(German(), Q("a"), Q("b"), QDateTime(), 999, 1, 1, 1).modified,
            Q("zuletzt geändert: "));
  const QLocale finnish(QLocale::Finnish, QLocale::Finland);
  EXPECT_TRUE(MakeInfoLabels(finnish, Q("a"), Q("b"), morning, 1, 1, 1, 1).modified.endsWith(Q("7.00.00")));
}

}  // namespace
}  // namespace kelmarin
