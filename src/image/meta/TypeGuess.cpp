// Finding a file's format: by the extension of its name, or by the signature of its first bytes.

#include "extract/ByteCursor.h"
#include "image/meta/Formats.h"

namespace kelmarin {

namespace {

bool EqualsUpper(std::string_view text, std::string_view upper) {
  if (text.size() != upper.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (((c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c) != upper[i]) return false;
  }
  return true;
}

}  // namespace

std::string_view FileExtension(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return {};
  return fileName.substr(dot + 1);
}

bool HasExtension(const Format& format, std::string_view extension) {
  if (extension.empty()) return false;
  std::string_view list = format.extensions;
  for (;;) {
    const std::size_t comma = list.find(',');
    if (EqualsUpper(extension, list.substr(0, comma))) return true;
    if (comma == std::string_view::npos) return false;
    list.remove_prefix(comma + 1);
  }
}

std::int32_t TypeCodeForFileName(std::string_view fileName) {
  const std::size_t slash = fileName.find_last_of("/\\");
  if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
  const std::string_view extension = FileExtension(fileName);
  for (const Format& format : kImageFormats) {
    if (HasExtension(format, extension)) return format.typeCode;
  }
  return kTypeUnknown;
}

// Magic bytes first; the checks of a plausible shape only when no magic matched.
const Format* GuessFormat(const FileHead& head) {
  for (const bool shape : {false, true}) {
    for (const Format& format : kImageFormats) {
      if (format.shapeOnly == shape && format.signature(head)) return &format;
    }
  }
  return nullptr;
}

const Format* GuessFormat(std::FILE* file) {
  std::uint8_t head[4096];
  const std::size_t got = std::fread(head, 1, sizeof head, file);
  bool tgaFooter = false;
  std::uint8_t foot[18];
  if (std::fseek(file, -18, SEEK_END) == 0 && std::fread(foot, 1, 18, file) == 18) {
    tgaFooter = ByteCursor(foot).Match(std::string_view("TRUEVISION-XFILE.\0", 18));
  }
  std::rewind(file);
  return GuessFormat(FileHead{{head, got}, tgaFooter});
}

const Format* GuessFormat(const std::string& path) {
  const codec::FilePtr file = codec::OpenForReading(path);
  return file != nullptr ? GuessFormat(file.get()) : nullptr;
}

std::int32_t GuessTypeCode(std::FILE* file) {
  const Format* format = GuessFormat(file);
  return format != nullptr && format->guessNamesType ? format->typeCode : kTypeUnknown;
}

std::int32_t GuessTypeCode(const std::string& path) {
  const codec::FilePtr file = codec::OpenForReading(path);
  return file != nullptr ? GuessTypeCode(file.get()) : kTypeUnknown;
}

}  // namespace kelmarin
