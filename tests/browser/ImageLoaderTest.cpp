// The image loader on its own: each load is a request that reports by signal on the window's thread;
// only the latest request reports, a called-off one never does, and the loader may go while a
// worker still decodes.
#include "TestSupport.h"
#include "browser/ImageLoader.h"
#include "metadata/Definitions.h"
#include "image/ZetImage.h"

namespace kelmarin::test {

namespace {

// What a loader signalled, in order: "m<request>" for metadataRead, "l<request>" for loaded.
struct Signals {
  explicit Signals(ImageLoader& loader) {
    QObject::connect(&loader, &ImageLoader::metadataRead, &loader,
                     [this](ImageLoader::Request request, const std::shared_ptr<const ImageMetadata>& m) {
                       seen << QStringLiteral("m%1").arg(request);
                       metadata = m;
                     });
    QObject::connect(&loader, &ImageLoader::loaded, &loader,
                     [this](ImageLoader::Request request, const std::shared_ptr<LoadedImage>& result) {
                       seen << QStringLiteral("l%1").arg(request);
                       loaded = std::move(*result);
                     });
  }
  QStringList seen;
  std::shared_ptr<const ImageMetadata> metadata;
  LoadedImage loaded;
};

// Waits until the workers are done and every result they posted has been delivered.
void Settle(ImageLoader& loader) {
  QVERIFY(QTest::qWaitFor([&loader] { return !loader.Busy(); }, 20000));
  QCoreApplication::processEvents();
}

QString Make(const ImageMetadata& metadata) {
  const ZetExif* make = metadata.ExifTag(kSectionMain, 0x010F);
  return make != nullptr ? QString::fromStdString(std::get<std::string>(make->inhalt[0])) : QString();
}

}  // namespace

class ImageLoaderTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }

  void onlyTheLatestRequestReports() {
    Harness harness;
    harness.WriteJpeg(U("alt.jpg"), 64, 48);
    harness.WriteJpeg(U("kamera.jpg"), 40, 30, true);
    ImageLoader loader;
    Signals got(loader);
    // Both start before the window's thread handles anything: whatever the first posts comes late.
    const ImageLoader::Request first = loader.Load(harness.Path(U("alt.jpg")).toStdString(), kTypeJpeg, nullptr);
    const ImageLoader::Request second =
        loader.Load(harness.Path(U("kamera.jpg")).toStdString(), kTypeJpeg, nullptr);
    QVERIFY(first != 0 && second != first && loader.Waiting());
    Settle(loader);
    QCOMPARE(got.seen, QStringList({QStringLiteral("m%1").arg(second), QStringLiteral("l%1").arg(second)}));
    QVERIFY(!loader.Waiting());
    // The result is the second file's, with the metadata signalled before it.
    QVERIFY(got.loaded.image != nullptr && got.loaded.metadata == got.metadata && got.metadata != nullptr);
    QCOMPARE(std::tuple(got.loaded.width, got.loaded.height, Make(*got.metadata)),
             std::tuple(40, 30, U("Canon")));
    QVERIFY(got.loaded.loadTime >= 0 && got.loaded.messages.empty());

    // Called off: nothing is signalled.
    got.seen.clear();
    loader.Load(harness.Path(U("kamera.jpg")).toStdString(), kTypeJpeg, nullptr);
    loader.Cancel();
    QVERIFY(!loader.Waiting());
    Settle(loader);
    QCOMPARE(got.seen, QStringList());
  }

  // A file the metadata-only path does not read (a PNG called a GIF) gets its metadata with the pixels.
  void metadataWithThePixels() {
    Harness harness;
    harness.WritePng(U("bild.png"), 20, 10);
    ImageLoader loader;
    Signals got(loader);
    const ImageLoader::Request request = loader.Load(harness.Path(U("bild.png")).toStdString(), kTypeGif, nullptr);
    Settle(loader);
    QCOMPARE(got.seen, QStringList(QStringLiteral("l%1").arg(request)));
    QVERIFY(got.loaded.metadata != nullptr && got.loaded.metadata->MetadataRead() && got.loaded.width == 20);
  }

  // The loader goes while its worker decodes: the worker ends, nothing reaches a receiver that is gone.
  void goneWhileLoading() {
    Harness harness;
    harness.WriteJpeg(U("gross.jpg"), 600, 2400, true);
    QStringList seen;
    {
      ImageLoader loader;
      QObject::connect(&loader, &ImageLoader::loaded, &loader, [&seen] { seen << U("l"); });
      loader.Load(harness.Path(U("gross.jpg")).toStdString(), kTypeJpeg, nullptr);
    }
    QCoreApplication::processEvents();
    QCOMPARE(seen, QStringList());
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::ImageLoaderTest)
#include "ImageLoaderTest.moc"
