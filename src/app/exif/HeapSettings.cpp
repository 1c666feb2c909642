// The lister's allocator settings. A listing touches a few megabytes of heap once, and every small
// page touched is a fault, which costs about as much as reading a small file where the program runs
// sandboxed. So the heap is asked for in large pages, and these pages must be aligned: the system
// backs a range with a large page only where a whole aligned one fits, and jemalloc's second block
// (2.5 MiB, mapped at any page) held none, so that two thirds of a listing's faults fell into it.

#include "HeapSettings.h"

#ifdef KELMARIN_JEMALLOC
#include <jemalloc/jemalloc.h>
#endif

#include <cstddef>

// Read by jemalloc before main, unused elsewhere. One arena for every thread: a reading thread with
// an arena of its own gives back that arena's pages one by one when it ends, a system call each,
// while the listing waits for it. Large pages for the heap, as above.
extern "C" const char* malloc_conf;
const char* malloc_conf = "narenas:1,thp:always";

namespace kelmarin::lister {

#ifdef KELMARIN_JEMALLOC

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;

extent_hooks_t alignedHooks;
extent_alloc_t* systemAlloc = nullptr;

// jemalloc's own mapping, at a large-page boundary unless the block must extend one at a given place.
void* AlignedAlloc(extent_hooks_t* hooks, void* at, std::size_t size, std::size_t alignment, bool* zero,
                   bool* commit, unsigned arena) {
  if (at == nullptr && alignment < kLargePage) alignment = kLargePage;
  return systemAlloc(hooks, at, size, alignment, zero, commit, arena);
}

}  // namespace

void AlignHeapToLargePages() {
  // One arena (malloc_conf): its hooks serve every thread.
  extent_hooks_t* current = nullptr;
  std::size_t length = sizeof current;
  if (mallctl("arena.0.extent_hooks", &current, &length, nullptr, 0) != 0 || current == nullptr) return;
  alignedHooks = *current;
  systemAlloc = current->alloc;
  alignedHooks.alloc = AlignedAlloc;
  extent_hooks_t* aligned = &alignedHooks;
  mallctl("arena.0.extent_hooks", nullptr, nullptr, &aligned, sizeof aligned);
}

#else

void AlignHeapToLargePages() {}

#endif

}  // namespace kelmarin::lister
