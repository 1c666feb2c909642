// The picture widget shared by the preview and the viewer, and the screen twips scale behind it.
#include <QPainter>
#include <QtTest>
#include <cstdint>
#include <limits>

#include "windows/PictureWidget.h"
#include "windows/ScreenTwips.h"

namespace kelmarin {

class PictureWidgetTest : public QObject {
  Q_OBJECT

 private slots:
  void conversionsRoundHalvesToEven();
  void backgroundOnlyWhenOpaque();
};

void PictureWidgetTest::conversionsRoundHalvesToEven() {
  ScreenTwips scale;
  scale.perPixelX = 2.5;
  scale.perPixelY = 12.5;
  // 2.5, 7.5, -2.5 twips; 2.0, 2.48, -6.0 pixels; 37.5 twips.
  QCOMPARE(QList<int>({scale.ToTwipsX(1), scale.ToTwipsX(3), scale.ToTwipsX(-1), scale.ToPixelsX(5),
                       scale.ToPixelsY(25), scale.ToPixelsY(31), scale.ToPixelsY(-75), scale.ToTwipsY(3)}),
           QList<int>({2, 8, -2, 2, 2, 2, -6, 38}));
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  scale.perPixelX = 0.5;
  scale.perPixelY = 0.0;  // a screen that reports nonsense
  QCOMPARE(scale.ToPixelsX(kMax), kMax);
  QCOMPARE(scale.ToPixelsX(std::numeric_limits<std::int32_t>::min()),
           std::numeric_limits<std::int32_t>::min());
  QCOMPARE(scale.ToPixelsY(1440), 0);  // not a finite number
  scale.perPixelX = 1e20;
  QCOMPARE(scale.ToTwipsX(1 << 30), kMax);
  QVERIFY(ScreenTwips::Of(nullptr).perPixelX > 0.0);  // without a widget: the primary screen's scale
}

// The preview lets its frame show around the picture; the viewer's picture, painting opaquely, fills
// what the picture does not cover. Both repaint what was drawn at every exposure.
void PictureWidgetTest::backgroundOnlyWhenOpaque() {
  QWidget frame;
  QPalette framePalette = frame.palette();
  framePalette.setColor(QPalette::Window, Qt::green);
  frame.setPalette(framePalette);
  frame.setAutoFillBackground(true);
  frame.resize(60, 60);
  auto* box = new PictureWidget(&frame);
  QPalette boxPalette = box->palette();
  boxPalette.setColor(QPalette::Window, Qt::red);
  box->setPalette(boxPalette);
  box->setGeometry(10, 10, 40, 40);
  QImage image(10, 10, QImage::Format_RGB888);
  image.fill(Qt::blue);
  QVERIFY(box->DrawRGB(image, 5, 5));

  QImage shown = frame.grab().toImage();
  QCOMPARE(shown.pixelColor(11, 11), QColor(Qt::green));
  QCOMPARE(shown.pixelColor(15, 15), QColor(Qt::blue));
  QCOMPARE(shown.pixelColor(24, 24), QColor(Qt::blue));
  QCOMPARE(shown.pixelColor(25, 25), QColor(Qt::green));

  box->setAttribute(Qt::WA_OpaquePaintEvent);
  shown = frame.grab().toImage();
  QCOMPARE(shown.pixelColor(11, 11), QColor(Qt::red));
  QCOMPARE(shown.pixelColor(24, 24), QColor(Qt::blue));
  QCOMPARE(shown.pixelColor(49, 49), QColor(Qt::red));

  box->ClearPicture();
  shown = frame.grab().toImage();
  QCOMPARE(shown.pixelColor(15, 15), QColor(Qt::red));
  QVERIFY(box->DrawRGB(image, 5, 5));
  QVERIFY(!box->DrawRGB(QImage(), 1, 1));  // a null image clears
  QVERIFY(!box->HasPicture());
  QCOMPARE(frame.grab().toImage().pixelColor(15, 15), QColor(Qt::red));
}

}  // namespace kelmarin

QTEST_MAIN(kelmarin::PictureWidgetTest)
#include "PictureWidgetTest.moc"
