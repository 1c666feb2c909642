#pragma once
// Work on the files of one folder on all cores: a job per file index runs on the work's own thread
// pool, the wanted indices first, and the results reach the GUI thread in batches, a few dozen times
// a second, never one signal per file. Cancel (or a new Start) drops the work at once: the workers
// stop at their next file and whatever they still finish is thrown away.
//
// The job runs on worker threads and must be safe to run several times at once; it owns nothing of
// the window. The deliver and finished callbacks run on the GUI thread.

#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace kelmarin {

// How often finished results are handed over (ms).
inline constexpr int kBatchInterval = 25;

template <typename Result>
class FolderViewWork {
 public:
  using Job = std::function<Result(std::size_t index)>;
  using Batch = std::vector<std::pair<std::size_t, Result>>;

  // The batches are handed over on context's thread (the GUI thread); context outlives the work.
  explicit FolderViewWork(QObject* context, int threads = QThread::idealThreadCount()) {
    pool.setMaxThreadCount(std::max(1, threads));
    timer.setInterval(kBatchInterval);
    QObject::connect(&timer, &QTimer::timeout, context, [this] { Hand(); });
  }
  ~FolderViewWork() {
    Cancel();
    pool.waitForDone();
  }
  FolderViewWork(const FolderViewWork&) = delete;
  FolderViewWork& operator=(const FolderViewWork&) = delete;

  // Starts the work over `count` indices, in `order` (indices beyond count are ignored; indices
  // missing from order are done only when asked for by Prefer). Cancels the work before.
  void Start(std::size_t count, std::vector<std::size_t> order, Job job, std::function<void(Batch&)> deliver,
             std::function<void()> finished = {}) {
    Cancel();
    delivered = 0;
    ranOut = false;
    state = std::make_shared<State>(count);
    state->order = std::move(order);
    state->job = std::move(job);
    onBatch = std::move(deliver);
    onFinished = std::move(finished);
    Spawn();
    timer.start();
  }

  // These indices next, before the rest of the order (visible rows after a scroll). Indices already
  // done or running are skipped; a work that had run out starts again for them.
  void Prefer(const std::vector<std::size_t>& indices) {
    if (!state) return;
    {
      const std::lock_guard lock(state->mutex);
      for (auto it = indices.rbegin(); it != indices.rend(); ++it) {
        if (*it < state->count && state->claimed[*it] == 0) state->urgent.push_front(*it);
      }
    }
    ranOut = false;
    Spawn();
    if (!timer.isActive()) timer.start();
  }

  void Cancel() {
    if (state) state->cancelled = true;
    state.reset();
    timer.stop();
  }

  // Whether work was started and has not run out (nor been cancelled).
  bool Running() const { return state != nullptr && !ranOut; }
  // Results handed over since Start.
  std::size_t Delivered() const { return delivered; }

 private:
  struct State {
    explicit State(std::size_t size) : count(size), claimed(size, 0) {}
    const std::size_t count;
    std::atomic<bool> cancelled{false};
    std::atomic<int> active{0};
    std::mutex mutex;  // guards everything below
    std::vector<std::uint8_t> claimed;
    std::deque<std::size_t> urgent;
    std::vector<std::size_t> order;
    std::size_t next = 0;
    Batch results;
    Job job;
  };

  // The next index to do, or false when none is left.
  static bool Claim(State& work, std::size_t& index) {
    const std::lock_guard lock(work.mutex);
    while (!work.urgent.empty() || work.next < work.order.size()) {
      if (!work.urgent.empty()) {
        index = work.urgent.front();
        work.urgent.pop_front();
      } else {
        index = work.order[work.next++];
      }
      if (index < work.count && work.claimed[index] == 0) {
        work.claimed[index] = 1;
        return true;
      }
    }
    return false;
  }

  static void Run(const std::shared_ptr<State>& work) {
#ifdef __linux__
    // Below the GUI thread: with as many workers as cores the window still gets its turn at once.
    static thread_local const bool lowered =
        setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10) == 0;
    (void)lowered;
#endif
    std::size_t index = 0;
    while (!work->cancelled && Claim(*work, index)) {
      Result result = work->job(index);
      if (work->cancelled) break;
      const std::lock_guard lock(work->mutex);
      work->results.emplace_back(index, std::move(result));
    }
    --work->active;
  }

  void Spawn() {
    const std::shared_ptr<State> work = state;
    while (work->active < pool.maxThreadCount()) {
      ++work->active;
      pool.start([work] { Run(work); });
    }
  }

  void Hand() {
    if (!state) return;
    const std::shared_ptr<State> work = state;  // a callback may cancel or restart
    Batch batch;
    bool idle = false;
    {
      const std::lock_guard lock(work->mutex);
      batch.swap(work->results);
      idle = work->active == 0 && work->urgent.empty();
    }
    if (!batch.empty()) {
      delivered += batch.size();
      if (onBatch) onBatch(batch);
    }
    if (idle && state == work) {
      timer.stop();
      ranOut = true;
      if (onFinished) onFinished();
    }
  }

  QThreadPool pool;
  QTimer timer;
  std::shared_ptr<State> state;
  std::function<void(Batch&)> onBatch;
  std::function<void()> onFinished;
  std::size_t delivered = 0;
  bool ranOut = false;
};

}  // namespace kelmarin
