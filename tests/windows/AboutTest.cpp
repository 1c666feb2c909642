// The about window: version text, the Windows row's logic, the component list, the links.
#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "windows/ComponentList.h"
#include "windows/InformDialog.h"
#include "windows/LibraryVersions.h"
#include "windows/OperatingSystem.h"
#include "windows/ProgramVersion.h"

namespace kelmarin {
namespace {

OsVersionRecord Record(std::uint32_t platform, std::uint32_t major, std::uint32_t minor, std::uint32_t build,
                       std::string servicePack = {}) {
  OsVersionRecord r;
  r.platformId = platform;
  r.majorVersion = major;
  r.minorVersion = minor;
  r.buildNumber = build;
  r.csdVersion = std::move(servicePack);
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
  void versionText();
  void versionCodes_data();
  void versionCodes();
  void editions();
  void windowsRows();
  void extendedFormOnlyWhereKnown();
  void refusedQueryGivesZeros();
  void missingComponentGivesNV();
  void libraryBanners();
  void windowContents();
  void linksOpenThroughDesktop();
};

void AboutTest::versionText() {
  QCOMPARE(ProgramVersionText(1, 0, 3), QStringLiteral("1.0.3"));
  QCOMPARE(ProgramVersionText(1, 10, 5), QStringLiteral("1.10.5"));
  QCOMPARE(ProgramVersionText(1, 2, 0), QStringLiteral("1.2.0"));
  QCOMPARE(ProgramVersionText(10, 0, 0), QStringLiteral("10.0.0"));
  QCOMPARE(ProgramVersionText(2, 20, 100), QStringLiteral("2.20.100"));
  QCOMPARE(ProgramVersionText(), QStringLiteral("1.0.3"));  // this build
  QCOMPARE(VersionCaption(QString(), QStringLiteral("1.0.3")), QStringLiteral("Version 1.0.3"));
  QCOMPARE(VersionCaption(QStringLiteral("Kelmarin"), QStringLiteral("1.0.3")),
           QStringLiteral("Kelmarin Version 1.0.3"));
}

void AboutTest::versionCodes_data() {
  QTest::addColumn<int>("platform");
  QTest::addColumn<int>("major");
  QTest::addColumn<int>("minor");
  QTest::addColumn<int>("productType");
  QTest::addColumn<int>("code");
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("subName");
  QTest::newRow("95") << 1 << 4 << 0 << 0 << 1 << "Windows 95"
                      << "95";
  QTest::newRow("4.1 is nothing") << 1 << 4 << 1 << 0 << 0 << ""
                                  << "";
  QTest::newRow("4.9 is nothing") << 1 << 4 << 9 << 0 << 0 << ""
                                  << "";
  QTest::newRow("98") << 1 << 4 << 10 << 0 << 2 << "Windows 98"
                      << "98";
  QTest::newRow("98, upper end") << 1 << 4 << 89 << 0 << 2 << "Windows 98"
                                 << "98";
  QTest::newRow("Me") << 1 << 4 << 90 << 0 << 3 << "Windows Me"
                      << "Me";
  QTest::newRow("NT 3.51") << 2 << 3 << 51 << 1 << 4 << "Windows NT 3.51"
                           << "NT 3.51";
  QTest::newRow("NT 3.5 is nothing") << 2 << 3 << 50 << 1 << 0 << ""
                                     << "";
  QTest::newRow("NT 4") << 2 << 4 << 0 << 1 << 5 << "Windows NT 4.0"
                        << "NT 4.0";
  QTest::newRow("2000") << 2 << 5 << 0 << 3 << 6 << "Windows 2000"
                        << "2000";
  QTest::newRow("XP") << 2 << 5 << 1 << 1 << 7 << "Windows XP"
                      << "XP";
  QTest::newRow(".NET Server") << 2 << 5 << 1 << 3 << 8 << "Windows .NET Server"
                               << ".NET Server";
  QTest::newRow("2003") << 2 << 5 << 2 << 3 << 9 << "Windows 2003 Server"
                        << "2003 Server";
  QTest::newRow("Vista") << 2 << 6 << 0 << 1 << 10 << "Windows Vista"
                         << "Vista";
  QTest::newRow("Longhorn") << 2 << 6 << 0 << 2 << 11 << "Windows Server Longhorn"
                            << "Server Longhorn";
  QTest::newRow("7 is nothing") << 2 << 6 << 1 << 1 << 0 << ""
                                << "";
  QTest::newRow("platform 1, major 5") << 1 << 5 << 0 << 0 << 0 << ""
                                       << "";
}

void AboutTest::versionCodes() {
  QFETCH(int, platform);
  QFETCH(int, major);
  QFETCH(int, minor);
  QFETCH(int, productType);
  QFETCH(int, code);
  QFETCH(QString, name);
  QFETCH(QString, subName);
  FakeSystem system;
  system.record = Record(static_cast<std::uint32_t>(platform), static_cast<std::uint32_t>(major),
                         static_cast<std::uint32_t>(minor), 1000);
  system.record.productType = static_cast<std::uint8_t>(productType);
  const OperatingSystem os(system.Query());
  QCOMPARE(os.Version(), code);
  QCOMPARE(QString::fromStdString(os.Name()), name);
  QCOMPARE(QString::fromStdString(os.SubName()), subName);
  QCOMPARE(os.Platform(), platform);
}

void AboutTest::editions() {
  struct Case {
    std::uint8_t productType;
    std::uint16_t suiteMask;
    int edition;
    const char* name;
  };
  const Case cases[] = {
      {1, 0x200, 1, "Home"},
      {1, 0x0, 2, "Professional"},
      {1, 0x2 | 0x80, 2, "Professional"},
      {3, 0x2, 4, "Enterprise"},
      {2, 0x2 | 0x80, 4, "Enterprise"},
      {3, 0x80, 5, "DataCenter"},
      {3, 0x200, 3, "Server"},
      {2, 0x0, 3, "Server"},
  };
  for (const Case& c : cases) {
    FakeSystem system;
    system.record = Record(2, 5, 2, 3790);
    system.record.productType = c.productType;
    system.record.suiteMask = c.suiteMask;
    const OperatingSystem os(system.Query());
    QCOMPARE(os.Edition(), c.edition);
    QCOMPARE(QString::fromStdString(os.EditionName()), QString::fromLatin1(c.name));
  }
  // Below version code 4 the edition is computed but not named.
  FakeSystem me;
  me.record = Record(1, 4, 90, 3000);
  const OperatingSystem os(me.Query());
  QCOMPARE(os.Edition(), 3);
  QCOMPARE(os.EditionName(), std::string());
}

void AboutTest::windowsRows() {
  FakeSystem seven;
  seven.record = Record(2, 6, 1, 7601);
  seven.record.productType = 1;
  QCOMPARE(WindowsVersionText(OperatingSystem(seven.Query())), std::string(" (6.1.7601)"));
  seven.record.csdVersion = std::string("Service Pack 1") + std::string(114, '\0');
  seven.record.servicePackMajor = 1;
  QCOMPARE(WindowsVersionText(OperatingSystem(seven.Query())), std::string(" SP 1.0 (6.1.7601)"));

  FakeSystem xp;
  xp.record = Record(2, 5, 1, 2600, "Service Pack 2");
  xp.record.productType = 1;
  xp.record.suiteMask = 0x100;
  xp.record.servicePackMajor = 2;
  const OperatingSystem xpSystem(xp.Query());
  QCOMPARE(xpSystem.ServicePack(), std::string("Service Pack 2"));
  QCOMPARE(WindowsVersionText(xpSystem), std::string("XP Professional SP 2.0 (5.1.2600)"));

  FakeSystem ninetyEight;
  ninetyEight.record = Record(1, 4, 10, 0x040A08AEu);  // high word repeats 4.10
  const OperatingSystem os98(ninetyEight.Query());
  QCOMPARE(os98.Revision(), 2222);
  QCOMPARE(WindowsVersionText(os98), std::string("98 (4.10.2222)"));
  // Second edition: a one-letter service-pack text, but no service-pack numbers in the short form.
  ninetyEight.record.csdVersion = " A ";
  QCOMPARE(WindowsVersionText(OperatingSystem(ninetyEight.Query())), std::string("98 SP 0.0 (4.10.2222)"));
}

void AboutTest::extendedFormOnlyWhereKnown() {
  FakeSystem ntSp5;
  ntSp5.record = Record(2, 4, 0, 1381, "Service Pack 5");
  ntSp5.record.servicePackMajor = 5;
  ntSp5.record.productType = 1;
  const OperatingSystem sp5(ntSp5.Query());
  QCOMPARE(ntSp5.extendedAsked, 0);
  QCOMPARE(int(sp5.ServicePackMajor()), 0);  // only the short form: extended fields stay 0
  QCOMPARE(sp5.ProductType(), 0);
  QCOMPARE(WindowsVersionText(sp5), std::string("NT 4.0 Server SP 0.0 (4.0.1381)"));

  FakeSystem ntSp6 = ntSp5;
  ntSp6.record.csdVersion = "Service Pack 6a";
  ntSp6.record.servicePackMajor = 6;
  const OperatingSystem sp6(ntSp6.Query());
  QCOMPARE(ntSp6.extendedAsked, 1);
  QCOMPARE(WindowsVersionText(sp6), std::string("NT 4.0 Professional SP 6.0 (4.0.1381)"));

  FakeSystem nineX;
  nineX.record = Record(1, 4, 90, 3000, "Service Pack 9");
  OperatingSystem me(nineX.Query());
  QCOMPARE(nineX.extendedAsked, 0);
}

void AboutTest::refusedQueryGivesZeros() {
  const OperatingSystem none([](bool) { return std::optional<OsVersionRecord>(); });
  QCOMPARE(none.Version(), 0);
  QCOMPARE(WindowsVersionText(none), std::string(" (0.0.0)"));
  // The extended form refused: the short form stays.
  const OperatingSystem shortOnly([](bool extended) {
    return extended ? std::nullopt : std::optional<OsVersionRecord>(Record(2, 5, 0, 2195));
  });
  QCOMPARE(WindowsVersionText(shortOnly), std::string("2000 Server (5.0.2195)"));
}

void AboutTest::missingComponentGivesNV() {
  QCOMPARE(SharedLibraryFileVersion("libkelmarin-not-there.so.3"), std::string());
  QCOMPARE(SharedLibraryFileVersion(nullptr), std::string());
  QCOMPARE(VersionOrNV(SharedLibraryFileVersion("libkelmarin-not-there.so.3")), QStringLiteral("NV"));
  QCOMPARE(VersionOrNV(std::string()), QStringLiteral("NV"));
  QCOMPARE(VersionOrNV("1.6.39"), QStringLiteral("1.6.39"));
}

void AboutTest::libraryBanners() {
  QCOMPARE(MagickVersionFromBanner("ImageMagick 6.9.11-60 Q16 x86_64 2021-01-25 https://imagemagick.org"),
           std::string("6.9.11-60"));
  QCOMPARE(MagickVersionFromBanner("ImageMagick"), std::string());
  QCOMPARE(TiffVersionFromBanner("LIBTIFF, Version 4.5.0\nCopyright (c) 1988-1996 Sam Leffler"),
           std::string("4.5.0"));
  QCOMPARE(TiffVersionFromBanner("LIBTIFF"), std::string());
  // The libraries linked here all tell a version.
  for (const LibraryVersion& library : ImagingLibraryVersions()) {
    QVERIFY2(!library.version.empty(), library.component.c_str());
    QVERIFY2(library.version.front() >= '0' && library.version.front() <= '9', library.version.c_str());
  }
}

void AboutTest::windowContents() {
  Inform window;
  QCOMPARE(window.windowTitle(), QStringLiteral("Informationen über Kelmarin"));
  QCOMPARE(window.VersionLabel().text(), QStringLiteral("Kelmarin Version 1.0.3"));
  QVERIFY(!window.findChild<QLabel*>(QStringLiteral("Copyright"))->text().isEmpty());
  QTreeWidget& list = window.VersionInfo();
  QCOMPARE(list.headerItem()->text(0), QStringLiteral("Komponente"));
  QCOMPARE(list.headerItem()->text(1), QStringLiteral("Version"));
  QCOMPARE(list.header()->sectionSize(0), 110);
  const std::vector<ComponentRow> rows = ComponentRows();
  QCOMPARE(list.topLevelItemCount(), static_cast<int>(rows.size()));
  QStringList names;
  for (int i = 0; i < list.topLevelItemCount(); ++i) {
    names << list.topLevelItem(i)->text(0);
    if (!names.last().isEmpty()) QVERIFY(!list.topLevelItem(i)->text(1).isEmpty());
  }
  QCOMPARE(names.mid(1), QStringList({QStringLiteral("Qt"), QString(), QStringLiteral("libjpeg-turbo"),
                                      QStringLiteral("libpng"), QStringLiteral("giflib"),
                                      QStringLiteral("libtiff"), QStringLiteral("LibRaw"),
                                      QStringLiteral("ImageMagick"), QStringLiteral("libemf2svg"),
                                      QStringLiteral("libheif"), QStringLiteral("libwebp"),
                                      QStringLiteral("libjxl")}));
#ifdef Q_OS_LINUX
  QCOMPARE(names.first(), QStringLiteral("Linux"));
  QVERIFY(list.topLevelItem(0)->text(1).contains(QSysInfo::kernelVersion()));
#endif
  QCOMPARE(list.topLevelItem(1)->text(1), QString::fromLatin1(qVersion()));
  QCOMPARE(window.findChild<QLabel*>(QStringLiteral("label6"))->text(), QStringLiteral("WWW:"));
  QCOMPARE(window.findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("eMail:"));
  QCOMPARE(window.WebLink().cursor().shape(), Qt::PointingHandCursor);

  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("OK")), Qt::LeftButton);
  QVERIFY(!window.isVisible());
  QCOMPARE(window.result(), int(QDialog::Accepted));
}

void AboutTest::linksOpenThroughDesktop() {
  UrlCatcher catcher;
  QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
  QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
  QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
  Inform window;
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QTest::mouseClick(&window.WebLink(), Qt::LeftButton);
  QTest::mouseClick(&window.MailLink(), Qt::LeftButton);
  QTest::mouseClick(&window.MailLink(), Qt::RightButton);  // only the left button follows a link
  QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
  QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
  QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
  QCOMPARE(catcher.opened.size(), 2);
  QCOMPARE(catcher.opened[0], QUrl(QStringLiteral(KELMARIN_HOMEPAGE)));
  QCOMPARE(catcher.opened[1], QUrl(QStringLiteral("mailto:" KELMARIN_MAIL)));
}

}  // namespace kelmarin

QTEST_MAIN(kelmarin::AboutTest)
#include "AboutTest.moc"
