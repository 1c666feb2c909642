// The help: installed by "cmake --install" where the program finds it, every link in it resolves, and
// "Hilfe" hands it to the desktop's browser.
#include <QAction>
#include <QDesktopServices>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "TestSupport.h"
#include "browser/HelpFile.h"

namespace kelmarin::test {

class HelpTest : public QObject {
  Q_OBJECT

 public slots:
  void Open(const QUrl& url) { opened.append(url); }

 private:
  QList<QUrl> opened;
  const QString installed = FindHelpFile(QStringLiteral(KELMARIN_HELP_PROGRAM_DIR));

 private slots:
  void installedWithLinksThatResolve() {
    QVERIFY2(installed.endsWith(QStringLiteral("/share/kelmarin/help/index.html")), qPrintable(installed));
    QCOMPARE(FindHelpFile(QStringLiteral(KELMARIN_BUILD_PROGRAM_DIR)),
             QStringLiteral(KELMARIN_BUILD_PROGRAM_DIR "/help/index.html"));
    const QDir folder = QFileInfo(installed).dir();
    const auto read = [&](const QString& name) {
      QFile file(folder.filePath(name));
      return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    const QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
    int links = 0;
    for (const QString& page : folder.entryList({QStringLiteral("*.html")}, QDir::Files)) {
      for (const auto& match : link.globalMatch(read(page))) {
        const QString target = match.captured(1);  // only links inside the help: read without a network
        const QString file = target.section(QLatin1Char('#'), 0, 0);
        const QString anchor = target.section(QLatin1Char('#'), 1);
        const QString linked = read(file.isEmpty() ? page : file);
        QVERIFY2(!target.contains(QLatin1Char(':')) && !linked.isEmpty() &&
                     (anchor.isEmpty() || linked.contains(QStringLiteral(" id=\"%1\"").arg(anchor))),
                 qPrintable(page + QStringLiteral(": ") + target));
        ++links;
      }
    }
    QVERIFY(links > 10);
    // Only a file is a help: not a folder of that name, not a missing one.
    QTemporaryDir program;
    QVERIFY(QDir(program.path()).mkpath(QStringLiteral("help/index.html")));
    QCOMPARE(FindHelpFile(program.path()), QString());
  }

  void menuOpensItInTheBrowser() {
    PrepareEnvironment();
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open");
    Harness harness;
    StartOptions options = harness.Options();
    options.programFolder = QStringLiteral(KELMARIN_HELP_PROGRAM_DIR);
    harness.Start(options)->HelpAction()->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(installed)});
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::HelpTest)
#include "HelpTest.moc"
