#include "browser/ImageLoader.h"

#include <QEventLoop>
#include <atomic>
#include <exception>

#include "image/Codec.h"
#include "image/ZetImage.h"
#include "image/meta/MetadataOnly.h"

namespace kelmarin {

namespace {

// A load that runs ahead of the one the user wants needs no more than one spare thread; beyond that
// the ones that cannot be called off (RAW, Magick formats) queue instead of crowding the machine.
constexpr int kMaxWorkers = 3;

class StoringReporter : public Reporter {
 public:
  explicit StoringReporter(std::vector<Message>& store) : messages(store) {}
  void Report(const Message& message) override { messages.push_back(message); }

 private:
  std::vector<Message>& messages;
};

}  // namespace

// Shared by the window's thread and one worker. `cancelled` is the only field both touch while
// the worker runs; the worker writes `result` before it posts its end, and the window's thread
// reads it after that post arrived.
struct ImageLoader::Job {
  std::atomic<bool> cancelled{false};
  LoadedImage result;
  // Window thread only.
  bool finished = false;
  bool superseded = false;
  QEventLoop* waiting = nullptr;

  void Supersede() {
    superseded = true;
    cancelled = true;
    if (waiting != nullptr) waiting->quit();
  }
};

ImageLoader::ImageLoader() {
  workers.setMaxThreadCount(kMaxWorkers);
}

ImageLoader::~ImageLoader() {
  Cancel();
  workers.waitForDone();
}

void ImageLoader::Cancel() {
  if (latest != nullptr) latest->Supersede();
  latest.reset();
}

bool ImageLoader::Busy() const {
  return workers.activeThreadCount() > 0;
}

void ImageLoader::Run(Job& job, const std::string& path, std::int32_t type, const Definitions* definitions) {
  LoadedImage& result = job.result;
  StoringReporter reporter(result.messages);
  codec::WatchCancelFlag(&job.cancelled);
  try {
    result.image = std::make_unique<ZetImage>(definitions, &reporter);
    ZetImage& image = *result.image;
    image.load(path, type, result.width, result.height, result.loadTime);
    image.SetReporter(nullptr);
    if (!job.cancelled && result.width != 0 && result.height != 0) {
      image.ExifCount();  // reads the metadata here rather than on the window's thread
      result.metadataRead = true;
    } else if (!job.cancelled) {
      // Listed when it can be read without the pixels (a truncated JPEG whose EXIF block is whole),
      // as the lister reads it.
      const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(path, type);
      result.metadataRead = !read.error && !read.otherFormat;
      if (result.metadataRead) {
        image.metadata().SetSource(read.type, read.source, definitions);
        image.ExifCount();
      }
    }
  } catch (const std::exception&) {
    // No memory for the metadata: the panel shows what it can without the image.
    result = LoadedImage();
  }
  codec::WatchCancelFlag(nullptr);
}

std::optional<LoadedImage> ImageLoader::Load(const std::string& path, std::int32_t type,
                                             const Definitions* definitions) {
  Cancel();
  auto job = std::make_shared<Job>();
  latest = job;
  workers.start([this, job, path, type, definitions] {
    Run(*job, path, type, definitions);
    QMetaObject::invokeMethod(
        &receiver,
        [job] {
          job->finished = true;
          if (job->waiting != nullptr) job->waiting->quit();
        },
        Qt::QueuedConnection);
  });
  QEventLoop loop;
  job->waiting = &loop;
  while (!job->finished && !job->superseded) loop.exec();
  job->waiting = nullptr;
  // Superseded: this object may be gone (the window closed while this waited); touch nothing of it.
  if (job->superseded) return std::nullopt;
  latest.reset();
  return std::move(job->result);
}

}  // namespace kelmarin
