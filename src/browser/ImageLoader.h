#pragma once
// Loading the selected image file on a worker thread, so that the window goes on taking the user's
// input while a large picture is decoded. Each load belongs to one selection; a later load or Cancel
// calls the earlier one off: its decode stops between rows where the format allows, and its result
// is dropped in every case, so the panels never show a late picture of an earlier selection.

#include <QObject>
#include <QThreadPool>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "metadata/Reporter.h"

namespace kelmarin {

class Definitions;
class ImageMetadata;
class ZetImage;

// What a load gives the window's thread.
struct LoadedImage {
  std::unique_ptr<ZetImage> image;  // null only when the load could not even start (no memory)
  std::int32_t width = 0;           // 0 when the pixels could not be decoded
  std::int32_t height = 0;
  std::int32_t loadTime = 0;
  std::vector<Message> messages;  // what the load reported, to be shown on the window's thread
  bool metadataRead = false;      // the image's metadata is read (with the pixels or without them)
};

class ImageLoader {
 public:
  ImageLoader();
  // Calls the running loads off and waits for their worker threads.
  ~ImageLoader();
  ImageLoader(const ImageLoader&) = delete;
  ImageLoader& operator=(const ImageLoader&) = delete;

  // Reads the file's metadata and then decodes it (type code as the file list gives it) on a worker
  // thread, and waits for that while the window's events go on being handled; one of them may start
  // the next load or call this one off. The result when this load is still the latest when it ends;
  // nullopt when a later Load, Cancel or the end of this object took its place. Window thread only.
  // When the metadata can be read without the pixels (as the lister reads it), metadataFirst (may be
  // empty) is called with it on the window's thread while the pixels are still being decoded, unless
  // the load was called off by then; the loaded image then holds that same metadata, already read.
  using MetadataHandler = std::function<void(ImageMetadata&)>;
  std::optional<LoadedImage> Load(const std::string& path, std::int32_t type, const Definitions* definitions,
                                  MetadataHandler metadataFirst = {});
  // Calls off the load that is waited for, if any.
  void Cancel();
  // Whether a worker thread is still busy (also with a load that was called off).
  bool Busy() const;

 private:
  struct Job;
  // The metadata read without the pixels; null when this path cannot read the file.
  static std::shared_ptr<ImageMetadata> ReadEarly(const std::string& path, std::int32_t type,
                                                  const Definitions* definitions);
  static void Run(Job& job, const std::string& path, std::int32_t type, const Definitions* definitions,
                  const std::function<void()>& metadataRead);

  QObject receiver;  // the worker threads hand their results to the window's thread through it
  QThreadPool workers;
  std::shared_ptr<Job> latest;
};

}  // namespace kelmarin
