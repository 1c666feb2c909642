// The backends of the heavier imaging libraries as the rest of the codec layer calls them: each loads
// its codec module on first use (once per process, on any thread) and passes the call on. A module
// that cannot be loaded makes its backend report kNoLibrary and its set-up fail.

#include "image/CodecModules.h"

#include <array>
#include <atomic>
#include <mutex>

#include "image/Backends.h"
#include "image/LibraryOutput.h"
#include "image/meta/JpegReader.h"

namespace kelmarin::codec {

namespace {

std::atomic<bool> ownApplication{false};

bool OwnApplicationAllowed() {
  return ownApplication.load();
}

const CodecHost kHost{
    AllocateRgb,          CompositeOnWhite, ReadAll,        FileLength, Plausible,
    DecodeJpeg,           JpegDimensions,   OpenForReading, Orient,     ContainerOrientation,
    OwnApplicationAllowed};

std::array<std::once_flag, kCodecModuleCount> once;
std::array<std::atomic<const CodecModuleFunctions*>, kCodecModuleCount> loaded{};

const CodecModuleFunctions* Module(const CodecModule& kind) {
  std::call_once(once.at(kind.slot), [&kind] { loaded[kind.slot] = LoadCodecModule(kind, &kHost); });
  return loaded[kind.slot];
}

}  // namespace

void AllowOwnApplication(bool allowed) {
  ownApplication = allowed;
}

void FinishModules() {
  for (const auto& module : loaded) {
    if (const CodecModuleFunctions* functions = module.load();
        functions != nullptr && functions->finish != nullptr)
      functions->finish();
  }
}

// The libraries behind the modules say on standard error what they find wrong with a file; the
// codec layer's error codes say it for the program.
Code DecodeByModule(const CodecModule& kind, std::FILE* file, int variant, RgbImage& pixels) {
  const CodecModuleFunctions* module = Module(kind);
  const LibraryOutputSilenced quiet;
  return module != nullptr ? module->decodeFile(file, variant, pixels) : kNoLibrary;
}

Code DimensionsByModule(const CodecModule& kind, std::FILE* file, int variant, Size& size) {
  const CodecModuleFunctions* module = Module(kind);
  const LibraryOutputSilenced quiet;
  return module != nullptr ? module->dimensionsFile(file, variant, size) : kNoLibrary;
}

Code DecodeByModule(const CodecModule& kind, const std::string& path, RgbImage& pixels) {
  const CodecModuleFunctions* module = Module(kind);
  const LibraryOutputSilenced quiet;
  return module != nullptr ? module->decodePath(path, pixels) : kNoLibrary;
}

Code DimensionsByModule(const CodecModule& kind, const std::string& path, Size& size) {
  const CodecModuleFunctions* module = Module(kind);
  const LibraryOutputSilenced quiet;
  return module != nullptr ? module->dimensionsPath(path, size) : kNoLibrary;
}

bool InitModule(const CodecModule& kind) {
  const CodecModuleFunctions* module = Module(kind);
  return module != nullptr && (module->init == nullptr || module->init());
}

}  // namespace kelmarin::codec
