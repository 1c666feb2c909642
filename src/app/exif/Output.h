#pragma once
// Buffered standard output for kelmarin-exif: one growing buffer written in large blocks (never a
// flush per row), and the two escapings of the output forms.

#include <cstdio>
#include <string>
#include <string_view>

#include "present/ListingJson.h"

namespace kelmarin::lister {

class Output {
 public:
  explicit Output(std::FILE* target) : file(target) {}
  ~Output() { Flush(); }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  std::string& Buffer() { return buffer; }
  // Writes the buffer when it has grown past the block size (memory stays flat over many files).
  void MaybeFlush() {
    if (buffer.size() >= kBlock) Flush();
  }
  void Flush();
  bool Failed() const { return failed; }

 private:
  // Small enough that the buffer's pages are few (each is a fault when first touched: a 256 KiB
  // buffer cost more than the system calls that a smaller one adds), large enough for few writes.
  static constexpr std::size_t kBlock = 64 * 1024;
  std::FILE* file;
  std::string buffer;
  bool failed = false;
};

// Text form of one column value: a TAB becomes \t, a line feed \n, a carriage return \r, a
// backslash \\, any other control character below 0x20 \xHH (two hex digits); everything else is
// the UTF-8 text unchanged.
void AppendEscapedText(std::string& out, std::string_view utf8);
// The position of the first byte from `from` on that the text form escapes (below 0x20 or a
// backslash); the text's size when there is none.
std::size_t FirstToEscape(std::string_view text, std::size_t from);

// One row of the text form: its four columns escaped, joined by TABs, and a line feed.
void AppendRowText(std::string& out, const ListingRow& row);
// The same for an item row handed on by FillMetadataList, its raw column written straight into the
// line.
void AppendItemText(std::string& out, const ListingItem& item);

// A path as given, with only its control characters escaped as in AppendEscapedText (a backslash
// stays: it separates folders on Windows).
void AppendEscapedPath(std::string& out, std::string_view bytes);

using kelmarin::AppendJsonString;

}  // namespace kelmarin::lister
