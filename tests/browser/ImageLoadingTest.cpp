// Selecting while a picture is still being decoded: the later selection is shown at once and stays,
// the earlier decode is called off and never reaches the panels. A large folder is listed in order.
#include <QLabel>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <semaphore>

#include "TestSupport.h"
#include "browser/CurrentImage.h"
#include "browser/FileList.h"
#include "browser/FilterPanel.h"
#include "browser/FolderTree.h"
#include "browser/InfoPanel.h"
#include "browser/MetadataList.h"
#include "image/Codec.h"
#include "windows/Bild.h"
#include "windows/BildViewer.h"

namespace kelmarin::test {

namespace {

// The first decode that looks at its cancel flag is held there until released (5 s at most).
std::atomic<int> checks{0};
std::atomic<bool> held{false}, heldReturned{false};
std::binary_semaphore release{0};

void HoldFirstDecode() {
  if (checks.fetch_add(1) != 0) return;
  held = true;
  (void)release.try_acquire_for(std::chrono::seconds(5));
  heldReturned = true;
}

// Runs `during` once the first decode is held, from the window's event loop.
void WhileHeld(QObject* context, std::function<void()> during) {
  checks = 0, held = false, heldReturned = false;
  codec::SetCancelCheckHook(HoldFirstDecode);
  QTimer::singleShot(0, context, [during] {
    for (int i = 0; i < 500 && !held; ++i) QThread::msleep(10);
    during();
  });
}

}  // namespace

class ImageLoadingTest : public QObject {
  Q_OBJECT

 private:
  static QTreeWidgetItem* Item(Verzeichnis& window, const QString& name) {
    return window.Files()->findItems(name, Qt::MatchExactly).value(0);
  }

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void cleanup() { codec::SetCancelCheckHook(nullptr); }

  void laterSelectionWinsOverASlowDecode() {
    Harness harness;
    harness.WriteJpeg(QStringLiteral("a.jpg"), 40, 30);  // no EXIF block
    harness.WriteJpeg(QStringLiteral("b.jpg"), 600, 2400, true);
    auto window = harness.Start();
    const QString folderStatus = window->Filter()->StatusText();
    bool oldStillDecoding = false;
    WhileHeld(window.get(), [&] {
      ClickItem(window->Files(), Item(*window, QStringLiteral("a.jpg")));
      oldStillDecoding = !heldReturned;  // the window did not wait for the old picture
      release.release();
    });
    ClickItem(window->Files(), Item(*window, QStringLiteral("b.jpg")));
    QVERIFY(oldStillDecoding);
    QTRY_VERIFY(!window->Current().Loader().Busy());
    QVERIFY(checks < 100);  // decoded to its end, the big file alone would look 1,200 times
    QCoreApplication::processEvents();
    QCOMPARE(window->Info()->DimensionsLabel()->text(), QStringLiteral("Bildausdehnung: 40 x 30 Pixel"));
    QCOMPARE(window->Metadata()->topLevelItem(0)->text(1), QStringLiteral("Keine Exif Infos"));
    QCOMPARE(window->Filter()->StatusText(), folderStatus);

    // A double click during a load opens the viewer once the file is shown; it steps as always.
    bool openDuringLoad = true;
    WhileHeld(window.get(), [&] {
      emit window->Files()->openRequested(Item(*window, QStringLiteral("b.jpg")));
      openDuringLoad = viewer_open;
      release.release();
    });
    ClickItem(window->Files(), Item(*window, QStringLiteral("b.jpg")));
    QVERIFY(!openDuringLoad && Viewer()->windowTitle().startsWith(QStringLiteral("b - 600x2400 Pixel")));
    QTest::keyClick(Viewer(), Qt::Key_Backspace);
    QVERIFY(Viewer()->windowTitle().startsWith(QStringLiteral("a - 40x30 Pixel")));
    UnloadViewer();

    // The folder listed again during a load: its panels stay empty.
    WhileHeld(window.get(), [&] {
      window->ReadFolder(window->Tree()->SelectedNode());
      release.release();
    });
    ClickItem(window->Files(), Item(*window, QStringLiteral("b.jpg")));
    QTRY_VERIFY(!window->Current().Loader().Busy());
    QCoreApplication::processEvents();
    QVERIFY(window->Info()->NameLabel()->text().isEmpty() && window->Metadata()->topLevelItemCount() == 0);
  }

  void largeFolderIsListedWholeAndInOrder() {
    Harness harness;
    QStringList expected;
    for (int n = 1; n <= 2000; ++n) {
      expected << QStringLiteral("%1 %2.%3")
                      .arg(QLatin1String(n % 2 != 0 ? "bild" : "Bild"))
                      .arg(n)
                      .arg(QLatin1String(n % 3 != 0 ? "png" : "JPG"));
    }
    for (int i = 0; i < 2000; ++i) {  // written in no order; a note beside each
      harness.WriteBytes(expected[(i * 7919) % 2000], QByteArray(i % 7, 'x'));
      harness.WriteBytes(QStringLiteral("Bild %1.txt").arg(i), "notiz");
    }
    auto window = harness.Start();
    QCOMPARE(ItemTexts(window->Files()), expected);
    QCOMPARE(window->Filter()->StatusText(), QStringLiteral("2000 Bilder mit 5.995 Bytes"));
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::ImageLoadingTest)
#include "ImageLoadingTest.moc"
