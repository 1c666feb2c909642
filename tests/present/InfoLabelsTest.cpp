#include <gtest/gtest.h>

#include "PresentTestSupport.h"
#include "present/InfoLabels.h"

namespace kelmarin {
namespace {

using test::German;
using test::Q;

// The usual texts are checked in the information panel and the lister.
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
