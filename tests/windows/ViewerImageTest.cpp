// The viewer with real image objects: full-size drawing, following the selection, a failed read.
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include "image/ZetImage.h"
#include "windows/Bild.h"
#include "windows/BildPicture.h"
#include "windows/BildViewer.h"

namespace kelmarin {

class ViewerImageTest : public QObject {
  Q_OBJECT

 private slots:
  void imageShownAtFullSizeAndFollowsSelection() {
    QTemporaryDir folder;
    QImage halves(900, 700, QImage::Format_RGB888);  // left half red, right half blue
    halves.fill(Qt::red);
    for (int y = 0; y < 700; ++y) {
      for (int x = 450; x < 900; ++x) halves.setPixelColor(x, y, Qt::blue);
    }
    QVERIFY(halves.copy(0, 0, 300, 200).save(folder.filePath(QStringLiteral("muster.png"))));
    QVERIFY(halves.save(folder.filePath(QStringLiteral("gross.png"))));
    UnloadViewer();
    BildViewer* viewer = Viewer();
    for (const auto& [name, width, height] :
         {std::tuple{"muster", 300, 200}, {"gross", 900, 700}, {"fehlt", 0, 0}}) {
      auto image = std::make_unique<ZetImage>();
      std::int32_t w = 0, h = 0, time = 0;
      const QString path = folder.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
      QCOMPARE(image->load(path.toStdString(), kTypePng, w, h, time), width == 0 ? 2 : 0);
      ShowInViewer(*image, ViewerCaption(QString::fromLatin1(name), w, h), w, h);
      image.reset();  // the viewer keeps its own reference to the pixels
      if (width == 900) {
        QVERIFY(viewer->Fitting());  // larger than the test screen
        viewer->ZoomTo(1.0);
      }
      // A failed read (width and height 0) leaves the viewer as it was.
      const int shownWidth = width == 0 ? 900 : width;
      QVERIFY(viewer->isVisible() && viewer_open);
      QCOMPARE(viewer->windowTitle(), width == 0 ? QStringLiteral("gross - 900x700 Pixel - 100 %")
                                                 : ViewerCaption(QString::fromLatin1(name), width, height) +
                                                       QStringLiteral(" - 100 %"));
      QCOMPARE(viewer->Picture().size(), QSize(shownWidth, width == 0 ? 700 : height));
      QCOMPARE(viewer->Picture().Picture().size(),
               viewer->Picture().size());  // one screen pixel per image pixel
      QCOMPARE(viewer->HorizontalBar().isHidden(), shownWidth == 300);
    }
    viewer->HorizontalBar().setValue(viewer->HorizontalBar().maximum());
    const QImage shown = viewer->Frame().grab().toImage();
    QCOMPARE(shown.pixelColor(viewer->Frame().width() - 1, 5), QColor(Qt::blue));
    QCOMPARE(viewer->Picture().Picture().pixelColor(449, 10), QColor(Qt::red));
    viewer->close();
    QVERIFY(!viewer_open);
    UnloadViewer();
  }
};

}  // namespace kelmarin

QTEST_MAIN(kelmarin::ViewerImageTest)
#include "ViewerImageTest.moc"
