#include "FileListing.h"

#include <QFile>
#include <QFileInfo>
#include <exception>
#include <new>

#include "browser/core/FormatTable.h"
#include "image/ZetImage.h"
#include "metadata/Reporter.h"
#include "present/ValueText.h"

namespace kelmarin::lister {

namespace {

// Error numbers for failures outside the codec layer: memory (codec code 4) and anything else
// unexpected (code 0).
constexpr std::int32_t kNoMemoryNumber = 1004;
constexpr std::int32_t kUnexpectedNumber = 1000;

// Keeps the error number of the load's message ("Fehler N\nReadImgage: path") instead of showing it.
class NumberReporter : public Reporter {
 public:
  void Report(const Message& message) override {
    const std::string prefix = "Fehler ";
    number = kUnexpectedNumber;
    if (message.text.compare(0, prefix.size(), prefix) != 0) return;
    std::int32_t value = 0;
    bool digits = false;
    for (std::size_t i = prefix.size();
         i < message.text.size() && message.text[i] >= '0' && message.text[i] <= '9' && value < 100'000'000;
         ++i) {
      value = value * 10 + (message.text[i] - '0');
      digits = true;
    }
    if (digits) number = value;
  }
  std::int32_t number = kUnexpectedNumber;
};

void ReadListing(const std::string& path, const Definitions& definitions, const FormatContext& context,
                 ListingCache& cache, MetadataListing& listing, std::optional<std::int32_t>& error) {
  ZetImage image(&definitions, nullptr);
  std::int32_t type = TypeCodeForFileName(path);
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (const auto failure = image.GetImageDims(path, type, width, height)) {
    error = failure->number;
    return;
  }
  ImageMetadata& metadata = image.metadata();
  listing.rows = FillMetadataList(definitions, metadata, context, cache);
  listing.maker = metadata.camera_id;
  for (std::int32_t i = 1; i <= metadata.IptcCount(); ++i) {
    const ZetIPTC* item = metadata.IptcPos(i);
    if (item) listing.iptc.emplace_back(item->tag, ImageText(item->inhalt));
  }
  for (std::int32_t i = 1; i <= metadata.ImageCommentCount(); ++i) {
    const ImageComment* comment = metadata.ImageCommentPos(i);
    if (comment) listing.comments.emplace_back(ImageText(comment->key), ImageText(comment->inhalt));
  }
}

}  // namespace

std::optional<std::int32_t> ReadMetadataListing(const std::string& path, const Definitions& definitions,
                                                const FormatContext& context, ListingCache& cache,
                                                MetadataListing& listing) {
  std::optional<std::int32_t> error;
  try {
    ReadListing(path, definitions, context, cache, listing, error);
  } catch (const std::bad_alloc&) {
    error = kNoMemoryNumber;
  } catch (const std::exception&) {
    error = kUnexpectedNumber;
  }
  if (error) listing = MetadataListing();
  return error;
}

std::optional<std::int32_t> ReadInfo(const std::string& path, const Definitions& definitions,
                                     const QLocale& locale, InfoLabels& labels) {
  try {
    NumberReporter reporter;
    ZetImage image(&definitions, &reporter);
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t loadTime = 0;
    if (image.load(path, TypeCodeForFileName(path), width, height, loadTime) != 0) return reporter.number;
    const QFileInfo file(QFile::decodeName(QByteArray::fromStdString(path)));
    labels = MakeInfoLabels(locale, file.completeBaseName(), file.suffix(), file.lastModified(), file.size(),
                            width, height, loadTime);
    return std::nullopt;
  } catch (const std::bad_alloc&) {
    return kNoMemoryNumber;
  } catch (const std::exception&) {
    return kUnexpectedNumber;
  }
}

}  // namespace kelmarin::lister
