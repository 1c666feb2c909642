#include "RawProbe.h"

#ifndef _WIN32
#include <dlfcn.h>
#include <libraw/libraw.h>
#endif

#include "image/meta/ImageErrors.h"

namespace kelmarin::lister {

#ifdef _WIN32

std::optional<std::int32_t> ProbeRaw(const std::string&) {
  return std::nullopt;
}

#else

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

template <typename Function>
bool Find(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

const LibRawFunctions& Functions() {
  static const LibRawFunctions functions = [] {
    LibRawFunctions found;
    void* library = dlopen(KELMARIN_LIBRAW_FILE, RTLD_LAZY | RTLD_LOCAL);
    if (library == nullptr) return found;
    found.loaded = Find(library, "libraw_init", found.init) &&
                   Find(library, "libraw_set_memerror_handler", found.memoryHandler) &&
                   Find(library, "libraw_set_dataerror_handler", found.dataHandler) &&
                   Find(library, "libraw_open_file", found.openFile) &&
                   Find(library, "libraw_adjust_sizes_info_only", found.adjustSizes) &&
                   Find(library, "libraw_close", found.close);
    return found;
  }();
  return functions;
}

void SilentData(void*, const char*, const int) {}
void SilentMemory(void*, const char*, const char*) {}

// LibRaw's result as the codec layer counts it: errno values from opening are "cannot open".
codec::Code FromLibRaw(int result) {
  if (result == LIBRAW_SUCCESS) return codec::kOk;
  if (result > 0) return codec::kCannotOpen;
  if (result == LIBRAW_UNSUFFICIENT_MEMORY || result == LIBRAW_TOO_BIG || result == LIBRAW_MEMPOOL_OVERFLOW) {
    return codec::kNoMemory;
  }
  return codec::kCorrupt;
}

}  // namespace

std::optional<std::int32_t> ProbeRaw(const std::string& path) {
  const LibRawFunctions& raw = Functions();
  if (!raw.loaded) return std::nullopt;
  libraw_data_t* data = raw.init(LIBRAW_OPTIONS_NONE);
  if (data == nullptr) return ErrorNumber(codec::kNoMemory);
  raw.dataHandler(data, SilentData, nullptr);
  raw.memoryHandler(data, SilentMemory, nullptr);
  codec::Code code = FromLibRaw(raw.openFile(data, path.c_str()));
  if (code == codec::kOk) code = FromLibRaw(raw.adjustSizes(data));
  if (code == codec::kOk && (data->sizes.iwidth == 0 || data->sizes.iheight == 0)) code = codec::kCorrupt;
  raw.close(data);
  return code == codec::kOk ? 0 : ErrorNumber(code);
}

#endif

}  // namespace kelmarin::lister
