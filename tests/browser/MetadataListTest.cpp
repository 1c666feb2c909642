// The metadata list as a user meets it: the context menu on the row under the pointer (right click,
// Menu key, Shift+F10), control characters shown as escapes, exports named safely and following the
// search as copying does, IPTC dates in the German form. Beside it: long names in the information
// panel, a help no browser can open, Qt's own texts in German.
#include <QDialogButtonBox>
#include <QMenu>
#include <QTimer>

#include "TestSupport.h"
#include "browser/MetadataExport.h"
#include "browser/QtGerman.h"

namespace kelmarin::test {

namespace {

// Runs `open`; while the menu it opens is up, notes the current row's tag, triggers "Wert kopieren"
// and closes it. Returns the tag and the menu's place ("" when no menu opened).
std::pair<QString, QPoint> WhileMenuOpen(MetadataList& list, const std::function<void()>& open) {
  std::pair<QString, QPoint> seen;
  QTimer::singleShot(0, &list, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    seen = {list.currentItem() != nullptr ? list.currentItem()->text(0) : U("-"), menu->pos()};
    list.CopyValueAction()->trigger();
    menu->close();
  });
  open();
  QCoreApplication::processEvents();
  return seen;
}

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class MetadataListTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }

  void contextMenuOnTheRowUnderThePointerOrTheCurrentOne() {
    MetadataList list;
    list.resize(600, 300);
    list.show();
    list.SetRows({Row(1, "", "Sektion Main", "", "", RowKind::Header), Row(1, "256", "Breite", "640"),
                  Row(1, "257", "Höhe", "480"), Row(1, "40961", "Farbraum", "sRGB")});
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    for (const auto& [row, value] : {std::pair{1, "640"}, {3, "sRGB"}}) {
      const QPoint at = list.visualItemRect(list.topLevelItem(row)).center();
      QContextMenuEvent click(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
      const auto seen = WhileMenuOpen(list, [&] { QApplication::sendEvent(list.viewport(), &click); });
      QCOMPARE(seen, std::pair(list.topLevelItem(row)->text(0), list.viewport()->mapToGlobal(at)));
      QCOMPARE(QApplication::clipboard()->text(), U(value));
    }
    // The Menu key (as the window hands it on: at the cursor rectangle's centre) and Shift+F10.
    const QRect current = list.visualItemRect(list.topLevelItem(2));
    const QPoint below =
        list.viewport()->mapToGlobal(QPoint(current.left() + current.height(), current.bottom()));
    const std::function<void()> menuKey = [&] {
      QContextMenuEvent key(QContextMenuEvent::Keyboard, current.center(),
                            list.mapToGlobal(current.center()));
      QApplication::sendEvent(&list, &key);
    };
    const std::function<void()> shiftF10 = [&] { QTest::keyClick(&list, Qt::Key_F10, Qt::ShiftModifier); };
    for (const std::function<void()>& key : {menuKey, shiftF10}) {
      list.setCurrentItem(list.topLevelItem(2));
      QCOMPARE(WhileMenuOpen(list, key), std::pair(U("257"), below));
    }
  }

  void controlCharactersShownAsEscapes() {
    QCOMPARE(VisibleText("a\rb\x7f\xc2\x85"), U("a\\rb\\x7f\\x85"));
    QCOMPARE(VisibleText("abc\xe2\x80\xae"
                         "fdp.exe C:\\Bilder"),
             U("abc\\u202efdp.exe C:\\Bilder"));
    MetadataList list;  // FlashPix version bytes 8, 9, 10, 11: one row, copied as one line
    list.SetRows({Row(1, "40960", "FlashPix-Version", "\x08\t\n\x0b")});
    list.topLevelItem(0)->setSelected(true);
    QCOMPARE(list.SelectedText(), U("40960\tFlashPix-Version\t\\x08\\t\\n\\x0b\t\n"));
  }

  void exportsNamedSafelyFollowTheSearch() {
    for (const auto& [image, name] :
         {std::pair{"/a/Zeichen; Komma, \"Anführung\".jpg", "Zeichen; Komma, _Anführung_.csv"},
          {"/a/b:c*d?e<f>g|h\\i\t. .tif", "b_c_d_e_f_g_h_i_.csv"},
          {"/a/.jpg", "metadaten.csv"}})
      QCOMPARE(ExportFileName(U(image), U(".csv")), U(name));
    QCOMPARE(ExportFileName(QStringLiteral("ä").repeated(150), U(".csv")),
             QStringLiteral("ä").repeated(100) + U(".csv"));
    QCOMPARE(ExportFolder(U("/gibt/es/nicht/x.jpg")).startsWith(U("/gibt")), false);
    QTemporaryDir folder;
    MetadataListing listing;
    listing.rows = {Row(1, "", "Sektion Main", "", "", RowKind::Header),
                    Row(1, "271", "Hersteller", "Canon")};
    listing.iptc = {{5, "Hafen"}, {55, "19920101"}};
    listing.comments = {{"Kommentar", "Hafen am Abend"}};
    MetadataList list;
    list.SetListing(listing, folder.filePath(U("Zeichen \"1\".jpg")), nullptr);
    QCOMPARE(list.findItems(U("55"), Qt::MatchExactly, 0).value(0)->text(2), U("01.01.1992"));
    QString suggested;
    list.askSavePath = [&](const QString&, const QString& path, const QString&) {
      suggested = path;
      return folder.filePath(U("auszug"));  // typed without the extension
    };
    list.SetFilter({U("hafen"), false});
    QCOMPARE(list.ExportCsvAction()->text(), U("Gefilterte Zeilen als CSV exportieren …"));
    list.ExportCsvAction()->trigger();
    QCOMPARE(suggested, folder.filePath(U("Zeichen _1_.csv")));
    QCOMPARE(
        Read(folder.filePath(U("auszug.csv"))),
        QByteArray("\xEF\xBB\xBFTag;Bezeichnung;Information;Rohdaten\r\n;Sektion IPTC;;\r\n5;???;Hafen;\r\n"
                   ";Sektion Kommentare;;\r\n;Kommentar;Hafen am Abend;\r\n"));
    list.ExportJsonAction()->trigger();
    QVERIFY(
        Read(folder.filePath(U("auszug.json")))
            .contains(
                R"("sections":[],"iptc":[{"dataset":5,"value":"Hafen"}],"comments":[{"key":"Kommentar")"));
    list.SetFilter({});
    QCOMPARE(list.CopyAllAction()->text(), U("Alle Zeilen kopieren"));
  }

  void longNamesShortenedWithTheWholeNameInTheToolTip() {
    Harness harness;
    const QString name =
        U("Ein sehr langer Dateiname vom Urlaub am Meer im Sommer 2012 mit der ganzen Familie.jpg");
    harness.WriteJpeg(name, 40, 30);
    auto window = harness.Start();
    QLabel* label = window->Info()->NameLabel();
    QVERIFY2(label->text().contains(QChar(0x2026)) && label->text().endsWith(U("Familie.jpg")),
             qPrintable(label->text()));
    QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width());
    QCOMPARE(label->toolTip(), name);
  }

  // Without a desktop (the offscreen platform has none) no browser can open the help.
  void helpNoBrowserOpensSaysWhereItIs() {
    QTemporaryDir program;
    QVERIFY(QDir(program.path()).mkpath(U("help")));
    QFile page(program.filePath(U("help/index.html")));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.close();
    Harness harness;
    StartOptions options = harness.Options();
    options.programFolder = program.path();
    harness.Start(options)->HelpAction()->trigger();
    QCOMPARE(harness.reporter.messages.size(), std::size_t{1});
    QVERIFY(QString::fromStdString(harness.reporter.messages[0].text).endsWith(page.fileName()));
  }

  void qtTextsInGerman() {
    QVERIFY(InstallQtGerman(*QCoreApplication::instance()));
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), U("Abbrechen"));
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), U("Suchen in:"));
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::MetadataListTest)
#include "MetadataListTest.moc"
