#include "Output.h"

#include <cstdint>
#include <cstring>

#include "metadata/Text.h"

namespace kelmarin::lister {

namespace {

constexpr char kHex[] = "0123456789abcdef";
constexpr std::uint64_t kEightSpaces = 0x2020202020202020u;

bool IsEscaped(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x20 || u == '\\';
}

// Whether one of the eight bytes is below 0x20 or a backslash. The tests of a byte below n (here
// 0x20, and 1 after the backslash is turned into 0) never miss one; the caller looks at the bytes
// one by one after a hit, so a borrow that marks a further byte does no harm.
bool AnyEscaped(std::uint64_t word) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighs = 0x8080808080808080u;
  const std::uint64_t control = (word - kOnes * 0x20) & ~word & kHighs;
  const std::uint64_t noBackslash = word ^ (kOnes * '\\');
  const std::uint64_t backslash = (noBackslash - kOnes) & ~noBackslash & kHighs;
  return (control | backslash) != 0;
}

// The same for sixteen bytes in one vector of the compiler (SSE2 on x86-64, NEON on ARM).
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
  // Sixteen, then eight bytes at a time: most texts have nothing to escape, and the lister writes
  // every column.
  const std::size_t size = text.size();
  std::size_t i = from;
  for (; i + 16 <= size; i += 16) {
    if (AnyEscaped16(text.data() + i)) return FirstByteToEscape(text, i);
  }
  for (; i + 8 <= size; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, sizeof word);
    if (AnyEscaped(word)) return FirstByteToEscape(text, i);
  }
  if (i >= size) return size;
  // The last bytes in one word too: the eight that end the text (some of them passed already, or
  // before `from`: a hit among those only sends the search on byte by byte), or the bytes of a
  // shorter text followed by spaces.
  std::uint64_t word = kEightSpaces;
  if (size >= sizeof word) {
    std::memcpy(&word, text.data() + size - sizeof word, sizeof word);
  } else {
    std::memcpy(&word, text.data() + i, size - i);
  }
  return AnyEscaped(word) ? FirstByteToEscape(text, i) : size;
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
