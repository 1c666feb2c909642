#include "browser/ImageLoader.h"

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

// The metadata read without the pixels; null when this path cannot read the file.
std::shared_ptr<const ImageMetadata> ReadEarly(const std::string& path, std::int32_t type,
                                               const Definitions* definitions) {
  const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(path, type);
  if (read.error || read.otherFormat) return nullptr;
  return std::make_shared<const ImageMetadata>(ReadMetadata(read.type, read.source, definitions));
}

}  // namespace

LoadedImage::LoadedImage() = default;
LoadedImage::~LoadedImage() = default;
LoadedImage::LoadedImage(LoadedImage&&) noexcept = default;
LoadedImage& LoadedImage::operator=(LoadedImage&&) noexcept = default;

ImageLoader::ImageLoader(QObject* parent) : QObject(parent) {
  workers.setMaxThreadCount(kMaxWorkers);
}

ImageLoader::~ImageLoader() {
  Cancel();
  // What the workers post after this is dropped with this object's pending events.
  workers.waitForDone();
}

void ImageLoader::Cancel() {
  if (latestCancelled != nullptr) *latestCancelled = true;
  latestCancelled.reset();
  latest = 0;
  waiting = false;
}

bool ImageLoader::Busy() const {
  return workers.activeThreadCount() > 0;
}

ImageLoader::Request ImageLoader::Load(const std::string& path, std::int32_t type,
                                       const Definitions* definitions) {
  static Request counter = 0;  // window thread only; never 0, unique across loaders
  Cancel();
  const Request request = ++counter;
  auto cancelled = std::make_shared<std::atomic<bool>>(false);
  latest = request;
  latestCancelled = cancelled;
  waiting = true;
  workers.start([this, request, cancelled, path, type, definitions] {
    Run(request, cancelled, path, type, definitions);
  });
  return request;
}

void ImageLoader::Run(Request request, const std::shared_ptr<std::atomic<bool>>& cancelled,
                      const std::string& path, std::int32_t type, const Definitions* definitions) {
  auto result = std::make_shared<LoadedImage>();
  StoringReporter reporter(result->messages);
  codec::WatchCancelFlag(cancelled.get());
  try {
    // The metadata first, as the lister reads it (a truncated JPEG whose EXIF block is whole too).
    result->metadata = ReadEarly(path, type, definitions);
    if (result->metadata != nullptr && !*cancelled) {
      QMetaObject::invokeMethod(
          this,
          [this, request, metadata = result->metadata] {
            if (request == latest) emit metadataRead(request, metadata);
          },
          Qt::QueuedConnection);
    }
    result->image = std::make_unique<ZetImage>(definitions, &reporter);
    ZetImage& image = *result->image;
    if (!*cancelled) image.load(path, type, result->width, result->height, result->loadTime);
    image.SetReporter(nullptr);
    if (result->metadata == nullptr && !*cancelled && result->width != 0 && result->height != 0) {
      // Read with the pixels: a file of a kind the lister does not read, or misnamed.
      result->metadata = std::make_shared<const ImageMetadata>(image.ReadMetadata());
    }
  } catch (const std::exception&) {
    // No memory for the metadata: the panel shows what it can without the image. The early
    // metadata may be in the window's hands already; it is shared, not taken back.
    *result = LoadedImage();
  }
  codec::WatchCancelFlag(nullptr);
  QMetaObject::invokeMethod(
      this,
      [this, request, result] {
        if (request != latest) return;  // called off: a later request or Cancel took its place
        waiting = false;
        latestCancelled.reset();
        emit loaded(request, result);
      },
      Qt::QueuedConnection);
}

}  // namespace kelmarin
