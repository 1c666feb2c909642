#include "RawProbe.h"

#include "image/meta/ImageErrors.h"
#include "image/meta/LibRawResult.h"
#include "image/meta/SharedLibrary.h"

namespace kelmarin::lister {

namespace {

// LibRaw's C interface, as far as the probe needs it.
struct LibRawFunctions {
  libraw_data_t* (*init)(unsigned int) = nullptr;
  void (*memoryHandler)(libraw_data_t*, memory_callback, void*) = nullptr;
  void (*dataHandler)(libraw_data_t*, data_callback, void*) = nullptr;
  int (*openFile)(libraw_data_t*, const char*) = nullptr;
  int (*adjustSizes)(libraw_data_t*) = nullptr;
  void (*close)(libraw_data_t*) = nullptr;
  bool loaded = false;
};

const LibRawFunctions& Functions() {
  static const LibRawFunctions functions = [] {
    LibRawFunctions found;
    SharedLibrary library = SharedLibrary::Open(KELMARIN_LIBRAW_FILE);
    found.loaded = library.Find("libraw_init", found.init) &&
                   library.Find("libraw_set_memerror_handler", found.memoryHandler) &&
                   library.Find("libraw_set_dataerror_handler", found.dataHandler) &&
                   library.Find("libraw_open_file", found.openFile) &&
                   library.Find("libraw_adjust_sizes_info_only", found.adjustSizes) &&
                   library.Find("libraw_close", found.close);
    library.Keep();  // for the rest of the process
    return found;
  }();
  return functions;
}

void SilentData(void*, const char*, const int) {}
void SilentMemory(void*, const char*, const char*) {}

}  // namespace

std::optional<std::int32_t> ProbeRaw(const std::string& path) {
  const LibRawFunctions& raw = Functions();
  if (!raw.loaded) return std::nullopt;
  libraw_data_t* data = raw.init(LIBRAW_OPTIONS_NONE);
  if (data == nullptr) return ErrorNumber(codec::kNoMemory);
  raw.dataHandler(data, SilentData, nullptr);
  raw.memoryHandler(data, SilentMemory, nullptr);
  codec::Code code = codec::FromLibRaw(raw.openFile(data, path.c_str()));
  if (code == codec::kOk) code = codec::FromLibRaw(raw.adjustSizes(data));
  if (code == codec::kOk && (data->sizes.iwidth == 0 || data->sizes.iheight == 0)) code = codec::kCorrupt;
  raw.close(data);
  return code == codec::kOk ? 0 : ErrorNumber(code);
}

}  // namespace kelmarin::lister
