// The metadata list as a user meets it: the context menu on the row under the pointer (right click,
// Menu key, Shift+F10), control characters shown as escapes, exports named safely and following the
// search like copying does, IPTC dates in the German form. Beside it: long names in the information
// panel, a help that cannot be opened, Qt's own texts in German.
#include <QDialogButtonBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <QStandardPaths>
#include <QTimer>

#include "TestSupport.h"
#include "browser/MetadataExport.h"
#include "browser/QtGerman.h"

namespace kelmarin::test {

namespace {

ListingRow Row(int section, const char* tag, const char* label, const char* info = "",
               RowKind kind = RowKind::Item) {
  ListingRow row;
  row.kind = kind;
  row.section = section;
  row.tag = tag;
  row.label = label;
  row.information = info;
  row.raw = info;
  row.tagNumber = std::atoi(tag);
  return row;
}

std::vector<ListingRow> CameraRows() {
  return {Row(1, "", "Sektion Main", "", RowKind::Header),
          Row(1, "256", "Bildbreite in Pixel", "640"),
          Row(1, "257", "Bildhöhe in Pixel", "480"),
          Row(1, "40961", "Farbraum", "sRGB"),
          Row(4, "", "", "", RowKind::Separator),
          Row(4, "", "Sektion GPS", "", RowKind::Header),
          Row(4, "1", "Breitengrad", "Nord")};
}

std::unique_ptr<MetadataList> ShownCameraList() {
  auto list = std::make_unique<MetadataList>();
  list->resize(600, 300);
  list->show();
  list->SetRows(CameraRows());
  return list;
}

// What a context menu showed while it was open.
struct MenuSeen {
  bool opened = false;
  QPoint at;
  QString current;      // tag of the current row while the menu is open
  QStringList enabled;  // texts of the enabled entries
};

// Runs `open`; while the menu it opens is up, records it, triggers the entry named `trigger` and
// closes it.
MenuSeen WhileMenuOpen(MetadataList& list, const std::function<void()>& open, const QString& trigger = {}) {
  MenuSeen seen;
  QTimer::singleShot(0, &list, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    seen.opened = true;
    seen.at = menu->pos();
    seen.current = list.currentItem() != nullptr ? list.currentItem()->text(0) : U("-");
    for (QAction* action : menu->actions()) {
      if (action->isEnabled() && !action->isSeparator()) seen.enabled << action->text();
      if (action->text() == trigger) action->trigger();
    }
    menu->close();
  });
  open();
  QCoreApplication::processEvents();
  return seen;
}

void RightClick(MetadataList& list, QPoint at) {
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
  QApplication::sendEvent(list.viewport(), &event);
}

// The Menu key, as the window hands it to the focused list: at the cursor rectangle's centre.
void MenuKey(MetadataList& list) {
  const QPoint at = list.inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
  QContextMenuEvent event(QContextMenuEvent::Keyboard, at, list.mapToGlobal(at));
  QApplication::sendEvent(&list, &event);
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

  void contextMenuActsOnTheRowUnderThePointer() {
    auto shown = ShownCameraList();
    MetadataList& list = *shown;
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QClipboard* clipboard = QApplication::clipboard();
    for (const auto& [row, tag, value] :
         {std::tuple{1, "256", "640"}, {3, "40961", "sRGB"}, {6, "1", "Nord"}}) {
      const QPoint at = list.visualItemRect(list.topLevelItem(row)).center();
      clipboard->clear();
      const MenuSeen seen = WhileMenuOpen(
          list, [&] { RightClick(list, at); }, U("Wert kopieren"));
      QVERIFY(seen.opened);
      QCOMPARE(seen.current, U(tag));
      QCOMPARE(clipboard->text(), U(value));
      QCOMPARE(seen.at, list.viewport()->mapToGlobal(at));
    }
    // Below the last row: no row to copy.
    const MenuSeen below = WhileMenuOpen(list, [&] { RightClick(list, QPoint(20, 280)); });
    QVERIFY(below.opened && below.current == U("-") && !below.enabled.contains(U("Wert kopieren")));
    QVERIFY(below.enabled.contains(U("Alle Zeilen kopieren")));
  }

  // The Menu key and Shift+F10 open it on the current row, just below it.
  void contextMenuByKeyboard() {
    auto shown = ShownCameraList();
    MetadataList& list = *shown;
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QClipboard* clipboard = QApplication::clipboard();
    list.setFocus();
    const std::function<void()> menuKey = [&] { MenuKey(list); };
    const std::function<void()> shiftF10 = [&] { QTest::keyClick(&list, Qt::Key_F10, Qt::ShiftModifier); };
    for (const std::function<void()>& key : {menuKey, shiftF10}) {
      list.setCurrentItem(list.topLevelItem(2));
      const QRect row = list.visualItemRect(list.topLevelItem(2));
      const MenuSeen seen = WhileMenuOpen(list, key, U("Zeile kopieren"));
      QVERIFY(seen.opened);
      QCOMPARE(seen.current, U("257"));
      QCOMPARE(clipboard->text(), U("257\tBildhöhe in Pixel\t480\t480\n"));
      QCOMPARE(seen.at.y(), list.viewport()->mapToGlobal(row.bottomLeft()).y());
    }
  }

  void controlCharactersShownAsEscapes() {
    for (const auto& [stored, shown] : {std::pair{"\x08\t\n\x0b", "\\x08\\t\\n\\x0b"},
                                        {"a\rb\x7f", "a\\rb\\x7f"},
                                        {"\x1f\xc2\x85", "\\x1f\\x85"},
                                        {"abc\xe2\x80\xae"
                                         "fdp.exe",
                                         "abc\\u202efdp.exe"},
                                        {"Zeile\xe2\x80\xa8zwei", "Zeile\\u2028zwei"},
                                        {"C:\\Bilder\\Müller ©", "C:\\Bilder\\Müller ©"}})
      QCOMPARE(VisibleText(stored), U(shown));
    // FlashPix version bytes 8, 9, 10, 11: one row, copied as one line.
    MetadataList list;
    list.SetRows({Row(1, "40960", "FlashPix-Version", "\x08\t\n\x0b")});
    QCOMPARE(list.topLevelItem(0)->text(2), U("\\x08\\t\\n\\x0b"));
    list.topLevelItem(0)->setSelected(true);
    QCOMPARE(list.SelectedText(), U("40960\tFlashPix-Version\t\\x08\\t\\n\\x0b\t\\x08\\t\\n\\x0b\n"));
  }

  void exportNamesAreSafeAndEndWithTheirExtension() {
    for (const auto& [image, extension, name] :
         {std::tuple{"/a/Zeichen; Komma, \"Anführung\".jpg", ".csv", "Zeichen; Komma, _Anführung_.csv"},
          {"/a/b:c*d?e<f>g|h\\i.tif", ".json", "b_c_d_e_f_g_h_i.json"},
          {"/a/tab\tzeile\n.jpg", ".csv", "tab_zeile_.csv"},
          {"/a/archiv.tar.jpg", ".csv", "archiv.tar.csv"},
          {"/a/ ende. ..jpg", ".csv", "ende.csv"},
          {"/a/.jpg", ".csv", "metadaten.csv"},
          {"", ".json", "metadaten.json"}})
      QCOMPARE(ExportFileName(U(image), U(extension)), U(name));
    const QString longName =
        ExportFileName(QStringLiteral("/a/") + QStringLiteral("ä").repeated(150) + U("😀.jpg"), U(".csv"));
    QCOMPARE(longName, QStringLiteral("ä").repeated(100) + U(".csv"));
    for (const auto& [path, full] : {std::pair{"a", "a.csv"},
                                     {"a.CSV", "a.CSV"},
                                     {"a.csv.txt", "a.csv.txt.csv"},
                                     {"/x/.csv", "/x/.csv"}})
      QCOMPARE(WithExtension(U(path), U(".csv")), U(full));
    QTemporaryDir folder;
    QCOMPARE(ExportFolder(folder.filePath(U("x.jpg"))), folder.path());
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    for (const char* image : {"/gibt/es/nicht/x.jpg", ""})
      QVERIFY(QList<QString>({pictures, QDir::homePath()}).contains(ExportFolder(U(image))));
  }

  void exportsAndCopiesFollowTheSearch() {
    QTemporaryDir folder;
    const QString image = folder.filePath(U("Zeichen; Komma, \"Anführung\".jpg"));
    MetadataListing listing;
    listing.rows = CameraRows();
    listing.iptc = {{5, "Hafen"}, {55, "19920101"}, {60, "021111+0100"}};
    listing.comments = {{"Kommentar", "Hafen am Abend"}, {"Software", "Kamera"}};
    MetadataList list;
    list.SetListing(listing, image, nullptr);

    QStringList suggested;
    QString answer;
    list.askSavePath = [&](const QString&, const QString& path, const QString&) {
      suggested << path;
      return answer;
    };
    list.SetFilter({U("hafen"), false});
    QMenu menu;
    list.FillContextMenu(menu);
    QStringList texts;
    for (QAction* action : menu.actions()) texts << action->text();
    QCOMPARE(texts.mid(2, 4), QStringList({U("Gefilterte Zeilen kopieren"),
                                           {},
                                           U("Gefilterte Zeilen als CSV exportieren …"),
                                           U("Gefilterte Zeilen als JSON exportieren …")}));
    list.CopyAllAction()->trigger();
    QCOMPARE(QApplication::clipboard()->text(), U("\tSektion IPTC\t\t\n5\t???\tHafen\t\n\t\t\t\n\tSektion "
                                                  "Kommentare\t\t\nKommentar\t\tHafen am Abend\t\n")
                                                    .replace(U("Kommentar\t\t"), U("\tKommentar\t")));
    answer = folder.filePath(U("auszug"));  // typed without the extension
    list.ExportCsvAction()->trigger();
    QCOMPARE(suggested, QStringList(folder.filePath(U("Zeichen; Komma, _Anführung_.csv"))));
    QCOMPARE(Read(answer + U(".csv")), QByteArray("\xEF\xBB\xBFTag;Bezeichnung;Information;Rohdaten\r\n"
                                                  ";Sektion IPTC;;\r\n5;???;Hafen;\r\n"
                                                  ";Sektion Kommentare;;\r\n;Kommentar;Hafen am Abend;\r\n"));
    answer = folder.filePath(U("auszug.JSON"));
    list.ExportJsonAction()->trigger();
    const QJsonObject file = QJsonDocument::fromJson(Read(answer)).array().at(0).toObject();
    QCOMPARE(file.value(U("sections")).toArray().size(), 0);
    QCOMPARE(QJsonDocument(file.value(U("iptc")).toArray()).toJson(QJsonDocument::Compact),
             QByteArray(R"([{"dataset":5,"value":"Hafen"}])"));
    QCOMPARE(file.value(U("comments")).toArray().size(), 1);
    // Without the search: every row, and the entries say so.
    list.SetFilter({});
    QCOMPARE(list.CopyAllAction()->text(), U("Alle Zeilen kopieren"));
    QCOMPARE(list.ExportJsonAction()->text(), U("Als JSON exportieren …"));
    list.ExportJsonAction()->trigger();
    const QJsonObject whole = QJsonDocument::fromJson(Read(answer)).array().at(0).toObject();
    QCOMPARE(whole.value(U("iptc")).toArray().size(), 3);
    QCOMPARE(whole.value(U("sections")).toArray().size(), 2);
  }

  // IPTC dates in the German form, the stored text beside them; other datasets as they are.
  void iptcDatesInTheGermanForm() {
    MetadataListing listing;
    listing.iptc = {{5, "19920101"}, {55, "19920101"}, {60, "021111+0100"}};
    MetadataList list;
    list.SetListing(listing, U("/a/b.jpg"), nullptr);
    QStringList shown;
    for (int i = 2; i < list.topLevelItemCount(); ++i)
      shown << list.topLevelItem(i)->text(2) + U("|") + list.topLevelItem(i)->text(3);
    QCOMPARE(shown,
             QStringList({U("19920101|"), U("01.01.1992|19920101"), U("02:11:11 +01:00|021111+0100")}));
  }

  void longNamesAreShortenedWithTheWholeNameInTheToolTip() {
    Harness harness;
    const QString name =
        U("Ein sehr langer Dateiname vom Urlaub am Meer im Sommer 2012 mit der ganzen Familie.jpg");
    harness.WriteJpeg(name, 40, 30);
    harness.WriteJpeg(U("kurz.jpg"), 40, 30);
    auto window = harness.Start();
    QLabel* label = window->Info()->NameLabel();
    QCOMPARE(window->Info()->Labels().name, name.toStdString());
    QVERIFY2(label->text().contains(QChar(0x2026)) && label->text().endsWith(U("Familie.jpg")),
             qPrintable(label->text()));
    QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width());
    QCOMPARE(label->toolTip(), name);
    ClickItem(window->Files(), window->Files()->findItems(U("kurz.jpg"), Qt::MatchExactly).value(0));
    QCOMPARE(window->Info()->NameLabel()->text(), U("kurz.jpg"));
    QVERIFY(window->Info()->NameLabel()->toolTip().isEmpty());
  }

  // Without a desktop (the offscreen platform has none) no browser can open the help.
  void helpThatCannotBeOpenedSaysWhereItIs() {
    QTemporaryDir program;
    QVERIFY(QDir(program.path()).mkpath(U("help")));
    QFile page(program.filePath(U("help/index.html")));
    QVERIFY(page.open(QIODevice::WriteOnly) && page.write("<html></html>") > 0);
    page.close();
    Harness harness;
    StartOptions options = harness.Options();
    options.programFolder = program.path();
    auto window = harness.Start(options);
    window->HelpAction()->trigger();
    QCOMPARE(harness.reporter.messages.size(), std::size_t{1});
    QVERIFY(QString::fromStdString(harness.reporter.messages[0].text).endsWith(page.fileName()));
  }

  void qtTextsInGerman() {
    QVERIFY(InstallQtGerman(*QCoreApplication::instance()));
    QDialogButtonBox buttons(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Save)->text().remove(QLatin1Char('&')), U("Speichern"));
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), U("Abbrechen"));
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), U("Suchen in:"));
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::MetadataListTest)
#include "MetadataListTest.moc"
