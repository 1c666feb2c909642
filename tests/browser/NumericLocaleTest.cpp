// The window in a German locale: the application object hands the user's number format to the C
// library, and ImageMagick's WMF drawing must still read its own numbers.
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <clocale>

#include "FileWriters.h"
#include "TestSupport.h"
#include "browser/CurrentImage.h"
#include "browser/InfoPanel.h"

namespace kelmarin::test {

class NumericLocaleTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    PrepareEnvironment();
    ClearSettings();
    // The test only proves something when the application object switched to decimal commas.
    QVERIFY2(std::localeconv()->decimal_point == std::string(","),
             "the locale de_DE.UTF-8 is missing (scripts/install-deps.sh makes it)");
  }

  void wmfLoadsInTheWindow() {
    Harness harness;
    QVERIFY(
        samples::WriteBytes(QFile::encodeName(harness.Path(QStringLiteral("zeichnung.wmf"))).toStdString(),
                            samples::MakeWmf(360, 240, "Text 1,5")));
    auto window = harness.Start();
    QCOMPARE(QByteArray(std::localeconv()->decimal_point), QByteArray("."));  // for the whole process
    QVERIFY(harness.reporter.messages.empty());
    QVERIFY(window->Info()->Preview()->HasPicture());
    QVERIFY(window->Info()->DimensionsLabel()->text().startsWith(QStringLiteral("Bildausdehnung: ")));
  }
};

}  // namespace kelmarin::test

int main(int argc, char* argv[]) {
  // The user's locale, as a German desktop starts the program.
  qputenv("LC_ALL", "de_DE.UTF-8");
  QApplication application(argc, argv);
  kelmarin::test::NumericLocaleTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "NumericLocaleTest.moc"
