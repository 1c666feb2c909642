// The codec layer's functions as a module sees them: each passes the call on to the layer that
// loaded the module.

#include "image/modules/ModuleHost.h"

#include <cstring>

#include "image/Backends.h"
#include "image/meta/JpegReader.h"

namespace kelmarin::codec {

namespace {
const CodecHost* layer = nullptr;
}  // namespace

const CodecModuleFunctions* AttachModule(const CodecHost* host, const char* interface,
                                         const CodecModuleFunctions& functions) {
  if (interface == nullptr || std::strcmp(interface, KELMARIN_CODEC_MODULE_INTERFACE) != 0) return nullptr;
  if (host != nullptr) layer = host;
  return &functions;
}

Code AllocateRgb(std::int64_t width, std::int64_t height, RgbImage& image) {
  return layer->allocateRgb(width, height, image);
}

void CompositeOnWhite(const std::uint8_t* rgba, std::size_t stride, RgbImage& image) {
  layer->compositeOnWhite(rgba, stride, image);
}

Code ReadAll(std::FILE* file, std::size_t limit, std::vector<std::uint8_t>& bytes) {
  return layer->readAll(file, limit, bytes);
}

std::uint64_t FileLength(std::FILE* file) {
  return layer->fileLength(file);
}

bool Plausible(std::int64_t width, std::int64_t height, std::uint64_t fileBytes,
               std::uint64_t pixelsPerByte) {
  return layer->plausible(width, height, fileBytes, pixelsPerByte);
}

Code DecodeJpeg(std::FILE* file, RgbImage& pixels, MetadataSource& metadata) {
  return layer->decodeJpeg(file, pixels, metadata);
}

Code JpegDimensions(std::FILE* file, Size& size, MetadataSource& metadata) {
  return layer->jpegDimensions(file, size, metadata);
}

FilePtr OpenForReading(const std::string& path) {
  return layer->openForReading(path);
}

Code Orient(int orientation, RgbImage& pixels) {
  return layer->orient(orientation, pixels);
}

int ContainerOrientation(std::span<const std::uint8_t> file) {
  return layer->containerOrientation(file);
}

bool OwnApplicationAllowed() {
  return layer->ownApplicationAllowed();
}

}  // namespace kelmarin::codec
