// The folder by its metadata: the window opened on a folder of camera JPEGs (hard links of the
// files under KELMARIN_BENCH_PHOTOS, default /work/shared/corpus/jpg; KELMARIN_BENCH_FILES of them,
// default 2,000) with the metadata columns shown. A 5 ms timer measures the event loop's longest
// gap while the records fill (first visit, then a second one with the cache) and while the
// thumbnail grid is scrolled, and the processor time of the whole process (on a shared machine the
// wall time says little). Budgets: gap under 50 ms; fill at most 1.5 s (20,000 files), 0.3 s
// from the cache; the first screenful within 100 ms of the folder's selection.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <algorithm>
#include <ctime>
#include <filesystem>
#include <memory>

#include "browser/FileList.h"
#include "browser/FolderTree.h"
#include "browser/Settings.h"
#include "browser/ThumbnailGrid.h"
#include "browser/Verzeichnis.h"
#include "image/Components.h"
#include "metadata/Reporter.h"

namespace {

using namespace kelmarin;
namespace fs = std::filesystem;

struct SilentReporter : Reporter {
  void Report(const Message&) override {}
};

SilentReporter& Silent() {
  static SilentReporter reporter;
  return reporter;
}

// The scratch folder with the linked photographs and a cache folder, made once per process.
struct Photos {
  QTemporaryDir root;
  QString folder;
  fs::path cache;
  int count = 0;

  Photos() {
    const QByteArray source = qEnvironmentVariableIsSet("KELMARIN_BENCH_PHOTOS")
                                  ? qgetenv("KELMARIN_BENCH_PHOTOS")
                                  : QByteArray("/work/shared/corpus/jpg");
    const int wanted = qEnvironmentVariableIsSet("KELMARIN_BENCH_FILES")
                           ? qEnvironmentVariableIntValue("KELMARIN_BENCH_FILES")
                           : 2000;
    std::vector<fs::path> originals;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(source.toStdString(), error)) {
      const std::string extension = entry.path().extension().string();
      if (entry.is_regular_file() && (extension == ".jpg" || extension == ".JPG"))
        originals.push_back(entry.path());
    }
    std::sort(originals.begin(), originals.end());
    folder = root.filePath(QStringLiteral("fotos"));
    QDir().mkpath(folder);
    cache = QFile::encodeName(root.filePath(QStringLiteral("cache"))).toStdString();
    const fs::path target = QFile::encodeName(folder).toStdString();
    for (int i = 0; i < wanted && !originals.empty(); ++i) {
      const fs::path& original = originals[static_cast<std::size_t>(i) % originals.size()];
      char name[32];
      std::snprintf(name, sizeof name, "IMG_%05d.jpg", i);
      fs::create_hard_link(original, target / name, error);
      if (error) fs::create_symlink(original, target / name, error);  // another file system
      if (!error) ++count;
    }
  }
};

Photos& Scratch() {
  static Photos photos;
  return photos;
}

std::unique_ptr<Verzeichnis> Window(const QString& start = Scratch().folder) {
  StartOptions options;
  options.definitionFile = KELMARIN_DEF_FILE;
  options.reporter = &Silent();
  options.startArgument = start;
  options.hostName = QStringLiteral("bench");
  options.recordCache = Scratch().cache;
  options.listDrives = [] {
    return std::vector<DriveInfo>{
        {QFile::encodeName(Scratch().root.path()).toStdString(), "", DriveKind::Fixed}};
  };
  auto window = std::make_unique<Verzeichnis>(std::move(options));
  window->Load();
  return window;
}

// The longest gap between the 5 ms timer's ticks while the event loop runs until done() or limit ms;
// the wait for the first tick (the window's first paint after the start) is counted apart.
struct GapMeter {
  qint64 worst = 0;
  qint64 first = -1;
  qint64 Run(const std::function<bool()>& done, int limit, const std::function<void(qint64)>& each = {}) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] {
      if (first < 0) {
        first = clock.elapsed();
      } else {
        worst = std::max(worst, clock.elapsed() - last);
      }
      last = clock.elapsed();
    });
    tick.start();
    while (!done() && clock.elapsed() < limit) {
      // Sleeps until the next event (the tick comes every 5 ms): the overload with a time limit
      // does not wait, and its spinning would take a core from the workers.
      QApplication::processEvents(QEventLoop::WaitForMoreEvents);
      if (each) each(clock.elapsed());
    }
    return clock.elapsed();
  }
};

// The processor time of all the process's threads since start: on a machine shared with other
// work the wall time says little; on two free cores it is about half of this.
double ProcessorMs(std::clock_t start) {
  return 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

// Whether every row on screen has its record.
bool ScreenFilled(const FileList& files) {
  const std::vector<std::size_t> rows = files.VisibleEntries();
  return !rows.empty() &&
         std::all_of(rows.begin(), rows.end(), [&](std::size_t i) { return files.Records()[i].filled; });
}

void SetColumns(bool thumbnails) {
  WriteSetting(
      kViewSection, QStringLiteral("filecolumns"),
      QStringLiteral("taken:120,camera:100,lens:100,focal:60,aperture:50,exposure:60,iso:50,rating:50,"
                     "keywords:100,size:80"));
  WriteSetting(kViewSection, QStringLiteral("thumbnails"),
               thumbnails ? QStringLiteral("1") : QStringLiteral("0"));
}

// The whole start on the folder, then the event loop until every record is there. Arg 0 the first
// visit, 1 the second (cache), 2 the first visit sorted by the capture time as the records arrive.
void FillColumns(benchmark::State& state) {
  SetColumns(false);
  const bool cached = state.range(0) == 1;
  if (!cached) fs::remove_all(Scratch().cache);
  for (auto _ : state) {
    state.PauseTiming();
    QThreadPool::globalInstance()->waitForDone();  // the cache of the run before is written
    if (!cached) fs::remove_all(Scratch().cache);
    state.ResumeTiming();
    QElapsedTimer clock;
    clock.start();
    const std::clock_t processor = std::clock();
    auto window = Window();
    if (state.range(0) == 2) window->Files()->sortItems(1, Qt::AscendingOrder);
    const qint64 listed = clock.elapsed();
    qint64 screen = ScreenFilled(*window->Files()) ? listed : -1;
    GapMeter meter;
    meter.Run([&] { return !window->FillingRecords(); }, 120000,
              [&](qint64 at) {
                if (screen < 0 && ScreenFilled(*window->Files())) screen = listed + at;
              });
    state.counters["files"] = Scratch().count;
    state.counters["screen_ms"] = static_cast<double>(screen);
    state.counters["first_paint_ms"] = static_cast<double>(meter.first);
    state.counters["listed_ms"] = static_cast<double>(listed);
    state.counters["fill_ms"] = static_cast<double>(clock.elapsed());
    state.counters["process_cpu_ms"] = ProcessorMs(processor);
    state.counters["worst_gap_ms"] = static_cast<double>(meter.worst);
    state.PauseTiming();
    window.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(FillColumns)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1);

// The folder chosen in the tree of a window open on its parent folder (which shows no image), as a
// user clicks it, until every row on screen has its record: the first screenful's budget, 100 ms.
// Arg 0 the first visit (no cache), 1 a later one (cache). Repeated, the names are in the page
// cache as they are when a user comes back to a folder.
void SelectFolder(benchmark::State& state) {
  SetColumns(false);
  const bool cached = state.range(0) == 1;
  const auto window = Window(Scratch().root.path());
  QTreeWidgetItem* parent = window->Tree()->SelectedNode();
  QTreeWidgetItem* photos = nullptr;
  for (int i = 0; parent != nullptr && i < parent->childCount(); ++i) {
    if (parent->child(i)->text(0) == QStringLiteral("fotos")) photos = parent->child(i);
  }
  if (photos == nullptr) {
    state.SkipWithError("no folder node for the photographs");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    window->Tree()->SelectNode(parent);
    emit window->Tree()->nodeChosen(parent);
    QThreadPool::globalInstance()->waitForDone();
    if (!cached) fs::remove_all(Scratch().cache);
    state.ResumeTiming();
    QElapsedTimer clock;
    clock.start();
    const std::clock_t processor = std::clock();
    window->Tree()->SelectNode(photos);
    emit window->Tree()->nodeChosen(photos);
    const qint64 listed = clock.elapsed();
    qint64 screen = ScreenFilled(*window->Files()) ? listed : -1;
    GapMeter meter;
    meter.Run([&] { return screen >= 0; }, 10000, [&](qint64 at) {
      if (screen < 0 && ScreenFilled(*window->Files())) screen = listed + at;
    });
    state.counters["listed_ms"] = static_cast<double>(listed);
    state.counters["screen_ms"] = static_cast<double>(screen);
    state.counters["screen_cpu_ms"] = ProcessorMs(processor);
    state.counters["files"] = static_cast<double>(window->Files()->Entries().size());
    state.PauseTiming();
    meter.Run([&] { return !window->FillingRecords(); }, 120000);  // the cache is written
    state.ResumeTiming();
  }
}
BENCHMARK(SelectFolder)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same timer on an idle event loop: what the machine itself adds (other processes, the scheduler).
void IdleLoop(benchmark::State& state) {
  for (auto _ : state) {
    GapMeter meter;
    meter.Run([] { return false; }, 1000);
    state.counters["worst_gap_ms"] = static_cast<double>(meter.worst);
  }
}
BENCHMARK(IdleLoop)->Unit(benchmark::kMillisecond)->Iterations(1);

// The grid scrolled a page every 50 ms for two seconds while its pictures are made.
void ScrollThumbnails(benchmark::State& state) {
  SetColumns(true);
  for (auto _ : state) {
    auto window = Window();
    window->resize(1200, 900);
    ThumbnailGrid* grid = window->Thumbnails();
    QTimer scroll;
    scroll.setInterval(50);
    QObject::connect(&scroll, &QTimer::timeout, [grid] {
      QScrollBar* bar = grid->verticalScrollBar();
      bar->setValue(bar->value() + bar->pageStep());
    });
    scroll.start();
    GapMeter meter;
    meter.Run([] { return false; }, 2000);
    state.counters["worst_gap_ms"] = static_cast<double>(meter.worst);
    state.counters["first_paint_ms"] = static_cast<double>(meter.first);
    state.counters["thumbnails"] = static_cast<double>(grid->ThumbnailCount());
  }
}
BENCHMARK(ScrollThumbnails)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir settings;
  QApplication application(argc, argv);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
  InitComponents(Silent());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
