// The search bar above the metadata list: typing filters, titles stay, Esc empties, "???" rows hide.
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include "Cameras.h"
#include "FileWriters.h"
#include "TestSupport.h"
#include "browser/FileList.h"
#include "browser/MetadataFilter.h"
#include "browser/MetadataList.h"
#include "browser/MetadataSearchBar.h"

namespace kelmarin::test {

namespace {

ListingRow Item(int section, const char* tag, const char* label, const char* info, const char* raw) {
  ListingRow row;
  row.section = section;
  row.tag = QString::fromUtf8(tag);
  row.label = QString::fromUtf8(label);
  row.information = QString::fromUtf8(info);
  row.raw = QString::fromUtf8(raw);
  return row;
}

ListingRow Mark(RowKind kind, int section, const char* label = "") {
  ListingRow row;
  row.kind = kind;
  row.section = section;
  row.label = QString::fromUtf8(label);
  return row;
}

}  // namespace

class MetadataListSearchTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  void filterRowsKeepsTitlesOfMatches_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("hideUnknown");
    QTest::addColumn<QString>("shown");  // row positions
    QTest::newRow("none") << QString() << false << "0 1 2 3 4 5 6 7";
    QTest::newRow("tag") << "271" << false << "0 1";
    QTest::newRow("label, any case") << "BELICHTUNG" << false << "0 2 3 4 5";
    QTest::newRow("information") << "nord" << false << "6 7";  // no empty row first
    QTest::newRow("raw") << "0x1f" << false << "4 5";
    QTest::newRow("unknown hidden") << QString() << true << "0 1 2 6 7";
    QTest::newRow("unknown hidden, text") << "zz" << true << "";
    QTest::newRow("nothing") << "qqq" << false << "";
  }
  void filterRowsKeepsTitlesOfMatches() {
    QFETCH(QString, text);
    QFETCH(bool, hideUnknown);
    QFETCH(QString, shown);
    const std::vector<ListingRow> rows{Mark(RowKind::Header, 1, "Sektion Main"),
                                       Item(1, "271", "Hersteller", "Canon", "Canon"),
                                       Item(1, "33434", "Belichtungszeit", "1/250 s", "1/250"),
                                       Mark(RowKind::Separator, 3),
                                       Mark(RowKind::Header, 3, "Sektion Makernote"),
                                       Item(3, "7", "???", "zz belichtung", "0x1f"),
                                       Mark(RowKind::Header, 4, "Sektion GPS"),
                                       Item(4, "1", "Breite", "Nord", "N")};
    QStringList got;
    for (std::size_t i : FilterRows(rows, {text, hideUnknown})) got << QString::number(i);
    QCOMPARE(got.join(QLatin1Char(' ')), shown);
  }

  void typingFiltersAndSurvivesTheNextImage() {
    Harness harness;
    const samples::Shot shot = samples::SampleShot(samples::Maker::kCanon, 64, 48);
    const samples::Bytes exif = samples::CameraExif(samples::Maker::kCanon, shot, {});
    for (const char* name : {"a.jpg", "b.jpg"}) {
      QVERIFY(samples::WriteJpeg(QFile::encodeName(harness.Path(QString::fromLatin1(name))).toStdString(),
                                 samples::Landscape(64, 48), 80, {{0xE1, exif}}));
    }
    auto window = harness.Start();
    MetadataList* list = window->Metadata();
    MetadataSearchBar* bar = window->Search();
    const int all = list->topLevelItemCount();
    QVERIFY(all > 10);
    QVERIFY(bar->isVisible() && bar->geometry().bottom() < list->geometry().top());
    QCOMPARE(bar->Field()->placeholderText(), QStringLiteral("Suchen …"));

    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(bar->Field()->hasFocus());
    QTest::keyClicks(bar->Field(), QStringLiteral("MODELL"));
    const QStringList shown = ItemTexts(list);
    QVERIFY(shown.size() >= 2 && shown.size() < all);
    QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("Sektion Main"));
    QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("272"));

    // The next image keeps the filter.
    ClickItem(window->Files(), window->Files()->topLevelItem(1));
    QCOMPARE(ItemTexts(list), shown);

    QTest::keyClick(bar->Field(), Qt::Key_Escape);
    QVERIFY(bar->Field()->text().isEmpty());
    QCOMPARE(list->topLevelItemCount(), all);

    // "???" rows go with the check box, and come back.
    const int unknown = static_cast<int>(list->findItems(QStringLiteral("???"), Qt::MatchExactly, 1).size());
    bar->HideUnknown()->click();
    QVERIFY(list->findItems(QStringLiteral("???"), Qt::MatchExactly, 1).isEmpty());
    QVERIFY(list->topLevelItemCount() <= all - unknown);
    bar->HideUnknown()->click();
    QCOMPARE(list->topLevelItemCount(), all);
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::MetadataListSearchTest)
#include "MetadataListSearchTest.moc"
