// The JSON form of the rows of single list values: their tag stays a number, the position and the
// makernote sub-directory come as fields of their own.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>

#include "TestFiles.h"

namespace kelmarin {
namespace {

TEST(JsonArrayRows, PositionRowsCarryTheirPosition) {
  const std::filesystem::path samples = KELMARIN_SAMPLES_DIR;
  const test::RunResult r = test::RunCommand(
      std::string("LC_ALL=C '") + KELMARIN_EXIF + "' --json '" + (samples / "canon-eos-5d-mark-ii.jpg").string() + "'",
      std::filesystem::temp_directory_path());
  ASSERT_EQ(r.status, 0) << r.err;
  const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out));
  const QJsonArray sections = doc.array()[0].toObject()[QStringLiteral("sections")].toArray();
  QJsonArray items;
  for (const auto& section : sections) {
    if (section.toObject()[QStringLiteral("section")].toInt() == 3)
      items = section.toObject()[QStringLiteral("items")].toArray();
  }
  ASSERT_GE(items.size(), 3);
  // Canon's camera settings, then the sub-row of its second value (the macro mode).
  const QJsonObject list = items[0].toObject();
  const QJsonObject value = items[1].toObject();
  EXPECT_EQ(list[QStringLiteral("tag")].toInt(), 1);
  EXPECT_FALSE(list.contains(QStringLiteral("position")));
  EXPECT_FALSE(list.contains(QStringLiteral("directory")));
  EXPECT_EQ(value[QStringLiteral("tag")].toInt(), 1);
  EXPECT_EQ(value[QStringLiteral("position")].toInt(), 2);
  EXPECT_EQ(value[QStringLiteral("label")].toString(), QStringLiteral("Makromodus"));
}

}  // namespace
}  // namespace kelmarin
