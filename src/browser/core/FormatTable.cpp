#include "browser/core/FormatTable.h"

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

bool BoxHasExtension(const FormatBox& box, std::string_view extension) {
  if (extension.empty()) return false;
  std::string_view list = box.extensions;
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
  for (const FormatBox& box : kFormatBoxes) {
    if (BoxHasExtension(box, extension)) return box.typeCode;
  }
  return 0;
}

}  // namespace kelmarin
