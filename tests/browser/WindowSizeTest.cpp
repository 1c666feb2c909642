// The window's sizes: the tree never pushes the information panel out of the window, and sizes the
// start-up never applied are not stored over the user's.
#include <QTest>

#include "TestSupport.h"
#include "browser/InfoPanel.h"
#include "browser/SplitterBar.h"

namespace kelmarin::test {

namespace {

void Mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

void DragTo(QWidget* bar, int x) {
  Mouse(bar, QEvent::MouseButtonPress, QPoint(1, 1), Qt::LeftButton, Qt::LeftButton);
  Mouse(bar, QEvent::MouseMove, QPoint(x, 5), Qt::NoButton, Qt::LeftButton);
  Mouse(bar, QEvent::MouseButtonRelease, QPoint(x, 5), Qt::LeftButton, Qt::NoButton);
}

// The information panel lies whole inside the window's client area.
bool PanelWhole(Verzeichnis& window) {
  const QRect panel = window.Info()->geometry();
  return panel.left() > window.VSplitter()->geometry().right() &&
         panel.right() < window.centralWidget()->width();
}

const QString kAdministration = QStringLiteral("Administration");

}  // namespace

class WindowSizeTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  void treeLeavesRoomForTheInformationPanel() {
    Harness harness;
    SetSetting(kAdministration, QStringLiteral("fwidth"), QStringLiteral("12000"));
    auto window = harness.Start();
    const int minimum = window->minimumWidth();
    DragTo(window->VSplitter(), 2000);  // far right
    QVERIFY(PanelWhole(*window));
    QCOMPARE(window->Layout().tree.width, 12000 - 60 - 30 - 6000 - 60);
    // The window cannot be narrowed below what holds this tree and the panel.
    QCOMPARE(window->minimumWidth(), 800);
    DragTo(window->VSplitter(), -2000);
    QCOMPARE(window->minimumWidth(), minimum);
    window->resize(minimum, window->height());
    QVERIFY(PanelWhole(*window));
  }

  void storedTreeTooWideIsNarrowedAtStartUp() {
    Harness harness;
    SetSetting(kAdministration, QStringLiteral("fwidth"), QStringLiteral("12000"));
    SetSetting(kAdministration, QStringLiteral("pwidth"), QStringLiteral("9000"));
    auto window = harness.Start();
    QCOMPARE(window->width(), 800);
    QCOMPARE(window->Layout().tree.width, 12000 - 60 - 30 - 6000 - 60);
    QVERIFY(PanelWhole(*window));
    window->close();
    QCOMPARE(Setting(kAdministration, QStringLiteral("pwidth")), QStringLiteral("5850"));
  }

  void failedDefinitionsKeepTheStoredSizes() {
    Harness harness;
    SetSetting(kAdministration, QStringLiteral("fwidth"), QStringLiteral("12345"));
    SetSetting(kAdministration, QStringLiteral("fheigth"), QStringLiteral("9876"));
    SetSetting(kAdministration, QStringLiteral("pwidth"), QStringLiteral("5000"));
    StartOptions options = harness.Options();
    options.definitionFile = harness.Path(QStringLiteral("missing.def")).toStdString();
    auto window = harness.Start(std::move(options));
    QCOMPARE(harness.reporter.messages.size(), 1u);
    window->close();
    QCOMPARE(Setting(kAdministration, QStringLiteral("fwidth")), QStringLiteral("12345"));
    QCOMPARE(Setting(kAdministration, QStringLiteral("fheigth")), QStringLiteral("9876"));
    QCOMPARE(Setting(kAdministration, QStringLiteral("pwidth")), QStringLiteral("5000"));
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::WindowSizeTest)
#include "WindowSizeTest.moc"
