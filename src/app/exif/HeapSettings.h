#pragma once
// The allocator's settings for kelmarin-exif, where the build links jemalloc (src/app/CMakeLists.txt).

namespace kelmarin::lister {

// Has the allocator take its further memory from the system in blocks that start on a large-page
// boundary, so that the system can back them with large pages. Call once, first thing in main; does
// nothing where the program runs on another allocator.
void AlignHeapToLargePages();

}  // namespace kelmarin::lister
