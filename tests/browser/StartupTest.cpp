// Start-up, settings and shut-down of the main window.
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include "TestSupport.h"
#include "browser/FileList.h"
#include "browser/FilterPanel.h"
#include "browser/FolderTree.h"

namespace kelmarin::test {

class StartupTest : public QObject {
  Q_OBJECT

 private:
  QSize ScreenPixels() const { return QGuiApplication::primaryScreen()->availableGeometry().size(); }
  QString Twips(int pixels) const { return QString::number(pixels * 15); }

 private slots:
  void initTestCase() {
    PrepareEnvironment();
    QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 96.0);  // 15 twips per pixel
  }
  void init() { ClearSettings(); }

  void firstStartWithoutSettings() {
    Harness harness;
    auto window = harness.Start();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(!window->isMaximized());
    QCOMPARE(window->windowTitle(), QStringLiteral("Kelmarin"));
    const QSize design(760, window->height());
    QCOMPARE(window->width(), design.width());
    QCOMPARE(window->centralWidget()->height(), 555);  // 8325 twips of client area
    // Placed where the design-size window would be centred.
    QCOMPARE(window->x(), (ScreenPixels().width() - design.width()) / 2);
    QCOMPARE(window->minimumSize(), QSize(10785 / 15, window->height()));
    QCOMPARE(window->maximumSize(), ScreenPixels());
    QCOMPARE(Setting(QStringLiteral("Administration"), QStringLiteral("version")), QStringLiteral("1.0"));
    // The stored default start folder lies on no drive: the default drive is opened.
    FolderTree* tree = window->Tree();
    QCOMPARE(tree->Root()->text(0), QStringLiteral("Arbeitsplatz testhost"));
    QCOMPARE(tree->SelectedNode(), tree->DefaultDrive());
    QCOMPARE(window->PathLabel()->text(), harness.Root());
    QCOMPARE(window->Layout().tree.height, 3000);
    QCOMPARE(window->Layout().tree.width, window->State().minTreeWidth);
    QVERIFY(window->Files()->HasNameColumn());
    QCOMPARE(window->Files()->headerItem()->text(0), QStringLiteral("Dateiname"));
    QVERIFY(harness.reporter.messages.empty());
  }

  void storedSizesAreClampedToScreenAndMinimum() {
    Harness harness;
    SetSetting(QStringLiteral("Administration"), QStringLiteral("fwidth"), QStringLiteral("99999"));
    SetSetting(QStringLiteral("Administration"), QStringLiteral("fheigth"), QStringLiteral("100"));
    auto window = harness.Start();
    QCOMPARE(window->width(), ScreenPixels().width());
    QCOMPARE(window->height(), window->minimumHeight());
    QVERIFY(!window->isMaximized());
    window.reset();

    SetSetting(QStringLiteral("Administration"), QStringLiteral("fwidth"), QStringLiteral("100"));
    window = harness.Start();
    QCOMPARE(window->width(), 10785 / 15);
    window.reset();

    // Wider than the design: the window keeps its corner unless it would reach past the screen.
    SetSetting(QStringLiteral("Administration"), QStringLiteral("fwidth"),
               Twips(ScreenPixels().width() - 10));
    window = harness.Start();
    QCOMPARE(window->width(), ScreenPixels().width() - 10);
    QCOMPARE(window->x(), 10);
  }

  void settingsThatAreNoNumbersCountAsAbsent() {
    Harness harness;
    SetSetting(QStringLiteral("Administration"), QStringLiteral("fwidth"), QStringLiteral("breit"));
    SetSetting(QStringLiteral("Administration"), QStringLiteral("pwidth"), QStringLiteral("5000x"));
    auto window = harness.Start();
    QCOMPARE(window->width(), 760);
    QCOMPARE(window->Layout().tree.width, window->State().minTreeWidth);
    window.reset();
    SetSetting(QStringLiteral("Administration"), QStringLiteral("pwidth"), QStringLiteral(" 5000.5 "));
    window = harness.Start();
    QCOMPARE(window->Layout().tree.width, 5000);
  }

  void screenSizeStartsMaximised() {
    Harness harness;
    SetSetting(QStringLiteral("Administration"), QStringLiteral("fwidth"), Twips(ScreenPixels().width()));
    SetSetting(QStringLiteral("Administration"), QStringLiteral("fheigth"),
               Twips(ScreenPixels().height() + 50));
    auto window = harness.Start();
    QVERIFY(window->Sizes().maximise);
    QVERIFY(window->isMaximized());
    QCOMPARE(window->normalGeometry().width(), 760);
    // Closing a maximised window stores the screen size, so that it starts maximised again.
    window->close();
    QCOMPARE(Setting(QStringLiteral("Administration"), QStringLiteral("fwidth")),
             Twips(ScreenPixels().width()));
    QCOMPARE(Setting(QStringLiteral("Administration"), QStringLiteral("fheigth")),
             Twips(ScreenPixels().height()));
  }

  void versionChangeDeletesOnlyTheLastSession() {
    Harness harness;
    harness.MakeFolder(QStringLiteral("bilder"));
    SetSetting(QStringLiteral("Administration"), QStringLiteral("version"), QStringLiteral("0.9"));
    SetSetting(QStringLiteral("Administration"), QStringLiteral("pwidth"), QStringLiteral("5200"));
    SetSetting(QStringLiteral("LastSession"), QStringLiteral("startpath"),
               harness.Path(QStringLiteral("bilder")));
    auto window = harness.Start();
    QCOMPARE(Setting(QStringLiteral("Administration"), QStringLiteral("version")), QStringLiteral("1.0"));
    QVERIFY(Setting(QStringLiteral("LastSession"), QStringLiteral("startpath")).isNull());
    QCOMPARE(window->Layout().tree.width, 5200);
    QCOMPARE(window->Tree()->SelectedNode(), window->Tree()->DefaultDrive());
    window.reset();

    // Same version: the start folder is opened.
    SetSetting(QStringLiteral("LastSession"), QStringLiteral("startpath"),
               harness.Path(QStringLiteral("bilder")));
    window = harness.Start();
    QCOMPARE(window->Tree()->SelectedNode()->text(0), QStringLiteral("bilder"));
  }

  void shutDownStoresSizesAndFolder() {
    Harness harness;
    harness.MakeFolder(QStringLiteral("a/b"));
    auto window = harness.Start();
    window->resize(window->width() + 20, window->height());
    window->Tree()->NavigateTo(QFile::encodeName(harness.Path(QStringLiteral("a/b"))));
    window->QuitAction()->trigger();
    QVERIFY(!window->isVisible());
    QCOMPARE(Setting(QStringLiteral("Administration"), QStringLiteral("fwidth")), Twips(780));
    QCOMPARE(Setting(QStringLiteral("Administration"), QStringLiteral("fheigth")), Twips(window->height()));
    QCOMPARE(Setting(QStringLiteral("Administration"), QStringLiteral("pwidth")), QStringLiteral("4560"));
    QCOMPARE(Setting(QStringLiteral("LastSession"), QStringLiteral("startpath")),
             harness.Path(QStringLiteral("a/b")));
    const int height = window->height();
    window.reset();

    // The next start restores all of it; the close box stores the same as "Beenden".
    window = harness.Start();
    QCOMPARE(window->Tree()->SelectedNode()->text(0), QStringLiteral("b"));
    QCOMPARE(window->size(), QSize(780, height));
    ClearSettings();
    window->close();
    QCOMPARE(Setting(QStringLiteral("Administration"), QStringLiteral("fwidth")), Twips(780));
    QCOMPARE(Setting(QStringLiteral("LastSession"), QStringLiteral("startpath")),
             harness.Path(QStringLiteral("a/b")));
    // The shut-down runs once.
    ClearSettings();
    window->close();
    QVERIFY(Setting(QStringLiteral("Administration"), QStringLiteral("fwidth")).isNull());
  }

  void componentFailureEndsBeforeAnythingElse() {
    Harness harness;
    StartOptions options = harness.Options();
    options.initComponents = [](Reporter& reporter) {
      reporter.Report({"Kelmarin", "Die benötigte Komponente", MessageIcon::Critical});
      return false;
    };
    Verzeichnis window(std::move(options));
    QVERIFY(!window.Load());
    QVERIFY(!window.isVisible());
    QCOMPARE(window.Tree()->topLevelItemCount(), 0);
    QVERIFY(Setting(QStringLiteral("Administration"), QStringLiteral("version")).isNull());
    QVERIFY(Setting(QStringLiteral("Administration"), QStringLiteral("fwidth")).isNull());
    QCOMPARE(harness.reporter.messages.size(), 1u);
  }

  void definitionFailureLeavesWindowWithoutTree() {
    Harness harness;
    StartOptions options = harness.Options();
    options.definitionFile = harness.Path(QStringLiteral("missing.def")).toStdString();
    auto window = harness.Start(std::move(options));
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->Tree()->topLevelItemCount(), 0);
    QVERIFY(!window->Files()->HasNameColumn());
    QVERIFY(!window->HookActive());
    QCOMPARE(harness.reporter.messages.size(), 1u);
    QVERIFY(Setting(QStringLiteral("Administration"), QStringLiteral("version")).isNull());
    // The design layout holds; the filter does nothing without a tree.
    QCOMPARE(window->Layout().tree.height, 2160);
    QTest::keyClick(window->Filter()->NamePatterns(), Qt::Key_Return);
    QCOMPARE(window->Files()->topLevelItemCount(), 0);
    window->close();
    QVERIFY(Setting(QStringLiteral("LastSession"), QStringLiteral("startpath")).isNull());
  }

  void helpFileOnlyWhenPresent() {
    Harness harness;
    StartOptions options = harness.Options();
    options.programFolder = harness.Root();
    auto window = harness.Start(options);
    QVERIFY(window->HelpFile().isEmpty());
    window->HelpAction()->trigger();  // does nothing
    window.reset();
    harness.MakeFolder(QStringLiteral("help/index.html"));  // a folder is no help file
    window = harness.Start(options);
    QVERIFY(window->HelpFile().isEmpty());
    window.reset();
    QDir(harness.Root()).rmdir(QStringLiteral("help/index.html"));
    harness.WriteBytes(QStringLiteral("help/index.html"), "<html>");
    window = harness.Start(options);
    QCOMPARE(window->HelpFile(), harness.Path(QStringLiteral("help/index.html")));
  }

  void failingDriveListIsFatal() {
    Harness harness;
    SetSetting(QStringLiteral("Administration"), QStringLiteral("version"), QStringLiteral("1.0"));
    SetSetting(QStringLiteral("LastSession"), QStringLiteral("startpath"), harness.Root());
    StartOptions options = harness.Options();
    options.listDrives = []() -> std::vector<DriveInfo> { throw std::runtime_error("mount table"); };
    auto window = harness.Start(std::move(options));
    QCOMPARE(
        harness.fatalMessages,
        QStringList(QStringLiteral(
            "Schwerer Fehler bei Laufwerkseintrag\nEbene 0: <Arbeitsplatz>\nEbene 1: <>\n\nFehler: 51")));
    QCOMPARE(harness.endCalls, 1);
    QVERIFY(Setting(QStringLiteral("LastSession"), QStringLiteral("startpath")).isNull());
    // The program ended: no shut-down stores anything.
    window->close();
    QVERIFY(Setting(QStringLiteral("Administration"), QStringLiteral("fwidth")).isNull());
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::StartupTest)
#include "StartupTest.moc"
