#include "image/meta/SharedLibrary.h"

#include <dlfcn.h>
#include <link.h>

#include <system_error>
#include <utility>

namespace kelmarin {

SharedLibrary SharedLibrary::Open(const std::filesystem::path& file, Binding binding) {
  SharedLibrary library;
  library.handle = dlopen(file.c_str(), (binding == Binding::kNow ? RTLD_NOW : RTLD_LAZY) | RTLD_LOCAL);
  if (library.handle == nullptr) {
    const char* text = dlerror();
    library.failure = text != nullptr ? text : "unbekannter Fehler";
  }
  return library;
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle(std::exchange(other.handle, nullptr)), failure(std::move(other.failure)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
  if (this != &other) {
    Close();
    handle = std::exchange(other.handle, nullptr);
    failure = std::move(other.failure);
  }
  return *this;
}

SharedLibrary::~SharedLibrary() {
  Close();
}

void SharedLibrary::Close() {
  if (handle != nullptr) dlclose(handle);
  handle = nullptr;
}

void* SharedLibrary::Symbol(const char* name) const {
  return handle != nullptr ? dlsym(handle, name) : nullptr;
}

std::filesystem::path SharedLibrary::LoadedFile() const {
  link_map* map = nullptr;
  if (handle == nullptr || dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr ||
      map->l_name == nullptr) {
    return {};
  }
  std::error_code error;
  std::filesystem::path real = std::filesystem::canonical(map->l_name, error);
  return error ? std::filesystem::path(map->l_name) : real;
}

std::filesystem::path FileHolding(const void* address) {
  std::error_code error;
  // The main program's name as dladdr gives it may be relative to a folder left since: its link
  // in /proc is not.
  Dl_info info{};
  if (dladdr(address, &info) != 0 && info.dli_fname != nullptr &&
      std::filesystem::path(info.dli_fname).is_absolute()) {
    return std::filesystem::canonical(info.dli_fname, error);
  }
  return std::filesystem::read_symlink("/proc/self/exe", error);
}

}  // namespace kelmarin
