// Selecting while a picture is still being decoded: the later selection is shown at once and stays,
// the earlier decode is called off and its result never reaches the panels. And a large folder is
// listed whole and in order.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QRandomGenerator>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <algorithm>
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
std::atomic<bool> held{false};
std::atomic<bool> heldReturned{false};
std::binary_semaphore release{0};

void HoldFirstDecode() {
  if (checks.fetch_add(1) != 0) return;
  held = true;
  (void)release.try_acquire_for(std::chrono::seconds(5));
  heldReturned = true;
}

void WaitUntilHeld() {
  for (int i = 0; i < 500 && !held; ++i) QThread::msleep(10);
}

}  // namespace

class ImageLoadingTest : public QObject {
  Q_OBJECT

 private:
  static QTreeWidgetItem* FileItem(Verzeichnis& window, const QString& name) {
    return window.Files()->findItems(name, Qt::MatchExactly).value(0);
  }

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() {
    ClearSettings();
    checks = 0, held = false, heldReturned = false;
  }
  void cleanup() { codec::SetCancelCheckHook(nullptr); }

  void laterSelectionWinsOverASlowDecode() {
    Harness harness;
    harness.WriteJpeg(QStringLiteral("a_klein.jpg"), 40, 30);  // no EXIF block
    harness.WriteJpeg(QStringLiteral("b_gross.jpg"), 600, 2400, true);
    auto window = harness.Start();
    const QString folderStatus = window->Filter()->StatusText();
    InfoPanel* info = window->Info();
    codec::SetCancelCheckHook(HoldFirstDecode);
    bool oldStillDecoding = false;
    QTimer::singleShot(0, window.get(), [&] {
      WaitUntilHeld();
      ClickItem(window->Files(), FileItem(*window, QStringLiteral("a_klein.jpg")));
      oldStillDecoding = !heldReturned;
    });
    ClickItem(window->Files(), FileItem(*window, QStringLiteral("b_gross.jpg")));
    QVERIFY(held);
    QVERIFY(oldStillDecoding);  // the window did not wait for the old picture
    QCOMPARE(info->NameLabel()->text(), QStringLiteral("a_klein.jpg"));
    QCOMPARE(info->DimensionsLabel()->text(), QStringLiteral("Bildausdehnung: 40 x 30 Pixel"));
    QCOMPARE(info->Preview()->Picture().size(), QSize(120, 90));
    QCOMPARE(window->Metadata()->topLevelItem(0)->text(1), QStringLiteral("Keine Exif Infos"));
    QCOMPARE(window->Filter()->StatusText(), folderStatus);
    QCOMPARE(window->Filter()->StatusColour(), QColor(0, 0, 0));

    // Let the old decode go on: it stops at once and nothing of it shows, not even a message.
    release.release();
    QTRY_VERIFY(!window->Current().Loader().Busy());
    QVERIFY(checks < 100);  // decoded to its end, the big file alone would look 1,200 times
    QCoreApplication::processEvents();
    QCOMPARE(info->NameLabel()->text(), QStringLiteral("a_klein.jpg"));
    QCOMPARE(window->Current().current.width, 40);
    QVERIFY(harness.reporter.messages.empty());
  }

  void viewerAskedForDuringALoadOpensOnceTheFileIsShown() {
    Harness harness;
    harness.WriteJpeg(QStringLiteral("a.jpg"), 40, 30);
    harness.WriteJpeg(QStringLiteral("b.jpg"), 300, 200);
    auto window = harness.Start();
    codec::SetCancelCheckHook(HoldFirstDecode);
    bool openDuringLoad = true;
    QTimer::singleShot(0, window.get(), [&] {
      WaitUntilHeld();
      emit window->Files()->openRequested(FileItem(*window, QStringLiteral("b.jpg")));  // a double click
      openDuringLoad = viewer_open;
      release.release();
    });
    ClickItem(window->Files(), FileItem(*window, QStringLiteral("b.jpg")));
    QVERIFY(!openDuringLoad);
    QVERIFY(viewer_open && Viewer()->windowTitle().startsWith(QStringLiteral("b - 300x200 Pixel")));
    // The viewer steps through the list as when it was opened on a shown file.
    QTest::keyClick(Viewer(), Qt::Key_Backspace);
    QVERIFY(Viewer()->windowTitle().startsWith(QStringLiteral("a - 40x30 Pixel")));
    UnloadViewer();
  }

  void folderReadAgainDuringADecodeLeavesThePanelsEmpty() {
    Harness harness;
    harness.WriteJpeg(QStringLiteral("a_gross.jpg"), 600, 2400, true);
    auto window = harness.Start();
    QTreeWidgetItem* folder = window->Tree()->SelectedNode();
    window->Current().Clear();
    codec::SetCancelCheckHook(HoldFirstDecode);
    QTimer::singleShot(0, window.get(), [&] {
      WaitUntilHeld();
      window->ReadFolder(folder);  // listing the folder again forgets its selection
      release.release();
    });
    QVERIFY(!window->Current().ShowImageInfo(*window->Files()->Entry(window->Files()->topLevelItem(0))));
    QTRY_VERIFY(!window->Current().Loader().Busy());
    QCoreApplication::processEvents();
    QCOMPARE(window->Info()->NameLabel()->text(), QString());
    QVERIFY(window->Info()->Preview()->Picture().isNull());
    QCOMPARE(window->Metadata()->topLevelItemCount(), 0);
    QCOMPARE(window->Filter()->StatusText(),
             QStringLiteral("1 Bilder mit ") +
                 QLocale().toString(QFileInfo(harness.Path(QStringLiteral("a_gross.jpg"))).size()) +
                 QStringLiteral(" Bytes"));
  }

  void largeFolderIsListedWholeAndInOrder() {
    Harness harness;
    harness.MakeFolder(QStringLiteral("viele"));
    constexpr int kImages = 3000;
    std::vector<int> numbers(kImages);
    for (int i = 0; i < kImages; ++i) numbers[static_cast<std::size_t>(i)] = i + 1;
    std::shuffle(numbers.begin(), numbers.end(), *QRandomGenerator::global());
    for (const int n : numbers) {
      // Written in random order; half upper case; every second image has a note beside it.
      const QString name = QStringLiteral("viele/%1 %2.%3")
                               .arg(n % 2 != 0 ? QStringLiteral("bild") : QStringLiteral("Bild"))
                               .arg(n)
                               .arg(n % 3 == 0 ? QStringLiteral("JPG") : QStringLiteral("png"));
      harness.WriteBytes(name, QByteArray(n % 7, 'x'));
      if (n % 2 == 0) harness.WriteBytes(QStringLiteral("viele/Bild %1.txt").arg(n), "notiz");
    }
    StartOptions options = harness.Options();
    options.startArgument = harness.Path(QStringLiteral("viele"));
    auto window = harness.Start(std::move(options));
    QStringList expected;
    std::int64_t bytes = 0;
    for (int n = 1; n <= kImages; ++n) {
      expected << QStringLiteral("%1 %2.%3")
                      .arg(n % 2 != 0 ? QStringLiteral("bild") : QStringLiteral("Bild"))
                      .arg(n)
                      .arg(n % 3 == 0 ? QStringLiteral("JPG") : QStringLiteral("png"));
      bytes += n % 7;
    }
    QCOMPARE(ItemTexts(window->Files()), expected);
    QCOMPARE(window->Filter()->StatusText(),
             QStringLiteral("3000 Bilder mit ") + QLocale().toString(bytes) + QStringLiteral(" Bytes"));
    const QTreeWidgetItem* last = window->Files()->topLevelItem(kImages - 1);
    QCOMPARE(window->Files()->Entry(last)->size, kImages % 7);
    QVERIFY(last->toolTip(0).startsWith(QString::number(kImages % 7) + QStringLiteral(" Bytes, ")));
    // The first file is selected and shown (it is no real image: its read fails and is reported).
    QCOMPARE(window->Files()->currentItem(), window->Files()->topLevelItem(0));
    QCOMPARE(window->Info()->NameLabel()->text(), QStringLiteral("bild 1.png"));
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::ImageLoadingTest)
#include "ImageLoadingTest.moc"
