#include "Output.h"

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
  // Runs of bytes that stand as they are go in one piece.
  std::size_t start = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto u = static_cast<unsigned char>(utf8[i]);
    if (u >= 0x20 && u != '\\') continue;
    out.append(utf8.data() + start, i - start);
    start = i + 1;
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
