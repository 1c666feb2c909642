#include "Output.h"

#include <cstdint>
#include <cstring>
#include <iterator>

#include "metadata/Text.h"

namespace kelmarin::lister {

namespace {

constexpr char kHex[] = "0123456789abcdef";

bool IsEscaped(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == '\\';
}

// Whether one of sixteen bytes is below 0x20 or a backslash, in one vector of the compiler (SSE2 on
// x86-64, NEON on ARM).
using Bytes16 = unsigned char __attribute__((vector_size(16)));
bool AnyEscaped16(const char* bytes) {
  Bytes16 v;
  std::memcpy(&v, bytes, sizeof v);
  const Bytes16 below = static_cast<Bytes16>(v < static_cast<unsigned char>(0x20));
  const Bytes16 backslash = static_cast<Bytes16>(v == static_cast<unsigned char>('\\'));
  const Bytes16 hits = below | backslash;
  std::uint64_t halves[2];
  std::memcpy(halves, &hits, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

// The first byte from `from` on to escape, one by one; the text's size when there is none.
std::size_t FirstByteToEscape(std::string_view text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (IsEscaped(text[i])) return i;
  }
  return text.size();
}

}  // namespace

std::size_t FirstToEscape(std::string_view text, std::size_t from) {
  // Sixteen bytes at a time: most texts have nothing to escape, and the lister writes every column.
  const std::size_t size = text.size();
  std::size_t i = from;
  for (; i + 16 <= size; i += 16) {
    if (AnyEscaped16(text.data() + i)) return FirstByteToEscape(text, i);
  }
  if (i >= size) return size;
  // The last bytes in one vector too: the sixteen that end the text (some of them passed already, or
  // before `from`: a hit among those only sends the search on byte by byte), or the bytes of a
  // shorter text followed by spaces.
  if (size >= 16) return AnyEscaped16(text.data() + size - 16) ? FirstByteToEscape(text, i) : size;
  char last[16];
  std::memset(last, ' ', sizeof last);
  std::memcpy(last, text.data() + i, size - i);
  return AnyEscaped16(last) ? FirstByteToEscape(text, i) : size;
}

void Output::Flush() {
  if (buffer.empty()) return;
  if (std::fwrite(buffer.data(), 1, buffer.size(), file) != buffer.size()) failed = true;
  buffer.clear();
  if (std::fflush(file) != 0) failed = true;
}

void AppendEscapedText(std::string& out, std::string_view utf8) {
  // Runs of bytes that stand as they are go in one piece.
  std::size_t start = 0;
  for (std::size_t i = FirstToEscape(utf8, 0); i < utf8.size(); i = FirstToEscape(utf8, start)) {
    out.append(utf8.data() + start, i - start);
    start = i + 1;
    const auto u = static_cast<unsigned char>(utf8[i]);
    switch (u) {
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += "\\x";
        out += kHex[u >> 4];
        out += kHex[u & 0xF];
    }
  }
  out.append(utf8.data() + start, utf8.size() - start);
}

namespace {

// One line of four columns, the last written by appendLast: written whole with spaces where its
// TABs and its end go and looked over in one piece (most lines have nothing to escape), and written
// again escaped column by column in the rare case it needs it.
template <typename AppendLast>
void AppendColumns(std::string& out, const std::string_view (&texts)[3], AppendLast appendLast) {
  constexpr std::size_t kColumns = 4;
  const std::size_t at = out.size();
  std::size_t ends[kColumns];
  std::size_t size = std::size(texts);
  for (const std::string_view text : texts) size += text.size();
  out.resize(at + size);
  char* next = out.data() + at;
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    std::memcpy(next, texts[i].data(), texts[i].size());
    next += texts[i].size();
    ends[i] = static_cast<std::size_t>(next - out.data());
    *next++ = ' ';
  }
  appendLast(out);
  ends[3] = out.size();
  out += ' ';
  if (FirstToEscape(std::string_view(out).substr(at), 0) == out.size() - at) {
    for (std::size_t i = 0; i < kColumns; ++i) out[ends[i]] = i + 1 < kColumns ? '\t' : '\n';
    return;
  }
  const std::string line = out.substr(at);
  out.resize(at);
  std::size_t start = 0;
  for (std::size_t i = 0; i < kColumns; ++i) {
    AppendEscapedText(out, std::string_view(line).substr(start, ends[i] - at - start));
    out += i + 1 < kColumns ? '\t' : '\n';
    start = ends[i] - at + 1;
  }
}

}  // namespace

void AppendRowText(std::string& out, const ListingRow& row) {
  const std::string_view texts[] = {row.tag, row.label, row.information};
  AppendColumns(out, texts, [&row](std::string& line) { line += row.raw; });
}

void AppendItemText(std::string& out, const ListingItem& item) {
  const std::string_view texts[] = {item.tag, item.label, item.information};
  AppendColumns(out, texts, [&item](std::string& line) { AppendRawText(line, *item.raw); });
}

void AppendEscapedPath(std::string& out, std::string_view bytes) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\\') {
      AppendEscapedText(out, bytes.substr(start, i - start));
      out += '\\';
      start = i + 1;
    }
  }
  AppendEscapedText(out, bytes.substr(start));
}

}  // namespace kelmarin::lister
