#pragma once
// The one way the system loads a library at run time: its own modules (the lister's image, locale
// and versions modules, the codec modules), LibRaw for the lister's RAW probe, libemf2svg, and the
// imaging libraries whose file names the about window shows.

#include <filesystem>
#include <string>

namespace kelmarin {

class SharedLibrary {
 public:
  // kLazy resolves each function on its first call (a program pays only for what it calls); kNow
  // resolves all at loading, so that a library missing a symbol fails to load rather than later.
  enum class Binding { kLazy, kNow };

  // Loads `file`: a path, or a bare name searched as the dynamic loader searches. Its symbols stay
  // out of the global scope. On failure the object is empty and problem() says why.
  static SharedLibrary Open(const std::filesystem::path& file, Binding binding = Binding::kLazy);

  SharedLibrary() = default;
  SharedLibrary(SharedLibrary&& other) noexcept;
  SharedLibrary& operator=(SharedLibrary&& other) noexcept;
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;
  // Unloads the library unless Keep() was called.
  ~SharedLibrary();

  explicit operator bool() const { return handle != nullptr; }
  // Why Open failed (the loader's words); empty after success.
  const std::string& problem() const { return failure; }

  // Sets `function` to the library's symbol of that name; false (and null) when there is none or the
  // object is empty.
  template <typename Function>
  bool Find(const char* name, Function& function) const {
    function = reinterpret_cast<Function>(Symbol(name));
    return function != nullptr;
  }
  void* Symbol(const char* name) const;

  // Keeps the library loaded for the rest of the process (what was found in it stays valid); the
  // object is empty afterwards.
  void Keep() { handle = nullptr; }

  // The file the loader took for the library, links resolved; empty when it cannot be told.
  std::filesystem::path LoadedFile() const;

 private:
  void Close();

  void* handle = nullptr;
  std::string failure;
};

// The absolute file of the program or shared object whose code holds `address`; empty when it
// cannot be told.
std::filesystem::path FileHolding(const void* address);

}  // namespace kelmarin
