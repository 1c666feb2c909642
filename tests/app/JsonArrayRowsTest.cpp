// JSON rows of single list values keep a numeric tag and carry their position.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "TestFiles.h"

namespace kelmarin {
namespace {

TEST(JsonArrayRows, PositionRowsCarryTheirPosition) {
  const std::string file = std::string(KELMARIN_SAMPLES_DIR) + "/canon-eos-5d-mark-ii.jpg";
  const auto r = test::RunCommand(std::string("'") + KELMARIN_EXIF + "' --json '" + file + "'",
                                  std::filesystem::temp_directory_path());
  ASSERT_EQ(r.status, 0) << r.err;
  const QJsonArray sections = QJsonDocument::fromJson(QByteArray::fromStdString(r.out))[0][u"sections"].toArray();
  const QJsonArray items = sections[2][u"items"].toArray();  // main, thumbnail, makernote, GPS
  ASSERT_GE(items.size(), 2);
  EXPECT_EQ(items[0][u"tag"].toInt(), 1);
  EXPECT_FALSE(items[0].toObject().contains(u"position"));
  EXPECT_EQ(items[1][u"tag"].toInt(), 1);
  EXPECT_EQ(items[1][u"position"].toInt(), 2);
}

}  // namespace
}  // namespace kelmarin
