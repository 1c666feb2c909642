// Filling the records of a large folder of camera JPEGs (the columns of the file list), on two
// threads as the window does on this machine's two cores: cold (every file read, page cache warm),
// and from the record cache on a second visit (the cache file read, each file found by its path,
// size and time). Also the memory the records of the folder take. Budgets for 20,000 files: 1.5 s
// cold, 0.3 s from the cache, under 40 MB.
//
// The folder comes from KELMARIN_FOLDER_BENCH (bench/folder-records.sh makes one of 20,000 hard
// links); without it the benchmarks are skipped. The cache lives in a scratch folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <thread>

#include "browser/core/FolderRecords.h"
#include "extract/xmp/XmpSidecars.h"
#include "metadata/Definitions.h"
#include "metadata/Reporter.h"

namespace {

using namespace kelmarin;
namespace fs = std::filesystem;

constexpr int kThreads = 2;

struct SilentReporter : Reporter {
  void Report(const Message&) override {}
};

struct FileKey {
  std::string path;
  std::int64_t size = 0;
  std::int64_t modified = 0;
};

// The folder's files with their keys (what the window's listing gives), read once per process.
struct Bench {
  std::string folder;
  std::vector<FileKey> files;
  std::unique_ptr<Definitions> definitions;
  fs::path cache;

  Bench() {
    const char* given = std::getenv("KELMARIN_FOLDER_BENCH");
    if (given == nullptr || *given == '\0') return;
    folder = fs::path(given).lexically_normal().string();
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
      if (!entry.is_regular_file(error)) continue;
      const auto written = entry.last_write_time(error).time_since_epoch();
      files.push_back({entry.path().string(), static_cast<std::int64_t>(entry.file_size(error)),
                       std::chrono::duration_cast<std::chrono::seconds>(written).count()});
    }
    std::sort(files.begin(), files.end(), [](const FileKey& a, const FileKey& b) { return a.path < b.path; });
    SilentReporter reporter;
    definitions = LoadDefinitions(KELMARIN_DEF_FILE, reporter);
    cache = fs::temp_directory_path() / ("kelmarin-folder-bench-" + std::to_string(::getpid()));
  }
  ~Bench() {
    std::error_code ignored;
    if (!cache.empty()) fs::remove_all(cache, ignored);
  }
};

Bench& Shared() {
  static Bench bench;
  return bench;
}

// Runs work(reader, i) for every file on kThreads threads, each with its own reader, taking the
// next file as it is free.
template <typename Work>
void OnThreads(Bench& bench, std::size_t count, SidecarFinder& sidecars, const Work& work) {
  std::atomic<std::size_t> next{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      FolderRecordReader reader(*bench.definitions, &sidecars);
      for (std::size_t i = next++; i < count; i = next++) work(reader, i);
    });
  }
  for (std::thread& thread : threads) thread.join();
}

std::size_t HeapBytes(const std::string& text) {
  return text.capacity() > 15 ? text.capacity() + 1 : 0;
}

// The bytes the records take: the records themselves and what their texts and lists hold beyond.
double RecordMegabytes(const std::vector<FolderRecord>& records) {
  std::size_t bytes = records.capacity() * sizeof(FolderRecord);
  for (const FolderRecord& r : records) {
    bytes += HeapBytes(r.camera) + HeapBytes(r.lens) + r.keywords.capacity() * sizeof(std::string);
    for (const std::string& keyword : r.keywords) bytes += HeapBytes(keyword);
  }
  return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// The CPU time of all the process's threads per iteration: on a machine shared with other work the
// wall time says little, and the budget's wall time on two free cores is about half of it.
struct ProcessClock {
  std::clock_t start = std::clock();
  void Report(benchmark::State& state) const {
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    state.counters["process_cpu_ms"] = 1000.0 * seconds / static_cast<double>(state.iterations());
  }
};

// How many files have a capture time, a camera, an exposure and a pixel size: the columns filled.
void Report(benchmark::State& state, const std::vector<FolderRecord>& records) {
  double taken = 0, camera = 0, exposure = 0, size = 0;
  for (const FolderRecord& r : records) {
    taken += r.takenLocal.has_value();
    camera += !r.camera.empty();
    exposure += r.exposureTime.has_value();
    size += r.width > 0;
  }
  state.counters["files"] = static_cast<double>(records.size());
  state.counters["with_time"] = taken;
  state.counters["with_camera"] = camera;
  state.counters["with_exposure"] = exposure;
  state.counters["with_size"] = size;
  state.counters["records_MB"] = RecordMegabytes(records);
}

// Each thread with its reader (as the window's workers), or every file through ReadFolderRecord.
std::vector<FolderRecord> ReadAll(Bench& bench, bool withReaders = true) {
  std::vector<FolderRecord> records(bench.files.size());
  SidecarFinder sidecars;
  OnThreads(bench, records.size(), sidecars, [&](FolderRecordReader& reader, std::size_t i) {
    records[i] = withReaders ? reader.Read(bench.files[i].path)
                             : ReadFolderRecord(bench.files[i].path, *bench.definitions, sidecars);
  });
  return records;
}

// Every file read through ReadFolderRecord, which keeps no texts from one file to the next.
void BM_FolderRecordsColdWithoutReaders(benchmark::State& state) {
  Bench& bench = Shared();
  if (bench.files.empty() || !bench.definitions) {
    state.SkipWithError("KELMARIN_FOLDER_BENCH names no folder of files");
    return;
  }
  std::vector<FolderRecord> records;
  const ProcessClock clock;
  for (auto _ : state) records = ReadAll(bench, false);
  clock.Report(state);
  Report(state, records);
}

// Every file read, and the records stored and written to the cache, as on a first visit.
void BM_FolderRecordsCold(benchmark::State& state) {
  Bench& bench = Shared();
  if (bench.files.empty() || !bench.definitions) {
    state.SkipWithError("KELMARIN_FOLDER_BENCH names no folder of files");
    return;
  }
  std::vector<FolderRecord> records;
  const ProcessClock clock;
  for (auto _ : state) {
    records = ReadAll(bench);
    FolderRecordCache cache(bench.cache);
    cache.Load(bench.folder);
    for (std::size_t i = 0; i < records.size(); ++i) {
      cache.Store(bench.files[i].path, bench.files[i].size, bench.files[i].modified, records[i]);
    }
    if (!cache.Save()) state.SkipWithError("the cache could not be written");
  }
  clock.Report(state);
  Report(state, records);
}

// A second visit: the cache file read and each file found in it.
void BM_FolderRecordsFromCache(benchmark::State& state) {
  Bench& bench = Shared();
  if (bench.files.empty() || !bench.definitions) {
    state.SkipWithError("KELMARIN_FOLDER_BENCH names no folder of files");
    return;
  }
  {
    const std::vector<FolderRecord> records = ReadAll(bench);
    FolderRecordCache cache(bench.cache);
    cache.Load(bench.folder);
    for (std::size_t i = 0; i < records.size(); ++i) {
      cache.Store(bench.files[i].path, bench.files[i].size, bench.files[i].modified, records[i]);
    }
    cache.Save();
  }
  std::vector<FolderRecord> records;
  std::size_t misses = 0;
  const ProcessClock clock;
  for (auto _ : state) {
    FolderRecordCache cache(bench.cache);
    cache.Load(bench.folder);
    records.assign(bench.files.size(), FolderRecord());
    std::atomic<std::size_t> missed{0};
    SidecarFinder unused;
    OnThreads(bench, records.size(), unused, [&](FolderRecordReader&, std::size_t i) {
      const FileKey& key = bench.files[i];
      std::optional<FolderRecord> found = cache.Find(key.path, key.size, key.modified);
      if (found) {
        records[i] = std::move(*found);
      } else {
        ++missed;
      }
    });
    misses = missed;
  }
  clock.Report(state);
  state.counters["misses"] = static_cast<double>(misses);
  Report(state, records);
}

BENCHMARK(BM_FolderRecordsCold)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_FolderRecordsColdWithoutReaders)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_FolderRecordsFromCache)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
