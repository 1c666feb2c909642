// The about window: the Windows row's logic, the component versions, the window and its links.
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <cctype>

#include "windows/ComponentList.h"
#include "windows/InformDialog.h"
#include "windows/LibraryVersions.h"
#include "windows/OperatingSystem.h"
#include "windows/ProgramVersion.h"

namespace kelmarin {
namespace {

OsVersionRecord Record(std::uint32_t platform, std::uint32_t major, std::uint32_t minor, std::uint32_t build,
                       std::uint8_t productType = 0, std::string servicePack = {},
                       std::uint16_t servicePackMajor = 0) {
  OsVersionRecord r;
  r.platformId = platform, r.majorVersion = major, r.minorVersion = minor, r.buildNumber = build;
  r.productType = productType, r.csdVersion = std::move(servicePack), r.servicePackMajor = servicePackMajor;
  return r;
}

// A system answering both forms; counts how often the extended form was asked for.
struct FakeSystem {
  OsVersionRecord record;
  int extendedAsked = 0;
  OsVersionQuery Query() {
    return [this](bool extended) -> std::optional<OsVersionRecord> {
      if (extended) ++extendedAsked;
      return record;
    };
  }
  std::string Text() { return WindowsVersionText(OperatingSystem(Query())); }
};

}  // namespace

// Receives the addresses the about window hands to the desktop.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void open(const QUrl& url) { opened.append(url); }
};

class AboutTest : public QObject {
  Q_OBJECT

 private slots:
  // The row's text: the name by platform and version, the edition by product type and suite (named
  // from version code 4 on), the service pack, the version numbers. The extended form is asked for
  // only where it is known to exist (its fields stay 0 otherwise). 98's build number repeats 4.10 in
  // its high word; its second edition writes a one-letter service-pack text.
  void windowsRow() {
    const struct {
      OsVersionRecord record;
      std::uint16_t suiteMask;
      const char* text;
      int extendedAsked;
    } cases[] = {
        {Record(1, 4, 0, 1000, 1), 0, "95 (4.0.1000)", 0},
        {Record(1, 4, 9, 1000, 0), 0, " (4.9.1000)", 0},
        {Record(1, 4, 10, 1000, 2), 0, "98 (4.10.1000)", 0},
        {Record(1, 4, 89, 1000, 2), 0, "98 (4.89.1000)", 0},
        {Record(1, 4, 90, 1000, 3), 0, "Me (4.90.1000)", 0},
        {Record(2, 3, 51, 1000, 1), 0, "NT 3.51 Server (3.51.1000)", 0},
        {Record(2, 3, 50, 1000, 1), 0, " (3.50.1000)", 0},
        {Record(2, 4, 0, 1000, 1), 0, "NT 4.0 Server (4.0.1000)", 0},
        {Record(2, 5, 0, 1000, 3), 0, "2000 Server (5.0.1000)", 1},
        {Record(2, 5, 1, 1000, 1), 0, "XP Professional (5.1.1000)", 1},
        {Record(2, 5, 1, 1000, 3), 0, ".NET Server Server (5.1.1000)", 1},
        {Record(2, 5, 2, 1000, 3), 0, "2003 Server Server (5.2.1000)", 1},
        {Record(2, 6, 0, 1000, 1), 0, "Vista Professional (6.0.1000)", 1},
        {Record(2, 6, 0, 1000, 2), 0, "Server Longhorn Server (6.0.1000)", 1},
        {Record(2, 6, 1, 1000, 1), 0, " (6.1.1000)", 1},
        {Record(1, 5, 0, 1000, 0), 0, " (5.0.1000)", 0},
        {Record(2, 5, 2, 3790, 1), 0x200, "2003 Server Home (5.2.3790)", 1},
        {Record(2, 5, 2, 3790, 1), 0x0, "2003 Server Professional (5.2.3790)", 1},
        {Record(2, 5, 2, 3790, 1), 0x82, "2003 Server Professional (5.2.3790)", 1},
        {Record(2, 5, 2, 3790, 3), 0x2, "2003 Server Enterprise (5.2.3790)", 1},
        {Record(2, 5, 2, 3790, 2), 0x82, "2003 Server Enterprise (5.2.3790)", 1},
        {Record(2, 5, 2, 3790, 3), 0x80, "2003 Server DataCenter (5.2.3790)", 1},
        {Record(2, 5, 2, 3790, 3), 0x200, "2003 Server Server (5.2.3790)", 1},
        {Record(2, 5, 2, 3790, 2), 0x0, "2003 Server Server (5.2.3790)", 1},
        {Record(2, 6, 1, 7601, 1, std::string("Service Pack 1") + std::string(114, '\0'), 1), 0,
         " SP 1.0 (6.1.7601)", 1},
        {Record(2, 5, 1, 2600, 1, "Service Pack 2", 2), 0x100, "XP Professional SP 2.0 (5.1.2600)", 1},
        {Record(1, 4, 10, 0x040A08AEu), 0, "98 (4.10.2222)", 0},
        {Record(1, 4, 10, 0x040A08AEu, 0, " A "), 0, "98 SP 0.0 (4.10.2222)", 0},
        {Record(2, 4, 0, 1381, 1, "Service Pack 5", 5), 0, "NT 4.0 Server SP 0.0 (4.0.1381)", 0},
        {Record(2, 4, 0, 1381, 1, "Service Pack 6a", 6), 0, "NT 4.0 Professional SP 6.0 (4.0.1381)", 1},
        {Record(1, 4, 90, 3000, 0, "Service Pack 9"), 0, "Me SP 0.0 (4.90.3000)", 0}};
    for (const auto& c : cases) {
      FakeSystem system{c.record};
      system.record.suiteMask = c.suiteMask;
      QCOMPARE(QString::fromStdString(system.Text()), QString::fromLatin1(c.text));
      QCOMPARE(system.extendedAsked, c.extendedAsked);
    }
    // Refused queries: zeros, or the short form when only the extended one is refused.
    QCOMPARE(WindowsVersionText(OperatingSystem([](bool) { return std::optional<OsVersionRecord>(); })),
             std::string(" (0.0.0)"));
    const OperatingSystem shortOnly([](bool extended) {
      return extended ? std::nullopt : std::optional<OsVersionRecord>(Record(2, 5, 0, 2195));
    });
    QCOMPARE(WindowsVersionText(shortOnly), std::string("2000 Server (5.0.2195)"));
  }

  void windowComponentsAndLinks() {
    UrlCatcher catcher;
    for (const char* scheme : {"https", "http", "mailto"})
      QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "open");
    Inform window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Informationen über Kelmarin"));
    QCOMPARE(window.VersionLabel().text(), QStringLiteral("Kelmarin Version 1.0.3"));
    QTreeWidget& list = window.VersionInfo();
    QStringList names;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
      names << list.topLevelItem(i)->text(0);
      if (!names.last().isEmpty()) QVERIFY(!list.topLevelItem(i)->text(1).isEmpty());
    }
    QCOMPARE(names.join(QLatin1Char(',')),
             QStringLiteral("Linux,Qt,,libjpeg-turbo,libpng,giflib,libtiff,LibRaw,"
                            "ImageMagick,libemf2svg,libheif,libwebp,libjxl"));
    QVERIFY(list.topLevelItem(0)->text(1).contains(QSysInfo::kernelVersion()));
    QCOMPARE(list.topLevelItem(1)->text(1), QString::fromLatin1(qVersion()));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Every imaging library reports a version that starts with a digit; a missing one shows "NV".
    QCOMPARE(VersionOrNV(SharedLibraryFileVersion("libkelmarin-not-there.so.3")), QStringLiteral("NV"));
    QCOMPARE(SharedLibraryFileVersion(nullptr), std::string());
    QCOMPARE(MagickVersionFromBanner("ImageMagick"), std::string());
    for (const LibraryVersion& library : ImagingLibraryVersions())
      QVERIFY2(!library.version.empty() && std::isdigit(library.version.front()), library.component.c_str());
    QTest::mouseClick(&window.WebLink(), Qt::LeftButton);
    QTest::mouseClick(&window.MailLink(), Qt::LeftButton);
    QTest::mouseClick(&window.MailLink(), Qt::RightButton);  // only the left button follows a link
    for (const char* scheme : {"https", "http", "mailto"})
      QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    QCOMPARE(catcher.opened, QList<QUrl>({QUrl(QStringLiteral(KELMARIN_HOMEPAGE)),
                                          QUrl(QStringLiteral("mailto:" KELMARIN_MAIL))}));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("OK")), Qt::LeftButton);
    QVERIFY(!window.isVisible() && window.result() == QDialog::Accepted);
  }
};

}  // namespace kelmarin

QTEST_MAIN(kelmarin::AboutTest)
#include "AboutTest.moc"
