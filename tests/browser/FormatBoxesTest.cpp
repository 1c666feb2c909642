// The format boxes of today's formats: on the filter panel's grid beside the button, overlapping
// no other control at any screen scale.
#include <QCheckBox>
#include <QPushButton>
#include <QTest>

#include "TestSupport.h"
#include "browser/FilterPanel.h"
#include "browser/Twips.h"

namespace kelmarin::test {

class FormatBoxesTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

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
        QVERIFY(controls[a]->parentWidget()->rect().contains(controls[a]->geometry().topLeft()));
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

QTEST_MAIN(kelmarin::test::FormatBoxesTest)
#include "FormatBoxesTest.moc"
