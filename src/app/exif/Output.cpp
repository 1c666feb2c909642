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

void AppendEscapedText(std::string& out, const QString& text) {
  // UTF-16 to UTF-8 in place, escaping on the way: no temporary per value. Plain ASCII runs are
  // gathered in a small buffer and appended at once.
  const qsizetype n = text.size();
  const QChar* data = text.constData();
  char run[256];
  std::size_t used = 0;
  const auto flush = [&] {
    out.append(run, used);
    used = 0;
  };
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t u = data[i].unicode();
    if (u >= 0x20 && u < 0x80 && u != u'\\') {
      run[used++] = static_cast<char>(u);
      if (used == sizeof run) flush();
      continue;
    }
    flush();
    if (u < 0x80) {
      const char c = static_cast<char>(u);
      AppendEscapedText(out, std::string_view(&c, 1));
      continue;
    }
    char32_t cp = u;
    if (QChar::isHighSurrogate(u) && i + 1 < n && data[i + 1].isLowSurrogate()) {
      cp = QChar::surrogateToUcs4(u, data[i + 1].unicode());
      ++i;
    } else if (QChar::isSurrogate(u)) {
      cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
    }
    AppendUtf8(out, cp);
  }
  flush();
}

void AppendJsonString(std::string& out, std::string_view utf8) {
  out += '"';
  for (char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (u < 0x20) {
          out += "\\u00";
          out += kHex[u >> 4];
          out += kHex[u & 0xF];
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

void AppendJsonString(std::string& out, const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  AppendJsonString(out, std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

}  // namespace kelmarin::lister
