// The window's captions, the layout pass on size changes, the two splitters, and the format boxes
// overlapping no other control at any screen scale.
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
#include "browser/Twips.h"

namespace kelmarin::test {

class LayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  void captions() {
    Harness harness;
    auto window = harness.Start();
    QStringList shown;
    for (QCheckBox* box : window->findChildren<QCheckBox*>(QStringLiteral("bild_art"))) {
      QVERIFY(box->isChecked());
      if (!box->isHidden()) shown << box->text();
    }
    QCOMPARE(shown.join(QLatin1Char('|')),
             QStringLiteral("bmp|emf, wmf|gif|jpg|pcd|pcx|png|psd|tga|tif|raw|heic, avif|webp|jxl"));
    QStringList texts;
    for (QAction* action : window->menuBar()->actions()) texts << action->text();
    const QTreeWidgetItem* header = window->Metadata()->headerItem();
    texts << window->findChild<QLabel*>(QStringLiteral("Label1"))->text()
          << window->Filter()->AllFormats()->text() << window->Filter()->NamePatterns()->text()
          << header->text(0) << header->text(1) << header->text(2) << header->text(3);
    QCOMPARE(texts.join(QLatin1Char('|')),
             QStringLiteral("&Info|&Hilfe|B&eenden|Verzeichnis:|alle auswählen|*|Tag|"
                            "Bezeichnung|Information|Rohdaten"));
    // The preview at its design place inside the window's frame, in pixels of 15 twips.
    QCOMPARE(window->Info()->Preview()->geometry(), QRect(270, 18, 120, 120));
  }

  // The core's layout pass reaches the widgets: taller grows the tree and moves the panels, wider
  // widens the metadata list; the splitters stop at their limits.
  void resizeAndSplitters() {
    Harness harness;
    auto window = harness.Start();
    const WindowLayout before = window->Layout();
    const QRect panelsBefore = window->Filter()->geometry();
    window->setMinimumSize(0, 0);
    window->resize(window->width() + 40, window->height() + 20);
    QCOMPARE(window->Layout().tree.height, before.tree.height + 300);
    QCOMPARE(window->Filter()->geometry(), panelsBefore.translated(0, 20));
    QCOMPARE(window->Metadata()->width(), (before.exifliste.width + 600) / 15);
    const int minTree = window->State().minTreeWidth;
    DragBar(window->VSplitter(), QPoint(-400, 5));
    QCOMPARE(window->Layout().tree.width, minTree);
    DragBar(window->VSplitter(), QPoint(30, 5));
    QCOMPARE(window->Layout().tree.width, minTree + 450);
    QCOMPARE(window->Metadata()->x(), window->VSplitter()->x() + 2);
    DragBar(window->VSplitter(), QPoint(-300, 5), Qt::RightButton);  // a right-button press does not drag
    QCOMPARE(window->Layout().tree.width, minTree + 450);
    const int height = window->Layout().tree.height;
    DragBar(window->HSplitter(), QPoint(5, -10));
    QCOMPARE(window->Layout().tree.height, height - 150);
  }

  void noControlOverlapsAnotherAtAnyScale() {
    for (double twipsPerPixel : {15.0, 12.0, 10.0, 7.5}) {
      FilterPanel panel;
      TwipsScale scale;
      scale.perPixelX = scale.perPixelY = twipsPerPixel;
      panel.PlaceControls(scale);
      std::vector<QWidget*> controls = {panel.AllFormats()};
      for (int i = 0; i < static_cast<int>(kFormatBoxCount); ++i) {
        if (!panel.Box(i)->isHidden()) controls.push_back(panel.Box(i));
      }
      for (std::size_t a = 0; a < controls.size(); ++a) {
        // What the control shows (its caption) lies wholly inside the panel.
        const QRect shown(controls[a]->geometry().topLeft(),
                          controls[a]->geometry().size().boundedTo(controls[a]->sizeHint()));
        QVERIFY(controls[a]->parentWidget()->rect().contains(shown));
        for (std::size_t b = a + 1; b < controls.size(); ++b) {
          QVERIFY2(
              !controls[a]->geometry().intersects(controls[b]->geometry()),
              qPrintable(controls[a]->objectName() + QStringLiteral(" ") +
                         QString::number(controls[a]->property("index").toInt()) + QStringLiteral(" / ") +
                         QString::number(controls[b]->property("index").toInt())));
        }
      }
      // The new boxes share the fourth row: the button's top.
      QCOMPARE(panel.Box(13)->geometry().top(), panel.AllFormats()->geometry().top());
    }
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::LayoutTest)
#include "LayoutTest.moc"
