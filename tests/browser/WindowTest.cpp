// The main window as a German desktop starts it: start-up, stored sizes and the last session,
// shut-down, failures at start-up, captions and layout, splitters, what stays shown after a failed
// load or another folder, and the view restored at the next start.
#include <QMenuBar>
#include <QScreen>
#include <clocale>

#include "TestSupport.h"
#include "browser/CurrentImage.h"
#include "browser/SplitterBar.h"
#include "browser/Twips.h"
#include "windows/Bild.h"

namespace kelmarin::test {

namespace {

const QString kAdmin = QStringLiteral("Administration");
const QString kSession = QStringLiteral("LastSession");

QSize ScreenPixels() {
  return QGuiApplication::primaryScreen()->availableGeometry().size();
}
QString Twips(int pixels) {
  return QString::number(pixels * 15);
}

// The stored sizes and start folder, joined by "|".
QString Stored() {
  QStringList values;
  for (const char* name : {"fwidth", "fheigth", "pwidth"}) values << Setting(kAdmin, U(name));
  return values.join(QLatin1Char('|')) + QLatin1Char('|') + Setting(kSession, U("startpath"));
}

// The five labels (of the date its fixed start), the number of metadata rows and whether a preview
// shows, joined by "|".
QString Shown(Verzeichnis& window) {
  const InfoPanel* i = window.Info();
  return QStringList({i->NameLabel()->text(), i->DateLabel()->text().left(18), i->SizeLabel()->text(),
                      i->DimensionsLabel()->text(), i->LoadTimeLabel()->text(),
                      QString::number(window.Metadata()->topLevelItemCount()),
                      i->Preview()->HasPicture() ? U("Bild") : QString()})
      .join(QLatin1Char('|'));
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY2(*std::localeconv()->decimal_point == ',',
             "locale de_DE.UTF-8 missing (scripts/install-deps.sh)");
    PrepareEnvironment();
    QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 96.0);  // 15 twips per pixel
  }
  void init() { ClearSettings(); }

  void firstStartWithoutSettings() {
    Harness harness;
    auto window = harness.Start();
    QVERIFY(window->isVisible() && !window->isMaximized() && harness.reporter.messages.empty());
    QCOMPARE(window->windowTitle(), U("Kelmarin"));
    QCOMPARE(QPoint(window->width(), window->x()),
             QPoint(760, (ScreenPixels().width() - 760) / 2));  // centred
    QCOMPARE(window->centralWidget()->height(), 555);           // 8325 twips of client area
    QCOMPARE(window->minimumSize(), QSize(10785 / 15, window->height()));
    QCOMPARE(window->maximumSize(), ScreenPixels());
    QCOMPARE(Stored() + Setting(kAdmin, U("version")), U("|||1.0"));
    // The stored default start folder lies on no drive: the default drive is opened.
    QCOMPARE(window->Tree()->Root()->text(0), U("Arbeitsplatz testhost"));
    QCOMPARE(window->Tree()->SelectedNode(), window->Tree()->DefaultDrive());
    QCOMPARE(window->PathLabel()->text(), harness.Root());
    QCOMPARE(window->Layout().tree.width, window->State().minTreeWidth);
    // The captions, and the preview at its design place in pixels of 15 twips.
    QStringList texts;
    for (QCheckBox* box : window->findChildren<QCheckBox*>(U("bild_art"))) {
      QVERIFY(box->isChecked());
      if (!box->isHidden()) texts << box->text();
    }
    for (QAction* action : window->menuBar()->actions()) texts << action->text();
    const QTreeWidgetItem* header = window->Metadata()->headerItem();
    texts << window->findChild<QLabel*>(U("Label1"))->text() << window->Filter()->AllFormats()->text()
          << window->Filter()->NamePatterns()->text() << window->Files()->headerItem()->text(0)
          << header->text(0) << header->text(1) << header->text(2) << header->text(3);
    QCOMPARE(texts.join(QLatin1Char('|')),
             U("bmp|emf, wmf|gif|jpg|pcd|pcx|png|psd|tga|tif|raw|heic, avif|webp|jxl|&Info|&Hilfe|B&eenden|"
               "Verzeichnis:|alle auswählen|*|Dateiname|Tag|Bezeichnung|Information|Rohdaten"));
    QCOMPARE(window->Info()->Preview()->geometry(), QRect(270, 18, 120, 120));
  }

  void storedSizesAreClampedOrIgnored() {
    Harness harness;
    std::unique_ptr<Verzeichnis> window;
    const auto start = [&](const QString& fwidth, const QString& fheight, const QString& pwidth) {
      window.reset();
      ClearSettings();
      WriteSetting(kAdmin, U("fwidth"), fwidth);
      WriteSetting(kAdmin, U("fheigth"), fheight);
      WriteSetting(kAdmin, U("pwidth"), pwidth);
      return harness.Start();
    };
    window = start(U("99999"), U("100"), U("5000x"));  // not a number: as if absent
    QCOMPARE(window->size(), QSize(ScreenPixels().width(), window->minimumHeight()));
    window = start(U("100"), U("breit"), U(" 5000.5 "));
    QCOMPARE(window->width(), 10785 / 15);
    // Too wide for the narrowest window: corrected so that the panels on the right stay whole.
    QCOMPARE(window->Layout().tree.width,
             window->centralWidget()->width() * 15 - 60 - 30 - window->Layout().rahmenRechts.width - 60);
    // Wider than the design: the window keeps its corner unless it would reach past the screen.
    window = start(Twips(ScreenPixels().width() - 10), {}, {});
    QCOMPARE(QPoint(window->width(), window->x()), QPoint(ScreenPixels().width() - 10, 10));
    // The screen size starts maximised, and closing stores the screen size again.
    window = start(Twips(ScreenPixels().width()), Twips(ScreenPixels().height() + 50), {});
    QVERIFY(window->isMaximized());
    QCOMPARE(window->normalGeometry().width(), 760);
    window->close();
    QVERIFY(Stored().startsWith(Twips(ScreenPixels().width()) + U("|") + Twips(ScreenPixels().height()) +
                                U("|")));
  }

  // A new program version deletes only the last session; the shut-down stores sizes and folder, once,
  // and the next start restores them.
  void versionChangeAndShutDown() {
    Harness harness;
    harness.MakeFolder(U("a/b"));
    StartIn(harness.Path(U("a/b")));
    WriteSetting(kAdmin, U("version"), U("0.9"));
    WriteSetting(kAdmin, U("pwidth"), U("5200"));
    auto window = harness.Start();
    QCOMPARE(Stored() + Setting(kAdmin, U("version")), U("||5200|1.0"));
    QCOMPARE(window->Layout().tree.width, 5200);
    QCOMPARE(window->Tree()->SelectedNode(), window->Tree()->DefaultDrive());
    window->resize(window->width() + 20, window->height());
    window->Tree()->NavigateTo(QFile::encodeName(harness.Path(U("a/b"))));
    window->QuitAction()->trigger();
    QVERIFY(!window->isVisible());
    const QString stored = U("11700|%1|5200|%2").arg(Twips(window->height()), harness.Path(U("a/b")));
    QCOMPARE(Stored(), stored);
    const int height = window->height();
    // The same version: all of it is restored; the close box stores the same as "Beenden", once.
    window = harness.Start();
    QCOMPARE(window->Tree()->SelectedNode()->text(0), U("b"));
    QCOMPARE(window->size(), QSize(780, height));
    ClearSettings();
    window->close();
    QCOMPARE(Stored(), stored);
    ClearSettings();
    window->close();
    QCOMPARE(Stored(), U("|||"));
  }

  void failuresAtStartUp() {
    Harness harness;
    StartOptions options = harness.Options();
    options.initComponents = [](Reporter& reporter) {
      reporter.Report({"Kelmarin", "Die benötigte Komponente", MessageIcon::Critical});
      return false;
    };
    Verzeichnis failed(std::move(options));
    QVERIFY(!failed.Load());  // a missing component ends before anything else
    QVERIFY(!failed.isVisible() && failed.Tree()->topLevelItemCount() == 0);
    QCOMPARE(Stored() + Setting(kAdmin, U("version")), U("|||"));
    // A definition file that fails leaves a window without a tree that stores nothing.
    for (const char* name : {"fwidth", "fheigth", "pwidth"}) WriteSetting(kAdmin, U(name), U("12345"));
    options = harness.Options();
    options.definitionFile = harness.Path(U("missing.def")).toStdString();
    auto window = harness.Start(std::move(options));
    QVERIFY(window->isVisible() && !window->HookActive() && window->Tree()->topLevelItemCount() == 0);
    QCOMPARE(harness.reporter.messages.size(), 2u);
    QTest::keyClick(window->Filter()->NamePatterns(), Qt::Key_Return);
    QCOMPARE(window->Files()->topLevelItemCount(), 0);
    window->close();
    QCOMPARE(Stored() + Setting(kAdmin, U("version")), U("12345|12345|12345|"));
    // A drive list that fails is fatal: the message, the end, no shut-down.
    ClearSettings();
    StartIn(harness.Root());
    options = harness.Options();
    options.listDrives = []() -> std::vector<DriveInfo> { throw std::runtime_error("mount table"); };
    window = harness.Start(std::move(options));
    QCOMPARE(
        harness.fatalMessages,
        QStringList(
            U("Schwerer Fehler bei Laufwerkseintrag\nEbene 0: <Arbeitsplatz>\nEbene 1: <>\n\nFehler: 51")));
    QCOMPARE(harness.endCalls, 1);
    window->close();
    QCOMPARE(Stored(), U("|||"));
  }

  // The core's layout pass reaches the widgets: taller grows the tree and moves the panels, wider
  // widens the metadata list; the splitters stop at their limits and leave the panels whole; the
  // view is restored at the next start.
  void resizeAndSplitters() {
    Harness harness;
    auto window = harness.Start();
    const WindowLayout before = window->Layout();
    const QRect panelsBefore = window->Filter()->geometry();
    window->setMinimumSize(0, 0);
    window->resize(window->width() + 40, window->height() + 20);
    QCOMPARE(window->Filter()->geometry(), panelsBefore.translated(0, 20));
    QCOMPARE(window->Metadata()->width(), (before.exifliste.width + 600) / 15);
    const int minTree = window->State().minTreeWidth;
    DragBar(window->VSplitter(), QPoint(-400, 5));
    QCOMPARE(window->Layout().tree.width, minTree);
    DragBar(window->VSplitter(), QPoint(30, 5));
    QCOMPARE(window->Layout().tree.width, minTree + 450);
    QCOMPARE(window->Metadata()->x(), window->VSplitter()->x() + 2);
    DragBar(window->VSplitter(), QPoint(-300, 5), Qt::RightButton);  // a right-button press does not drag
    QCOMPARE(window->Layout().tree.width, minTree + 450);
    const int height = window->Layout().tree.height;
    DragBar(window->HSplitter(), QPoint(5, -10));
    QCOMPARE(window->Layout().tree.height, height - 150);
    // Dragged to the right end: the window cannot be narrowed below tree and panel.
    window->resize(800, window->height());
    DragBar(window->VSplitter(), QPoint(2000, 5));
    QCOMPARE(window->Layout().tree.width, 12000 - 60 - 30 - 6000 - 60);
    QCOMPARE(window->Info()->geometry().right(), 800 - 5);
    QCOMPARE(window->minimumWidth(), 800);
    DragBar(window->VSplitter(), QPoint(-2000, 5));
    QCOMPARE(window->minimumWidth(), 10785 / 15);
    // Patterns, format boxes, column widths and the tree's height are restored at the next start.
    window->Filter()->NamePatterns()->setText(U("a*"));
    window->Filter()->Box(2)->setChecked(false);
    window->Metadata()->setColumnWidth(3, 333);
    const int treeHeight = window->Tree()->height();
    const int rawWidth = window->Metadata()->columnWidth(3);
    window->close();
    window = harness.Start();
    QCOMPARE(window->Filter()->NamePatterns()->text(), U("a*"));
    QVERIFY(!window->Filter()->Box(2)->isChecked() && window->Filter()->Box(1)->isChecked());
    QCOMPARE(window->Tree()->height(), treeHeight);
    QVERIFY(std::abs(window->Metadata()->columnWidth(3) - rawWidth) <= 1);
    QCOMPARE(Setting(U("Ansicht"), U("patterns")), U("a*"));
  }

  void noControlOverlapsAnotherAtAnyScale() {
    for (double twipsPerPixel : {15.0, 12.0, 10.0, 7.5}) {
      FilterPanel panel;
      TwipsScale scale;
      scale.perPixelX = scale.perPixelY = twipsPerPixel;
      panel.PlaceControls(scale);
      std::vector<QWidget*> controls = {panel.AllFormats()};
      for (int i = 0; i < static_cast<int>(kFormatBoxCount); ++i) {
        if (!panel.Box(i)->isHidden()) controls.push_back(panel.Box(i));
      }
      for (std::size_t a = 0; a < controls.size(); ++a) {
        // What the control shows (its caption) lies wholly inside the panel.
        const QRect shown(controls[a]->geometry().topLeft(),
                          controls[a]->geometry().size().boundedTo(controls[a]->sizeHint()));
        QVERIFY(controls[a]->parentWidget()->rect().contains(shown));
        for (std::size_t b = a + 1; b < controls.size(); ++b)
          QVERIFY(!controls[a]->geometry().intersects(controls[b]->geometry()));
      }
      // The new boxes share the fourth row: the button's top.
      QCOMPARE(panel.Box(13)->geometry().top(), panel.AllFormats()->geometry().top());
    }
  }

  // A failed load reports, restores the status and shows only what needs no pixels; another folder
  // clears everything.
  void nothingOfAFileStaysOnceAnotherIsChosen() {
    Harness harness;
    for (const char* folder : {"a", "b", "c"}) harness.MakeFolder(U(folder));
    harness.WriteJpeg(U("a/a.jpg"), 320, 240, true);
    QFile good(harness.Path(U("a/a.jpg")));
    QVERIFY(good.open(QIODevice::ReadOnly));
    const QByteArray whole = good.readAll();
    const QByteArray cut =
        whole.left(whole.lastIndexOf("\xFF\xDA") + 200);  // after the main image's scan start
    for (const auto& [name, bytes] : {std::pair{"a/b.jpg", QByteArray()},
                                      {"a/c.jpg", QByteArray("Liste\n")},
                                      {"a/d.jpg", cut},
                                      {"a/e.tif", QByteArray("Liste\n")},
                                      {"a/f.jpg", QByteArray("\xFF\xD8\xFF\xE0 kein JPEG")}})
      harness.WriteBytes(U(name), bytes);
    QVERIFY(samples::WriteBytes(QFile::encodeName(harness.Path(U("a/z.wmf"))).toStdString(),
                                samples::MakeWmf(360, 240, "1,5")));
    StartIn(harness.Path(U("a")));
    auto window = harness.Start();
    const int rows = window->Metadata()->topLevelItemCount();
    QVERIFY(rows > 5 && window->Info()->Preview()->HasPicture());
    // While a load's message is up, the status says "Bild einlesen" in red; then it is as before.
    const QString status = window->Filter()->StatusText() + window->Filter()->StatusColour().name();
    QString duringLoad;
    harness.reporter.onReport = [&] {
      duringLoad = window->Filter()->StatusText() + window->Filter()->StatusColour().name();
    };
    for (int i = 1; i < 6; ++i) {
      const QString name = window->Files()->topLevelItem(i)->text(0);
      const qint64 size = QFileInfo(harness.Path(U("a/") + name)).size();
      ClickItem(window->Files(), window->Files()->topLevelItem(i));
      QCOMPARE(harness.reporter.messages.size(), std::size_t(i));  // the load's own message
      QVERIFY(QString::fromStdString(harness.reporter.messages.back().text).startsWith(U("Fehler ")));
      QCOMPARE(duringLoad, U("Bild einlesen#ff0000"));
      QCOMPARE(window->Filter()->StatusText() + window->Filter()->StatusColour().name(), status);
      QCOMPARE(Shown(*window), U("%1|zuletzt geändert: |Dateigröße: %2 Bytes|||%3|")
                                   .arg(name, QLocale().toString(size))
                                   .arg(size == cut.size() ? rows : 0));
    }
    QCOMPARE(window->Current().current.width, 0);
    emit window->Info()->Preview()->clicked();  // after a failed read the preview opens nothing
    QVERIFY(!viewer_open);
    // A drawing loads although the desktop's C library had decimal commas.
    QCOMPARE(QByteArray(std::localeconv()->decimal_point), QByteArray("."));  // for the whole process
    ClickItem(window->Files(), window->Files()->topLevelItem(6));
    QVERIFY(harness.reporter.messages.size() == 5 && window->Info()->Preview()->HasPicture());
    ClickItem(window->Files(), window->Files()->topLevelItem(0));
    QTreeWidgetItem* top = window->Tree()->SelectedNode()->parent();
    const QString nothing = U("|||||0|");
    QVERIFY(Shown(*window) != nothing);
    ClickItem(window->Tree(), Child(top, U("b")));  // no image in it
    QCOMPARE(Shown(*window), nothing);
    ClickItem(window->Tree(), Child(top, U("a")));
    QVERIFY(QDir(harness.Root()).rmdir(U("c")));  // gone since the tree was built
    ClickItem(window->Tree(), Child(top, U("c")));
    QCOMPARE(Shown(*window), nothing);
    QCOMPARE(window->Filter()->StatusText(), U("Ordner kann nicht gelesen werden"));
  }
};

}  // namespace kelmarin::test

int main(int argc, char* argv[]) {
  qputenv("LC_ALL", "de_DE.UTF-8");  // before the application object takes the locale over
  QApplication application(argc, argv);
  kelmarin::test::WindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "WindowTest.moc"
