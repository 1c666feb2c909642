// The block "Auf einen Blick": its lines as plain text with the rows they came from, the map link,
// the open or closed state kept in the settings, and in the window above the metadata list, emptied
// with the selection.
#include <QSignalSpy>
#include <QToolButton>

#include "TestSupport.h"
#include "browser/MetadataSearchBar.h"
#include "browser/SummaryPanel.h"

namespace kelmarin::test {

namespace {

SummaryLine Line(const char* key, const char* caption, const char* text, const char* raw,
                 std::vector<SummarySource> from) {
  return {key, caption, text, raw, std::move(from)};
}

PhotoSummary Sample() {
  PhotoSummary summary;
  summary.lines = {
      Line("camera", "Kamera", "Canon EOS 5D", "Canon / Canon EOS 5D", {{1, "271"}, {1, "0x0110"}}),
      Line("rating", "Bewertung", "<b>★★★</b>\n", "3", {{7, "xmp:Rating"}}),
      Line("place", "Ort", "48° 8′ N, 11° 34′ O", "", {{4, "0x0002"}, {9, "fehlt"}}),
  };
  return summary;
}

std::vector<ListingRow> SampleRows() {
  std::vector<ListingRow> rows = {
      Row(1, "", "Sektion Main", "", "", RowKind::Header), Row(1, "271", "Hersteller", "Canon"),
      Row(1, "272.1", "Teil", "x"), Row(1, "272", "Modell", "Canon EOS 5D"),
      Row(4, "", "Sektion GPS", "", "", RowKind::Header), Row(4, "0x0002", "Breite", "48° 8′"),
      Row(7, "", "XMP (a.xmp)", "", "", RowKind::Header), Row(7, "xmp:Rating", "Bewertung", "★★★")};
  rows[2].position = 1;  // a value of tag 272's list, not the tag's own row
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
    QVERIFY(panel.isHidden());
    panel.SetSummary(Sample(), SampleRows(), true);
    QVERIFY(!panel.isHidden());
    QCOMPARE(panel.Header()->text(), U("Auf einen Blick"));
    const auto& lines = panel.Lines();
    QCOMPARE(lines.size(), 3U);
    QStringList shown;
    for (const SummaryPanel::Line& line : lines) {
      shown << line.caption->text() + U("=") + line.text->text();
      QCOMPARE(line.text->textFormat(), Qt::PlainText);
      QVERIFY(line.text->textInteractionFlags() & Qt::TextSelectableByMouse);
    }
    QCOMPARE(shown, QStringList({U("Kamera=Canon EOS 5D"), U("Bewertung=<b>★★★</b>\\n"),
                                 U("Ort=48° 8′ N, 11° 34′ O")}));
    // The tool tips name section, tag and label as the list shows them, and the raw evidence; the
    // file's markup stays text.
    const struct {
      std::size_t line;
      const char* expected;
    } tips[] = {
        {0, "Aus:<br>Sektion Main, 271 (Hersteller)<br>Sektion Main, 272 (Modell)<br>"
            "Rohdaten: Canon / Canon EOS 5D"},
        {1, "Aus:<br>XMP (a.xmp), xmp:Rating (Bewertung)<br>Rohdaten: 3"},
        {2, "Aus:<br>Sektion GPS, 0x0002 (Breite)<br>fehlt</p>"},
    };
    for (const auto& tip : tips) {
      QVERIFY2(lines[tip.line].text->toolTip().contains(U(tip.expected)),
               qPrintable(lines[tip.line].text->toolTip()));
      QCOMPARE(lines[tip.line].caption->toolTip(), lines[tip.line].text->toolTip());
    }
    QCOMPARE(SummarySourcesText(Sample().lines[1], SampleRows()),
             U("Aus:\nXMP (a.xmp), xmp:Rating (Bewertung)\nRohdaten: 3"));
    QVERIFY(!lines[1].text->toolTip().contains(U("<b>")));
    // The place offers the map as the GPS section does; without a position there is no link.
    QVERIFY(panel.MapLink() != nullptr);
    QSignalSpy map(&panel, &SummaryPanel::mapRequested);
    panel.MapLink()->click();
    QCOMPARE(map.count(), 1);
    panel.SetSummary(Sample(), SampleRows(), false);
    QVERIFY(panel.MapLink() == nullptr);
    QCOMPARE(panel.Lines().size(), 3U);
    // Nothing to show: the block goes.
    panel.SetSummary(PhotoSummary(), SampleRows(), true);
    QVERIFY(panel.isHidden());
    QVERIFY(!panel.HasLines());
  }

  void openOrClosedKeptInTheSettings() {
    {
      SummaryPanel panel;
      panel.SetSummary(Sample(), SampleRows(), false);
      panel.show();
      QVERIFY(panel.IsOpen());
      QVERIFY(panel.Lines()[0].text->isVisible());
      const int openHeight = panel.sizeHint().height();
      QSignalSpy height(&panel, &SummaryPanel::heightChanged);
      QTest::mouseClick(panel.Header(), Qt::LeftButton);
      QVERIFY(!panel.IsOpen());
      QCOMPARE(height.count(), 1);
      QVERIFY(!panel.Lines()[0].text->isVisible());
      QVERIFY(panel.sizeHint().height() < openHeight);
      QCOMPARE(Setting(U("Ansicht"), U("aufeinenblick")), U("0"));
    }
    SummaryPanel closed;
    QVERIFY(!closed.IsOpen());
    closed.SetOpen(true);
    QCOMPARE(Setting(U("Ansicht"), U("aufeinenblick")), U("1"));
  }

  void windowShowsTheBlockAboveTheListAndEmptiesItWithTheSelection() {
    Harness harness;
    harness.MakeFolder(U("fotos"));
    harness.WriteJpeg(U("fotos/a.jpg"), 64, 48, true);
    harness.MakeFolder(U("leer"));
    StartIn(harness.Path(U("fotos")));
    auto window = harness.Start();
    QVERIFY(window != nullptr);
    SummaryPanel* glance = window->Glance();
    QCOMPARE(window->Info()->NameLabel()->text(), U("a.jpg"));
    QCOMPARE(glance->isHidden(), !glance->HasLines());
    const QRect listAlone = window->Metadata()->geometry();
    const std::size_t rows = window->Metadata()->Rows().size();
    glance->SetSummary(Sample(), window->Metadata()->Rows(), false);
    // Above the search bar and the list, which gives up that height and keeps its rows.
    QVERIFY(!glance->isHidden());
    QVERIFY(glance->height() > 0);
    QCOMPARE(glance->geometry().top(), listAlone.top() - window->Search()->height());
    QCOMPARE(window->Search()->geometry().top(), glance->geometry().bottom() + 1);
    QCOMPARE(window->Metadata()->geometry().bottom(), listAlone.bottom());
    QCOMPARE(window->Metadata()->geometry().top(), listAlone.top() + glance->height());
    QCOMPARE(window->Metadata()->Rows().size(), rows);
    // Another folder without images: no file, no block; the list has its place back.
    ClickItem(window->Tree(), Child(window->Tree()->SelectedNode()->parent(), U("leer")));
    QCOMPARE(ItemTexts(window->Files()), QStringList());
    QVERIFY(glance->isHidden());
    QVERIFY(!glance->HasLines());
    QCOMPARE(window->Metadata()->geometry(), listAlone);
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::GlanceTest)
#include "GlanceTest.moc"
