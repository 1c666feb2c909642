// The viewer with real image objects: full-size drawing, following the selection, a failed read.
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "image/ZetImage.h"
#include "windows/Bild.h"
#include "windows/BildPicture.h"
#include "windows/BildViewer.h"

namespace kelmarin {
namespace {

// Left half red, right half blue.
QImage Halves(int width, int height) {
  QImage image(width, height, QImage::Format_RGB888);
  image.fill(Qt::red);
  for (int y = 0; y < height; ++y) {
    for (int x = width / 2; x < width; ++x) image.setPixelColor(x, y, Qt::blue);
  }
  return image;
}

bool Near(QColor a, QColor b) {
  return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 &&
         std::abs(a.blue() - b.blue()) < 40;
}

struct Loaded {
  std::unique_ptr<ZetImage> image = std::make_unique<ZetImage>();
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t status = -1;
};

Loaded Load(const QString& path, std::int32_t type) {
  Loaded loaded;
  std::int32_t time = 0;
  loaded.status = loaded.image->load(path.toStdString(), type, loaded.width, loaded.height, time);
  return loaded;
}

}  // namespace

class ViewerImageTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void imageShownAtFullSizeAndFollowsSelection();

 private:
  QTemporaryDir folder;
};

void ViewerImageTest::initTestCase() {
  QVERIFY(folder.isValid());
  QVERIFY(Halves(300, 200).save(folder.filePath(QStringLiteral("muster.png"))));
  QVERIFY(Halves(900, 700).save(folder.filePath(QStringLiteral("gross.jpg")), "JPEG", 95));
}

void ViewerImageTest::cleanupTestCase() {
  UnloadViewer();
}

void ViewerImageTest::imageShownAtFullSizeAndFollowsSelection() {
  UnloadViewer();
  Loaded png = Load(folder.filePath(QStringLiteral("muster.png")), kTypePng);
  QCOMPARE(png.status, 0);
  QCOMPARE(png.width, 300);
  ShowInViewer(*png.image, ViewerCaption(QStringLiteral("muster"), png.width, png.height), png.width,
               png.height);
  BildViewer* viewer = Viewer();
  QVERIFY(viewer->isVisible());
  QVERIFY(viewer_open);
  QCOMPARE(viewer->windowTitle(), QStringLiteral("muster - 300x200 Pixel - 100 %"));
  BildPicture& picture = viewer->Picture();
  QCOMPARE(picture.size(), QSize(300, 200));
  QCOMPARE(picture.PictureOrigin(), QPoint(0, 0));
  QCOMPARE(picture.Picture().size(), QSize(300, 200));  // one screen pixel per image pixel
  QCOMPARE(picture.Picture().pixelColor(149, 10), QColor(Qt::red));
  QCOMPARE(picture.Picture().pixelColor(150, 10), QColor(Qt::blue));
  QVERIFY(viewer->HorizontalBar().isHidden());

  // The next selection: the previous image object is released before the next one is read.
  png = Loaded();
  Loaded jpeg = Load(folder.filePath(QStringLiteral("gross.jpg")), kTypeJpeg);
  QCOMPARE(jpeg.status, 0);
  ShowInViewer(*jpeg.image, ViewerCaption(QStringLiteral("gross"), jpeg.width, jpeg.height), jpeg.width,
               jpeg.height);
  QVERIFY(viewer->Fitting());  // larger than the test screen
  viewer->ZoomTo(1.0);
  QCOMPARE(viewer->windowTitle(), QStringLiteral("gross - 900x700 Pixel - 100 %"));
  QCOMPARE(picture.size(), QSize(900, 700));
  QVERIFY(!viewer->HorizontalBar().isHidden());
  QCOMPARE(viewer->HorizontalBar().maximum(), 900 - viewer->Frame().width());
  jpeg.image.reset();  // the viewer keeps its own reference to the pixels
  viewer->HorizontalBar().setValue(viewer->HorizontalBar().maximum());
  const QImage shown = viewer->Frame().grab().toImage();
  QVERIFY(Near(shown.pixelColor(viewer->Frame().width() - 1, 5), Qt::blue));

  // A failed read (width and height 0) leaves the viewer as it was.
  Loaded missing = Load(folder.filePath(QStringLiteral("fehlt.png")), kTypePng);
  QCOMPARE(missing.status, 2);
  ShowInViewer(*missing.image, ViewerCaption(QStringLiteral("fehlt"), missing.width, missing.height),
               missing.width, missing.height);
  QCOMPARE(viewer->windowTitle(), QStringLiteral("gross - 900x700 Pixel - 100 %"));
  QCOMPARE(picture.size(), QSize(900, 700));

  viewer->close();
  QVERIFY(!viewer_open);
}

}  // namespace kelmarin

QTEST_MAIN(kelmarin::ViewerImageTest)
#include "ViewerImageTest.moc"
