#include "FileListing.h"

#include <exception>
#include <new>

#include "ImageModule.h"
#include "RawProbe.h"
#include "extract/ImageMetadata.h"
#include "extract/ImageTypes.h"
#include "extract/xmp/XmpSidecars.h"
#include "image/meta/Formats.h"
#include "image/meta/ImageErrors.h"
#include "image/meta/MetadataOnly.h"
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

std::optional<std::int32_t> ReadListing(const std::string& path, const Definitions& definitions,
                                        const FormatContext& context, ListingCache& cache,
                                        ImageModule* module, MetadataListing& listing,
                                        PhotoSummary* summary) {
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
  const ImageMetadata metadata = ReadMetadata(read.type, read.source, &definitions);
  FillListing(definitions, context, cache, metadata, path, listing, summary);
  return std::nullopt;
}

}  // namespace

std::optional<std::int32_t> ReadMetadataListing(const std::string& path, const Definitions& definitions,
                                                const FormatContext& context, ListingCache& cache,
                                                ImageModule* module, MetadataListing& listing,
                                                PhotoSummary* summary) {
  std::optional<std::int32_t> error;
  try {
    error = ReadListing(path, definitions, context, cache, module, listing, summary);
  } catch (const std::bad_alloc&) {
    error = kNoMemoryNumber;
  } catch (const std::exception&) {
    error = kUnexpectedNumber;
  }
  if (error) {
    listing = MetadataListing();
    if (summary != nullptr) *summary = PhotoSummary();
  }
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
