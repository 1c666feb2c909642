// The window's controls, the layout pass on size changes and the two splitters.
#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "TestSupport.h"
#include "browser/FilterPanel.h"
#include "browser/InfoPanel.h"
#include "browser/MetadataList.h"
#include "browser/SplitterBar.h"

namespace kelmarin::test {

namespace {

void Mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

// Press, move to `to` (relative to the bar), release.
void Drag(QWidget* bar, QPoint to, Qt::MouseButton button = Qt::LeftButton) {
  Mouse(bar, QEvent::MouseButtonPress, QPoint(1, 1), button, button);
  Mouse(bar, QEvent::MouseMove, to, Qt::NoButton, button);
  Mouse(bar, QEvent::MouseButtonRelease, to, button, Qt::NoButton);
}

}  // namespace

class LayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  void everyControlHasItsName() {
    Harness harness;
    auto window = harness.Start();
    QCOMPARE(window->objectName(), QStringLiteral("verzeichnis"));
    for (const char* name :
         {"Rahmen_Gesamt", "PfadHoch",           "Label1",       "Basisverzeichnis", "Pfadbaum",
          "vsplitter",     "hsplitter",          "dateiliste",   "Exifliste",        "Rahmen_Links",
          "auswahl_info",  "Rahmen_Dateifilter", "dateinamen",   "Picture",          "AlleFormate",
          "Rahmen_Rechts", "Rahmen_Info",        "Kontrollbild", "i_dateiname",      "i_dateidatum",
          "i_dateigröße",  "i_dateidimensionen", "i_ladezeit"}) {
      QVERIFY2(window->findChild<QWidget*>(QString::fromUtf8(name)) != nullptr, name);
    }
    const auto boxes = window->findChildren<QCheckBox*>(QStringLiteral("bild_art"));
    QCOMPARE(boxes.size(), 15);
    QStringList shown;
    for (QCheckBox* box : boxes) {
      QVERIFY(box->isChecked());
      if (!box->isHidden()) shown << box->text();
    }
    QCOMPARE(shown, QStringList({QStringLiteral("bmp"), QStringLiteral("emf, wmf"), QStringLiteral("gif"),
                                 QStringLiteral("jpg"), QStringLiteral("pcd"), QStringLiteral("pcx"),
                                 QStringLiteral("png"), QStringLiteral("psd"), QStringLiteral("tga"),
                                 QStringLiteral("tif"), QStringLiteral("raw"), QStringLiteral("heic, avif"),
                                 QStringLiteral("webp"), QStringLiteral("jxl")}));
    QStringList menu;
    for (QAction* action : window->menuBar()->actions()) menu << action->text();
    QCOMPARE(menu,
             QStringList({QStringLiteral("&Info"), QStringLiteral("&Hilfe"), QStringLiteral("B&eenden")}));
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Verzeichnis:"));
    QCOMPARE(window->Filter()->AllFormats()->text(), QStringLiteral("alle auswählen"));
    QCOMPARE(window->Filter()->NamePatterns()->text(), QStringLiteral("*"));
    const QTreeWidgetItem* header = window->Metadata()->headerItem();
    QCOMPARE(header->text(0) + header->text(1) + header->text(2) + header->text(3),
             QStringLiteral("TagBezeichnungInformationRohdaten"));
    // The panels at their design places inside the window's frame, in pixels of 15 twips.
    QCOMPARE(window->Info()->Preview()->geometry(), QRect(270, 18, 120, 120));
  }

  void tallerWindowGrowsTheTree() {
    Harness harness;
    auto window = harness.Start();
    const WindowLayout before = window->Layout();
    const QRect panelsBefore = window->Filter()->geometry();
    window->setMinimumSize(0, 0);
    window->resize(window->width(), window->height() + 20);  // 300 twips
    QCOMPARE(window->Layout().tree.height, before.tree.height + 300);
    QCOMPARE(window->Layout().dateiliste.height, before.dateiliste.height);
    QCOMPARE(window->Filter()->geometry(), panelsBefore.translated(0, 20));
    QCOMPARE(window->Info()->y(), panelsBefore.y() + 20);
    // Smaller than the tree can follow: it stops at 3000 twips, the list gives the rest.
    window->resize(window->width(), window->height() - 60);
    QCOMPARE(window->Layout().tree.height, 3000);
    QCOMPARE(window->Layout().dateiliste.height, before.dateiliste.height - 600);
  }

  void widerWindowWidensTheMetadataList() {
    Harness harness;
    auto window = harness.Start();
    const WindowLayout before = window->Layout();
    window->resize(window->width() + 40, window->height());
    QCOMPARE(window->Layout().exifliste.width, before.exifliste.width + 600);
    QCOMPARE(window->Layout().tree, before.tree);
    QCOMPARE(window->Layout().rahmenRechts, before.rahmenRechts);
    QCOMPARE(window->Metadata()->width(), window->Layout().exifliste.width / 15);
  }

  void splittersStopAtTheirLimits() {
    Harness harness;
    auto window = harness.Start();
    const int minTree = window->State().minTreeWidth;
    const int client = window->centralWidget()->width() * 15;
    Drag(window->VSplitter(), QPoint(-400, 5));
    QCOMPARE(window->Layout().tree.width, minTree);
    Drag(window->VSplitter(), QPoint(30, 5));
    QCOMPARE(window->Layout().tree.width, minTree + 450);
    QCOMPARE(window->VSplitter()->x() * 15, window->Layout().tree.left + minTree + 450);
    QCOMPARE(window->Metadata()->x(), window->VSplitter()->x() + 2);
    Drag(window->VSplitter(), QPoint(900, 5));
    QCOMPARE(window->Layout().tree.width, client - 60 - 30 - window->Layout().rahmenRechts.width - 60);
    QVERIFY(!window->VSplitter()->IsDragging());

    // A right-button press does not drag.
    const int width = window->Layout().tree.width;
    Drag(window->VSplitter(), QPoint(-300, 5), Qt::RightButton);
    QCOMPARE(window->Layout().tree.width, width);

    // Horizontal: down past the list's limit leaves the tree; up to the top gives its minimum.
    window->setMinimumSize(0, 0);
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window->resize(window->width(), window->height() + 200);
    const int height = window->Layout().tree.height;
    Drag(window->HSplitter(), QPoint(5, 900));
    QCOMPARE(window->Layout().tree.height, height);
    Drag(window->HSplitter(), QPoint(5, -40));
    QCOMPARE(window->Layout().tree.height, height - 600);
    Drag(window->HSplitter(), QPoint(5, -900));
    QCOMPARE(window->Layout().tree.height, 3000);
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::LayoutTest)
#include "LayoutTest.moc"
