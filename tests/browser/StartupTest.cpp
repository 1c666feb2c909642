// Start-up, settings and shut-down of the main window.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include "TestSupport.h"
#include "browser/FileList.h"
#include "browser/FilterPanel.h"
#include "browser/FolderTree.h"

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

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    PrepareEnvironment();
    QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 96.0);  // 15 twips per pixel
  }
  void init() { ClearSettings(); }

  void firstStartWithoutSettings() {
    Harness harness;
    auto window = harness.Start();
    QVERIFY(window->isVisible() && !window->isMaximized());
    QCOMPARE(window->windowTitle(), QStringLiteral("Kelmarin"));
    QCOMPARE(window->width(), 760);
    QCOMPARE(window->centralWidget()->height(), 555);           // 8325 twips of client area
    QCOMPARE(window->x(), (ScreenPixels().width() - 760) / 2);  // centred
    QCOMPARE(window->minimumSize(), QSize(10785 / 15, window->height()));
    QCOMPARE(window->maximumSize(), ScreenPixels());
    QCOMPARE(Setting(kAdmin, QStringLiteral("version")), QStringLiteral("1.0"));
    // The stored default start folder lies on no drive: the default drive is opened.
    QCOMPARE(window->Tree()->Root()->text(0), QStringLiteral("Arbeitsplatz testhost"));
    QCOMPARE(window->Tree()->SelectedNode(), window->Tree()->DefaultDrive());
    QCOMPARE(window->PathLabel()->text(), harness.Root());
    QCOMPARE(window->Layout().tree.width, window->State().minTreeWidth);
    QCOMPARE(window->Files()->headerItem()->text(0), QStringLiteral("Dateiname"));
    QVERIFY(harness.reporter.messages.empty());
  }

  void storedSizesAreClampedOrIgnored() {
    Harness harness;
    std::unique_ptr<Verzeichnis> window;
    const auto start = [&](const char* fwidth, const char* fheight, const char* pwidth) {
      window.reset();
      ClearSettings();
      SetSetting(kAdmin, QStringLiteral("fwidth"), QString::fromUtf8(fwidth));
      SetSetting(kAdmin, QStringLiteral("fheigth"), QString::fromUtf8(fheight));
      SetSetting(kAdmin, QStringLiteral("pwidth"), QString::fromUtf8(pwidth));
      return harness.Start();
    };
    window = start("99999", "100", "5000x");  // not a number: as if absent
    QCOMPARE(window->width(), ScreenPixels().width());
    QCOMPARE(window->height(), window->minimumHeight());
    QCOMPARE(window->Layout().tree.width, window->State().minTreeWidth);
    window = start("100", "breit", " 5000.5 ");
    QCOMPARE(window->width(), 10785 / 15);
    // Too wide for the narrowest window: corrected so that the panels on the right stay whole.
    QCOMPARE(window->Layout().tree.width,
             window->centralWidget()->width() * 15 - 60 - 30 - window->Layout().rahmenRechts.width - 60);
    // Wider than the design: the window keeps its corner unless it would reach past the screen.
    window = start(Twips(ScreenPixels().width() - 10).toUtf8().constData(), "", "");
    QCOMPARE(window->width(), ScreenPixels().width() - 10);
    QCOMPARE(window->x(), 10);
    // The screen size starts maximised, and closing stores the screen size again.
    window = start(Twips(ScreenPixels().width()).toUtf8().constData(),
                   Twips(ScreenPixels().height() + 50).toUtf8().constData(), "");
    QVERIFY(window->isMaximized());
    QCOMPARE(window->normalGeometry().width(), 760);
    window->close();
    QCOMPARE(Setting(kAdmin, QStringLiteral("fwidth")), Twips(ScreenPixels().width()));
    QCOMPARE(Setting(kAdmin, QStringLiteral("fheigth")), Twips(ScreenPixels().height()));
  }

  void versionChangeDeletesOnlyTheLastSession() {
    Harness harness;
    harness.MakeFolder(QStringLiteral("bilder"));
    SetSetting(kAdmin, QStringLiteral("version"), QStringLiteral("0.9"));
    SetSetting(kAdmin, QStringLiteral("pwidth"), QStringLiteral("5200"));
    SetSetting(kSession, QStringLiteral("startpath"), harness.Path(QStringLiteral("bilder")));
    auto window = harness.Start();
    QCOMPARE(Setting(kAdmin, QStringLiteral("version")), QStringLiteral("1.0"));
    QVERIFY(Setting(kSession, QStringLiteral("startpath")).isNull());
    QCOMPARE(window->Layout().tree.width, 5200);
    QCOMPARE(window->Tree()->SelectedNode(), window->Tree()->DefaultDrive());
    window.reset();
    SetSetting(kSession, QStringLiteral("startpath"), harness.Path(QStringLiteral("bilder")));
    window = harness.Start();  // same version: the start folder is opened
    QCOMPARE(window->Tree()->SelectedNode()->text(0), QStringLiteral("bilder"));
  }

  void shutDownStoresSizesAndFolderOnce() {
    Harness harness;
    harness.MakeFolder(QStringLiteral("a/b"));
    auto window = harness.Start();
    window->resize(window->width() + 20, window->height());
    window->Tree()->NavigateTo(QFile::encodeName(harness.Path(QStringLiteral("a/b"))));
    window->QuitAction()->trigger();
    QVERIFY(!window->isVisible());
    QCOMPARE(Setting(kAdmin, QStringLiteral("fwidth")), Twips(780));
    QCOMPARE(Setting(kAdmin, QStringLiteral("fheigth")), Twips(window->height()));
    QCOMPARE(Setting(kAdmin, QStringLiteral("pwidth")), QStringLiteral("4560"));
    QCOMPARE(Setting(kSession, QStringLiteral("startpath")), harness.Path(QStringLiteral("a/b")));
    const int height = window->height();
    window.reset();
    // The next start restores all of it; the close box stores the same as "Beenden", once.
    window = harness.Start();
    QCOMPARE(window->Tree()->SelectedNode()->text(0), QStringLiteral("b"));
    QCOMPARE(window->size(), QSize(780, height));
    ClearSettings();
    window->close();
    QCOMPARE(Setting(kSession, QStringLiteral("startpath")), harness.Path(QStringLiteral("a/b")));
    ClearSettings();
    window->close();
    QVERIFY(Setting(kAdmin, QStringLiteral("fwidth")).isNull());
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
    QVERIFY(!failed.isVisible());
    QCOMPARE(failed.Tree()->topLevelItemCount(), 0);
    QVERIFY(Setting(kAdmin, QStringLiteral("version")).isNull());

    // A definition file that fails leaves a window without a tree that stores nothing.
    const QStringList sizes({QStringLiteral("fwidth"), QStringLiteral("fheigth"), QStringLiteral("pwidth")});
    for (const QString& name : sizes) SetSetting(kAdmin, name, QStringLiteral("12345"));
    options = harness.Options();
    options.definitionFile = harness.Path(QStringLiteral("missing.def")).toStdString();
    auto window = harness.Start(std::move(options));
    QVERIFY(window->isVisible());
    QCOMPARE(window->Tree()->topLevelItemCount(), 0);
    QVERIFY(!window->HookActive());
    QCOMPARE(harness.reporter.messages.size(), 2u);
    QTest::keyClick(window->Filter()->NamePatterns(), Qt::Key_Return);
    QCOMPARE(window->Files()->topLevelItemCount(), 0);
    QVERIFY(Setting(kAdmin, QStringLiteral("version")).isNull());
    window->close();
    QVERIFY(Setting(kSession, QStringLiteral("startpath")).isNull());
    for (const QString& name : sizes) QCOMPARE(Setting(kAdmin, name), QStringLiteral("12345"));

    // A drive list that fails is fatal: the message, the end, no shut-down.
    ClearSettings();
    SetSetting(kAdmin, QStringLiteral("version"), QStringLiteral("1.0"));
    SetSetting(kSession, QStringLiteral("startpath"), harness.Root());
    options = harness.Options();
    options.listDrives = []() -> std::vector<DriveInfo> { throw std::runtime_error("mount table"); };
    window = harness.Start(std::move(options));
    QCOMPARE(
        harness.fatalMessages,
        QStringList(QStringLiteral(
            "Schwerer Fehler bei Laufwerkseintrag\nEbene 0: <Arbeitsplatz>\nEbene 1: <>\n\nFehler: 51")));
    QCOMPARE(harness.endCalls, 1);
    QVERIFY(Setting(kSession, QStringLiteral("startpath")).isNull());
    window->close();
    QVERIFY(Setting(kAdmin, QStringLiteral("fwidth")).isNull());
  }

  void helpFileOnlyWhenPresent() {
    Harness harness;
    StartOptions options = harness.Options();
    options.programFolder = harness.Root();
    QVERIFY(harness.Start(options)->HelpFile().isEmpty());
    harness.MakeFolder(QStringLiteral("help/index.html"));  // a folder is no help file
    QVERIFY(harness.Start(options)->HelpFile().isEmpty());
    QDir(harness.Root()).rmdir(QStringLiteral("help/index.html"));
    harness.WriteBytes(QStringLiteral("help/index.html"), "<html>");
    QCOMPARE(harness.Start(options)->HelpFile(), harness.Path(QStringLiteral("help/index.html")));
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::StartupTest)
#include "StartupTest.moc"
