#include "present/Summary.h"

namespace kelmarin {

PhotoSummary SummarizePhoto(const Definitions&, ImageMetadata&, const MetadataListing&, const TextLocale&) {
  return {};
}

void AppendSummaryJson(std::string& out, const PhotoSummary&) { out += "\"summary\":{},"; }

}  // namespace kelmarin
