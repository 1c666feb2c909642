#include "FileListing.h"

#include "ImageModule.h"
#include "Output.h"
#include "RawProbe.h"
#include "extract/ImageMetadata.h"
#include "extract/ImageTypes.h"
#include "extract/xmp/XmpSidecars.h"
#include "image/meta/Formats.h"
#include "image/meta/ImageErrors.h"
#include "image/meta/MetadataOnly.h"
#include "present/IccListing.h"
#include "present/MetadataSections.h"
#include "present/ValueText.h"

namespace kelmarin::lister {

namespace {

// The sidecars of all files listed, each folder read once.
SidecarFinder& Sidecars() {
  static SidecarFinder finder;
  return finder;
}

void FillListing(const Definitions& definitions, const FormatContext& context, ListingCache& cache,
                 const ImageMetadata& metadata, const std::string& path, MetadataListing& listing,
                 PhotoSummary* summary) {
  listing = ImageListing(definitions, metadata, context, &cache, Sidecars().For(path));
  if (summary != nullptr) *summary = SummarizePhoto(definitions, metadata, listing, context.locale);
}

// Reads the file's metadata and hands it to `use`; the error number when it cannot be read.
template <typename Use>
std::optional<std::int32_t> ReadImage(const std::string& path, const Definitions& definitions,
                                      ImageModule* module, const Use& use) {
  const codec::MetadataOnlyRead read = codec::ReadMetadataOnly(path, TypeCodeForFileName(path));
  if (read.otherFormat) {
    // No metadata is read from these formats; only whether the image layer can read the file counts.
    // A RAW file asks LibRaw alone.
    std::optional<std::int32_t> error = read.type == kTypeRaw ? ProbeRaw(path) : std::nullopt;
    if (!error) {
      if (module == nullptr) return kNeedsImageModule;
      if (!module->Load()) return kNoImageModule;
      error = module->Dimensions(path, read.type);
    }
    if (*error != 0) return error;
  } else if (read.error) {
    return ErrorNumber(*read.error);
  }
  use(ReadMetadata(read.type, read.source, &definitions));
  return std::nullopt;
}

// Writes the rows in the text form as they come.
class TextRows final : public ListingSink {
 public:
  explicit TextRows(std::string& text) : out(text) {}
  void Row(ListingRow row) override { AppendRowText(out, row); }
  void Item(ListingItem& item) override { AppendItemText(out, item); }

 private:
  std::string& out;
};

void AppendText(const Definitions& definitions, FormatContext& context, ListingCache& cache,
                const ImageMetadata& metadata, const std::string& path, std::string& out) {
  // A line of a camera's file is some fifty bytes: the text grows once or twice, not row by row.
  out.reserve(out.size() + 64 * (static_cast<std::size_t>(metadata.ExifCount()) + 8));
  TextRows rows(out);
  FillMetadataList(definitions, metadata, context, cache, rows);
  MetadataListing rest;  // what the text form shows after the EXIF sections
  FillXmp(metadata.Source(), Sidecars().For(path), context.locale, rest);
  ForEachXmpRow(rest.xmp, [&out](const ListingRow& row) { AppendRowText(out, row); });
  if (const MetadataSource* source = metadata.Source()) {
    for (const ListingRow& row : IccRows(IccEntries(*source))) AppendRowText(out, row);
  }
}

}  // namespace

std::optional<std::int32_t> ReadMetadataListing(const std::string& path, const Definitions& definitions,
                                                const FormatContext& context, ListingCache& cache,
                                                ImageModule* module, MetadataListing& listing,
                                                PhotoSummary* summary) {
  const std::optional<std::int32_t> error = Guarded([&] {
    return ReadImage(path, definitions, module, [&](const ImageMetadata& metadata) {
      FillListing(definitions, context, cache, metadata, path, listing, summary);
    });
  });
  if (error) {
    listing = MetadataListing();
    if (summary != nullptr) *summary = PhotoSummary();
  }
  return error;
}

std::optional<std::int32_t> ReadMetadataText(const std::string& path, const Definitions& definitions,
                                             FormatContext& context, ListingCache& cache,
                                             ImageModule* module, std::string& text) {
  const std::size_t before = text.size();
  const std::optional<std::int32_t> error = Guarded([&] {
    return ReadImage(path, definitions, module, [&](const ImageMetadata& metadata) {
      AppendText(definitions, context, cache, metadata, path, text);
    });
  });
  if (error) text.resize(before);
  return error;
}

std::optional<std::int32_t> ReadInfo(const std::string& path, const Definitions& definitions,
                                     const TextLocale& locale, ImageModule& module, InfoLabels& labels) {
  if (!module.Load()) return kNoImageModule;
  const std::int32_t error = module.Info(path, TypeCodeForFileName(path), definitions, locale, labels);
  if (error != 0) return error;
  return std::nullopt;
}

}  // namespace kelmarin::lister
