// The help: installed by "cmake --install" where the program finds it, every link in it resolves, and
// "Hilfe" hands it to the desktop's browser.
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

#include "TestSupport.h"
#include "browser/HelpFile.h"

namespace kelmarin::test {

class UrlCatcher : public QObject {
  Q_OBJECT
 public slots:
  void Open(const QUrl& url) { urls.append(url); }

 public:
  QList<QUrl> urls;
};

class HelpTest : public QObject {
  Q_OBJECT

  static QString Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }

 private slots:
  void initTestCase() { PrepareEnvironment(); }

  void installedAndBesideTheBuiltProgram() {
    const QString installed = FindHelpFile(QStringLiteral(KELMARIN_HELP_PROGRAM_DIR));
    QVERIFY2(installed.endsWith(QStringLiteral("/share/kelmarin/help/index.html")), qPrintable(installed));
    QCOMPARE(FindHelpFile(QStringLiteral(KELMARIN_BUILD_PROGRAM_DIR)),
             QStringLiteral(KELMARIN_BUILD_PROGRAM_DIR "/help/index.html"));
  }

  void everyLinkResolves() {
    const QDir folder = QFileInfo(FindHelpFile(QStringLiteral(KELMARIN_HELP_PROGRAM_DIR))).dir();
    const QStringList pages = folder.entryList({QStringLiteral("*.html")}, QDir::Files);
    QVERIFY(!pages.isEmpty());
    const QRegularExpression link(QStringLiteral(R"re((?:href|src)="([^"]*)")re"));
    const QRegularExpression id(QStringLiteral(R"re(\sid="([^"]+)")re"));
    int links = 0;
    for (const QString& page : pages) {
      const QString text = Read(folder.filePath(page));
      QVERIFY(text.contains(QStringLiteral("<html lang=\"de\">")));
      for (const auto& match : link.globalMatch(text)) {
        const QString target = match.captured(1);
        ++links;
        // Only links inside the help: it is read without a network.
        QVERIFY2(!target.contains(QLatin1Char(':')), qPrintable(page + QStringLiteral(": ") + target));
        const QString file = target.section(QLatin1Char('#'), 0, 0);
        const QString anchor = target.section(QLatin1Char('#'), 1);
        const QString linked = Read(folder.filePath(file.isEmpty() ? page : file));
        QVERIFY2(!linked.isEmpty(), qPrintable(page + QStringLiteral(": ") + target));
        bool found = anchor.isEmpty();
        for (const auto& ids : id.globalMatch(linked)) found = found || ids.captured(1) == anchor;
        QVERIFY2(found, qPrintable(page + QStringLiteral(": ") + target));
      }
    }
    QVERIFY(links > 10);
  }

  void menuOpensItInTheBrowser() {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "Open");
    Harness harness;
    StartOptions options = harness.Options();
    options.programFolder = QStringLiteral(KELMARIN_HELP_PROGRAM_DIR);
    auto window = harness.Start(options);
    window->HelpAction()->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.urls.size(), 1);
    QCOMPARE(catcher.urls.front(),
             QUrl::fromLocalFile(FindHelpFile(QStringLiteral(KELMARIN_HELP_PROGRAM_DIR))));
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::HelpTest)
#include "HelpTest.moc"
