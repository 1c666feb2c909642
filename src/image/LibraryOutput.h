#pragma once
// The imaging libraries write their warnings and failures to standard error (one on every damaged
// file, libjpeg inside LibRaw), which belongs to the program's own messages.
//
// While a LibraryOutputSilenced lives, descriptor 2 points at the null device; when the last one
// ends, it points where it pointed before. Sanitizer reports keep going there meanwhile. The
// program's own messages must come from the thread that calls the codec layer, or wait for it:
// kelmarin-exif writes its lines on that thread. Nothing happens when the null device cannot be
// opened (the libraries then speak as before).

namespace kelmarin::codec {

class LibraryOutputSilenced {
 public:
  LibraryOutputSilenced();
  ~LibraryOutputSilenced();
  LibraryOutputSilenced(const LibraryOutputSilenced&) = delete;
  LibraryOutputSilenced& operator=(const LibraryOutputSilenced&) = delete;
};

}  // namespace kelmarin::codec
