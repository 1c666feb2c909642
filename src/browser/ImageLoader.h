#pragma once
// Loading the selected image file on a worker thread, so that the window goes on taking the user's
// input while a large picture is decoded. Each load is one request with a number of its own; a later
// load or Cancel calls the earlier one off: its decode stops between rows where the format allows,
// and what it reports later is dropped, so the panels never show a late picture of an earlier
// selection. Results come back by signal on the window's thread; nothing here waits for a load.

#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "extract/ImageMetadata.h"
#include "metadata/Reporter.h"

namespace kelmarin {

class Definitions;
class ZetImage;

// What a load gives the window's thread.
struct LoadedImage {
  std::unique_ptr<ZetImage> image;  // null only when the load could not even start (no memory)
  std::int32_t width = 0;           // 0 when the pixels could not be decoded
  std::int32_t height = 0;
  std::int32_t loadTime = 0;
  std::vector<Message> messages;  // what the load reported, to be shown on the window's thread
  // The image's metadata, read with the pixels or without them; null when it could not be read.
  std::shared_ptr<const ImageMetadata> metadata;

  LoadedImage();
  ~LoadedImage();
  LoadedImage(LoadedImage&&) noexcept;
  LoadedImage& operator=(LoadedImage&&) noexcept;
};

class ImageLoader : public QObject {
  Q_OBJECT

 public:
  using Request = quint64;

  explicit ImageLoader(QObject* parent = nullptr);
  // Calls the running load off and waits for the worker threads; nothing is signalled after this.
  ~ImageLoader() override;
  ImageLoader(const ImageLoader&) = delete;
  ImageLoader& operator=(const ImageLoader&) = delete;

  // Calls off the load under way, if any, and starts this one on a worker thread: the file's
  // metadata (when it can be read without the pixels, as the lister reads it), then its pixels
  // (type code as the file list gives it). Returns at once with the new request's number, which
  // the signals below carry. Window thread only; the definitions live as long as this object.
  Request Load(const std::string& path, std::int32_t type, const Definitions* definitions);
  // Calls off the load under way, if any: it signals nothing more.
  void Cancel();
  // Whether a load was started and has neither been signalled as loaded nor called off.
  bool Waiting() const { return waiting; }
  // Whether a worker thread is still busy (also with a load that was called off).
  bool Busy() const;

 signals:
  // The metadata of the latest request, read before its pixels: the list need not wait for a
  // large picture. Not signalled when the metadata needs the pixels; then `loaded` brings it.
  void metadataRead(kelmarin::ImageLoader::Request request,
                    std::shared_ptr<const kelmarin::ImageMetadata> metadata);
  // The latest request has ended; the result is the receiver's to take (moved from).
  void loaded(kelmarin::ImageLoader::Request request, std::shared_ptr<kelmarin::LoadedImage> result);

 private:
  // Runs on the worker: reads, decodes and hands both to the window's thread.
  void Run(Request request, const std::shared_ptr<std::atomic<bool>>& cancelled, const std::string& path,
           std::int32_t type, const Definitions* definitions);

  QThreadPool workers;
  Request latest = 0;  // window thread only; 0 = none
  bool waiting = false;
  std::shared_ptr<std::atomic<bool>> latestCancelled;
};

}  // namespace kelmarin
