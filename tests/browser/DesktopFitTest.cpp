// The window on a dark desktop theme and on a small screen: readable reds, dialogs and the main
// window within the screen's available area. Runs on a 640 x 400 offscreen screen of its own.
#include <QDialog>
#include <QScreen>

#include "TestSupport.h"
#include "browser/DesktopFit.h"

namespace kelmarin::test {

namespace {

QPalette DarkPalette() {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(49, 54, 59));
  dark.setColor(QPalette::Base, QColor(20, 20, 20));
  dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
  return dark;
}

QRect ScreenArea() {
  return QGuiApplication::primaryScreen()->availableGeometry();
}

}  // namespace

class DesktopFitTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    PrepareEnvironment();
    QCOMPARE(ScreenArea().size(), QSize(640, 400));
  }

  void redsStayReadable() {
    QCOMPARE(ReadableRed(QPalette(Qt::white), QPalette::Window), QColor(255, 0, 0));
    const QColor onDark = ReadableRed(DarkPalette(), QPalette::Window);
    QCOMPARE(onDark.red(), 255);
    QVERIFY(onDark.green() > 40 && onDark.green() < 160 && onDark.green() == onDark.blue());

    // The status line: red while busy and the theme's text colour when done.
    FilterPanel panel;
    panel.setPalette(DarkPalette());
    panel.SetStatus(QStringLiteral("Bild einlesen"), StatusTone::Busy);
    QCOMPARE(panel.StatusColour(), ReadableRed(DarkPalette(), QPalette::Window));
    panel.SetStatus(QStringLiteral("3 Bilder"), StatusTone::Done);
    QCOMPARE(panel.StatusColour(), QColor(230, 230, 230));
  }

  // Inside; past the right and bottom; above and left; larger than the screen.
  void fitInto() {
    for (const auto& [frame, fitted] : {std::pair{QRect(10, 20, 300, 200), QRect(10, 20, 300, 200)},
                                        {QRect(500, 300, 300, 200), QRect(340, 200, 300, 200)},
                                        {QRect(-50, -10, 300, 200), QRect(0, 0, 300, 200)},
                                        {QRect(100, 100, 2000, 900), QRect(0, 0, 640, 400)}})
      QCOMPARE(FitInto(frame, QRect(0, 0, 640, 400)), fitted);
  }

  void dialogsAndWindowStayOnScreen() {
    Harness harness;
    auto window = harness.Start();
    QVERIFY(window != nullptr);
    QTRY_VERIFY(QRect(ScreenArea()).contains(window->frameGeometry()));
    QVERIFY(window->minimumWidth() <= 640 && window->minimumHeight() <= 400);

    QDialog dialog(window.get());
    dialog.resize(1200, 300);
    dialog.move(300, 250);
    dialog.show();
    QTRY_VERIFY(ScreenArea().contains(dialog.frameGeometry()));
  }
};

}  // namespace kelmarin::test

int main(int argc, char** argv) {
  // A small screen of its own: the offscreen platform reads its screens from a file.
  const QString config = QDir::temp().filePath(QStringLiteral("kelmarin-small-screen.json"));
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly)) return 1;
  file.write(R"({"screens": [{"name": "klein", "x": 0, "y": 0, "width": 640, "height": 400,
                 "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
  file.close();
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QFile::encodeName(config));
  QApplication application(argc, argv);
  kelmarin::test::DesktopFitTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "DesktopFitTest.moc"
