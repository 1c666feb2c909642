// The format boxes of today's formats: on the filter panel's grid beside the button, overlapping
// no other control at any screen scale, and taking part in the pattern list.
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

  void newBoxesGiveTheirTypeCodes() {
    FilterPanel panel;
    for (int i = 0; i < static_cast<int>(kFormatBoxCount); ++i) panel.Box(i)->setChecked(i >= 12);
    panel.NamePatterns()->setText(QStringLiteral("*"));
    std::vector<std::pair<std::string, std::int32_t>> patterns;
    for (const FilePattern& p : panel.PatternList()) patterns.emplace_back(p.pattern, p.typeCode);
    const std::vector<std::pair<std::string, std::int32_t>> expected = {
        {"*.HEIC", 13}, {"*.HEIF", 13}, {"*.HIF", 13}, {"*.AVIF", 13}, {"*.WEBP", 14}, {"*.JXL", 15}};
    QCOMPARE(patterns, expected);
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::FormatBoxesTest)
#include "FormatBoxesTest.moc"
