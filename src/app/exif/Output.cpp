#include "Output.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "metadata/Text.h"

namespace kelmarin::lister {

namespace {
constexpr char kHex[] = "0123456789abcdef";
}

void Output::Flush() {
  if (buffer.empty()) return;
  if (std::fwrite(buffer.data(), 1, buffer.size(), file) != buffer.size()) failed = true;
  buffer.clear();
  if (std::fflush(file) != 0) failed = true;
}

void AppendEscapedText(std::string& out, std::string_view utf8) {
  for (char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (u < 0x20) {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    } else {
      out += c;
    }
  }
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

namespace {

// Writes the escaped UTF-8 form of one UTF-16 unit (or surrogate pair) that is not plain printable
// ASCII; returns the end of what was written. At most four bytes.
char* EscapeUnit(char* at, const QChar* data, qsizetype n, qsizetype& i) {
  const char16_t u = data[i].unicode();
  if (u < 0x80) {
    const auto c = static_cast<unsigned char>(u);
    const char* escape = c == '\t'   ? "\\t"
                         : c == '\n' ? "\\n"
                         : c == '\r' ? "\\r"
                         : c == '\\' ? "\\\\"
                                     : nullptr;
    if (escape != nullptr) {
      at[0] = escape[0];
      at[1] = escape[1];
      return at + 2;
    }
    if (c < 0x20) {
      at[0] = '\\', at[1] = 'x', at[2] = kHex[c >> 4], at[3] = kHex[c & 0xF];
      return at + 4;
    }
    *at = static_cast<char>(c);  // DEL
    return at + 1;
  }
  char32_t cp = u;
  if (QChar::isHighSurrogate(u) && i + 1 < n && data[i + 1].isLowSurrogate()) {
    cp = QChar::surrogateToUcs4(u, data[i + 1].unicode());
    ++i;
  } else if (QChar::isSurrogate(u)) {
    cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
  }
  if (cp < 0x800) {
    at[0] = static_cast<char>(0xC0 | (cp >> 6));
    at[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return at + 2;
  }
  if (cp < 0x10000) {
    at[0] = static_cast<char>(0xE0 | (cp >> 12));
    at[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    at[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return at + 3;
  }
  at[0] = static_cast<char>(0xF0 | (cp >> 18));
  at[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  at[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  at[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return at + 4;
}

// Copies a run of printable ASCII units other than the backslash, U+0020 to U+007F (DEL is
// written as it is, like any other such character), as bytes: the next eight units (SSE2) or four
// units at once when all of them are such. Returns how many units were copied: that number or 0.
#if defined(__SSE2__)
constexpr qsizetype kRun = 8;
qsizetype CopyPlainRun(const QChar* from, char* to) {
  const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
  // Signed comparisons: units from U+8000 on count as below U+0020.
  const __m128i bad = _mm_or_si128(_mm_or_si128(_mm_cmplt_epi16(units, _mm_set1_epi16(0x20)),
                                                _mm_cmpgt_epi16(units, _mm_set1_epi16(0x7F))),
                                   _mm_cmpeq_epi16(units, _mm_set1_epi16(0x5C)));
  if (_mm_movemask_epi8(bad) != 0) return 0;
  _mm_storel_epi64(reinterpret_cast<__m128i*>(to), _mm_packus_epi16(units, units));
  return kRun;
}
#else
constexpr qsizetype kRun = 4;
qsizetype CopyPlainRun(const QChar* from, char* to) {
  std::uint64_t units = 0;
  std::memcpy(&units, from, sizeof units);
  constexpr std::uint64_t kLow = 0x0001000100010001u;
  if ((units & (0xFF80u * kLow)) != 0) return 0;                            // U+0080 or above
  if (((units + 0x60u * kLow) & (0x80u * kLow)) != 0x80u * kLow) return 0;  // below U+0020
  const std::uint64_t backslash = units ^ (0x5Cu * kLow);  // a zero unit where there was a backslash
  if (((backslash - kLow) & ~backslash & (0x8000u * kLow)) != 0) return 0;
  for (int k = 0; k < 4; ++k) to[k] = static_cast<char>(from[k].unicode());
  return kRun;
}
#endif

}  // namespace

void AppendEscapedText(std::string& out, const QString& text) {
  // UTF-16 to UTF-8 straight into the output, escaping on the way: no temporary per value. No unit
  // gives more than four bytes, so room for that is made first and the rest cut off afterwards.
  // Runs of plain ASCII are taken several units at a time.
  const qsizetype n = text.size();
  if (n == 0) return;
  const QChar* data = text.constData();
  const std::size_t start = out.size();
  out.resize(start + static_cast<std::size_t>(n) * 4);
  char* at = out.data() + start;
  for (qsizetype i = 0; i < n;) {
    if (i + kRun <= n) {
      const qsizetype copied = CopyPlainRun(data + i, at);
      at += copied;
      i += copied;
      if (copied != 0) continue;
    }
    const char16_t u = data[i].unicode();
    if (u >= 0x20 && u < 0x7F && u != u'\\') {
      *at++ = static_cast<char>(u);
    } else {
      at = EscapeUnit(at, data, n, i);
    }
    ++i;
  }
  out.resize(static_cast<std::size_t>(at - out.data()));
}

}  // namespace kelmarin::lister
