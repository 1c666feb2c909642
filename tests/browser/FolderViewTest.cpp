// The folder by its metadata in the window: metadata columns chosen in the header's menu and kept in
// the settings, sorting with ties and missing values, the records read in the background and dropped
// on a folder change, the metadata filter, and the thumbnail grid sharing the list's selection.
#include <QAction>
#include <QBuffer>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "TestSupport.h"
#include "browser/FolderViewWork.h"
#include "browser/NameOrder.h"
#include "browser/ThumbnailGrid.h"
#include "browser/core/FolderRecords.h"

namespace kelmarin::test {

namespace {

// Records made up from the file's stem: "a_400" has camera "X" and ISO 400, "b" neither; the lens
// is the stem, so that a record shows which file it came from.
struct FakeReader {
  std::mutex mutex;
  QStringList read;
  std::chrono::milliseconds delay{0};

  FolderRecord Read(const std::filesystem::path& file) {
    {
      const std::lock_guard lock(mutex);
      read << QString::fromStdString(file.string());
    }
    std::this_thread::sleep_for(delay);
    FolderRecord record;
    record.filled = true;
    const std::string stem = file.stem().string();
    record.lens = stem;
    if (const auto cut = stem.find('_'); cut != std::string::npos) {
      record.camera = "X";
      record.iso = std::stof(stem.substr(cut + 1));
    }
    return record;
  }
  qsizetype ReadsUnder(const QString& folder) {
    const std::lock_guard lock(mutex);
    return read.filter(folder.endsWith(U(".jpg")) ? folder : folder + QLatin1Char('/')).size();
  }
};

// The window's options with its records from `reader`, cached in the harness's "cache" folder.
StartOptions RecordOptions(Harness& harness, const std::shared_ptr<FakeReader>& reader) {
  StartOptions options = harness.Options();
  options.readRecord = [reader](const std::filesystem::path& file) { return reader->Read(file); };
  options.recordCache = QFile::encodeName(harness.Path(U("cache"))).toStdString();
  return options;
}

// A window on the folder "f" of four files (see FakeReader), started there.
std::unique_ptr<Verzeichnis> StartOnFourFiles(Harness& harness, const std::shared_ptr<FakeReader>& reader) {
  harness.MakeFolder(U("f"));
  for (const char* name : {"f/a_400.jpg", "f/b.jpg", "f/c_100.jpg", "f/d_400.jpg"})
    harness.WriteJpeg(U(name), 16, 12);
  StartIn(harness.Path(U("f")));
  return harness.Start(RecordOptions(harness, reader));
}

QStringList HeaderTitles(FileList* files) {
  QStringList titles;
  for (int i = 0; i < files->columnCount(); ++i) titles << files->headerItem()->text(i);
  return titles;
}

void ChooseColumn(FileList* files, const QString& title) {
  for (QAction* action : files->ColumnMenu()->actions()) {
    if (action->text() == title) return action->trigger();
  }
  QFAIL("no such column");
}

void ClickHeader(FileList* files, int section) {
  QTest::mouseClick(files->header()->viewport(), Qt::LeftButton, {},
                    QPoint(files->header()->sectionViewportPosition(section) + 5, 5));
}

// The names of the rows the list shows, top to bottom.
QStringList ShownNames(FileList* files) {
  QStringList names;
  for (QTreeWidgetItem* item = files->topLevelItem(0); item != nullptr; item = files->itemBelow(item)) {
    if (!item->isHidden()) names << item->text(0);
  }
  return names;
}

QByteArray JpegOf(QColor colour, QSize size) {
  QImage picture(size, QImage::Format_RGB888);
  picture.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "JPEG", 95);
  return bytes;
}

// The picture's centre colour: R, G, B or ? for none of them.
char Colour(const QImage& picture) {
  const QColor c = picture.pixelColor(picture.width() / 2, picture.height() / 2);
  return c.red() > 200 && c.green() < 60 && c.blue() < 60   ? 'R'
         : c.green() > 200 && c.red() < 60 && c.blue() < 60 ? 'G'
         : c.blue() > 200 && c.red() < 60                   ? 'B'
                                                            : '?';
}

std::vector<std::uint8_t> Bytes(const QByteArray& data) {
  return {data.begin(), data.end()};
}

// A red picture of `size` with `main` as its EXIF block.
QByteArray WithExif(const Ifd& main, ByteOrder order, QSize size = QSize(400, 300)) {
  const std::vector<std::uint8_t> payload = WriteExifPayload(order, main);
  const qsizetype length = 2 + static_cast<qsizetype>(payload.size());
  QByteArray app1("\xFF\xE1", 2);
  app1.append(static_cast<char>(length >> 8)).append(static_cast<char>(length & 0xFF));
  app1.append(reinterpret_cast<const char*>(payload.data()), static_cast<qsizetype>(payload.size()));
  return JpegOf(Qt::red, size).insert(2, app1);
}

// A directory holding `jpeg` as its JPEG, whose length entry says `claimedLength` (the real length
// when negative).
std::shared_ptr<Ifd> JpegDirectory(const QByteArray& jpeg, qsizetype claimedLength = -1) {
  auto directory = std::make_shared<Ifd>();
  directory->Short(0x0103, {6});
  directory->OffsetTo(0x0201, Bytes(jpeg));
  directory->Long(0x0202, {static_cast<std::uint32_t>(claimedLength < 0 ? jpeg.size() : claimedLength)});
  return directory;
}

// A red picture (little-endian EXIF) whose IFD1 holds `thumbnail`.
QByteArray JpegWithThumbnail(const QByteArray& thumbnail, int orientation, qsizetype claimedLength = -1) {
  Ifd main;
  main.Short(0x0112, {static_cast<std::uint16_t>(orientation)}).Next(JpegDirectory(thumbnail, claimedLength));
  return WithExif(main, ByteOrder::LittleEndian);
}

// A red picture from a Nikon body: IFD1 holds `thumbnail`, the makernote's preview directory
// (tag 0x0011, offsets from the makernote's own TIFF header) `preview`.
QByteArray NikonJpeg(const QByteArray& thumbnail, const QByteArray& preview, qsizetype claimedLength = -1) {
  auto note = std::make_shared<Ifd>();
  note->Undefined(0x0001, std::string("0210"));
  note->Sub(0x0011, JpegDirectory(preview, claimedLength));
  const Ifd::BlobMaker makernote = [note](std::int64_t) {
    std::vector<std::uint8_t> out{'N', 'i', 'k', 'o', 'n', 0, 2, 0x10, 0, 0};
    ByteSink sink{ByteOrder::BigEndian, out};
    sink.Text("MM"), sink.U16(42), sink.U32(8);
    note->Write(out, ByteOrder::BigEndian, -10);
    return out;
  };
  auto exif = std::make_shared<Ifd>();
  exif->Blob(0x927C, kUndefined, static_cast<std::uint32_t>(makernote(0).size()), makernote);
  Ifd main;
  main.Ascii(0x010F, "NIKON CORPORATION").Ascii(0x0110, "NIKON D3100").Sub(0x8769, exif);
  main.Next(JpegDirectory(thumbnail));
  return WithExif(main, ByteOrder::BigEndian);
}

}  // namespace

class FolderViewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { PrepareEnvironment(); }
  void init() { ClearSettings(); }

  // The work itself: the wanted indices first, every index once, and nothing after a cancel or a
  // new start reaches the old callback.
  void workOrderAndCancel() {
    QObject context;
    FolderViewWork<int> work(&context, 1);
    std::vector<std::size_t> order;
    bool finished = false;
    const auto gate = std::make_shared<std::atomic<bool>>(false);
    const auto holding = std::make_shared<std::atomic<bool>>(false);
    work.Start(
        6, {5, 0, 1, 2, 9, 3, 4, 5},
        [gate, holding](std::size_t index) {
          *holding = *holding || index == 5;
          while (index == 5 && !*gate) std::this_thread::yield();  // holds the only worker
          return static_cast<int>(index) * 10;
        },
        [&](FolderViewWork<int>::Batch& batch) {
          for (const auto& [index, value] : batch) {
            QCOMPARE(value, static_cast<int>(index) * 10);
            order.push_back(index);
          }
        },
        [&] { finished = true; });
    QTRY_VERIFY(*holding);
    work.Prefer({4, 3});
    *gate = true;
    QTRY_VERIFY(finished);
    QCOMPARE(order, (std::vector<std::size_t>{5, 4, 3, 0, 1, 2}));
    QVERIFY(!work.Running() && work.Delivered() == 6);

    // A cancelled work and the one before a new start hand over nothing more.
    bool oldCalled = false;
    *gate = false;
    work.Start(
        6, {5},
        [gate](std::size_t) {
          while (!*gate) std::this_thread::yield();
          return 1;
        },
        [&](FolderViewWork<int>::Batch&) { oldCalled = true; });
    QVERIFY(work.Running());
    std::size_t fresh = 0;
    work.Start(
        3, {0, 1, 2}, [](std::size_t) { return 2; },
        [&](FolderViewWork<int>::Batch& batch) { fresh += batch.size(); });
    *gate = true;
    QTRY_COMPARE(fresh, std::size_t{3});
    work.Cancel();
    QTest::qWait(3 * kBatchInterval);
    QVERIFY(!oldCalled && !work.Running());
  }

  void columnsChosenKeptAndSorted() {
    Harness harness;
    auto reader = std::make_shared<FakeReader>();
    auto window = StartOnFourFiles(harness, reader);
    FileList* files = window->Files();
    // The default list: one column, in name order, and nothing read.
    QCOMPARE(HeaderTitles(files), QStringList{U("Dateiname")});
    QVERIFY(!files->isSortingEnabled() && !window->FillingRecords());
    QCOMPARE(reader->read.size(), 0);

    ChooseColumn(files, U("ISO"));
    ChooseColumn(files, U("Kamera"));
    QCOMPARE(HeaderTitles(files), (QStringList{U("Dateiname"), U("Kamera"), U("ISO")}));
    QVERIFY(Setting(kViewSection, U("filecolumns"))
                .contains(QRegularExpression(U("^name:180,camera:\\d+,iso:\\d+$"))));
    QTRY_VERIFY(!window->FillingRecords());
    QCOMPARE(files->FilledCount(), std::size_t{4});
    QCOMPARE(reader->read.size(), 4);  // each file once
    QVERIFY(window->Filter()->StatusText().startsWith(U("4 Bilder mit ")));

    // Equal cameras in name order, the missing one last, in either direction.
    ClickHeader(files, 1);
    QCOMPARE(ShownNames(files), (QStringList{U("a_400.jpg"), U("c_100.jpg"), U("d_400.jpg"), U("b.jpg")}));
    ClickHeader(files, 1);
    QCOMPARE(ShownNames(files), (QStringList{U("a_400.jpg"), U("c_100.jpg"), U("d_400.jpg"), U("b.jpg")}));
    ClickHeader(files, 0);
    ClickHeader(files, 0);
    QCOMPARE(ShownNames(files), (QStringList{U("d_400.jpg"), U("c_100.jpg"), U("b.jpg"), U("a_400.jpg")}));

    // Kept with its widths for the next start; dropping the columns gives the default list back.
    files->setColumnWidth(0, 150);
    files->setColumnWidth(2, 91);
    window->close();
    window = harness.Start(RecordOptions(harness, reader));
    files = window->Files();
    QCOMPARE(HeaderTitles(files), (QStringList{U("Dateiname"), U("Kamera"), U("ISO")}));
    QCOMPARE(QPoint(files->columnWidth(0), files->columnWidth(2)), QPoint(150, 91));
    ChooseColumn(files, U("Kamera"));
    ChooseColumn(files, U("ISO"));
    QCOMPARE(HeaderTitles(files), QStringList{U("Dateiname")});
    QVERIFY(files->columnWidth(0) > 150);  // the list's width again
    QCOMPARE(ItemTexts(files), (QStringList{U("a_400.jpg"), U("b.jpg"), U("c_100.jpg"), U("d_400.jpg")}));
    QCOMPARE(Setting(kViewSection, U("filecolumns")), QString());

    // Values in their order (the ties and the missing value as above).
    ChooseColumn(files, U("ISO"));
    QTRY_VERIFY(!window->FillingRecords());
    ClickHeader(files, 1);
    QCOMPARE(ShownNames(files), (QStringList{U("c_100.jpg"), U("a_400.jpg"), U("d_400.jpg"), U("b.jpg")}));
    ClickHeader(files, 1);
    QCOMPARE(ShownNames(files), (QStringList{U("a_400.jpg"), U("d_400.jpg"), U("c_100.jpg"), U("b.jpg")}));
  }

  void folderChangeDropsTheWork() {
    Harness harness;
    harness.MakeFolder(U("langsam"));
    harness.MakeFolder(U("neu"));
    for (int i = 0; i < 40; ++i) harness.WriteJpeg(U("langsam/%1.jpg").arg(i, 2, 10, QLatin1Char('0')), 8, 8);
    for (const char* name : {"neu/x.jpg", "neu/y_200.jpg"}) harness.WriteJpeg(U(name), 8, 8);
    StartIn(harness.Path(U("langsam")));
    WriteSetting(kViewSection, U("filecolumns"), U("lens:80,bogus:3"));
    auto reader = std::make_shared<FakeReader>();
    reader->delay = std::chrono::milliseconds(40);
    StartOptions options = RecordOptions(harness, reader);
    auto window = harness.Start(options);
    QCOMPARE(HeaderTitles(window->Files()), (QStringList{U("Dateiname"), U("Objektiv")}));
    QVERIFY(window->FillingRecords());
    QTRY_VERIFY(window->Filter()->StatusText().startsWith(U("Metadaten: ")));
    QVERIFY(window->Filter()->StatusText().endsWith(U(" von 40")));
    // The rows scrolled into view are read before those in between.
    window->Files()->scrollToBottom();
    QTRY_VERIFY(reader->ReadsUnder(harness.Path(U("langsam/39.jpg"))) +
                    reader->ReadsUnder(harness.Path(U("langsam/38.jpg"))) >
                0);
    QVERIFY(reader->ReadsUnder(harness.Path(U("langsam"))) < 30);

    ClickItem(window->Tree(), Child(window->Tree()->SelectedNode()->parent(), U("neu")));
    const qsizetype readsAtChange = reader->ReadsUnder(harness.Path(U("langsam")));
    QTRY_VERIFY(!window->FillingRecords());
    QTest::qWait(100);
    // The old folder's workers stopped at their next file; its late records went nowhere.
    QVERIFY(reader->ReadsUnder(harness.Path(U("langsam"))) <= readsAtChange + QThread::idealThreadCount());
    QVERIFY(readsAtChange < 40);
    const FileList* files = window->Files();
    QCOMPARE(files->FilledCount(), std::size_t{2});
    for (std::size_t i = 0; i < files->Entries().size(); ++i)
      QCOMPARE(files->Records()[i].lens, files->Entries()[i].name);
    QVERIFY(window->Filter()->StatusText().startsWith(U("2 Bilder mit ")));
  }

  void metadataFilter() {
    Harness harness;
    auto window = StartOnFourFiles(harness, std::make_shared<FakeReader>());
    QLineEdit* field = window->Filter()->MetadataFilterField();
    const QString help = field->toolTip();
    QVERIFY(field->styleSheet().isEmpty());
    // The filter alone makes the records be read.
    QTest::keyClicks(field, U("ISO > 200"));
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_VERIFY(!window->FillingRecords());
    QCOMPARE(ShownNames(window->Files()), (QStringList{U("a_400.jpg"), U("d_400.jpg")}));
    QCOMPARE(window->Filter()->StatusText(), U("2 von 4 Dateien"));
    FileList* files = window->Files();
    files->SelectItem(files->FindFile("a_400.jpg"));
    QCOMPARE(files->Neighbour(1), files->FindFile("d_400.jpg"));  // over the hidden ones
    QCOMPARE(files->Neighbour(-1), nullptr);
    // A wrong text: a red frame and the reason, the list as it was, no dialog.
    field->setText(U("ISO >>"));
    QTest::keyClick(field, Qt::Key_Return);
    QVERIFY(!field->styleSheet().isEmpty());
    QVERIFY(!field->toolTip().isEmpty() && field->toolTip() != help);
    QCOMPARE(ShownNames(window->Files()).size(), 2);
    QVERIFY(harness.reporter.messages.empty());
    field->clear();
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(ShownNames(window->Files()).size(), 4);
    QVERIFY(field->styleSheet().isEmpty() && window->Filter()->StatusText().startsWith(U("4 Bilder mit ")));
  }

  // Every record is kept in the cache after a visit, also those read while the cache was loading,
  // and the second visit shows the same values.
  void cacheKeepsEveryRecord() {
    Harness harness;
    harness.MakeFolder(U("c"));
    for (int i = 0; i < 12; ++i) harness.WriteJpeg(U("c/f_%1.jpg").arg(100 + i), 8, 8);
    StartIn(harness.Path(U("c")));
    auto reader = std::make_shared<FakeReader>();
    StartOptions options = RecordOptions(harness, reader);
    const std::string folder = QFile::encodeName(harness.Path(U("c"))).toStdString();
    const auto cachedCount = [&] {
      QThreadPool::globalInstance()->waitForDone();  // the save after the fill
      FolderRecordCache cache(options.recordCache);
      cache.Load(folder);
      int found = 0;
      for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const auto modified = static_cast<std::int64_t>(entry.last_write_time().time_since_epoch().count());
        const auto record = cache.Find(entry.path().string(), static_cast<std::int64_t>(entry.file_size()), modified);
        if (record && record->iso == std::stof(entry.path().stem().string().substr(2))) ++found;
      }
      return found;
    };
    auto window = harness.Start(options);
    ChooseColumn(window->Files(), U("ISO"));
    QTRY_VERIFY(!window->FillingRecords());
    QCOMPARE(cachedCount(), 12);
    window->close();
    window = harness.Start(options);
    QTRY_VERIFY(window->Files()->FilledCount() == 12 && !window->FillingRecords());
    for (std::size_t i = 0; i < 12; ++i) {
      QCOMPARE(window->Files()->Records()[i].lens, window->Files()->Entries()[i].name);
    }
    QCOMPARE(cachedCount(), 12);
  }

  // The embedded EXIF thumbnail (blue) is taken when it fills the box, turned by the orientation;
  // one too small for the cell gives way to the makernote's larger preview (green), read from
  // within the block; a small or damaged one, or a preview whose bytes leave the block, gives the
  // decoded picture (red).
  void embeddedThumbnailsAndMakernotePreviews() {
    Harness harness;
    harness.MakeFolder(U("e"));
    const QByteArray blue = JpegOf(Qt::blue, QSize(160, 120)), small = JpegOf(Qt::blue, QSize(80, 60));
    const QByteArray green = JpegOf(Qt::green, QSize(320, 240));
    const struct {
      const char* name;
      QByteArray file;
      QSize size;
      char colour;
    } cases[] = {
        {"gross.jpg", JpegWithThumbnail(blue, 1), QSize(128, 96), 'B'},
        {"hoch.jpg", JpegWithThumbnail(blue, 6), QSize(72, 96), 'B'},
        {"klein.jpg", JpegWithThumbnail(small, 1), QSize(128, 96), 'R'},
        {"zulang.jpg", JpegWithThumbnail(blue, 1, blue.size() + 1), QSize(128, 96), 'R'},
        {"kaputt.jpg", JpegWithThumbnail(blue.left(40) + QByteArray(60, 'x'), 1), QSize(128, 96), 'R'},
        {"vorschau.jpg", NikonJpeg(small, green), QSize(128, 96), 'G'},
        {"miniatur.jpg", NikonJpeg(blue, green), QSize(128, 96), 'B'},
        {"nikon-zulang.jpg", NikonJpeg(small, green, green.size() + 70000), QSize(128, 96), 'R'},
        {"nikon-kaputt.jpg", NikonJpeg(small, green.left(60) + QByteArray(100, 'x')), QSize(128, 96), 'R'},
    };
    const auto path = [&](const char* name) { return harness.Path(U("e/") + U(name)).toStdString(); };
    for (const auto& c : cases) {
      harness.WriteBytes(U("e/") + U(c.name), c.file);
      const QImage made = MakeThumbnail(path(c.name), 4, QSize(128, 96));
      QCOMPARE(made.size(), c.size);
      QVERIFY2(Colour(made) == c.colour, c.name);
    }
    // Only a picture at least as large as the cell: thumbnail and preview are smaller than these.
    QVERIFY(EmbeddedThumbnail(path("gross.jpg"), 4, QSize(200, 150)).isNull());
    QVERIFY(EmbeddedThumbnail(path("vorschau.jpg"), 4, QSize(400, 300)).isNull());
  }

  // With columns the list sorts: a folder listed then keeps the name order and its sorting, and a
  // record reaching a row off screen does not repaint the list, one on screen does.
  void listingWithColumns() {
    Harness harness;
    harness.MakeFolder(U("l"));
    QStringList names;
    for (int i = 59; i >= 0; --i) {
      const QString name = QStringLiteral("bild %1.jpg").arg(i);
      harness.WriteJpeg(U("l/") + name, 16, 12);
      names.prepend(name);
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) { return GermanNameLess(a, b); });
    StartIn(harness.Path(U("l")));
    WriteSetting(kViewSection, U("filecolumns"), U("iso:50"));
    auto window = harness.Start(RecordOptions(harness, std::make_shared<FakeReader>()));
    FileList* files = window->Files();
    QVERIFY(files->isSortingEnabled());
    QCOMPARE(ItemTexts(files), names);
    QTRY_VERIFY(!window->FillingRecords());
    ClickHeader(files, 0);
    std::reverse(names.begin(), names.end());
    QCOMPARE(ShownNames(files), names);

    struct PaintCounter : QObject {
      int paints = 0;
      bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
      }
    } counter;
    files->viewport()->installEventFilter(&counter);
    const std::vector<std::size_t> onScreen = files->VisibleEntries();
    QVERIFY(!onScreen.empty() && onScreen.size() < 60);
    const std::size_t offScreen = onScreen.front() > 30 ? 0 : 59;
    QVERIFY(std::find(onScreen.begin(), onScreen.end(), offScreen) == onScreen.end());
    FolderRecord record;
    record.filled = true;
    record.iso = 800;
    QTest::qWait(50);
    counter.paints = 0;
    std::vector<std::pair<std::size_t, FolderRecord>> batch{{offScreen, record}};
    files->SetRecords(batch);
    QTest::qWait(50);
    QCOMPARE(counter.paints, 0);
    batch = {{onScreen.front(), record}};
    files->SetRecords(batch);
    QTRY_VERIFY(counter.paints > 0);
    files->viewport()->removeEventFilter(&counter);
  }

  void thumbnails() {
    Harness harness;
    harness.MakeFolder(U("f"));
    harness.WriteJpeg(U("f/breit.jpg"), 400, 100);
    harness.WriteJpeg(U("f/klein.jpg"), 48, 64);
    harness.WritePng(U("f/mittel.png"), 200, 150);
    harness.WriteBytes(U("f/kaputt.jpg"), QByteArray("\xFF\xD8\xFF\xE0 nothing more"));
    StartIn(harness.Path(U("f")));
    auto window = harness.Start();
    ThumbnailGrid* grid = window->Thumbnails();
    FileList* files = window->Files();
    QVERIFY(!grid->isVisible() && files->isVisible());
    window->ThumbnailAction()->trigger();
    QVERIFY(grid->isVisible() && !files->isVisible());
    QCOMPARE(grid->geometry(), files->geometry());
    QCOMPARE(Setting(kViewSection, U("thumbnails")), U("1"));
    QCOMPARE(grid->model()->rowCount(), 4);
    QTRY_COMPARE(grid->ThumbnailCount(), std::size_t{4});
    // Fitted into the box, a small one as it is, the broken file an empty cell.
    QCOMPARE(ItemTexts(files),
             (QStringList{U("breit.jpg"), U("kaputt.jpg"), U("klein.jpg"), U("mittel.png")}));
    QCOMPARE(grid->Thumbnail(0).size(), QSize(128, 32));
    QVERIFY(grid->Thumbnail(1).isNull());
    QCOMPARE(grid->Thumbnail(2).size(), QSize(48, 64));
    QCOMPARE(grid->Thumbnail(3).size(), QSize(128, 96));

    // One selection: a click in the grid shows the file, a choice in the list moves the grid's.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(3, 0)).center());
    QCOMPARE(files->currentItem(), files->topLevelItem(3));
    QTRY_VERIFY(Shows(*window).endsWith(U("|mittel.png")));
    files->SelectItem(files->topLevelItem(2));
    QCOMPARE(grid->currentIndex().row(), 2);
    QCOMPARE(grid->selectionModel()->selectedIndexes().size(), 1);

    window->close();
    window = harness.Start();
    QVERIFY(window->Thumbnails()->isVisible() && window->ThumbnailAction()->isChecked());
    window->ThumbnailAction()->trigger();
    QVERIFY(!window->Thumbnails()->isVisible() && window->Files()->isVisible());
  }
};

}  // namespace kelmarin::test

QTEST_MAIN(kelmarin::test::FolderViewTest)
#include "FolderViewTest.moc"
