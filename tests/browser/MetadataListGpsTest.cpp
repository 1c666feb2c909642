// The GPS position of the metadata list: decimal degrees as the coordinates' tooltip, the map.
#include <QFile>
#include <QMenu>
#include <QTest>

#include "Cameras.h"
#include "FileWriters.h"
#include "TestSupport.h"
#include "browser/GpsPosition.h"
#include "browser/MetadataList.h"

namespace kelmarin::test {

namespace {
ListingRow Gps(std::int32_t tag, const char* raw) {
  ListingRow row;
  row.section = 4;
  row.tagNumber = tag;
  row.raw = QString::fromUtf8(raw);
  return row;
}
}  // namespace

class MetadataListGpsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  void degreesFromRaw_data() {
    QTest::addColumn<QString>("raw");
    QTest::addColumn<double>("degrees");  // -1: none
    QTest::newRow("fractions") << QStringLiteral("41/1,5118/100,0/1") << 41.853;
    QTest::newRow("seconds") << QStringLiteral("48/1,9/1,36/1") << 48.16;
    QTest::newRow("degrees only") << QStringLiteral("12.5") << 12.5;
    QTest::newRow("zero denominator") << QStringLiteral("41/0,1/1,0/1") << -1.0;
    QTest::newRow("minutes of 60") << QStringLiteral("41/1,60/1,0/1") << -1.0;
    QTest::newRow("negative") << QStringLiteral("-4/1") << -1.0;
    QTest::newRow("four numbers") << QStringLiteral("1,2,3,4") << -1.0;
    QTest::newRow("text") << QStringLiteral("N") << -1.0;
    QTest::newRow("empty") << QString() << -1.0;
  }
  void degreesFromRaw() {
    QFETCH(QString, raw);
    QFETCH(double, degrees);
    const std::optional<double> got = DegreesFromRaw(raw);
    if (degrees < 0) {
      QVERIFY(!got);
    } else {
      QVERIFY(got);
      QVERIFY(std::abs(*got - degrees) < 1e-9);
    }
  }

  void positionFollowsReferences() {
    std::vector<ListingRow> rows{Gps(1, "S"), Gps(2, "33/1,51/1,36/1"), Gps(3, "W"), Gps(4, "70/1,30/1,0/1")};
    const std::optional<GpsPosition> position = PositionOfRows(rows);
    QVERIFY(position);
    QVERIFY(std::abs(position->latitude + 33.86) < 1e-9);
    QVERIFY(std::abs(position->longitude + 70.5) < 1e-9);
    QCOMPARE(MapUrl(*position).toString(),
             QStringLiteral("https://www.openstreetmap.org/?mlat=-33.860000&mlon=-70.500000#map=15/-33.860000/-70.500000"));
    rows[3] = Gps(4, "190/1");  // beyond 180
    QVERIFY(!PositionOfRows(rows));
    rows.pop_back();
    QVERIFY(!PositionOfRows(rows));
  }

  void tooltipsAndMapInTheWindow() {
    Harness harness;
    samples::Shot shot = samples::SampleShot(samples::Maker::kNikon, 64, 48);
    shot.gps = true;
    QVERIFY(samples::WriteJpeg(QFile::encodeName(harness.Path(QStringLiteral("ort.jpg"))).toStdString(),
                               samples::Landscape(64, 48), 80,
                               {{0xE1, samples::CameraExif(samples::Maker::kNikon, shot, {})}}));
    auto window = harness.Start();
    MetadataList* list = window->Metadata();
    QVERIFY(list->Position());
    QList<QUrl> opened;
    list->openUrl = [&](const QUrl& url) { opened << url; };
    int tips = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
      QTreeWidgetItem* item = list->topLevelItem(i);
      const ListingRow* row = list->Row(item);
      const std::optional<double> degrees = RowDegrees(*row, *list->Position());
      if (!degrees) continue;
      ++tips;
      QCOMPARE(item->toolTip(2), QLocale().toString(*degrees, 'f', 6) + QStringLiteral("°"));
      QVERIFY(item->toolTip(2).contains(QLatin1Char(',')));  // German decimal comma
    }
    QCOMPARE(tips, 2);
    QMenu menu;
    list->FillContextMenu(menu);
    QCOMPARE(menu.actions().last()->text(), QStringLiteral("Karte öffnen"));
    menu.actions().last()->trigger();
    QCOMPARE(opened, QList<QUrl>{MapUrl(*list->Position())});

    list->SetRows({});
    QMenu without;
    list->FillContextMenu(without);
    QVERIFY(!without.actions().contains(list->MapAction()));
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::MetadataListGpsTest)
#include "MetadataListGpsTest.moc"
