// The block "Auf einen Blick": lines as plain text with the rows they came from, the map link, the
// open or closed state kept in the settings; in the window above the list, emptied with the selection.
#include <QSignalSpy>
#include <QToolButton>

#include "TestSupport.h"
#include "browser/MetadataSearchBar.h"
#include "browser/SummaryPanel.h"

namespace kelmarin::test {

namespace {

PhotoSummary Sample() {
  PhotoSummary summary;
  summary.lines = {{"camera", "Kamera", "Canon EOS 5D", "Canon / EOS 5D", {{1, "271"}, {1, "0x0110"}}},
                   {"rating", "Bewertung", "<b>★★★</b>\n", "3", {{7, "xmp:Rating"}}},
                   {"place", "Ort", "48° 8′ N", "", {{4, "0x0002"}, {9, "fehlt"}}}};
  return summary;
}

std::vector<ListingRow> SampleRows() {
  std::vector<ListingRow> rows = {Row(1, "", "Sektion Main", "", "", RowKind::Header),
                                  Row(1, "271", "Hersteller", "Canon"),
                                  Row(1, "272.1", "Teil", "x"),
                                  Row(1, "272", "Modell", "EOS 5D"),
                                  Row(4, "", "Sektion GPS", "", "", RowKind::Header),
                                  Row(4, "0x0002", "Breite", "48° 8′"),
                                  Row(7, "", "XMP (a.xmp)", "", "", RowKind::Header),
                                  Row(7, "xmp:Rating", "Bewertung", "★★★")};
  rows[2].position = 1;  // a value of tag 272's list, not its own row
  return rows;
}

}  // namespace

class GlanceTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  void linesShowPlainTextWithTheirRows() {
    SummaryPanel panel;
    panel.SetSummary(Sample(), SampleRows(), true);
    QVERIFY(!panel.isHidden());
    QCOMPARE(panel.Header()->text(), U("Auf einen Blick"));
    const char* expected[][3] = {
        {"Kamera", "Canon EOS 5D",
         "Aus:<br>Sektion Main, 271 (Hersteller)<br>Sektion Main, 272 (Modell)<br>Rohdaten: Canon / EOS 5D"},
        {"Bewertung", "<b>★★★</b>\\n", "Aus:<br>XMP (a.xmp), xmp:Rating (Bewertung)<br>Rohdaten: 3</p>"},
        {"Ort", "48° 8′ N", "Aus:<br>Sektion GPS, 0x0002 (Breite)<br>fehlt</p>"}};
    QCOMPARE(panel.Lines().size(), 3U);
    for (std::size_t i = 0; i < 3; ++i) {
      const SummaryPanel::Line& line = panel.Lines()[i];
      QCOMPARE(line.caption->text() + line.text->text(), U(expected[i][0]) + U(expected[i][1]));
      QCOMPARE(line.text->textFormat(), Qt::PlainText);
      QVERIFY(line.text->textInteractionFlags() & Qt::TextSelectableByMouse);
      QVERIFY2(line.text->toolTip().contains(U(expected[i][2])), qPrintable(line.text->toolTip()));
      QCOMPARE(line.caption->toolTip(), line.text->toolTip());
    }
    QVERIFY(!panel.Lines()[1].text->toolTip().contains(U("<b>")));  // the file's markup stays text
    QSignalSpy map(&panel, &SummaryPanel::mapRequested);
    panel.MapLink()->click();
    QCOMPARE(map.count(), 1);
    panel.SetSummary(Sample(), SampleRows(), false);  // no position: no link
    QVERIFY(panel.MapLink() == nullptr);
    panel.SetSummary(PhotoSummary(), SampleRows(), true);
    QVERIFY(panel.isHidden());
  }

  void openOrClosedKeptInTheSettings() {
    {
      SummaryPanel panel;
      panel.SetSummary(Sample(), SampleRows(), false);
      panel.show();
      const int openHeight = panel.sizeHint().height();
      QSignalSpy height(&panel, &SummaryPanel::heightChanged);
      QTest::mouseClick(panel.Header(), Qt::LeftButton);
      QCOMPARE(height.count(), 1);
      QVERIFY(!panel.Lines()[0].text->isVisible());
      QVERIFY(panel.sizeHint().height() < openHeight);
      QCOMPARE(Setting(U("Ansicht"), U("aufeinenblick")), U("0"));
    }
    SummaryPanel closed;
    QVERIFY(!closed.IsOpen());
  }

  void windowShowsTheBlockAboveTheListAndEmptiesItWithTheSelection() {
    Harness harness;
    harness.MakeFolder(U("fotos"));
    harness.MakeFolder(U("leer"));
    harness.WriteJpeg(U("fotos/a.jpg"), 64, 48, true);
    StartIn(harness.Path(U("fotos")));
    auto window = harness.Start();
    SummaryPanel* glance = window->Glance();
    // The selected picture's summary names at least its pixel size: the block shows, above the
    // search bar and the list.
    QVERIFY(glance->HasLines());
    QVERIFY(!glance->isHidden());
    const QRect block = glance->geometry();
    const QRect listWithBlock = window->Metadata()->geometry();
    QCOMPARE(window->Search()->geometry().top(), block.bottom() + 1);
    QVERIFY(listWithBlock.top() > window->Search()->geometry().bottom());
    // A folder without pictures empties and hides it; the list takes its height back.
    ClickItem(window->Tree(), Child(window->Tree()->SelectedNode()->parent(), U("leer")));
    QVERIFY(glance->isHidden());
    QVERIFY(!glance->HasLines());
    QCOMPARE(window->Search()->geometry().top(), block.top());
    QCOMPARE(window->Metadata()->geometry(), listWithBlock.adjusted(0, -block.height(), 0, 0));
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::GlanceTest)
#include "GlanceTest.moc"
