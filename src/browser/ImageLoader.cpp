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
  // Read by the worker before the pixels and handed over with a post of its own; the worker does not
  // touch it after that post. Null when the metadata cannot be read without the pixels.
  std::shared_ptr<ImageMetadata> early;
  // Window thread only.
  MetadataHandler metadataFirst;
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

std::shared_ptr<ImageMetadata> ImageLoader::ReadEarly(const std::string& path, std::int32_t type,
                                                      const Definitions* definitions) {
  const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(path, type);
  if (read.error || read.otherFormat) return nullptr;
  auto metadata = std::make_shared<ImageMetadata>();
  metadata->SetSource(read.type, read.source, definitions);
  metadata->ExifCount();  // reads it here rather than on the window's thread
  return metadata;
}

void ImageLoader::Run(Job& job, const std::string& path, std::int32_t type, const Definitions* definitions,
                      const std::function<void()>& metadataRead) {
  LoadedImage& result = job.result;
  StoringReporter reporter(result.messages);
  codec::WatchCancelFlag(&job.cancelled);
  try {
    // The metadata first, as the lister reads it (a truncated JPEG whose EXIF block is whole too):
    // the list need not wait for a large picture.
    job.early = ReadEarly(path, type, definitions);
    if (job.early != nullptr && !job.cancelled) metadataRead();
    result.image = std::make_unique<ZetImage>(definitions, &reporter);
    ZetImage& image = *result.image;
    if (!job.cancelled) image.load(path, type, result.width, result.height, result.loadTime);
    image.SetReporter(nullptr);
    result.metadataRead = job.early != nullptr;
    if (!result.metadataRead && !job.cancelled && result.width != 0 && result.height != 0) {
      image.ExifCount();  // read with the pixels: a file of a kind the lister does not read, or misnamed
      result.metadataRead = true;
    }
  } catch (const std::exception&) {
    // No memory for the metadata: the panel shows what it can without the image. The early
    // metadata may be in the window's hands already and is left alone.
    result = LoadedImage();
  }
  codec::WatchCancelFlag(nullptr);
}

std::optional<LoadedImage> ImageLoader::Load(const std::string& path, std::int32_t type,
                                             const Definitions* definitions, MetadataHandler metadataFirst) {
  Cancel();
  auto job = std::make_shared<Job>();
  latest = job;
  job->metadataFirst = std::move(metadataFirst);
  const auto metadataRead = [this, job] {
    QMetaObject::invokeMethod(
        &receiver,
        [job] {
          if (!job->superseded && job->metadataFirst) job->metadataFirst(*job->early);
        },
        Qt::QueuedConnection);
  };
  workers.start([this, job, path, type, definitions, metadataRead] {
    Run(*job, path, type, definitions, metadataRead);
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
  if (job->early != nullptr && job->result.image != nullptr) {
    job->result.image->metadata() = std::move(*job->early);
  }
  return std::move(job->result);
}

}  // namespace kelmarin
