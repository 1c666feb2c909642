// The sections after GPS: the IPTC datasets with their German names and the image's comments.
#include <QFile>
#include <QTest>

#include "Cameras.h"
#include "FileWriters.h"
#include "TestSupport.h"
#include "browser/FileList.h"
#include "browser/MetadataList.h"

namespace kelmarin::test {

class MetadataListSectionsTest : public QObject {
  Q_OBJECT

 private:
  static QStringList Row(QTreeWidgetItem* item) {
    return {item->text(0), item->text(1), item->text(2), item->text(3)};
  }

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

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

    // The search finds datasets by name and keeps their title.
    list->SetFilter({QStringLiteral("objektname"), false});
    QCOMPARE(ItemTexts(list), (QStringList{QString(), QStringLiteral("5")}));
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("Sektion IPTC"));
    list->SetFilter({});

    ClickItem(window->Files(), window->Files()->findItems(QStringLiteral("leer.jpg"), Qt::MatchExactly).value(0));
    QVERIFY(list->findItems(QStringLiteral("Sektion IPTC"), Qt::MatchExactly, 1).isEmpty());
    QVERIFY(list->findItems(QStringLiteral("Sektion Kommentare"), Qt::MatchExactly, 1).isEmpty());
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::MetadataListSectionsTest)
#include "MetadataListSectionsTest.moc"
