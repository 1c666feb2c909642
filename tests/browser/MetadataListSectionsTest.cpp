// The sections of the metadata list beyond EXIF: the GPS position (tooltips, map), the IPTC datasets
// with their German names and the image's comments.
#include <QFile>
#include <QMenu>
#include <QTest>

#include "Cameras.h"
#include "FileWriters.h"
#include "TestSupport.h"
#include "browser/FileList.h"
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

class MetadataListSectionsTest : public QObject {
  Q_OBJECT

 private:
  static QStringList Row(QTreeWidgetItem* item) {
    return {item->text(0), item->text(1), item->text(2), item->text(3)};
  }

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  void degreesFromRaw_data() {
    QTest::addColumn<QString>("raw");
    QTest::addColumn<double>("degrees");  // -1: none
    QTest::newRow("fractions") << QStringLiteral("41/1,5118/100,0/1") << 41.853;
    QTest::newRow("seconds") << QStringLiteral("48/1,9/1,36/1") << 48.16;
    QTest::newRow("zero denominator") << QStringLiteral("41/0,1/1,0/1") << -1.0;
    QTest::newRow("minutes of 60") << QStringLiteral("41/1,60/1,0/1") << -1.0;
    QTest::newRow("four numbers") << QStringLiteral("1,2,3,4") << -1.0;
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


  void iptcAndCommentsFollowGps() {
    Harness harness;
    samples::Shot shot = samples::SampleShot(samples::Maker::kNikon, 64, 48);
    shot.gps = true;
    const std::vector<samples::Segment> segments{
        {0xE1, samples::CameraExif(samples::Maker::kNikon, shot, {})},
        {0xED, samples::IptcPayload({{5, "Hafen"}, {250, "Eigenes"}})},
        samples::Comment("Abendlicht")};
    QVERIFY(samples::WriteJpeg(QFile::encodeName(harness.Path(QStringLiteral("hafen.jpg"))).toStdString(),
                               samples::Landscape(64, 48), 80, segments));
    // Without EXIF, IPTC or comments: no such sections.
    QVERIFY(samples::WriteJpeg(QFile::encodeName(harness.Path(QStringLiteral("leer.jpg"))).toStdString(),
                               samples::Landscape(64, 48), 80));
    auto window = harness.Start();
    MetadataList* list = window->Metadata();
    const auto gps = list->findItems(QStringLiteral("Sektion GPS"), Qt::MatchExactly, 1);
    const auto iptc = list->findItems(QStringLiteral("Sektion IPTC"), Qt::MatchExactly, 1);
    const auto comments = list->findItems(QStringLiteral("Sektion Kommentare"), Qt::MatchExactly, 1);
    QCOMPARE(gps.size(), 1);
    QCOMPARE(iptc.size(), 1);
    QCOMPARE(comments.size(), 1);
    const int at = list->indexOfTopLevelItem(iptc.front());
    QVERIFY(at > list->indexOfTopLevelItem(gps.front()));
    QCOMPARE(iptc.front()->foreground(1).color(), QColor(255, 0, 0));
    QCOMPARE(Row(list->topLevelItem(at - 1)), QStringList(4));
    QCOMPARE(Row(list->topLevelItem(at + 1)),
             (QStringList{QStringLiteral("5"), QStringLiteral("Objektname (Titel)"), QStringLiteral("Hafen"), {}}));
    QCOMPARE(Row(list->topLevelItem(at + 2)),
             (QStringList{QStringLiteral("250"), QStringLiteral("???"), QStringLiteral("Eigenes"), {}}));
    const int commentAt = list->indexOfTopLevelItem(comments.front());
    QCOMPARE(commentAt, at + 4);
    QCOMPARE(list->topLevelItem(commentAt + 1)->text(2), QStringLiteral("Abendlicht"));
    QCOMPARE(list->topLevelItemCount(), commentAt + 2);

    // GPS: the coordinates' tooltips in decimal degrees (German comma), the map of the position.
    QVERIFY(list->Position());
    QStringList tips;
    for (int i = 0; i < list->topLevelItemCount(); ++i) tips << list->topLevelItem(i)->toolTip(2);
    tips.removeAll(QString());
    QCOMPARE(tips, (QStringList{DecimalDegreesText(list->Position()->latitude),
                                DecimalDegreesText(list->Position()->longitude)}));
    QVERIFY(tips.front().contains(QLatin1Char(',')));
    QList<QUrl> opened;
    list->openUrl = [&](const QUrl& url) { opened << url; };
    QMenu menu;
    list->FillContextMenu(menu);
    QCOMPARE(menu.actions().last(), list->MapAction());
    menu.actions().last()->trigger();
    QCOMPARE(opened, QList<QUrl>{MapUrl(*list->Position())});

    // The search finds datasets by name and keeps their title.
    list->SetFilter({QStringLiteral("objektname"), false});
    QCOMPARE(ItemTexts(list), (QStringList{QString(), QStringLiteral("5")}));
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("Sektion IPTC"));
    list->SetFilter({});

    ClickItem(window->Files(), window->Files()->findItems(QStringLiteral("leer.jpg"), Qt::MatchExactly).value(0));
    QVERIFY(list->findItems(QStringLiteral("Sektion IPTC"), Qt::MatchExactly, 1).isEmpty());
    QVERIFY(list->findItems(QStringLiteral("Sektion Kommentare"), Qt::MatchExactly, 1).isEmpty());
    QVERIFY(!list->Position());
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::MetadataListSectionsTest)
#include "MetadataListSectionsTest.moc"
