// Listing: ListImageFiles and the window's ReadFolder on a folder of 20,000 files (1,000 images),
// beside a bare scan that reads every entry's size and time (readdir + stat). Budget: within 2x.
// Start-up: the window started on a folder of 20,000 small JPEG files, from its construction to the
// filled file list with the first file shown (what `kelmarin FOLDER` does before it takes input).
// Budget: 0.5 s.
// Selection: from the click in the file list to the filled metadata list for a 24-megapixel JPEG,
// beside decoding that file alone. Budget: decode + 15 %.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <memory>

#include "Cameras.h"
#include "FileWriters.h"
#include "SampleImage.h"
#include "browser/CurrentImage.h"
#include "browser/FileList.h"
#include "browser/FolderTree.h"
#include "browser/InfoPanel.h"
#include "browser/MetadataList.h"
#include "browser/Verzeichnis.h"
#include "image/Components.h"
#include "image/ZetImage.h"
#include "metadata/Reporter.h"

namespace {

using namespace kelmarin;

struct SilentReporter : Reporter {
  void Report(const Message&) override {}
};

// The scratch folders, made once per process.
struct Folders {
  QTemporaryDir root;
  QString listing;  // 20,000 files, 1,000 of them images
  QString large;    // one 24-megapixel JPEG
  QString crowded;  // 20,000 small JPEG files
  std::string largeFile;

  Folders() {
    QDir(root.path()).mkpath(QStringLiteral("listing"));
    QDir(root.path()).mkpath(QStringLiteral("large"));
    QDir(root.path()).mkpath(QStringLiteral("crowded"));
    listing = root.filePath(QStringLiteral("listing"));
    large = root.filePath(QStringLiteral("large"));
    crowded = root.filePath(QStringLiteral("crowded"));
    const std::string folder = QFile::encodeName(listing).toStdString();
    const samples::Bytes small = samples::EncodeJpeg(samples::Landscape(32, 24), 80);
    const std::string crowdedFolder = QFile::encodeName(crowded).toStdString();
    for (int i = 0; i < 20000; ++i) {
      char name[64];
      // Camera names and a few of a person's own, in no order the folder keeps.
      std::snprintf(name, sizeof name, i % 10 == 0 ? "/Urlaub Äste %d.jpg" : "/DSC_%05d.JPG",
                    (i * 7919) % 20000);
      std::ofstream(crowdedFolder + name, std::ios::binary)
          .write(reinterpret_cast<const char*>(small.data()), static_cast<std::streamsize>(small.size()));
    }
    for (int i = 0; i < 20000; ++i) {
      char name[64];
      if (i % 20 == 0) {
        std::snprintf(name, sizeof name, "/IMG_%05d.JPG", i);
      } else {
        std::snprintf(name, sizeof name, i % 2 != 0 ? "/notes_%05d.txt" : "/IMG_%05d.xmp", i);
      }
      std::ofstream(folder + name, std::ios::binary)
          .write(reinterpret_cast<const char*>(small.data()), static_cast<std::streamsize>(small.size()));
    }
    const int width = 6000, height = 4000;
    const samples::Shot shot = samples::SampleShot(samples::Maker::kNikon, width, height);
    const samples::Bytes thumbnail = samples::EncodeJpeg(samples::Landscape(160, 120), 70);
    largeFile = QFile::encodeName(large).toStdString() + "/gross.jpg";
    samples::WriteJpeg(largeFile, samples::Landscape(width, height), 90,
                       {{0xE1, samples::CameraExif(samples::Maker::kNikon, shot, thumbnail)}});
  }
};

Folders& Scratch() {
  static Folders folders;
  return folders;
}

SilentReporter& Silent() {
  static SilentReporter reporter;
  return reporter;
}

// A started window whose only drive is the scratch root, opened on folder.
std::unique_ptr<Verzeichnis> Window(const QString& folder) {
  StartOptions options;
  options.definitionFile = KELMARIN_DEF_FILE;
  options.reporter = &Silent();
  options.startArgument = folder;
  options.hostName = QStringLiteral("bench");
  options.listDrives = [] {
    return std::vector<DriveInfo>{
        {QFile::encodeName(Scratch().root.path()).toStdString(), "", DriveKind::Fixed}};
  };
  auto window = std::make_unique<Verzeichnis>(std::move(options));
  window->Load();
  return window;
}

void BareScan(benchmark::State& state) {
  const std::string folder = QFile::encodeName(Scratch().listing).toStdString();
  for (auto _ : state) {
    DIR* dir = ::opendir(folder.c_str());
    std::int64_t total = 0;
    int count = 0;
    while (const dirent* entry = ::readdir(dir)) {
      struct stat info {};
      if (::fstatat(::dirfd(dir), entry->d_name, &info, 0) == 0) {
        total += info.st_size + info.st_mtime;
        ++count;
      }
    }
    ::closedir(dir);
    benchmark::DoNotOptimize(total);
    state.counters["entries"] = count;
  }
}
BENCHMARK(BareScan)->Unit(benchmark::kMillisecond);

void ListImageFilesAllFormats(benchmark::State& state) {
  const std::string folder = QFile::encodeName(Scratch().listing).toStdString();
  std::array<bool, kFormatBoxCount> boxes{};
  boxes.fill(true);
  boxes[10] = false;  // jp2 is hidden
  const auto patterns = BuildPatternList("*", boxes);
  for (auto _ : state) {
    const auto entries = ListImageFiles(folder, patterns);
    benchmark::DoNotOptimize(entries.data());
    state.counters["images"] = static_cast<double>(entries.size());
  }
}
BENCHMARK(ListImageFilesAllFormats)->Unit(benchmark::kMillisecond);

void ReadFolderInWindow(benchmark::State& state) {
  const auto window = Window(Scratch().listing);
  QTreeWidgetItem* node = window->Tree()->SelectedNode();
  for (auto _ : state) {
    window->ReadFolder(node);
    state.counters["images"] = window->Files()->topLevelItemCount();
  }
}
BENCHMARK(ReadFolderInWindow)->Unit(benchmark::kMillisecond);

void StartUpOn20000Files(benchmark::State& state) {
  Scratch();
  for (auto _ : state) {
    auto window = Window(Scratch().crowded);
    state.counters["images"] = window->Files()->topLevelItemCount();
    state.PauseTiming();  // the end of the window is not part of the start-up
    window.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(StartUpOn20000Files)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void Decode24Megapixel(benchmark::State& state) {
  Scratch();
  for (auto _ : state) {
    ZetImage image(nullptr, &Silent());
    std::int32_t width = 0, height = 0, time = 0;
    image.load(Scratch().largeFile, kTypeJpeg, width, height, time);
    benchmark::DoNotOptimize(image.pixels().constBits());
  }
}
BENCHMARK(Decode24Megapixel)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The two parts of the selection that are not the decode: the preview and the metadata list.
void LoadAndPreview24Megapixel(benchmark::State& state) {
  PreviewBox box;
  box.resize(120, 120);
  for (auto _ : state) {
    ZetImage image(nullptr, &Silent());
    std::int32_t width = 0, height = 0, time = 0;
    image.load(Scratch().largeFile, kTypeJpeg, width, height, time);
    image.show(box);
  }
}
BENCHMARK(LoadAndPreview24Megapixel)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void Select24Megapixel(benchmark::State& state) {
  const auto window = Window(Scratch().large);
  FileList* files = window->Files();
  QTreeWidgetItem* item = files->topLevelItem(0);
  for (auto _ : state) {
    emit files->fileChosen(item);  // what a click does: the panel, the preview, the metadata list
    state.counters["rows"] = window->Metadata()->topLevelItemCount();
  }
  state.counters["width"] = window->Current().current.width;
}
BENCHMARK(Select24Megapixel)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  InitComponents(Silent());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
