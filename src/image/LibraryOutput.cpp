// Standard error away from the libraries while they work. See LibraryOutput.h.

#include "image/LibraryOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <mutex>

#if defined(__SANITIZE_ADDRESS__)
#define KELMARIN_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELMARIN_SANITIZED 1
#endif
#endif
#ifdef KELMARIN_SANITIZED
#include <sanitizer/common_interface_defs.h>
#endif

namespace kelmarin::codec {

namespace {

std::mutex mutex;
int users = 0;   // guarded by mutex
int saved = -1;  // where descriptor 2 pointed before the first user; guarded by mutex

// A fault found inside a library while it is silenced is still reported.
void SanitizerReportsTo([[maybe_unused]] int descriptor) {
#ifdef KELMARIN_SANITIZED
  __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<std::intptr_t>(descriptor)));
#endif
}

}  // namespace

LibraryOutputSilenced::LibraryOutputSilenced() {
  const std::lock_guard lock(mutex);
  if (users++ > 0) return;
  std::fflush(stderr);
  const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null < 0) return;
  saved = fcntl(2, F_DUPFD_CLOEXEC, 3);
  if (saved >= 0) {
    SanitizerReportsTo(saved);
    dup2(null, 2);
  }
  close(null);
}

LibraryOutputSilenced::~LibraryOutputSilenced() {
  const std::lock_guard lock(mutex);
  if (--users > 0 || saved < 0) return;
  std::fflush(stderr);
  dup2(saved, 2);
  SanitizerReportsTo(2);
  close(saved);
  saved = -1;
}

}  // namespace kelmarin::codec
