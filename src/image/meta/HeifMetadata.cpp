#include "image/meta/HeifMetadata.h"

#include <libheif/heif.h>

#include <vector>

#include "extract/Containers.h"

namespace kelmarin::codec {

namespace {

// Against a hostile list of metadata items.
constexpr int kMaxExifBlocks = 16;

struct ContextFree {
  void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleRelease {
  void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};

}  // namespace

Code ReadHeifMetadata(std::span<const std::uint8_t> file, Size& size, MetadataSource& source) {
  const std::unique_ptr<heif_context, ContextFree> context(heif_context_alloc());
  if (context == nullptr) return kNoMemory;
  if (heif_context_read_from_memory_without_copy(context.get(), file.data(), file.size(), nullptr).code !=
      heif_error_Ok) {
    return kCorrupt;
  }
  heif_image_handle* primary = nullptr;
  if (heif_context_get_primary_image_handle(context.get(), &primary).code != heif_error_Ok) return kCorrupt;
  const std::unique_ptr<heif_image_handle, HandleRelease> handle(primary);
  size.width = heif_image_handle_get_width(primary);
  size.height = heif_image_handle_get_height(primary);

  heif_item_id ids[kMaxExifBlocks];
  const int count = heif_image_handle_get_list_of_metadata_block_IDs(primary, "Exif", ids, kMaxExifBlocks);
  for (int i = 0; i < count; ++i) {
    const std::size_t length = heif_image_handle_get_metadata_size(primary, ids[i]);
    if (length == 0 || length > file.size()) continue;
    std::vector<std::uint8_t> payload(length);
    if (heif_image_handle_get_metadata(primary, ids[i], payload.data()).code != heif_error_Ok) continue;
    const std::span<const std::uint8_t> tiff = TiffAfterOffsetPrefix(payload);
    if (!tiff.empty()) source.AddTiffCopy(TiffBlockRole::Whole, tiff);
  }
  return kOk;
}

}  // namespace kelmarin::codec
