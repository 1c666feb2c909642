// The metadata list: the search bar's filter, copying and the CSV and JSON exports, the sections
// beyond EXIF (GPS position and map, IPTC datasets, comments), column widths and tooltips.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMenu>

#include "TestSupport.h"
#include "browser/GpsPosition.h"
#include "browser/MetadataExport.h"
#include "browser/MetadataSearchBar.h"

namespace kelmarin::test {

namespace {

ListingRow Row(int section, const char* tag, const char* label, const char* info = "", const char* raw = "",
               RowKind kind = RowKind::Item) {
  ListingRow row;
  row.kind = kind;
  row.section = section;
  row.tag = U(tag);
  row.label = U(label);
  row.information = U(info);
  row.raw = U(raw);
  row.tagNumber = row.tag.toInt();
  return row;
}

QStringList Columns(QTreeWidgetItem* item) {
  return {item->text(0), item->text(1), item->text(2), item->text(3)};
}

QList<QTreeWidgetItem*> Find(MetadataList* list, const char* text, int column = 1) {
  return list->findItems(U(text), Qt::MatchExactly, column);
}

}  // namespace

class MetadataListTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  void rowFilterCsvFieldsAndPosition() {
    // Matches by tag, label (any case), information or raw value keep the title of their section and
    // the empty row before it (not before the first shown); "???" rows can be hidden.
    const std::vector<ListingRow> rows{Row(1, "", "Sektion Main", "", "", RowKind::Header),
                                       Row(1, "271", "Hersteller", "Canon", "Canon"),
                                       Row(1, "33434", "Belichtungszeit", "1/250 s", "1/250"),
                                       Row(3, "", "", "", "", RowKind::Separator),
                                       Row(3, "", "Sektion Makernote", "", "", RowKind::Header),
                                       Row(3, "7", "???", "zz belichtung", "0x1f"),
                                       Row(4, "", "Sektion GPS", "", "", RowKind::Header),
                                       Row(4, "1", "Breite", "Nord", "N")};
    for (const auto& [text, hideUnknown, shown] : {std::tuple{"", false, "0 1 2 3 4 5 6 7"},
                                                   {"271", false, "0 1"},
                                                   {"BELICHTUNG", false, "0 2 3 4 5"},
                                                   {"nord", false, "6 7"},
                                                   {"0x1f", false, "4 5"},
                                                   {"", true, "0 1 2 6 7"},
                                                   {"zz", true, ""},
                                                   {"qqq", false, ""}}) {
      QStringList got;
      for (std::size_t i : FilterRows(rows, {U(text), hideUnknown})) got << QString::number(i);
      QCOMPARE(got.join(QLatin1Char(' ')), U(shown));
    }
    for (const auto& [text, field] : {std::pair{"1/250 s", "1/250 s"},
                                      {"a;b", "\"a;b\""},
                                      {"5\" Zoll", "\"5\"\" Zoll\""},
                                      {"a\nb", "\"a\nb\""},
                                      {" a", "\" a\""}})
      QCOMPARE(CsvField(U(text)), U(field));
    for (const auto& [raw, degrees] : {std::pair{"41/1,5118/100,0/1", 41.853},
                                       {"48/1,9/1,36/1", 48.16},
                                       {"41/0,1/1,0/1", -1.0},
                                       {"41/1,60/1,0/1", -1.0},
                                       {"1,2,3,4", -1.0},
                                       {"", -1.0}}) {
      const std::optional<double> got = DegreesFromRaw(U(raw));
      QVERIFY2(degrees < 0 ? !got : got && std::abs(*got - degrees) < 1e-9, raw);
    }
    std::vector<ListingRow> gps{Row(4, "1", "", "", "S"), Row(4, "2", "", "", "33/1,51/1,36/1"),
                                Row(4, "3", "", "", "W"), Row(4, "4", "", "", "70/1,30/1,0/1")};
    const std::optional<GpsPosition> position = PositionOfRows(gps);
    QVERIFY(position && std::abs(position->latitude + 33.86) < 1e-9 &&
            std::abs(position->longitude + 70.5) < 1e-9);
    QCOMPARE(
        MapUrl(*position).toString(),
        U("https://www.openstreetmap.org/?mlat=-33.860000&mlon=-70.500000#map=15/-33.860000/-70.500000"));
    gps[3].raw = U("190/1");  // beyond 180
    QVERIFY(!PositionOfRows(gps));
    gps.pop_back();
    QVERIFY(!PositionOfRows(gps));
  }

  // hafen.jpg and kopie.jpg: a Nikon's EXIF with GPS, three IPTC datasets (one without a name) and a
  // comment; leer.jpg: no metadata.
  void onACameraImage() {
    Harness harness;
    samples::Shot shot = samples::SampleShot(samples::Maker::kNikon, 64, 48);
    shot.gps = true;
    const std::vector<samples::Segment> segments{
        {0xE1, samples::CameraExif(samples::Maker::kNikon, shot, {})},
        {0xED, samples::IptcPayload({{5, "Hafen; Abend"}, {80, "Anna \"Nina\" Roth"}, {250, "Eigenes"}})},
        samples::Comment("Abendlicht")};
    for (const char* name : {"hafen.jpg", "kopie.jpg"}) harness.WriteJpeg(U(name), segments);
    harness.WriteJpeg(U("leer.jpg"), {});
    auto window = harness.Start();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    MetadataList* list = window->Metadata();
    // IPTC after GPS, then the comments; red titles after an empty row.
    const int gps = list->indexOfTopLevelItem(Find(list, "Sektion GPS").value(0));
    const int iptc = list->indexOfTopLevelItem(Find(list, "Sektion IPTC").value(0));
    QVERIFY(gps > 0 && iptc > gps);
    QCOMPARE(list->topLevelItem(iptc)->foreground(1).color(), QColor(255, 0, 0));
    QCOMPARE(Columns(list->topLevelItem(iptc - 1)), QStringList(4));
    QCOMPARE(Columns(list->topLevelItem(iptc + 1)),
             QStringList({U("5"), U("Objektname (Titel)"), U("Hafen; Abend"), {}}));
    QCOMPARE(Columns(list->topLevelItem(iptc + 3)), QStringList({U("250"), U("???"), U("Eigenes"), {}}));
    QCOMPARE(list->topLevelItem(iptc + 5)->text(1), U("Sektion Kommentare"));
    QCOMPARE(list->topLevelItem(iptc + 6)->text(2), U("Abendlicht"));
    QCOMPARE(list->topLevelItemCount(), iptc + 7);
    // GPS: the coordinates' tooltips in decimal degrees (German comma), the map of the position.
    QVERIFY(list->Position());
    QStringList tips;
    for (int i = 0; i < list->topLevelItemCount(); ++i) tips << list->topLevelItem(i)->toolTip(2);
    tips.removeAll(QString());
    QCOMPARE(tips, QStringList({DecimalDegreesText(list->Position()->latitude),
                                DecimalDegreesText(list->Position()->longitude)}));
    QVERIFY(tips.front().contains(QLatin1Char(',')));
    QList<QUrl> opened;
    list->openUrl = [&](const QUrl& url) { opened << url; };
    // Copying the value, every row and the current row, by keys and by the menu.
    list->setFocus();
    list->setCurrentItem(Find(list, "272", 0).value(0));
    QClipboard* clipboard = QApplication::clipboard();
    const QString model = list->currentItem()->text(2);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(clipboard->text(), model);
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
    QCOMPARE(clipboard->text(), list->AllText());
    QCOMPARE(clipboard->text().count(QLatin1Char('\n')), list->topLevelItemCount());
    QMenu menu;
    list->FillContextMenu(menu);
    QStringList texts;
    for (QAction* action : menu.actions()) texts << action->text();
    QCOMPARE(
        texts.mid(0, 6).join(QLatin1Char('|')),
        U("Wert kopieren|Zeile kopieren|Alle Zeilen kopieren||Als CSV exportieren …|Als JSON exportieren …"));
    menu.actions().at(1)->trigger();
    QCOMPARE(clipboard->text(), U("272\tModell\t%1\t%2\n").arg(model, list->currentItem()->text(3)));
    menu.actions().last()->trigger();
    QCOMPARE(opened, QList<QUrl>{MapUrl(*list->Position())});
    // The exports, to the file the dialog names; a cancelled dialog writes nothing.
    QStringList suggested;
    QString target = harness.Path(U("export.csv"));
    list->askSavePath = [&](const QString&, const QString& name, const QString&) {
      suggested << name;
      return target;
    };
    QTest::keyClick(list, Qt::Key_E, Qt::ControlModifier);
    QFile csv(target);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QByteArray bytes = csv.readAll();
    QVERIFY(bytes.startsWith("\xEF\xBB\xBFTag;Bezeichnung;Information;Rohdaten\r\n;Sektion Main;;\r\n"));
    QVERIFY(bytes.contains((U("\r\n272;Modell;") + model + U(";")).toUtf8()));
    target = harness.Path(U("export.json"));
    QTest::keyClick(list, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(suggested, QStringList({U("hafen.csv"), U("hafen.json")}));
    QFile json(target);
    QVERIFY(json.open(QIODevice::ReadOnly));
    const QJsonArray files = QJsonDocument::fromJson(json.readAll()).array();
    const QJsonObject file = files.at(0).toObject();
    QVERIFY(files.size() == 1 && file.value(U("error")).isNull());
    QCOMPARE(file.value(U("file")).toString(), harness.Path(U("hafen.jpg")));
    QCOMPARE(file.value(U("iptc")).toArray().at(1).toObject().value(U("value")).toString(),
             U("Anna \"Nina\" Roth"));
    QVERIFY(QFile::remove(target));
    target.clear();
    QTest::keyClick(list, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(!QFile::exists(harness.Path(U("export.json"))));
    QString error;
    QVERIFY(!WriteCsvFile(harness.Path(U("fehlt/x.csv")), list->Rows(), error));
    QVERIFY(error.startsWith(U("Die Datei „")));
    // The search bar above the list: Ctrl+F, titles kept, kept for the next image, Esc empties.
    MetadataSearchBar* bar = window->Search();
    const int all = list->topLevelItemCount();
    QVERIFY(bar->isVisible() && bar->geometry().bottom() < list->geometry().top());
    QCOMPARE(bar->Field()->placeholderText(), U("Suchen …"));
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(bar->Field()->hasFocus());
    QTest::keyClicks(bar->Field(), U("MODELL"));
    const QStringList shown = ItemTexts(list);
    QVERIFY(shown.size() >= 2 && shown.size() < all && shown.contains(U("272")));
    ClickItem(window->Files(), window->Files()->topLevelItem(1));
    QCOMPARE(ItemTexts(list), shown);
    QTest::keyClick(bar->Field(), Qt::Key_Escape);
    QVERIFY(bar->Field()->text().isEmpty());
    QCOMPARE(list->topLevelItemCount(), all);
    list->SetFilter({U("objektname"), false});  // datasets are found by their names
    QCOMPARE(ItemTexts(list), QStringList({QString(), U("5")}));
    QCOMPARE(list->topLevelItem(0)->text(1), U("Sektion IPTC"));
    list->SetFilter({});
    // "???" rows go with the check box, and come back.
    const int unknown = static_cast<int>(Find(list, "???").size());
    bar->HideUnknown()->click();
    QVERIFY(unknown > 0 && Find(list, "???").isEmpty() && list->topLevelItemCount() <= all - unknown);
    bar->HideUnknown()->click();
    QCOMPARE(list->topLevelItemCount(), all);
    // An image without metadata: no such sections, no position.
    ClickItem(window->Files(), window->Files()->topLevelItem(2));
    QVERIFY(Find(list, "Sektion IPTC").isEmpty() && Find(list, "Sektion Kommentare").isEmpty());
    QVERIFY(!list->Position());
  }

  void labelColumnFitsAndLongTextsShowWhole() {
    MetadataList list;
    list.resize(900, 400);
    list.show();
    const auto fill = [&](const QString& label, const QString& value) {
      list.SetRows(
          {Row(1, "1", label.toUtf8().constData(), value.toUtf8().constData()), Row(1, "1", "", "kurz")});
      return list.columnWidth(1);
    };
    const QString longLabel = QStringLiteral("Bezeichnung ").repeated(3);
    const int narrow = fill(U("Kurz"), U("1/250 s"));
    const int wide = fill(longLabel, U("1/250 s"));
    QVERIFY(wide >= list.fontMetrics().horizontalAdvance(longLabel) && wide > narrow);
    QVERIFY(fill(QStringLiteral("Bezeichnung ").repeated(30), U("x")) <= 900 * 45 / 100);  // within the limit
    const QString longValue = QStringLiteral("Wert ").repeated(200);
    QCOMPARE(fill(U("Kurz"), longValue), narrow);  // fitted again on each filling
    list.setColumnWidth(2, 100);
    const auto at = [&](int row, int column) {
      return list.visualRect(list.model()->index(row, column)).center();
    };
    QCOMPARE(list.ToolTipAt(at(0, 2)), longValue);
    QVERIFY(list.ToolTipAt(at(1, 2)).isEmpty() && list.ToolTipAt(at(0, 1)).isEmpty());
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::MetadataListTest)
#include "MetadataListTest.moc"
