#include "browser/core/FormatTable.h"

namespace kelmarin {

std::int32_t TypeCodeForFileName(std::string_view fileName) {
  if (fileName.size() < 4 || fileName[fileName.size() - 4] != '.') return 0;
  char ext[3];
  for (std::size_t i = 0; i < 3; ++i) {
    char c = fileName[fileName.size() - 3 + i];
    ext[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  const std::string_view wanted(ext, 3);
  for (const FormatBox& box : kFormatBoxes) {
    std::string_view list = box.extensions;
    for (std::size_t pos = 0; pos + 3 <= list.size(); pos += 4) {
      if (list.substr(pos, 3) == wanted) return box.typeCode;
    }
  }
  return 0;
}

}  // namespace kelmarin
